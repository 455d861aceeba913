// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's menu bar, its title and status bar, and the size and place it remembers.
// Every menu entry presses its command's button, so it does what the button does and nothing
// while the button is disabled; the entries name the keys of their commands.
#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>

#include "ChatForm.h"
#include "CommandKeys.h"
#include "ConfigManager.h"
#include "DialogSeam.h"
#include "Files.h"
#include "GeneralLang.h"
#include "Lang.h"
#include "LangTables.h"
#include "ManagerMain.h"
#include "PreviewForm.h"
#include "SmileListModel.h"
#include "WindowText.h"

using namespace command_keys;

namespace {

// MainForm keys of the menus, the title, the status bar and the empty list.
enum {
  FileMenuKey = 31,
  EditMenuKey = 32,
  ViewMenuKey = 33,
  HelpMenuKey = 34,
  InsertSmileKey = 35,
  BackgroundMenuKey = 36,
  WhiteKey = 37,
  DarkKey = 38,
  CheckerKey = 39,
  ShortcutsKey = 40,
  NewPackNameKey = 41,
  SavedKey = 42,
  OpenedKey = 43,
  ThemeOpenedKey = 44,
  FolderKey = 45,
  NoFolderKey = 46,
  EmptyListKey = 47,
  DemoPackKey = 49,
  NotFoundKey = 50,
  DeleteSmileWarningKey = 51,  // then the picture's and the symbol's
  NoPictureKey = 54,           // then a picture that can't be read, no symbols
  ExportThemeKey = 57,         // then its question, its result, what it left out, its failure
  GridKey_ = 69,
  FilterKey_ = 70,
};

// The key of a command that has one, for the menus and the list of keys.
QKeySequence CommandKey(const TForm1& w, const QAbstractButton* button) {
  const std::pair<const QAbstractButton*, QKeySequence> keys[] = {
      {w.ToolButton1, NewKey},   {w.ToolButton2, OpenKey},   {w.ToolButton3, SaveKey},
      {w.ToolButton4, SaveAsKey}, {w.ToolButton5, CloseKey}, {w.ToolButton15, UndoKey},
      {w.ToolButton16, RedoKey}, {w.BitBtn4, InsertKey},     {w.BitBtn7, DeleteKey},
      {w.BitBtn12, UpKey},       {w.BitBtn13, DownKey},      {w.BitBtn6, DeleteKey},
      {w.BitBtn17, EditF2Key},   {w.BitBtn18, FindKey},      {w.BitBtn14, UpKey},
      {w.BitBtn15, DownKey},
  };
  for (const auto& [b, key] : keys)
    if (b == button) return key;
  return {};
}

// A hint as a menu entry: the first line, without the keys the hint names in brackets.
QString EntryText(QString hint) {
  int bracket = hint.indexOf(" (");
  return bracket > 0 ? hint.left(bracket) : hint;
}

// The global configuration's name for each background, and back.
const char* const kBackgroundNames[] = {"white", "dark", "checker"};

}  // namespace

// ---------------------------------------------------------------------------------------------
// The menus

void TForm1::CreateMenus() {
  FileMenu = menuBar()->addMenu(QString());
  EditMenu = menuBar()->addMenu(QString());
  ViewMenu = menuBar()->addMenu(QString());
  HelpMenu = menuBar()->addMenu(QString());
  auto entry = [this](QMenu* menu, QAbstractButton* button) {
    QAction* action = menu->addAction(button->icon(), QString());
    action->setCheckable(button->isCheckable());
    connect(action, &QAction::triggered, this, [button] {
      if (button->isEnabled()) button->click();
    });
    MenuCommands.emplace_back(action, button);
    return action;
  };
  for (QAbstractButton* b : {ToolButton1, ToolButton2, ToolButton3, ToolButton4}) entry(FileMenu, b);
  ExportThemeAction = FileMenu->addAction(QString());
  connect(ExportThemeAction, &QAction::triggered, this, [this] {
    if (ToolButton4->isEnabled()) RunCommand([this] { ExportTheme(); });
  });
  entry(FileMenu, ToolButton5);
  FileMenu->addSeparator();
  entry(FileMenu, BitBtn9);

  entry(EditMenu, ToolButton15);
  entry(EditMenu, ToolButton16);
  EditMenu->addSeparator();
  entry(EditMenu, BitBtn4);
  InsertSmileAction = EditMenu->addAction(BitBtn4->icon(), QString());
  connect(InsertSmileAction, &QAction::triggered, this, [this] {
    if (BitBtn7->isEnabled()) RunCommand([this] { InsertSmileBefore(); });
  });
  for (QAbstractButton* b : {BitBtn11, BitBtn16, BitBtn7, BitBtn12, BitBtn13}) entry(EditMenu, b);
  EditMenu->addSeparator();
  for (QAbstractButton* b : {BitBtn5, BitBtn17, BitBtn6, BitBtn14, BitBtn15, BitBtn18})
    entry(EditMenu, b);
  FilterAction = EditMenu->addAction(QString());
  connect(FilterAction, &QAction::triggered, this, [this] {
    FilterEdit->setFocus(Qt::ShortcutFocusReason);
    FilterEdit->selectAll();
  });
  EditMenu->addSeparator();
  OptionsAction = entry(EditMenu, ToolButton11);

  for (QAbstractButton* b : {ToolButton7, ToolButton8, ToolButton9}) entry(ViewMenu, b);
  ViewMenu->addSeparator();
  GridAction = ViewMenu->addAction(QString());
  GridAction->setCheckable(true);
  connect(GridAction, &QAction::toggled, this, [this](bool grid) { SetGridView(grid); });
  BackgroundMenu = ViewMenu->addMenu(QString());
  Backgrounds = new QActionGroup(this);
  for (int b = bgWhite; b <= bgChecker; ++b) {
    QAction* action = BackgroundMenu->addAction(QString());
    action->setCheckable(true);
    action->setData(b);
    Backgrounds->addAction(action);
    connect(action, &QAction::triggered, this,
            [this, b] { SetPreviewBackground(static_cast<TBackground>(b)); });
  }
  ViewMenu->addSeparator();
  ChatWindow = new TChatForm(Pack, GlobalConfig, this);
  ChatAction = ViewMenu->addAction(QString());
  ChatAction->setShortcut(ChatKey);
  connect(ChatAction, &QAction::triggered, this, [this] {
    ChatWindow->show();
    ChatWindow->raise();
    ChatWindow->activateWindow();
  });

  ShortcutsAction = HelpMenu->addAction(QString());
  connect(ShortcutsAction, &QAction::triggered, this, [this] { ShowShortcuts(); });
  entry(HelpMenu, ToolButton13);

  for (QMenu* menu : {FileMenu, EditMenu, ViewMenu})
    connect(menu, &QMenu::aboutToShow, this, [this] { UpdateMenus(); });
  TLang builtIn("", true);
  ApplyLanguage(builtIn);
}

void TForm1::ApplyMenuLanguage(TLang& language) {
  auto m = [&](int key) { return Q(language.Text(MainFormLang, key)); };
  FileMenu->setTitle(m(FileMenuKey));
  EditMenu->setTitle(m(EditMenuKey));
  ViewMenu->setTitle(m(ViewMenuKey));
  HelpMenu->setTitle(m(HelpMenuKey));
  for (auto [action, button] : MenuCommands) {
    // The undo and redo hints name the step; the menu names the command only.
    QString text = button == ToolButton15   ? Q(language.Text(GeneralLang, 28))
                   : button == ToolButton16 ? Q(language.Text(GeneralLang, 29))
                                            : EntryText(button->toolTip());
    QKeySequence key = CommandKey(*this, button);
    action->setText(key.isEmpty() ? text : text + "\t" + KeyText(key));
  }
  InsertSmileAction->setText(m(InsertSmileKey));
  GridAction->setText(m(GridKey_) + "\t" + KeyText(GridKey));
  FilterAction->setText(m(FilterKey_) + "\t" + KeyText(FilterKey));
  FilterEdit->setPlaceholderText(m(FilterKey_) + " (" + KeyText(FilterKey) + ")");
  ExportThemeAction->setText(m(ExportThemeKey));
  ExportFormatText = language.Text(MainFormLang, ExportThemeKey + 1);
  ExportedText = language.Text(MainFormLang, ExportThemeKey + 2);
  ExportLeftOutText = language.Text(MainFormLang, ExportThemeKey + 3);
  ExportFailedText = language.Text(MainFormLang, ExportThemeKey + 4);
  BackgroundMenu->setTitle(m(BackgroundMenuKey));
  const int names[] = {WhiteKey, DarkKey, CheckerKey};
  for (QAction* action : Backgrounds->actions()) action->setText(m(names[action->data().toInt()]));
  ShortcutsAction->setText(m(ShortcutsKey));
  ChatAction->setText(Q(language.Text(ChatFormLang, 1)));
  ChatWindow->ApplyLanguage(language);
  ProgramName = language.Text(MainFormLang, 0);
  NewPackName = language.Text(MainFormLang, NewPackNameKey);
  SavedText = language.Text(MainFormLang, SavedKey);
  OpenedText = language.Text(MainFormLang, OpenedKey);
  ThemeOpenedText = language.Text(MainFormLang, ThemeOpenedKey);
  FolderText = language.Text(MainFormLang, FolderKey);
  NoFolderText = language.Text(MainFormLang, NoFolderKey);
  EmptyListText = language.Text(MainFormLang, EmptyListKey) + "\n\n" +
                  language.Text(MainFormLang, EmptyListKey + 1);
  DemoPackText = language.Text(MainFormLang, DemoPackKey);
  NotFoundText = language.Text(MainFormLang, NotFoundKey);
  for (std::size_t i = 0; i < 3; ++i) {
    DeleteWarningTexts[i] = language.Text(MainFormLang, DeleteSmileWarningKey + static_cast<int>(i));
    AttentionTexts[i] = language.Text(MainFormLang, NoPictureKey + static_cast<int>(i));
  }
  UpdateTitle();
}

void TForm1::UpdateMenus() {
  for (auto [action, button] : MenuCommands) {
    action->setEnabled(button->isEnabled());
    if (button->isCheckable()) action->setChecked(button->isChecked());
  }
  InsertSmileAction->setEnabled(BitBtn7->isEnabled());
  ExportThemeAction->setEnabled(ToolButton4->isEnabled());
  for (QAction* action : Backgrounds->actions())
    action->setChecked(action->data().toInt() == PreviewBackground);
}

void TForm1::ShowShortcuts() {
  QString text;
  auto line = [&](const QString& keys, const QString& what) {
    text += keys + "\t" + what + "\n";
  };
  for (auto [action, button] : MenuCommands) {
    QKeySequence key = CommandKey(*this, button);
    if (!key.isEmpty()) line(KeyText(key), action->text().section('\t', 0, 0));
  }
  for (QAction* action : {FilterAction, GridAction})
    line(KeyText(action == GridAction ? GridKey : FilterKey), action->text().section('\t', 0, 0));
  line(KeyText(RedoOtherKey), ToolButton16->toolTip().section(':', 0, 0));
  line(KeyText(ChatKey), ChatAction->text());
  line(KeyText(EditKey), EntryText(BitBtn17->toolTip()));
  line(KeyText(FirstKey), EntryText(BitBtn12->toolTip()) + ", " + Q(MoveToEndTexts[0]));
  line(KeyText(LastKey), EntryText(BitBtn13->toolTip()) + ", " + Q(MoveToEndTexts[1]));
  QMessageBox box(QMessageBox::Information, ShortcutsAction->text(), text.trimmed(),
                  QMessageBox::Ok, this);
  box.setTextFormat(Qt::PlainText);
  RunModal(box);
}

// ---------------------------------------------------------------------------------------------
// Title and status bar

void TForm1::UpdateTitle() {
  if (!StatusFolder) return;
  QString program = Q(ProgramName.empty() ? std::string("Fennimo") : ProgramName);
  TSmilePack a = Pack ? Pack->ActivePack : spAnimated;
  // While no pack is open the empty list says how to get one.
  bool open = Pack && Pack->LoadedPacks.Contains(a);
  QString hint = Q(EmptyListText).toHtmlEscaped().replace("\n", "<br>");
  if (!DemoPackFolder().empty())
    hint += "<br><br><a href=\"demo\">" + Q(DemoPackText).toHtmlEscaped() + "</a>";
  EmptyListHint->setText(hint);
  EmptyListHint->setVisible(!open && Initialized);
  if (!open) {
    setWindowTitle(program);
    StatusFolder->clear();
    StatusFolder->setToolTip({});
    UpdatePackFacts();
    ElideStatusBar();
    return;
  }
  bool assigned = Pack->SourceAssigned.Contains(a);
  std::string folder = Pack->SourcePath[a];
  QString name = assigned ? Q(platform::ExtractFileName(
                                folder.substr(0, folder.empty() ? 0 : folder.size() - 1)))
                          : Q(NewPackName);
  setWindowTitle(name + (Pack->IsChanged(a) ? "*" : "") + QStringLiteral(" \u2014 ") + program);
  StatusFolder->setToolTip(assigned ? Q(FolderText).arg(Q(folder)) : Q(NoFolderText));
  UpdatePackFacts();
  ElideStatusBar();
}

void TForm1::ElideStatusBar() {
  // The folder in at most a third of the bar (the last result and the pack's facts share the
  // rest), its middle left out where it is longer; the tooltip holds it whole.
  StatusFolder->setText(StatusFolder->fontMetrics().elidedText(
      StatusFolder->toolTip(), Qt::ElideMiddle, std::max(120, width() / 3)));
  // The last result in what is left, whole in the bar's tooltip.
  const int room = statusBar()->width() - StatusFolder->sizeHint().width() -
                   PackFacts->sizeHint().width() - 40;
  statusBar()->showMessage(
      statusBar()->fontMetrics().elidedText(StatusText, Qt::ElideMiddle, std::max(room, 60)));
  statusBar()->setToolTip(StatusText);
}

void TForm1::ShowStatus(const std::string& text, const std::string& path) {
  StatusText = Q(text).arg(CommandSmileCount()).arg(Q(path));
  ElideStatusBar();
}

QString TForm1::AttentionOf(int index) const {
  const TSmile* smile = Pack ? Pack->GetSmile(index) : nullptr;
  if (!smile) return {};
  QStringList reasons;
  if (smile->LoadError)
    reasons << Q(AttentionTexts[1]);
  else if (!smile->HasPicture)
    reasons << Q(AttentionTexts[0]);
  if (smile->Symbols.Empty()) reasons << Q(AttentionTexts[2]);
  return reasons.join('\n');
}

int TForm1::CommandSmileCount() const {
  if (!Pack) return 0;
  if (!Pack->BothPacks) return Pack->SmileCount();
  int count = 0;
  for (TSmilePack pack : AllPacks)
    if (Pack->LoadedPacks.Contains(pack)) count += static_cast<int>(Pack->Smiles[pack].size());
  return count;
}

std::string TForm1::DemoPackFolder() {
  std::string folder = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                       "/../share/fennimo/demo")
                           .toStdString() +
                       "/";
  return platform::DirectoryExists(folder) ? folder : std::string();
}

void TForm1::OpenDemoPack() {
  std::string demo = DemoPackFolder();
  if (!Pack || demo.empty()) return;
  ResetSelection();
  std::string path = Pack->BothPacks
                         ? demo
                         : demo + PackFolderName(Pack->ActivePack) + "/" + DefineFileName;
  if (Pack->OpenPack(path)) ShowStatus(OpenedText, Pack->BothPacks ? demo : platform::ExtractFilePath(path));
  RefillSmiles(true);
  ListBox1Click();
  UpdatePackButtons();
}

// ---------------------------------------------------------------------------------------------
// The preview's background and the window's size and place

void TForm1::SetPreviewBackground(TBackground background) {
  PreviewBackground = background;
  if (GlobalConfig)
    GlobalConfig->SetString(TGlobalConfigManager::gsPreviewBackground,
                            kBackgroundNames[background]);
  PaintBox1->update();
  PaintBox2->update();
}

void TForm1::SetGridView(bool grid) {
  ListBox1->SetGrid(grid);
  if (GridAction) GridAction->setChecked(grid);
  const char* view = grid ? "grid" : "list";
  if (GlobalConfig && GlobalConfig->GetString(TGlobalConfigManager::gsSmileView) != view)
    GlobalConfig->SetString(TGlobalConfigManager::gsSmileView, view);
  const int selected = SelectedSmile();
  if (selected >= 0) ListBox1->ScrollToRow(selected);
}

void TForm1::RestoreWindowState() {
  QScreen* screen = this->screen();
  const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  bool restored = false;
  if (GlobalConfig) {
    std::string background = GlobalConfig->GetString(TGlobalConfigManager::gsPreviewBackground);
    for (int b = bgWhite; b <= bgChecker; ++b)
      if (background == kBackgroundNames[b]) PreviewBackground = static_cast<TBackground>(b);
    auto bytes = [&](int index) {
      return QByteArray::fromHex(QByteArray::fromStdString(GlobalConfig->GetString(index)));
    };
    restored = restoreGeometry(bytes(TGlobalConfigManager::gsWindowGeometry));
    SetGridView(GlobalConfig->GetString(TGlobalConfigManager::gsSmileView) == "grid");
    Splitter1->restoreState(bytes(TGlobalConfigManager::gsSplitter));
  }
  // Never larger than the screen's free area, whatever the scale, with room for the frame the
  // desktop draws around it; never outside that area.
  const QRect saved = geometry();
  QSize size = restored ? saved.size() : QSize(632, 540);
  size = size.boundedTo(room.size() * 9 / 10).expandedTo(minimumSizeHint()).boundedTo(room.size());
  QPoint place = restored ? saved.topLeft()
                          : room.center() - QPoint(size.width() / 2, size.height() / 2);
  place.setX(std::clamp(place.x(), room.left(), std::max(room.left(), room.right() + 1 - size.width())));
  place.setY(std::clamp(place.y(), room.top(), std::max(room.top(), room.bottom() + 1 - size.height())));
  setGeometry(QRect(place, size));
}

void TForm1::SaveWindowState() {
  if (!GlobalConfig) return;
  ChatWindow->SaveState();
  try {
    GlobalConfig->SetString(TGlobalConfigManager::gsWindowGeometry,
                            saveGeometry().toHex().toStdString());
    GlobalConfig->SetString(TGlobalConfigManager::gsSplitter,
                            Splitter1->saveState().toHex().toStdString());
  } catch (const std::exception&) {
    // The size and place are a convenience: the program ends all the same.
  }
}
