// SPDX-License-Identifier: GPL-3.0-or-later
#include "Lang.h"

#include <filesystem>
#include <system_error>

#include "Cp1251.h"
#include "Files.h"
#include "LangText.h"

namespace {

constexpr const char* kDescriptionSection = "Description";
constexpr const char* kNoDescription = "-";
// A value can never hold a line break, so this default tells a missing key from any value.
constexpr std::string_view kMissing = "\n";

constexpr const char* kLanguagesFolder = "Languages/";

// The name of the file in fileName's folder that equals fileName's name without regard to
// letter case, for names that were written down on a system that ignores case; fileName itself
// when it exists or nothing matches.
std::string ResolveLetterCase(const std::string& fileName) {
  if (fileName.empty() || platform::FileExists(fileName)) return fileName;
  std::string folder = platform::ExtractFilePath(fileName);
  std::string name = platform::ExtractFileName(fileName);
  for (const auto& candidate : platform::FindFiles(folder + "*")) {
    if (platform::SameTextUtf8(candidate, name)) return folder + candidate;
  }
  return fileName;
}

}  // namespace

// ---- TLang ----------------------------------------------------------------------------------

TLang::TLang(const std::string& fileName, bool builtIn) {
  if (builtIn || !platform::FileExists(fileName)) {
    LangName = "Русский";
    LangDesc = "Язык программы по умолчинию";
    LangAuth = "The Fennimo developers";
    LangVer = "2.2";
    LangUrl = "https://fennimo.example.org/";
    LangLocale = "ru";
    return;
  }
  IsDefault = false;
  FileName = fileName;
  ini_ = std::make_unique<platform::TIniFile>(fileName);
  utf8_ = lang_text::StartsWithUtf8Bom(fileName);
  auto read = [this](const char* key) {
    std::string raw = ini_->ReadString(kDescriptionSection, key, kMissing);
    return raw == kMissing ? std::string(kNoDescription) : lang_text::Decode(raw, utf8_);
  };
  LangName = read("LangName");
  LangDesc = read("LangDesc");
  LangAuth = read("LangAuth");
  LangVer = read("LangVer");
  LangUrl = read("LangUrl");
  LangMail = read("LangMail");
  std::string locale = ini_->ReadString(kDescriptionSection, "LangLocale", "");
  LangLocale = lang_text::Decode(locale, utf8_);
}

TLang::~TLang() = default;

std::string TLang::GetText(int index, const std::string& def) {
  if (IsDefault || !ini_) return def;
  std::string raw = ini_->ReadString(Section, std::to_string(index), kMissing);
  return raw == kMissing ? def : lang_text::Decode(raw, utf8_);
}

std::string TLang::Text(const TLangTable& table, int index) {
  Section = std::string(table.Section);
  std::string def = index >= 0 && index < table.Count() ? std::string(table.Texts[index]) : "";
  return GetText(index, def);
}

// ---- TLangManager ---------------------------------------------------------------------------

TLangManager::TLangManager(const std::string& directory)
    : Directory(platform::IncludeTrailingPathDelimiter(directory)) {
  Clear();
}

TLangManager::~TLangManager() = default;

void TLangManager::Clear() {
  // A current record that the list holds outlives the list: the windows may still read it.
  if (current_ && !ownedCurrent_) {
    for (auto& entry : languages_) {
      if (entry.Lang.get() == current_) ownedCurrent_ = std::move(entry.Lang);
    }
  }
  languages_.clear();
  languages_.push_back({"", std::make_unique<TLang>("", true)});
}

void TLangManager::Scan() {
  Clear();
  for (const auto& name : platform::FindFiles(Directory + "*.lng")) {
    auto lang = std::make_unique<TLang>(Directory + name, false);
    // The file may have gone since it was listed.
    if (lang->IsDefault) continue;
    std::string key = lang->FileName;
    languages_.push_back({std::move(key), std::move(lang)});
  }
}

int TLangManager::Count() const { return static_cast<int>(languages_.size()); }

TLang* TLangManager::Items(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return languages_[static_cast<std::size_t>(index)].Lang.get();
}

int TLangManager::CurrentIndex() const {
  int index = IndexOf(CurrentFileName);
  return index < 0 ? 0 : index;
}

void TLangManager::SelectByFileName(const std::string& fileName) {
  ReleaseCurrent();
  int index = IndexOf(fileName);
  // The record is made from the listed name, which is the file's real spelling.
  SetOwnedCurrent(index < 0 ? std::make_unique<TLang>("", true)
                            : std::make_unique<TLang>(
                                  languages_[static_cast<std::size_t>(index)].Key, false));
  CurrentFileName = current_->FileName;
  NotifyChanged();
}

void TLangManager::SelectByIndex(int index) {
  ReleaseCurrent();
  if (index < 0 || index >= Count()) {
    SetOwnedCurrent(std::make_unique<TLang>("", true));
    CurrentFileName.clear();
  } else {
    CurrentFileName = languages_[static_cast<std::size_t>(index)].Key;
    SetOwnedCurrent(std::make_unique<TLang>(CurrentFileName, false));
  }
  NotifyChanged();
}

void TLangManager::LoadFile(const std::string& fileName) {
  ReleaseCurrent();
  auto lang = std::make_unique<TLang>(ResolveLetterCase(fileName), false);
  current_ = lang.get();
  std::string key = lang->FileName;
  languages_.push_back({std::move(key), std::move(lang)});
  // A missing file keeps the name asked for, so that CurrentIndex finds nothing and the
  // stored choice is not lost.
  CurrentFileName = current_->IsDefault ? fileName : current_->FileName;
  NotifyChanged();
}

int TLangManager::IndexOf(const std::string& fileName) const {
  for (std::size_t i = 0; i < languages_.size(); ++i) {
    if (platform::SameTextUtf8(languages_[i].Key, fileName)) return static_cast<int>(i);
  }
  return -1;
}

void TLangManager::ReleaseCurrent() {
  ownedCurrent_.reset();
  current_ = nullptr;
}

void TLangManager::SetOwnedCurrent(std::unique_ptr<TLang> lang) {
  ownedCurrent_ = std::move(lang);
  current_ = ownedCurrent_.get();
}

void TLangManager::NotifyChanged() {
  // A copy, so that a handler may replace or clear the event while it runs.
  if (TLanguageChangedEvent handler = OnLanguageChanged) handler(this, current_);
}

// ---- Finding the language folder ------------------------------------------------------------

namespace {

// The folder of the running program, ending in "/"; empty when it can't be found.
std::string ProgramFolder() {
  std::error_code error;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || exe.empty()) return "";
  return platform::IncludeTrailingPathDelimiter(exe.parent_path().string());
}

// Folder as an absolute path ending in "/"; the folder itself when the current directory is gone.
std::string Absolute(const std::string& folder) {
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(folder, error);
  if (error) return folder;
  return platform::IncludeTrailingPathDelimiter(path.lexically_normal().string());
}

}  // namespace

std::string FindLanguagesDirectory() {
  if (platform::DirectoryExists(kLanguagesFolder)) return Absolute(kLanguagesFolder);
  std::string program = ProgramFolder();
  if (!program.empty()) {
    for (const char* relative : {"Languages/", "../share/fennimo/Languages/"}) {
      std::string folder =
          std::filesystem::path(program + relative).lexically_normal().string();
      if (platform::DirectoryExists(folder)) return platform::IncludeTrailingPathDelimiter(folder);
    }
  }
  return Absolute(kLanguagesFolder);
}
