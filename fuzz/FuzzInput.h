// SPDX-License-Identifier: GPL-3.0-or-later
// The fuzz input as a file the decoders can open: an in-memory file reached by its
// /proc/self/fd path, rewritten for every input.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include <QImage>
#include <QPainter>

#include "PictureDecoder.h"

inline std::string WriteFuzzInput(const std::uint8_t* data, std::size_t size) {
  static const int fd = [] {
    const int f = ::memfd_create("fuzz-input", 0);
    if (f < 0) std::abort();
    return f;
  }();
  if (::ftruncate(fd, 0) != 0) std::abort();
  if (size > 0 && ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
  return "/proc/self/fd/" + std::to_string(fd);
}

// Whatever a decode left, the accessors agree with each other and every frame draws.
inline void CheckFrames(const TPictureDecoder& decoder) {
  const int count = decoder.GetFrameCount();
  if (decoder.GetFrame(count) != nullptr || decoder.GetFrameDelay(count) != -1) std::abort();
  QImage canvas(48, 48, QImage::Format_RGB32);
  QPainter painter(&canvas);
  for (int i = 0; i < count; ++i) {
    const TSmileBitmap* frame = decoder.GetFrame(i);
    if (!frame || decoder.GetFrameDelay(i) < 100) std::abort();
    if (static_cast<long long>(frame->width) * frame->height > 1 << 16) continue;
    frame->Draw(0, 0, painter);
    frame->StretchDraw(QRect(0, 0, 32, 24), painter);
  }
}
