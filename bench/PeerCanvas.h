// SPDX-License-Identifier: GPL-3.0-or-later
// Composition of a peer decoder's images into whole-screen frames, the way TGifDecoder composes
// them: a white canvas of the logical screen, each image drawn over it (its transparent pixels
// leave the canvas alone), the canvas copied out as the frame, then the image's disposal: 2
// refills its rectangle with white, 3 brings back the canvas from before it. Pixels are
// 0xAARRGGBB words; only the colour (the low 24 bits) is compared.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace bench_peer {

using Frames = std::vector<std::vector<std::uint32_t>>;

constexpr std::uint32_t WhiteWord = 0xFFFFFFFFu;

class Canvas {
 public:
  Canvas(int width, int height)
      : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height, WhiteWord) {}

  std::uint32_t* Pixels() { return pixels_.data(); }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // Before an image is drawn with this disposal.
  void Begin(int disposal) {
    if (disposal == 3) saved_ = pixels_;
  }
  // After the image in the rectangle [left, right) x [top, bottom) was drawn: the frame, then
  // the disposal.
  void End(Frames& frames, int disposal, int left, int top, int right, int bottom) {
    frames.push_back(pixels_);
    if (disposal == 2) {
      const int x0 = std::max(left, 0), x1 = std::min(right, width_);
      for (int y = std::max(top, 0); x0 < x1 && y < std::min(bottom, height_); ++y)
        std::fill(pixels_.begin() + y * width_ + x0, pixels_.begin() + y * width_ + x1, WhiteWord);
    } else if (disposal == 3) {
      // Copied back, not swapped: the peer's drawing keeps pointing at these pixels.
      std::copy(saved_.begin(), saved_.end(), pixels_.begin());
    }
  }

 private:
  int width_, height_;
  std::vector<std::uint32_t> pixels_, saved_;
};

}  // namespace bench_peer
