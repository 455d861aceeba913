// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and redo in the main window, and moving a smile anywhere: every kind of edit undone and
// redone with the storage's bytes compared, the buttons' state and hints, the keys, a restart,
// and smiles dragged within the smile list or sent to either end.
#include <QMimeData>
#include <QListWidget>
#include <QTest>
#include <QToolButton>

#include <functional>

#include "CommandsFixture.h"
#include "ConfigManager.h"
#include "Files.h"
#include "PackFixture.h"
#include "StorageJournal.h"
#include "StorageManager.h"

using namespace commands_testing;
using namespace testing_support;
using ui_testing::ChooseFiles;
using ui_testing::Return;

namespace {

class History : public CommandsTest {
protected:
  // A pack of four smiles ":0" … ":3" (the second also ":b") with pictures tagged "p0" … "p3".
  void SetUp() override {
    CommandsTest::SetUp();
    std::string folder = MakePack("pack", ":0\r\n:1,:b\r\n:2\r\n:3\r\n", {});
    for (int i = 0; i < 4; ++i)
      WriteBytes(folder + std::string{'a', char('a' + i)} + ".gif",
                 pack_testing::Gif("p" + std::to_string(i)));
    OpenPack(folder);
    Model().Config->SetFlag(TConfigManager::cfShowWarnings, false);
    Model().Config->SetFlag(TConfigManager::cfSaveOnExit, false);
  }

  QToolButton* UndoButton() const { return form->ToolButton15; }
  QToolButton* RedoButton() const { return form->ToolButton16; }
  std::string UndoHint() const { return UndoButton()->toolTip().toStdString(); }
  std::string RedoHint() const { return RedoButton()->toolTip().toStdString(); }

  // The active pack's storage as bytes: the definition file and every file beside it.
  std::string Snapshot() const {
    const std::string folder = Model().StorageFolder[Model().ActivePack];
    std::string bytes;
    for (const std::string& name : ListFolder(folder))
      if (name != "Storage.ini") bytes += name + "=" + ReadBytes(folder + name) + "\n";
    return bytes;
  }

  // Drags smile From in the smile list and drops it at Point; true when the list took it.
  bool DragSmile(int from, QPoint point, const QMimeData* data = nullptr) {
    std::unique_ptr<QMimeData> own = form->SmileDragData(from);
    if (!data) data = own.get();
    QWidget* viewport = form->ListBox1->viewport();
    QDragEnterEvent enter(point, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(point), Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    return drop.isAccepted();
  }
  QRect ItemRect(int row) const {
    return form->ListBox1->visualRect(form->ListBox1->model()->index(row, 0));
  }
};

struct Edit {
  const char* name;
  int smile, symbol;            // selected before the edit (-1: none)
  std::function<void()> make;   // the edit, as the user makes it
  const char* step;             // what the hints call it
  int undoneSmile, undoneSymbol;  // selected after the undo
  int redoneSmile, redoneSymbol;  // selected after the redo
};

}  // namespace

TEST_F(History, EveryKindOfEditIsUndoneAndRedoneToTheByteAndSelectsWhatItTouched) {
  auto press = [this](QAbstractButton* button) { return [this, button] { Press(button); }; };
  auto typed = [this](const char* text, QAbstractButton* button) {
    return [this, text, button] {
      Then(TypeSymbol(text));
      Press(button);
    };
  };
  auto chosen = [this](int files, QAbstractButton* button) {
    return [this, files, button] {
      Strings paths;
      for (int i = 0; i < files; ++i)
        paths.push_back(MakePicture("n" + std::to_string(i) + ".gif", "n" + std::to_string(i)));
      Then(ChooseFiles(paths));
      Press(button);
    };
  };
  TForm1& f = *form;
  const Edit edits[] = {
      {"add two smiles", 1, -1, chosen(2, f.BitBtn4), "добавление смайлов 3-4", 2, -1, 3, -1},
      {"add one smile", -1, -1, chosen(1, f.BitBtn4), "добавление смайла 1", 0, -1, 0, -1},
      {"delete smile", 2, -1, press(f.BitBtn7), "удаление смайла 3", 2, -1, 2, -1},
      {"replace picture", 3, -1, chosen(1, f.BitBtn11), "замена рисунка смайла 4", 3, -1, 3, -1},
      {"delete picture", 0, -1, press(f.BitBtn16), "удаление рисунка смайла 1", 0, -1, 0, -1},
      {"move smile", 1, -1, press(f.BitBtn13), "перемещение смайла 2", 1, -1, 2, -1},
      {"add symbol", 1, 0, typed(":new", f.BitBtn5), "добавление символа смайлу 2", 1, 1, 1, 1},
      {"edit symbol", 2, 0, typed(":ed", f.BitBtn17), "изменение символа смайла 3", 2, 0, 2, 0},
      {"delete symbol", 3, 0, press(f.BitBtn6), "удаление символа смайла 4", 3, 0, 3, -1},
      {"move symbol", 1, 0, press(f.BitBtn15), "перемещение символа смайла 2", 1, 0, 1, 1},
  };
  const std::string start = Snapshot();
  for (const Edit& edit : edits) {
    SCOPED_TRACE(edit.name);
    form->SelectSmile(edit.smile);
    form->SelectSymbol(edit.symbol);
    edit.make();
    const std::string after = Snapshot();
    ASSERT_NE(after, start);
    EXPECT_EQ(UndoHint(), std::string("Отменить: ") + edit.step + " (Ctrl+Z)");
    EXPECT_FALSE(RedoButton()->isEnabled()) << "a new edit drops the steps to redo";

    Press(UndoButton());
    EXPECT_EQ(Snapshot(), start);
    EXPECT_EQ(Smiles(), ModelSmiles());
    EXPECT_EQ(SelectedSmile(), edit.undoneSmile);
    EXPECT_EQ(SelectedSymbol(), edit.undoneSymbol);
    EXPECT_EQ(RedoHint(), std::string("Вернуть: ") + edit.step + " (Ctrl+Shift+Z, Ctrl+Y)");

    Press(RedoButton());
    EXPECT_EQ(Snapshot(), after);
    EXPECT_EQ(Smiles(), ModelSmiles());
    EXPECT_EQ(SelectedSmile(), edit.redoneSmile);
    EXPECT_EQ(SelectedSymbol(), edit.redoneSymbol);
    EXPECT_FALSE(RedoButton()->isEnabled());
    Press(UndoButton());  // the next edit starts from the same pack
  }
}

TEST_F(History, TheButtonsWorkOnlyWhenThereIsAStepAndANewEditDropsTheRedo) {
  EXPECT_FALSE(UndoButton()->isEnabled()) << "an opened pack has no history";
  EXPECT_EQ(UndoHint(), "Отменить (Ctrl+Z)");
  ClickSmile(0);
  Press(form->BitBtn13);
  Press(form->BitBtn13);
  Press(UndoButton());
  ASSERT_TRUE(RedoButton()->isEnabled());
  Press(form->BitBtn7);  // a new edit
  EXPECT_FALSE(RedoButton()->isEnabled());
  EXPECT_EQ(UndoHint(), "Отменить: удаление смайла 2 (Ctrl+Z)");

  // The keys press the buttons, and only while they are enabled.
  {
    ui_testing::ShowActive(*form);
    const std::string start = Snapshot();
    QTest::keyClick(form.get(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Snapshot(), start) << "nothing to redo";
    QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(StorageTags(), (Strings{"p1", "p0", "p2", "p3"}));
    QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(StorageTags(), (Strings{"p1", "p2", "p3"}));
    QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(StorageTags(), (Strings{"p0", "p1", "p2", "p3"}));
    EXPECT_FALSE(UndoButton()->isEnabled());
    QTest::keyClick(form.get(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(StorageTags(), (Strings{"p1", "p0", "p2", "p3"}));
    form->hide();
  }

  auto english = ui_testing::EnglishLanguage();
  form->LanguageChanged(nullptr, english.get());
  EXPECT_EQ(UndoHint(), "Undo: moving smile 1 (Ctrl+Z)");
  EXPECT_EQ(RedoHint(), "Redo: deleting smile 2 (Ctrl+Shift+Z, Ctrl+Y)");
}

TEST_F(History, EachPackHasItsOwnHistoryAndNewOrCloseClearsIt) {
  ClickSmile(0);
  Press(form->BitBtn7);
  ASSERT_TRUE(UndoButton()->isEnabled());
  Press(form->ToolButton7);  // the static pack: nothing loaded, nothing to undo
  EXPECT_FALSE(UndoButton()->isEnabled());
  Press(form->ToolButton1);
  Then(ChooseFiles({MakePicture("s.bmp", "s", spStatic)}));
  Press(form->BitBtn4);
  EXPECT_EQ(UndoHint(), "Отменить: добавление смайла 1 (Ctrl+Z)");
  Press(form->ToolButton8);
  EXPECT_EQ(UndoHint(), "Отменить: удаление смайла 1 (Ctrl+Z)");

  Then(Expect("TForm11", Return(mrNo)));
  Press(form->ToolButton1);
  EXPECT_FALSE(UndoButton()->isEnabled());
  Press(form->ToolButton7);
  Then(Expect("TForm11", Return(mrNo)));
  Press(form->ToolButton5);
  EXPECT_FALSE(UndoButton()->isEnabled());
}

TEST_F(History, ARestartKeepsTheStepsAndAnUndoAfterASaveAsksAboutSavingAgain) {
  ClickSmile(1);
  Press(form->BitBtn7);
  const std::string deleted = Snapshot();
  Press(form->ToolButton3);  // saved back where it came from
  Exit();
  Start();
  EXPECT_EQ(Snapshot(), deleted);
  ASSERT_TRUE(UndoButton()->isEnabled());
  EXPECT_EQ(UndoHint(), "Отменить: удаление смайла 2 (Ctrl+Z)");
  Press(UndoButton());
  EXPECT_EQ(StorageTags(), (Strings{"p0", "p1", "p2", "p3"}));
  EXPECT_EQ(SelectedSmile(), 1);
  Then(Expect("TForm11", Return(mrCancel)));
  Press(form->ToolButton5);
  EXPECT_TRUE(Model().LoadedPacks.Contains(spAnimated));
}

TEST_F(History, AStepWhoseRecordIsDamagedIsToldAndChangesNothing) {
  ClickSmile(0);
  Press(form->BitBtn7);
  const std::string folder = TStorageJournal::HistoryFolder(*Model().PackStorages[spAnimated]);
  for (const std::string& name : ListFolder(folder))
    if (name.ends_with(".step")) WriteBytes(folder + name, "damaged");
  const std::string before = Snapshot();
  std::string message;
  Then(Message(&message));
  Press(UndoButton());
  EXPECT_EQ(message, "Этот шаг нельзя отменить или вернуть: его запись в рабочей папке повреждена.");
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(Smiles(), ModelSmiles());
  EXPECT_FALSE(UndoButton()->isEnabled());  // nothing can be walked past the damaged step
}

TEST_F(History, AnUndoThatCannotBeWrittenIsToldAndTheWindowShowsTheModel) {
  ClickSmile(0);
  Press(form->BitBtn7);
  std::string message;
  Then(Message(&message));
  {
    ScopedFileSizeLimit limit(1);  // the disk is full
    Press(UndoButton());
  }
  EXPECT_NE(message.find("Unable to write to"), std::string::npos) << message;
  EXPECT_EQ(Smiles(), ModelSmiles());
  EXPECT_EQ(SelectedSmile(), -1);
  EXPECT_EQ(UndoButton()->isEnabled(), Model().CanUndo());
  EXPECT_EQ(RedoButton()->isEnabled(), Model().CanRedo());
}

// ---------------------------------------------------------------------------------------------
// Moving a smile anywhere

TEST_F(History, ASmileDraggedWithinTheListMovesThereInOneStep) {
  ui_testing::ShowActive(*form);
  const std::string before = Snapshot();
  QRect second = ItemRect(1);
  ASSERT_TRUE(DragSmile(3, QPoint(second.center().x(), second.top() + 1)));
  EXPECT_EQ(StorageTags(), (Strings{"p0", "p3", "p1", "p2"}));
  EXPECT_EQ(SelectedSmile(), 1);
  EXPECT_EQ(UndoHint(), "Отменить: перемещение смайла 4 (Ctrl+Z)");

  // Dropped on the lower half of the last smile, the first goes last.
  QRect last = ItemRect(3);
  ASSERT_TRUE(DragSmile(0, QPoint(last.center().x(), last.bottom() - 1)));
  EXPECT_EQ(StorageTags(), (Strings{"p3", "p1", "p2", "p0"}));
  EXPECT_EQ(SelectedSmile(), 3);
  // Dropped where it is, it stays, and no step is made.
  ASSERT_TRUE(DragSmile(3, QPoint(last.center().x(), last.top() + 1)));
  EXPECT_EQ(UndoHint(), "Отменить: перемещение смайла 1 (Ctrl+Z)");
  Press(UndoButton());
  Press(UndoButton());
  EXPECT_EQ(Snapshot(), before);

  // In the grid, the left half of a smile takes the dragged one before it.
  form->SetGridView(true);
  QCoreApplication::processEvents();
  ASSERT_TRUE(DragSmile(3, QPoint(ItemRect(1).left() + 2, ItemRect(1).center().y())));
  EXPECT_EQ(StorageTags(), (Strings{"p0", "p3", "p1", "p2"}));
  form->SetGridView(false);
  Press(UndoButton());

  // A drag made for the other pack, or by another program, moves nothing.
  Press(form->ToolButton7);
  std::unique_ptr<QMimeData> otherPack = form->SmileDragData(2);
  Press(form->ToolButton8);
  EXPECT_FALSE(DragSmile(2, second.center(), otherPack.get()));
  std::unique_ptr<QMimeData> otherProgram = form->SmileDragData(2);
  QByteArray bytes = otherProgram->data("application/x-fennimo-smile");
  bytes.replace(bytes.indexOf(' '), 1, "0 ");  // another process id
  otherProgram->setData("application/x-fennimo-smile", bytes);
  EXPECT_FALSE(DragSmile(2, second.center(), otherProgram.get()));
  EXPECT_EQ(Snapshot(), before);
  form->hide();
}

TEST_F(History, AltHomeAndAltEndSendTheSelectedSmileToEitherEnd) {
  ui_testing::ShowActive(*form);
  form->ListBox1->setFocus();
  ClickSmile(2);
  QTest::keyClick(form->ListBox1, Qt::Key_End, Qt::AltModifier);
  EXPECT_EQ(StorageTags(), (Strings{"p0", "p1", "p3", "p2"}));
  EXPECT_EQ(SelectedSmile(), 3);
  QTest::keyClick(form->ListBox1, Qt::Key_End, Qt::AltModifier);  // already last: no step
  QTest::keyClick(form->ListBox1, Qt::Key_Home, Qt::AltModifier);
  EXPECT_EQ(StorageTags(), (Strings{"p2", "p0", "p1", "p3"}));
  EXPECT_EQ(SelectedSmile(), 0);
  Press(UndoButton());
  EXPECT_EQ(StorageTags(), (Strings{"p0", "p1", "p3", "p2"}));
  EXPECT_EQ(UndoHint(), "Отменить: перемещение смайла 3 (Ctrl+Z)");
  form->hide();
}

TEST_F(History, AClickOnTheSelectedSmileKeepsItAndADragGivenUpMovesNothing) {
  ui_testing::ShowActive(*form);
  QWidget* viewport = form->ListBox1->viewport();
  const QPoint second = ItemRect(1).center();
  QTest::mouseClick(viewport, Qt::LeftButton, {}, second);
  ASSERT_EQ(SelectedSmile(), 1);
  // Pressed and moved away: a drag starts (and, with no one to take it here, ends at once; the
  // button then comes up where it went down).
  QTest::mousePress(viewport, Qt::LeftButton, {}, second);
  QTest::mouseMove(viewport, second + QPoint(0, 5));
  QTest::mouseMove(viewport, second + QPoint(0, 30));
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, second);
  EXPECT_EQ(SelectedSmile(), 1);
  EXPECT_EQ(StorageTags(), (Strings{"p0", "p1", "p2", "p3"}));
  QTest::mouseClick(viewport, Qt::LeftButton, {}, second);
  EXPECT_EQ(SelectedSmile(), 1);
  EXPECT_FALSE(Symbols().empty());
  form->hide();
}
