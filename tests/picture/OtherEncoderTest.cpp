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

// A Python that has Pillow: the one on the PATH, else the system's.
std::string PythonWithPillow() {
  for (const char* python : {"python3", "/usr/bin/python3"}) {
    const std::string probe = std::string(python) + " -c 'import PIL' >/dev/null 2>&1";
    if (std::system(probe.c_str()) == 0) return python;
  }
  return {};
}

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
  const std::string script = FENNIMO_SOURCE_DIR "/tests/picture/make_reference_images.py";
  ASSERT_EQ(std::system((python + " " + script + " " + dir.Path() + "cases").c_str()), 0);

  int cases = 0;
  for (const std::string& entry : testing_support::ListFolder(dir.Path() + "cases")) {
    if (entry.size() < 7 || entry.substr(entry.size() - 7) != ".expect") continue;
    const std::string base = dir.Path() + "cases/" + entry.substr(0, entry.size() - 7);
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
          const std::size_t at = 3 * (static_cast<std::size_t>(n * height + y) * width + x);
          const auto c = [&](std::size_t i) { return static_cast<unsigned char>(rgb[at + i]); };
          if (frame->ColorAt(x, y) != Color(c(0), c(1), c(2)) && wrong++ < 3)
            ADD_FAILURE() << "frame " << n << " pixel " << x << "," << y;
        }
      EXPECT_EQ(wrong, 0) << "frame " << n;
    }
    if (file.ends_with(".bmp")) ExpectEveryPrefixFailsOrIsWhole(path, *decoder->GetFrame(0));
    ++cases;
  }
  EXPECT_GE(cases, 8);
}
