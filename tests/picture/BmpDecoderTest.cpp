// SPDX-License-Identifier: GPL-3.0-or-later
// TBmpDecoder: the key-colour rule, one upright frame of 100 ms, and failures.
#include <gtest/gtest.h>

#include <algorithm>

#include "BmpDecoder.h"
#include "PictureTestSupport.h"

using namespace picture_test;

namespace {

void Put(std::string& s, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A BMP file with a 40-byte header; `pixels` are platform colours, top row first. With
// `bits` 8 the pixels are looked up in (and must be in) the palette made from them.
std::string MakeBmp(int w, int h, const std::vector<std::uint32_t>& pixels, int bits = 24,
                    bool topDown = false) {
  std::vector<std::uint32_t> palette;
  if (bits == 8)
    for (auto p : pixels)
      if (std::find(palette.begin(), palette.end(), p) == palette.end()) palette.push_back(p);
  const int stride = ((w * bits / 8) + 3) & ~3;
  const int offset = 14 + 40 + 4 * static_cast<int>(palette.size());
  std::string s = "BM";
  Put(s, static_cast<std::uint32_t>(offset + stride * h), 4);
  Put(s, 0, 4);
  Put(s, static_cast<std::uint32_t>(offset), 4);
  Put(s, 40, 4);
  Put(s, static_cast<std::uint32_t>(w), 4);
  Put(s, static_cast<std::uint32_t>(topDown ? -h : h), 4);
  Put(s, 1, 2);
  Put(s, static_cast<std::uint32_t>(bits), 2);
  Put(s, 0, 4);
  Put(s, static_cast<std::uint32_t>(stride * h), 4);
  Put(s, 2835, 4);
  Put(s, 2835, 4);
  Put(s, static_cast<std::uint32_t>(palette.size()), 4);
  Put(s, 0, 4);
  for (auto c : palette) Put(s, SwapRedBlue(c), 4);
  for (int i = 0; i < h; ++i) {
    const int y = topDown ? i : h - 1 - i;
    std::string row;
    for (int x = 0; x < w; ++x) {
      const std::uint32_t c = pixels[static_cast<std::size_t>(y * w + x)];
      if (bits == 8)
        row.push_back(
            static_cast<char>(std::find(palette.begin(), palette.end(), c) - palette.begin()));
      else
        Put(row, SwapRedBlue(c), bits / 8);
    }
    row.resize(static_cast<std::size_t>(stride), '\0');
    s += row;
  }
  return s;
}

const std::uint32_t M = Color(255, 0, 255), R = Color(255, 0, 0), G = Color(0, 128, 0),
                    B = Color(0, 0, 255), W = White;

class BmpDecoderTest : public ::testing::Test {
 protected:
  std::unique_ptr<TBmpDecoder> Decode(const std::string& bytes) {
    return DecodeBytes<TBmpDecoder>(dir, bytes, error, "aa.bmp");
  }
  testing_support::TempDir dir;
  std::string error;
};

}  // namespace

TEST_F(BmpDecoderTest, EveryPixelOfTheBottomLeftColourShowsTheBackground) {
  // 3 x 2, magenta at the bottom left and elsewhere.
  auto d = Decode(MakeBmp(3, 2, {M, R, M, M, G, B}));
  ASSERT_EQ(error, "");
  ASSERT_EQ(d->GetFrameCount(), 1);
  EXPECT_EQ(Pixels(*d->GetFrame(0)), (std::vector<std::uint32_t>{W, R, W, W, G, B}));
  EXPECT_EQ(d->GetFrameDelay(0), 100);
  EXPECT_NE(dynamic_cast<TSmileBitmap32*>(d->GetFrame(0)), nullptr);
}

TEST_F(BmpDecoderTest, BottomLeftColourUsedNowhereElseChangesOnlyThatPixel) {
  auto d = Decode(MakeBmp(2, 2, {R, G, B, M}));
  ASSERT_EQ(error, "");
  EXPECT_EQ(Pixels(*d->GetFrame(0)), (std::vector<std::uint32_t>{R, G, W, M}));
}

TEST_F(BmpDecoderTest, PictureOfOneColourBecomesAllBackground) {
  auto d = Decode(MakeBmp(4, 3, std::vector<std::uint32_t>(12, G)));
  ASSERT_EQ(error, "");
  EXPECT_EQ(Pixels(*d->GetFrame(0)), std::vector<std::uint32_t>(12, W));
}

TEST_F(BmpDecoderTest, FileLargerThanTheReadBufferIsReadWhole) {
  std::vector<std::uint32_t> pixels;  // about 70 KiB in 24 bits, no colour twice
  for (int i = 0; i < 200 * 120; ++i) pixels.push_back(Color(i % 251, i % 241, 7));
  auto d = Decode(MakeBmp(200, 120, pixels));
  ASSERT_EQ(error, "");
  pixels[119 * 200] = W;
  EXPECT_EQ(Pixels(*d->GetFrame(0)), pixels);
}

TEST_F(BmpDecoderTest, FrameIsUprightWhateverTheRowOrderOfTheFile) {
  const std::vector<std::uint32_t> pixels = {R, G, B, M, B, G, R, M, W, R, G, B};
  const std::vector<std::uint32_t> expected = {R, G, B, M, B, G, R, M, W, R, G, B};
  for (int bits : {24, 32, 8})
    for (bool topDown : {false, true}) {
      if (bits == 8 && topDown) continue;
      auto d = Decode(MakeBmp(4, 3, pixels, bits, topDown));
      ASSERT_EQ(error, "") << bits << " " << topDown;
      // The bottom-left pixel is white already: the key changes nothing visible.
      EXPECT_EQ(Pixels(*d->GetFrame(0)), expected) << bits << " bits, top-down " << topDown;
    }
}

TEST_F(BmpDecoderTest, FileThatIsNotABitmapFailsLeavesNoFrameAndIsClosed) {
  const std::string png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x02\0\0\0", 29);
  for (const std::string& bytes : {png, std::string("just text"), std::string()}) {
    auto d = Decode(bytes);
    EXPECT_NE(error, "");
    EXPECT_EQ(d->GetFrameCount(), 0);
    EXPECT_EQ(d->GetFrame(0), nullptr);
    EXPECT_FALSE(IsOpenHere(dir.Path() + "aa.bmp"));
  }
}

TEST_F(BmpDecoderTest, FailureIsTheLoadersException) {
  std::string bytes = MakeBmp(2, 2, {R, G, B, M});
  bytes[28] = 7;  // 7 bits per pixel
  const std::string path = dir.Path() + "bad.bmp";
  testing_support::WriteBytes(path, bytes);
  TBmpDecoder decoder(path);
  EXPECT_THROW(decoder.Decode(), EInvalidGraphic);
}

TEST_F(BmpDecoderTest, RunLengthDataCutShortFails) {
  // 4 x 2 in 8-bit run-length data: the bottom row a run of red, the top row green, red, green,
  // red as literal pixels, then the end of the bitmap.
  std::string bytes = MakeBmp(4, 2, {G, R, G, R, R, R, R, R}, 8);
  const std::size_t offset = bytes.size() - 8;
  bytes[30] = 1;
  bytes.replace(offset, 8,
                std::string("\x04\x01\x00\x00\x00\x04\x00\x01\x00\x01\x00\x00\x00\x01", 14));
  auto d = Decode(bytes);
  ASSERT_EQ(error, "");
  EXPECT_EQ(Pixels(*d->GetFrame(0)), (std::vector<std::uint32_t>{G, W, G, W, W, W, W, W}));
  // Without its last line end a row is not whole; without the end of the bitmap it is.
  for (std::size_t size = offset; size < bytes.size() - 2; ++size) {
    Decode(bytes.substr(0, size));
    EXPECT_NE(error, "") << size << " bytes";
  }
  d = Decode(bytes.substr(0, bytes.size() - 2));
  EXPECT_EQ(Pixels(*d->GetFrame(0)), (std::vector<std::uint32_t>{G, W, G, W, W, W, W, W}));
  // Pixels the data skips (a jump, an early end) show palette entry 0, never stray memory.
  bytes.replace(offset, 14, std::string("\x01\x01\x00\x02\x01\x01\x00\x01", 8));
  d = Decode(bytes);
  EXPECT_EQ(Pixels(*d->GetFrame(0)), (std::vector<std::uint32_t>{G, G, G, G, W, G, G, G}));
}

TEST_F(BmpDecoderTest, HugeDimensionsFailBeforeAllocating) {
  // 8000 x 8000 in the header (the reader itself accepts up to 16383 in each direction).
  std::string bytes = MakeBmp(1, 1, {R});
  bytes.replace(18, 8, std::string("\x40\x1F\0\0\x40\x1F\0\0", 8));
  Decode(bytes);
  EXPECT_EQ(error, TooLargeMessage);
}
