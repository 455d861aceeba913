// SPDX-License-Identifier: GPL-3.0-or-later
// Packs named from outside the window: the path the program was started with, and the paths of
// later starts, which find the workspace held by this copy and hand their paths over through
// the channel (RunningCopy.h) instead of showing a window of their own.
#include <QApplication>
#include <QTimer>

#include <utility>

#include "Channel.h"
#include "DefineFile.h"
#include "Dialogs.h"
#include "EmoticonTheme.h"
#include "Files.h"
#include "LoadForm.h"
#include "ManagerMain.h"
#include "PackError.h"
#include "RunningCopy.h"
#include "StorageManager.h"
#include "ThemeArchive.h"

namespace {

// The kind of pack a folder named "Static" or "Animated" (letter case ignored) holds.
bool KindOfFolder(const std::string& folder, TSmilePack& kind) {
  std::string name = platform::ExtractFileName(folder.substr(0, folder.size() - 1));
  for (TSmilePack pack : AllPacks) {
    if (platform::MatchesMask(name, PackFolderName(pack))) {
      kind = pack;
      return true;
    }
  }
  return false;
}

// The folder of Root's pack of Kind, ending in "/", when there is one.
bool PackFolderOf(const std::string& root, TSmilePack kind, std::string& folder) {
  folder = root + platform::FindSubfolder(root, PackFolderName(kind)) + "/";
  return platform::DirectoryExists(folder);
}

TSmilePack Other(TSmilePack kind) { return kind == spStatic ? spAnimated : spStatic; }

// A theme's index file or archive, which the open command opens as a new pack.
bool IsTheme(const std::string& path) {
  const std::string name = platform::ExtractFileName(path);
  TThemeFormat format;
  return ThemeFormatOfIndexFile(name, format) || theme_archive::IsArchiveName(name);
}

bool HoldsPack(const std::string& folder) {
  return !platform::FindFiles(folder + DefineFileName).empty();
}

}  // namespace

std::string TForm1::ChannelSocketPath() const {
  std::string root = StorageRootFolder();
  return root.empty() ? std::string() : platform::ChannelSocketPath(root, WorkspaceName);
}

bool TForm1::HandToRunningCopy(const std::string& path) {
  // A hosted start brings its host's folders, which a copy already at work on others can't
  // take: it is refused as before.
  if (Hosted || WorkspaceMutex || !workspaceHeldElsewhere_) return false;
  return SendToRunningCopy(ChannelSocketPath(), path);
}

void TForm1::TakeOutsideRequest(const std::string& path) {
  BringToFront();
  if (path.empty()) return;
  outsidePath_ = path;
  OpenOutsidePathWhenIdle();
}

void TForm1::BringToFront() {
  if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
  // A question that is open stays in front of the window; an operation's progress stands in
  // for it.
  QWidget* front = QApplication::activeModalWidget();
  if (!front)
    front = isVisible() || !Dialogs ? static_cast<QWidget*>(this) : Dialogs->LoadForm.get();
  if (!front->isVisible()) return;
  front->raise();
  front->activateWindow();
}

void TForm1::OpenOutsidePathWhenIdle() {
  auto ready = [this] { return !outsidePath_.empty() && Initialized && busy_ == 0; };
  if (!ready()) return;
  // From the event loop, not from inside whatever called: the open is a command of its own.
  QTimer::singleShot(0, this, [this, ready] {
    if (!ready()) return;
    std::string path = std::exchange(outsidePath_, std::string());
    RunCommand([this, &path] { OpenFromOutside(path); });
  });
}

void TForm1::OpenFromOutside(const std::string& path) {
  if (!Pack) return;
  const bool isFolder = platform::DirectoryExists(path), isFile = platform::FileExists(path);
  const std::string folder =
      isFolder ? platform::IncludeTrailingPathDelimiter(path) : platform::ExtractFilePath(path);
  TSmilePack kind = Pack->ActivePack;
  std::string open;
  if ((isFile || isFolder) && (HoldsPack(folder) || (isFile && IsTheme(path)))) {
    open = isFolder ? folder + DefineFileName : path;
    KindOfFolder(folder, kind);
  } else if (std::string pack; isFolder && (PackFolderOf(folder, kind, pack) ||
                                            PackFolderOf(folder, kind = Other(kind), pack))) {
    // A two-pack root: its pack of the active kind, or the one it has.
    if (Pack->BothPacks) {
      OpenChosenSource(folder);
      return;
    }
    open = pack + DefineFileName;
  } else {
    TellUser(EPackError::Format(NoPackText, path));
    return;
  }
  // One pack, of the kind named: as the user would switch to it before the open command.
  if (Pack->BothPacks) {
    Pack->SetBothPacks(false);
    UpdatePackButtons();
  }
  SwitchToPack(kind);
  OpenChosenSource(open);
}
