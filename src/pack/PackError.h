// SPDX-License-Identifier: GPL-3.0-or-later
// An operation on a pack that could not be carried out for a reason the user must be told. The
// pack model throws it after making sure that nothing was lost: the storage holds its last
// complete state and the user's folder every file either as it was or as saved. What() is the
// built-in Russian text; the user interface shows the text of the current language for Kind
// (section "General", key GeneralKey(Kind)), with "%s" replaced by Path.
#pragma once

#include <stdexcept>
#include <string>

class EPackError : public std::runtime_error {
public:
  enum TKind {
    // A file of the pack being opened could not be copied into the working storage (Path: the
    // file); the pack was not opened and what was open before stays.
    pkOpenCopyFailed = 0,
    // A file could not be written into the folder being saved to (Path: the file); no file of
    // that folder was removed.
    pkSaveCopyFailed = 1,
    // A folder whose path the state files cannot hold (a line break, or longer than they
    // keep) was refused (Path: the folder).
    pkPathNotStorable = 2,
    // An operation that the program was doing when it stopped could not be completed in the
    // working storage (Path: the storage folder); nothing is changed there until it can.
    pkRecoveryFailed = 3,
    // A file offered as a smile's picture that no reader here takes as a picture (Path: the
    // file).
    pkNotAPicture = 4,
    // A picture too large for a smile: more pixels or frames than a pack takes (Path: the file).
    pkPictureTooLarge = 5,
    // A record of an unfinished change that fails its checks, or that another version wrote
    // (Path: the record): it is not acted on, and nothing of the working storage is changed.
    pkRecordDamaged = 6,
  };
  static constexpr int KindCount = 7;
  // The key of a kind's text in the language section "General".
  static int GeneralKey(TKind kind);

  EPackError(TKind kind, std::string path);

  TKind Kind() const { return kind_; }
  const std::string& Path() const { return path_; }
  // The built-in (Russian, UTF-8) text of a kind, with "%s" where the path goes.
  static std::string BuiltInText(TKind kind);
  // Text with its "%s" replaced by Path.
  static std::string Format(const std::string& text, const std::string& path);

private:
  TKind kind_;
  std::string path_;
};
