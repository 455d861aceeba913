// SPDX-License-Identifier: GPL-3.0-or-later
#include "DefineFile.h"

#include <gtest/gtest.h>

#include "Files.h"
#include "TestSupport.h"

using namespace testing_support;
using Lines = std::vector<std::string>;

namespace {

Lines Split(std::string_view data) {
  Lines lines;
  SplitDefineLines(data, lines);
  return lines;
}

Lines Symbols(std::string_view line) {
  Lines symbols;
  ParseSymbols(line, symbols);
  return symbols;
}

std::string Format(const std::vector<Lines>& smiles) {
  std::string out;
  for (std::size_t i = 0; i < smiles.size(); ++i)
    AppendDefineLine(out, smiles[i], i + 1 == smiles.size());
  return out;
}

}  // namespace

TEST(PictureFileName, NamesPositionsAaToZz) {
  EXPECT_EQ(PictureFileName(0, spAnimated), "aa.gif");
  EXPECT_EQ(PictureFileName(25, spAnimated), "az.gif");
  EXPECT_EQ(PictureFileName(26, spAnimated), "ba.gif");
  EXPECT_EQ(PictureFileName(27, spStatic), "bb.bmp");
  EXPECT_EQ(PictureFileName(675, spAnimated), "zz.gif");
  EXPECT_EQ(PictureFileName(676, spAnimated), "");
  EXPECT_EQ(PictureFileName(-1, spStatic), "");
}

TEST(SplitDefineLines, LineEndsFollowTheTextFileRules) {
  EXPECT_EQ(Split("a\r\nb\r\n"), (Lines{"a", "b"}));
  EXPECT_EQ(Split("a\r\nb\r\n\r\n"), (Lines{"a", "b", ""}));
  EXPECT_EQ(Split("a\nb"), (Lines{"a", "b"}));
  EXPECT_EQ(Split("a\rb\r\nc"), (Lines{"ab", "c"}));      // a lone CR disappears
  EXPECT_EQ(Split("a\r\n\r"), (Lines{"a", ""}));
  EXPECT_EQ(Split("a\r\nb\x1A" "c\r\nd"), (Lines{"a", "b"}));  // Ctrl-Z ends the file
  EXPECT_EQ(Split("\x1A" "a"), Lines{});
  EXPECT_EQ(Split(""), Lines{});
  EXPECT_EQ(Split("\n"), (Lines{""}));
}

TEST(SplitDefineLines, TrimsEveryControlCharacterAndSpaceAtBothEnds) {
  EXPECT_EQ(Split("  :-),:)  \r\n"), (Lines{":-),:)"}));
  EXPECT_EQ(Split(std::string("\0\t\x1f x y \x01\0", 9)), (Lines{"x y"}));
  EXPECT_EQ(Split(std::string("a\0b", 3)), (Lines{std::string("a\0b", 3)}));
  EXPECT_EQ(Split("\xcf\xf0\xe8\xe2\xe5\xf2 \xff"), (Lines{"\xcf\xf0\xe8\xe2\xe5\xf2 \xff"}));
}

TEST(SplitDefineLines, CopesWithHugeLinesAndManyLines) {
  std::string big(1 << 20, 'x');
  EXPECT_EQ(Split(big + "\r\ny"), (Lines{big, "y"}));
  std::string many;
  for (int i = 0; i < 100000; ++i) many += ":" + std::to_string(i) + "\r\n";
  Lines lines = Split(many);
  ASSERT_EQ(lines.size(), 100000u);
  EXPECT_EQ(lines.back(), ":99999");
}

TEST(ParseSymbols, DropsEmptyItemsAndKeepsInnerSpaces) {
  EXPECT_EQ(Symbols(":-),:)"), (Lines{":-)", ":)"}));
  EXPECT_EQ(Symbols(",,x,,y"), (Lines{"x", "y"}));
  EXPECT_EQ(Symbols(",a,,b,"), (Lines{"a", "b"}));
  EXPECT_EQ(Symbols(","), Lines{});
  EXPECT_EQ(Symbols("x,"), (Lines{"x"}));
  EXPECT_EQ(Symbols(""), Lines{});
  EXPECT_EQ(Symbols("a, b"), (Lines{"a", " b"}));
  EXPECT_EQ(Symbols(":-D,:-d"), (Lines{":-D", ":-d"}));  // no duplicate check, no case change
}

TEST(AppendDefineLine, SmilesWithoutSymbolsAlwaysEndTheirLine) {
  EXPECT_EQ(Format({{":-)", ";-)"}}), ":-),;-)");
  EXPECT_EQ(Format({{"a"}, {"b"}, {}}), "a\r\nb\r\n\r\n");
  EXPECT_EQ(Format({{"a"}, {"b"}, {"c"}}), "a\r\nb\r\nc");
  EXPECT_EQ(Format({}), "");
  EXPECT_EQ(Format({{}}), "\r\n");
  EXPECT_EQ(Format({{}, {"x"}}), "\r\nx");
}

TEST(AppendDefineLine, WrittenFilesReadBackOneLinePerSmile) {
  std::vector<Lines> smiles = {{":-)", ":)"}, {}, {"\xc0\xe1\xe2"}, {}};
  Lines lines = Split(Format(smiles));
  ASSERT_EQ(lines.size(), smiles.size());
  for (std::size_t i = 0; i < smiles.size(); ++i) EXPECT_EQ(Symbols(lines[i]), smiles[i]);
}

TEST(AppendDefineLine, SymbolsThatCannotSurviveARoundTrip) {
  Lines back = Symbols(Split(Format({{" a", "", "b,c", "d "}}))[0]);
  EXPECT_EQ(back, (Lines{"a", "b", "c", "d"}));
}

TEST(DefineFileOnDisk, ReadsWholeFilesAndFailsOnMissingOnes) {
  TempDir dir;
  Lines lines{"kept"};
  EXPECT_FALSE(ReadDefineLines(dir.Path() + "_define.ini", lines));
  EXPECT_EQ(lines, (Lines{"kept"}));
  WriteBytes(dir.Path() + "_define.ini", "a\r\nb");
  EXPECT_TRUE(ReadDefineLines(dir.Path() + "_define.ini", lines));
  EXPECT_EQ(lines, (Lines{"kept", "a", "b"}));
}

TEST(DefineFileOnDisk, FailedWritesThrowAndLeaveTheOldFileWhole) {
  TempDir dir;
  std::string path = dir.Path() + "_define.ini";
  WriteBytes(path, "old\r\n");
  EXPECT_THROW(WriteDefineBytes(dir.Path() + "missing/_define.ini", "x"), platform::EWriteError);
  dir.Make("folder/");
  EXPECT_THROW(WriteDefineBytes(dir.Path() + "folder", "x"), platform::EWriteError);
  {
    ScopedFileSizeLimit limit(3);
    EXPECT_THROW(WriteDefineBytes(path, "a much longer new content"), platform::EWriteError);
  }
  EXPECT_EQ(ReadBytes(path), "old\r\n");
  WriteDefineBytes(path, "new");
  EXPECT_EQ(ReadBytes(path), "new");
}
