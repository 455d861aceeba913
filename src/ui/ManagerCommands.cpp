// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's commands: the pack commands of the tool bar, options and about, and every
// smile and symbol edit, with their file choosers, the warning before deletions, keyboard
// shortcuts, and picture files (or a smile of the list itself) dropped on the smile list.
//
// A command never changes pack data itself: smile commands call one operation of the model,
// symbol commands change the selected smile's symbol list (which writes itself through). Then
// the lists are refilled from the model and the selection is set again by index.
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>
#include <QUrl>

#include <memory>
#include <tuple>

#include "AboutForm.h"
#include "CommandKeys.h"
#include "ConfigManager.h"
#include "Cp1251.h"
#include "Dialogs.h"
#include "EmoticonTheme.h"
#include "ThemeArchive.h"
#include "Files.h"
#include "GeneralLang.h"
#include "Lang.h"
#include "ManagerMain.h"
#include "ModalResult.h"
#include "NewSymbolForm.h"
#include "OptionsForm.h"
#include "PictureFiles.h"
#include "SaveErrorsForm.h"
#include "SmileExistsForm.h"
#include "WarningForm.h"
#include "SmileListModel.h"
#include "WindowText.h"

using namespace command_keys;

namespace {

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// Text with "%1" to "%9" replaced by the values, in one pass: a translation may leave some out,
// and a value is never read as a placeholder itself.
QString Placed(const QString& text, const std::vector<QString>& values) {
  QString result;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const int n = i + 1 < text.size() ? text[i + 1].digitValue() : -1;
    if (text[i] == '%' && n >= 1 && n <= static_cast<int>(values.size())) {
      result += values[static_cast<std::size_t>(n - 1)];
      ++i;
    } else {
      result += text[i];
    }
  }
  return result;
}

const char* PictureExtension(TSmilePack pack) { return pack == spStatic ? "bmp" : "gif"; }

// Symbol dialog captions by use.
enum { SymbolAdd = 0, SymbolFind = 1, SymbolEdit = 2 };

// General keys of the commands' own messages and the start's.
enum {
  UnencodableSymbolKey = 15,
  CommaSymbolKey = 16,
  SurplusLinesKey = 17,
  SaveFailedKey = 18,
  ControlSymbolKey = 23,
  NoAppDataKey = 24,
  LockFileKey = 25,
  ReplaceOtherPackKey = 47,
  ChangedOutsideKey = 48,
  NoPackKey = 50,
};

// True when the text holds a control character: a line break would split the definition line
// (and the next start would pair every later line with the wrong picture), a Ctrl+Z would end
// the file for some readers.
bool HasControlCharacter(const std::string& text) {
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return true;
  }
  return false;
}

// The text of the symbol dialog as pack bytes. An empty text gives false without a word (there
// is nothing to store); a text with a control character, a text that Windows-1251 can't hold,
// or one that holds the comma that separates symbols on a definition line (it would come back
// as two symbols), gives false with a message.
bool TypedSymbol(TForm1& window, std::string& symbol) {
  std::string typed = window.Dialogs->NewSymbolForm->Edit1->text().toStdString();
  if (typed.empty()) return false;
  if (HasControlCharacter(typed)) {
    window.TellUser(window.ControlSymbolText);
    return false;
  }
  if (!platform::Utf8ToCp1251(typed, symbol)) {
    window.TellUser(window.UnencodableSymbolText);
    return false;
  }
  if (symbol.find(',') != std::string::npos) {
    window.TellUser(window.CommaSymbolText);
    return false;
  }
  return true;
}

// The first symbol of the active pack equal to Symbol without regard to letter case, other than
// symbol `ownSymbol` of smile `ownSmile`.
bool FindOtherHolder(const TDefineDecoder& pack, const std::string& symbol, int ownSmile,
                     int ownSymbol, int& smileIndex, int& symbolIndex) {
  for (int s = 0; s < pack.SmileCount(); ++s) {
    const TSymbolList& symbols = pack.GetSmile(s)->Symbols;
    for (int j = 0; j < symbols.Count(); ++j) {
      if ((s != ownSmile || j != ownSymbol) && platform::SameText1251(symbols[j], symbol)) {
        smileIndex = s;
        symbolIndex = j;
        return true;
      }
    }
  }
  return false;
}

// The symbol some smile holds already: OK leaves everything as it is; "Show symbol" or the
// close box selects that smile and symbol.
void ShowExistingSymbol(TForm1& window, int smile, int symbol) {
  if (window.Dialogs->SmileExistsForm->ShowModal() == mrOk) return;
  window.SelectSmile(smile);
  window.SelectSymbol(symbol);
}

// The error summary before a save, with the smiles in question; true when there are no errors
// or the user saves anyway. A smile chosen from the list is selected, and nothing is saved.
bool ConfirmSaveWithErrors(TForm1& window) {
  TDefineDecoder& pack = *window.Pack;
  if (!pack.HasErrors()) return true;
  TForm3& form = *window.Dialogs->SaveErrorsForm;
  form.Label7->setText(QString::number(pack.ErrorCount(ekLoadError)));
  form.Label8->setText(QString::number(pack.ErrorCount(ekMissingPicture)));
  form.Label10->setText(QString::number(pack.ErrorCount(ekNoSymbols)));
  form.ListBox1->clear();
  std::vector<std::pair<TSmilePack, int>> rows;
  const TSmilePack active = pack.ActivePack;
  for (TSmilePack kind : {spStatic, spAnimated}) {
    if (pack.BothPacks ? !pack.LoadedPacks.Contains(kind) : kind != active) continue;
    pack.ActivePack = kind;  // to read its smiles; the view does not change
    for (int i = 0; i < pack.SmileCount(); ++i) {
      QString reasons = window.AttentionOf(i);
      if (reasons.isEmpty()) continue;
      QString caption = Q(pack.Smiles[kind][static_cast<std::size_t>(i)].Caption);
      form.ListBox1->addItem((pack.BothPacks ? QString(PackFolderName(kind)) + ": " : QString()) +
                             QString::number(i + 1) + ". " + caption + " \u2014 " +
                             reasons.replace('\n', "; "));
      rows.emplace_back(kind, i);
    }
  }
  pack.ActivePack = active;
  if (form.ShowModal() == mrOk) return true;
  if (form.ChosenRow >= 0 && form.ChosenRow < static_cast<int>(rows.size())) {
    auto [kind, smile] = rows[static_cast<std::size_t>(form.ChosenRow)];
    window.SwitchToPack(kind);
    window.SelectSmile(smile);
    window.ListBox1->ScrollToRow(smile);
  }
  return false;
}

// The picture file dialog for the active pack; several files may be chosen. Every picture kind
// comes first: the model converts what the pack does not store as it is.
bool ChoosePictures(TForm1& window, std::vector<std::string>& files) {
  TSmilePack kind = window.Pack->ActivePack;
  std::string ext = PictureExtension(kind);
  TFileDialogOptions& dialog = window.OpenDialog2;
  dialog.DefaultExt = ext;
  dialog.Filter = window.AllPicturesName + "|" + PicturePatterns() + "|" + window.FilterNames[kind] +
                  " (*." + ext + ")|*." + ext + window.AllFilesFilter;
  dialog.Title = window.PictureDialogTitle;
  dialog.MultiSelect = true;
  if (!ChooseFiles(&window, dialog, files) || files.empty()) return false;
  // The next picture dialog starts where the user found these.
  dialog.InitialDir = platform::ExtractFilePath(files.front());
  return true;
}

// Definition lines an open left out because a pack holds at most 676 smiles.
void TellSurplusLines(TForm1& window) {
  const TDefineDecoder& pack = *window.Pack;
  int surplus = 0;
  for (TSmilePack kind : {spStatic, spAnimated})
    if (pack.BothPacks || kind == pack.ActivePack) surplus += pack.SurplusLines[kind];
  if (surplus > 0) window.TellUser(window.SurplusLinesText + " " + std::to_string(surplus));
}

// The picture files among dropped data: local regular files named as a picture of any kind
// that the model can take (it converts them into what the pack stores).
std::vector<std::string> DroppedPictures(const QMimeData* data) {
  std::vector<std::string> files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) continue;
    QFileInfo info(url.toLocalFile());
    if (info.isFile() && IsPictureFileName(info.fileName()))
      files.push_back(LocalPath(info.filePath()));
  }
  return files;
}

// The smile after which files dropped at Point go: dropped on the upper half of a smile they go
// before it, on the lower half after it, below every smile at the end.
int DropPosition(TSmileListBox& list, const QPoint& point) {
  QModelIndex index = list.indexAt(point);
  if (!index.isValid()) return list.count() - 1;
  QRect rect = list.visualRect(index);
  const bool before = list.IsGrid() ? point.x() < rect.center().x() : point.y() < rect.center().y();
  return before ? index.row() - 1 : index.row();
}

// Hint text followed by its shortcut keys, as "Save smile pack (Ctrl+S)".
QString WithShortcut(const QString& hint, const QString& keys) {
  QString suffix = " (" + keys + ")";
  return hint.endsWith(suffix) ? hint : hint + suffix;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Connections

void TForm1::CreateCommands() {
  const std::pair<QAbstractButton*, void (TForm1::*)()> commands[] = {
      {ToolButton1, &TForm1::ToolButton1Click},  {ToolButton2, &TForm1::ToolButton2Click},
      {ToolButton3, &TForm1::ToolButton3Click},  {ToolButton4, &TForm1::ToolButton4Click},
      {ToolButton5, &TForm1::ToolButton5Click},  {ToolButton7, &TForm1::ToolButton7Click},
      {ToolButton8, &TForm1::ToolButton8Click},  {ToolButton9, &TForm1::ToolButton9Click},
      {ToolButton11, &TForm1::ToolButton11Click}, {ToolButton13, &TForm1::ToolButton13Click},
      {BitBtn4, &TForm1::BitBtn4Click},          {BitBtn7, &TForm1::BitBtn7Click},
      {BitBtn11, &TForm1::BitBtn11Click},        {BitBtn16, &TForm1::BitBtn16Click},
      {BitBtn12, &TForm1::BitBtn12Click},        {BitBtn13, &TForm1::BitBtn13Click},
      {BitBtn5, &TForm1::BitBtn5Click},          {BitBtn6, &TForm1::BitBtn6Click},
      {BitBtn17, &TForm1::BitBtn17Click},        {BitBtn18, &TForm1::BitBtn18Click},
      {BitBtn14, &TForm1::BitBtn14Click},        {BitBtn15, &TForm1::BitBtn15Click},
      {ToolButton15, &TForm1::ToolButton15Click}, {ToolButton16, &TForm1::ToolButton16Click},
  };
  for (auto [button, handler] : commands)
    connect(button, &QAbstractButton::clicked, this,
            [this, handler = handler] { RunCommand([this, handler] { (this->*handler)(); }); });
  // The exit button only asks the window to close: no command for the close to wait for.
  connect(BitBtn9, &QAbstractButton::clicked, this, [this] { BitBtn9Click(); });

  // A shortcut presses its button, so it does exactly what the button does and nothing while
  // the button is disabled.
  auto shortcut = [this](const QKeySequence& key, QWidget* scope, QAbstractButton* button) {
    connect(NewShortcut(key, scope), &QShortcut::activated, button, [button] {
      if (button->isEnabled()) button->click();
    });
  };
  shortcut(NewKey, this, ToolButton1);
  shortcut(OpenKey, this, ToolButton2);
  shortcut(SaveKey, this, ToolButton3);
  shortcut(SaveAsKey, this, ToolButton4);
  shortcut(CloseKey, this, ToolButton5);
  shortcut(FindKey, this, BitBtn18);
  connect(NewShortcut(FilterKey, this), &QShortcut::activated, this,
          [this] { FilterAction->trigger(); });
  connect(NewShortcut(GridKey, this), &QShortcut::activated, this,
          [this] { GridAction->toggle(); });
  shortcut(DeleteKey, ListBox1, BitBtn7);
  shortcut(UpKey, ListBox1, BitBtn12);
  shortcut(DownKey, ListBox1, BitBtn13);
  shortcut(DeleteKey, ListBox2, BitBtn6);
  shortcut(UpKey, ListBox2, BitBtn14);
  shortcut(DownKey, ListBox2, BitBtn15);
  shortcut(EditKey, ListBox2, BitBtn17);
  shortcut(EditKeypadKey, ListBox2, BitBtn17);
  shortcut(EditF2Key, this, BitBtn17);
  shortcut(InsertKey, this, BitBtn4);
  // A double click on a symbol edits it.
  connect(ListBox2, &QListWidget::itemDoubleClicked, this, [this] {
    if (BitBtn17->isEnabled()) BitBtn17->click();
  });
  shortcut(UndoKey, this, ToolButton15);
  shortcut(RedoKey, this, ToolButton16);
  shortcut(RedoOtherKey, this, ToolButton16);
  CreateHistoryCommands();

  // eventFilter hands the viewport's drag and drop events to HandleSmileListDrop.
  ListBox1->viewport()->setAcceptDrops(true);

  OpenDialog1.DefaultExt = "ini";
  OpenDialog1.MultiSelect = false;
  TLang builtIn("", true);
  ApplyCommandLanguage(builtIn);
  ApplyHistoryLanguage(builtIn);
  ApplyThemeLanguage(builtIn);
}

void TForm1::ApplyCommandLanguage(TLang& language) {
  UnencodableSymbolText = language.Text(GeneralLang, UnencodableSymbolKey);
  CommaSymbolText = language.Text(GeneralLang, CommaSymbolKey);
  ControlSymbolText = language.Text(GeneralLang, ControlSymbolKey);
  SurplusLinesText = language.Text(GeneralLang, SurplusLinesKey);
  SaveFailedText = language.Text(GeneralLang, SaveFailedKey);
  ReplaceOtherPackText = language.Text(GeneralLang, ReplaceOtherPackKey);
  ChangedOutsideText = language.Text(GeneralLang, ChangedOutsideKey);
  for (std::size_t kind = 0; kind < PackErrorTexts.size(); ++kind)
    PackErrorTexts[kind] =
        language.Text(GeneralLang, EPackError::GeneralKey(static_cast<EPackError::TKind>(kind)));
  NoAppDataText = language.Text(GeneralLang, NoAppDataKey);
  LockFileText = language.Text(GeneralLang, LockFileKey);
  NoPackText = language.Text(GeneralLang, NoPackKey);
}

QShortcut* TForm1::NewShortcut(const QKeySequence& key, QWidget* scope) {
  auto* s = new QShortcut(key, scope);
  s->setContext(scope == this ? Qt::WindowShortcut : Qt::WidgetShortcut);
  return s;
}

void TForm1::ApplyShortcutHints() {
  const std::pair<QWidget*, QKeySequence> keys[] = {
      {ToolButton1, NewKey}, {ToolButton2, OpenKey},  {ToolButton3, SaveKey},
      {ToolButton4, SaveAsKey}, {ToolButton5, CloseKey}, {BitBtn18, FindKey},
      {BitBtn7, DeleteKey},  {BitBtn6, DeleteKey},    {BitBtn14, UpKey},
      {BitBtn15, DownKey},   {BitBtn17, EditF2Key},     {BitBtn4, InsertKey},
  };
  for (const auto& [widget, key] : keys)
    widget->setToolTip(WithShortcut(widget->toolTip(), KeyText(key)));
  // The move-smile buttons also name the keys that move the smile to either end.
  const std::tuple<QWidget*, QKeySequence, QKeySequence, int> moves[] = {
      {BitBtn12, UpKey, FirstKey, 0}, {BitBtn13, DownKey, LastKey, 1}};
  for (const auto& [widget, key, endKey, end] : moves)
    widget->setToolTip(WithShortcut(widget->toolTip(),
                                    KeyText(key) + "; " + Q(MoveToEndTexts[end]) + ": " +
                                        KeyText(endKey)));
}

bool TForm1::HandleSmileListDrop(QEvent* event) {
  if (event->type() != QEvent::DragEnter && event->type() != QEvent::DragMove &&
      event->type() != QEvent::Drop)
    return false;
  // QDragEnterEvent and QDragMoveEvent are QDropEvents.
  auto* drop = static_cast<QDropEvent*>(event);
  const int smile = DraggedSmile(drop->mimeData());
  std::vector<std::string> files;
  if (smile < 0 && BitBtn4->isEnabled()) files = DroppedPictures(drop->mimeData());
  if (smile < 0 && files.empty()) {
    drop->ignore();
    return true;
  }
  drop->setDropAction(smile >= 0 ? Qt::MoveAction : Qt::CopyAction);
  drop->accept();
  if (event->type() != QEvent::Drop) return true;
  int after = DropPosition(*ListBox1, drop->position().toPoint());
  if (smile >= 0) {
    // Taken out first, the smile goes after the smile above the drop point.
    int to = after < smile ? after + 1 : after;
    RunCommand([this, smile, to] { MoveSmileTo(smile, to); });
  } else {
    RunCommand([this, &files, after] { AddSmileFiles(files, after); });
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Choosers, messages and the warning

void TForm1::TellUser(const std::string& text, const std::string& details) {
  QMessageBox box(QMessageBox::Warning, Q(ProgramName), Q(text), QMessageBox::Ok, this);
  // Paths and codes from files are shown as they are, never read as markup.
  box.setTextFormat(Qt::PlainText);
  if (!details.empty()) box.setDetailedText(Q(details));
  RunModal(box);
}

void TForm1::AskReplace(TDefineDecoder*, const std::string& folder, int smileCount,
                        bool changedOutside, bool& replace) {
  std::string text = changedOutside ? ChangedOutsideText : ReplaceOtherPackText;
  // The number first: the folder's name may hold anything, "%d" too.
  auto count = text.find("%d");
  if (count != std::string::npos) text.replace(count, 2, std::to_string(smileCount));
  QMessageBox box(QMessageBox::Question, Q(ProgramName), Q(EPackError::Format(text, folder)),
                  QMessageBox::Save | QMessageBox::Cancel, this);
  box.setTextFormat(Qt::PlainText);
  // What the folder holds stays unless the user says otherwise.
  box.setDefaultButton(QMessageBox::Cancel);
  box.setEscapeButton(QMessageBox::Cancel);
  replace = RunModal(box) == QMessageBox::Save;
  SaveTargetCancelled = !replace;
}

std::string TForm1::InitialPackPath() const {
  if (Pack->BothPacks && Pack->BothPathsAssigned) return Pack->BothPath;
  return Pack->SourcePath[Pack->ActivePack];
}

bool TForm1::ChooseOpenSource(bool both, std::string& path) {
  if (both) {
    std::string folder = path;
    if (!SelectFolder(this, OpenPackTitle, folder, false)) return false;
    path = folder;
    return true;
  }
  TFileDialogOptions dialog = OpenDialog1;
  dialog.Title = OpenPackTitle;
  dialog.InitialDir = path;
  dialog.MultiSelect = false;
  std::vector<std::string> files;
  if (!ChooseFiles(this, dialog, files) || files.empty()) return false;
  path = files.front();
  return true;
}

bool TForm1::ChooseSaveTarget(bool both, std::string& path) {
  std::string folder = both ? path : platform::ExtractFilePath(path);
  SaveTargetCancelled = !SelectFolder(this, SavePackTitle, folder, true);
  if (SaveTargetCancelled) return false;
  path = both ? folder : platform::IncludeTrailingPathDelimiter(folder) + "_define.ini";
  return true;
}

bool TForm1::ConfirmDeletion(int kind, int smile, int symbol) {
  TConfigManager& config = *Pack->Config;
  if (!config.GetFlag(TConfigManager::cfShowWarnings)) return true;
  TForm7& form = *Dialogs->WarningForm;
  // What goes: the smile's number (from 1), its leading symbol, its picture, the symbol.
  const TSmile* s = Pack->GetSmile(smile);
  QString leading = s && !s->Symbols.Empty() ? SymbolText(s->Symbols[0]) : Q(NoneText);
  QString picture = s && (s->HasPicture || s->LoadError) ? Q(Pack->PictureFileName(smile)) : Q(NoneText);
  QString deleted = s && symbol >= 0 && symbol < s->Symbols.Count() ? SymbolText(s->Symbols[symbol])
                                                                     : QString();
  form.SetMessage(Placed(Q(DeleteWarningTexts[static_cast<std::size_t>(kind)]),
                         {QString::number(smile + 1), leading, picture, deleted}));
  form.CheckBox1->setChecked(false);
  int result = form.ShowModal();
  config.SetFlag(TConfigManager::cfShowWarnings, !form.CheckBox1->isChecked());
  return result == mrOk;
}

// ---------------------------------------------------------------------------------------------
// Pack commands

void TForm1::ToolButton1Click() {
  if (!Pack) return;
  // Starting the new pack frees the active pack's pictures without the closing notice, and the
  // progress reports let the preview's timer run: the preview lets go first.
  ReleasePreview(Pack.get());
  Pack->NewPack();
  ResetSelection();
  RefillSmiles(true);
  UpdatePackButtons();
}

void TForm1::ToolButton2Click() {
  if (!Pack) return;
  std::string path = InitialPackPath();
  if (ChooseOpenSource(Pack->BothPacks, path)) OpenChosenSource(path);
}

void TForm1::OpenChosenSource(const std::string& path) {
  TThemeFormat theme;
  const std::string name = platform::ExtractFileName(path);
  if (!Pack->BothPacks && (ThemeFormatOfIndexFile(name, theme) || theme_archive::IsArchiveName(name))) {
    OpenTheme(path);
    return;
  }
  ResetSelection();
  bool opened = Pack->OpenPack(path);
  RefillSmiles(true);
  ListBox1Click();
  UpdatePackButtons();
  if (!opened) return;
  ShowStatus(OpenedText, Pack->BothPacks ? platform::IncludeTrailingPathDelimiter(path)
                                         : platform::ExtractFilePath(path));
  TellSurplusLines(*this);
}

void TForm1::ToolButton3Click() {
  if (!Pack || !ConfirmSaveWithErrors(*this)) return;
  TSmilePack active = Pack->ActivePack;
  bool saved = false;
  SaveTargetCancelled = false;
  if (!Pack->BothPacks && Pack->LoadedPacks.Contains(active) &&
      !Pack->SourceAssigned.Contains(active)) {
    // A new pack has nowhere to go yet: ask, as save as does, rather than do nothing.
    std::string path = InitialPackPath();
    if (ChooseSaveTarget(false, path)) saved = Pack->SavePackAs(path);
  } else {
    saved = Pack->SavePack();
  }
  TellSaved(saved);
}

void TForm1::ToolButton4Click() {
  if (!Pack || !ConfirmSaveWithErrors(*this)) return;
  std::string path = InitialPackPath();
  SaveTargetCancelled = false;
  if (!ChooseSaveTarget(Pack->BothPacks, path)) return;
  TellSaved(Pack->SavePackAs(path));
}

void TForm1::TellSaved(bool saved) {
  UpdatePackButtons();
  if (saved)
    ShowStatus(SavedText, InitialPackPath());
  else if (!SaveTargetCancelled)
    TellUser(SaveFailedText);
}

void TForm1::ToolButton5Click() {
  if (!Pack || !Pack->ClosePack()) return;
  ResetSelection();
  RefillSmiles(false);
  UpdatePackButtons();
}

void TForm1::ToolButton11Click() {
  if (!Pack) return;
  TForm9& form = *Dialogs->OptionsForm;
  TConfigManager& config = *Pack->Config;
  form.CheckBox1->setChecked(config.GetFlag(TConfigManager::cfSaveOnExit));
  form.CheckBox2->setChecked(config.GetFlag(TConfigManager::cfShowWarnings));

  TLangManager languages(FindLanguagesDirectory());
  languages.Scan();
  languages.SelectByFileName(ChosenLanguageFile(languages.Directory));
  // Installed only now, so that selecting the stored language re-texts nothing.
  languages.OnLanguageChanged = [this](TLangManager* sender, TLang* language) {
    LanguageChanged(sender, language);
  };
  form.LangManager = &languages;
  int result = form.ShowModal();
  form.LangManager = nullptr;

  if (result == mrOk) {
    config.SetFlag(TConfigManager::cfSaveOnExit, form.CheckBox1->isChecked());
    config.SetFlag(TConfigManager::cfShowWarnings, form.CheckBox2->isChecked());
  }
  // A language chosen in the dialog stays, also after Cancel.
  GlobalConfig->SetString(TGlobalConfigManager::gsLangDirectory, languages.CurrentFileName);
}

void TForm1::ToolButton13Click() { Dialogs->AboutForm->ShowModal(); }

void TForm1::BitBtn9Click() { close(); }

// ---------------------------------------------------------------------------------------------
// Smile commands

void TForm1::BitBtn4Click() {
  if (!Pack) return;
  std::vector<std::string> files;
  if (!ChoosePictures(*this, files)) return;
  AddSmileFiles(files, SelectedSmile());
}

void TForm1::InsertSmileBefore() {
  int selected = SelectedSmile();
  if (!Pack || selected < 0) return;
  std::vector<std::string> files;
  if (!ChoosePictures(*this, files)) return;
  AddSmileFiles(files, selected - 1);
}

void TForm1::AddSmileFiles(const std::vector<std::string>& files, int pos) {
  // The files follow smile Pos in their order, as one step that an undo takes back whole; a
  // file gone since it was chosen leaves no gap between them.
  std::vector<std::string> present;
  for (const auto& file : files)
    if (platform::FileExists(file)) present.push_back(file);
  int first = std::min(pos + 1, Pack->SmileCount());
  int added = present.empty() ? 0 : Pack->AddSmiles(present, first);
  RefillSmiles(true);
  LastSymbolIndex = -1;
  SelectSmile(added > 0 ? first + added - 1 : pos);
  ListBox2Click();
}

void TForm1::BitBtn7Click() {
  int i = SelectedSmile();
  if (!Pack || i < 0 || !ConfirmDeletion(0, i)) return;
  // Clearing the selection stops the animation and lets go of the picture the model frees.
  SelectSmile(-1);
  Pack->DeleteSmile(i);
  RefillSmiles(true);
  SelectSmile(i >= 1 ? i - 1 : (Pack->SmileCount() > 0 ? 0 : -1));
  LastSymbolIndex = -1;
  ListBox2Click();
}

void TForm1::BitBtn11Click() {
  int i = SelectedSmile();
  if (!Pack || i < 0) return;
  std::vector<std::string> files;
  if (!ChoosePictures(*this, files)) return;
  // The model frees the smile's old picture, which the preview shows.
  ReleasePreview(Pack.get());
  Pack->ReplacePicture(i, files.front());
  RefillSmiles(false);
  LastSymbolIndex = -1;
  SelectSmile(i);
  ListBox2Click();
}

void TForm1::BitBtn16Click() {
  int i = SelectedSmile();
  if (!Pack || i < 0 || !ConfirmDeletion(1, i)) return;
  ReleasePreview(Pack.get());
  Pack->DeletePicture(i);
  RefillSmiles(false);
  LastSymbolIndex = -1;
  SelectSmile(i);
  ListBox2Click();
}

namespace {

void MoveSmile(TForm1& window, int by) {
  int i = window.SelectedSmile(), j = i + by;
  if (!window.Pack || i < 0 || j < 0 || j >= window.Pack->SmileCount()) return;
  window.Pack->ExchangeSmiles(i, j);
  window.RefillSmiles(false);
  window.SelectSmile(j);
}

}  // namespace

void TForm1::BitBtn12Click() { MoveSmile(*this, -1); }

void TForm1::BitBtn13Click() { MoveSmile(*this, +1); }

// ---------------------------------------------------------------------------------------------
// Symbol commands

void TForm1::BitBtn5Click() {
  int s = SelectedSmile();
  TSmile* smile = Pack ? Pack->GetSmile(s) : nullptr;
  if (!smile) return;
  TForm4& form = *Dialogs->NewSymbolForm;
  form.setWindowTitle(Q(SymbolDialogCaptions[SymbolAdd]));
  form.Edit1->clear();  // a new symbol starts from nothing
  if (form.ShowModal() != mrOk) return;
  std::string symbol;
  if (!TypedSymbol(*this, symbol)) return;
  int foundSmile = -1, foundSymbol = -1;
  if (Pack->FindSymbol(symbol, foundSmile, foundSymbol)) {
    ShowExistingSymbol(*this, foundSmile, foundSymbol);
    return;
  }
  int pos = SelectedSymbol() + 1;
  if (pos >= smile->Symbols.Count())
    smile->Symbols.Add(symbol);
  else
    smile->Symbols.Insert(pos, symbol);
  RefillSymbols(s);
  SelectSymbol(pos);
  RefillSmiles(false);
  ReselectSmileQuietly(s);
  WarnOfConflicts(s, pos);
}

void TForm1::BitBtn6Click() {
  int s = SelectedSmile(), j = SelectedSymbol();
  TSmile* smile = Pack ? Pack->GetSmile(s) : nullptr;
  if (!smile || j < 0 || j >= smile->Symbols.Count() || !ConfirmDeletion(2, s, j)) return;
  smile->Symbols.Delete(j);
  RefillSymbols(s);
  SelectSymbol(j >= 1 ? j - 1 : (smile->Symbols.Empty() ? -1 : 0));
  RefillSmiles(false);
  ReselectSmileQuietly(s);
}

void TForm1::BitBtn17Click() {
  int s = SelectedSmile(), j = SelectedSymbol();
  TSmile* smile = Pack ? Pack->GetSmile(s) : nullptr;
  if (!smile || j < 0 || j >= smile->Symbols.Count()) return;
  TForm4& form = *Dialogs->NewSymbolForm;
  form.setWindowTitle(Q(SymbolDialogCaptions[SymbolEdit]));
  form.Edit1->setText(SymbolText(smile->Symbols[j]));
  if (form.ShowModal() != mrOk) return;
  std::string symbol;
  if (!TypedSymbol(*this, symbol)) return;
  // Confirming the text unchanged finds the symbol itself. A change of letter case only is an
  // edit of this symbol, refused only when another symbol holds the new text.
  int foundSmile = -1, foundSymbol = -1;
  bool found = symbol == smile->Symbols[j]
                   ? Pack->FindSymbol(symbol, foundSmile, foundSymbol)
                   : FindOtherHolder(*Pack, symbol, s, j, foundSmile, foundSymbol);
  if (found) {
    ShowExistingSymbol(*this, foundSmile, foundSymbol);
    return;
  }
  smile->Symbols.Put(j, symbol);
  RefillSymbols(s);
  SelectSymbol(j);
  RefillSmiles(false);
  ReselectSmileQuietly(s);
  WarnOfConflicts(s, j);
}

void TForm1::BitBtn18Click() {
  if (!Pack) return;
  TForm4& form = *Dialogs->NewSymbolForm;
  form.setWindowTitle(Q(SymbolDialogCaptions[SymbolFind]));
  if (form.ShowModal() != mrOk) return;
  // A text that no pack can hold is found nowhere. Nothing found is told, and the selection
  // stays.
  int foundSmile = -1, foundSymbol = -1;
  std::string symbol;
  if (!platform::Utf8ToCp1251(form.Edit1->text().toStdString(), symbol) ||
      !Pack->FindSymbol(symbol, foundSmile, foundSymbol)) {
    TellUser(Q(NotFoundText).arg(form.Edit1->text()).toStdString());
    return;
  }
  SelectSmile(foundSmile);
  SelectSymbol(foundSymbol);
  ListBox1->ScrollToRow(foundSmile);
}

namespace {

void MoveSymbol(TForm1& window, int by) {
  int s = window.SelectedSmile(), j = window.SelectedSymbol(), k = j + by;
  TSmile* smile = window.Pack ? window.Pack->GetSmile(s) : nullptr;
  if (!smile || j < 0 || k < 0 || j >= smile->Symbols.Count() || k >= smile->Symbols.Count())
    return;
  smile->Symbols.Exchange(j, k);
  window.RefillSmiles(false);
  window.ReselectSmileQuietly(s);
  window.RefillSymbols(s);
  window.SelectSymbol(k);
}

}  // namespace

void TForm1::BitBtn14Click() { MoveSymbol(*this, -1); }

void TForm1::BitBtn15Click() { MoveSymbol(*this, +1); }
