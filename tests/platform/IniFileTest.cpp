// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniFile.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace testing_support;
using platform::TIniFile;

namespace {

class IniFileTest : public ::testing::Test {
protected:
  TempDir dir;
  std::string path = dir.Path() + "test.ini";
  TIniFile ini{path};

  void Write(std::string_view content) { WriteBytes(path, content); }
};

}  // namespace

TEST_F(IniFileTest, SectionsAndKeysIgnoreCaseAndTheFirstMatchWins) {
  Write("[Opt]\nKey=first\nKEY=second\n[opt]\nkey=third\nOther=4\n");
  EXPECT_EQ(ini.ReadString("OPT", "key", "d"), "first");
  EXPECT_EQ(ini.ReadString("opt", "other", "d"), "d");  // only the first section is searched
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Opt"}));
  EXPECT_EQ(ini.ReadSection("opt"), (std::vector<std::string>{"Key", "KEY"}));
}

TEST_F(IniFileTest, ValuesAreTrimmedAndLoseOnePairOfMatchingQuotes) {
  Write("[s]\n  a  =   spaced value \t\nb=\"quoted \"\nc='single'\nd=\"mismatched'\n"
        "e=\"\"x\"\"\nf=\ng=a=b\n");
  EXPECT_EQ(ini.ReadString("s", "a", ""), "spaced value");
  EXPECT_EQ(ini.ReadString("s", "b", ""), "quoted ");
  EXPECT_EQ(ini.ReadString("s", "c", ""), "single");
  EXPECT_EQ(ini.ReadString("s", "d", ""), "\"mismatched'");
  EXPECT_EQ(ini.ReadString("s", "e", ""), "\"x\"");
  EXPECT_EQ(ini.ReadString("s", "f", "default"), "");
  EXPECT_EQ(ini.ReadString("s", "g", ""), "a=b");
  EXPECT_EQ(ini.ReadString("s", "missing", "default"), "default");
  EXPECT_EQ(ini.ReadString("nosection", "a", "default"), "default");
}

TEST_F(IniFileTest, LongValuesAreCutAt2047Bytes) {
  Write("[s]\nv=" + std::string(10000, 'x') + "\n");
  EXPECT_EQ(ini.ReadString("s", "v", "").size(), 2047u);
}

TEST_F(IniFileTest, IntegersAndFlags) {
  Write("[s]\ndec=42\nneg=-7\npos=+3\nhex=0x1F\nHEX=0XfF\nword=abc\ntrail=12abc\n"
        "two=2\nzero=0\nhuge=99999999999\nempty=\nminus=-\n");
  EXPECT_EQ(ini.ReadInteger("s", "dec", 0), 42);
  EXPECT_EQ(ini.ReadInteger("s", "neg", 0), -7);
  EXPECT_EQ(ini.ReadInteger("s", "pos", 0), 3);
  EXPECT_EQ(ini.ReadInteger("s", "hex", 0), 31);
  EXPECT_EQ(ini.ReadInteger("s", "word", 5), 5);
  EXPECT_EQ(ini.ReadInteger("s", "trail", 5), 5);
  EXPECT_EQ(ini.ReadInteger("s", "huge", 5), 5);
  EXPECT_EQ(ini.ReadInteger("s", "empty", 5), 5);
  EXPECT_EQ(ini.ReadInteger("s", "minus", 5), 5);
  EXPECT_TRUE(ini.ReadBool("s", "two", false));
  EXPECT_TRUE(ini.ReadBool("s", "HEX", false));
  EXPECT_FALSE(ini.ReadBool("s", "zero", true));
  EXPECT_TRUE(ini.ReadBool("s", "word", true));
  EXPECT_FALSE(ini.ReadBool("s", "word", false));
}

TEST_F(IniFileTest, OddLineEndsAndGarbageStillRead) {
  Write("[a]\rk=cr only\r[b]\r\nk=crlf");
  EXPECT_EQ(ini.ReadString("a", "k", ""), "cr only");
  EXPECT_EQ(ini.ReadString("b", "k", ""), "crlf");
  static const char garbage[] = "\0\xff\xfe[\x01\x02\n=\n[s]\nk=v\x80\x81\n\0garbage";
  Write(std::string(garbage, sizeof garbage - 1));
  EXPECT_EQ(ini.ReadString("s", "k", ""), "v\x80\x81");
  EXPECT_EQ(ini.ReadString("[s", "k", "d"), "d");
}

TEST_F(IniFileTest, MissingFileReadsDefaults) {
  EXPECT_EQ(ini.ReadString("s", "k", "d"), "d");
  EXPECT_EQ(ini.ReadInteger("s", "k", 9), 9);
  EXPECT_FALSE(ini.SectionExists("s"));
}

TEST_F(IniFileTest, WriteReplacesTheKeyInPlaceAndKeepsEveryOtherLine) {
  Write("; comment\n[Storage]\n  SourcePath = old \n\nflag=1\n[Other]\nSourcePath=keep\n");
  ini.WriteString("storage", "sourcepath", "/new/path/");
  EXPECT_EQ(ReadBytes(path),
            "; comment\r\n[Storage]\r\nsourcepath=/new/path/\r\n\r\nflag=1\r\n[Other]\r\n"
            "SourcePath=keep\r\n");
}

TEST_F(IniFileTest, WriteAddsKeysAndSections) {
  ini.WriteBool("Storage", "StorageAllocated", true);
  ini.WriteBool("Storage", "PathAssigned", false);
  ini.WriteInteger("Other", "n", -3);
  EXPECT_EQ(ReadBytes(path),
            "[Storage]\r\nStorageAllocated=1\r\nPathAssigned=0\r\n\r\n[Other]\r\nn=-3\r\n");
  // A key added to a section that is followed by a blank line goes before that blank line.
  ini.WriteString("Storage", "SourcePath", "");
  EXPECT_EQ(ReadBytes(path), "[Storage]\r\nStorageAllocated=1\r\nPathAssigned=0\r\nSourcePath=\r\n"
                             "\r\n[Other]\r\nn=-3\r\n");
}

TEST_F(IniFileTest, EveryValueThatFitsReadsBackExactly) {
  for (std::string value : {std::string("/a b/"), std::string(" lead"), std::string("trail\t"),
                            std::string("\"q\""), std::string("'q'"), std::string("\"x"),
                            std::string(), std::string("a=b"), std::string(2047, 'x')}) {
    ini.WriteString("s", "k", value);
    EXPECT_EQ(ini.ReadString("s", "k", "-"), value);
  }
  // What would read back otherwise is never written.
  for (std::string value :
       {std::string("/home/a\nb/"), std::string("x\ry"), std::string(2048, 'x')}) {
    EXPECT_FALSE(platform::IniValueFits(value));
    EXPECT_THROW(ini.WriteString("s", "k", value), platform::EIniWriteError);
    EXPECT_EQ(ini.ReadString("s", "k", "-"), std::string(2047, 'x'));
  }
}

TEST_F(IniFileTest, NothingIsCachedBetweenObjects) {
  TIniFile other(path);
  ini.WriteString("s", "k", "one");
  EXPECT_EQ(other.ReadString("s", "k", ""), "one");
  other.WriteString("s", "k", "two");
  EXPECT_EQ(ini.ReadString("s", "k", ""), "two");
}

TEST_F(IniFileTest, FailedWritesThrowAndKeepTheOldFile) {
  TIniFile missing(dir.Path() + "no/such/folder/x.ini");
  try {
    missing.WriteString("s", "k", "v");
    FAIL() << "no error";
  } catch (const platform::EIniWriteError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + dir.Path() + "no/such/folder/x.ini");
  }

  dir.Make("folder.ini/");
  TIniFile folder(dir.Path() + "folder.ini");
  EXPECT_THROW(folder.WriteString("s", "k", "v"), platform::EIniWriteError);
  EXPECT_TRUE(Exists(dir.Path() + "folder.ini/"));

  Write("[s]\nk=old\n");
  {
    ScopedFileSizeLimit limit(5);
    EXPECT_THROW(ini.WriteString("s", "k", std::string(100, 'n')), platform::EIniWriteError);
  }
  EXPECT_EQ(ReadBytes(path), "[s]\nk=old\n");
}
