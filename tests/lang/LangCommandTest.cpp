// SPDX-License-Identifier: GPL-3.0-or-later
// fennimo-pack lang: what a translator sees and the exit codes scripts rely on.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "Commands.h"
#include "LangFiles.h"
#include "LangTables.h"

using lang_testing::CompleteLangFile;
using lang_testing::LangFolder;

namespace {

struct Outcome {
  int code;
  std::string out;
  std::string err;
};

Outcome RunLang(const CommandArgs& args) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  int code = RunLangCommand(args);
  std::fflush(stdout);
  std::fflush(stderr);
  std::string out = testing::internal::GetCapturedStdout();
  std::string err = testing::internal::GetCapturedStderr();
  return {code, out, err};
}

TEST(LangCommand, CompleteFileSaysSoAndExitsWithZero) {
  LangFolder dir;
  std::string path = dir.Write("de.lng", CompleteLangFile("Deutsch"));
  Outcome r = RunLang({path});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, path + ": Deutsch\nComplete.\n");
  EXPECT_EQ(r.err, "");
}

TEST(LangCommand, ListsFindingsSectionBySectionWithRunsOfKeysAndExitsWithOne) {
  LangFolder dir;
  std::string text = CompleteLangFile("Deutsch");
  text.erase(text.find("LangUrl=u\n"), 10);
  std::size_t main = text.find("[MainForm]");
  std::size_t general = text.find("[General]");
  text.replace(main, general - main, "[MainForm]\n4=t\n8=t\n90=t\n91=t\nTitle=t\n4=t\n");
  std::size_t query = text.find("[QueryForm]");
  text.erase(query, text.find("[EmptyForm]") - query);
  text += "[Help]\n0=t\n";
  std::string path = dir.Write("de.lng", text);

  Outcome r = RunLang({path});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, path + ": Deutsch\n"
                          "[Description]\n"
                          "  missing: LangUrl\n"
                          "[MainForm]\n"
                          "  missing: 0-3, 5-7, 9-71\n"
                          "  unknown: 90-91, Title\n"
                          "  repeated: 4\n"
                          "[QueryForm]\n"
                          "  missing section: 0\n"
                          "[Help]\n"
                          "  unknown section\n"
                          "Incomplete: 72 keys missing, 3 unknown keys, 1 unknown section, "
                          "1 repeated key.\n");
}

TEST(LangCommand, ControlCharactersFromTheFileAreShownEscaped) {
  LangFolder dir;
  std::string path = dir.WriteBytes("x.lng", CompleteLangFile("Deutsch") + "[\x1b[31mred]\n");
  Outcome r = RunLang({path});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("[\\x1B[31mred]\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
}

TEST(LangCommand, EmptyAndBinaryFilesAreIncompleteNotErrors) {
  LangFolder dir;
  EXPECT_EQ(RunLang({dir.WriteBytes("empty.lng", "")}).code, 1);
  std::string binary("\0\xff\xfe[\x01]\n\0=\0", 11);
  EXPECT_EQ(RunLang({dir.WriteBytes("binary.lng", binary)}).code, 1);
}

TEST(LangCommand, UnreadableFileOrBadUsageExitsWithTwo) {
  LangFolder dir;
  Outcome missing = RunLang({dir.PathOf("missing.lng")});
  EXPECT_EQ(missing.code, 2);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find("can't read"), std::string::npos);
  EXPECT_EQ(RunLang({dir.Path()}).code, 2);
  EXPECT_EQ(RunLang({}).code, 2);
  EXPECT_EQ(RunLang({""}).code, 2);
  std::string complete = dir.Write("a.lng", CompleteLangFile("Deutsch"));
  EXPECT_EQ(RunLang({complete, complete}).code, 2);
}

}  // namespace
