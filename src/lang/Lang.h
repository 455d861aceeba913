// SPDX-License-Identifier: GPL-3.0-or-later
// Languages. A language is an INI file with the extension ".lng" in the language folder: section
// "Description" describes it, and one section per window (plus "Common" and "General") holds
// that window's texts under the decimal key numbers. Russian is built in; a file need only hold
// the keys it translates.
//
// Files are Windows-1251, or UTF-8 when they start with a UTF-8 byte-order mark; every text
// handed out is UTF-8.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "IniFile.h"
#include "LangTable.h"

// One language: the built-in one, or one read from a file. Owns its INI accessor; every lookup
// reads the file again, nothing is cached.
class TLang {
public:
  // The built-in language when builtIn is set or no regular file named fileName exists;
  // otherwise the language of that file, with the description read from section
  // "Description" ("-" for every key the file lacks).
  TLang(const std::string& fileName, bool builtIn);
  virtual ~TLang();
  TLang(const TLang&) = delete;
  TLang& operator=(const TLang&) = delete;

  bool IsDefault = true;
  // The file the language is read from; empty for the built-in language.
  std::string FileName;
  std::string LangName;
  std::string LangDesc;
  std::string LangAuth;
  std::string LangVer;
  std::string LangUrl;
  std::string LangMail;
  // The locale of the language ("ru", "en", "pt_BR"), for the toolkit's own texts: "ru" for the
  // built-in language; the file's "Description" key LangLocale, empty when it lacks one.
  std::string LangLocale;
  // The section that GetText reads; set it before the lookups of a window.
  std::string Section;

  // The text of key `index` (written in decimal) in section Section, or def when the language
  // is the built-in one or the file lacks that section or key. A key that is present with an
  // empty value gives an empty text.
  virtual std::string GetText(int index, const std::string& def);
  // Sets Section to the table's section and looks key `index` up with the table's built-in
  // text as the default (an empty default for an index the table doesn't have).
  std::string Text(const TLangTable& table, int index);

private:
  std::unique_ptr<platform::TIniFile> ini_;
  // The file started with a UTF-8 byte-order mark when the record was created.
  bool utf8_ = false;
};

// The list of languages of one folder and the current language. Lives for one use (loading the
// language at start, or the Options dialog).
//
// The list owns its records. Current is either a record the list holds (after LoadFile) or one
// the manager owns on its own (after SelectByFileName and SelectByIndex); either way it stays
// valid until the next selection or the manager's end, also across Clear and Scan.
class TLangManager {
public:
  using TLanguageChangedEvent = std::function<void(TLangManager* sender, TLang* lang)>;

  // directory is the language folder; a trailing "/" is added when it lacks one. The list then
  // holds only the built-in language, and there is no current language yet.
  explicit TLangManager(const std::string& directory);
  ~TLangManager();
  TLangManager(const TLangManager&) = delete;
  TLangManager& operator=(const TLangManager&) = delete;

  std::string Directory;
  // The file name of the current language; empty for the built-in one.
  std::string CurrentFileName;
  // Called with the manager and the new current language each time a language becomes
  // current.
  TLanguageChangedEvent OnLanguageChanged;

  // Empties the list, leaving only the built-in language (under the empty file name).
  void Clear();
  // Clear, then one entry per file matching Directory + "*.lng", in name order.
  void Scan();
  int Count() const;
  // The record at index, or nullptr outside 0 to Count() - 1.
  TLang* Items(int index) const;
  // The list index of CurrentFileName (letter case ignored), or 0 when the list lacks it.
  int CurrentIndex() const;
  // The current language; nullptr until a language has been selected or loaded.
  TLang* Current() const { return current_; }

  // Makes current a fresh record of the listed file whose name equals fileName without regard
  // to letter case, or the built-in language when none does.
  void SelectByFileName(const std::string& fileName);
  // Makes current a fresh record of the file listed at index; the built-in language at index 0
  // and outside the list.
  void SelectByIndex(int index);
  // Reads fileName (the built-in language when it is empty or names no file), adds the record
  // to the list and makes it current. A name that differs from an existing file's only in
  // letter case opens that file.
  void LoadFile(const std::string& fileName);

private:
  struct TEntry {
    std::string Key;
    std::unique_ptr<TLang> Lang;
  };

  int IndexOf(const std::string& fileName) const;
  void ReleaseCurrent();
  void SetOwnedCurrent(std::unique_ptr<TLang> lang);
  void NotifyChanged();

  std::vector<TEntry> languages_;
  // Set when Current is not held by the list.
  std::unique_ptr<TLang> ownedCurrent_;
  TLang* current_ = nullptr;
};

// The language folder as an absolute path ending in "/", so that the file names it lists name
// the same files from any current directory: "Languages/" in the current directory when it
// exists, else the folder "Languages" beside the running program, else the installed
// "<program folder>/../share/fennimo/Languages/"; "Languages/" in the current directory when
// none exists.
std::string FindLanguagesDirectory();
