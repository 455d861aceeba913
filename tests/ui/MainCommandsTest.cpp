// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's commands driven as a user would: buttons pressed, dialogs and choosers
// answered through the seam, and the lists, the selection and the working storage checked
// afterwards.
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <unistd.h>

#include "PackError.h"
#include "CommandsFixture.h"
#include "ConfigManager.h"
#include "Files.h"
#include "Lang.h"
#include "LangTables.h"
#include "LoadForm.h"
#include "PackError.h"
#include "PackFixture.h"
#include "PictureDecoder.h"

using namespace commands_testing;
using namespace testing_support;
using ui_testing::CancelChooser;
using ui_testing::ChooseFiles;
using ui_testing::ChooseFolder;
using ui_testing::Click;
using ui_testing::Return;

namespace {

// Checks the chooser a command shows, then answers with Answer.
TAnswer InspectChooser(std::function<void(QFileDialog&)> inspect, TAnswer answer) {
  return [inspect, answer](QDialog& dialog) {
    auto* chooser = qobject_cast<QFileDialog*>(&dialog);
    EXPECT_NE(chooser, nullptr) << dialog.metaObject()->className();
    if (chooser) inspect(*chooser);
    return answer(dialog);
  };
}

// The names a chooser lists in Folder, once it has read the folder.
QStringList ListedNames(QFileDialog& chooser, const std::string& folder) {
  chooser.setDirectory(QString::fromStdString(folder));
  auto* view = chooser.findChild<QListView*>(QStringLiteral("listView"));
  EXPECT_NE(view, nullptr);
  QStringList names;
  if (!view) return names;
  ui_testing::WaitUntil([&] { return view->model()->rowCount(view->rootIndex()) > 0; });
  for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
    names << view->model()->index(row, 0, view->rootIndex()).data().toString();
  names.sort();
  return names;
}

// The question before a save replaces what its folder holds: its text goes to *Text, Cancel
// must be the default; answers with Button.
TAnswer ReplaceQuestion(std::string* text, QMessageBox::StandardButton button) {
  return [text, button](QDialog& dialog) {
    auto* box = qobject_cast<QMessageBox*>(&dialog);
    if (!box) {
      ADD_FAILURE() << "expected a question, got " << dialog.metaObject()->className();
      return int{QMessageBox::Cancel};
    }
    *text = box->text().toStdString();
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Cancel));
    return int{button};
  };
}

bool ShowWarnings(TForm1& form) {
  return form.Pack->Config->GetFlag(TConfigManager::cfShowWarnings);
}

// The working folder moves for one test to a folder with its own "Languages".
class ScopedWorkingFolder {
public:
  explicit ScopedWorkingFolder(const std::string& folder) {
    char buffer[4096];
    if (::getcwd(buffer, sizeof buffer)) old_ = buffer;
    EXPECT_EQ(::chdir(folder.c_str()), 0);
  }
  ~ScopedWorkingFolder() {
    if (!old_.empty()) [[maybe_unused]] int ignored = ::chdir(old_.c_str());
  }

private:
  std::string old_;
};

using PackCommands = CommandsTest;
using SmileCommands = CommandsTest;
using SymbolCommands = CommandsTest;
using Keyboard = CommandsTest;
using DroppedFiles = CommandsTest;

}  // namespace

// ---------------------------------------------------------------------------------------------
// Pack commands

TEST_F(PackCommands, OpenAsksForTheDefinitionFileAndShowsThePackWithNothingSelected) {
  std::string folder = MakePack("smiles", ":-)\r\n:-(,:(", {"aa", "ab"});
  Then(InspectChooser(
      [](QFileDialog& chooser) {
        EXPECT_EQ(chooser.windowTitle(), "Загрузка смайлпака");
        EXPECT_EQ(chooser.fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(chooser.defaultSuffix(), "ini");
      },
      ChooseFiles({folder + "_define.ini"})));
  Press(form->ToolButton2);

  EXPECT_EQ(form->OpenDialog1.Filter,
            "_Define.ini|_Define.ini|Темы смайлов других мессенджеров (theme, emoticons.xml, "
            "Emoticons.plist, icondef.xml, *.zip, *.jisp, *.tar.gz, *.tar.bz2, *.tar.xz)|"
            "theme;emoticons.xml;Emoticons.plist;icondef.xml;*.zip;*.jisp;*.tar.gz;*.tar.bz2;*.tar.xz|"
            "Все файлы (*.*)|*.*");
  EXPECT_EQ(Smiles(), (Strings{"aa.gif (:-))", "ab.gif (:-()"}));
  EXPECT_EQ(Count(), "2");
  EXPECT_EQ(SelectedSmile(), -1);
  EXPECT_TRUE(form->BitBtn4->isEnabled());
  EXPECT_TRUE(form->BitBtn18->isEnabled());
  EXPECT_TRUE(form->ToolButton3->isEnabled());
}

TEST_F(PackCommands, TheChoosersListPackFilesWhateverTheirLetterCase) {
  std::string folder = disk.Make("upper/");
  for (const char* name : {"_DEFINE.INI", "AA.GIF", "ab.Gif", "notes.txt"})
    WriteBytes(folder + name, "");
  Then(InspectChooser(
      [&](QFileDialog& chooser) {
        EXPECT_EQ(ListedNames(chooser, folder), (QStringList{"_DEFINE.INI"}));
      },
      CancelChooser()));
  Press(form->ToolButton2);

  Press(form->ToolButton1);
  Then(InspectChooser(
      [&](QFileDialog& chooser) {
        EXPECT_EQ(ListedNames(chooser, folder), (QStringList{"AA.GIF", "ab.Gif"}));
      },
      CancelChooser()));
  Press(form->BitBtn4);
}

TEST_F(PackCommands, OpenStartsAtThePacksFolderAndAsksAboutSavingFirst) {
  std::string first = MakePack("first", ":a", {"aa"});
  std::string second = MakePack("second", ":b\r\n:c", {"aa", "ab"});
  OpenPack(first);
  EditPack();
  ClickSmile(0);

  Then(InspectChooser(
      [&](QFileDialog& chooser) {
        EXPECT_EQ(chooser.directory().absolutePath().toStdString() + "/", first);
      },
      ChooseFiles({second + "_define.ini"})));
  Then(Expect("TForm11", Return(mrNo)));
  Press(form->ToolButton2);
  EXPECT_EQ(Smiles(), (Strings{"aa.gif (:b)", "ab.gif (:c)"}));
  EXPECT_EQ(SelectedSmile(), -1);
}

TEST_F(PackCommands, OpenCancelledAtTheSaveQuestionShowsTheSamePackWithNothingSelected) {
  std::string first = MakePack("first", ":a\r\n:b", {"aa", "ab"});
  std::string second = MakePack("second", ":c", {"aa"});
  OpenPack(first);
  EditPack();
  ClickSmile(1);
  Then(ChooseFiles({second + "_define.ini"}));
  Then(Return(mrCancel));
  Press(form->ToolButton2);
  EXPECT_EQ(Smiles(), (Strings{"aa.gif (:a)", "ab.gif (:b)"}));
  EXPECT_EQ(SelectedSmile(), -1);
  EXPECT_EQ(Count(), "2");
}

TEST_F(PackCommands, ACancelledChooserLeavesEverythingAsItWas) {
  OpenPackOf(3);
  ClickSmile(2);
  Then(CancelChooser());
  Press(form->ToolButton2);
  EXPECT_EQ(SelectedSmile(), 2);
  EXPECT_EQ(Model().SmileCount(), 3);
}

TEST_F(PackCommands, BothPacksModeOpensTheRootChosenInAFolderChooserWithoutNewFolderButton) {
  std::string root = disk.Make("root/");
  MakePack("root/Static", ":s", {"aa"}, spStatic);
  MakePack("root/Animated", ":x\r\n:y", {"aa", "ab"});
  Press(form->ToolButton9);
  ASSERT_TRUE(Model().BothPacks);
  Then(InspectChooser(
      [](QFileDialog& chooser) {
        EXPECT_EQ(chooser.windowTitle(), "Загрузка смайлпака");
        EXPECT_EQ(chooser.fileMode(), QFileDialog::Directory);
        EXPECT_TRUE(chooser.testOption(QFileDialog::ReadOnly));
      },
      ChooseFolder(root)));
  Press(form->ToolButton2);
  EXPECT_EQ(Smiles(), (Strings{"aa.gif (:x)", "ab.gif (:y)"}));
  EXPECT_TRUE(Model().LoadedPacks.Contains(spStatic));
  EXPECT_EQ(Model().BothPath, root);
}

TEST_F(PackCommands, OpenTellsHowManyDefinitionLinesDidNotFitInThePack) {
  std::string define;
  for (int i = 0; i < 679; ++i) define += ":" + std::to_string(i) + "\r\n";
  std::string folder = MakePack("big", define, {});
  std::string message;
  Then(ChooseFiles({folder + "_define.ini"}));
  Then(Message(&message));
  Press(form->ToolButton2);
  EXPECT_EQ(Model().SmileCount(), 676);
  EXPECT_NE(message.find("676"), std::string::npos) << message;
  EXPECT_TRUE(message.ends_with(" 3")) << message;
}

TEST_F(PackCommands, NewPackAfterTheSaveQuestionShowsAnEmptyPack) {
  OpenPackOf(3);
  EditPack();
  ClickSmile(1);
  Then(Expect("TForm11", Return(mrNo)));
  Press(form->ToolButton1);
  EXPECT_EQ(Smiles(), Strings{});
  EXPECT_EQ(Count(), "0");
  EXPECT_TRUE(form->BitBtn4->isEnabled());
  EXPECT_FALSE(form->BitBtn7->isEnabled());
  EXPECT_EQ(StorageDefine(), "");
}

TEST_F(PackCommands, NewPackLetsGoOfThePreviewBeforeTheModelFreesThePictures) {
  OpenPackOf(2);
  EditPack();
  ClickSmile(0);
  ASSERT_NE(form->CurrentPicture, nullptr);
  // The save question comes before the model frees anything; by then the preview is empty.
  Then([this](QDialog&) {
    EXPECT_EQ(form->CurrentPicture, nullptr);
    EXPECT_FALSE(form->Timer1->isActive());
    return int{mrNo};
  });
  Press(form->ToolButton1);
}

TEST_F(PackCommands, NewPackCancelledKeepsThePackWithNothingSelected) {
  OpenPackOf(3);
  EditPack();
  ClickSmile(1);
  Then(Return(mrCancel));
  Press(form->ToolButton1);
  EXPECT_EQ(Model().SmileCount(), 3);
  EXPECT_EQ(Smiles().size(), 3u);
  EXPECT_EQ(SelectedSmile(), -1);
}

TEST_F(PackCommands, SaveWithErrorsShowsTheirCountsAndCancelWritesNothing) {
  // One smile without symbols, one whose picture is missing, one that does not decode.
  std::string folder = MakePack("errors", "\r\n:b\r\n:c\r\n:d", {"aa", "ab", "ad"});
  WriteBytes(folder + "ad.gif", pack_testing::kBrokenGif);
  Then(ChooseFiles({folder + "_define.ini"}));
  Then(Click("BitBtn2"));   // the empty line stays
  Then(Click("BitBtn2"));   // ac.gif: skip, the following picture stays
  Press(form->ToolButton2);
  ASSERT_EQ(Model().SmileCount(), 4);

  ClickSmile(1);
  Then(TypeSymbol(":b2"));
  Press(form->BitBtn5);
  std::string saved = ReadBytes(folder + "_define.ini");

  Then(Expect("TForm3", [](QDialog& dialog) {
    auto& summary = static_cast<TForm3&>(dialog);
    EXPECT_EQ(summary.Label7->text(), "1");
    EXPECT_EQ(summary.Label8->text(), "1");
    EXPECT_EQ(summary.Label10->text(), "1");
    return int{mrCancel};
  }));
  Press(form->ToolButton3);
  EXPECT_EQ(ReadBytes(folder + "_define.ini"), saved);

  Then(Expect("TForm3", Return(mrOk)));
  Press(form->ToolButton3);
  EXPECT_EQ(ReadBytes(folder + "_define.ini"), "\r\n:b2,:b\r\n:c\r\n:d");
}

TEST_F(PackCommands, SaveWritesBackToTheFolderThePackCameFrom) {
  std::string folder = MakePack("pack", ":a\r\n:b\r\n:c", {"aa", "ab", "ac"});
  OpenPack(folder);
  ClickSmile(2);
  Then(Warning(false, mrOk));
  Press(form->BitBtn7);
  Press(form->ToolButton3);
  EXPECT_EQ(ReadBytes(folder + "_define.ini"), ":a\r\n:b");
  EXPECT_FALSE(Exists(folder + "ac.gif"));
}

TEST_F(PackCommands, SavingANewPackAsksForItsFolderAndThenKeepsIt) {
  Press(form->ToolButton1);
  Then(ChooseFiles({MakePicture("one.gif", "one")}));
  Press(form->BitBtn4);
  Then(TypeSymbol(":1"));
  Press(form->BitBtn5);

  Then(CancelChooser());   // nothing is written, and no message
  Press(form->ToolButton3);
  EXPECT_FALSE(Model().SourceAssigned.Contains(spAnimated));

  std::string target = disk.Make("new/");
  Then(Expect("QFileDialog", ChooseFolder(target)));
  Press(form->ToolButton3);
  EXPECT_EQ(ReadBytes(target + "_define.ini"), ":1");
  EXPECT_EQ(pack_testing::TagOf(target + "aa.gif"), "one");

  Then(TypeSymbol(":2"));
  ClickSymbol(0);
  Press(form->BitBtn5);
  Press(form->ToolButton3);  // no chooser this time
  EXPECT_EQ(ReadBytes(target + "_define.ini"), ":1,:2");
}

TEST_F(PackCommands, BothPacksSaveWithoutARootAsksForOneAndSavesBothUnderIt) {
  std::string root = disk.Make("from/");
  MakePack("from/Static", ":s", {"aa"}, spStatic);
  MakePack("from/Animated", ":x", {"aa"});
  Press(form->ToolButton9);
  Then(ChooseFolder(root));
  Press(form->ToolButton2);
  // Switching to single mode and back forgets nothing; a new root is asked after a single
  // save-as.
  Press(form->ToolButton9);
  std::string single = disk.Make("single/");
  Then(ChooseFolder(single));
  Press(form->ToolButton4);
  Press(form->ToolButton9);
  ASSERT_FALSE(Model().BothPathsAssigned);

  std::string target = disk.Make("to/");
  Then(Expect("QFileDialog", ChooseFolder(target)));
  Press(form->ToolButton3);
  EXPECT_EQ(ReadBytes(target + "Static/_define.ini"), ":s");
  EXPECT_EQ(ReadBytes(target + "Animated/_define.ini"), ":x");
  EXPECT_TRUE(Model().BothPathsAssigned);
}

TEST_F(PackCommands, BothPacksSaveWithErrorsSumsTheCountsOfBothPacks) {
  std::string root = disk.Make("root/");
  MakePack("root/Static", "\r\n:s", {"aa", "ab"}, spStatic);
  MakePack("root/Animated", "\r\n:x", {"aa", "ab"});
  Press(form->ToolButton9);
  Then(ChooseFolder(root));
  Then(Click("BitBtn4"));  // every empty line stays
  Then(Click("BitBtn4"));
  Press(form->ToolButton2);
  Then(Expect("TForm3", [](QDialog& dialog) {
    EXPECT_EQ(static_cast<TForm3&>(dialog).Label10->text(), "2");
    return int{mrCancel};
  }));
  Press(form->ToolButton3);
  Then(Expect("TForm3", Return(mrCancel)));
  Press(form->ToolButton4);  // save as stops at the summary too: no chooser follows
}

TEST_F(PackCommands, SaveAsWritesTheChosenFolderAndMakesItThePacksTarget) {
  std::string folder = MakePack("pack", ":a\r\n:b", {"aa", "ab"});
  OpenPack(folder);
  std::string target = disk.Make("copy/");
  Then(InspectChooser(
      [&](QFileDialog& chooser) {
        EXPECT_EQ(chooser.windowTitle(), "Сохранение смайлпака");
        EXPECT_EQ(chooser.directory().absolutePath().toStdString() + "/", folder);
        EXPECT_FALSE(chooser.testOption(QFileDialog::ReadOnly));  // a new folder may be made
      },
      ChooseFolder(target)));
  Press(form->ToolButton4);
  EXPECT_EQ(ReadBytes(target + "_define.ini"), ":a\r\n:b");
  EXPECT_EQ(pack_testing::TagOf(target + "ab.gif"), "ab");
  EXPECT_EQ(Model().SourcePath[spAnimated], target);
}

TEST_F(PackCommands, SaveAsIntoAnotherPacksFolderAsksAndCancelKeepsItWithoutAWord) {
  OpenPack(MakePack("pack", ":a", {"aa"}));
  std::string other = MakePack("other", ":x\r\n:y", {"aa", "ab"});
  std::string text;
  Then(ChooseFolder(other));
  Then(ReplaceQuestion(&text, QMessageBox::Cancel));
  Press(form->ToolButton4);  // and no message of a failed save
  EXPECT_TRUE(text.starts_with("В папке " + other + " уже есть другой смайлпак (смайлов: 2)."))
      << text;
  EXPECT_EQ(ReadBytes(other + "_define.ini"), ":x\r\n:y");
  EXPECT_TRUE(Exists(other + "ab.gif"));

  Then(ChooseFolder(other));
  Then(ReplaceQuestion(&text, QMessageBox::Save));
  Press(form->ToolButton4);
  EXPECT_EQ(ReadBytes(other + "_define.ini"), ":a");
  EXPECT_FALSE(Exists(other + "ab.gif"));
}

TEST_F(PackCommands, SaveOverAPackChangedOutsideAsksFirst) {
  std::string folder = MakePack("pack", ":a", {"aa"});
  OpenPack(folder);
  EditPack();
  WriteBytes(folder + "_define.ini", ":a\r\n:b");
  std::string text;
  Then(ReplaceQuestion(&text, QMessageBox::Cancel));
  Press(form->ToolButton3);
  EXPECT_TRUE(text.starts_with("Смайлпак в папке " + folder + " изменён вне редактора")) << text;
  EXPECT_EQ(ReadBytes(folder + "_define.ini"), ":a\r\n:b");
}

TEST_F(PackCommands, SaveAsOfANewPackWithTheChooserCancelledChangesNothing) {
  Press(form->ToolButton1);
  Then(CancelChooser());
  Press(form->ToolButton4);
  EXPECT_FALSE(Model().SourceAssigned.Contains(spAnimated));
  EXPECT_TRUE(form->ToolButton4->isEnabled());
  EXPECT_TRUE(Model().LoadedPacks.Contains(spAnimated));
}

TEST_F(PackCommands, ASaveThatFailsIsTold) {
  OpenPackOf(1);
  // The definition file can't be copied over a folder of that name.
  std::string target = disk.Make("target/");
  disk.Make("target/_define.ini/");
  Then(ChooseFolder(target));
  EXPECT_THROW(form->ToolButton4Click(), EPackError);
}

TEST_F(PackCommands, CloseCancelledAtTheQuestionChangesNothing) {
  OpenPackOf(2);
  EditPack();
  ClickSmile(1);
  Then(Expect("TForm11", Return(mrCancel)));
  Press(form->ToolButton5);
  EXPECT_EQ(SelectedSmile(), 1);
  EXPECT_EQ(Smiles().size(), 2u);
  EXPECT_NE(form->CurrentPicture, nullptr);
}

TEST_F(PackCommands, CloseEmptiesTheWindowAndDisablesThePackCommands) {
  OpenPackOf(2);
  EditPack();
  ClickSmile(1);
  Then(Return(mrNo));
  Press(form->ToolButton5);
  EXPECT_EQ(Smiles(), Strings{});
  EXPECT_EQ(Count(), "");
  EXPECT_EQ(form->CurrentPicture, nullptr);
  for (QWidget* w : {static_cast<QWidget*>(form->BitBtn4), static_cast<QWidget*>(form->BitBtn18),
                     static_cast<QWidget*>(form->ToolButton3),
                     static_cast<QWidget*>(form->ToolButton5)})
    EXPECT_FALSE(w->isEnabled());
}

TEST_F(PackCommands, OptionsShowTheStoredOptionsAndStoreThemOnOk) {
  Model().Config->SetFlag(TConfigManager::cfSaveOnExit, true);
  Then(Expect("TForm9", [](QDialog& dialog) {
    auto& options = static_cast<TForm9&>(dialog);
    EXPECT_TRUE(options.CheckBox1->isChecked());
    EXPECT_TRUE(options.CheckBox2->isChecked());
    options.CheckBox1->setChecked(false);
    options.CheckBox2->setChecked(false);
    return int{mrOk};
  }));
  Press(form->ToolButton11);
  EXPECT_FALSE(Model().Config->GetFlag(TConfigManager::cfSaveOnExit));
  EXPECT_FALSE(ShowWarnings(*form));
}

TEST_F(PackCommands, ALanguageChosenInTheOptionsStaysAfterCancelButTheCheckBoxesDoNot) {
  TempDir work;
  WriteBytes(work.Make("Languages/") + "Test.lng",
             "[Description]\r\nLangName=Testish\r\n[MainForm]\r\n0=Testwindow\r\n");
  ScopedWorkingFolder inside(work.Path());
  Then(Expect("TForm9", [this](QDialog& dialog) {
    auto& options = static_cast<TForm9&>(dialog);
    options.CheckBox2->setChecked(false);
    options.ComboBox1->setCurrentIndex(options.ComboBox1->findText("Testish"));
    EXPECT_EQ(form->windowTitle(), "Testwindow");  // at once, while the dialog is open
    return int{mrCancel};
  }));
  Press(form->ToolButton11);
  EXPECT_EQ(form->windowTitle(), "Testwindow");
  EXPECT_TRUE(ShowWarnings(*form));
  EXPECT_TRUE(form->GlobalConfig->GetString(TGlobalConfigManager::gsLangDirectory)
                  .ends_with("Test.lng"));

  // The next start speaks the same language, also from another folder.
  form->close();
  dialogs.reset();
  form.reset();
  Start();
  EXPECT_EQ(form->windowTitle(), "Testwindow");
  form->close();
  dialogs.reset();
  form.reset();
  ScopedWorkingFolder elsewhere(disk.Path());
  Start();
  EXPECT_EQ(form->windowTitle(), "Testwindow");
}

TEST_F(PackCommands, ALanguageStoredRelativeToAnEarlierStartFolderIsFoundInTheLanguageFolder) {
  TempDir work;
  WriteBytes(work.Make("Languages/") + "Test.lng", "[MainForm]\r\n0=Testwindow\r\n");
  ScopedWorkingFolder inside(work.Path());
  // As earlier versions stored it, relative to the folder they were started in.
  form->GlobalConfig->SetString(TGlobalConfigManager::gsLangDirectory, "elsewhere/Test.lng");
  form->close();
  dialogs.reset();
  form.reset();
  Start();
  EXPECT_EQ(form->windowTitle(), "Testwindow");
}

TEST_F(PackCommands, TheChoosersButtonsSpeakTheLanguageOfTheWindow) {
  auto buttons = [](const char* open, const char* cancel) {
    return InspectChooser(
        [=](QFileDialog& chooser) {
          auto* box = chooser.findChild<QDialogButtonBox*>();
          ASSERT_NE(box, nullptr);
          EXPECT_EQ(box->button(QDialogButtonBox::Open)->text(), open);
          EXPECT_EQ(box->button(QDialogButtonBox::Cancel)->text(), cancel);
        },
        CancelChooser());
  };
  Then(buttons("&Открыть", "Отмена"));
  Press(form->ToolButton2);
  auto english = ui_testing::EnglishLanguage();
  form->LanguageChanged(nullptr, english.get());
  Then(buttons("&Open", "Cancel"));
  Press(form->ToolButton2);
}

TEST_F(PackCommands, APackErrorIsToldInTheCurrentLanguageAndTheListsShowTheModel) {
  OpenPackOf(2);
  EditPack();
  ClickSmile(1);
  auto english = ui_testing::EnglishLanguage();
  form->LanguageChanged(nullptr, english.get());
  // The copy into the working storage fails part-way through the open.
  Model().OnStage = [](TDefineDecoder*, unsigned char, int, int) {
    throw EPackError(EPackError::pkOpenCopyFailed, "/packs/x/aa.gif");
  };
  std::string other = MakePack("other", ":x", {"aa"});
  std::string message;
  Then(ChooseFiles({other + "_define.ini"}));
  Then(Expect("TForm11", Return(mrNo)));
  Then(Message(&message));
  Press(form->ToolButton2);
  EXPECT_EQ(message, EPackError::Format(english->Text(GeneralLang, 19), "/packs/x/aa.gif"));
  EXPECT_EQ(Smiles(), ModelSmiles());
  EXPECT_EQ(SelectedSmile(), -1);
  EXPECT_EQ(form->CurrentPicture, nullptr);
  EXPECT_FALSE(dialogs->LoadForm->isVisible());
}

TEST_F(PackCommands, AboutShowsTheAboutBox) {
  Then(Expect("TForm5", Return(mrOk)));
  Press(form->ToolButton13);
}

TEST_F(PackCommands, ExitClosesTheWindowUnlessTheCloseIsRefused) {
  OpenPackOf(1);
  EditPack();
  Model().Config->SetFlag(TConfigManager::cfSaveOnExit, true);
  Then(Expect("TForm11", Return(mrCancel)));
  Press(form->BitBtn9);
  EXPECT_TRUE(form->Initialized);
  Then(Return(mrNo));
  Exit();
}

// ---------------------------------------------------------------------------------------------
// A close (a termination request, a log-out) that arrives while a command asks a question

namespace {

struct Question;

class CloseDuringQuestion : public CommandsTest,
                            public ::testing::WithParamInterface<const Question*> {
public:
  // Each brings the window to one question, queueing the answers before it.
  void EmptyLineWhileOpening() {
    std::string folder = MakePack("p", "\r\n:b", {"aa", "ab"});
    Then(ChooseFiles({folder + "_define.ini"}));
    Then(Meanwhile());
    Press(form->ToolButton2);
  }
  void MissingPictureWhileOpening() {
    std::string folder = MakePack("p", ":a\r\n:b\r\n:c", {"ab", "ac"});
    Then(ChooseFiles({folder + "_define.ini"}));
    Then(Meanwhile());
    Press(form->ToolButton2);
  }
  void SaveQuestion() {
    OpenPackOf(2);
    EditPack();
    Then(Meanwhile());
    Press(form->ToolButton1);
  }
  void SaveErrors() {
    std::string folder = MakePack("p", "\r\n:b", {"aa", "ab"});
    Then(ChooseFiles({folder + "_define.ini"}));
    Then(Click("BitBtn2"));  // the empty line stays
    Press(form->ToolButton2);
    Then(Meanwhile());
    Press(form->ToolButton3);
  }
  void DeleteWarning() {
    OpenPackOf(2);
    ClickSmile(0);
    Then(Meanwhile());
    Press(form->BitBtn7);
  }
  void SymbolEntry() {
    OpenPackOf(1);
    ClickSmile(0);
    Then(Meanwhile());
    Press(form->BitBtn5);
  }
  void SymbolExists() {
    OpenPackOf(2);
    ClickSmile(0);
    Then(TypeSymbol(":1"));
    Then(Meanwhile());
    Press(form->BitBtn5);
  }
  void RefusedSymbolMessage() {
    OpenPackOf(1);
    ClickSmile(0);
    Then(TypeSymbol("a,b"));
    Then(Meanwhile());
    Press(form->BitBtn5);
  }
  void PictureChooser() {
    OpenPackOf(1);
    Then(Meanwhile());
    Press(form->BitBtn4);
  }
  void FolderChooser() {
    OpenPackOf(1);
    Then(Meanwhile());
    Press(form->ToolButton4);
  }
  void Options() {
    Then(Meanwhile());
    Press(form->ToolButton11);
  }
  void About() {
    Then(Meanwhile());
    Press(form->ToolButton13);
  }

protected:
  // The answer to the question in test: the window is asked to close meanwhile.
  TAnswer Meanwhile();
};

struct Question {
  const char* name;
  const char* dialog;
  void (CloseDuringQuestion::*ask)();
};

TAnswer CloseDuringQuestion::Meanwhile() { return Expect(GetParam()->dialog, CloseMeanwhile()); }

const Question kQuestions[] = {
    {"EmptyLineWhileOpening", "TForm12", &CloseDuringQuestion::EmptyLineWhileOpening},
    {"MissingPictureWhileOpening", "TForm10", &CloseDuringQuestion::MissingPictureWhileOpening},
    {"SaveQuestion", "TForm11", &CloseDuringQuestion::SaveQuestion},
    {"SaveErrors", "TForm3", &CloseDuringQuestion::SaveErrors},
    {"DeleteWarning", "TForm7", &CloseDuringQuestion::DeleteWarning},
    {"SymbolEntry", "TForm4", &CloseDuringQuestion::SymbolEntry},
    {"SymbolExists", "TForm6", &CloseDuringQuestion::SymbolExists},
    {"Message", "QMessageBox", &CloseDuringQuestion::RefusedSymbolMessage},
    {"PictureChooser", "QFileDialog", &CloseDuringQuestion::PictureChooser},
    {"FolderChooser", "QFileDialog", &CloseDuringQuestion::FolderChooser},
    {"Options", "TForm9", &CloseDuringQuestion::Options},
    {"About", "TForm5", &CloseDuringQuestion::About},
};

}  // namespace

TEST_P(CloseDuringQuestion, WaitsUntilTheCommandHasReturnedAndLosesNothing) {
  (this->*GetParam()->ask)();
  ASSERT_TRUE(form->Initialized);
  EXPECT_EQ(Smiles(), ModelSmiles());
  Strings shown = Smiles();
  ASSERT_TRUE(ui_testing::WaitUntil([this] { return !form->Initialized; }));
  EXPECT_TRUE(WorkspaceFree());
  dialogs.reset();
  form.reset();
  Start();
  EXPECT_EQ(Smiles(), shown);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, CloseDuringQuestion, ::testing::ValuesIn(
                             [] {
                               std::vector<const Question*> all;
                               for (const Question& q : kQuestions) all.push_back(&q);
                               return all;
                             }()),
                         [](const auto& info) { return std::string(info.param->name); });

TEST_F(PackCommands, AClosePutOffByAQuestionAsksAboutSavingWhenItRuns) {
  OpenPackOf(2);
  EditPack();
  Model().Config->SetFlag(TConfigManager::cfSaveOnExit, true);
  ClickSmile(0);
  Then(Expect("TForm7", CloseMeanwhile()));
  Press(form->BitBtn7);
  EXPECT_EQ(Model().SmileCount(), 2);  // the warning ended as with Cancel
  Then(Expect("TForm11", Return(mrNo)));
  ASSERT_TRUE(ui_testing::WaitUntil([this] { return !form->Initialized; }));
  EXPECT_TRUE(WorkspaceFree());
}

// ---------------------------------------------------------------------------------------------
// Smile commands

TEST_F(SmileCommands, ThreePicturesAddedAfterSmileFourGoToFiveSixAndSeven) {
  OpenPackOf(10);
  ClickSmile(4);
  Then(ChooseFiles({MakePicture("n1.gif", "n1"), MakePicture("n2.gif", "n2"),
                    MakePicture("n3.gif", "n3")}));
  Press(form->BitBtn4);
  EXPECT_EQ(StorageTags(), (Strings{"p0", "p1", "p2", "p3", "p4", "n1", "n2", "n3", "p5", "p6",
                                    "p7", "p8", "p9"}));
  EXPECT_EQ(SelectedSmile(), 7);
  EXPECT_EQ(Count(), "13");
  EXPECT_EQ(Smiles()[7], "ah.gif (Нет)");
  EXPECT_EQ(Symbols(), Strings{});
  EXPECT_TRUE(form->BitBtn5->isEnabled());
}

TEST_F(SmileCommands, PicturesAddedWithNothingSelectedGoToTheFront) {
  OpenPackOf(2);
  Then(ChooseFiles({MakePicture("n1.gif", "n1"), MakePicture("n2.gif", "n2"),
                    MakePicture("n3.gif", "n3")}));
  Press(form->BitBtn4);
  EXPECT_EQ(StorageTags(), (Strings{"n1", "n2", "n3", "p0", "p1"}));
  EXPECT_EQ(SelectedSmile(), 2);
}

TEST_F(SmileCommands, PicturesAddedToAnEmptyPackComeInTheChoosersOrder) {
  Press(form->ToolButton1);
  Then(InspectChooser(
      [](QFileDialog& chooser) {
        EXPECT_EQ(chooser.windowTitle(), "Загрузка смайла");
        EXPECT_EQ(chooser.fileMode(), QFileDialog::ExistingFiles);
      },
      ChooseFiles({MakePicture("n1.gif", "n1"), MakePicture("n2.gif", "n2")})));
  Press(form->BitBtn4);
  EXPECT_TRUE(form->OpenDialog2.Filter.ends_with("|GIF-файлы (*.gif)|*.gif|Все файлы (*.*)|*.*"))
      << form->OpenDialog2.Filter;
  EXPECT_EQ(StorageTags(), (Strings{"n1", "n2"}));
  EXPECT_EQ(Smiles(), (Strings{"aa.gif (Нет)", "ab.gif (Нет)"}));
  EXPECT_EQ(StorageDefine(), "\r\n\r\n");
  EXPECT_EQ(SelectedSmile(), 1);
}

TEST_F(SmileCommands, TheStaticPacksPictureChooserOffersBmpFilesAndStartsWhereTheLastOnesWere) {
  Press(form->ToolButton7);
  Press(form->ToolButton1);
  std::string first = MakePicture("s1.bmp", "s1", spStatic);
  Then(ChooseFiles({first}));
  Press(form->BitBtn4);
  // Every picture kind first: PNG, JPEG, WebP and the pack's own kinds among them.
  const std::string& filter = form->OpenDialog2.Filter;
  EXPECT_TRUE(filter.starts_with("Все картинки|")) << filter;
  for (const char* pattern : {"*.png;", "*.jpg;", "*.jpeg;", "*.webp;", "*.gif;", "*.bmp;"})
    EXPECT_NE(filter.find(pattern), std::string::npos) << pattern;
  EXPECT_TRUE(filter.ends_with("|BMP-файлы (*.bmp)|*.bmp|Все файлы (*.*)|*.*")) << filter;
  EXPECT_EQ(form->OpenDialog2.DefaultExt, "bmp");
  Then(InspectChooser(
      [&](QFileDialog& chooser) {
        EXPECT_EQ(chooser.directory().absolutePath().toStdString() + "/",
                  platform::ExtractFilePath(first));
      },
      CancelChooser()));
  Press(form->BitBtn4);
  EXPECT_EQ(StorageTags(), Strings{"s1"});
}

TEST_F(SmileCommands, APictureTheModelCannotTakeLeavesNoGapBetweenTheNewSmiles) {
  OpenPackOf(3);
  ClickSmile(0);
  form->AddSmileFiles({MakePicture("n1.gif", "n1"), disk.Path() + "gone.gif",
                       MakePicture("n2.gif", "n2")},
                      0);
  EXPECT_EQ(StorageTags(), (Strings{"p0", "n1", "n2", "p1", "p2"}));
  EXPECT_EQ(SelectedSmile(), 2);
}

TEST_F(SmileCommands, PicturesThatCannotAllBeAddedAddNoneAndTheListShowsTheModel) {
  // A long first line, built in two steps: g++ 12 takes the concatenation for an overflow.
  std::string define(300, 'x');
  define += "\r\n:1";
  OpenPack(MakePack("pack", define, {"aa", "ab"}));
  ClickSmile(0);
  std::string message;
  Then(ChooseFiles({MakePicture("n1.gif", "n1"), MakePicture("n2.gif", "n2"),
                    MakePicture("n3.gif", "n3")}));
  Then(Message(&message));
  {
    // Room for one more definition line, not three: the disk fills up.
    ScopedFileSizeLimit limit(StorageDefine().size() + 2);
    Press(form->BitBtn4);
  }
  EXPECT_NE(message.find("Unable to write to"), std::string::npos) << message;
  ASSERT_EQ(Model().SmileCount(), 2);
  EXPECT_EQ(Smiles(), ModelSmiles());
  EXPECT_EQ(Count(), "2");
  EXPECT_EQ(SelectedSmile(), -1);
  // What the list shows is what a delete removes.
  ClickSmile(1);
  Then(Warning(false, mrOk));
  Press(form->BitBtn7);
  EXPECT_EQ(StorageTags(), (Strings{"aa"}));
}

TEST_F(SmileCommands, DeletingTheOnlySmileLeavesAnEmptyListWithNothingSelected) {
  OpenPackOf(1);
  ClickSmile(0);
  Then(Expect("TForm7", Warning(false, mrOk)));
  Press(form->BitBtn7);
  EXPECT_EQ(Smiles(), Strings{});
  EXPECT_EQ(SelectedSmile(), -1);
  EXPECT_EQ(Count(), "0");
  EXPECT_FALSE(form->BitBtn7->isEnabled());
  EXPECT_EQ(form->CurrentPicture, nullptr);
}

TEST_F(SmileCommands, DeletingSmileZeroSelectsTheNewSmileZero) {
  OpenPackOf(3);
  ClickSmile(0);
  Then(Warning(false, mrOk));
  Press(form->BitBtn7);
  EXPECT_EQ(StorageTags(), (Strings{"p1", "p2"}));
  EXPECT_EQ(SelectedSmile(), 0);
  EXPECT_EQ(Symbols(), Strings{":1"});
  EXPECT_NE(form->CurrentPicture, nullptr);
  EXPECT_EQ(Count(), "2");
}

TEST_F(SmileCommands, DeletingALaterSmileSelectsTheOneBeforeIt) {
  OpenPackOf(3);
  ClickSmile(2);
  Then(Warning(false, mrOk));
  Press(form->BitBtn7);
  EXPECT_EQ(SelectedSmile(), 1);
  EXPECT_EQ(StorageDefine(), ":0\r\n:1");
}

TEST_F(SmileCommands, AWarningNamesWhatGoesAndACancelledOneDeletesNothing) {
  OpenPackOf(2);
  ClickSmile(1);
  ClickSymbol(0);
  std::string text;
  const std::tuple<QPushButton*, std::string> deletions[] = {
      {form->BitBtn7, "Удалить смайл 2 (:1, рисунок ab.gif)?"},
      {form->BitBtn16, "Удалить рисунок ab.gif смайла 2 (:1)?"},
      {form->BitBtn6, "Удалить символ :1 смайла 2 (:1)?"}};
  for (const auto& [button, start] : deletions) {
    Then(Warning(false, mrCancel, &text));
    Press(button);
    EXPECT_EQ(text, start + " Его можно вернуть командой «Отменить» (Ctrl+Z).");
  }
  EXPECT_EQ(Model().SmileCount(), 2);
  EXPECT_EQ(SelectedSmile(), 1);
  EXPECT_EQ(Symbols(), Strings{":1"});
  EXPECT_TRUE(ShowWarnings(*form));
}

TEST_F(SmileCommands, TickingTheWarningsCheckBoxAndCancellingStillTurnsTheWarningsOff) {
  OpenPackOf(3);
  ClickSmile(0);
  Then(Warning(true, mrCancel));
  Press(form->BitBtn7);
  EXPECT_EQ(Model().SmileCount(), 3);
  EXPECT_FALSE(ShowWarnings(*form));

  Press(form->BitBtn7);  // no warning now
  EXPECT_EQ(Model().SmileCount(), 2);
  Press(form->BitBtn16);
  EXPECT_FALSE(Model().GetSmile(0)->HasPicture);
}

TEST_F(SmileCommands, ReplacingAPictureKeepsTheSymbolsAndThePlaceAndTakesTheFirstFile) {
  OpenPackOf(3);
  ClickSmile(1);
  ClickSymbol(0);
  Then(ChooseFiles({MakePicture("r1.gif", "r1"), MakePicture("r2.gif", "r2")}));
  Press(form->BitBtn11);
  EXPECT_EQ(StorageTags(), (Strings{"p0", "r1", "p2"}));
  EXPECT_EQ(SelectedSmile(), 1);
  EXPECT_EQ(SelectedSymbol(), -1);
  EXPECT_EQ(Symbols(), Strings{":1"});
  EXPECT_NE(form->CurrentPicture, nullptr);
}

TEST_F(SmileCommands, DeletingAPictureKeepsTheSmileWithoutOne) {
  OpenPackOf(3);
  ClickSmile(1);
  Then(Warning(false, mrOk));
  Press(form->BitBtn16);
  EXPECT_EQ(Smiles(), (Strings{"aa.gif (:0)", "Нет (:1)", "ac.gif (:2)"}));
  EXPECT_EQ(StorageTags(), (Strings{"p0", "-", "p2"}));
  EXPECT_EQ(SelectedSmile(), 1);
  EXPECT_EQ(form->CurrentPicture, nullptr);
  EXPECT_EQ(form->StaticText2->text(), "");
}

TEST_F(SmileCommands, AMovedSmileStaysSelected) {
  OpenPackOf(3);
  ClickSmile(1);
  Press(form->BitBtn12);
  EXPECT_EQ(StorageTags(), (Strings{"p1", "p0", "p2"}));
  EXPECT_EQ(SelectedSmile(), 0);
  EXPECT_FALSE(form->BitBtn12->isEnabled());
  Press(form->BitBtn13);
  Press(form->BitBtn13);
  EXPECT_EQ(StorageTags(), (Strings{"p0", "p2", "p1"}));
  EXPECT_EQ(SelectedSmile(), 2);
  EXPECT_FALSE(form->BitBtn13->isEnabled());
  EXPECT_EQ(StorageDefine(), ":0\r\n:2\r\n:1");
  EXPECT_EQ(Symbols(), Strings{":1"});
}

// ---------------------------------------------------------------------------------------------
// Symbol commands

TEST_F(SymbolCommands, ANewSymbolFollowsTheSelectedOneOrGoesFirst) {
  OpenPackOf(2);
  ClickSmile(1);
  Then(Expect("TForm4", [](QDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Новый символ");
    return TypeSymbol(":first")(dialog);
  }));
  Press(form->BitBtn5);
  EXPECT_EQ(Symbols(), (Strings{":first", ":1"}));
  EXPECT_EQ(SelectedSymbol(), 0);
  EXPECT_EQ(SelectedSmile(), 1);
  EXPECT_EQ(Smiles()[1], "ab.gif (:first)");
  EXPECT_EQ(StorageDefine(), ":0\r\n:first,:1");

  ClickSymbol(1);
  Then([](QDialog& dialog) {
    // A new symbol starts from nothing, not from the last text typed.
    auto* entry = qobject_cast<TForm4*>(&dialog);
    EXPECT_TRUE(entry && entry->Edit1->text().isEmpty());
    return TypeSymbol(":last")(dialog);
  });
  Press(form->BitBtn5);
  EXPECT_EQ(Symbols(), (Strings{":first", ":1", ":last"}));
  EXPECT_EQ(SelectedSymbol(), 2);
}

TEST_F(SymbolCommands, AddingASymbolAnotherSmileHoldsShowsItOnRequest) {
  OpenPackOf(3);
  ClickSmile(0);
  Then(TypeSymbol(":2"));
  Then(Expect("TForm6", Return(mrOk)));
  Press(form->BitBtn5);
  EXPECT_EQ(SelectedSmile(), 0);
  EXPECT_EQ(Symbols(), Strings{":0"});

  Then(TypeSymbol(":2"));
  Then(Click("BitBtn1"));  // show the symbol
  Press(form->BitBtn5);
  EXPECT_EQ(SelectedSmile(), 2);
  EXPECT_EQ(SelectedSymbol(), 0);
  EXPECT_EQ(StorageDefine(), ":0\r\n:1\r\n:2");
}

TEST_F(SymbolCommands, ASymbolInOtherLetterCaseCountsAsExisting) {
  std::string folder = MakePack("pack", Cp1251(":-D\r\nпривет"), {"aa", "ab"});
  OpenPack(folder);
  ClickSmile(0);
  Then(TypeSymbol(":-d"));
  Then(ui_testing::CloseBox());  // the close box shows the symbol, too
  Press(form->BitBtn5);
  EXPECT_EQ(SelectedSmile(), 0);
  EXPECT_EQ(SelectedSymbol(), 0);

  Then(TypeSymbol("ПРИВЕТ"));
  Then(Return(mrCancel));
  Press(form->BitBtn5);
  EXPECT_EQ(SelectedSmile(), 1);
  EXPECT_EQ(Symbols(), Strings{"привет"});
  EXPECT_EQ(Model().GetSmile(0)->Symbols.Count(), 1);
}

TEST_F(SymbolCommands, ASymbolWindows1251CannotHoldIsRefusedWithAMessage) {
  OpenPackOf(1);
  ClickSmile(0);
  std::string message;
  Then(TypeSymbol("☺"));
  Then(Message(&message));
  Press(form->BitBtn5);
  EXPECT_NE(message.find("Windows-1251"), std::string::npos) << message;
  EXPECT_EQ(Symbols(), Strings{":0"});
  EXPECT_EQ(StorageDefine(), ":0");

  // Cyrillic, and the euro sign, are Windows-1251 characters.
  Then(TypeSymbol("ёж€"));
  Press(form->BitBtn5);
  EXPECT_EQ(Symbols(), (Strings{"ёж€", ":0"}));
  EXPECT_EQ(StorageDefine(), Cp1251("ёж€,:0"));
}

TEST_F(SymbolCommands, ASymbolWithACommaIsRefusedAndAnEmptyOneIgnored) {
  OpenPackOf(1);
  ClickSmile(0);
  std::string message;
  Then(TypeSymbol("a,b"));
  Then(Message(&message));
  Press(form->BitBtn5);
  EXPECT_NE(message.find("запят"), std::string::npos) << message;
  Then(TypeSymbol("   "));
  Press(form->BitBtn5);
  EXPECT_EQ(Symbols(), Strings{":0"});
  EXPECT_EQ(StorageDefine(), ":0");
}

TEST_F(SymbolCommands, ASymbolWithAControlCharacterIsRefusedWhenAddedOrEdited) {
  OpenPackOf(1);
  ClickSmile(0);
  // A line break would give the next start an extra smile, a Ctrl+Z would end the file early.
  for (const char* typed : {"q1\nq2", "a\x1A" "b", "t\tt", "d\x7F" "d"}) {
    std::string message;
    Then(TypeSymbol(typed));
    Then(Message(&message));
    Press(form->BitBtn5);
    EXPECT_NE(message.find("управляющие знаки"), std::string::npos) << message;
  }
  ClickSymbol(0);
  std::string message;
  Then(TypeSymbol("q1\nq2"));
  Then(Message(&message));
  Press(form->BitBtn17);
  EXPECT_NE(message.find("управляющие знаки"), std::string::npos) << message;
  EXPECT_EQ(Symbols(), Strings{":0"});
  EXPECT_EQ(StorageDefine(), ":0");
}

TEST_F(SymbolCommands, CancellingTheSymbolDialogChangesNothing) {
  OpenPackOf(1);
  ClickSmile(0);
  Then(TypeSymbol(":new", mrCancel));
  Press(form->BitBtn5);
  EXPECT_EQ(Symbols(), Strings{":0"});
}

TEST_F(SymbolCommands, EditingReplacesTheSymbolAndItsCaption) {
  std::string folder = MakePack("pack", Cp1251("ёлка,:b"), {"aa"});
  OpenPack(folder);
  ClickSmile(0);
  ClickSymbol(0);
  Then(Expect("TForm4", [](QDialog& dialog) {
    auto& entry = static_cast<TForm4&>(dialog);
    EXPECT_EQ(dialog.windowTitle(), "Редактирование символа");
    EXPECT_EQ(entry.Edit1->text(), "ёлка");
    return TypeSymbol("ель")(dialog);
  }));
  Press(form->BitBtn17);
  EXPECT_EQ(Symbols(), (Strings{"ель", ":b"}));
  EXPECT_EQ(SelectedSymbol(), 0);
  EXPECT_EQ(Smiles(), Strings{"aa.gif (ель)"});
  EXPECT_EQ(StorageDefine(), Cp1251("ель,:b"));
}

TEST_F(SymbolCommands, ConfirmingAnEditUnchangedFindsTheSymbolItself) {
  OpenPackOf(2);
  ClickSmile(1);
  ClickSymbol(0);
  Then(TypeSymbol(":1"));
  Then(Expect("TForm6", Return(mrOk)));
  Press(form->BitBtn17);
  EXPECT_EQ(Symbols(), Strings{":1"});
  EXPECT_EQ(SelectedSymbol(), 0);
}

TEST_F(SymbolCommands, AnEditThatOnlyChangesLetterCaseIsStored) {
  std::string folder = MakePack("pack", ":-d,:p", {"aa"});
  OpenPack(folder);
  ClickSmile(0);
  ClickSymbol(0);
  Then(TypeSymbol(":-D"));
  Press(form->BitBtn17);
  EXPECT_EQ(Symbols(), (Strings{":-D", ":p"}));
  EXPECT_EQ(StorageDefine(), ":-D,:p");

  // Unless another symbol already is that text.
  ClickSymbol(1);
  Then(TypeSymbol(":-d"));
  Then(Expect("TForm6", Return(mrOk)));
  Press(form->BitBtn17);
  EXPECT_EQ(Symbols(), (Strings{":-D", ":p"}));
}

TEST_F(SymbolCommands, DeletingSymbolsSelectsTheOneBeforeOrTheNewFirst) {
  std::string folder = MakePack("pack", "a,b,c", {"aa"});
  OpenPack(folder);
  ClickSmile(0);
  ClickSymbol(2);
  Then(Warning(false, mrOk));
  Press(form->BitBtn6);
  EXPECT_EQ(Symbols(), (Strings{"a", "b"}));
  EXPECT_EQ(SelectedSymbol(), 1);

  ClickSymbol(0);
  Then(Warning(false, mrOk));
  Press(form->BitBtn6);
  EXPECT_EQ(Symbols(), Strings{"b"});
  EXPECT_EQ(SelectedSymbol(), 0);
  EXPECT_EQ(Smiles(), Strings{"aa.gif (b)"});
  EXPECT_EQ(SelectedSmile(), 0);

  Then(Warning(false, mrOk));
  Press(form->BitBtn6);
  EXPECT_EQ(Symbols(), Strings{});
  EXPECT_EQ(SelectedSymbol(), -1);
  EXPECT_EQ(Smiles(), Strings{"aa.gif (Нет)"});
  EXPECT_EQ(StorageDefine(), "\r\n");
}

TEST_F(SymbolCommands, FindSelectsTheFirstSmileHoldingTheTextInAnyLetterCase) {
  std::string folder = MakePack("pack", Cp1251("a\r\nb,Ёж\r\nёж"), {"aa", "ab", "ac"});
  OpenPack(folder);
  Then(Expect("TForm4", [](QDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Поиск символа");
    return TypeSymbol("ЁЖ")(dialog);
  }));
  Press(form->BitBtn18);
  EXPECT_EQ(SelectedSmile(), 1);
  EXPECT_EQ(SelectedSymbol(), 1);
  EXPECT_TRUE(form->BitBtn17->isEnabled());
}

TEST_F(SymbolCommands, FindingNothingSaysSoAndKeepsTheSelection) {
  OpenPackOf(2);
  ClickSmile(1);
  ClickSymbol(0);
  std::string message;
  Then(TypeSymbol(":none"));
  Then(Message(&message));
  Press(form->BitBtn18);
  EXPECT_EQ(message, "Ни у одного смайла нет символа «:none».");
  EXPECT_EQ(SelectedSmile(), 1);
  EXPECT_EQ(SelectedSymbol(), 0);
  EXPECT_NE(form->CurrentPicture, nullptr);

  Then(TypeSymbol("☺"));  // no pack can hold it, so no smile does
  Then(Message(&message));
  Press(form->BitBtn18);
  EXPECT_EQ(message, "Ни у одного смайла нет символа «☺».");
  EXPECT_EQ(SelectedSmile(), 1);
}

TEST_F(SymbolCommands, MovingASymbolIntoFirstPlaceChangesTheCaption) {
  std::string folder = MakePack("pack", ":a\r\nx,y,z", {"aa", "ab"});
  OpenPack(folder);
  ClickSmile(1);
  ClickSymbol(1);
  Press(form->BitBtn14);
  EXPECT_EQ(Symbols(), (Strings{"y", "x", "z"}));
  EXPECT_EQ(SelectedSymbol(), 0);
  EXPECT_EQ(SelectedSmile(), 1);
  EXPECT_EQ(Smiles()[1], "ab.gif (y)");
  EXPECT_FALSE(form->BitBtn14->isEnabled());
  Press(form->BitBtn15);
  Press(form->BitBtn15);
  EXPECT_EQ(Symbols(), (Strings{"x", "z", "y"}));
  EXPECT_EQ(SelectedSymbol(), 2);
  EXPECT_FALSE(form->BitBtn15->isEnabled());
  EXPECT_EQ(StorageDefine(), ":a\r\nx,z,y");
}

// ---------------------------------------------------------------------------------------------
// Keyboard

namespace {

class ShownWindow {
public:
  explicit ShownWindow(QWidget& window) : window_(window) {
    window_.show();
    window_.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window_));
  }
  ~ShownWindow() { window_.hide(); }

private:
  QWidget& window_;
};

}  // namespace

TEST_F(Keyboard, PackShortcutsPressTheirButtonsOnlyWhileTheyAreEnabled) {
  ShownWindow shown(*form);
  QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);  // no pack: save is disabled
  QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);  // nor found
  Then(Expect("QFileDialog", CancelChooser()));
  QTest::keyClick(form.get(), Qt::Key_O, Qt::ControlModifier);

  Press(form->ToolButton1);
  // A smile with a symbol: worth the save question, and saved without the error summary.
  ASSERT_NE(Model().AddSmile(MakePicture("x.gif", "x")), nullptr);
  Model().GetSmile(0)->Symbols.Add(":x");
  Then(Expect("TForm11", Return(mrCancel)));
  QTest::keyClick(form.get(), Qt::Key_N, Qt::ControlModifier);
  Then(Expect("QFileDialog", CancelChooser()));
  QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);  // a new pack saves through save as
  Then(Expect("QFileDialog", CancelChooser()));
  QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  Then(Expect("TForm4", TypeSymbol(":x", mrCancel)));
  QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
  QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);  // the filter field, no dialog
  EXPECT_TRUE(form->FilterEdit->hasFocus());
  Then(Expect("TForm11", Return(mrNo)));
  QTest::keyClick(form.get(), Qt::Key_W, Qt::ControlModifier);
  EXPECT_FALSE(Model().LoadedPacks.Contains(spAnimated));
}

TEST_F(Keyboard, ListKeysWorkOnTheListThatHasTheFocus) {
  ShownWindow shown(*form);
  OpenPackOf(3);
  Model().Config->SetFlag(TConfigManager::cfShowWarnings, false);
  form->ListBox1->setFocus();
  ClickSmile(0);
  QTest::keyClick(form->ListBox1, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(StorageTags(), (Strings{"p1", "p0", "p2"}));
  EXPECT_EQ(SelectedSmile(), 1);
  QTest::keyClick(form->ListBox1, Qt::Key_Up, Qt::AltModifier);
  EXPECT_EQ(SelectedSmile(), 0);
  QTest::keyClick(form->ListBox1, Qt::Key_Delete);
  EXPECT_EQ(StorageTags(), (Strings{"p1", "p2"}));

  Then(TypeSymbol(":b"));
  Press(form->BitBtn5);
  form->ListBox2->setFocus();
  ClickSymbol(0);
  QTest::keyClick(form->ListBox2, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(Symbols(), (Strings{":1", ":b"}));
  EXPECT_EQ(SelectedSymbol(), 1);
  Then(Expect("TForm4", TypeSymbol(":c")));
  QTest::keyClick(form->ListBox2, Qt::Key_Return);
  EXPECT_EQ(Symbols(), (Strings{":1", ":c"}));
  QTest::keyClick(form->ListBox2, Qt::Key_Delete);
  EXPECT_EQ(Symbols(), Strings{":1"});
  EXPECT_EQ(Model().SmileCount(), 2);  // the smile list's delete did not run
}

TEST_F(Keyboard, HintsNameTheShortcutsInEveryLanguage) {
  EXPECT_EQ(form->ToolButton1->toolTip(), "Новый смайлпак (Ctrl+N)");
  EXPECT_EQ(form->ToolButton4->toolTip(), "Сохранить смайлпак как... (Ctrl+Shift+S)");
  EXPECT_EQ(form->BitBtn7->toolTip(), "Удалить смайл (Del)");
  EXPECT_EQ(form->BitBtn15->toolTip(), "Опустить символ вниз (Alt+Вниз)");  // Qt's key names
  EXPECT_EQ(form->BitBtn17->toolTip(), "Редактировать символ (F2)");
  EXPECT_EQ(form->BitBtn4->toolTip(), "Добавить смайл (Ins)");
  EXPECT_EQ(form->BitBtn12->toolTip(), "Поднять смайл вверх (Alt+Вверх; в начало: Alt+Home)");
  EXPECT_EQ(form->ToolButton15->toolTip(), "Отменить (Ctrl+Z)");

  auto english = ui_testing::EnglishLanguage();
  form->LanguageChanged(nullptr, english.get());
  form->ApplyShortcutHints();  // a second run adds nothing
  EXPECT_EQ(form->ToolButton1->toolTip(), "New smile pack (Ctrl+N)");
  EXPECT_EQ(form->BitBtn15->toolTip(), "Move symbol down (Alt+Down)");
  EXPECT_EQ(form->BitBtn13->toolTip(), "Move smile down (Alt+Down; to the last place: Alt+End)");
  EXPECT_EQ(form->ToolButton16->toolTip(), "Redo (Ctrl+Shift+Z, Ctrl+Y)");
  EXPECT_EQ(form->SaveFailedText, "The smile pack could not be saved.");
}

// ---------------------------------------------------------------------------------------------
// Picture files dropped on the smile list

namespace {

// Drags Files over the smile list's viewport and drops them at Point; true when the list
// accepted the drag and the drop.
bool DropOnSmileList(TForm1& form, const std::vector<std::string>& files, QPoint point) {
  QMimeData data;
  QList<QUrl> urls;
  for (const std::string& file : files) urls << QUrl::fromLocalFile(QString::fromStdString(file));
  data.setUrls(urls);
  QWidget* viewport = form.ListBox1->viewport();
  QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(viewport, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(point), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(viewport, &drop);
  return drop.isAccepted();
}

QRect ItemRect(TForm1& form, int row) {
  return form.ListBox1->visualRect(form.ListBox1->model()->index(row, 0));
}

}  // namespace

TEST_F(DroppedFiles, PicturesDroppedOnASmileGoBeforeOrAfterItByTheHalfTheyAreDroppedOn) {
  ShownWindow shown(*form);
  OpenPackOf(3);
  QRect second = ItemRect(*form, 1);
  ASSERT_TRUE(second.isValid());
  ASSERT_TRUE(DropOnSmileList(*form, {MakePicture("n1.gif", "n1"), MakePicture("n2.gif", "n2")},
                              QPoint(second.center().x(), second.bottom() - 1)));
  EXPECT_EQ(StorageTags(), (Strings{"p0", "p1", "n1", "n2", "p2"}));
  EXPECT_EQ(SelectedSmile(), 3);
  EXPECT_EQ(Count(), "5");

  QRect first = ItemRect(*form, 0);
  ASSERT_TRUE(DropOnSmileList(*form, {MakePicture("n3.gif", "n3")},
                              QPoint(first.center().x(), first.top() + 1)));
  EXPECT_EQ(StorageTags(), (Strings{"n3", "p0", "p1", "n1", "n2", "p2"}));
  EXPECT_EQ(SelectedSmile(), 0);

  QRect last = ItemRect(*form, 5);
  ASSERT_LT(last.bottom() + 20, form->ListBox1->viewport()->height());
  ASSERT_TRUE(DropOnSmileList(*form, {MakePicture("n4.GIF", "n4")},
                              QPoint(last.center().x(), last.bottom() + 20)));
  EXPECT_EQ(StorageTags().back(), "n4");
  EXPECT_EQ(SelectedSmile(), 6);
}

TEST_F(DroppedFiles, PicturesThatCannotAllBeTakenAddNoneAndTheListShowsTheModel) {
  ShownWindow shown(*form);
  OpenPack(MakePack("pack", std::string(300, 'x'), {"aa"}));
  std::vector<std::string> files = {MakePicture("n1.gif", "n1"), MakePicture("n2.gif", "n2")};
  QPoint belowTheSmiles(10, form->ListBox1->viewport()->height() - 5);
  std::string message;
  Then(Message(&message));
  {
    // Room for the first new definition line (the last line then ends in a line break, too).
    ScopedFileSizeLimit limit(StorageDefine().size() + 4);
    EXPECT_TRUE(DropOnSmileList(*form, files, belowTheSmiles));
  }
  EXPECT_NE(message.find("Unable to write to"), std::string::npos) << message;
  EXPECT_EQ(Model().SmileCount(), 1);
  EXPECT_EQ(Smiles(), ModelSmiles());
}

TEST_F(DroppedFiles, PicturesOfEveryKindAreTakenAndOtherFilesAreNot) {
  ShownWindow shown(*form);
  QPoint belowTheSmiles(10, form->ListBox1->viewport()->height() - 5);
  std::string gif = MakePicture("n1.gif", "n1");
  EXPECT_FALSE(DropOnSmileList(*form, {gif}, belowTheSmiles)) << "no pack is loaded";

  OpenPackOf(1);
  std::string bmp = MakePicture("s1.BMP", "s1", spStatic);
  std::string text = disk.Path() + "notes.txt";
  WriteBytes(text, "x");
  EXPECT_FALSE(DropOnSmileList(*form, {text, disk.Path()}, belowTheSmiles));
  EXPECT_TRUE(DropOnSmileList(*form, {bmp, gif, text}, belowTheSmiles));
  // The BMP became a GIF of the animated pack; the GIF was taken as it is.
  EXPECT_EQ(StorageTags(), (Strings{"p0", "?", "n1"}));
  ASSERT_TRUE(Model().GetSmile(1)->HasPicture);
  EXPECT_EQ(Model().GetSmile(1)->FrameCount, 1);
}
