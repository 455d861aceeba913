// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the tests: temporary folders, a private application-data folder, and
// whole-file reads and writes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes. Path() ends in "/".
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  // Path() + relative, with the folders on the way created.
  std::string Make(const std::string& relative) const;

private:
  std::string path_;
};

// Points XDG_DATA_HOME and HOME at a fresh temporary folder, and XDG_RUNTIME_DIR at another
// one (private to the user), for the object's lifetime, so that nothing a test does (or a program it starts)
// reaches the real user's folders.
class ScopedAppData {
public:
  ScopedAppData();
  ~ScopedAppData();
  ScopedAppData(const ScopedAppData&) = delete;
  ScopedAppData& operator=(const ScopedAppData&) = delete;

  // The application-data folder, ending in "/".
  const std::string& Path() const { return dataHome_; }

private:
  TempDir root_, runtime_;
  std::string dataHome_;
  std::optional<std::string> old_[3];  // XDG_DATA_HOME, HOME, XDG_RUNTIME_DIR
};

// Lowers the soft file-size limit of this process (SIGXFSZ ignored), so that any write past
// Bytes fails with EFBIG: a way to make writes fail part-way. Restored on destruction.
class ScopedFileSizeLimit {
public:
  explicit ScopedFileSizeLimit(unsigned long long bytes);
  ~ScopedFileSizeLimit();
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

private:
  unsigned long long oldSoft_ = 0;
  void (*oldHandler_)(int) = nullptr;
};

void WriteBytes(const std::string& path, std::string_view data);
std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path);
// Bare names of every entry of a folder, sorted.
std::vector<std::string> ListFolder(const std::string& folder);
// Removes a folder tree.
void RemoveTree(const std::string& path);

}  // namespace testing_support
