// SPDX-License-Identifier: GPL-3.0-or-later
// The two config.ini files: the workspace one (section "Storage": how the packs are viewed,
// where they come from, the user's options) and the global one (section "Options": the chosen
// language). Callers address keys by index; each class maps the index to key and default.
// Both borrow their storage, which must outlive them. Nothing is cached; a failed write throws
// platform::EIniWriteError.
#pragma once

#include <memory>
#include <string>

#include "IniFile.h"

class TStorageManager;

class TConfigManager {
public:
  enum TFlagIndex {
    cfBothSmilePacks = 0,
    cfBothPathsAssigned = 1,
    cfAnimated = 2,
    cfCloseOnExit = 3,
    cfShowWarnings = 4,
    cfSaveOnExit = 5,
  };
  enum TStringIndex { csBothPath = 0 };

  // Marks the storage as set up (first construction only) and opens Path + "config.ini".
  explicit TConfigManager(TStorageManager& storage);

  bool GetFlag(int index) const;
  void SetFlag(int index, bool value);
  std::string GetString(int index) const;
  void SetString(int index, const std::string& value);
  // The storage's Path + "Temp/", created when missing (the outcome is not checked).
  std::string GetTempFolder() const;

private:
  TStorageManager& storage_;
  std::unique_ptr<platform::TIniFile> ini_;
};

class TGlobalConfigManager {
public:
  // The language file, and the main window's size and place, its splitter's place and its
  // preview's background, and whether the smiles show as a list or a grid (as the window
  // stores them); the chat preview's size and place, its background and the way it finds codes
  // (as that window stores them).
  enum TStringIndex {
    gsLangDirectory = 0,
    gsWindowGeometry = 1,
    gsSplitter = 2,
    gsPreviewBackground = 3,
    gsChatGeometry = 4,
    gsChatBackground = 5,
    gsChatMatching = 6,
    gsSmileView = 7,
  };

  explicit TGlobalConfigManager(TStorageManager& storage);

  std::string GetString(int index) const;
  void SetString(int index, const std::string& value);

private:
  std::unique_ptr<platform::TIniFile> ini_;
};
