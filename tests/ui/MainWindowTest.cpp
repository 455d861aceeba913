// SPDX-License-Identifier: GPL-3.0-or-later
// The main window with a real model on a private application-data folder: selection handlers,
// enabling rules, the preview and its animation, the pack buttons, language changes, and what
// start-up and shutdown leave in the workspace. Every dialog is answered through the seam.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QScreen>
#include <QStatusBar>
#include <QLabel>
#include <QMessageBox>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "ConfigManager.h"
#include "DialogSeam.h"
#include "Dialogs.h"
#include "ErrorForm.h"
#include "Files.h"
#include "GifBuilder.h"
#include "Lang.h"
#include "LangTables.h"
#include "LoadForm.h"
#include "QueryForm.h"
#include "SaveErrorsForm.h"
#include "ManagerMain.h"
#include "UiTestSupport.h"
#include "ModalResult.h"
#include "TestSupport.h"
#include "WorkspaceLock.h"

using namespace testing_support;
using namespace gif_builder;
using Strings = std::vector<std::string>;

namespace {

// An animated GIF of `frames` 4 x 4 frames with the given delays (hundredths of a second).
std::string AnimatedGif(const std::vector<int>& delays) {
  GifBuilder gif;
  gif.Screen(4, 4, {{255, 0, 0}, {0, 0, 255}});
  for (std::size_t i = 0; i < delays.size(); ++i) {
    gif.Control(1, -1, delays[i]);
    gif.Image(4, 4, std::vector<std::uint8_t>(16, static_cast<std::uint8_t>(i % 2)));
  }
  gif.Trailer();
  return gif.Bytes();
}

class MainWindowTest : public ::testing::Test {
protected:
  ScopedAppData appData;
  TempDir disk;
  Strings seamErrors;
  std::unique_ptr<dialog_seam::TScriptedDialogs> seam;
  std::unique_ptr<TForm1> form;
  std::unique_ptr<TDialogs> dialogs;

  void SetUp() override {
    seam = std::make_unique<dialog_seam::TScriptedDialogs>(
        [this](const std::string& e) { seamErrors.push_back(e); });
    Start();
  }

  void TearDown() override {
    Stop();
    seam.reset();
    EXPECT_TRUE(seamErrors.empty()) << seamErrors.front();
  }

  // The program's start: the window, the dialogs, then the first idle moment.
  void Start() {
    Stop();
    form = std::make_unique<TForm1>();
    dialogs = std::make_unique<TDialogs>(form.get());
    form->SetDialogs(dialogs.get());
    form->ApplicationEvents1Idle();
    ASSERT_TRUE(form->Initialized);
  }

  void Stop() {
    if (form && form->Initialized) {
      EXPECT_TRUE(form->ShutdownWorkspace());
    }
    dialogs.reset();
    form.reset();
  }

  // An animated pack: a three-frame smile, a static-looking one-frame smile, a missing
  // picture and another three-frame smile; opened through the model.
  void OpenAnimatedPack() {
    std::string folder = disk.Make("pack/");
    WriteBytes(folder + "_define.ini", ":a,:a2\r\n:b\r\n:c\r\n:d,:d2,:d3");
    WriteBytes(folder + "aa.gif", AnimatedGif({30, 0, 50}));
    WriteBytes(folder + "ab.gif", AnimatedGif({20}));
    WriteBytes(folder + "ad.gif", AnimatedGif({10, 10, 10}));
    form->Pack->OnMissingFile = [](TDefineDecoder*, bool& skip, bool&, const std::string&,
                                   const std::string&, const std::string&, TSmile*) {
      skip = true;
    };
    ASSERT_TRUE(form->Pack->OpenPack(folder + "_define.ini"));
    form->RefillSmiles(true);
    form->ListBox1Click();
    form->UpdatePackButtons();
  }

  void ClickSmile(int index) {
    form->ListBox1->setCurrentRow(index);  // the selection handler runs on the change
  }
  void ClickSymbol(int index) { form->ListBox2->setCurrentRow(index); }

  Strings SmileItems() const {
    Strings items;
    for (int i = 0; i < form->ListBox1->count(); ++i)
      items.push_back(form->ListBox1->model()->index(i, 0).data().toString().toStdString());
    return items;
  }
  Strings SymbolItems() const {
    Strings items;
    for (int i = 0; i < form->ListBox2->count(); ++i)
      items.push_back(form->ListBox2->item(i)->text().toStdString());
    return items;
  }
  std::string Counter() const { return form->StaticText2->text().toStdString(); }
};

}  // namespace

TEST_F(MainWindowTest, AFreshStartShowsNoPackAndOnlyThePackCommands) {
  EXPECT_EQ(form->ListBox1->count(), 0);
  EXPECT_EQ(form->StaticText1->text(), "");
  for (QPushButton* b : {form->BitBtn1, form->BitBtn2, form->BitBtn3, form->BitBtn4, form->BitBtn5,
                         form->BitBtn6, form->BitBtn7, form->BitBtn11, form->BitBtn12,
                         form->BitBtn13, form->BitBtn14, form->BitBtn15, form->BitBtn16,
                         form->BitBtn17, form->BitBtn18})
    EXPECT_FALSE(b->isEnabled()) << b->toolTip().toStdString();
  EXPECT_FALSE(form->ToolButton3->isEnabled());
  EXPECT_TRUE(form->ToolButton1->isEnabled());
  EXPECT_TRUE(form->ToolButton8->isChecked());  // the animated pack is the default
  EXPECT_EQ(form->windowTitle(), "Fennimo");
}

TEST_F(MainWindowTest, SelectingASmileShowsItsSymbolsAndEnablesItsButtons) {
  OpenAnimatedPack();
  EXPECT_EQ(SmileItems(), (Strings{"aa.gif (:a)", "ab.gif (:b)", "Нет (:c)", "ad.gif (:d)"}));
  EXPECT_EQ(form->StaticText1->text(), "4");
  EXPECT_TRUE(form->BitBtn4->isEnabled());
  EXPECT_TRUE(form->BitBtn18->isEnabled());
  EXPECT_TRUE(form->ToolButton3->isEnabled());

  ClickSmile(0);
  EXPECT_EQ(SymbolItems(), (Strings{":a", ":a2"}));
  EXPECT_FALSE(form->BitBtn12->isEnabled());
  EXPECT_TRUE(form->BitBtn13->isEnabled());
  for (QPushButton* b : {form->BitBtn11, form->BitBtn16, form->BitBtn5, form->BitBtn7})
    EXPECT_TRUE(b->isEnabled());
  EXPECT_FALSE(form->BitBtn6->isEnabled());

  ClickSymbol(1);
  EXPECT_TRUE(form->BitBtn14->isEnabled());
  EXPECT_FALSE(form->BitBtn15->isEnabled());
  EXPECT_TRUE(form->BitBtn6->isEnabled());
  EXPECT_TRUE(form->BitBtn17->isEnabled());

  ClickSmile(3);
  EXPECT_EQ(SymbolItems(), (Strings{":d", ":d2", ":d3"}));
  EXPECT_TRUE(form->BitBtn12->isEnabled());
  EXPECT_FALSE(form->BitBtn13->isEnabled());
  EXPECT_FALSE(form->BitBtn6->isEnabled());  // the new symbol list has no selection
}

TEST_F(MainWindowTest, ClickingTheSelectedSmileOrSymbolAgainKeepsIt) {
  OpenAnimatedPack();
  ui_testing::ShowActive(*form);
  ClickSmile(1);
  ClickSymbol(0);
  for (QAbstractItemView* list : {static_cast<QAbstractItemView*>(form->ListBox1),
                                  static_cast<QAbstractItemView*>(form->ListBox2)}) {
    QRect item = list->visualRect(list->selectionModel()->selectedIndexes().front());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
  }
  EXPECT_EQ(form->ListBox1->currentRow(), 1);
  EXPECT_EQ(form->ListBox2->currentRow(), 0);
  EXPECT_NE(form->CurrentPicture, nullptr);
  EXPECT_TRUE(form->BitBtn7->isEnabled());
  EXPECT_TRUE(form->BitBtn6->isEnabled());
  form->hide();
}

TEST_F(MainWindowTest, TheAnimationStepsThroughFramesWithTheirOwnDelays) {
  OpenAnimatedPack();
  ClickSmile(0);
  EXPECT_TRUE(form->Timer1->isActive());
  EXPECT_EQ(form->Timer1->interval(), 300);
  EXPECT_EQ(Counter(), "1 из 3");
  EXPECT_TRUE(form->BitBtn1->isEnabled());
  EXPECT_FALSE(form->BitBtn2->isEnabled());
  form->Timer1Timer();
  EXPECT_EQ(Counter(), "2 из 3");
  EXPECT_EQ(form->Timer1->interval(), 100);  // a delay under 10 hundredths shows for 100 ms
  form->Timer1Timer();
  form->Timer1Timer();
  EXPECT_EQ(Counter(), "1 из 3");  // loops
  EXPECT_TRUE(form->Timer1->isActive());
}

TEST_F(MainWindowTest, ASingleFramePictureNeverAnimates) {
  OpenAnimatedPack();
  ClickSmile(1);
  EXPECT_EQ(Counter(), "1 из 1");
  EXPECT_FALSE(form->Timer1->isActive());
  EXPECT_FALSE(form->BitBtn1->isEnabled());
  EXPECT_FALSE(form->BitBtn2->isEnabled());
  EXPECT_FALSE(form->BitBtn3->isEnabled());
  ClickSmile(2);  // no picture at all
  EXPECT_EQ(Counter(), "");
  EXPECT_EQ(form->CurrentPicture, nullptr);
  EXPECT_TRUE(form->BitBtn5->isEnabled());  // its symbols can still be edited
}

TEST_F(MainWindowTest, APauseCarriesOverToTheNextSmile) {
  OpenAnimatedPack();
  ClickSmile(0);
  form->BitBtn1Click();
  EXPECT_FALSE(form->PlayWanted);
  EXPECT_FALSE(form->Timer1->isActive());
  EXPECT_TRUE(form->BitBtn2->isEnabled());
  EXPECT_EQ(form->BitBtn1->text(), "Запуск");
  ClickSmile(3);
  EXPECT_FALSE(form->Timer1->isActive());
  EXPECT_EQ(Counter(), "1 из 3");
  EXPECT_TRUE(form->BitBtn2->isEnabled());
  EXPECT_TRUE(form->BitBtn3->isEnabled());
  form->BitBtn1Click();
  EXPECT_TRUE(form->Timer1->isActive());
  EXPECT_EQ(form->BitBtn1->text(), "Пауза");
}

TEST_F(MainWindowTest, PreviousAndNextWrapAround) {
  OpenAnimatedPack();
  ClickSmile(0);
  form->BitBtn1Click();
  form->BitBtn2Click();
  EXPECT_EQ(Counter(), "3 из 3");
  form->BitBtn3Click();
  EXPECT_EQ(Counter(), "1 из 3");
}

TEST_F(MainWindowTest, SwitchingPacksClearsTheSelectionAndShowsTheOtherPack) {
  OpenAnimatedPack();
  ClickSmile(0);
  form->ToolButton8Click();  // already active: nothing changes
  EXPECT_EQ(form->LastSmileIndex, 0);
  EXPECT_EQ(form->ListBox2->count(), 2);

  form->ToolButton7->setChecked(true);
  form->ToolButton7Click();
  EXPECT_EQ(form->Pack->ActivePack, spStatic);
  EXPECT_EQ(form->ListBox1->count(), 0);
  EXPECT_EQ(form->StaticText1->text(), "");  // the static pack is not loaded
  EXPECT_FALSE(form->BitBtn4->isEnabled());
  EXPECT_FALSE(form->ToolButton3->isEnabled());
  EXPECT_FALSE(form->Timer1->isActive());
  TConfigManager config(*form->Pack->ConfigStorage);
  EXPECT_FALSE(config.GetFlag(TConfigManager::cfAnimated));

  form->ToolButton9->setChecked(true);
  form->ToolButton9Click();
  EXPECT_TRUE(form->Pack->BothPacks);
  EXPECT_TRUE(form->ToolButton3->isEnabled());  // some pack is loaded
  EXPECT_EQ(form->ListBox1->count(), 0);        // the lists stay
}

TEST_F(MainWindowTest, ALanguageChangeKeepsSelectionsAndRecaptionsSmiles) {
  OpenAnimatedPack();
  ClickSmile(2);
  ClickSymbol(0);
  TLang english(std::string(FENNIMO_SOURCE_DIR) + "/Languages/English.lng", false);
  ASSERT_FALSE(english.IsDefault);
  form->LanguageChanged(nullptr, &english);
  EXPECT_EQ(form->ListBox1->currentRow(), 2);
  EXPECT_EQ(form->ListBox2->currentRow(), 0);
  EXPECT_EQ(form->LastSmileIndex, 2);
  std::string none = english.Text(GeneralLang, 0);
  EXPECT_EQ(SmileItems()[2], none + " (:c)");
  // The title names the pack and the program; the dialogs the program.
  EXPECT_EQ(form->windowTitle().toStdString(), "pack \u2014 " + english.Text(MainFormLang, 0));
  EXPECT_EQ(dialogs->QueryForm->windowTitle().toStdString(), english.Text(MainFormLang, 0));
  ClickSmile(0);
  EXPECT_EQ(Counter(), "1 " + english.Text(MainFormLang, 30) + " 3");
}

TEST_F(MainWindowTest, APackLeftOpenReappearsAtTheNextStart) {
  OpenAnimatedPack();
  form->Pack->GetSmile(1)->Symbols.Add(":b2");
  Stop();
  Start();
  EXPECT_EQ(SmileItems(), (Strings{"aa.gif (:a)", "ab.gif (:b)", "Нет (:c)", "ad.gif (:d)"}));
  EXPECT_EQ(form->StaticText1->text(), "4");
  EXPECT_TRUE(form->BitBtn4->isEnabled());
  ClickSmile(1);
  EXPECT_EQ(SymbolItems(), (Strings{":b", ":b2"}));
}

TEST_F(MainWindowTest, ShutdownWithSaveOnExitClosesThePacksUnlessCancelled) {
  OpenAnimatedPack();
  form->Pack->GetSmile(1)->Symbols.Add(":b2");  // something to save
  form->Pack->Config->SetFlag(TConfigManager::cfSaveOnExit, true);
  ClickSmile(0);
  seam->Answer([](QDialog&) { return mrCancel; });  // QueryForm
  EXPECT_FALSE(form->ShutdownWorkspace());
  EXPECT_TRUE(form->Initialized);
  EXPECT_FALSE(form->Pack->BothPacks);
  EXPECT_EQ(form->ListBox1->count(), 4);

  seam->Answer([](QDialog&) { return mrNo; });
  EXPECT_TRUE(form->ShutdownWorkspace());
  EXPECT_FALSE(form->Initialized);
  EXPECT_EQ(form->Pack, nullptr);
  EXPECT_FALSE(form->BitBtn4->isEnabled());
  Start();
  EXPECT_EQ(form->ListBox1->count(), 0);  // closed: nothing comes back
}

TEST_F(MainWindowTest, ShutdownLetsGoOfTheWorkspace) {
  std::string lock = form->WorkspaceLockFile();
  EXPECT_EQ(platform::TWorkspaceLock::TryAcquire(lock), nullptr);
  EXPECT_TRUE(form->ShutdownWorkspace());
  EXPECT_NE(platform::TWorkspaceLock::TryAcquire(lock), nullptr);
}

TEST_F(MainWindowTest, AWorkspaceHeldElsewhereShowsTheErrorAndCreatesNoModel) {
  auto held = platform::TWorkspaceLock::TryAcquire(form->WorkspaceLockFile());
  ASSERT_EQ(held, nullptr);  // this window holds it
  auto second = std::make_unique<TForm1>();
  TDialogs secondDialogs(second.get());
  second->SetDialogs(&secondDialogs);
  std::string shown;
  seam->Answer([&](QDialog& d) {
    shown = d.metaObject()->className();
    return mrOk;
  });
  second->ApplicationEvents1Idle();
  EXPECT_EQ(shown, "TForm8");
  EXPECT_TRUE(second->StartupFailed);
  EXPECT_FALSE(second->Initialized);
  EXPECT_EQ(second->Pack, nullptr);
  second->ApplicationEvents1Idle();  // never runs again
  EXPECT_EQ(seam->Pending(), 0u);
}

// A start that cannot go on says why, in a message of its own, and creates no model.
TEST_F(MainWindowTest, AStartThatCannotGoOnSaysWhy) {
  Stop();
  const std::string root = appData.Path() + "Fennimo for Parlino 2005/2.0/";
  auto refusedStart = [this](const std::string& expected) {
    SCOPED_TRACE(expected);
    form = std::make_unique<TForm1>();  // must not throw
    dialogs = std::make_unique<TDialogs>(form.get());
    form->SetDialogs(dialogs.get());
    std::string message;
    seam->Answer([&](QDialog& dialog) {
      auto* box = qobject_cast<QMessageBox*>(&dialog);
      EXPECT_NE(box, nullptr) << dialog.metaObject()->className();
      if (box) message = box->text().toStdString();
      return int{QMessageBox::Ok};
    });
    form->ApplicationEvents1Idle();
    EXPECT_NE(message.find(expected), std::string::npos) << message;
    EXPECT_TRUE(form->StartupFailed);
    EXPECT_FALSE(form->Initialized);
    EXPECT_EQ(form->Pack, nullptr);
    dialogs.reset();
    form.reset();
  };

  // A folder where the global state file goes.
  std::string state = root + "Config/Config/Storage.ini";
  ASSERT_EQ(std::remove(state.c_str()), 0);
  ASSERT_TRUE(platform::ForceDirectories(state + "/"));
  refusedStart("Unable to write to " + state);
  RemoveTree(state);

  // A folder where the workspace's state file goes: the model cannot be made.
  std::string workspaceState = root + "Storage/Config/Config/Storage.ini";
  ASSERT_EQ(std::remove(workspaceState.c_str()), 0);
  ASSERT_TRUE(platform::ForceDirectories(workspaceState + "/"));
  refusedStart("Unable to write to " + workspaceState);
  EXPECT_NE(platform::TWorkspaceLock::TryAcquire(root + "StorageStorageMutex.lock"), nullptr)
      << "the workspace stays locked";
  RemoveTree(workspaceState);

  // A folder where the workspace lock goes.
  std::string lock = root + "StorageStorageMutex.lock";
  std::remove(lock.c_str());
  ASSERT_TRUE(platform::ForceDirectories(lock + "/"));
  refusedStart("файл блокировки " + lock);
  RemoveTree(lock);

  // A record of an unfinished change that fails its checks: the working copy stays as it is.
  std::string record = root + "Storage/Animated/Config/Journal";
  WriteBytes(record, "fennimo-journal 1\nmove aa.gif ab.gif\ncheck 0000000000000000\n");
  refusedStart("Запись незавершённой операции " + record);
  EXPECT_TRUE(Exists(record));
  std::remove(record.c_str());

  // No application-data folder: a file stands where it should be.
  std::string blocked = disk.Path() + "file";
  WriteBytes(blocked, "");
  ::setenv("XDG_DATA_HOME", (blocked + "/data").c_str(), 1);
  refusedStart("нет папки для данных программы " + blocked + "/data/");
  ::setenv("XDG_DATA_HOME", appData.Path().c_str(), 1);
}

TEST_F(MainWindowTest, ProgressOfAnOpenGoesToTheLoadWindow) {
  OpenAnimatedPack();
  EXPECT_FALSE(dialogs->LoadForm->isVisible());
  // The last stage was the smile loading, with the last smile's position.
  EXPECT_EQ(dialogs->LoadForm->Label2->text(), "загрузка файлов");
  EXPECT_EQ(dialogs->LoadForm->ProgressBar1->maximum(), 4);
}

TEST_F(MainWindowTest, ACloseDuringAnOperationWaitsUntilItHasReturned) {
  OpenAnimatedPack();
  form->show();
  QTimer::singleShot(0, form.get(), [this] { form->close(); });
  // A progress report lets pending messages through: the close comes in the middle of it.
  form->ProgressStep(form->Pack.get(), "aa.gif", 1, 0);
  EXPECT_TRUE(form->Initialized);
  EXPECT_NE(form->Pack, nullptr);
  QCoreApplication::processEvents();
  EXPECT_FALSE(form->Initialized);
}

// The title names the pack and marks it while it differs from its folder; the status bar names
// that folder and tells the last save; the empty list says how to get a pack.
TEST_F(MainWindowTest, TheTitleAndTheStatusBarTellWhichPackAndWhetherItIsSaved) {
  EXPECT_EQ(form->windowTitle(), "Fennimo");
  EXPECT_FALSE(form->EmptyListHint->isHidden());
  OpenAnimatedPack();
  form->UpdateTitle();
  EXPECT_EQ(form->windowTitle(), "pack \u2014 Fennimo");
  EXPECT_EQ(form->StatusFolder->toolTip().toStdString(),
            "Папка смайлпака: " + disk.Path() + "pack/");
  EXPECT_TRUE(form->EmptyListHint->isHidden());
  form->RunCommand([this] { form->Pack->GetSmile(1)->Symbols.Add(":x"); });
  EXPECT_EQ(form->windowTitle(), "pack* \u2014 Fennimo");
  seam->Answer([](QDialog&) { return int{mrOk}; });  // the pack has a smile without a picture
  form->ToolButton3->click();
  EXPECT_EQ(form->windowTitle(), "pack \u2014 Fennimo");
  EXPECT_EQ(form->StatusText.toStdString(),
            "Сохранено смайлов: 4, в папку " + disk.Path() + "pack/");
}

// A smile without a picture bears a mark that says so, and the report before a save lists it;
// choosing it there selects it and saves nothing.
TEST_F(MainWindowTest, SmilesThatNeedAttentionAreMarkedAndListedBeforeASave) {
  OpenAnimatedPack();
  form->RefillSmiles(true);
  const QAbstractItemModel& rows = *form->ListBox1->model();
  EXPECT_EQ(rows.index(2, 0).data(Qt::ToolTipRole).toString(), "Нет рисунка");
  EXPECT_EQ(rows.index(2, 0).data(TSmileListModel::MarkRole).toInt(), TSmileRow::mkAttention);
  EXPECT_EQ(rows.index(0, 0).data(Qt::ToolTipRole).toString(), "");
  Strings listed;
  seam->Answer([&](QDialog& dialog) {
    auto* report = qobject_cast<TForm3*>(&dialog);
    if (!report) return int{mrCancel};
    for (int i = 0; i < report->ListBox1->count(); ++i)
      listed.push_back(report->ListBox1->model()->index(i, 0).data().toString().toStdString());
    emit report->ListBox1->itemActivated(report->ListBox1->item(0));
    return int{mrCancel};
  });
  const std::string define = ReadBytes(disk.Path() + "pack/_define.ini");
  form->ToolButton3->click();
  EXPECT_EQ(listed, Strings{"3. Нет (:c) \u2014 Нет рисунка"});
  EXPECT_EQ(form->ListBox1->currentRow(), 2);
  EXPECT_EQ(ReadBytes(disk.Path() + "pack/_define.ini"), define);
}

// A picture that is not square stays so: enlarged by a whole factor in the preview, at its own
// size beside it.
TEST_F(MainWindowTest, ThePreviewKeepsThePicturesProportions) {
  GifBuilder gif;
  gif.Screen(30, 10, {{255, 0, 0}, {0, 0, 255}});
  gif.Image(30, 10, std::vector<std::uint8_t>(300, 0));
  gif.Trailer();
  std::string folder = disk.Make("wide/");
  WriteBytes(folder + "_define.ini", ":w");
  WriteBytes(folder + "aa.gif", gif.Bytes());
  ASSERT_TRUE(form->Pack->OpenPack(folder + "_define.ini"));
  form->RefillSmiles(true);
  form->resize(700, 560);
  form->show();
  ClickSmile(0);
  QCoreApplication::processEvents();
  auto redBox = [](QWidget* box) {
    QImage shot = box->grab().toImage();
    QRect red;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x)
        if (shot.pixel(x, y) == qRgb(255, 0, 0)) red |= QRect(x, y, 1, 1);
    return red;
  };
  QRect large = redBox(form->PaintBox1), actual = redBox(form->PaintBox2);
  EXPECT_EQ(actual.size(), QSize(30, 10));
  ASSERT_GT(large.width(), 30);
  EXPECT_EQ(large.width() % 30, 0);
  EXPECT_EQ(large.width(), 3 * large.height());
  form->hide();
}

// The menus hold the commands with their keys, enabled as their buttons are.
TEST_F(MainWindowTest, TheMenusHoldTheCommandsWithTheirKeys) {
  OpenAnimatedPack();
  form->UpdatePackButtons();
  form->RefillSmiles(true);
  auto entry = [this](QAbstractButton* button) {
    for (auto [action, b] : form->MenuCommands)
      if (b == button) return action;
    return static_cast<QAction*>(nullptr);
  };
  ASSERT_NE(entry(form->ToolButton3), nullptr);
  EXPECT_TRUE(entry(form->ToolButton3)->text().endsWith("\tCtrl+S"));
  EXPECT_TRUE(entry(form->BitBtn17)->text().endsWith("\tF2"));
  form->UpdateMenus();
  EXPECT_TRUE(entry(form->ToolButton3)->isEnabled());
  EXPECT_FALSE(entry(form->BitBtn7)->isEnabled());
  ClickSmile(1);
  form->UpdateMenus();
  EXPECT_TRUE(entry(form->BitBtn7)->isEnabled());
  seam->Answer([](QDialog&) { return int{mrCancel}; });  // the warning
  entry(form->BitBtn7)->trigger();
  EXPECT_EQ(form->Pack->SmileCount(), 4);
}

// The window opens inside the screen's free area, and at the size and place it had.
TEST_F(MainWindowTest, TheWindowOpensInsideTheScreenAndRemembersItsSize) {
  const QRect room = form->screen()->availableGeometry();
  EXPECT_TRUE(room.contains(form->geometry()));
  form->setGeometry(room.x() + 100, room.y() + 100, room.width() * 2, room.height() * 2);
  form->SaveWindowState();
  Start();
  EXPECT_TRUE(room.contains(form->geometry()));
  form->setGeometry(room.x() + 20, room.y() + 30, 700, 500);
  form->SaveWindowState();
  Start();
  EXPECT_EQ(form->geometry(), QRect(room.x() + 20, room.y() + 30, 700, 500));
}

// The keyboard goes through the lists, then the smile buttons, then the symbol buttons.
TEST_F(MainWindowTest, TabGoesFromTheListsToTheSmileButtonsToTheSymbolButtons) {
  std::vector<QWidget*> chain;
  for (QWidget* w = form->ListBox1; chain.size() < 15; w = w->nextInFocusChain())
    if (w->focusPolicy() & Qt::TabFocus) chain.push_back(w);
  const std::vector<QWidget*> expected = {
      form->ListBox1, form->ListBox2, form->BitBtn4,  form->BitBtn11, form->BitBtn12,
      form->BitBtn7,  form->BitBtn16, form->BitBtn13, form->BitBtn5,  form->BitBtn17,
      form->BitBtn14, form->BitBtn6,  form->BitBtn18, form->BitBtn15};
  EXPECT_EQ(std::vector<QWidget*>(chain.begin(), chain.begin() + 14), expected);
}
