// SPDX-License-Identifier: GPL-3.0-or-later
// Smiles the benchmarks are made of: animated GIFs and 24-bit BMPs of faces, 19x19 to 64x64,
// from a seeded generator so that every run measures the same files.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "GifBuilder.h"

namespace bench_pictures {

using namespace gif_builder;

inline int Pick(std::mt19937& rnd, int lo, int hi) {
  return std::uniform_int_distribution<int>(lo, hi)(rnd);
}

// An animated smile: a face on the transparent background, then frames that redraw a part;
// adds its frames to AllFrames.
inline std::string MakeGif(std::mt19937& rnd, long long& allFrames) {
  const int w = Pick(rnd, 19, 64), h = Pick(rnd, 19, 64), frames = Pick(rnd, 2, 40);
  const int colours = 2 << Pick(rnd, 2, 7);
  Palette global(static_cast<std::size_t>(colours));
  for (auto& c : global)
    c = {static_cast<std::uint8_t>(Pick(rnd, 0, 255)), static_cast<std::uint8_t>(Pick(rnd, 0, 255)),
         static_cast<std::uint8_t>(Pick(rnd, 0, 255))};
  const bool localTables = Pick(rnd, 0, 6) == 0;
  GifBuilder gif;
  gif.Screen(w, h, global).Application("NETSCAPE2.0", std::string("\x01\x00\x00", 3));
  for (int f = 0; f < frames; ++f) {
    const bool first = f == 0;
    const int iw = first ? w : Pick(rnd, w / 3, w), ih = first ? h : Pick(rnd, h / 3, h);
    ImageOptions o{.left = first ? 0 : Pick(rnd, 0, w - iw), .top = first ? 0 : Pick(rnd, 0, h - ih)};
    if (localTables && !first) o.local = global;
    const int cx = w / 2, cy = h / 2, r = std::min(w, h) / 2 - 1;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(iw * ih));
    for (int y = 0; y < ih; ++y)
      for (int x = 0; x < iw; ++x) {
        const int dx = o.left + x - cx, dy = o.top + y - cy;
        int index = 0;
        if (dx * dx + dy * dy <= r * r)
          index = 1 + ((dx * dx + dy * dy) * 5 / (r * r + 1) + (o.top + y) / 3 + f) % (colours - 1);
        pixels[static_cast<std::size_t>(y * iw + x)] = static_cast<std::uint8_t>(index);
      }
    gif.Control(Pick(rnd, 0, 1), 0, Pick(rnd, 5, 30)).Image(iw, ih, pixels, o);
  }
  allFrames += frames;
  return gif.Trailer().Bytes();
}

// A static smile: a 24-bit bottom-up BMP of a face on a key-coloured background.
inline std::string MakeBmp(std::mt19937& rnd) {
  const int w = Pick(rnd, 19, 64), h = Pick(rnd, 19, 64);
  const int stride = (w * 3 + 3) & ~3;
  auto le = [](std::string& s, unsigned v, int bytes) {
    for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  std::string bmp = "BM";
  le(bmp, static_cast<unsigned>(54 + stride * h), 4);
  le(bmp, 0, 4);
  le(bmp, 54, 4);
  le(bmp, 40, 4);
  le(bmp, static_cast<unsigned>(w), 4);
  le(bmp, static_cast<unsigned>(h), 4);
  le(bmp, 1, 2);
  le(bmp, 24, 2);
  le(bmp, 0, 4);
  le(bmp, static_cast<unsigned>(stride * h), 4);
  le(bmp, 2835, 4);
  le(bmp, 2835, 4);
  le(bmp, 0, 4);
  le(bmp, 0, 4);
  const int cx = w / 2, cy = h / 2, r = std::min(w, h) / 2 - 1, tint = Pick(rnd, 0, 255);
  for (int y = h - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < w; ++x) {
      const int dx = x - cx, dy = y - cy;
      const bool face = dx * dx + dy * dy <= r * r;
      row += static_cast<char>(face ? 0 : 255);
      row += static_cast<char>(face ? 200 - y : 0);
      row += static_cast<char>(face ? tint : 255);
    }
    row.resize(static_cast<std::size_t>(stride), '\0');
    bmp += row;
  }
  return bmp;
}

}  // namespace bench_pictures
