// SPDX-License-Identifier: GPL-3.0-or-later
// fennimo-pack check, run as pack authors run it: the built program on pack folders made here,
// judged by its exit code and its report lines. The folder must come out exactly as it went in,
// and no working storage may appear.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "Files.h"
#include "PackFixture.h"
#include "TestSupport.h"
#include "ToolRunner.h"

using namespace testing_support;
using pack_testing::Bmp;
using pack_testing::Gif;
using pack_testing::kBrokenGif;
using Strings = std::vector<std::string>;
using tool_testing::Outcome;
using tool_testing::RunTool;

namespace {

class CheckCommandTest : public ::testing::Test {
protected:
  ScopedAppData appData;
  TempDir disk;
  TempDir scratch;

  // Runs "fennimo-pack check ARGS" with the test's application-data folder.
  Outcome Check(Strings args) {
    args.insert(args.begin(), "check");
    return RunTool(args, scratch);
  }

  // A pack folder with a definition file (none when Define is null) and GIF or BMP pictures
  // named by position, each tagged with its own name.
  std::string Pack(const std::string& folder, const char* define, const Strings& pictures,
                   TSmilePack kind = spAnimated) {
    std::string path = disk.Make(folder + "/");
    if (define) WriteBytes(path + "_define.ini", define);
    for (const auto& p : pictures)
      WriteBytes(path + p + PackExtension(kind), kind == spAnimated ? Gif(p) : Bmp(p));
    return path;
  }
};

// Every file below Folder with its bytes, folders marked by a trailing "/".
void Snapshot(const std::string& folder, const std::string& prefix,
              std::map<std::string, std::string>& out) {
  for (const auto& name : ListFolder(folder + prefix)) {
    std::string rel = prefix + name;
    if (platform::DirectoryExists(folder + rel)) {
      out[rel + "/"] = "";
      Snapshot(folder, rel + "/", out);
    } else {
      out[rel] = ReadBytes(folder + rel);
    }
  }
}

std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> out;
  Snapshot(folder, "", out);
  return out;
}

}  // namespace

// ---- Clean packs ----

TEST_F(CheckCommandTest, CleanPackSaysNoProblemsAndExitsWithZero) {
  std::string dir = Pack("p", ":-),:)\r\n;-)", {"aa", "ab"});
  Outcome r = Check({dir});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "pack " + dir + ": animated, 2 smiles\n" + dir + ": no problems\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(CheckCommandTest, OtherIniFilesAreListedAsCarriedAlongWithoutBeingProblems) {
  std::string dir = Pack("p", ":a", {"aa"});
  WriteBytes(dir + "author.ini", "x");
  Outcome r = Check({dir});
  EXPECT_EQ(r.code, 0);
  EXPECT_TRUE(r.Has("  carried along: author.ini")) << r.out;
  EXPECT_TRUE(r.Has(dir + ": no problems")) << r.out;
}

TEST_F(CheckCommandTest, DefinitionFileAndPicturesAreFoundWhateverTheirLetterCase) {
  std::string dir = disk.Make("p/");
  WriteBytes(dir + "_Define.ini", ":a\r\n:b");
  WriteBytes(dir + "AA.GIF", Gif("aa"));
  WriteBytes(dir + "ab.Gif", Gif("ab"));
  Outcome r = Check({dir});
  EXPECT_EQ(r.code, 0) << r.out;
  EXPECT_TRUE(r.Has("pack " + dir + ": animated, 2 smiles")) << r.out;
}

TEST_F(CheckCommandTest, StaticPackIsRecognisedByItsBitmaps) {
  std::string dir = Pack("p", ":a\r\n:b", {"aa", "ab"}, spStatic);
  Outcome r = Check({dir});
  EXPECT_EQ(r.code, 0) << r.out;
  EXPECT_TRUE(r.Has("pack " + dir + ": static, 2 smiles")) << r.out;
}

// ---- Findings ----

TEST_F(CheckCommandTest, MissingPicturesNameWhatReplaceWouldMoveInAndWhenNothingIsLeft) {
  std::string dir = Pack("p", ":a\r\n:b\r\n:c\r\n:d", {"aa", "ab", "ad"});
  Outcome r = Check({dir});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "pack " + dir + ": animated, 4 smiles\n"
                   "  missing ac.gif (line 3 \":c\"): replace would move in ad.gif\n"
                   "  missing ad.gif (line 4 \":d\", its picture moved to ac.gif): "
                   "no later picture to move in\n" +
                   dir + ": 2 problems (2 missing pictures)\n");
}

TEST_F(CheckCommandTest, AfterAGapTheNextPositionsLookFurtherAhead) {
  // ac and ad are missing: ae fills ac, and ad must then look past the emptied ae.
  std::string dir = Pack("p", ":a\r\n:b\r\n:c\r\n:d\r\n:e\r\n:f", {"aa", "ab", "ae", "af", "ag"});
  Outcome r = Check({dir});
  EXPECT_TRUE(r.Has("  missing ac.gif (line 3 \":c\"): replace would move in ae.gif")) << r.out;
  EXPECT_TRUE(r.Has("  missing ad.gif (line 4 \":d\"): replace would move in af.gif")) << r.out;
  EXPECT_TRUE(r.Has("  missing ae.gif (line 5 \":e\", its picture moved to ac.gif): "
                    "replace would move in ag.gif"))
      << r.out;
  EXPECT_TRUE(r.Has("  missing af.gif (line 6 \":f\", its picture moved to ad.gif): "
                    "no later picture to move in"))
      << r.out;
  // ag.gif has no line of its own but moves into one, so the pack uses it.
  EXPECT_EQ(r.out.find("ag.gif ("), std::string::npos) << r.out;
}

TEST_F(CheckCommandTest, EmptyLinesAreReportedWithTheirLineAndPicture) {
  std::string dir = Pack("p", ":a\r\n\r\n:c\r\n   \r\n:e", {"aa", "ab", "ac", "ad", "ae"});
  Outcome r = Check({dir});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.Has("  empty line 2 (ab.gif)")) << r.out;
  EXPECT_TRUE(r.Has("  empty line 4 (ad.gif)")) << r.out;
  EXPECT_TRUE(r.Has(dir + ": 2 problems (2 empty lines)")) << r.out;
}

TEST_F(CheckCommandTest, LinesOfOnlyCommasAreSmilesWithoutSymbols) {
  std::string dir = Pack("p", ":a\r\n,,\r\n:c", {"aa", "ab", "ac"});
  Outcome r = Check({dir});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.Has("  no symbols on line 2 (ab.gif): \",,\"")) << r.out;
  EXPECT_TRUE(r.Has(dir + ": 1 problem (1 smile without symbols)")) << r.out;
}

TEST_F(CheckCommandTest, BrokenPicturesCarryTheDecodersMessage) {
  std::string dir = Pack("p", ":a\r\n:b", {"aa"});
  WriteBytes(dir + "ab.gif", kBrokenGif);
  Outcome r = Check({dir});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.Has("  broken ab.gif (line 2): Файл урезан")) << r.out;
}

TEST_F(CheckCommandTest, ABrokenPictureThatMovesIntoAGapIsNamedWithItsNewPlace) {
  std::string dir = Pack("p", ":a\r\n:b\r\n:c", {"aa"});
  WriteBytes(dir + "ac.gif", kBrokenGif);
  Outcome r = Check({dir});
  EXPECT_TRUE(r.Has("  broken ac.gif (moved in as ab.gif, line 2): Файл урезан")) << r.out;
}

TEST_F(CheckCommandTest, BrokenBitmapsAreReportedForStaticPacks) {
  std::string dir = Pack("p", ":a\r\n:b", {"aa"}, spStatic);
  WriteBytes(dir + "ab.bmp", "BM not really");
  Outcome r = Check({dir});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("  broken ab.bmp (line 2): "), std::string::npos) << r.out;
}

TEST_F(CheckCommandTest, SymbolsHeldTwiceAreFoundWithCyrillicCaseFoldedAndShownAsUtf8) {
  // Windows-1251: "Привет" on line 1, "пРИВЕТ" on line 3; ":P" and ":p" on lines 1 and 2.
  std::string dir = Pack("p", "\xCF\xF0\xE8\xE2\xE5\xF2,:P\r\n:p,:x,:x\r\n\xEF\xD0\xC8\xC2\xC5\xD2",
                         {"aa", "ab", "ac"});
  Outcome r = Check({dir});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.Has("  duplicate \"Привет\": line 1 (aa.gif), line 3 (ac.gif as \"пРИВЕТ\")"))
      << r.out;
  EXPECT_TRUE(r.Has("  duplicate \":P\": line 1 (aa.gif), line 2 (ab.gif as \":p\")")) << r.out;
  // A symbol repeated inside one smile is no conflict with another smile.
  EXPECT_EQ(r.out.find("\":x\""), std::string::npos) << r.out;
  EXPECT_TRUE(r.Has(dir + ": 2 problems (2 duplicate symbols)")) << r.out;
}

TEST_F(CheckCommandTest, CodeConflictsAreASectionOfTheirOwnAndCountOnlyWhenStrict) {
  // Windows-1251: ":Ой" on line 3 inside ":ОЙОЙ" on line 4, letter case folded.
  std::string dir = Pack("p", ":)\r\n:)),>:(\r\n:\xCE\xE9\r\n:\xCE\xC9\xCE\xC9",
                         {"aa", "ab", "ac", "ad"});
  Outcome r = Check({dir});
  EXPECT_EQ(r.code, 0);
  const std::string section = "  code conflicts:\n"
      "    \":)\" (line 1) inside \":))\" (line 2): where codes are replaced in pack order, the "
      "shorter one wins\n"
      "    \":Ой\" (line 3) inside \":ОЙОЙ\" (line 4): where codes are replaced in pack order, "
      "the shorter one wins\n";
  EXPECT_NE(r.out.find(section), std::string::npos) << r.out;
  EXPECT_TRUE(r.Has(dir + ": no problems; 2 code conflicts")) << r.out;
  EXPECT_EQ(Check({"--strict", dir}).code, 1);
  EXPECT_EQ(Check({"--strict", Pack("q", ":a\r\n:b", {"aa", "ab"})}).code, 0);
}

TEST_F(CheckCommandTest, ControlCharactersInSymbolsAreEscaped) {
  std::string dir = Pack("p", ":a\x1B[31m\r\n:a\x1B[31m", {"aa", "ab"});
  Outcome r = Check({dir});
  EXPECT_TRUE(r.Has("  duplicate \":a\\x1B[31m\": line 1 (aa.gif), line 2 (ab.gif)")) << r.out;
  EXPECT_EQ(r.out.find('\x1B'), std::string::npos);
}

TEST_F(CheckCommandTest, FilesThePackWouldIgnoreAreListed) {
  std::string dir = Pack("p", ":a", {"aa", "ab"});
  WriteBytes(dir + "Aa.gif", Gif("x"));
  WriteBytes(dir + "smile.gif", Gif("x"));
  WriteBytes(dir + "aa.bmp", Bmp("x"));
  WriteBytes(dir + "readme.txt", "x");
  disk.Make("p/sub/");  // folders are no files of a pack and are not mentioned
  Outcome r = Check({dir, "--animated"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "pack " + dir + ": animated, 1 smile\n"
                   "  picture without a line: ab.gif (the pack has 1 line)\n"
                   "  ignored Aa.gif: opening takes aa.gif, the same name in another letter case\n"
                   "  ignored aa.bmp: a static picture, not part of an animated pack\n"
                   "  ignored readme.txt: not a file of a pack\n"
                   "  ignored smile.gif: not a position name (aa.gif to zz.gif)\n" +
                   dir + ": 5 problems (1 picture without a line, 4 ignored files)\n");
}

TEST_F(CheckCommandTest, AFolderWithoutDefinitionFileOpensEmpty) {
  std::string dir = Pack("p", nullptr, {"aa"});
  Outcome r = Check({dir});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.Has("pack " + dir + ": animated, 0 smiles")) << r.out;
  EXPECT_TRUE(r.Has("  no _define.ini: the pack opens without smiles")) << r.out;
  EXPECT_TRUE(r.Has("  picture without a line: aa.gif (the pack has 0 lines)")) << r.out;
}

TEST_F(CheckCommandTest, LinesPastTheLastPositionAreReportedAsLeftOut) {
  std::string define;
  Strings pictures;
  // "<1>" is no part of "<10>": no code conflicts.
  for (int i = 0; i < MaxSmiles + 2; ++i) define += "<" + std::to_string(i) + ">\r\n";
  for (int i = 0; i < MaxSmiles; ++i) pictures.push_back(PictureFileName(i, spAnimated).substr(0, 2));
  std::string dir = Pack("p", define.c_str(), pictures);
  Outcome r = Check({dir});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "pack " + dir + ": animated, 676 smiles\n"
                   "  past the limit: lines 677 to 678 (2 lines) left out; a pack holds 676 "
                   "smiles\n" +
                   dir + ": 2 problems (2 lines past the limit)\n");
}

// ---- The pack's kind ----

TEST_F(CheckCommandTest, PicturesOfBothKindsAreCheckedAsAnimatedWithANote) {
  std::string dir = Pack("p", ":a", {"aa"});
  WriteBytes(dir + "aa.bmp", Bmp("aa"));
  Outcome r = Check({dir});
  EXPECT_TRUE(r.Has("pack " + dir + ": animated, 1 smile")) << r.out;
  EXPECT_TRUE(r.Has("  note: the folder holds both .gif and .bmp pictures; taken as animated "
                    "(--static or --animated chooses)"))
      << r.out;
  EXPECT_TRUE(r.Has("  ignored aa.bmp: a static picture, not part of an animated pack")) << r.out;
}

TEST_F(CheckCommandTest, AFolderNamedStaticDecidesBetweenBothKinds) {
  std::string dir = Pack("STATIC", ":a", {"aa"}, spStatic);
  WriteBytes(dir + "aa.gif", Gif("aa"));
  Outcome r = Check({dir});
  EXPECT_TRUE(r.Has("pack " + dir + ": static, 1 smile")) << r.out;
}

TEST_F(CheckCommandTest, StaticOptionChecksGifsAsForeignFiles) {
  std::string dir = Pack("p", ":a", {"aa"});
  Outcome r = Check({"--static", dir});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.Has("pack " + dir + ": static, 1 smile")) << r.out;
  EXPECT_TRUE(r.Has("  missing aa.bmp (line 1 \":a\"): no later picture to move in")) << r.out;
  EXPECT_TRUE(r.Has("  ignored aa.gif: an animated picture, not part of a static pack")) << r.out;
}

// ---- Two-pack roots ----

TEST_F(CheckCommandTest, BothChecksStaticThenAnimatedWhateverTheFoldersLetterCase) {
  std::string root = disk.Make("root/");
  std::string s = Pack("root/static", ":s", {"aa"}, spStatic);
  std::string a = Pack("root/ANIMATED", ":a\r\n:b", {"aa"});
  Outcome r = Check({"--both", root});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "pack " + s + ": static, 1 smile\n" + s + ": no problems\n" +
                   "pack " + a + ": animated, 2 smiles\n" +
                   "  missing ab.gif (line 2 \":b\"): no later picture to move in\n" + a +
                   ": 1 problem (1 missing picture)\n");
}

TEST_F(CheckCommandTest, BothWithAMissingPackFolderChecksTheOtherAndExitsWithTwo) {
  std::string root = disk.Make("root/");
  std::string a = Pack("root/Animated", ":a", {"aa"});
  Outcome r = Check({"--both", root});
  EXPECT_EQ(r.code, 2);
  EXPECT_TRUE(r.Has(a + ": no problems")) << r.out;
  EXPECT_EQ(r.err, "fennimo-pack check: no folder Static in " + root + "\n");
}

// ---- Usage ----

TEST_F(CheckCommandTest, BadUsageExitsWithTwo) {
  std::string dir = Pack("p", ":a", {"aa"});
  for (const Strings& args : {Strings{}, Strings{dir, dir}, Strings{"--frobnicate", dir},
                              Strings{"--both", "--static", dir}, Strings{"--static", "--animated", dir}}) {
    Outcome r = Check(args);
    EXPECT_EQ(r.code, 2) << ::testing::PrintToString(args);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err, "");
  }
}

TEST_F(CheckCommandTest, AMissingFolderOrAFileExitsWithTwo) {
  std::string dir = Pack("p", ":a", {"aa"});
  EXPECT_EQ(Check({disk.Path() + "nowhere"}).code, 2);
  Outcome r = Check({dir + "_define.ini"});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.err, "fennimo-pack check: no folder " + dir + "_define.ini\n");
}

TEST_F(CheckCommandTest, HelpPrintsTheUsage) {
  Outcome r = Check({"--help"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out.rfind("fennimo-pack check [--strict] [--static | --animated] PACKDIR\n", 0), 0u)
      << r.out;
}

// ---- Read-only ----

TEST_F(CheckCommandTest, ThePackAndTheStorageAreNeverTouched) {
  // Gaps, an empty line, a broken picture and case variants: everything opening would change.
  std::string root = disk.Make("root/");
  std::string a = Pack("root/Animated", ":a\r\n\r\n:c\r\n:d\r\n:e", {"aa", "ab", "ad"});
  WriteBytes(a + "AE.GIF", kBrokenGif);
  WriteBytes(a + "Ad.gif", Gif("x"));
  WriteBytes(a + "_DEFINE.INI", ":x");
  Pack("root/Static", "\r\n:b", {"ab"}, spStatic);
  auto before = Snapshot(root);

  EXPECT_EQ(Check({a}).code, 1);
  EXPECT_EQ(Check({"--both", root}).code, 1);

  EXPECT_EQ(Snapshot(root), before);
  EXPECT_EQ(ListFolder(appData.Path()), Strings{});
  const char* home = std::getenv("HOME");
  ASSERT_NE(home, nullptr);
  EXPECT_EQ(ListFolder(home), Strings{"data"});  // only the application-data folder itself
}

// ---- Agreement with opening ----

class CheckAgreesWithOpening : public pack_testing::PackModelTest {};

TEST_F(CheckAgreesWithOpening, TheReportedMovesAreTheMovesOpeningMakes) {
  std::string dir = MakePack("p", ":a\r\n:b\r\n:c\r\n:d\r\n:e\r\n:f", {"aa", "ac", "af", "ag"});
  std::string command = std::string(FENNIMO_PACK) + " check '" + dir + "'";
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    ::pclose(pipe);
  }
  EXPECT_NE(out.find("  missing ab.gif (line 2 \":b\"): replace would move in ac.gif\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("  missing ac.gif (line 3 \":c\", its picture moved to ab.gif): "
                     "replace would move in af.gif\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("  missing ad.gif (line 4 \":d\"): replace would move in ag.gif\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("  missing ae.gif (line 5 \":e\"): no later picture to move in\n"),
            std::string::npos)
      << out;

  model->OnMissingFile = nullptr;  // unattended opening answers "replace"
  ASSERT_TRUE(Open(dir));
  EXPECT_EQ(StorageTag("ab"), "ac");
  EXPECT_EQ(StorageTag("ac"), "af");
  EXPECT_EQ(StorageTag("ad"), "ag");
  EXPECT_EQ(StorageTag("ae"), "-");
  EXPECT_EQ(StorageTag("af"), "-");
}
