// SPDX-License-Identifier: GPL-3.0-or-later
#include "PackFixture.h"

#include "Files.h"
#include "StorageManager.h"

using namespace testing_support;

namespace pack_testing {

std::string Gif(const std::string& tag) {
  std::string gif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00", 19);
  gif += "\x21\xfe";
  gif += static_cast<char>(tag.size() + 4);
  gif += "tag:" + tag;
  gif += '\0';
  gif += std::string("\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b", 16);
  return gif;
}

std::string Bmp(const std::string& tag) {
  auto le32 = [](std::string& s, unsigned v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  auto le16 = [](std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
  };
  std::string pixels;
  for (int row = 0; row < 2; ++row) pixels += std::string("\x00\x00\xff\x00\xff\x00\x00\x00", 8);
  std::string trailer = "tag:" + tag;
  std::string bmp = "BM";
  le32(bmp, static_cast<unsigned>(54 + pixels.size() + trailer.size()));
  le32(bmp, 0);
  le32(bmp, 54);
  le32(bmp, 40);
  le32(bmp, 2);
  le32(bmp, 2);
  le16(bmp, 1);
  le16(bmp, 24);
  le32(bmp, 0);
  le32(bmp, static_cast<unsigned>(pixels.size()));
  le32(bmp, 2835);
  le32(bmp, 2835);
  le32(bmp, 0);
  le32(bmp, 0);
  return bmp + pixels + trailer;
}

std::string TagOf(const std::string& path) {
  std::string data;
  if (!platform::ReadFile(path, data)) return "-";
  auto pos = data.find("tag:");
  if (pos == std::string::npos) return "?";
  std::string tag;
  for (pos += 4; pos < data.size() && data[pos] != '\0'; ++pos) tag += data[pos];
  return tag;
}

void PackModelTest::StartModel(const std::string& workspace) {
  model = std::make_unique<TDefineDecoder>(workspace);
  auto* m = model.get();
  m->OnBeginOperation = [this](TDefineDecoder*) { events.push_back("begin"); };
  m->OnEndOperation = [this](TDefineDecoder*) { events.push_back("end"); };
  m->OnStage = [this](TDefineDecoder*, unsigned char stage, int min, int max) {
    events.push_back("stage " + std::to_string(stage) + " " + std::to_string(min) + " " +
                     std::to_string(max));
  };
  m->OnProgress = [this](TDefineDecoder*, const std::string& file, int position, int errors) {
    if (logProgress)
      events.push_back("progress " + file + " " + std::to_string(position) + " " +
                       std::to_string(errors));
  };
  m->OnMissingFile = [this](TDefineDecoder*, bool& skip, bool& forAll, const std::string& current,
                            const std::string& next, const std::string& symbol, TSmile* smile) {
    events.push_back("missing " + current + " " + next + " " + symbol +
                     (smile && smile->Picture ? "" : " (no picture)"));
    if (!missingAnswers.empty()) {
      skip = missingAnswers.front().first;
      forAll = missingAnswers.front().forAll;
      missingAnswers.pop_front();
    }
  };
  m->OnEmptyLine = [this](TDefineDecoder*, bool& keep, bool& forAll, const std::string& file,
                          TSmile* smile) {
    events.push_back("empty " + file + (smile && smile->Picture ? "" : " (no picture)"));
    if (!emptyAnswers.empty()) {
      keep = emptyAnswers.front().first;
      forAll = emptyAnswers.front().forAll;
      emptyAnswers.pop_front();
    }
  };
  m->OnSaveQuery = [this](TDefineDecoder*, unsigned char& answer) {
    events.push_back("save?");
    if (!saveAnswers.empty()) {
      answer = saveAnswers.front();
      saveAnswers.pop_front();
    }
  };
  m->OnChooseFolder = [this](TDefineDecoder*, bool both, std::string& path, bool& ok) {
    events.push_back(std::string("choose ") + (both ? "both" : "single") + " [" + path + "]");
    if (!folderAnswers.empty()) {
      ok = folderAnswers.front().first;
      path = folderAnswers.front().second;
      folderAnswers.pop_front();
    }
  };
  m->OnReplaceQuery = [this](TDefineDecoder*, const std::string& folder, int smiles,
                             bool changedOutside, bool& replace) {
    std::string shown =
        folder.starts_with(disk.Path()) ? folder.substr(disk.Path().size()) : folder;
    events.push_back("replace? " + shown + " " + std::to_string(smiles) +
                     (changedOutside ? " changed" : ""));
    if (!replaceAnswers.empty()) {
      replace = replaceAnswers.front();
      replaceAnswers.pop_front();
    }
  };
  m->OnPackClosing = [this](TDefineDecoder*) { events.push_back("closing"); };
  m->LoadFromStorage();
  events.clear();
}

void PackModelTest::Restart(const std::string& workspace) {
  model.reset();
  StartModel(workspace);
}

std::string PackModelTest::MakePack(const std::string& folder, const char* define,
                                    const std::vector<std::string>& pictures, TSmilePack kind) {
  std::string path = disk.Make(folder + "/");
  if (define) WriteBytes(path + "_define.ini", define);
  for (const auto& p : pictures)
    WriteBytes(path + p + PackExtension(kind), kind == spAnimated ? Gif(p) : Bmp(p));
  return path;
}

std::string PackModelTest::MakePicture(const std::string& name, const std::string& tag,
                                       TSmilePack kind) {
  std::string path = disk.Make("pictures/") + name;
  WriteBytes(path, kind == spAnimated ? Gif(tag) : Bmp(tag));
  return path;
}

bool PackModelTest::Open(const std::string& folder, TSmilePack kind) {
  if (model->ActivePack != kind) model->SetActivePack(kind);
  return model->OpenPack(folder + "_define.ini");
}

std::string PackModelTest::StorageFolder(TSmilePack kind) const {
  return appData.Path() + "Fennimo for Parlino 2005/2.0/Storage/" + PackFolderName(kind) + "/";
}

std::string PackModelTest::StorageTag(const std::string& position, TSmilePack kind) const {
  return TagOf(StorageFolder(kind) + position + PackExtension(kind));
}

std::string PackModelTest::StorageTags(int count, TSmilePack kind) const {
  std::string tags;
  for (int i = 0; i < count; ++i)
    tags += (i ? " " : "") + TagOf(StorageFolder(kind) + PictureFileName(i, kind));
  return tags;
}

std::string PackModelTest::StorageDefine(TSmilePack kind) const {
  std::string data;
  platform::ReadFile(StorageFolder(kind) + "_define.ini", data);
  return data;
}

std::string PackModelTest::State(TSmilePack kind) const {
  TStorageManager storage(StorageName(std::string("Storage/") + PackFolderName(kind)));
  TStorageIniFile state(storage);
  auto flag = [&](int i) { return state.GetFlag(i) ? std::string("1") : std::string("0"); };
  return flag(TStorageIniFile::fiStorageAllocated) + " " + flag(TStorageIniFile::fiPathAssigned) +
         " " + flag(TStorageIniFile::fiSmiliesLoaded) + " [" +
         state.GetString(TStorageIniFile::siSourcePath) + "]";
}

std::vector<std::string> PackModelTest::Captions() const {
  TSmileListView list;
  model->FillList(list);
  std::vector<std::string> captions;
  for (const auto& item : list) captions.push_back(item.Caption);
  return captions;
}

std::vector<std::string> PackModelTest::SymbolsOf(int index) const {
  return model->GetSmile(index)->Symbols.Items();
}

}  // namespace pack_testing
