// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the picture tests: colours, decoding a file made in memory, reading a frame back.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "PictureDecoder.h"
#include "TestSupport.h"

namespace picture_test {

// A platform colour: red in the low byte.
constexpr std::uint32_t Color(int r, int g, int b) {
  return static_cast<std::uint32_t>(r | (g << 8) | (b << 16));
}
constexpr std::uint32_t White = 0xFFFFFF;

// Every pixel of a frame as platform colours, top row first.
inline std::vector<std::uint32_t> Pixels(const TSmileBitmap& frame) {
  std::vector<std::uint32_t> out;
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x) out.push_back(frame.ColorAt(x, y));
  return out;
}

// The frame drawn at natural size onto a fresh image, as platform colours.
inline QImage Drawn(const TSmileBitmap& frame, int w, int h, QRgb fill = qRgb(1, 2, 3)) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(fill);
  QPainter painter(&image);
  frame.Draw(0, 0, painter);
  painter.end();
  return image;
}

inline std::uint32_t PlatformColor(QRgb c) {
  return Color(qRed(c), qGreen(c), qBlue(c));
}

// True when this process still has the file open.
inline bool IsOpenHere(const std::string& path) {
  char real[4096];
  if (!::realpath(path.c_str(), real)) return false;
  DIR* dir = ::opendir("/proc/self/fd");
  if (!dir) return false;
  bool open = false;
  while (dirent* e = ::readdir(dir)) {
    char target[4096];
    const std::string link = std::string("/proc/self/fd/") + e->d_name;
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == real) open = true;
  }
  ::closedir(dir);
  return open;
}

// A decoder of the given kind on a file holding `bytes`, decoded; the message of the failure
// (empty on success) is returned through `error`.
template <typename Decoder>
std::unique_ptr<Decoder> DecodeBytes(const testing_support::TempDir& dir, const std::string& bytes,
                                     std::string& error, const std::string& name = "smile") {
  const std::string path = dir.Path() + name;
  testing_support::WriteBytes(path, bytes);
  auto decoder = std::make_unique<Decoder>(path);
  error.clear();
  try {
    decoder->Decode();
  } catch (const std::exception& e) {
    error = e.what();
  }
  return decoder;
}

// A Python that has Pillow: the one on the PATH, else the system's; "" when there is none.
inline std::string PythonWithPillow() {
  for (const char* python : {"python3", "/usr/bin/python3"}) {
    const std::string probe = std::string(python) + " -c 'import PIL' >/dev/null 2>&1";
    if (std::system(probe.c_str()) == 0) return python;
  }
  return {};
}

// Runs one of the Pillow scripts beside the picture tests with OutDir as its argument; false
// when it fails.
inline bool RunPillowScript(const std::string& python, const std::string& script,
                            const std::string& outDir) {
  const std::string command =
      python + " " FENNIMO_SOURCE_DIR "/tests/picture/" + script + " '" + outDir + "'";
  return std::system(command.c_str()) == 0;
}

// The names (without ".expect") of the cases such a script wrote into Folder.
inline std::vector<std::string> ScriptCases(const std::string& folder) {
  std::vector<std::string> names;
  for (const std::string& entry : testing_support::ListFolder(folder))
    if (entry.size() > 7 && entry.ends_with(".expect"))
      names.push_back(entry.substr(0, entry.size() - 7));
  return names;
}

// The colour of pixel (x, y) of frame n in the RGB bytes such a script wrote.
inline std::uint32_t ScriptPixel(const std::string& rgb, int n, int x, int y, int width, int height) {
  const std::size_t at = 3 * ((static_cast<std::size_t>(n) * height + y) * width + x);
  const auto c = [&](std::size_t i) { return static_cast<unsigned char>(rgb.at(at + i)); };
  return Color(c(0), c(1), c(2));
}

}  // namespace picture_test
