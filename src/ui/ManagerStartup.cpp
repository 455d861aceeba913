// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's start-up and shutdown: the global configuration, the language, the
// workspace lock, the model and its events, the host hand-off, and the orderly end. Also the way
// every command runs: a close that arrives meanwhile waits for it, and an error it throws is
// shown after the window has been rebuilt from the model.
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <filesystem>

#include "AppData.h"
#include "Application.h"
#include "ChatForm.h"
#include "ConfigManager.h"
#include "Dialogs.h"
#include "Files.h"
#include "HostHandoff.h"
#include "Lang.h"
#include "ManagerMain.h"
#include "RunningCopy.h"
#include "StorageManager.h"
#include "WorkspaceLock.h"
#include "SmileListModel.h"

// ---------------------------------------------------------------------------------------------
// Creation and destruction

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
  CreateControls();
  CreateCommands();
  CreateMenus();
  FormCreate();
  RestoreWindowState();
}

void TForm1::FormCreate() {
  std::string home, open;
  if (ReadHostHandoff(home, open)) {
    HostHomePath = home;
    HostOpenPath = open;
    WorkspaceName = "Tessaro";
    Hosted = true;
  }
  PlayWanted = true;
  CurrentPicture = nullptr;
  Initialized = false;
  // Without an application-data folder a storage would be a folder of the current directory.
  if (StorageRootFolder().empty()) {
    noAppData_ = true;
    return;
  }
  try {
    GlobalStorage = std::make_unique<TStorageManager>(StorageName("Config"));
    GlobalConfig = std::make_unique<TGlobalConfigManager>(*GlobalStorage);
  } catch (...) {
    globalConfigError_ = std::current_exception();
    return;
  }
  // Before the window is shown: a second start learns at once that another copy holds the
  // workspace, and hands its path over instead of showing a window of its own.
  TakeWorkspace();
}

TForm1::~TForm1() {
  // FormDestroy. A window destroyed without a close (the application is being terminated)
  // still lets go of the workspace; its packs stay in the storage rather than being closed
  // without the user's answer.
  if (Initialized) {
    if (Pack) {
      Pack->OnSaveQuery = nullptr;
      Pack->OnChooseFolder = nullptr;
      Pack->OnReplaceQuery = nullptr;
    }
    try {
      Pack.reset();
    } catch (...) {
    }
    Initialized = false;
  }
  ReleaseWorkspace();
  GlobalConfig.reset();
  GlobalStorage.reset();
}

// ---------------------------------------------------------------------------------------------
// Start-up

bool TForm1::ReadHostHandoff(std::string& home, std::string& open) {
  return platform::ReadHostHandoff(home, open);
}

std::string TForm1::WorkspaceLockFile() const {
  std::string folder = StorageRootFolder();
  if (folder.empty()) return {};
  platform::ForceDirectories(folder);
  return folder + WorkspaceName + "StorageMutex.lock";
}

void TForm1::TakeWorkspace() {
  std::string lockFile = WorkspaceLockFile();
  auto refusal = platform::TWorkspaceLock::TRefusal::CannotCreate;
  WorkspaceMutex =
      lockFile.empty() ? nullptr : platform::TWorkspaceLock::TryAcquire(lockFile, &refusal);
  workspaceHeldElsewhere_ = refusal == platform::TWorkspaceLock::TRefusal::HeldElsewhere;
  // A hosted copy edits its host's packs: no other start hands it a path.
  if (WorkspaceMutex && !Hosted)
    channel_ = std::make_unique<TRunningCopyServer>(
        ChannelSocketPath(), [this](const std::string& path) { TakeOutsideRequest(path); });
}

void TForm1::ReleaseWorkspace() {
  channel_.reset();
  WorkspaceMutex.reset();
}

void TForm1::ApplicationEvents1Idle() {
  if (Initialized || StartupFailed) return;
  TBusy busy(*this);
  InitializeWorkspace();
  if (!Hosted || !Initialized) return;

  // The host's hand-off: both packs from the host's folder, always closed on exit.
  RunCommand([this] {
    Dialogs->OptionsForm->CheckBox1->setEnabled(false);
    Pack->Config->SetFlag(TConfigManager::cfSaveOnExit, true);
    Pack->SetBothPacks(true);
    ResetSelection();
    if (HostOpenPath.empty()) HostOpenPath = HostHomePath;
    Pack->SetHostPath(HostHomePath);
    Pack->OpenPack(HostOpenPath);
    RefillSmiles(true);
    ListBox1Click();
    UpdatePackButtons();
  });
}

std::string TForm1::ChosenLanguageFile(const std::string& directory) const {
  std::string file = GlobalConfig ? GlobalConfig->GetString(TGlobalConfigManager::gsLangDirectory)
                                  : std::string();
  // Earlier versions stored the name relative to the folder the program started in; such a
  // name that names no file from here means the file of that name in the language folder.
  if (!file.empty() && std::filesystem::path(file).is_relative() && !platform::FileExists(file))
    file = directory + platform::ExtractFileName(file);
  return file;
}

void TForm1::InitializeWorkspace() {
  {
    TLangManager languages(FindLanguagesDirectory());
    languages.OnLanguageChanged = [this](TLangManager* sender, TLang* language) {
      LanguageChanged(sender, language);
    };
    languages.LoadFile(ChosenLanguageFile(languages.Directory));
  }

  if (noAppData_) {
    std::string folder = platform::AppDataFolderPath();
    // Neither variable names a folder: the message names the one to set.
    RefuseStart(EPackError::Format(NoAppDataText, folder.empty() ? "$HOME" : folder));
    return;
  }
  if (globalConfigError_) {
    RefuseStart(ErrorMessage(globalConfigError_));
    return;
  }
  // Taken by FormCreate.
  if (!WorkspaceMutex) {
    RefuseStart(workspaceHeldElsewhere_ ? std::string()
                                        : EPackError::Format(LockFileText, WorkspaceLockFile()));
    return;
  }

  LastSmileIndex = LastSymbolIndex = -1;
  ListBox1->Model()->SetRows({});
  ListBox2->clear();

  try {
    Pack = std::make_unique<TDefineDecoder>(WorkspaceName);
  } catch (...) {
    RefuseStart(ErrorMessage(std::current_exception()));
    return;
  }
  Pack->NoneText = NoneText;
  Pack->ErrorText = ErrorText;
  InstallModelEvents();

  // A pack that cannot be reloaded (an interrupted operation that cannot be completed, say) is
  // told; the window works with what the model holds.
  RunCommand([this] { Pack->LoadFromStorage(); });
  RefillSmiles(false);
  UpdatePackButtons();
  if (Pack->LoadedPacks.Contains(Pack->ActivePack)) {
    StaticText1->setText(QString::number(Pack->SmileCount()));
    BitBtn4->setEnabled(true);
    BitBtn18->setEnabled(true);
  }
  Initialized = true;
  UpdateTitle();
}

void TForm1::InstallModelEvents() {
  Pack->OnBeginOperation = [this](TDefineDecoder* s) { ShowProgress(s); };
  Pack->OnEndOperation = [this](TDefineDecoder* s) { HideProgress(s); };
  Pack->OnStage = [this](TDefineDecoder* s, unsigned char stage, int min, int max) {
    ProgressStage(s, stage, min, max);
  };
  Pack->OnProgress = [this](TDefineDecoder* s, const std::string& file, int position, int errors) {
    ProgressStep(s, file, position, errors);
  };
  Pack->OnMissingFile = [this](TDefineDecoder* s, bool& skip, bool& forAll,
                               const std::string& current, const std::string& next,
                               const std::string& symbol, TSmile* smile) {
    AskMissingFile(s, skip, forAll, current, next, symbol, smile);
  };
  Pack->OnEmptyLine = [this](TDefineDecoder* s, bool& keep, bool& forAll,
                             const std::string& file, TSmile* smile) {
    AskEmptyLine(s, keep, forAll, file, smile);
  };
  Pack->OnSaveQuery = [this](TDefineDecoder* s, unsigned char& answer) {
    AskSaveChanges(s, answer);
  };
  Pack->OnChooseFolder = [this](TDefineDecoder* s, bool both, std::string& path, bool& ok) {
    ChooseSaveTargetEvent(s, both, path, ok);
  };
  Pack->OnReplaceQuery = [this](TDefineDecoder* s, const std::string& folder, int smiles,
                                bool changedOutside, bool& replace) {
    AskReplace(s, folder, smiles, changedOutside, replace);
  };
  Pack->OnPackClosing = [this](TDefineDecoder* s) { ReleasePreview(s); };
}

void TForm1::RefuseStart(const std::string& message) {
  // Set first: the start never runs again, whatever the message's modal loop lets through.
  StartupFailed = true;
  ReleaseWorkspace();
  if (message.empty())
    Dialogs->ErrorForm->ShowModal();
  else
    ShowErrorMessage(this, message);
  QCoreApplication::exit(1);
  QTimer::singleShot(0, this, [this] { close(); });
}

// ---------------------------------------------------------------------------------------------
// Shutdown

bool TForm1::ShutdownWorkspace() {
  if (!Initialized) return true;
  if (Pack->Config->GetFlag(TConfigManager::cfSaveOnExit)) {
    bool both = Pack->BothPacks;
    bool closed = false;
    std::exception_ptr error;
    try {
      Pack->SetBothPacks(true);
      closed = Pack->ClosePack();
    } catch (...) {
      error = std::current_exception();
    }
    try {
      Pack->SetBothPacks(both);
    } catch (...) {
      if (!error) error = std::current_exception();
    }
    if (error) {
      // The end goes on: what could not be closed stays in the workspace and comes back at the
      // next start, as without the option.
      RebuildFromModel();
      ShowError(error);
    } else if (!closed) {
      return false;
    }
  }
  ResetSelection();
  for (QPushButton* b : {BitBtn1, BitBtn2, BitBtn3, BitBtn4, BitBtn5, BitBtn6, BitBtn7, BitBtn11,
                         BitBtn12, BitBtn13, BitBtn14, BitBtn15, BitBtn16, BitBtn17, BitBtn18})
    b->setEnabled(false);
  StaticText1->clear();
  StaticText2->clear();
  LoadPreviewFrames(-1);
  Pack.reset();
  UpdateHistoryButtons();
  UpdateTitle();
  ReleaseWorkspace();
  Initialized = false;
  return true;
}

void TForm1::closeEvent(QCloseEvent* event) {
  event->ignore();
  // The close already running answers this one.
  if (closing_) return;
  if (busy_ > 0) {
    closePending_ = true;
    CancelModalWindows();
    return;
  }
  TBusy busy(*this);
  closing_ = true;
  bool closed = ShutdownWorkspace();
  closing_ = false;
  if (!closed) return;
  SaveWindowState();
  event->accept();
}

void TForm1::LeaveBusy() {
  if (--busy_ > 0) return;
  if (!closePending_) {
    OpenOutsidePathWhenIdle();
    return;
  }
  closePending_ = false;
  ResumeModalWindows();
  QTimer::singleShot(0, this, [this] { close(); });
}

void TForm1::ProcessPendingMessages() {
  TBusy busy(*this);
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// ---------------------------------------------------------------------------------------------
// Commands and their errors

void TForm1::RunCommand(const std::function<void()>& command) {
  TBusy busy(*this);
  try {
    command();
  } catch (...) {
    // Rebuilt before the message: its modal loop paints the window, whose rows must be the
    // model's smiles and whose preview must not show a picture the model has freed.
    RebuildFromModel();
    ShowError(std::current_exception());
  }
  // Whatever the command did, undo and redo name the steps the model now holds, and the title
  // whether the pack differs from its folder; the chat preview shows the packs as they now are.
  UpdateHistoryButtons();
  UpdateTitle();
  if (ChatWindow) ChatWindow->PackChanged();
}

void TForm1::RebuildFromModel() {
  // An operation that ended early may have left the progress window up and this one hidden.
  if (Dialogs && Dialogs->LoadForm->isVisible()) HideProgress(Pack.get());
  LoadPreviewFrames(-1);
  RefillSmiles(false);
  ResetSelection();
  UpdatePackButtons();
}

std::string TForm1::ErrorMessage(const std::exception_ptr& error) const {
  try {
    std::rethrow_exception(error);
  } catch (const EPackError& e) {
    auto kind = static_cast<std::size_t>(e.Kind());
    return kind < PackErrorTexts.size() ? EPackError::Format(PackErrorTexts[kind], e.Path())
                                        : e.what();
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown error";
  }
}

void TForm1::ShowError(const std::exception_ptr& error) {
  std::string text = ErrorMessage(error);
  // While the window is on its way to close no message is shown; the terminal still hears it.
  if (ModalWindowsCancelled()) std::fprintf(stderr, "fennimo: %s\n", text.c_str());
  ShowErrorMessage(this, text);
}

// ---------------------------------------------------------------------------------------------
// Language

void TForm1::LanguageChanged(TLangManager*, TLang* language) {
  if (!language) return;
  ApplyToolkitLanguage(language->LangLocale);
  ApplyLanguage(*language);
  if (Dialogs) Dialogs->ApplyLanguage(*language);
}

void TForm1::ApplyToolkitLanguage(const std::string& locale) {
  toolkitTranslator_.reset();  // a translator leaves the application when it goes
  if (locale.empty()) return;
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QStringLiteral("qtbase_") + QString::fromStdString(locale),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return;
  QCoreApplication::installTranslator(translator.get());
  toolkitTranslator_ = std::move(translator);
}
