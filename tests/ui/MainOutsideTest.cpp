// SPDX-License-Identifier: GPL-3.0-or-later
// Packs named from outside the window: the path the program was started with, or one a later
// start handed over. What a path opens, and when: as the open command would, after the save
// question, and never in the middle of another command.
#include <QCoreApplication>

#include <cstdlib>
#include <QToolButton>

#include "CommandsFixture.h"
#include "PackFixture.h"

using namespace commands_testing;
using namespace testing_support;
using namespace ui_testing;

namespace {

class OutsideOpen : public CommandsTest {
protected:
  // A later start names Path: the window takes it, then the event loop runs.
  void Name(const std::string& path) {
    form->TakeOutsideRequest(path);
    QCoreApplication::processEvents();
  }
};

TEST_F(OutsideOpen, APathOpensThePackItNames) {
  const std::string root = disk.Make("root/");
  MakePack("root/Static", ":s", {"aa"}, spStatic);
  MakePack("root/Animated", ":x\r\n:y", {"aa", "ab"});
  const std::string loose = MakePack("loose", ":l", {"aa"}, spStatic);
  const std::string theme = disk.Make("theme/");
  WriteBytes(theme + "wink.gif", pack_testing::Gif("w"));
  WriteBytes(theme + "theme", "[default]\nwink.gif ;-)\n");
  const std::string zip = "cd '" + disk.Path() + "' && python3 -m zipfile -c theme.zip theme";
  ASSERT_EQ(std::system(zip.c_str()), 0);

  struct Case {
    std::string path;
    bool bothBefore;
    TSmilePack activeBefore;
    bool bothAfter;
    TSmilePack activeAfter;
    Strings smiles;  // of the active pack; none: told that there is no pack, nothing opened
  } cases[] = {
      {root + "Animated/_define.ini", false, spAnimated, false, spAnimated,
       {"aa.gif (:x)", "ab.gif (:y)"}},
      {root + "Static", false, spAnimated, false, spStatic, {"aa.bmp (:s)"}},
      {root + "Static/aa.bmp", false, spAnimated, false, spStatic, {"aa.bmp (:s)"}},
      {loose, true, spStatic, false, spStatic, {"aa.bmp (:l)"}},
      {root, true, spStatic, true, spStatic, {"aa.bmp (:s)"}},
      {root, false, spAnimated, false, spAnimated, {"aa.gif (:x)", "ab.gif (:y)"}},
      {disk.Make("empty/"), false, spAnimated, false, spAnimated, {}},
      {disk.Path() + "missing/_define.ini", false, spAnimated, false, spAnimated, {}},
      {theme + "theme", true, spAnimated, false, spAnimated, {"aa.gif (;-))"}},
      {disk.Path() + "theme.zip", false, spStatic, false, spStatic, {"aa.bmp (;-))"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + (c.bothBefore ? " in both-packs mode" : ""));
    if (Model().BothPacks != c.bothBefore) Press(form->ToolButton9);
    Press(c.activeBefore == spStatic ? form->ToolButton7 : form->ToolButton8);
    const Strings before = Smiles();
    std::string told;
    if (c.smiles.empty()) Then(Message(&told));
    Name(c.path);
    EXPECT_EQ(Model().BothPacks, c.bothAfter);
    EXPECT_EQ(form->ToolButton9->isChecked(), c.bothAfter);
    EXPECT_EQ(Model().ActivePack, c.activeAfter);
    EXPECT_EQ(Smiles(), c.smiles.empty() ? before : c.smiles);
    if (c.smiles.empty()) {
      EXPECT_NE(told.find(c.path + " не найден"), std::string::npos) << told;
    }
    if (c.bothAfter) {
      EXPECT_EQ(Model().BothPath, root);
      EXPECT_TRUE(Model().LoadedPacks.Contains(spAnimated));
    }
  }
}

TEST_F(OutsideOpen, APathWaitsForTheCommandThatRunsAndAsksAboutSavingFirst) {
  OpenPackOf(2);
  EditPack();
  const std::string other = MakePack("other", ":o", {"aa"});
  const std::string last = MakePack("last", ":z", {"aa"});
  // Two starts while the new-pack command asks whether to save: nothing opens until the command
  // has returned, and then the last path named, after its own save question.
  Then(Expect("TForm11", [&](QDialog&) {
    Name(other);
    Name(last);
    EXPECT_EQ(Model().SmileCount(), 2);
    return int{mrCancel};
  }));
  Then(Expect("TForm11", Return(mrNo)));
  Press(form->ToolButton1);
  QCoreApplication::processEvents();
  EXPECT_EQ(Smiles(), Strings{"aa.gif (:z)"});
}

TEST_F(OutsideOpen, TheWindowComesToTheFront) {
  form->show();
  form->showMinimized();
  Name("");
  EXPECT_FALSE(form->isMinimized());
  EXPECT_TRUE(form->isActiveWindow());
}

}  // namespace
