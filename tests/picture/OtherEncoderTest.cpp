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
    ++cases;
  }
  EXPECT_GE(cases, 8);
}
