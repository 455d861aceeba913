// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace testing_support {

TempDir::TempDir() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/fennimo-test.XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (!::mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
  path_ = std::string(buf.data()) + "/";
}

TempDir::~TempDir() { RemoveTree(path_); }

std::string TempDir::Make(const std::string& relative) const {
  std::string full = path_ + relative;
  for (std::size_t pos = path_.size(); (pos = full.find('/', pos)) != std::string::npos; ++pos)
    ::mkdir(full.substr(0, pos).c_str(), 0777);
  return full;
}

ScopedAppData::ScopedAppData() {
  const char* names[] = {"XDG_DATA_HOME", "HOME", "XDG_RUNTIME_DIR"};
  for (std::size_t i = 0; i < std::size(names); ++i)
    if (const char* value = std::getenv(names[i])) old_[i] = value;
  dataHome_ = root_.Make("data/");
  ::setenv("XDG_DATA_HOME", dataHome_.c_str(), 1);
  ::setenv("HOME", root_.Path().c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", runtime_.Path().c_str(), 1);  // made with mode 0700
}

ScopedAppData::~ScopedAppData() {
  const char* names[] = {"XDG_DATA_HOME", "HOME", "XDG_RUNTIME_DIR"};
  for (std::size_t i = 0; i < std::size(names); ++i) {
    if (old_[i]) ::setenv(names[i], old_[i]->c_str(), 1);
    else ::unsetenv(names[i]);
  }
}

ScopedFileSizeLimit::ScopedFileSizeLimit(unsigned long long bytes) {
  oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
  rlimit lim {};
  ::getrlimit(RLIMIT_FSIZE, &lim);
  oldSoft_ = lim.rlim_cur;
  lim.rlim_cur = bytes;
  ::setrlimit(RLIMIT_FSIZE, &lim);
}

ScopedFileSizeLimit::~ScopedFileSizeLimit() {
  rlimit lim {};
  ::getrlimit(RLIMIT_FSIZE, &lim);
  lim.rlim_cur = oldSoft_;
  ::setrlimit(RLIMIT_FSIZE, &lim);
  ::signal(SIGXFSZ, oldHandler_);
}

void WriteBytes(const std::string& path, std::string_view data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("can't write " + path);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("can't read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(folder.c_str())) {
    while (dirent* e = ::readdir(d)) {
      std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    ::closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void RemoveTree(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return;
  if (S_ISDIR(st.st_mode)) {
    ::chmod(path.c_str(), 0700);
    std::string base = path.back() == '/' ? path : path + "/";
    for (const auto& n : ListFolder(base)) RemoveTree(base + n);
    ::rmdir(path.c_str());
  } else {
    ::unlink(path.c_str());
  }
}

}  // namespace testing_support
