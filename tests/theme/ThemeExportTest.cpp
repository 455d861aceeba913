// SPDX-License-Identifier: GPL-3.0-or-later
// A theme made from a pack: symbols as codes, the pack's own pictures, what each format can't
// hold, and an output folder that is written whole or not at all.
#include <gtest/gtest.h>

#include <algorithm>

#include "PackFixture.h"
#include "TestSupport.h"
#include "ThemeExport.h"

using namespace testing_support;
using pack_testing::Gif;

namespace {

class ThemeExport : public ::testing::Test {
protected:
  TempDir disk;

  // A pack whose definition file is Define, with GIFs at the given positions.
  std::string Pack(const std::string& define, const std::vector<std::string>& pictures) {
    const std::string dir = disk.Make("Smiles/");
    WriteBytes(dir + "_define.ini", define);
    for (const auto& p : pictures) WriteBytes(dir + p, Gif(p));
    return dir;
  }
};

}  // namespace

TEST_F(ThemeExport, SymbolsBecomeCodesThatTheFormatCanHold) {
  // A Cyrillic symbol, one starting with a blank, one holding byte 0x98, a smile without
  // symbols, a picture missing at the third position (named in another letter case at the
  // second), and a picture past the last line.
  const std::string dir = Pack(":-),\xcf\xf0\xe8, b c,x\x98y\r\n\r\n;)", {"aa.gif", "AB.GIF", "ae.gif"});
  for (TThemeFormat format : AllThemeFormats) {
    SCOPED_TRACE(ThemeFormatName(format));
    TPackTheme out;
    std::string error;
    ASSERT_TRUE(ReadPackAsTheme(dir, spAnimated, format, out, error)) << error;
    EXPECT_EQ(out.theme.name, "Smiles");
    ASSERT_EQ(out.theme.smiles.size(), 2u);
    std::vector<std::string> codes = {":-)", "При"};
    if (format != TThemeFormat::Pidgin) codes.push_back(" b c");
    EXPECT_EQ(out.theme.smiles[0].codes, codes);
    EXPECT_EQ(out.theme.smiles[1].picture, "ab.gif");
    EXPECT_TRUE(out.theme.smiles[1].codes.empty());
    EXPECT_EQ(out.pictures[1], dir + "AB.GIF");
    std::vector<std::string> leftOut;
    for (const auto& item : out.leftOut) leftOut.push_back(DescribeLeftOut(item));
    std::vector<std::string> want;
    if (format == TThemeFormat::Pidgin)
      want.push_back("left out code \" b c\" of aa.gif: codes of this format can't hold blanks");
    want.push_back("left out code \"x\xEF\xBF\xBDy\" of aa.gif: byte 0x98 is no character in Windows-1251");
    want.push_back("left out smile ac.gif: its picture is missing");
    want.push_back("left out picture ae.gif: the pack has no line for it");
    EXPECT_EQ(leftOut, want);

    const std::string outDir = disk.Path() + "out-" + ThemeFormatName(format) + "/";
    ASSERT_TRUE(WritePackTheme(out, format, outDir, error)) << error;
    std::vector<std::string> files = {ThemeIndexFileName(format), "aa.gif", "ab.gif"};
    std::sort(files.begin(), files.end());
    EXPECT_EQ(ListFolder(outDir), files);
    EXPECT_EQ(ReadBytes(outDir + "ab.gif"), Gif("AB.GIF"));
  }
}

TEST_F(ThemeExport, LinesPastTheLimitAreListed) {
  std::string define;
  for (int i = 0; i < MaxSmiles + 2; ++i) define += ":" + std::to_string(i) + "\r\n";
  const std::string dir = Pack(define, {"aa.gif"});
  TPackTheme out;
  std::string error;
  ASSERT_TRUE(ReadPackAsTheme(dir, spAnimated, TThemeFormat::Kde, out, error));
  EXPECT_EQ(out.theme.smiles.size(), 1u);
  ASSERT_GE(out.leftOut.size(), 2u);
  EXPECT_EQ(DescribeLeftOut(out.leftOut[1]), "left out smile line 678: past the 676 smiles a pack holds");
  EXPECT_EQ(out.leftOut.size(), 2u + MaxSmiles - 1);  // and every missing picture

  EXPECT_FALSE(ReadPackAsTheme(disk.Make("empty/"), spAnimated, TThemeFormat::Kde, out, error));
  EXPECT_EQ(error, "no " + disk.Path() + "empty/_define.ini");
}

TEST_F(ThemeExport, AnOutputFolderIsWrittenWholeOrNotAtAll) {
  const std::string dir = Pack(":)\r\n:(", {"aa.gif", "ab.gif"});
  TPackTheme out;
  std::string error;
  ASSERT_TRUE(ReadPackAsTheme(dir, spAnimated, TThemeFormat::Pidgin, out, error));
  const std::string notes = disk.Make("notes/");
  WriteBytes(notes + "notes.txt", "mine");
  EXPECT_FALSE(WritePackTheme(out, TThemeFormat::Pidgin, notes, error));
  EXPECT_EQ(error, notes + " is not an empty folder; export into an empty or new folder");
  EXPECT_EQ(ListFolder(notes), std::vector<std::string>{"notes.txt"});
  // A failed write leaves nothing behind, not even beside the folder.
  {
    ScopedFileSizeLimit limit(20);
    EXPECT_FALSE(WritePackTheme(out, TThemeFormat::Pidgin, disk.Path() + "failing/", error));
  }
  EXPECT_EQ(ListFolder(disk.Path()), (std::vector<std::string>{"Smiles", "notes"}));
  const std::string empty = disk.Make("empty/");
  ASSERT_TRUE(WritePackTheme(out, TThemeFormat::Pidgin, empty, error)) << error;
  EXPECT_EQ(ListFolder(empty), (std::vector<std::string>{"aa.gif", "ab.gif", "theme"}));
}
