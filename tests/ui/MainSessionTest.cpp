// SPDX-License-Identifier: GPL-3.0-or-later
// One editing session as a user would have it, from opening a damaged pack to finding the work
// again after a restart and saving a copy of it elsewhere.
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include "CommandsFixture.h"
#include "PackFixture.h"

using namespace commands_testing;
using namespace testing_support;
using pack_testing::Gif;
using ui_testing::ChooseFiles;
using ui_testing::ChooseFolder;
using ui_testing::Click;

namespace {

using EditingSession = CommandsTest;

// A pack folder must hold exactly these files with exactly these bytes.
using Files = std::vector<std::pair<std::string, std::string>>;

void ExpectFolder(const std::string& folder, const Files& files) {
  Strings names;
  for (const auto& [name, bytes] : files) {
    names.push_back(name);
    EXPECT_EQ(ReadBytes(folder + name), bytes) << folder + name;
  }
  EXPECT_EQ(ListFolder(folder), names) << folder;
}

}  // namespace

TEST_F(EditingSession, EverythingEditedIsFoundAgainAfterARestartAndSavedElsewhereByteForByte) {
  // ac.gif is missing, and the blank last line stands for a picture that does not exist.
  std::string source = MakePack("source", Cp1251(":-)\r\n:-(,:(\r\n;-)\r\n:D\r\n\r\n"),
                                {"aa", "ab", "ad"});
  Then(ChooseFiles({source + "_define.ini"}));
  Then(Expect("TForm12", Click("BitBtn1")));  // delete the blank line
  Then(Expect("TForm10", Click("BitBtn2")));  // skip ac.gif: ad.gif keeps its place
  Press(form->ToolButton2);
  ASSERT_EQ(Smiles(), (Strings{"aa.gif (:-))", "ab.gif (:-()", "Нет (;-))", "ad.gif (:D)"}));

  // Two new smiles after the second; the second of them moves up; the smile without picture goes.
  ClickSmile(1);
  Then(ChooseFiles({MakePicture("n1.gif", "n1"), MakePicture("n2.gif", "n2")}));
  Press(form->BitBtn4);
  Press(form->BitBtn12);
  ClickSmile(4);
  Then(Expect("TForm7", Warning(false, mrOk)));
  Press(form->BitBtn7);
  EXPECT_EQ(StorageTags(), (Strings{"aa", "ab", "n2", "n1", "ad"}));

  // Symbols for the new smiles, one edited, one moved.
  ClickSmile(2);
  Then(TypeSymbol(":n2"));
  Press(form->BitBtn5);
  Then(TypeSymbol("кот"));
  Press(form->BitBtn5);
  ClickSmile(3);
  Then(TypeSymbol(":n1"));
  Press(form->BitBtn5);
  ClickSmile(0);
  ClickSymbol(0);
  Then(TypeSymbol(":-))"));
  Press(form->BitBtn17);
  ClickSmile(1);
  ClickSymbol(1);
  Press(form->BitBtn14);

  const Strings captions{"aa.gif (:-)))", "ab.gif (:()", "ac.gif (:n2)", "ad.gif (:n1)",
                         "ae.gif (:D)"};
  EXPECT_EQ(Smiles(), captions);
  Press(form->ToolButton3);  // no errors are left, so no summary

  const std::string define = Cp1251(":-))\r\n:(,:-(\r\n:n2,кот\r\n:n1\r\n:D");
  const Files expected{
      {"_define.ini", define}, {"aa.gif", Gif("aa")}, {"ab.gif", Gif("ab")},
      {"ac.gif", Gif("n2")},   {"ad.gif", Gif("n1")}, {"ae.gif", Gif("ad")}};
  ExpectFolder(source, expected);

  // The program ends and starts again: the pack is shown as it was left.
  Exit();
  Start();
  EXPECT_EQ(Smiles(), captions);
  EXPECT_EQ(Count(), "5");
  ClickSmile(2);
  EXPECT_EQ(Symbols(), (Strings{":n2", "кот"}));
  EXPECT_EQ(Model().SourcePath[spAnimated], source);

  std::string copy = disk.Make("copy/");
  Then(ChooseFolder(copy));
  Press(form->ToolButton4);
  ExpectFolder(copy, expected);
  ExpectFolder(source, expected);
}
