// Opening another messenger's emoticon theme: the open chooser also offers the themes' index
// files and the archives themes come in, and such a file opens as a new pack of the active
// kind, made from the theme (no target yet: a save asks for a folder). What the theme held that
// a pack can't is told.
#include <QApplication>

#include "EmoticonTheme.h"
#include "Files.h"
#include "Lang.h"
#include "LangTables.h"
#include "ManagerMain.h"
#include "PackError.h"
#include "ThemeArchive.h"
#include "ThemeFiles.h"
#include "ThemeImport.h"

namespace {

// General keys of the themes' texts.
enum {
  AllPicturesKey = 43,
  ThemeFilterKey = 44,
  ThemeLeftOutKey = 45,
  ThemeUnreadableKey = 46,
};

// The lines of what was left out shown in the message itself; all of them are behind its
// details button.
constexpr std::size_t ShownLeftOutLines = 8;

// Text from a theme for a message: control characters shown as their visible symbols (U+2400
// and on), so that a code holding a line break or a tab can't break the list.
std::string Visible(const std::string& utf8) {
  QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  for (QChar& c : text) {
    if (c.unicode() < 0x20) c = QChar(0x2400 + c.unicode());
    else if (c.unicode() == 0x7F) c = QChar(0x2421);
  }
  return text.toStdString();
}

// Restores the cursor however the work under the busy cursor ends.
class TBusyCursor {
public:
  TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
};

}  // namespace

void TForm1::ApplyThemeLanguage(TLang& language) {
  AllPicturesName = language.Text(GeneralLang, AllPicturesKey);
  ThemeFilterName = language.Text(GeneralLang, ThemeFilterKey);
  ThemeLeftOutText = language.Text(GeneralLang, ThemeLeftOutKey);
  ThemeUnreadableText = language.Text(GeneralLang, ThemeUnreadableKey);
  // The pack file dialog: definition files, the themes' index files and archives, all files.
  std::string names, patterns;
  auto offer = [&](const std::string& pattern) {
    names += (names.empty() ? "" : ", ") + pattern;
    patterns += (patterns.empty() ? "" : ";") + pattern;
  };
  for (TThemeFormat format : AllThemeFormats) offer(ThemeIndexFileName(format));
  for (const char* ending : theme_archive::ArchiveEndings) offer(std::string("*") + ending);
  OpenDialog1.Filter = "_Define.ini|_Define.ini|" + ThemeFilterName + " (" + names + ")|" +
                       patterns + AllFilesFilter;
}

void TForm1::OpenTheme(const std::string& path) {
  if (!Pack) return;
  TLoadedTheme theme;
  std::string error;
  if (!LoadTheme(std::nullopt, path, theme, error)) {
    TellUser(EPackError::Format(ThemeUnreadableText, path) + "\n" + Visible(error));
    return;
  }
  // The converted pictures wait on disk, not in memory, until the new pack takes them.
  theme_files::TScratchFolder pictures;
  TThemePack made;
  {
    // Every picture is converted here, before the save question; a large theme takes a while.
    TBusyCursor busy;
    if (!pictures.CreateTemporary()) error = "can't create a temporary folder";
    if (error.empty()) BuildThemePack(theme, Pack->ActivePack, pictures.Path(), made, error);
  }
  if (!error.empty()) {
    TellUser(EPackError::Format(ThemeUnreadableText, path) + "\n" + Visible(error));
    return;
  }
  ResetSelection();
  const bool opened = Pack->NewPackFrom(made.smiles);
  RefillSmiles(true);
  ListBox1Click();
  UpdatePackButtons();
  if (!opened) return;
  ShowStatus(ThemeOpenedText, path);
  if (made.leftOut.empty()) return;

  std::string shown, all;
  for (std::size_t i = 0; i < made.leftOut.size(); ++i) {
    const std::string line = Visible(DescribeLeftOut(made.leftOut[i]));
    all += line + "\n";
    if (i < ShownLeftOutLines) shown += "\n" + line;
  }
  if (made.leftOut.size() > ShownLeftOutLines) shown += "\n…";
  TellUser(EPackError::Format(ThemeLeftOutText, path) + "\n" + shown,
           made.leftOut.size() > ShownLeftOutLines ? all : std::string());
}
