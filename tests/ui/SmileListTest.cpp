// SPDX-License-Identifier: GPL-3.0-or-later
// The smile list as a list and as a grid: rows and first frames that follow every edit, undo
// and redo, the filter with moves on the smiles' real places, and symbols that overlap.
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "CommandsFixture.h"
#include "ConfigManager.h"
#include "Files.h"
#include "GifBuilder.h"

using namespace commands_testing;
using namespace testing_support;
using gif_builder::GifBuilder;

namespace {

using SmileList = CommandsTest;

// A 3 x 2 picture of one colour.
std::string Solid(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  GifBuilder gif;
  gif.Screen(3, 2, {{red, green, blue}, {0, 0, 0}});
  gif.Image(3, 2, std::vector<std::uint8_t>(6, 0));
  gif.Trailer();
  return gif.Bytes();
}

// The first frame's colour of each row, as the list draws it.
std::vector<QRgb> Colours(const TForm1& form) {
  std::vector<QRgb> colours;
  for (int i = 0; i < form.ListBox1->count(); ++i) {
    const QImage frame = form.ListBox1->Model()->Frame(i);
    colours.push_back(frame.isNull() ? 0 : frame.pixel(0, 0));
  }
  return colours;
}

std::vector<bool> Hidden(const TForm1& form) {
  std::vector<bool> hidden;
  for (int i = 0; i < form.ListBox1->count(); ++i) hidden.push_back(form.ListBox1->isRowHidden(i));
  return hidden;
}

}  // namespace

TEST_F(SmileList, RowsAndTheirFirstFramesFollowEveryEditUndoAndRedo) {
  std::string folder = MakePack("pack", ":r\r\n:g\r\n:b", {});
  WriteBytes(folder + "aa.gif", Solid(255, 0, 0));
  WriteBytes(folder + "ab.gif", Solid(0, 255, 0));
  WriteBytes(folder + "ac.gif", Solid(0, 0, 255));
  OpenPack(folder);
  Model().Config->SetFlag(TConfigManager::cfShowWarnings, false);
  const QRgb r = qRgb(255, 0, 0), g = qRgb(0, 255, 0), b = qRgb(0, 0, 255);
  EXPECT_EQ(Colours(*form), (std::vector<QRgb>{r, g, b}));
  EXPECT_EQ(form->ListBox1->model()->index(0, 0).data(TSmileListModel::LineRole), "1. aa.gif (:r)");

  ClickSmile(0);
  Press(form->BitBtn13);  // the red smile goes down: the files are renamed
  EXPECT_EQ(Colours(*form), (std::vector<QRgb>{g, r, b}));
  Then(ui_testing::ChooseFiles({MakePicture("w.gif", "w")}));
  Press(form->BitBtn11);  // a new picture for it
  EXPECT_EQ(Colours(*form)[1], qRgb(255, 255, 255));
  Press(form->ToolButton15);
  Press(form->ToolButton15);
  EXPECT_EQ(Colours(*form), (std::vector<QRgb>{r, g, b}));
  EXPECT_EQ(Smiles(), ModelSmiles());
  Press(form->ToolButton16);
  EXPECT_EQ(Colours(*form), (std::vector<QRgb>{g, r, b}));
  Press(form->BitBtn7);  // deleted: one row fewer
  EXPECT_EQ(Colours(*form), (std::vector<QRgb>{g, b}));
  EXPECT_EQ(Smiles(), ModelSmiles());

  // The grid plays the selected smile and is remembered.
  form->GridAction->trigger();
  EXPECT_TRUE(form->ListBox1->IsGrid());
  EXPECT_EQ(form->GlobalConfig->GetString(TGlobalConfigManager::gsSmileView), "grid");
  form->GridAction->trigger();
  EXPECT_FALSE(form->ListBox1->IsGrid());
}

TEST_F(SmileList, TheFilterShowsMatchingSmilesAndMovesKeepTheirRealPlaces) {
  std::string folder = MakePack("pack", Cp1251(":Да\r\n:b\r\n:нет,:дом\r\n:x"), {"aa", "ab", "ac", "ad"});
  OpenPack(folder);
  ui_testing::ShowActive(*form);
  QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
  ASSERT_TRUE(form->FilterEdit->hasFocus());
  form->FilterEdit->insert("д");  // letter case ignored, any symbol of a smile
  EXPECT_EQ(Hidden(*form), (std::vector<bool>{false, true, false, true}));
  EXPECT_EQ(Count(), "2 / 4");

  ClickSmile(2);
  Press(form->BitBtn12);  // up past the hidden ":b"
  EXPECT_EQ(StorageDefine(), Cp1251(":Да\r\n:нет,:дом\r\n:b\r\n:x"));
  EXPECT_EQ(SelectedSmile(), 1);
  EXPECT_EQ(Hidden(*form), (std::vector<bool>{false, false, true, true}));

  form->FilterEdit->insert("z");  // nothing matches: the selection goes
  EXPECT_EQ(Hidden(*form), (std::vector<bool>{true, true, true, true}));
  EXPECT_EQ(SelectedSmile(), -1);
  QTest::keyClick(form->FilterEdit, Qt::Key_Escape);
  EXPECT_EQ(Hidden(*form), (std::vector<bool>{false, false, false, false}));
  EXPECT_EQ(Count(), "4");
  form->hide();
}

// A symbol inside another smile's symbol is kept with a warning, and both smiles are marked.
TEST_F(SmileList, ASymbolThatOverlapsAnotherSmilesIsKeptWithAWarningAndMarked) {
  OpenPack(MakePack("pack", ":)\r\n:p", {"aa", "ab"}));
  ClickSmile(1);
  std::string message;
  Then(TypeSymbol(":))"));
  Then(Message(&message));
  Press(form->BitBtn5);
  EXPECT_NE(message.find("Символ “:))” содержит символ “:)” смайла 1; где коды заменяются"),
            std::string::npos)
      << message;
  EXPECT_EQ(StorageDefine(), ":)\r\n:)),:p");
  const QAbstractItemModel& rows = *form->ListBox1->model();
  for (int row : {0, 1})
    EXPECT_EQ(rows.index(row, 0).data(TSmileListModel::MarkRole).toInt(), TSmileRow::mkNote);
  EXPECT_EQ(rows.index(0, 0).data(Qt::ToolTipRole).toString().toStdString(),
            "Символ “:)” входит в символ “:))” смайла 2; где коды заменяются по порядку "
            "смайлпака, более длинный не покажется");
}
