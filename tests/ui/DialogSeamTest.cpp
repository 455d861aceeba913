// SPDX-License-Identifier: GPL-3.0-or-later
// The seam through which every modal showing goes: scripted answers in tests, the real modal
// loop otherwise, and the folder and file choosers built on it.
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include "ModalResult.h"
#include "QueryForm.h"
#include "TestSupport.h"
#include "UiTestSupport.h"
#include "WarningForm.h"

using namespace ui_testing;

namespace {

// Collects the seam's reports instead of failing the test.
struct RecordedScript {
  std::vector<std::string> reports;
  dialog_seam::TScriptedDialogs script{
      [this](const std::string& message) { reports.push_back(message); }};
};

std::string WithoutSlash(std::string path) {
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

TEST(DialogSeam, AnswersAreUsedInTheOrderTheyWereQueued) {
  TForm11 query;
  TForm7 warning;
  DialogScript script;
  script.Answer(Return(mrNo));
  script.Answer(Return(mrOk));
  script.Answer(Return(mrYes));

  EXPECT_EQ(RunModal(query), mrNo);
  EXPECT_EQ(RunModal(warning), mrOk);
  EXPECT_EQ(query.ShowModal(), mrYes);
  EXPECT_EQ(script.Shown(), (std::vector<std::string>{"TForm11", "TForm7", "TForm11"}));
  EXPECT_EQ(script.Pending(), 0u);
}

TEST(DialogSeam, ADialogWithoutAnAnswerIsReportedAndCancelled) {
  TForm11 query;
  query.setWindowTitle("Fennimo");
  RecordedScript recorded;

  EXPECT_EQ(query.ShowModal(), mrCancel);
  ASSERT_EQ(recorded.reports.size(), 1u);
  EXPECT_NE(recorded.reports[0].find("TForm11"), std::string::npos) << recorded.reports[0];
  EXPECT_NE(recorded.reports[0].find("Fennimo"), std::string::npos) << recorded.reports[0];
  EXPECT_EQ(recorded.script.Errors(), recorded.reports);
}

TEST(DialogSeam, AnswersNeverUsedAreReportedWhenTheScriptEnds) {
  std::vector<std::string> reports;
  {
    dialog_seam::TScriptedDialogs script(
        [&reports](const std::string& message) { reports.push_back(message); });
    script.Answer(Return(mrOk));
  }
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("never used"), std::string::npos) << reports[0];
}

TEST(DialogSeam, AnAnswerMayOpenTheNextDialog) {
  TForm11 query;
  TForm7 warning;
  DialogScript script;
  int inner = mrNone;
  script.Answer([&](QDialog&) {
    inner = warning.ShowModal();
    return int{mrYes};
  });
  script.Answer(Click("BitBtn2"));

  EXPECT_EQ(query.ShowModal(), mrYes);
  EXPECT_EQ(inner, mrCancel);
}

TEST(DialogSeam, TheScriptInForceIsTheNewestAndTheOldOneComesBack) {
  TForm11 query;
  DialogScript outer;
  outer.Answer(Return(mrNo));
  {
    DialogScript inner;
    inner.Answer(Return(mrYes));
    EXPECT_EQ(query.ShowModal(), mrYes);
  }
  EXPECT_EQ(query.ShowModal(), mrNo);
}

TEST(DialogSeam, WithoutAScriptTheDialogRunsItsOwnModalLoop) {
  ASSERT_EQ(dialog_seam::TScriptedDialogs::Active(), nullptr);
  TForm11 query;
  QTimer::singleShot(0, &query, [&query] { query.BitBtn2->click(); });
  EXPECT_EQ(query.ShowModal(), mrNo);
}

TEST(DialogSeam, CancellingModalWindowsEndsTheOpenOnesAndEveryFurtherOneAsCancel) {
  TForm11 query;
  TForm7 warning;
  QFileDialog chooser;
  int inner = mrNone;
  // The warning opens from inside the question's loop; both loops end.
  QTimer::singleShot(0, &query, [&] {
    QTimer::singleShot(0, &warning, [] { CancelModalWindows(); });
    inner = warning.ShowModal();
  });
  EXPECT_EQ(query.ShowModal(), mrCancel);
  EXPECT_EQ(inner, mrCancel);
  EXPECT_TRUE(ModalWindowsCancelled());
  EXPECT_EQ(RunModal(chooser), QDialog::Rejected);
  EXPECT_FALSE(chooser.isVisible());
  ResumeModalWindows();
  QTimer::singleShot(0, &query, [&query] { query.BitBtn1->click(); });
  EXPECT_EQ(query.ShowModal(), mrYes);
}

class SelectFolderTest : public ::testing::Test {
protected:
  testing_support::TempDir disk;
  DialogScript script;
};

TEST_F(SelectFolderTest, StartsInTheGivenFolderUnderTheCaptionAndReturnsTheChoice) {
  std::string folder = disk.Path();
  const std::string chosen = disk.Make("Смайлы/");
  script.Answer([&](QDialog& dialog) {
    auto& chooser = dynamic_cast<QFileDialog&>(dialog);
    EXPECT_EQ(chooser.windowTitle(), "Загрузка смайлпака");
    EXPECT_EQ(chooser.fileMode(), QFileDialog::Directory);
    EXPECT_EQ(QDir(chooser.directory()), QDir(QString::fromStdString(folder)));
    return ChooseFolder(chosen)(dialog);
  });

  EXPECT_TRUE(SelectFolder(nullptr, "Загрузка смайлпака", folder, false));
  EXPECT_EQ(folder, WithoutSlash(chosen));
}

TEST_F(SelectFolderTest, TheRootKeepsItsSeparator) {
  std::string folder = disk.Path();
  script.Answer(ChooseFolder("/"));
  EXPECT_TRUE(SelectFolder(nullptr, "x", folder, true));
  EXPECT_EQ(folder, "/");
}

TEST_F(SelectFolderTest, AMissingFolderStartsEmptyAndStaysEmptyOnCancel) {
  std::string folder = disk.Path() + "gone/";
  script.Answer([](QDialog& dialog) {
    EXPECT_EQ(QDir(dynamic_cast<QFileDialog&>(dialog).directory()), QDir::home());
    return CancelChooser()(dialog);
  });
  EXPECT_FALSE(SelectFolder(nullptr, "x", folder, false));
  EXPECT_EQ(folder, "");
}

TEST_F(SelectFolderTest, CancelLeavesAnExistingFolderAsItWas) {
  std::string folder = disk.Path();
  script.Answer(CancelChooser());
  EXPECT_FALSE(SelectFolder(nullptr, "x", folder, true));
  EXPECT_EQ(folder, disk.Path());
}

// The button is the dialog's own; it is looked for by type, as its name is Qt's business.
bool OffersNewFolder(QFileDialog& chooser) {
  Shown shown(chooser);
  for (auto* button : chooser.findChildren<QToolButton*>())
    if (button->isVisible() && button->isEnabled() &&
        (button->objectName() == "newFolderButton" || button->toolTip() == "Create New Folder"))
      return true;
  return false;
}

TEST_F(SelectFolderTest, TheSaveChooserOffersANewFolderButtonAndTheOpenChooserNone) {
  for (const bool newFolderButton : {true, false}) {
    std::string folder = disk.Path();
    script.Answer([&](QDialog& dialog) {
      auto& chooser = dynamic_cast<QFileDialog&>(dialog);
      EXPECT_EQ(OffersNewFolder(chooser), newFolderButton);
      EXPECT_EQ(chooser.testOption(QFileDialog::ReadOnly), !newFolderButton);
      return CancelChooser()(dialog);
    });
    SelectFolder(nullptr, "x", folder, newFolderButton);
  }
}

class ChooseFilesTest : public ::testing::Test {
protected:
  std::string File(const std::string& name) {
    std::string path = disk.Make("pictures/") + name;
    testing_support::WriteBytes(path, "x");
    return path;
  }

  testing_support::TempDir disk;
  DialogScript script;
};

TEST_F(ChooseFilesTest, TheDialogIsSetUpFromTheOptions) {
  TFileDialogOptions options;
  options.Title = "Загрузка смайла";
  options.Filter = "GIF-файлы (*.gif)|*.gif|Все файлы (*.*)|*.*";
  options.DefaultExt = "gif";
  options.InitialDir = disk.Make("pictures/");
  options.MultiSelect = true;
  script.Answer([&](QDialog& dialog) {
    auto& chooser = dynamic_cast<QFileDialog&>(dialog);
    EXPECT_EQ(chooser.windowTitle(), "Загрузка смайла");
    EXPECT_EQ(chooser.nameFilters(),
              (QStringList{"GIF-файлы (*.gif) (*.gif)", "Все файлы (*.*) (*)"}));
    // Qt names the filter in force without its patterns, as the list shows it.
    EXPECT_EQ(chooser.selectedNameFilter(), "GIF-файлы (*.gif)");
    EXPECT_EQ(chooser.defaultSuffix(), "gif");
    EXPECT_EQ(chooser.fileMode(), QFileDialog::ExistingFiles);
    EXPECT_EQ(QDir(chooser.directory()), QDir(QString::fromStdString(options.InitialDir)));
    return CancelChooser()(dialog);
  });
  std::vector<std::string> files;
  EXPECT_FALSE(ChooseFiles(nullptr, options, files));

  options.MultiSelect = false;
  script.Answer([](QDialog& dialog) {
    EXPECT_EQ(dynamic_cast<QFileDialog&>(dialog).fileMode(), QFileDialog::ExistingFile);
    return CancelChooser()(dialog);
  });
  EXPECT_FALSE(ChooseFiles(nullptr, options, files));
}

TEST_F(ChooseFilesTest, ReturnsEveryChosenFileInOrder) {
  const std::string first = File("b.gif"), second = File("a.gif");
  TFileDialogOptions options;
  options.Filter = "GIF (*.gif)|*.gif";
  options.MultiSelect = true;
  script.Answer(ChooseFiles({first, second}));

  std::vector<std::string> files{"left over"};
  ASSERT_TRUE(ChooseFiles(nullptr, options, files));
  EXPECT_EQ(files, (std::vector<std::string>{first, second}));
}

TEST_F(ChooseFilesTest, TheDefaultExtensionGoesOnlyOntoANameThatIsNoFileAsItIs) {
  const std::string theme = File("theme"), define = File("_define.ini");
  TFileDialogOptions options;
  options.DefaultExt = "ini";
  std::vector<std::string> files;
  script.Answer(ChooseFiles({theme}));
  ASSERT_TRUE(ChooseFiles(nullptr, options, files));
  EXPECT_EQ(files, std::vector<std::string>{theme});
  script.Answer(ChooseFiles({define.substr(0, define.size() - 4)}));  // typed without ".ini"
  ASSERT_TRUE(ChooseFiles(nullptr, options, files));
  EXPECT_EQ(files, std::vector<std::string>{define});
}

TEST_F(ChooseFilesTest, CancelLeavesTheListAlone) {
  File("a.gif");
  script.Answer(CancelChooser());
  std::vector<std::string> files{"kept"};
  EXPECT_FALSE(ChooseFiles(nullptr, TFileDialogOptions{}, files));
  EXPECT_EQ(files, std::vector<std::string>{"kept"});
}

TEST(QtNameFilters, TurnsToolkitPairsIntoQtFilters) {
  EXPECT_EQ(QtNameFilters("_Define.ini|_Define.ini|All files (*.*)|*.*"),
            (QStringList{"_Define.ini (_Define.ini)", "All files (*.*) (*)"}));
  EXPECT_EQ(QtNameFilters("Pictures|*.bmp;*.gif; *.dib"),
            QStringList{"Pictures (*.bmp *.gif *.dib)"});
}

TEST(QtNameFilters, IgnoresEmptyAndIncompleteParts) {
  EXPECT_TRUE(QtNameFilters("").isEmpty());
  EXPECT_EQ(QtNameFilters("GIF|*.gif|Dangling"), QStringList{"GIF (*.gif)"});
  EXPECT_EQ(QtNameFilters("Nothing||GIF|*.gif"), QStringList{"GIF (*.gif)"});
}
