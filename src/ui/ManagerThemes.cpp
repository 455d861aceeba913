// SPDX-License-Identifier: GPL-3.0-or-later
// Opening another messenger's emoticon theme: the open chooser also offers the themes' index
// files and the archives themes come in, and such a file opens as a new pack of the active
// kind, made from the theme (no target yet: a save asks for a folder). What the theme held that
// a pack can't is told. And the way back: the active pack written as a theme (File menu).
#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QStatusBar>

#include "DialogSeam.h"
#include "ThemeExport.h"

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

// What a theme left out, in a message: the first lines in it, all of them behind its details
// button.
void TellLeftOut(TForm1& window, const std::string& heading, const std::vector<TLeftOut>& leftOut) {
  if (leftOut.empty()) return;
  std::string shown, all;
  for (std::size_t i = 0; i < leftOut.size(); ++i) {
    const std::string line = Visible(DescribeLeftOut(leftOut[i]));
    all += line + "\n";
    if (i < ShownLeftOutLines) shown += "\n" + line;
  }
  if (leftOut.size() > ShownLeftOutLines) shown += "\n…";
  window.TellUser(heading + "\n" + shown, leftOut.size() > ShownLeftOutLines ? all : std::string());
}

// The themes the window writes: a folder of each format, or an archive.
struct TExportKind {
  const char* name;
  TThemeFormat format;
  const char* suffix;  // of the new folder or archive
};
constexpr TExportKind kExportKinds[] = {
    {"Pidgin", TThemeFormat::Pidgin, ""},
    {"KDE", TThemeFormat::Kde, ""},
    {"Adium", TThemeFormat::Adium, ".AdiumEmoticonset"},
    {"Psi (.jisp)", TThemeFormat::Jisp, ".jisp"},
    {"Pidgin (.zip)", TThemeFormat::Pidgin, ".zip"},
    {"KDE (.zip)", TThemeFormat::Kde, ".zip"},
};

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
  TellLeftOut(*this, EPackError::Format(ThemeLeftOutText, path), made.leftOut);
}

void TForm1::ExportTheme() {
  if (!Pack || !Pack->LoadedPacks.Contains(Pack->ActivePack)) return;
  const TSmilePack active = Pack->ActivePack;
  QStringList names;
  for (const auto& kind : kExportKinds) names << kind.name;
  QInputDialog ask(this);
  ask.setWindowTitle(ExportThemeAction->text());
  ask.setLabelText(QString::fromStdString(ExportFormatText));
  ask.setComboBoxItems(names);
  ask.setComboBoxEditable(false);
  if (RunModal(ask) != QDialog::Accepted || names.indexOf(ask.textValue()) < 0) return;
  const TExportKind& kind = kExportKinds[names.indexOf(ask.textValue())];
  // Into a new folder, or archive, named after the pack, in a folder the user chooses.
  const std::string source = Pack->SourcePath[active];
  std::string folder = platform::ExtractFilePath(source.substr(0, source.empty() ? 0 : source.size() - 1));
  if (!SelectFolder(this, ExportThemeAction->text().toStdString(), folder, true)) return;
  std::string name = Pack->SourceAssigned.Contains(active)
                         ? platform::ExtractFileName(source.substr(0, source.size() - 1))
                         : std::string(PackFolderName(active));
  const std::string base = platform::IncludeTrailingPathDelimiter(folder) + name;
  std::string out = base + kind.suffix;
  for (int n = 2; platform::DirectoryExists(out) || platform::FileExists(out); ++n)
    out = base + "-" + std::to_string(n) + kind.suffix;
  if (!theme_archive::IsArchiveName(out)) out = platform::IncludeTrailingPathDelimiter(out);

  TPackTheme theme;
  std::string error;
  bool written;
  {
    TBusyCursor busy;
    written = ReadPackAsTheme(Pack->StorageFolder[active], active, kind.format, theme, error) &&
              (theme.theme.smiles.empty() || WritePackTheme(theme, kind.format, out, error));
  }
  const QString shown = QString::fromStdString(out);
  if (!written) {
    TellUser(QString::fromStdString(ExportFailedText).arg(shown).toStdString() + "\n" + Visible(error));
    return;
  }
  StatusText = QString::fromStdString(ExportedText)
                   .arg(static_cast<int>(theme.theme.smiles.size()))
                   .arg(shown);
  ElideStatusBar();
  TellLeftOut(*this, QString::fromStdString(ExportLeftOutText).arg(shown).toStdString(),
              theme.leftOut);
}
