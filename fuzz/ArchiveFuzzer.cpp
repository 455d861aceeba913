// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: a theme archive's unpacking on arbitrary bytes. Whatever the bytes, the
// unpacking either refuses them with a message or leaves only regular files and folders inside
// its folder, each file no larger than the bound, and the files it names are there.
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "PictureConverter.h"
#include "ThemeArchive.h"

namespace {

// A folder of the run's own, removed when the run ends.
struct TRunFolder {
  std::string path;
  TRunFolder() {
    char name[] = "/tmp/fuzz-archive.XXXXXX";
    if (!::mkdtemp(name)) std::abort();
    path = std::string(name) + "/";
  }
  ~TRunFolder() { std::filesystem::remove_all(path); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const TRunFolder folder;
  const std::string input = WriteFuzzInput(data, size);
  const std::string out = folder.path + "out/";
  std::filesystem::remove_all(out);
  std::filesystem::create_directory(out);
  std::vector<std::string> files;
  std::string error;
  if (!theme_archive::Unpack(input, out, files, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  for (const auto& entry : std::filesystem::recursive_directory_iterator(out)) {
    const auto type = entry.symlink_status().type();
    if (type != std::filesystem::file_type::regular && type != std::filesystem::file_type::directory)
      std::abort();
    if (type == std::filesystem::file_type::regular &&
        entry.file_size() > static_cast<std::uintmax_t>(picture_limits::MaxFileSize) + 1)
      std::abort();
  }
  for (const auto& file : files)
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(out + file))) std::abort();
  return 0;
}
