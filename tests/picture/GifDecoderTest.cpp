// SPDX-License-Identifier: GPL-3.0-or-later
// TGifDecoder on hand-made files: composition of frames, delays, the palettised and true-colour
// paths, interlacing, LZW corner cases, and every failure.
#include <gtest/gtest.h>

#include "GifBuilder.h"
#include "GifDecoder.h"
#include "PictureTestSupport.h"

using namespace picture_test;
using namespace gif_builder;
namespace msg = gif_messages;

namespace {

const Rgb Black{0, 0, 0}, Red{255, 0, 0}, Green{0, 255, 0}, Blue{0, 0, 255};
const Palette Four = {Black, Red, Green, Blue};
const std::uint32_t R = Color(255, 0, 0), G = Color(0, 255, 0), B = Color(0, 0, 255), K = 0,
                    W = White;

class GifDecoderTest : public ::testing::Test {
 protected:
  std::unique_ptr<TGifDecoder> Decode(const std::string& bytes) {
    return DecodeBytes<TGifDecoder>(dir, bytes, error, "smile.gif");
  }
  std::unique_ptr<TGifDecoder> Decode(const GifBuilder& gif) { return Decode(gif.Bytes()); }
  std::vector<std::uint32_t> Frame(const TGifDecoder& d, int i) {
    const TSmileBitmap* f = d.GetFrame(i);
    return f ? Pixels(*f) : std::vector<std::uint32_t>{};
  }
  static bool Palettised(const TGifDecoder& d, int i) {
    return dynamic_cast<const TSmileBitmap8*>(d.GetFrame(i)) != nullptr;
  }
  // The palette Four, one image at the top-left with raw LZW data of minimum code size 2.
  static GifBuilder OneImage(int screenWidth, int screenHeight, int width, int height,
                             const std::string& data) {
    GifBuilder gif;
    gif.Screen(screenWidth, screenHeight, Four).Descriptor(0, 0, width, height, 0).Byte(2);
    gif.SubBlocks(data).Trailer();
    return gif;
  }
  // Image data of explicit codes of explicit widths.
  static std::string Codes(std::initializer_list<std::pair<unsigned, int>> codes) {
    CodeWriter w;
    for (auto [code, width] : codes) w.Put(code, width);
    return w.Bytes();
  }

  testing_support::TempDir dir;
  std::string error;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Frames and delays

TEST_F(GifDecoderTest, FileWithoutImagesGivesNoFramesAndNoError) {
  auto d = Decode(GifBuilder().Screen(3, 3, Four).Trailer());
  EXPECT_EQ(error, "");
  EXPECT_EQ(d->GetFrameCount(), 0);
  EXPECT_EQ(d->GetFrame(0), nullptr);
}

TEST_F(GifDecoderTest, FramesShowTheWholeScreenWithTheBackgroundWhereNothingCovers) {
  auto d =
      Decode(GifBuilder().Screen(3, 2, Four).Image(2, 1, {1, 2}, {.left = 1, .top = 1}).Trailer());
  ASSERT_EQ(error, "");
  ASSERT_EQ(d->GetFrameCount(), 1);
  EXPECT_EQ(d->GetFrame(0)->width, 3);
  EXPECT_EQ(d->GetFrame(0)->height, 2);
  EXPECT_EQ(Frame(*d, 0), (std::vector<std::uint32_t>{W, W, W, W, R, G}));
}

TEST_F(GifDecoderTest, DelaysBelowTenHundredthsBecomeOneHundredMilliseconds) {
  GifBuilder gif;
  gif.Screen(1, 1, Four).Image(1, 1, {1});  // before any graphic control: delay 0
  for (int delay : {0, 9, 10, 25}) gif.Control(0, -1, delay).Image(1, 1, {1});
  auto d = Decode(gif.Trailer());
  ASSERT_EQ(error, "");
  ASSERT_EQ(d->GetFrameCount(), 5);
  EXPECT_EQ(d->GetFrameDelay(0), 100);
  EXPECT_EQ(d->GetFrameDelay(1), 100);
  EXPECT_EQ(d->GetFrameDelay(2), 100);
  EXPECT_EQ(d->GetFrameDelay(3), 100);
  EXPECT_EQ(d->GetFrameDelay(4), 250);
}

TEST_F(GifDecoderTest, LaterImageWithoutGraphicControlInheritsTheLastOne) {
  // Transparency of index 3, disposal 2 and 40 hundredths hold for both images.
  auto d = Decode(GifBuilder()
                      .Screen(2, 1, Four)
                      .Control(2, 3, 40)
                      .Image(2, 1, {1, 3})
                      .Image(1, 1, {3}, {.left = 1})
                      .Image(1, 1, {2})
                      .Trailer());
  ASSERT_EQ(error, "");
  ASSERT_EQ(d->GetFrameCount(), 3);
  EXPECT_EQ(Frame(*d, 0), (std::vector<std::uint32_t>{R, W}));
  EXPECT_EQ(Frame(*d, 1), (std::vector<std::uint32_t>{W, W}));  // first rectangle disposed
  EXPECT_EQ(Frame(*d, 2), (std::vector<std::uint32_t>{G, W}));
  EXPECT_EQ(d->GetFrameDelay(2), 400);
}

TEST_F(GifDecoderTest, TransparentPixelsShowWhatIsBelow) {
  auto d = Decode(GifBuilder()
                      .Screen(3, 1, Four)
                      .Control(1, 0)
                      .Image(3, 1, {1, 1, 0})
                      .Image(3, 1, {0, 2, 0})
                      .Trailer());
  ASSERT_EQ(error, "");
  EXPECT_EQ(Frame(*d, 0), (std::vector<std::uint32_t>{R, R, W}));
  EXPECT_EQ(Frame(*d, 1), (std::vector<std::uint32_t>{R, G, W}));
  EXPECT_TRUE(Palettised(*d, 1));
}

// ---------------------------------------------------------------------------------------------
// Palettised and true-colour frames

TEST_F(GifDecoderTest, LocalColourTableSwitchesEveryLaterFrameToTrueColour) {
  const Palette local = {{10, 20, 30}, {40, 50, 60}};
  auto d = Decode(GifBuilder()
                      .Screen(2, 1, Four)
                      .Control(0, 0)
                      .Image(1, 1, {1})
                      .Image(1, 1, {1}, {.left = 1, .local = local})
                      .Image(1, 1, {2})
                      .Trailer());
  ASSERT_EQ(error, "");
  ASSERT_EQ(d->GetFrameCount(), 3);
  EXPECT_TRUE(Palettised(*d, 0));
  EXPECT_FALSE(Palettised(*d, 1));
  EXPECT_FALSE(Palettised(*d, 2));  // even though the image uses the global table again
  EXPECT_EQ(Frame(*d, 0), (std::vector<std::uint32_t>{R, W}));
  EXPECT_EQ(Frame(*d, 1), (std::vector<std::uint32_t>{R, Color(40, 50, 60)}));
  EXPECT_EQ(Frame(*d, 2), (std::vector<std::uint32_t>{G, Color(40, 50, 60)}));
}

TEST_F(GifDecoderTest, ADifferentTransparentIndexSwitchesToTrueColour) {
  auto d = Decode(GifBuilder()
                      .Screen(2, 1, Four)
                      .Control(1, 0)
                      .Image(2, 1, {1, 0})
                      .Control(1, 3)
                      .Image(2, 1, {3, 0})
                      .Trailer());
  ASSERT_EQ(error, "");
  EXPECT_TRUE(Palettised(*d, 0));
  EXPECT_FALSE(Palettised(*d, 1));
  EXPECT_EQ(Frame(*d, 1), (std::vector<std::uint32_t>{R, K}));
}

TEST_F(GifDecoderTest, ColourOfIndexZeroShowsWhenNoTransparencyIsSet) {
  // No graphic control: the background stands for index 0 on the palettised canvas, yet the
  // image draws index 0 (black) as an ordinary colour.
  auto d = Decode(
      GifBuilder().Screen(3, 1, Four).Image(2, 1, {0, 1}).Image(1, 1, {2}, {.left = 2}).Trailer());
  ASSERT_EQ(error, "");
  EXPECT_EQ(Frame(*d, 0), (std::vector<std::uint32_t>{K, R, W}));
  EXPECT_EQ(Frame(*d, 1), (std::vector<std::uint32_t>{K, R, G}));
  const QImage drawn = Drawn(*d->GetFrame(0), 3, 1);
  EXPECT_EQ(drawn.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(drawn.pixel(2, 0), qRgb(255, 255, 255));
}

TEST_F(GifDecoderTest, FramesStayPalettisedWhenTheBackgroundIndexIsNeverDrawn) {
  auto d = Decode(GifBuilder().Screen(2, 1, Four).Image(1, 1, {1}).Trailer());
  ASSERT_EQ(error, "");
  EXPECT_TRUE(Palettised(*d, 0));
  EXPECT_EQ(Frame(*d, 0), (std::vector<std::uint32_t>{R, W}));
}

TEST_F(GifDecoderTest, TransparentIndexBeyondTheGlobalTableStillShowsTheBackground) {
  auto d = Decode(GifBuilder().Screen(2, 1, Four).Control(0, 200).Image(1, 1, {1}).Trailer());
  ASSERT_EQ(error, "");
  EXPECT_EQ(Frame(*d, 0), (std::vector<std::uint32_t>{R, W}));
  EXPECT_EQ(Drawn(*d->GetFrame(0), 2, 1).pixel(1, 0), qRgb(255, 255, 255));
}

TEST_F(GifDecoderTest, FileWithoutGlobalTableShowsLocalColoursOnWhite) {
  auto d = Decode(GifBuilder().Screen(2, 1).Image(1, 1, {1}, {.local = {Black, Blue}}).Trailer());
  ASSERT_EQ(error, "");
  EXPECT_EQ(Frame(*d, 0), (std::vector<std::uint32_t>{B, W}));
}

TEST_F(GifDecoderTest, IndicesBeyondTheGlobalTableShowBlackOnBothKindsOfFrame) {
  const Palette two = {Red, Green};
  auto d = Decode(GifBuilder()
                      .Screen(3, 1, two)
                      .Control(1, 0)
                      .Image(2, 1, {5, 1})
                      .Image(3, 1, {0, 0, 6}, {.local = {Blue, Blue}})
                      .Trailer());
  ASSERT_EQ(error, "");
  EXPECT_TRUE(Palettised(*d, 0));
  EXPECT_EQ(Frame(*d, 0), (std::vector<std::uint32_t>{K, G, W}));
  EXPECT_EQ(Drawn(*d->GetFrame(0), 3, 1).pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(Frame(*d, 1), (std::vector<std::uint32_t>{K, G, K}));
}

// ---------------------------------------------------------------------------------------------
// Disposal

class GifDisposalTest : public GifDecoderTest, public ::testing::WithParamInterface<bool> {
 protected:
  // On a 3 x 1 screen: red over everything, then `disposal` on green at x = 1, then blue at
  // x = 2 with transparency of index 0. A local table forces true colour when asked.
  std::unique_ptr<TGifDecoder> Run(int disposal) {
    ImageOptions second{.left = 1};
    if (GetParam()) second.local = Four;
    return Decode(GifBuilder()
                      .Screen(3, 1, Four)
                      .Control(1, 0)
                      .Image(3, 1, {1, 1, 1})
                      .Control(disposal, 0)
                      .Image(1, 1, {2}, second)
                      .Control(1, 0)
                      .Image(1, 1, {3}, {.left = 2})
                      .Trailer());
  }
};

TEST_P(GifDisposalTest, KeepingDisposalsLeaveTheImageOnTheCanvas) {
  for (int disposal : {0, 1, 4, 5, 6, 7}) {
    auto d = Run(disposal);
    ASSERT_EQ(error, "");
    EXPECT_EQ(Frame(*d, 1), (std::vector<std::uint32_t>{R, G, R}));
    EXPECT_EQ(Frame(*d, 2), (std::vector<std::uint32_t>{R, G, B})) << disposal;
    EXPECT_EQ(Palettised(*d, 2), !GetParam());
  }
}

TEST_P(GifDisposalTest, RestoreToBackgroundRefillsOnlyTheImageRectangle) {
  auto d = Run(2);
  ASSERT_EQ(error, "");
  EXPECT_EQ(Frame(*d, 1), (std::vector<std::uint32_t>{R, G, R}));
  EXPECT_EQ(Frame(*d, 2), (std::vector<std::uint32_t>{R, W, B}));
}

TEST_P(GifDisposalTest, RestoreToPreviousBringsBackTheCanvasFromBeforeTheImage) {
  auto d = Run(3);
  ASSERT_EQ(error, "");
  EXPECT_EQ(Frame(*d, 1), (std::vector<std::uint32_t>{R, G, R}));
  EXPECT_EQ(Frame(*d, 2), (std::vector<std::uint32_t>{R, R, B}));
}

INSTANTIATE_TEST_SUITE_P(PalettisedOrTrueColour, GifDisposalTest, ::testing::Bool());

TEST_F(GifDecoderTest, RestoreToPreviousOnTheFirstImageLeavesTheBackground) {
  auto d = Decode(GifBuilder()
                      .Screen(2, 1, Four)
                      .Control(3, 0)
                      .Image(1, 1, {1})
                      .Control(1, 0)
                      .Image(1, 1, {2}, {.left = 1})
                      .Trailer());
  ASSERT_EQ(error, "");
  EXPECT_EQ(Frame(*d, 0), (std::vector<std::uint32_t>{R, W}));
  EXPECT_EQ(Frame(*d, 1), (std::vector<std::uint32_t>{W, G}));
}

// ---------------------------------------------------------------------------------------------
// Rows

class GifInterlaceTest : public GifDecoderTest,
                         public ::testing::WithParamInterface<std::vector<int>> {};

// Data row i carries colour index i + 1; the expected list gives the screen row of each.
TEST_P(GifInterlaceTest, DataRowsGoToTheRowsOfTheInterlaceOrder) {
  const std::vector<int>& rows = GetParam();
  const int height = static_cast<int>(rows.size());
  Palette palette(16);
  for (int i = 0; i < 16; ++i) palette[i] = {static_cast<std::uint8_t>(i * 10), 0, 0};
  std::vector<std::uint8_t> data;
  for (int i = 0; i < height; ++i) data.push_back(static_cast<std::uint8_t>(i + 1));
  GifBuilder gif;
  gif.Screen(1, height, palette)
      .Descriptor(0, 0, 1, height, 0x40)
      .Byte(4)
      .SubBlocks(EncodeLzw(data, 4));
  auto d = Decode(gif.Trailer());
  ASSERT_EQ(error, "");
  for (int i = 0; i < height; ++i)
    EXPECT_EQ(d->GetFrame(0)->ColorAt(0, rows[i]), Color((i + 1) * 10, 0, 0)) << "data row " << i;
}

INSTANTIATE_TEST_SUITE_P(Heights, GifInterlaceTest,
                         ::testing::Values(std::vector<int>{0}, std::vector<int>{0, 1},
                                           std::vector<int>{0, 2, 1}, std::vector<int>{0, 2, 1, 3},
                                           std::vector<int>{0, 8, 4, 2, 6, 1, 3, 5, 7}));

TEST_F(GifDecoderTest, InterlacedImageAtAnOffsetMatchesItsPlainTwin) {
  std::vector<std::uint8_t> pixels;
  for (int i = 0; i < 6 * 11; ++i) pixels.push_back(static_cast<std::uint8_t>((i * 7) % 4));
  auto plain = Decode(
      GifBuilder().Screen(9, 14, Four).Image(6, 11, pixels, {.left = 2, .top = 3}).Trailer());
  auto interlaced = Decode(GifBuilder()
                               .Screen(9, 14, Four)
                               .Image(6, 11, pixels, {.left = 2, .top = 3, .interlaced = true})
                               .Trailer());
  ASSERT_EQ(error, "");
  EXPECT_EQ(Frame(*interlaced, 0), Frame(*plain, 0));
}

TEST_F(GifDecoderTest, RowsPastTheImageHeightAreDrawnBelowIt) {
  GifBuilder gif;
  gif.Screen(2, 4, Four)
      .Descriptor(0, 1, 2, 1, 0)
      .Byte(2)
      .SubBlocks(EncodeLzw({1, 2, 3, 1, 2, 2}, 2));
  auto d = Decode(gif.Trailer());
  ASSERT_EQ(error, "");
  EXPECT_EQ(Frame(*d, 0), (std::vector<std::uint32_t>{W, W, R, G, B, R, G, G}));
}

TEST_F(GifDecoderTest, RowsPastTheLastInterlacePassAllLandOnTheRowItEndedOn) {
  // 4,500 rows and one pixel for a 2 x 1 image: after row 0 the passes end on row 1, where every
  // later row goes; the last, partial row draws its one pixel over the row before it.
  std::vector<std::uint8_t> pixels;
  for (int i = 0; i < 9001; ++i) pixels.push_back(static_cast<std::uint8_t>(i % 3 + 1));
  for (bool compress : {true, false}) {
    GifBuilder gif;
    gif.Screen(2, 2, Four).Descriptor(0, 0, 2, 1, 0x40).Byte(2);
    auto d = Decode(gif.SubBlocks(EncodeLzw(pixels, 2, compress)).Trailer());
    ASSERT_EQ(error, "");
    EXPECT_EQ(Frame(*d, 0), (std::vector<std::uint32_t>{R, G, R, B})) << compress;
  }
}

TEST_F(GifDecoderTest, PixelsTheDataLeavesOutShowTheCanvasAsBeforeTheImage) {
  auto d = Decode(OneImage(3, 3, 3, 3, EncodeLzw({1, 2, 1, 2}, 2)));
  ASSERT_EQ(error, "");
  EXPECT_EQ(Frame(*d, 0), (std::vector<std::uint32_t>{R, G, R, G, W, W, W, W, W}));
  // One pixel short after a restore to background, palettised and in true colour: the last
  // pixel shows the background the disposal left, as browsers show it.
  for (bool local : {false, true}) {
    ImageOptions second;
    if (local) second.local = Four;
    auto d = Decode(GifBuilder()
                        .Screen(2, 2, Four)
                        .Control(2, 0)
                        .Image(2, 2, {1, 1, 1, 1})
                        .Image(2, 2, {3, 3, 3}, second)
                        .Trailer());
    ASSERT_EQ(error, "") << local;
    EXPECT_EQ(Frame(*d, 1), (std::vector<std::uint32_t>{B, B, B, W})) << local;
  }
}

// ---------------------------------------------------------------------------------------------
// LZW

TEST_F(GifDecoderTest, LongImagesDecodeAlikeCompressedOrOneCodePerPixel) {
  // 64 x 64 with all 256 colours: the code width grows to 12 bits and the table fills.
  Palette palette(256);
  for (int i = 0; i < 256; ++i)
    palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), 7};
  std::vector<std::uint8_t> pixels(64 * 64);
  std::uint32_t seed = 1;
  for (auto& p : pixels) {
    seed = seed * 1103515245 + 12345;
    p = static_cast<std::uint8_t>((seed >> 16) % ((&p - pixels.data()) % 3 == 0 ? 256 : 4));
  }
  std::vector<std::uint32_t> expected;
  for (auto p : pixels) expected.push_back(ColorOf(palette[p]));
  for (bool compress : {true, false}) {
    auto d = Decode(GifBuilder()
                        .Screen(64, 64, palette)
                        .Image(64, 64, pixels, {.compress = compress})
                        .Trailer());
    ASSERT_EQ(error, "");
    EXPECT_EQ(Frame(*d, 0), expected) << compress;
  }
}

TEST_F(GifDecoderTest, FullTableWithoutClearCodeKeepsTwelveBitCodes) {
  // One code per pixel until the table is full, then more 12-bit codes with no clear code.
  std::vector<std::uint8_t> pixels;
  CodeWriter w;
  int size = 3;
  unsigned next = 6, limit = 8;
  w.Put(4, size);
  for (int i = 0; i < 4200; ++i) {
    const unsigned code = static_cast<unsigned>(i % 4);
    pixels.push_back(static_cast<std::uint8_t>(code));
    w.Put(code, size);
    if (i > 0 && next < limit && ++next >= limit && size < 12) limit *= 2, ++size;
  }
  w.Put(5, size);
  auto d = Decode(OneImage(4200, 1, 4200, 1, w.Bytes()));
  ASSERT_EQ(error, "");
  ASSERT_EQ(size, 12);
  for (int x = 0; x < 4200; x += 97)
    EXPECT_EQ(d->GetFrame(0)->ColorAt(x, 0), ColorOf(Four[x % 4])) << x;
}

TEST_F(GifDecoderTest, DataWithoutLeadingClearCodeDecodesAsAfterAClearCode) {
  auto d = Decode(OneImage(4, 1, 4, 1, Codes({{1, 3}, {1, 3}, {6, 3}, {5, 4}})));
  ASSERT_EQ(error, "");
  EXPECT_EQ(Frame(*d, 0), (std::vector<std::uint32_t>{R, R, R, R}));
}

TEST_F(GifDecoderTest, FirstCodeAfterClearThatTheTableLacksReadsAsZero) {
  auto d = Decode(OneImage(2, 1, 2, 1, Codes({{4, 3}, {7, 3}, {2, 3}, {5, 3}})));
  ASSERT_EQ(error, "");
  EXPECT_EQ(Frame(*d, 0), (std::vector<std::uint32_t>{K, G}));
}

TEST_F(GifDecoderTest, CodesNotInTheTableRepeatThePreviousStringAndItsFirstByte) {
  // After R, 7 comes before the table has it (the next code is 6): it repeats the previous
  // string and its first byte (R R) and defines 6. The next 7 is the code being defined, its
  // prefix the 7 read before, whose entry was never written and reads as zeros: K K, then R.
  auto d = Decode(OneImage(6, 1, 6, 1, Codes({{4, 3}, {1, 3}, {7, 3}, {7, 3}, {5, 4}})));
  ASSERT_EQ(error, "");
  EXPECT_EQ(Frame(*d, 0), (std::vector<std::uint32_t>{R, R, R, K, K, R}));
}

TEST_F(GifDecoderTest, MinimumCodeSizesTwoAndNineAreAccepted) {
  for (int min : {2, 9}) {
    auto d =
        Decode(GifBuilder().Screen(2, 1, Four).Image(2, 1, {1, 2}, {.minCodeSize = min}).Trailer());
    EXPECT_EQ(error, "") << min;
    EXPECT_EQ(Frame(*d, 0), (std::vector<std::uint32_t>{R, G})) << min;
  }
}

// ---------------------------------------------------------------------------------------------
// Blocks between images

TEST_F(GifDecoderTest, ExtensionsOtherThanGraphicControlAreSkipped) {
  auto d = Decode(GifBuilder()
                      .Screen(1, 1, Four)
                      .Application("NETSCAPE2.0", std::string("\x01\x00\x00", 3))
                      .Comment(std::string(600, 'c'))
                      .Byte(0x21)
                      .Byte(0x01)
                      .SubBlocks("plain text", 4)
                      .Image(1, 1, {2})
                      .Trailer());
  ASSERT_EQ(error, "");
  EXPECT_EQ(Frame(*d, 0), (std::vector<std::uint32_t>{G}));
}

TEST_F(GifDecoderTest, BlocksFarLongerThanTheReadBufferAreSkippedToTheirEnd) {
  GifBuilder gif;
  gif.Screen(2, 1, Four)
      .Image(1, 1, {1})
      .Comment(std::string(200000, 'c'))
      .Image(1, 1, {2}, {.left = 1})
      .Trailer();
  auto d = Decode(gif);
  ASSERT_EQ(error, "");
  EXPECT_EQ(Frame(*d, 1), (std::vector<std::uint32_t>{R, G}));
  d = Decode(gif.Bytes().substr(0, 150000));
  EXPECT_EQ(error, msg::UnexpectedEndOfFile);
  EXPECT_EQ(d->GetFrameCount(), 1);
}

TEST_F(GifDecoderTest, StrayZeroByteMakesTheNextByteALengthToSkip) {
  auto d =
      Decode(GifBuilder().Screen(1, 1, Four).Byte(0).Byte(3).Raw("abc").Image(1, 1, {1}).Trailer());
  ASSERT_EQ(error, "");
  EXPECT_EQ(d->GetFrameCount(), 1);
}

// ---------------------------------------------------------------------------------------------
// Failures

TEST_F(GifDecoderTest, FileEndingRightAfterTheHeaderIsTruncated) {
  const std::string header = GifBuilder().Screen(1, 1).Bytes();
  ASSERT_EQ(header.size(), 13u);
  Decode(header);
  EXPECT_EQ(error, msg::FileTruncated);
}

TEST_F(GifDecoderTest, MinimumCodeSizesOutsideTwoToNineFail) {
  for (int min : {1, 10}) {
    GifBuilder gif;
    gif.Screen(1, 1, Four)
        .Descriptor(0, 0, 1, 1, 0)
        .Byte(min)
        .SubBlocks(Codes({{1u << min, min + 1}}))
        .Trailer();
    Decode(gif);
    EXPECT_EQ(error, msg::DataError) << min;
  }
}

TEST_F(GifDecoderTest, GraphicControlOfSizeFiveFails) {
  auto d = Decode(GifBuilder()
                      .Screen(1, 1, Four)
                      .Raw(std::string("\x21\xF9\x05\0\0\0\0\0\0", 9))
                      .Image(1, 1, {1})
                      .Trailer());
  EXPECT_EQ(error, msg::DataError);
  EXPECT_EQ(d->GetFrameCount(), 0);
}

TEST_F(GifDecoderTest, DataSubBlocksAfterTheEndCodeAreSkippedOnlyWhenEveryPixelIsThere) {
  const std::string data = EncodeLzw({1}, 2);
  for (int width : {1, 2}) {
    GifBuilder gif;
    gif.Screen(2, 1, Four).Descriptor(0, 0, width, 1, 0).Byte(2);
    gif.Byte(static_cast<int>(data.size())).Raw(data).Byte(3).Raw("xyz").SubBlocks("more");
    auto d = Decode(gif.Image(1, 1, {2}, {.left = 1}).Trailer());
    if (width == 2) {
      EXPECT_EQ(error, "Неожиданное окончание растра");  // the second pixel is missing
      continue;
    }
    ASSERT_EQ(error, "");
    ASSERT_EQ(d->GetFrameCount(), 2);
    EXPECT_EQ(Frame(*d, 1), (std::vector<std::uint32_t>{R, G}));
  }
}

TEST_F(GifDecoderTest, BlockTerminatorBeforeTheEndCodeFailsWhilePixelsAreMissing) {
  // Two pixels, and two more from the zero bits that pad the last byte: six are wanted.
  Decode(OneImage(2, 3, 2, 3, Codes({{4, 3}, {1, 3}, {2, 3}})));
  EXPECT_EQ(error, msg::UnexpectedEndOfBlock);
}

TEST_F(GifDecoderTest, ShortEndCodeOnAByteBoundaryEndsAnImageThatHasAllItsPixels) {
  // Eleven one-pixel codes: the eleventh makes the code width 5, yet the end code comes at the
  // old width 4 and fills the sixth byte, so the block terminator stands where its fifth bit
  // should. The terminator ends the image; the next image is read from the byte after it.
  const std::string data = Codes({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {1, 4}, {2, 4}, {3, 4},
                                  {1, 4}, {2, 4}, {3, 4}, {1, 4}, {2, 4}, {5, 4}});
  ASSERT_EQ(data.size(), 6u);
  for (int width : {11, 12}) {
    GifBuilder gif;
    gif.Screen(12, 2, Four).Descriptor(0, 0, width, 1, 0).Byte(2).SubBlocks(data);
    auto d = Decode(gif.Image(1, 1, {3}, {.top = 1}).Trailer());
    if (width == 12) {
      EXPECT_EQ(error, msg::UnexpectedEndOfBlock);  // the twelfth pixel is missing
      continue;
    }
    ASSERT_EQ(error, "");
    ASSERT_EQ(d->GetFrameCount(), 2);
    const std::vector<std::uint32_t> top = {R, G, B, R, G, B, R, G, B, R, G, W};
    std::vector<std::uint32_t> expected = top;
    expected.insert(expected.end(), 12, W);
    EXPECT_EQ(Frame(*d, 0), expected);
    expected[12] = B;
    EXPECT_EQ(Frame(*d, 1), expected);
  }
}

TEST_F(GifDecoderTest, CorruptCodesThatBuildACycleOverflowTheStack) {
  // Code 7 before it exists makes entry 7 its own prefix.
  Decode(OneImage(2, 1, 2, 1, Codes({{4, 3}, {0, 3}, {7, 3}, {7, 3}, {7, 4}, {5, 4}})));
  EXPECT_EQ(error, msg::StackOverflow);
}

TEST_F(GifDecoderTest, SkipReachingTheEndOfTheFileFails) {
  Decode(GifBuilder().Screen(1, 1, Four).Byte(0x42).Byte(3).Raw("abc").Bytes());
  EXPECT_EQ(error, msg::UnexpectedEndOfFile);
}

TEST_F(GifDecoderTest, FileThatIsNotAGifFailsAtOnce) {
  Decode(std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
  EXPECT_EQ(error, msg::NotAGif);
  Decode(GifBuilder().Screen(1, 1, Four, "GIF90a").Trailer());
  EXPECT_EQ(error, msg::NotAGif);
}

TEST_F(GifDecoderTest, ZeroSizeScreenFails) {
  for (auto [w, h] : {std::pair{0, 5}, std::pair{5, 0}}) {
    auto d = Decode(GifBuilder().Screen(w, h, Four).Image(1, 1, {1}).Trailer());
    EXPECT_EQ(error, msg::EmptyScreen);
    EXPECT_EQ(d->GetFrameCount(), 0);
  }
}

TEST_F(GifDecoderTest, ZeroWidthImageFailsOnlyWhenItsDataHoldsPixels) {
  auto d = Decode(OneImage(2, 1, 0, 1, Codes({{4, 3}, {5, 3}})));
  EXPECT_EQ(error, "");
  EXPECT_EQ(d->GetFrameCount(), 1);
  Decode(OneImage(2, 1, 0, 1, EncodeLzw({1, 2}, 2)));
  EXPECT_EQ(error, msg::PixelsInEmptyImage);
}

TEST_F(GifDecoderTest, HugeScreenFailsBeforeAllocating) {
  auto d = Decode(GifBuilder().Screen(65535, 65535, Four).Image(1, 1, {1}).Trailer());
  EXPECT_EQ(error, TooLargeMessage);
  EXPECT_EQ(d->GetFrameCount(), 0);
}

TEST_F(GifDecoderTest, FramesPastTheAllocationBoundFailAndKeepTheFramesBefore) {
  // 2900 x 2900 true-colour frames take about 32 MiB each.
  GifBuilder gif;
  gif.Screen(2900, 2900, Four);
  for (int i = 0; i < 12; ++i) gif.Image(1, 1, {1}, {.local = Four});
  auto d = Decode(gif.Trailer());
  EXPECT_EQ(error, TooLargeMessage);
  const std::size_t frame = TSmileBitmap32::StorageSize(2900, 2900);
  const std::size_t canvases = frame + TSmileBitmap8::StorageSize(2900, 2900, 4);
  EXPECT_GT(d->GetFrameCount(), 0);
  EXPECT_LE(canvases + frame * static_cast<std::size_t>(d->GetFrameCount()),
            TPictureDecoder::MaxAllocation);
  EXPECT_GT(canvases + frame * static_cast<std::size_t>(d->GetFrameCount() + 1),
            TPictureDecoder::MaxAllocation);
}

TEST_F(GifDecoderTest, EveryTruncatedPrefixFailsWithTheMessageOfTheReadThatRanOut) {
  Palette palette(8);
  for (int i = 0; i < 8; ++i) palette[i] = {static_cast<std::uint8_t>(i * 30), 1, 2};
  std::vector<std::uint8_t> pixels;
  for (int i = 0; i < 30; ++i) pixels.push_back(static_cast<std::uint8_t>(i % 5));
  GifBuilder gif;
  gif.Screen(6, 5, palette)
      .Application("NETSCAPE2.0", std::string("\x01\x00\x00", 3))
      .Comment("made by hand")
      .Control(2, 0, 12)
      .Image(6, 5, pixels, {.chunk = 7})
      .Control(1, 1, 20)
      .Image(3, 5, std::vector<std::uint8_t>(pixels.begin(), pixels.begin() + 15),
             {.left = 1, .interlaced = true, .local = palette, .chunk = 5})
      .Trailer();
  const std::string bytes = gif.Bytes();
  auto whole = Decode(bytes);
  ASSERT_EQ(error, "");
  ASSERT_EQ(whole->GetFrameCount(), 2);
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    std::string expected = msg::FileTruncated;
    for (auto [first, last] : gif.SkippedRanges())
      if (first <= length && length <= last) expected = msg::UnexpectedEndOfFile;
    auto d = Decode(bytes.substr(0, length));
    ASSERT_EQ(error, expected) << "prefix of " << length << " bytes";
    // Frames finished before the end stay, as they were.
    ASSERT_LE(d->GetFrameCount(), 2);
    for (int i = 0; i < d->GetFrameCount(); ++i) EXPECT_EQ(Frame(*d, i), Frame(*whole, i));
  }
}
