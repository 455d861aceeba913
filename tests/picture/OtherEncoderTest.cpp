// SPDX-License-Identifier: GPL-3.0-or-later
// GIFs and BMPs written by another encoder (Pillow, through make_reference_images.py, run here)
// decode to the pixels and delays that encoder was given.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "BmpDecoder.h"
#include "GifDecoder.h"
#include "PictureTestSupport.h"

using namespace picture_test;

namespace {

// Every prefix of a BMP file either fails or decodes to the whole file's pixels: a file cut short
// never shows pixels that no byte of it gave.
void ExpectEveryPrefixFailsOrIsWhole(const std::string& path, const TSmileBitmap& whole) {
  const std::string bytes = testing_support::ReadBytes(path);
  const std::string cut = path + ".cut";
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    testing_support::WriteBytes(cut, bytes.substr(0, size));
    TBmpDecoder decoder(cut);
    try {
      decoder.Decode();
    } catch (const std::exception&) {
      continue;
    }
    const TSmileBitmap& frame = *decoder.GetFrame(0);
    bool same = frame.width == whole.width && frame.height == whole.height;
    for (int y = 0; same && y < whole.height; ++y)
      for (int x = 0; same && x < whole.width; ++x)
        same = frame.ColorAt(x, y) == whole.ColorAt(x, y);
    EXPECT_TRUE(same) << "the first " << size << " bytes decode to other pixels";
  }
}

}  // namespace

TEST(OtherEncoder, PicturesDecodeToWhatTheEncoderWasGiven) {
  const std::string python = PythonWithPillow();
  if (python.empty()) GTEST_SKIP() << "python3 with Pillow (python3-pil) is not installed";
  testing_support::TempDir dir;
  ASSERT_TRUE(RunPillowScript(python, "make_reference_images.py", dir.Path() + "cases"));

  int cases = 0;
  for (const std::string& name : ScriptCases(dir.Path() + "cases")) {
    const std::string base = dir.Path() + "cases/" + name;
    std::istringstream expect(testing_support::ReadBytes(base + ".expect"));
    std::string file;
    int width = 0, height = 0, count = 0;
    expect >> file >> width >> height >> count;
    const std::string rgb = testing_support::ReadBytes(base + ".rgb");
    SCOPED_TRACE(file);
    const std::string path = dir.Path() + "cases/" + file;
    std::unique_ptr<TPictureDecoder> decoder;
    if (file.ends_with(".gif")) decoder = std::make_unique<TGifDecoder>(path);
    else decoder = std::make_unique<TBmpDecoder>(path);
    ASSERT_NO_THROW(decoder->Decode());
    ASSERT_EQ(decoder->GetFrameCount(), count);
    for (int n = 0; n < count; ++n) {
      int delay = 0;
      expect >> delay;
      EXPECT_EQ(decoder->GetFrameDelay(n), delay) << "frame " << n;
      const TSmileBitmap* frame = decoder->GetFrame(n);
      ASSERT_EQ(frame->width, width);
      ASSERT_EQ(frame->height, height);
      int wrong = 0;
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
          if (frame->ColorAt(x, y) != ScriptPixel(rgb, n, x, y, width, height) && wrong++ < 3)
            ADD_FAILURE() << "frame " << n << " pixel " << x << "," << y;
        }
      EXPECT_EQ(wrong, 0) << "frame " << n;
    }
    if (file.ends_with(".bmp")) ExpectEveryPrefixFailsOrIsWhole(path, *decoder->GetFrame(0));
    ++cases;
  }
  EXPECT_GE(cases, 8);
}
