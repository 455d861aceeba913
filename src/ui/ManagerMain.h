// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the smiles of the active pack in one list, the symbols of the selected smile
// in another, and an animated preview of the selected smile, with a menu bar holding every
// command, the tool bar of pack commands and a status bar that tells where the pack saves to.
// It owns the pack model, the global configuration and its storage; it borrows the dialogs
// (created after it) and, for the preview, the selected smile's picture decoder. It holds no
// pack data of its own: after every command it refills its lists from the model.
//
// The layout and the view live in ManagerMain.cpp; start-up, shutdown and the way every command
// runs (a close waits for it, its errors are shown) in ManagerStartup.cpp; the command handlers
// in ManagerCommands.cpp, undo, redo and moving a smile anywhere in ManagerHistory.cpp,
// opening another messenger's theme in ManagerThemes.cpp, the menu bar, the title, the status
// bar and the window's remembered size in ManagerMenus.cpp, and packs named from outside the
// window (the program's argument, another start's) in ManagerOutside.cpp.
#pragma once

#include <QImage>
#include <QMainWindow>
#include <QPixmap>
#include <QString>
#include <QTranslator>

#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CodeMatch.h"
#include "DefineDecoder.h"
#include "DialogSeam.h"
#include "PackError.h"
#include "PictureDecoder.h"
#include "SmileListModel.h"

class QAbstractButton;
class QAction;
class QActionGroup;
class QGroupBox;
class QLabel;
class QMenu;
class QSplitter;
class QKeySequence;
class QMimeData;
class QShortcut;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollArea;
class QTimer;
class QToolButton;
class TChatForm;
class TConfigManager;
struct TDialogs;
class TGlobalConfigManager;
class TLang;
class TLangManager;
class TStorageManager;
class TPaintBox;
class TRunningCopyServer;
namespace platform {
class TWorkspaceLock;
}

class TForm1 : public QMainWindow {
  Q_OBJECT

public:
  // FormCreate: reads the host hand-off, fixes the workspace, creates the global configuration.
  explicit TForm1(QWidget* parent = nullptr);
  // FormDestroy.
  ~TForm1() override;

  // The dialogs, created after this window; must be set before the window is shown.
  void SetDialogs(TDialogs* dialogs) { Dialogs = dialogs; }

  // ---- Controls ----
  QScrollArea* PageScroller1 = nullptr;
  QWidget* ToolBar1 = nullptr;
  QToolButton* ToolButton1 = nullptr;   // new pack
  QToolButton* ToolButton2 = nullptr;   // open pack
  QToolButton* ToolButton3 = nullptr;   // save pack
  QToolButton* ToolButton4 = nullptr;   // save pack as
  QToolButton* ToolButton5 = nullptr;   // close pack
  QToolButton* ToolButton7 = nullptr;   // Static (check, grouped with 8)
  QToolButton* ToolButton8 = nullptr;   // Animated (check, grouped with 7)
  QToolButton* ToolButton9 = nullptr;   // both packs (check)
  QToolButton* ToolButton11 = nullptr;  // options
  QToolButton* ToolButton13 = nullptr;  // about
  QToolButton* ToolButton15 = nullptr;  // undo
  QToolButton* ToolButton16 = nullptr;  // redo
  QSplitter* Splitter1 = nullptr;   // between the lists and the preview
  QGroupBox* GroupBox1 = nullptr;
  QLineEdit* FilterEdit = nullptr;  // shows only the smiles with a symbol holding its text
  TSmileListBox* ListBox1 = nullptr;  // smiles, as a list or a grid
  QListWidget* ListBox2 = nullptr;  // symbols of the selected smile
  QPushButton* BitBtn4 = nullptr;   // add smile
  QPushButton* BitBtn7 = nullptr;   // delete smile
  QPushButton* BitBtn11 = nullptr;  // replace picture
  QPushButton* BitBtn16 = nullptr;  // delete picture
  QPushButton* BitBtn12 = nullptr;  // move smile up
  QPushButton* BitBtn13 = nullptr;  // move smile down
  QPushButton* BitBtn5 = nullptr;   // add symbol
  QPushButton* BitBtn6 = nullptr;   // delete symbol
  QPushButton* BitBtn17 = nullptr;  // edit symbol
  QPushButton* BitBtn18 = nullptr;  // find symbol
  QPushButton* BitBtn14 = nullptr;  // move symbol up
  QPushButton* BitBtn15 = nullptr;  // move symbol down
  QGroupBox* GroupBox2 = nullptr;
  TPaintBox* PaintBox1 = nullptr;   // the frame as large as fits, in its proportions
  QScrollArea* PreviewScroll = nullptr;  // holds PaintBox2 whole, scrolling past the window
  TPaintBox* PaintBox2 = nullptr;   // the frame at its own size
  QPushButton* BitBtn1 = nullptr;   // Start/Pause
  QPushButton* BitBtn2 = nullptr;   // Previous
  QPushButton* BitBtn3 = nullptr;   // Next
  QLabel* StaticText1 = nullptr;    // smile count
  QLabel* StaticText2 = nullptr;    // frame counter
  QPushButton* BitBtn9 = nullptr;   // exit
  QTimer* Timer1 = nullptr;         // preview animation
  QLabel* StatusFolder = nullptr;   // in the status bar: the folder the pack saves to
  QString StatusText;               // the status bar's last result, whole
  QLabel* EmptyListHint = nullptr;  // over the smile list while no pack is open
  QLabel* PreviewFacts = nullptr;   // under the preview: the picture's size, frames, loop, file
  QLabel* PackFacts = nullptr;      // in the status bar: the pack's smiles, size, largest

  // ---- The menu bar (ManagerMenus.cpp) ----
  QMenu* FileMenu = nullptr;
  QMenu* EditMenu = nullptr;
  QMenu* ViewMenu = nullptr;
  QMenu* HelpMenu = nullptr;
  QMenu* BackgroundMenu = nullptr;
  // A menu entry for each command, by the button it presses; entries of their own below.
  std::vector<std::pair<QAction*, QAbstractButton*>> MenuCommands;
  QAction* InsertSmileAction = nullptr;
  QAction* ExportThemeAction = nullptr;
  QAction* OptionsAction = nullptr;
  QAction* ShortcutsAction = nullptr;
  QAction* GridAction = nullptr;    // the smiles as a grid of pictures (remembered)
  QAction* FilterAction = nullptr;  // to the filter field
  QActionGroup* Backgrounds = nullptr;  // white, dark, checkerboard
  // The View menu's chat preview, and its window (ChatForm.h), told after every command that
  // the packs may have changed.
  QAction* ChatAction = nullptr;
  TChatForm* ChatWindow = nullptr;
  // The preview's background.
  enum TBackground { bgWhite = 0, bgDark = 1, bgChecker = 2 };
  TBackground PreviewBackground = bgWhite;

  // ---- Start-up state ----
  bool StartupFailed = false;
  std::unique_ptr<platform::TWorkspaceLock> WorkspaceMutex;
  bool Hosted = false;
  std::string HostHomePath;
  std::string HostOpenPath;
  std::string WorkspaceName = "Storage";
  bool Initialized = false;
  std::unique_ptr<TDefineDecoder> Pack;
  std::unique_ptr<TStorageManager> GlobalStorage;
  std::unique_ptr<TGlobalConfigManager> GlobalConfig;
  TDialogs* Dialogs = nullptr;

  // ---- View state ----
  int LastSmileIndex = -1;
  int LastSymbolIndex = -1;
  // The selected smile's picture as the preview decoded it from its file (owned by
  // PreviewPicture), or none.
  TPictureDecoder* CurrentPicture = nullptr;
  std::unique_ptr<TPictureDecoder> PreviewPicture;
  int CurrentFrame = 0;
  bool PlayWanted = true;
  QPixmap GlyphBitmap;

  // ---- Module texts (UTF-8, set by ApplyLanguage) ----
  std::array<std::string, 2> PlayCaptions;          // stopped, playing
  std::string OfText;
  std::string NoneText;
  std::string ErrorText;
  std::array<std::string, 4> StageNames;
  std::array<std::string, 3> SymbolDialogCaptions;  // add, find, edit
  std::string OpenPackTitle;
  std::string SavePackTitle;
  std::string PictureDialogTitle;
  std::array<std::string, 2> FilterNames;           // Static, Animated
  std::string AllFilesFilter;
  TFileDialogOptions OpenDialog1;                   // pack file dialog
  TFileDialogOptions OpenDialog2;                   // picture file dialog

  // ---- Start-up and shutdown (ManagerStartup.cpp) ----
  // The creation of the window's non-visual parts: the host hand-off, the workspace name and the
  // global configuration. A global configuration that cannot be set up is not fatal here: the
  // first idle moment tells the user why and ends the start.
  void FormCreate();
  bool ReadHostHandoff(std::string& home, std::string& open);
  // The deferred initialisation (first idle moment) and the host hand-off that follows it.
  void ApplicationEvents1Idle();
  void InitializeWorkspace();
  bool ShutdownWorkspace();
  void LanguageChanged(TLangManager* sender, TLang* language);
  // Path of the workspace lock file.
  std::string WorkspaceLockFile() const;

  // Runs one command of the user's (a button, a shortcut, a drop). While it runs, a close waits
  // (see closeEvent). When it throws, the lists and the selection are rebuilt from the model
  // (nothing selected) and the error is shown: a pack error in the current language, any other
  // error with its own text.
  void RunCommand(const std::function<void()>& command);
  // The text shown for an error: EPackError in the current language, others their what().
  std::string ErrorMessage(const std::exception_ptr& error) const;

  // ---- View ----
  void ListBox1Click();
  void ListBox2Click();
  void PaintPreview();
  void UpdateFrameCounter();
  void Timer1Timer();
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn3Click();
  void SetAnimation(bool play, bool remember);
  void ResumeAnimation();
  void StopAnimation();
  void ToolButton7Click();
  void ToolButton8Click();
  void ToolButton9Click();
  // Makes Pack the active pack and shows it; nothing changes when it already is.
  void SwitchToPack(TSmilePack pack);
  void UpdatePackButtons();
  void RecaptionSmiles();
  void ApplyLanguage(TLang& language);
  // Appends each command's keyboard shortcut to its hint (ManagerCommands.cpp); runs after
  // every language change.
  void ApplyShortcutHints();
  // The texts of ManagerHistory.cpp and ManagerThemes.cpp, from section "General".
  void ApplyHistoryLanguage(TLang& language);
  void ApplyThemeLanguage(TLang& language);

  // ---- Menu bar, title, status bar, window size (ManagerMenus.cpp) ----
  void CreateMenus();
  void ApplyMenuLanguage(TLang& language);
  // Each menu entry as its button is: enabled, checked; runs before a menu opens.
  void UpdateMenus();
  // The title names the active pack (its folder's name, or "New pack") and marks it while it
  // differs from its folder; the status bar names the folder it saves to.
  void UpdateTitle();
  // The result of the last save, open or import, in the status bar: Text with "%1" the number
  // of smiles of the packs the command worked on and "%2" the folder or file.
  void ShowStatus(const std::string& text, const std::string& path);
  // The status bar's folder (its tooltip's text) and last result shortened to fit.
  void ElideStatusBar();
  // The smiles of the packs a pack command works on: the active pack's, or both packs' in
  // both-packs mode.
  int CommandSmileCount() const;
  // The demo pack installed with the program ("" when there is none), and its opening.
  static std::string DemoPackFolder();
  void OpenDemoPack();
  void SetPreviewBackground(TBackground background);
  // The keyboard shortcuts of the window, listed.
  void ShowShortcuts();
  // The window's size and place, and the splitter's, as the global configuration remembers
  // them; always inside the screen's available area.
  void RestoreWindowState();
  void SaveWindowState();
  // Texts of the menus, the title and the status bar (UTF-8).
  std::string ProgramName;
  std::string NewPackName;
  std::string SavedText, OpenedText, ThemeOpenedText;
  std::string FolderText, NoFolderText;
  std::string EmptyListText, DemoPackText;
  // A find that found nothing ("%1" the symbol); the warnings before a smile, a picture or a
  // symbol is deleted ("%1" the smile's number, "%2" its leading symbol, "%3" its picture, "%4"
  // the symbol); what a smile that needs attention lacks (no picture, a picture that can't be
  // read, no symbols).
  std::string NotFoundText;
  std::array<std::string, 3> DeleteWarningTexts;  // smile, picture, symbol
  std::array<std::string, 3> AttentionTexts;
  // What smile Index of the active pack needs, one reason a line; empty when it is whole.
  QString AttentionOf(int index) const;

  // ---- The smile list's view and filter ----
  // Shows the smiles as a grid or as a list, and remembers which.
  void SetGridView(bool grid);
  // Hides the smiles none of whose symbols holds the filter's text (letter case ignored); rows
  // keep their places in the pack. A selected smile that is hidden gives way to the first shown.
  // The smile counter shows "shown / all" while the filter holds text (and the plain count
  // again when TextChanged clears it).
  void ApplyFilter(bool textChanged);
  void UpdateSmileCounter();

  // ---- Notes and facts (ManagerFacts.cpp) ----
  // What the smiles of the active pack are worth a note for, besides errors: a code inside
  // another smile's code, a picture twice as wide as the pack's usual ones. Made by
  // ComputeNotes when the list is filled; NotesOf gives smile Index's, one a line.
  void ComputeNotes();
  QString NotesOf(int index) const;
  std::vector<QString> Notes;
  // The facts under the preview (the selected picture) and in the status bar (the pack, from
  // a listing of its storage: after each change, not each selection).
  void UpdatePictureFacts();
  void UpdatePackFacts();
  // After symbol Symbol of smile Smile was added or changed: a warning when it holds another
  // smile's code or is held by one (the symbol stays).
  void WarnOfConflicts(int smile, int symbol);
  QString ConflictText(const TPackCodes& codes, const TCodeConflict& conflict, bool shortSide) const;
  void ApplyFactsLanguage(TLang& language);
  // MainForm texts 62 to 68: the picture's facts, the pack's, a wide picture, a code inside
  // another, a code holding another, what pack order does then, the warning.
  std::array<std::string, 7> FactTexts;
  QStringList SizeUnits;  // bytes, kilobytes, megabytes
  QString SizeText(long long bytes) const;

  // ---- Model events ----
  void ShowProgress(TDefineDecoder* sender);
  void HideProgress(TDefineDecoder* sender);
  void ProgressStage(TDefineDecoder* sender, unsigned char stage, int min, int max);
  void ProgressStep(TDefineDecoder* sender, const std::string& fileName, int position,
                    int errors);
  void AskMissingFile(TDefineDecoder* sender, bool& skip, bool& forAll,
                      const std::string& currentFile, const std::string& nextFile,
                      const std::string& symbol, TSmile* smile);
  void AskEmptyLine(TDefineDecoder* sender, bool& keep, bool& forAll, const std::string& fileName,
                    TSmile* smile);
  void AskSaveChanges(TDefineDecoder* sender, unsigned char& answer);
  void ChooseSaveTargetEvent(TDefineDecoder* sender, bool both, std::string& path, bool& ok);
  // A save about to replace another pack or one changed outside the editor: a message box with
  // Save and Cancel, Cancel first (ManagerCommands.cpp, beside the commands' other messages).
  // Cancel sets SaveTargetCancelled, so the command tells of no failure.
  void AskReplace(TDefineDecoder* sender, const std::string& folder, int smileCount,
                  bool changedOutside, bool& replace);
  void ReleasePreview(TDefineDecoder* sender);

  // ---- Commands (ManagerCommands.cpp) ----
  void ToolButton1Click();  // new pack
  void ToolButton2Click();  // open pack
  void ToolButton3Click();  // save pack
  void ToolButton4Click();  // save pack as
  void ToolButton5Click();  // close pack
  void ToolButton11Click(); // options
  void ToolButton13Click(); // about
  void BitBtn9Click();      // exit
  void BitBtn4Click();      // add smiles
  void BitBtn7Click();      // delete smile
  void BitBtn11Click();     // replace picture
  void BitBtn16Click();     // delete picture
  void BitBtn12Click();     // move smile up
  void BitBtn13Click();     // move smile down
  void BitBtn5Click();      // add symbol
  void BitBtn6Click();      // delete symbol
  void BitBtn17Click();     // edit symbol
  void BitBtn18Click();     // find symbol
  void BitBtn14Click();     // move symbol up
  void BitBtn15Click();     // move symbol down
  // Adds picture files as smiles before the selected one (the menu's insert).
  void InsertSmileBefore();
  std::string InitialPackPath() const;
  // After a save: its result in the status bar, or a message when it failed (not when the user
  // cancelled it).
  void TellSaved(bool saved);
  bool ChooseOpenSource(bool both, std::string& path);
  // Opens what the open chooser returned: a theme's index file as a new pack, else the pack (or
  // in both-packs mode the two packs) of Path.
  void OpenChosenSource(const std::string& path);
  bool ChooseSaveTarget(bool both, std::string& path);
  // The warning before a deletion, unless the user turned it off: what Kind (0 smile, 1 picture,
  // 2 symbol) deletes of smile Smile (and its symbol Symbol), and that undo brings it back.
  bool ConfirmDeletion(int kind, int smile, int symbol = -1);
  // A message of the commands (UTF-8, plain text), through the modal seam like every dialog;
  // Details, when given, behind the box's button that shows them.
  void TellUser(const std::string& text, const std::string& details = {});
  // Adds picture files as smiles after position Pos (-1: at the front), as the add command
  // does; used by the add command and by files dropped on the smile list.
  void AddSmileFiles(const std::vector<std::string>& files, int pos);
  // Picture files dragged from a file manager onto the smile list, and smiles dragged within
  // it. eventFilter hands the DragEnter, DragMove and Drop events of ListBox1's viewport here;
  // true when the event was taken. Dropped files go after the smile above the drop point,
  // through AddSmileFiles; a dragged smile moves there (MoveSmileTo).
  bool HandleSmileListDrop(QEvent* event);
  // The commands' own messages below, from section "General" of the language; ApplyLanguage
  // calls it (the shortcut hints are ApplyShortcutHints).
  void ApplyCommandLanguage(TLang& language);
  // Messages of the commands (UTF-8): a typed symbol that a pack can't hold in Windows-1251, or
  // that holds a comma (which separates symbols on a definition line) or a control character
  // (a line break would split the line); definition lines an open left out because a pack holds
  // at most 676 smiles; a save that failed; a save into a folder that holds another pack ("%s"
  // the folder, "%d" its number of smiles) or whose pack was changed outside the editor ("%s");
  // the pack operations that could not be carried out, by EPackError kind. And the start's: no
  // folder for the program's data, no lock file ("%s": the path); a path from outside that
  // holds no pack.
  std::string UnencodableSymbolText;
  std::string CommaSymbolText;
  std::string ControlSymbolText;
  std::string SurplusLinesText;
  std::string SaveFailedText;
  std::string ReplaceOtherPackText;
  std::string ChangedOutsideText;
  std::array<std::string, EPackError::KindCount> PackErrorTexts;
  std::string NoAppDataText;
  std::string LockFileText;
  // A path named from outside that holds no pack ("%s": the path).
  std::string NoPackText;
  // Set by ChooseSaveTarget and AskReplace: the user cancelled the last folder choice or kept
  // what the folder held (so a save that returns false was cancelled rather than failed).
  bool SaveTargetCancelled = false;

  // ---- Undo, redo and moving a smile anywhere (ManagerHistory.cpp) ----
  void ToolButton15Click();  // undo
  void ToolButton16Click();  // redo
  // Enables undo and redo when the active pack has a step to undo or redo, and names the step
  // in their hints; runs after every command, pack switch and language change.
  void UpdateHistoryButtons();
  // Moves smile From to To in one step and selects it there.
  void MoveSmileTo(int from, int to);
  // Alt+Home and Alt+End: the selected smile to the first or the last place.
  void MoveSelectedSmileToEnd(bool last);
  // What a drag of smile Row from the smile list carries: it names this window and the active
  // pack, so a drop elsewhere, or from another window or program, moves nothing.
  std::unique_ptr<QMimeData> SmileDragData(int row) const;
  // The smile a drag carries when SmileDragData made it for the active pack and it names a
  // smile; else -1.
  int DraggedSmile(const QMimeData* data) const;

  // The history texts of section "General" (UTF-8): the undo and redo hints, the steps they
  // name by TStepKind (adding several smiles apart), a step that can't be read, and the words
  // before Alt+Home and Alt+End in the move-smile hints.
  std::array<std::string, 2> HistoryHints;
  std::array<std::string, StepKindCount> StepTexts;
  std::string SeveralSmilesAddedText;
  std::string StepUnreadableText;
  std::array<std::string, 2> MoveToEndTexts;  // first, last

  // ---- Other messengers' themes and pictures of any kind (ManagerThemes.cpp) ----
  // Opens the theme whose index file or archive Path is as a new pack of the active kind, and
  // tells what it left out; a theme that can't be read is told.
  void OpenTheme(const std::string& path);
  // Writes the active pack as another messenger's theme, in a format and a folder the user
  // chooses, and tells what it left out (File menu).
  void ExportTheme();
  // Their texts of section "General" (UTF-8): every picture kind's filter name, the theme
  // filter's name, what a theme left out (heading, "%s" the file), and an unreadable theme.
  std::string AllPicturesName;
  std::string ThemeFilterName;
  std::string ThemeLeftOutText;
  std::string ThemeUnreadableText;
  std::string ExportFormatText, ExportedText, ExportLeftOutText, ExportFailedText;

  // ---- Packs named from outside the window (ManagerOutside.cpp) ----
  // The socket of the channel to the copy that holds this window's workspace; "" when there is
  // no place for it that only this user can reach.
  std::string ChannelSocketPath() const;
  // At an ordinary start that found its workspace held by another copy: hands Path (absolute;
  // empty for none) to that copy, which comes to the front. True when it took it: this start
  // then ends without a window. False for every other start, and when the copy can't be
  // reached; the start then goes on and is refused as before.
  bool HandToRunningCopy(const std::string& path);
  // A start of the program with Path (empty: none), this one's or another's: the window comes to
  // the front, and Path opens through RunCommand once the window is ready and no other command
  // runs. A path that arrives while another waits replaces it: the last one named is shown.
  void TakeOutsideRequest(const std::string& path);
  // Opens Path as the open command opens what its chooser returns. A pack (a _define.ini, a
  // file beside one, a folder holding one) or a theme (its index file, an archive) opens as one
  // pack, leaving both-packs mode, and as the static or the animated pack when its folder is
  // named "Static" or "Animated". A folder holding "Static" or "Animated" opens both packs in
  // both-packs mode, else the active kind's pack in it. Anything else is told (NoPackText).
  void OpenFromOutside(const std::string& path);

  // ---- Recurring steps of the commands ----
  void ResetSelection();
  void RefillSmiles(bool showCount);
  void RefillSymbols(int smile);
  void ReselectSmileQuietly(int smile);
  void SelectSmile(int index);   // select (or clear with -1), LastSmileIndex = -1, ListBox1Click
  void SelectSymbol(int index);  // the same for the symbol list
  int SelectedSmile() const;
  int SelectedSymbol() const;

protected:
  // FormClose. A close that arrives while the window is busy (a termination request while a
  // command asks a question or an open reports progress) waits until the command has returned
  // to the event loop, answering open questions as with Cancel to get there; the workspace stays
  // locked and the model alive until then.
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  // While one exists the window is in the middle of something (a command, the start, the
  // shutdown, a pass through pending messages): a close waits until the last one has gone.
  class TBusy {
  public:
    explicit TBusy(TForm1& form) : form_(form) { ++form_.busy_; }
    ~TBusy() { form_.LeaveBusy(); }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;

  private:
    TForm1& form_;
  };

  void CreateControls();
  void CreateCommands();  // connects the command buttons, shortcuts and drops (ManagerCommands.cpp)
  void CreateHistoryCommands();  // undo, redo, moving a smile anywhere (ManagerHistory.cpp)
  // A keyboard shortcut of the window (Scope: this) or of one control.
  QShortcut* NewShortcut(const QKeySequence& key, QWidget* scope);
  // Undo (true) or redo: the step runs, then the selection goes to what it touched.
  void WalkHistory(bool undo);
  // Starts the drag of smile Row (the smile list starts it once the mouse has moved far
  // enough); returns when it has been dropped or given up.
  void StartSmileDrag(int row);
  // The tool bar's page-scroll arrows, shown while the bar is wider than the window.
  void LayoutToolBar();
  void PaintBox1Paint(QPainter& painter);
  void PaintBox2Paint(QPainter& painter);
  void PaintBackground(QPainter& painter, const QRect& rect) const;
  // Decodes the picture of smile Smile of the active pack for the preview (CurrentPicture), and
  // its frames as the preview draws them, transparent where the picture does not cover its
  // screen; -1 lets go of them.
  void LoadPreviewFrames(int smile);
  const QImage* PreviewFrame() const;
  std::vector<QImage> PreviewFrames;
  // Lets the toolkit handle pending messages (not user input) while a long operation runs.
  void ProcessPendingMessages();

  // ManagerStartup.cpp
  void LeaveBusy();
  // ManagerOutside.cpp
  void BringToFront();
  // Opens the path a start named once the window is ready and no command runs (again from
  // LeaveBusy while one does).
  void OpenOutsidePathWhenIdle();
  void InstallModelEvents();
  // The language file the global configuration names, for a manager on Directory.
  std::string ChosenLanguageFile(const std::string& directory) const;
  // Ends a start that cannot go on: the message (ErrorForm when empty), then the end of the
  // program with a failure status.
  void RefuseStart(const std::string& message);
  // Takes the workspace lock (FormCreate) and, in an ordinary start, opens the channel on which
  // later starts hand their paths over; lets go of both, the channel first.
  void TakeWorkspace();
  void ReleaseWorkspace();
  // After a command failed: the lists, the selection and the buttons as the model now is.
  void RebuildFromModel();
  void ShowError(const std::exception_ptr& error);
  // Qt's own texts (choosers, standard buttons, the text fields' menu) in the language of the
  // locale; Qt's built-in English for an empty locale or one Qt has no translation for.
  void ApplyToolkitLanguage(const std::string& locale);

  bool idleScheduled_ = false;
  int busy_ = 0;
  bool closePending_ = false;  // a close arrived while busy; it runs when the last TBusy goes
  bool closing_ = false;       // ShutdownWorkspace is running for a close
  // Set by FormCreate when the start cannot go on: there is no application-data folder, or the
  // global configuration could not be set up.
  bool noAppData_ = false;
  std::exception_ptr globalConfigError_;
  bool workspaceHeldElsewhere_ = false;  // why FormCreate got no workspace lock
  std::unique_ptr<TRunningCopyServer> channel_;
  std::string outsidePath_;  // named from outside, not yet opened
  std::unique_ptr<QTranslator> toolkitTranslator_;
  QToolButton* scrollLeft_ = nullptr;   // the tool bar's page-scroll arrows
  QToolButton* scrollRight_ = nullptr;
};

// Symbols are bytes in Windows-1251; the lists show them as text.
QString SymbolText(const std::string& symbol);
