// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and redo: every kind of edit comes back to the exact bytes of the storage, the history
// outlives a restart, and what starts a pack anew starts its history anew.
#include <functional>

#include "Files.h"
#include "PackFixture.h"
#include "StorageJournal.h"
#include "StorageManager.h"

using namespace pack_testing;
using namespace testing_support;
using Strings = std::vector<std::string>;

namespace {

class PackUndoTest : public PackModelTest {
protected:
  void SetUp() override {
    PackModelTest::SetUp();
    // Three smiles, and ad.gif without a line.
    ASSERT_TRUE(Open(MakePack("p", ":a\r\n:b,:bb\r\n:c", {"aa", "ab", "ac", "ad"})));
  }

  // Every file of the pack's storage folder with its bytes.
  std::string Storage() const {
    std::string all;
    for (const auto& name : ListFolder(StorageFolder()))
      if (name != "Config") all += name + "=" + ReadBytes(StorageFolder() + name) + "\n";
    return all;
  }

  std::string Picture(const std::string& tag) { return MakePicture(tag + ".gif", tag); }

  bool Undo() {
    int smile = -9, symbol = -9;
    bool done = model->Undo(smile, symbol);
    selection = {smile, symbol};
    return done;
  }
  bool Redo() {
    int smile = -9, symbol = -9;
    bool done = model->Redo(smile, symbol);
    selection = {smile, symbol};
    return done;
  }
  std::pair<int, int> selection;
};

}  // namespace

TEST_F(PackUndoTest, EveryEditUndoesAndRedoesToTheSameBytes) {
  const std::pair<const char*, std::function<void()>> edits[] = {
      {"add two", [&] { EXPECT_EQ(model->AddSmiles({Picture("x"), Picture("y")}, 3), 2); }},
      {"insert", [&] { EXPECT_NE(model->InsertSmile(0, Picture("x")), nullptr); }},
      {"delete", [&] { EXPECT_TRUE(model->DeleteSmile(1)); }},
      {"replace", [&] { EXPECT_NE(model->ReplacePicture(1, Picture("x")), nullptr); }},
      {"delete picture", [&] { EXPECT_TRUE(model->DeletePicture(1)); }},
      {"exchange", [&] { EXPECT_TRUE(model->ExchangeSmiles(0, 2)); }},
      {"move", [&] { EXPECT_TRUE(model->MoveSmile(0, 2)); }},
      {"add symbol", [&] { model->GetSmile(0)->Symbols.Add(":new"); }},
      {"edit symbol", [&] { model->GetSmile(1)->Symbols.Put(1, ":edited"); }},
      {"delete symbol", [&] { model->GetSmile(1)->Symbols.Delete(0); }},
      {"move symbol", [&] { model->GetSmile(1)->Symbols.Exchange(0, 1); }},
  };
  for (const auto& [name, edit] : edits) {
    SCOPED_TRACE(name);
    std::string before = Storage();
    Strings captions = Captions();
    edit();
    std::string after = Storage();
    Strings changed = Captions();
    ASSERT_NE(after, before);
    ASSERT_TRUE(Undo());
    EXPECT_EQ(Storage(), before);
    EXPECT_EQ(Captions(), captions);
    ASSERT_TRUE(Redo());
    EXPECT_EQ(Storage(), after);
    EXPECT_EQ(Captions(), changed);
    ASSERT_TRUE(Undo());
    EXPECT_EQ(Storage(), before);
  }
}

TEST_F(PackUndoTest, TheSelectionGoesBackToWhatTheStepTouched) {
  ASSERT_TRUE(model->MoveSmile(0, 2));
  ASSERT_TRUE(Undo());
  EXPECT_EQ(selection, std::make_pair(0, -1));
  ASSERT_TRUE(Redo());
  EXPECT_EQ(selection, std::make_pair(2, -1));
  model->GetSmile(0)->Symbols.Delete(1);  // ":bb" of ":b,:bb", now first
  ASSERT_TRUE(Undo());
  EXPECT_EQ(selection, std::make_pair(0, 1));
  ASSERT_TRUE(model->DeleteSmile(2));
  ASSERT_TRUE(Undo());
  EXPECT_EQ(selection, std::make_pair(2, -1));
  EXPECT_EQ(model->NextRedo().Kind, skDeleteSmile);
  ASSERT_EQ(model->AddSmiles({Picture("x"), Picture("y")}, 3), 2);
  ASSERT_TRUE(Undo());
  EXPECT_EQ(selection, std::make_pair(2, -1));
  ASSERT_TRUE(Redo());
  EXPECT_EQ(selection, std::make_pair(4, -1));  // the last smile added, as the add selects
}

TEST_F(PackUndoTest, ALongMoveIsOneStep) {
  // Forty smiles: the last one goes to the front, the ones between move one place each.
  std::string define;
  std::vector<std::string> pictures;
  for (int i = 0; i < 40; ++i) {
    define += ":" + std::to_string(i) + "\r\n";
    pictures.push_back(PictureFileName(i, spAnimated).substr(0, 2));
  }
  saveAnswers = {1};
  ASSERT_TRUE(Open(MakePack("forty", define.c_str(), pictures)));
  std::string before = Storage();
  ASSERT_TRUE(model->MoveSmile(39, 0));
  EXPECT_EQ(StorageTags(3), "bn aa ab");
  EXPECT_EQ(SymbolsOf(0), Strings{":39"});
  ASSERT_TRUE(Undo());
  EXPECT_FALSE(model->CanUndo());
  EXPECT_EQ(selection, std::make_pair(39, -1));
  EXPECT_EQ(Storage(), before);
}

TEST_F(PackUndoTest, AStepThatCannotBeReadEndsTheWayBackThere) {
  ASSERT_TRUE(model->DeleteSmile(0));
  ASSERT_TRUE(model->DeleteSmile(0));
  ASSERT_TRUE(Undo());
  std::string history = TStorageJournal::HistoryFolder(*model->PackStorages[spAnimated]);
  for (const auto& name : ListFolder(history))
    if (name == "s1.step") WriteBytes(history + name, "damaged");
  std::string before = Storage();
  EXPECT_FALSE(Undo());
  EXPECT_EQ(Storage(), before);
  EXPECT_FALSE(model->CanUndo());
  EXPECT_TRUE(model->CanRedo());  // the step undone before is still there to redo
}

TEST_F(PackUndoTest, TheHistoryOutlivesARestartAndANewEditDropsTheRedoSteps) {
  std::string start = Storage();
  ASSERT_TRUE(model->DeleteSmile(0));
  model->GetSmile(0)->Symbols.Add(":z");
  std::string twoSteps = Storage();
  Restart();
  ASSERT_TRUE(model->CanUndo());
  EXPECT_EQ(model->NextUndo().Kind, skAddSymbol);
  ASSERT_TRUE(Undo());
  ASSERT_TRUE(Undo());
  EXPECT_FALSE(model->CanUndo());
  EXPECT_EQ(Storage(), start);
  Restart();
  ASSERT_TRUE(Redo());
  ASSERT_TRUE(Redo());
  EXPECT_EQ(Storage(), twoSteps);
  ASSERT_TRUE(Undo());
  ASSERT_TRUE(model->ExchangeSmiles(0, 1));
  EXPECT_FALSE(model->CanRedo());
  // The pictures the dropped step kept go with it; the history never lies in the storage.
  std::string history = TStorageJournal::HistoryFolder(*model->PackStorages[spAnimated]);
  EXPECT_EQ(history.find(StorageFolder()), std::string::npos);
  int files = 0;
  for (const auto& name : ListFolder(history)) files += name != "State";
  EXPECT_EQ(files, 3);  // two steps; the delete keeps aa.gif
}

TEST_F(PackUndoTest, OpeningNewAndClosingStartTheHistoryAnew) {
  ASSERT_TRUE(model->DeleteSmile(0));
  saveAnswers = {1, 1, 1};
  ASSERT_TRUE(model->NewPack());
  EXPECT_FALSE(model->CanUndo());
  ASSERT_NE(model->AddSmile(Picture("x")), nullptr);
  ASSERT_TRUE(Open(MakePack("q", ":q", {"aa"})));
  EXPECT_FALSE(model->CanUndo());
  ASSERT_TRUE(model->DeleteSmile(0));
  ASSERT_TRUE(model->ClosePack());
  EXPECT_FALSE(model->CanUndo());
  EXPECT_EQ(ListFolder(TStorageJournal::HistoryFolder(*model->PackStorages[spAnimated])),
            Strings{"State"});
}

TEST_F(PackUndoTest, EachPackHasItsOwnHistory) {
  ASSERT_TRUE(Open(MakePack("s", ":s", {"aa"}, spStatic), spStatic));
  ASSERT_TRUE(model->DeleteSmile(0));
  model->SetActivePack(spAnimated);
  EXPECT_FALSE(model->CanUndo());
  ASSERT_TRUE(model->DeleteSmile(0));
  model->SetActivePack(spStatic);
  ASSERT_TRUE(Undo());
  EXPECT_EQ(Captions(), Strings{"aa.bmp (:s)"});
  model->SetActivePack(spAnimated);
  EXPECT_TRUE(model->CanUndo());
}

TEST(PackHistoryBounds, TheOldestStepsGoFirst) {
  TempDir dir;
  TPackHistory history(dir.Path(), spAnimated);
  TPackStep step;
  auto push = [&](long long bytes) {
    WriteBytes(dir.Path() + TPackHistory::StateName,
               history.StateAfterPush(history.NewId(), step, bytes));
    history.Load();
  };
  for (int i = 0; i < TPackHistory::MaxSteps + 5; ++i) push(10);
  auto undoable = [&] {
    int count = 0;
    for (; history.CanUndo(); ++count) {
      WriteBytes(dir.Path() + TPackHistory::StateName, history.StateAfterUndo());
      history.Load();
    }
    return count;
  };
  EXPECT_EQ(undoable(), TPackHistory::MaxSteps);
  push(TPackHistory::MaxBytes / 2 + 1);
  push(TPackHistory::MaxBytes / 2 + 1);  // the two together keep too many pictures
  EXPECT_EQ(undoable(), 1);
}
