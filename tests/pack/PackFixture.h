// SPDX-License-Identifier: GPL-3.0-or-later
// A pack model on a private application-data folder, with packs made on disk and every question
// of the model answered from a script, so tests read as a user's steps.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "DefineDecoder.h"
#include "TestSupport.h"

namespace pack_testing {

// A valid one-pixel GIF carrying Tag in a comment block, so tests can tell pictures apart.
std::string Gif(const std::string& tag);
// A valid 2 x 2 BMP whose last bytes carry Tag.
std::string Bmp(const std::string& tag);
// A file that opens but does not decode.
inline const std::string kBrokenGif = "GIF89a\x01";

struct Answer {
  bool first;   // Skip for a missing picture, Keep for an empty line
  bool forAll;
};

class PackModelTest : public ::testing::Test {
protected:
  testing_support::ScopedAppData appData;
  testing_support::TempDir disk;
  std::unique_ptr<TDefineDecoder> model;

  // Scripted answers; an exhausted script leaves the model's default.
  std::deque<Answer> missingAnswers, emptyAnswers;
  std::deque<unsigned char> saveAnswers;
  std::deque<std::pair<bool, std::string>> folderAnswers;  // (ok, path)
  std::deque<bool> replaceAnswers;
  // Every event as a line of text, e.g. "missing ac.gif ae.gif :-)", "replace? q/ 5" (a folder
  // of the test's disk holding another pack of five smiles; "changed" follows for a pack's own
  // folder changed outside).
  std::vector<std::string> events;
  bool logProgress = false;

  void SetUp() override { StartModel(); }
  void TearDown() override { model.reset(); }

  // Creates the model on the workspace, installs the events and loads what the storage holds.
  void StartModel(const std::string& workspace = "Storage");
  // Destroys the model and starts a new one on the same storage, as a restart of the program.
  void Restart(const std::string& workspace = "Storage");

  // Makes a pack folder: the definition file (omitted when Define is null) and pictures named
  // by the given positions ("aa", "ab", …), each tagged with its own name.
  std::string MakePack(const std::string& folder, const char* define,
                       const std::vector<std::string>& pictures, TSmilePack kind = spAnimated);
  // A picture file outside any pack.
  std::string MakePicture(const std::string& name, const std::string& tag,
                          TSmilePack kind = spAnimated);

  // Opens a single pack of the given kind from Folder (path of its _define.ini).
  bool Open(const std::string& folder, TSmilePack kind = spAnimated);

  std::string StorageFolder(TSmilePack kind = spAnimated) const;
  // Tag of the storage picture at a position, or "-" when it is absent.
  std::string StorageTag(const std::string& position, TSmilePack kind = spAnimated) const;
  // Tags of the storage pictures of the first Count positions, joined by spaces.
  std::string StorageTags(int count, TSmilePack kind = spAnimated) const;
  std::string StorageDefine(TSmilePack kind = spAnimated) const;
  // The storage's state as "allocated pathAssigned loaded [sourcePath]", e.g. "1 1 1 [/x/]".
  std::string State(TSmilePack kind = spAnimated) const;
  std::vector<std::string> Captions() const;
  std::vector<std::string> SymbolsOf(int index) const;
};

// Tag of a picture file made by Gif() or Bmp(), or "-" when the file is absent.
std::string TagOf(const std::string& path);

}  // namespace pack_testing
