// SPDX-License-Identifier: GPL-3.0-or-later
// fennimo-pack frames, run as a program: PNG files per frame, the listing, and exit codes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QImage>

#include "GifBuilder.h"
#include "TestSupport.h"

using namespace gif_builder;
using testing_support::TempDir;

namespace {

class FramesCommand : public ::testing::Test {
protected:
  // Runs the tool with the arguments (quoted for the shell); returns its exit code.
  int Run(const std::vector<std::string>& args) {
    std::string command = std::string("'") + FENNIMO_PACK + "' frames";
    for (const auto& a : args) command += " '" + a + "'";
    command += " >'" + dir.Path() + "out' 2>'" + dir.Path() + "err'";
    const int status = std::system(command.c_str());
    out = testing_support::ReadBytes(dir.Path() + "out");
    err = testing_support::ReadBytes(dir.Path() + "err");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    testing_support::WriteBytes(dir.Path() + name, bytes);
    return dir.Path() + name;
  }
  QImage Png(const std::string& name) { return QImage(QString::fromStdString(dir.Path() + "frames/" + name)); }

  TempDir dir;
  std::string out, err;
  const Palette palette = {{0, 0, 0}, {255, 0, 0}, {0, 0, 255}, {9, 9, 9}};
};

}  // namespace

TEST_F(FramesCommand, WritesEveryFrameOfTheWholeScreenAndListsThem) {
  const std::string gif = Write("Smile.GIF", GifBuilder()
                                                 .Screen(4, 3, palette)
                                                 .Control(1, 0, 25)
                                                 .Image(1, 1, {1}, {.left = 1, .top = 1})
                                                 .Control(1, 0, 0)
                                                 .Image(1, 1, {2}, {.left = 2, .top = 2})
                                                 .Trailer()
                                                 .Bytes());
  ASSERT_EQ(Run({gif, dir.Path() + "frames"}), 0) << err;
  EXPECT_EQ(out, "0\t250\t4x3\n1\t100\t4x3\n");
  EXPECT_EQ(testing_support::ListFolder(dir.Path() + "frames"),
            (std::vector<std::string>{"frame-000.png", "frame-001.png"}));
  const QImage second = Png("frame-001.png");
  ASSERT_EQ(second.size(), QSize(4, 3));
  EXPECT_FALSE(second.hasAlphaChannel());
  EXPECT_EQ(second.pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(second.pixel(1, 1), qRgb(255, 0, 0));
  EXPECT_EQ(second.pixel(2, 2), qRgb(0, 0, 255));
}

TEST_F(FramesCommand, FailedDecodeWritesTheFramesSoFarAndExitsOne) {
  GifBuilder gif;
  gif.Screen(2, 2, palette).Image(2, 2, {1, 1, 1, 1}).Control(0, -1, 0).Descriptor(0, 0, 1, 1, 0).Byte(1);
  ASSERT_EQ(Run({Write("a.gif", gif.Bytes()), dir.Path() + "frames"}), 1);
  EXPECT_EQ(out, "0\t100\t2x2\n");
  EXPECT_EQ(err, "Ошибка в данных\n");
  EXPECT_EQ(Png("frame-000.png").pixel(1, 1), qRgb(255, 0, 0));
}

TEST_F(FramesCommand, BmpFramesShowTheKeyColourAsWhite) {
  // 2 x 1, 24 bits: blue (the bottom-left pixel, so the key colour), then red.
  std::string bmp("BM\x3e\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x02\0\0\0\x01\0\0\0\x01\0\x18\0"
                  "\0\0\0\0\x08\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"
                  "\xff\0\0\0\0\xff\0\0", 62);
  ASSERT_EQ(Run({Write("aa.Bmp", bmp), dir.Path() + "frames"}), 0) << err;
  EXPECT_EQ(out, "0\t100\t2x1\n");
  EXPECT_EQ(Png("frame-000.png").pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(Png("frame-000.png").pixel(1, 0), qRgb(255, 0, 0));
}

TEST_F(FramesCommand, UnopenableFileOrBadUsageExitsTwo) {
  EXPECT_EQ(Run({dir.Path() + "missing.gif", dir.Path() + "frames"}), 2);
  EXPECT_NE(err, "");
  EXPECT_EQ(Run({Write("a.png", "x"), dir.Path() + "frames"}), 2);
  EXPECT_EQ(Run({dir.Path() + "a.gif"}), 2);
  EXPECT_EQ(Run({}), 2);
  EXPECT_FALSE(testing_support::Exists(dir.Path() + "frames"));
}

TEST_F(FramesCommand, HelpExplainsTheCommand) {
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_NE(out.find("FILE OUTDIR"), std::string::npos);
  EXPECT_NE(out.find("frame-000.png"), std::string::npos);
}
