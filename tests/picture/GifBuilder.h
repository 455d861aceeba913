// SPDX-License-Identifier: GPL-3.0-or-later
// A small GIF writer for hand-made test files: every block of the format can be written on its
// own, well-formed or not, and images are LZW-encoded with the code widths a GIF decoder
// expects (with real compression, or as one code per pixel). Used by the tests, the benchmark
// corpus and the fuzz seeds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace gif_builder {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
};
using Palette = std::vector<Rgb>;

// The platform colour (red in the low byte) of an entry.
inline std::uint32_t ColorOf(Rgb c) {
  return std::uint32_t{c.r} | (std::uint32_t{c.g} << 8) | (std::uint32_t{c.b} << 16);
}

// Codes of given widths packed least significant bit first.
class CodeWriter {
public:
  void Put(unsigned code, int width) {
    acc_ |= static_cast<std::uint32_t>(code) << bits_;
    bits_ += width;
    while (bits_ >= 8) {
      out_.push_back(static_cast<char>(acc_ & 0xFF));
      acc_ >>= 8;
      bits_ -= 8;
    }
  }
  std::string Bytes() const {
    std::string out = out_;
    if (bits_ > 0) out.push_back(static_cast<char>(acc_ & 0xFF));
    return out;
  }

private:
  std::string out_;
  std::uint32_t acc_ = 0;
  int bits_ = 0;
};

// LZW data of the pixels (clear code first, end code last), without sub-block framing. The
// code width follows the decoder's table exactly; a full table is answered by a clear code.
inline std::string EncodeLzw(const std::vector<std::uint8_t>& pixels, int minCodeSize,
                             bool compress = true) {
  CodeWriter out;
  const unsigned clear = 1u << minCodeSize, end = clear + 1;
  int size = 0;
  unsigned decoderNext = 0, limit = 0, encoderNext = 0;
  bool first = true;
  std::unordered_map<std::uint32_t, unsigned> table;
  auto reset = [&] {
    size = minCodeSize + 1;
    limit = 1u << size;
    decoderNext = encoderNext = clear + 2;
    first = true;
    table.clear();
  };
  auto Emit = [&](unsigned code) {
    out.Put(code, size);
    if (code == clear) return reset();
    if (code == end) return;
    if (first) {
      first = false;
      return;
    }
    if (decoderNext < limit) {
      ++decoderNext;
      if (decoderNext >= limit && size < 12) {
        limit *= 2;
        ++size;
      }
    }
  };
  reset();
  Emit(clear);
  if (!pixels.empty()) {
    unsigned w = pixels[0];
    for (std::size_t i = 1; i < pixels.size(); ++i) {
      const std::uint32_t key = (w << 8) | pixels[i];
      if (compress) {
        auto it = table.find(key);
        if (it != table.end()) {
          w = it->second;
          continue;
        }
      }
      Emit(w);
      table[key] = encoderNext++;
      if (encoderNext == 4096) Emit(clear);
      w = pixels[i];
    }
    Emit(w);
  }
  Emit(end);
  return out.Bytes();
}

// Rows in the order an interlaced image stores them.
inline std::vector<std::uint8_t> InterlaceRows(const std::vector<std::uint8_t>& pixels, int width,
                                               int height) {
  std::vector<std::uint8_t> out;
  static constexpr int Start[4] = {0, 4, 2, 1}, Step[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = Start[pass]; y < height; y += Step[pass])
      out.insert(out.end(), pixels.begin() + y * width, pixels.begin() + (y + 1) * width);
  return out;
}

struct ImageOptions {
  int left = 0, top = 0;
  bool interlaced = false;
  Palette local{};        // a local colour table when not empty (2 to 256 entries, power of 2)
  int minCodeSize = 0;    // 0: the smallest valid one for the pixel values
  bool compress = true;
  std::size_t chunk = 255;  // data sub-block size
};

class GifBuilder {
public:
  // Header, logical screen descriptor and (when not empty) the global colour table.
  GifBuilder& Screen(int width, int height, const Palette& global = {},
                     const std::string& signature = "GIF89a") {
    bytes_ += signature;
    Word(width);
    Word(height);
    Byte(global.empty() ? 0 : 0x80 | TableBits(global.size()));
    Byte(0);
    Byte(0);
    Table(global);
    return *this;
  }
  // A graphic control block; transparent < 0 sets no transparency (index 0 is written).
  GifBuilder& Control(int disposal, int transparent = -1, int delay = 0) {
    Byte(0x21);
    Byte(0xF9);
    Byte(4);
    Byte(((disposal & 7) << 2) | (transparent >= 0 ? 1 : 0));
    Word(delay);
    Byte(transparent >= 0 ? transparent : 0);
    Byte(0);
    return *this;
  }
  // A whole image: descriptor, local table and LZW data; pixels in top-to-bottom row order.
  GifBuilder& Image(int width, int height, const std::vector<std::uint8_t>& pixels,
                    const ImageOptions& o = {}) {
    int flags = o.interlaced ? 0x40 : 0;
    if (!o.local.empty()) flags |= 0x80 | TableBits(o.local.size());
    Descriptor(o.left, o.top, width, height, flags);
    Table(o.local);
    int min = o.minCodeSize;
    if (min == 0) {
      unsigned top = 0;
      for (auto p : pixels) top = p > top ? p : top;
      for (min = 2; (1u << min) <= top;) ++min;
    }
    const auto rows = o.interlaced ? InterlaceRows(pixels, width, height) : pixels;
    Byte(min);
    SubBlocks(EncodeLzw(rows, min, o.compress), o.chunk);
    return *this;
  }
  GifBuilder& Descriptor(int left, int top, int width, int height, int flags) {
    Byte(0x2C);
    Word(left);
    Word(top);
    Word(width);
    Word(height);
    Byte(flags);
    return *this;
  }
  // Data split into sub-blocks of `chunk` bytes, then the block terminator.
  GifBuilder& SubBlocks(const std::string& data, std::size_t chunk = 255, bool skipped = false) {
    for (std::size_t i = 0; i < data.size(); i += chunk) {
      const std::string part = data.substr(i, chunk);
      Byte(static_cast<int>(part.size()));
      if (skipped) skipped_.emplace_back(bytes_.size(), bytes_.size() + part.size());
      bytes_ += part;
    }
    Byte(0);
    return *this;
  }
  GifBuilder& Comment(const std::string& text, std::size_t chunk = 255) {
    Byte(0x21);
    Byte(0xFE);
    return SubBlocks(text, chunk, true);
  }
  GifBuilder& Application(const std::string& identifier, const std::string& data) {
    Byte(0x21);
    Byte(0xFF);
    Byte(static_cast<int>(identifier.size()));
    skipped_.emplace_back(bytes_.size(), bytes_.size() + identifier.size());
    bytes_ += identifier;
    return SubBlocks(data, 255, true);
  }
  GifBuilder& Trailer() { return Byte(0x3B); }
  GifBuilder& Byte(int b) {
    bytes_.push_back(static_cast<char>(b & 0xFF));
    return *this;
  }
  GifBuilder& Raw(const std::string& bytes) {
    bytes_ += bytes;
    return *this;
  }
  GifBuilder& Word(int v) { return Byte(v).Byte(v >> 8); }

  const std::string& Bytes() const { return bytes_; }
  // Byte ranges [first, second) a decoder steps over instead of reading: the contents of the
  // sub-blocks of comments and application blocks.
  const std::vector<std::pair<std::size_t, std::size_t>>& SkippedRanges() const { return skipped_; }

private:
  static int TableBits(std::size_t entries) {
    int bits = 0;
    while ((2u << bits) < entries) ++bits;
    return bits;
  }
  void Table(const Palette& p) {
    if (p.empty()) return;
    const std::size_t size = std::size_t{2} << TableBits(p.size());
    for (std::size_t i = 0; i < size; ++i) {
      const Rgb c = i < p.size() ? p[i] : Rgb{};
      Byte(c.r).Byte(c.g).Byte(c.b);
    }
  }

  std::string bytes_;
  std::vector<std::pair<std::size_t, std::size_t>> skipped_;
};

}  // namespace gif_builder
