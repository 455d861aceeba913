// SPDX-License-Identifier: GPL-3.0-or-later
// Converting any picture into the file a pack stores: the result is decoded with the pack's own
// decoders and compared with what the picture shows; files already of the pack's kind are taken
// unchanged; what is no smile picture is refused with a clear result.
#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>
#include <set>
#include <sstream>

#include "BmpDecoder.h"
#include "GifBuilder.h"
#include "GifDecoder.h"
#include "PictureConverter.h"
#include "PictureTestSupport.h"

using namespace picture_test;
using testing_support::TempDir;

namespace {

int Distance(std::uint32_t a, std::uint32_t b) {
  int most = 0;
  for (int shift = 0; shift < 24; shift += 8)
    most = std::max(most, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                   static_cast<int>((b >> shift) & 0xFF)));
  return most;
}

// Decodes converted bytes with the pack's decoder of that kind.
std::unique_ptr<TPictureDecoder> DecodeStored(const TempDir& dir, const std::string& bytes,
                                              TPictureFormat format) {
  std::string error;
  std::unique_ptr<TPictureDecoder> decoder;
  if (format == TPictureFormat::Gif) decoder = DecodeBytes<TGifDecoder>(dir, bytes, error, "out.gif");
  else decoder = DecodeBytes<TBmpDecoder>(dir, bytes, error, "out.bmp");
  EXPECT_EQ(error, "");
  return decoder;
}

std::string Png(const QImage& image, const TempDir& dir, const std::string& name) {
  image.save(QString::fromStdString(dir.Path() + name), "PNG");
  return dir.Path() + name;
}

}  // namespace

TEST(PictureConverter, PicturesOfOtherProgramsDecodeAsTheyShow) {
  const std::string python = PythonWithPillow();
  if (python.empty()) GTEST_SKIP() << "python3 with Pillow (python3-pil) is not installed";
  TempDir dir;
  const std::string cases = dir.Path() + "cases/";
  ASSERT_TRUE(RunPillowScript(python, "make_conversion_inputs.py", cases));
  // Files the pack's decoder reads already are taken as they are.
  const std::set<std::string> takenAsGif = {"moving.gif", "still.gif"}, takenAsBmp = {"opaque.bmp"};

  int count = 0;
  for (const std::string& name : ScriptCases(cases)) {
    std::istringstream expect(testing_support::ReadBytes(cases + name + ".expect"));
    std::string file;
    int width = 0, height = 0, frames = 0, gifTolerance = 0, bmpTolerance = 0;
    expect >> file >> width >> height >> frames >> gifTolerance >> bmpTolerance;
    std::vector<int> delays(static_cast<std::size_t>(frames));
    for (int& d : delays) expect >> d;
    const std::string rgb = testing_support::ReadBytes(cases + name + ".rgb");
    ++count;

    for (TPictureFormat format : {TPictureFormat::Gif, TPictureFormat::Bmp}) {
      const bool gif = format == TPictureFormat::Gif;
      SCOPED_TRACE(file + (gif ? " as GIF" : " as BMP"));
      const TConvertedPicture result = ConvertPicture(cases + file, format);
      ASSERT_TRUE(result.Ok()) << ConvertErrorText(result.error) << " " << result.detail;
      EXPECT_EQ(result.unchanged, (gif ? takenAsGif : takenAsBmp).count(file) == 1);
      if (result.unchanged) {
        EXPECT_EQ(result.bytes, testing_support::ReadBytes(cases + file));
      }
      auto decoder = DecodeStored(dir, result.bytes, format);
      ASSERT_EQ(decoder->GetFrameCount(), gif ? frames : 1);
      const std::uint32_t corner = ScriptPixel(rgb, 0, 0, height - 1, width, height);
      for (int n = 0; n < decoder->GetFrameCount(); ++n) {
        EXPECT_EQ(decoder->GetFrameDelay(n), gif ? delays[static_cast<std::size_t>(n)] : 100);
        const TSmileBitmap* frame = decoder->GetFrame(n);
        ASSERT_EQ(frame->width, width);
        ASSERT_EQ(frame->height, height);
        int worst = 0;
        for (int y = 0; y < height; ++y)
          for (int x = 0; x < width; ++x) {
            std::uint32_t want = ScriptPixel(rgb, n, x, y, width, height);
            // A static pack always shows its bottom-left pixel transparent; a BMP taken as it
            // is shows every pixel of that colour so.
            if (!gif && ((x == 0 && y == height - 1) || (result.unchanged && want == corner)))
              want = White;
            worst = std::max(worst, Distance(frame->ColorAt(x, y), want));
          }
        EXPECT_LE(worst, gif ? gifTolerance : bmpTolerance) << "frame " << n;
      }
    }
  }
  EXPECT_EQ(count, 10);
}

TEST(PictureConverter, KeyColourHitsNoOpaquePixel) {
  TempDir dir;
  // Opaque magenta (the usual key colour), a nearly transparent and a half-transparent pixel,
  // and the bottom-left pixel's colour again elsewhere.
  QImage image(4, 3, QImage::Format_ARGB32);
  image.fill(qRgba(0, 0, 200, 255));
  image.setPixel(1, 0, qRgba(255, 0, 255, 255));
  image.setPixel(2, 0, qRgba(9, 9, 9, 15));
  image.setPixel(3, 0, qRgba(0, 0, 0, 128));
  TConvertedPicture bmp = ConvertPicture(Png(image, dir, "in.png"), TPictureFormat::Bmp);
  ASSERT_TRUE(bmp.Ok());
  EXPECT_FALSE(bmp.unchanged);
  auto decoder = DecodeStored(dir, bmp.bytes, TPictureFormat::Bmp);
  const std::vector<std::uint32_t> want = {
      Color(0, 0, 200), Color(255, 0, 255), White,            Color(127, 127, 127),
      Color(0, 0, 200), Color(0, 0, 200),   Color(0, 0, 200), Color(0, 0, 200),
      White,            Color(0, 0, 200),   Color(0, 0, 200), Color(0, 0, 200)};
  EXPECT_EQ(Pixels(*decoder->GetFrame(0)), want);

  // An opaque picture whose bottom-left colour occurs nowhere else stays as it is.
  image.fill(qRgba(0, 0, 200, 255));
  image.setPixel(0, 2, qRgba(1, 2, 3, 255));
  decoder = DecodeStored(dir, EncodeKeyedBmp(image), TPictureFormat::Bmp);
  std::vector<std::uint32_t> plain(12, Color(0, 0, 200));
  plain[8] = White;
  EXPECT_EQ(Pixels(*decoder->GetFrame(0)), plain);
}

TEST(PictureConverter, GifKeepsTransparencyWhenColoursAreReduced) {
  TempDir dir;
  QImage image(30, 20, QImage::Format_ARGB32);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x)
      image.setPixel(x, y, (x + y) % 7 ? qRgba(x * 8, y * 12, (x * y) % 256, 255) : qRgba(0, 0, 0, 0));
  QImage second = image.mirrored(true, false);
  auto decoder = DecodeStored(dir, EncodeGif({image, second}, {0, 1230}), TPictureFormat::Gif);
  ASSERT_EQ(decoder->GetFrameCount(), 2);
  EXPECT_EQ(decoder->GetFrameDelay(0), 100);
  EXPECT_EQ(decoder->GetFrameDelay(1), 1230);
  for (int n = 0; n < 2; ++n) {
    const QImage& source = n ? second : image;
    int worst = 0;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x) {
        const QRgb c = source.pixel(x, y);
        const std::uint32_t got = decoder->GetFrame(n)->ColorAt(x, y);
        if (qAlpha(c) == 0) EXPECT_EQ(got, White) << x << "," << y;
        else worst = std::max(worst, Distance(got, PlatformColor(c)));
      }
    EXPECT_LE(worst, 24) << "frame " << n;
  }
}

TEST(PictureConverter, RefusesWhatIsNoSmilePicture) {
  using namespace gif_builder;
  TempDir dir;
  auto write = [&](const std::string& name, const std::string& bytes) {
    testing_support::WriteBytes(dir.Path() + name, bytes);
    return dir.Path() + name;
  };
  // Many tiny frames on a screen of Side; without a trailer only Qt's reader takes them.
  auto frames = [](int count, bool trailer, int side = 1) {
    GifBuilder gif;
    gif.Screen(side, side, {{1, 2, 3}, {4, 5, 6}});
    for (int i = 0; i < count; ++i) gif.Image(1, 1, {1});
    if (trailer) gif.Trailer();
    return gif.Bytes();
  };
  QImage wide(picture_limits::MaxSide + 1, 1, QImage::Format_RGB32);
  wide.fill(Qt::red);
  const int side = picture_limits::MaxSide;
  const int screens = static_cast<int>(picture_limits::MaxTotalPixels / (side * side)) + 1;
  const struct {
    std::string path;
    TConvertError error;
    bool stillTaken;  // a still picture reads the first frame only
  } cases[] = {
      {dir.Path() + "missing.png", TConvertError::CannotOpen, false},
      {dir.Make("folder.png/"), TConvertError::CannotOpen, false},
      {write("text.png", "not a picture at all"), TConvertError::NotAPicture, false},
      // Pillow's BMP cut short: Qt's reader takes it, with the missing rows unwritten.
      {write("cut.bmp", testing_support::ReadBytes(FENNIMO_SOURCE_DIR "/fuzz/corpus/bmp/pillow-rgb24.bmp")
                            .substr(0, 700)),
       TConvertError::Incomplete, false},
      {write("empty.gif", GifBuilder().Screen(1, 1, {{0, 0, 0}}).Trailer().Bytes()),
       TConvertError::NotAPicture, false},
      {Png(wide, dir, "wide.png"), TConvertError::TooLarge, false},
      {write("screen.gif", GifBuilder().Screen(4000, 1, {{0, 0, 0}, {9, 9, 9}}).Image(1, 1, {1}).Trailer().Bytes()),
       TConvertError::TooLarge, false},
      {write("many.gif", frames(picture_limits::MaxFrames + 1, true)), TConvertError::TooManyFrames, true},
      {write("many-cut.gif", frames(picture_limits::MaxFrames + 1, false)), TConvertError::TooManyFrames, true},
      {write("pixels.gif", frames(screens, true, side)), TConvertError::TooLarge, true},
  };
  for (const auto& c : cases)
    for (TPictureFormat format : {TPictureFormat::Gif, TPictureFormat::Bmp}) {
      SCOPED_TRACE(c.path);
      const TConvertedPicture result = ConvertPicture(c.path, format);
      if (format == TPictureFormat::Bmp && c.stillTaken) {
        EXPECT_TRUE(result.Ok());
        continue;
      }
      EXPECT_EQ(result.error, c.error);
      EXPECT_TRUE(result.bytes.empty());
    }
  // At the bounds a picture is still taken.
  const TConvertedPicture most = ConvertPicture(write("most.gif", frames(picture_limits::MaxFrames, false)),
                                                TPictureFormat::Gif);
  ASSERT_TRUE(most.Ok());
  EXPECT_EQ(DecodeStored(dir, most.bytes, TPictureFormat::Gif)->GetFrameCount(), picture_limits::MaxFrames);
}
