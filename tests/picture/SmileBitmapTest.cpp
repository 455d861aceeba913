// SPDX-License-Identifier: GPL-3.0-or-later
// Frames in the device-independent layout, their drawing, and the decoder base's accessors.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "GifBuilder.h"
#include "GifDecoder.h"
#include "PictureTestSupport.h"

using namespace picture_test;
using testing_support::TempDir;

namespace {

std::uint32_t HeaderField(const TSmileBitmapStorage& b, int offset, int bytes = 4) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b.Header()[offset + i];
  return v;
}

}  // namespace

TEST(SmileBitmapLayout, RowStrideRoundsEightBitRowsToFourBytes) {
  TSmileBitmap8 b8(5, 2, 4);
  b8.Allocate();
  EXPECT_EQ(b8.RowStride(), 8);
  TSmileBitmap32 b32(5, 2);
  b32.Allocate();
  EXPECT_EQ(b32.RowStride(), 20);
}

TEST(SmileBitmapLayout, HeaderDescribesBottomUpRowsAndPalette) {
  TSmileBitmap8 b(5, 3, 16);
  b.Allocate();
  ASSERT_EQ(b.HeaderSize(), 40u + 4 * 16);
  EXPECT_EQ(HeaderField(b, 0), 40u);
  EXPECT_EQ(HeaderField(b, 4), 5u);
  EXPECT_EQ(HeaderField(b, 8), 3u);  // positive: bottom-up
  EXPECT_EQ(HeaderField(b, 12, 2), 1u);
  EXPECT_EQ(HeaderField(b, 14, 2), 8u);
  EXPECT_EQ(HeaderField(b, 16), 0u);
  EXPECT_EQ(HeaderField(b, 20), 24u);
  EXPECT_EQ(HeaderField(b, 32), 16u);
  EXPECT_EQ(HeaderField(b, 36), 16u);

  TSmileBitmap32 t(5, 3);
  t.Allocate();
  ASSERT_EQ(t.HeaderSize(), 40u);
  EXPECT_EQ(HeaderField(t, 14, 2), 32u);
  EXPECT_EQ(HeaderField(t, 20), 60u);
  EXPECT_EQ(HeaderField(t, 32), 0u);
}

TEST(SmileBitmapLayout, TopRowIsTheLastRowInMemory) {
  TSmileBitmap8 b(3, 4, 2);
  b.Allocate();
  b.SetPixel(1, 0, 7);
  EXPECT_EQ(b.Bits()[3 * b.RowStride() + 1], 7);
  TSmileBitmap32 t(3, 4);
  t.Allocate();
  t.SetPixel(2, 0, Color(1, 2, 3));
  const std::uint8_t* quad = t.Bits() + 3 * t.RowStride() + 8;
  EXPECT_EQ(quad[0], 3);  // blue, green, red, 0
  EXPECT_EQ(quad[1], 2);
  EXPECT_EQ(quad[2], 1);
  EXPECT_EQ(quad[3], 0);
}

TEST(SmileBitmapLayout, PaletteEntriesAreBlueGreenRedQuads) {
  TSmileBitmap8 b(1, 1, 2);
  b.Allocate();
  b.SetPaletteColor(1, Color(10, 20, 30));
  const std::uint8_t* quad = b.Header() + 40 + 4;
  EXPECT_EQ(quad[0], 30);
  EXPECT_EQ(quad[1], 20);
  EXPECT_EQ(quad[2], 10);
  EXPECT_EQ(quad[3], 0);
  EXPECT_EQ(b.PaletteColor(1), Color(10, 20, 30));
}

TEST(SmileBitmapLayout, PositionsOutsideThePictureAreIgnored) {
  TSmileBitmap8 b(4, 3, 2);
  b.Allocate();
  const std::vector<std::uint8_t> before(b.Bits(), b.Bits() + b.ImageSize());
  b.SetPixel(4, 0, 1);
  b.SetPixel(0, 3, 1);
  b.SetPixel(-1, 0, 1);
  b.SetPixel(0, -1, 1);
  EXPECT_EQ(std::vector<std::uint8_t>(b.Bits(), b.Bits() + b.ImageSize()), before);
  b.SetPaletteColor(2, White);  // beyond the colour count
  EXPECT_EQ(b.PaletteColor(2), 0u);
}

TEST(SmileBitmapLayout, ZeroSizeGetsNoStorageAndIgnoresEverything) {
  TSmileBitmap32 t(0, 5);
  t.Allocate();
  EXPECT_FALSE(t.Allocated());
  t.SetPixel(0, 0, White);
  t.FillRect(0, 0, 5, 5, White);
  EXPECT_EQ(t.ColorAt(0, 0), 0u);
  QImage canvas(4, 4, QImage::Format_RGB32);
  canvas.fill(Qt::black);
  QPainter p(&canvas);
  t.Draw(0, 0, p);
  p.end();
  EXPECT_EQ(canvas.pixel(0, 0), qRgb(0, 0, 0));
}

TEST(SmileBitmapLayout, FillRectCoversRightAndBottomExclusiveClippedToThePicture) {
  TSmileBitmap32 t(4, 4);
  t.Allocate();
  t.FillRect(1, 1, 3, 9, Color(9, 9, 9));
  EXPECT_EQ(t.ColorAt(0, 1), 0u);
  EXPECT_EQ(t.ColorAt(1, 1), Color(9, 9, 9));
  EXPECT_EQ(t.ColorAt(2, 3), Color(9, 9, 9));
  EXPECT_EQ(t.ColorAt(3, 3), 0u);
  EXPECT_EQ(t.ColorAt(1, 0), 0u);
}

TEST(SmileBitmapLayout, CopyFromMakesAnIndependentCopy) {
  TSmileBitmap8 a(3, 2, 4);
  a.Allocate();
  a.SetPaletteColor(1, Color(1, 1, 1));
  a.SetPixel(2, 1, 1);
  TSmileBitmap8 b;
  b.CopyFrom(a);
  a.SetPixel(2, 1, 0);
  a.SetPaletteColor(1, Color(2, 2, 2));
  EXPECT_EQ(b.width, 3);
  EXPECT_EQ(b.RowStride(), 4);
  EXPECT_EQ(b.ColorCount(), 4);
  EXPECT_EQ(b.Pixel(2, 1), 1);
  EXPECT_EQ(b.PaletteColor(1), Color(1, 1, 1));
}

TEST(SmileBitmapLayout, LoadFromBitmapKeepsThePictureUpright) {
  QImage source(2, 3, QImage::Format_ARGB32);
  source.fill(qRgba(0, 0, 255, 0));  // alpha plays no part
  source.setPixel(1, 0, qRgb(255, 0, 0));
  TSmileBitmap32 t;
  t.LoadFromBitmap(source);
  ASSERT_TRUE(t.Allocated());
  EXPECT_EQ(t.width, 2);
  EXPECT_EQ(t.height, 3);
  EXPECT_EQ(t.ColorAt(1, 0), Color(255, 0, 0));
  EXPECT_EQ(t.ColorAt(0, 2), Color(0, 0, 255));
  EXPECT_EQ(t.Bits()[2 * t.RowStride() + 4 + 2], 255);  // top row last in memory, red third
}

class SmileBitmapDrawing : public ::testing::Test {
 protected:
  // A 4 x 3 frame whose every pixel has its own colour.
  static std::uint32_t ColorOfPixel(int x, int y) { return Color(40 * x + 10, 60 * y + 5, 7); }
  void SetUp() override {
    b32.Allocate();
    b8.Allocate();
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) {
        b32.SetPixel(x, y, ColorOfPixel(x, y));
        b8.SetPaletteColor(y * 4 + x, ColorOfPixel(x, y));
        b8.SetPixel(x, y, static_cast<std::uint8_t>(y * 4 + x));
      }
  }
  TSmileBitmap32 b32{4, 3};
  TSmileBitmap8 b8{4, 3, 12};
};

TEST_F(SmileBitmapDrawing, DrawPutsEveryPixelInPlaceAndCoversTheDestination) {
  for (const TSmileBitmap* frame :
       {static_cast<const TSmileBitmap*>(&b32), static_cast<const TSmileBitmap*>(&b8)}) {
    QImage canvas(8, 6, QImage::Format_ARGB32);
    canvas.fill(qRgba(200, 200, 200, 255));
    QPainter p(&canvas);
    frame->Draw(2, 1, p);
    p.end();
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x)
        EXPECT_EQ(PlatformColor(canvas.pixel(x + 2, y + 1)), ColorOfPixel(x, y)) << x << "," << y;
    EXPECT_EQ(canvas.pixel(1, 1), qRgb(200, 200, 200));
    EXPECT_EQ(canvas.pixel(6, 1), qRgb(200, 200, 200));
    EXPECT_EQ(canvas.pixel(2, 4), qRgb(200, 200, 200));
    EXPECT_EQ(canvas.pixel(2, 0), qRgb(200, 200, 200));
  }
}

TEST_F(SmileBitmapDrawing, StretchDrawScalesIntoTheRectangleAtTheTopLeft) {
  for (const TSmileBitmap* frame :
       {static_cast<const TSmileBitmap*>(&b32), static_cast<const TSmileBitmap*>(&b8)}) {
    QImage canvas(40, 30, QImage::Format_RGB32);
    canvas.fill(qRgb(200, 200, 200));
    QPainter p(&canvas);
    frame->StretchDraw(QRect(0, 0, 32, 24), p);  // 8 times in both directions
    p.end();
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 32; ++x)
        ASSERT_EQ(PlatformColor(canvas.pixel(x, y)), ColorOfPixel(x / 8, y / 8)) << x << "," << y;
    EXPECT_EQ(canvas.pixel(32, 0), qRgb(200, 200, 200));
    EXPECT_EQ(canvas.pixel(0, 24), qRgb(200, 200, 200));
  }
}

TEST_F(SmileBitmapDrawing, IndicesWithoutPaletteEntryDrawBlack) {
  b8.SetPixel(0, 0, 200);
  const QImage drawn = Drawn(b8, 4, 3);
  EXPECT_EQ(drawn.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(b8.ColorAt(0, 0), 0u);
}

// ---------------------------------------------------------------------------------------------
// The decoder base

TEST(PictureDecoderBase, CreationFailsWhenTheFileCannotBeOpened) {
  TempDir dir;
  EXPECT_THROW(TGifDecoder(dir.Path() + "missing.gif"), EFOpenError);
  EXPECT_THROW(TGifDecoder(dir.Path()), EFOpenError);
  const std::string fifo = dir.Path() + "fifo.gif";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_THROW(TGifDecoder{fifo}, EFOpenError);  // and does not wait for a writer
}

TEST(PictureDecoderBase, AnswersNothingBeforeDecoding) {
  TempDir dir;
  testing_support::WriteBytes(dir.Path() + "a.gif", "GIF89a");
  TGifDecoder decoder(dir.Path() + "a.gif");
  EXPECT_EQ(decoder.BackgroundColor, White);
  EXPECT_EQ(decoder.GetFrameCount(), 0);
  EXPECT_EQ(decoder.GetFrame(0), nullptr);
  EXPECT_EQ(decoder.GetFrameDelay(0), -1);
}

TEST(PictureDecoderBase, AccessorsAnswerOnlyInsideTheLists) {
  using namespace gif_builder;
  GifBuilder gif;
  gif.Screen(2, 2, {{0, 0, 0}, {255, 255, 255}})
      .Control(0, -1, 30)
      .Image(2, 2, {0, 1, 1, 0})
      .Image(2, 2, {1, 1, 1, 1})
      .Trailer();
  TempDir dir;
  std::string error;
  auto decoder = DecodeBytes<TGifDecoder>(dir, gif.Bytes(), error);
  ASSERT_EQ(error, "");
  ASSERT_EQ(decoder->GetFrameCount(), 2);
  EXPECT_EQ(decoder->GetFrameDelay(1), 300);
  EXPECT_EQ(decoder->GetFrameDelay(-1), -1);
  EXPECT_EQ(decoder->GetFrameDelay(2), -1);
  EXPECT_NE(decoder->GetFrame(1), nullptr);
  EXPECT_EQ(decoder->GetFrame(2), nullptr);
  EXPECT_EQ(decoder->GetFrame(-1), nullptr);
}

TEST(PictureDecoderBase, FileIsClosedAfterDecodeWhetherItSucceedsOrFails) {
  TempDir dir;
  using namespace gif_builder;
  const std::string good = GifBuilder().Screen(1, 1, {{1, 2, 3}, {}}).Trailer().Bytes();
  for (const std::string& bytes : {good, std::string("GIF89a\x01")}) {
    const std::string path = dir.Path() + "a.gif";
    testing_support::WriteBytes(path, bytes);
    TGifDecoder decoder(path);
    EXPECT_TRUE(IsOpenHere(path));
    try {
      decoder.Decode();
    } catch (const EAbort&) {
    }
    EXPECT_FALSE(IsOpenHere(path));
  }
}

TEST(PictureDecoderBase, DestroyingAnUndecodedDecoderIsHarmless) {
  TempDir dir;
  testing_support::WriteBytes(dir.Path() + "a.gif", "x");
  auto decoder = std::make_unique<TGifDecoder>(dir.Path() + "a.gif");
  decoder.reset();
  SUCCEED();
}
