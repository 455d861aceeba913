// SPDX-License-Identifier: GPL-3.0-or-later
// The eleven dialogs together: which language text reaches which control, and what every
// button, the close box and the keys end each dialog with.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <set>
#include <stdexcept>

#include "Dialogs.h"
#include "LangTables.h"
#include "ModalResult.h"
#include "TestSupport.h"
#include "UiTestSupport.h"

using namespace ui_testing;

namespace {

// The dialog whose object name (its language section) is `name`.
TModalForm& Modal(TDialogs& dialogs, const std::string& name);

// The text a control shows: "" names the window caption.
QString TextOf(QWidget& form, const std::string& control) {
  if (control.empty()) return form.windowTitle();
  QWidget* child = form.findChild<QWidget*>(QString::fromStdString(control));
  if (!child) {
    ADD_FAILURE() << form.objectName().toStdString() << " has no control " << control;
    return {};
  }
  if (auto* label = qobject_cast<QLabel*>(child)) return label->text();
  if (auto* button = qobject_cast<QAbstractButton*>(child)) return button->text();
  if (auto* group = qobject_cast<QGroupBox*>(child)) return group->title();
  ADD_FAILURE() << control << " shows no text";
  return {};
}

class DialogsTest : public ::testing::Test {
protected:
  // A language whose every text names its section and key: "CheckForm.8".
  std::unique_ptr<TLang> NamingLanguage() {
    std::string file = "[Description]\nLangName=Naming\n";
    for (const TLangTable* table : AllLangTables()) {
      const std::string section(table->Section);
      file += "[" + section + "]\n";
      for (int key = 0; key < table->Count(); ++key)
        file += std::to_string(key) + "=" + section + "." + std::to_string(key) + "\n";
    }
    return Language(file);
  }
  std::unique_ptr<TLang> Language(const std::string& utf8) {
    const std::string path = disk.Path() + "test.lng";
    testing_support::WriteBytes(path, "\xEF\xBB\xBF" + utf8);
    return std::make_unique<TLang>(path, false);
  }

  testing_support::TempDir disk;
  TDialogs dialogs{nullptr};
};

// Each dialog's controls with the key whose text they show: "" is the caption; a bare key is
// one of the dialog's own section.
struct Wiring {
  std::string form;
  std::vector<std::pair<std::string, std::string>> controls;
};

const std::vector<Wiring>& AllWiring() {
  static const std::vector<Wiring> wiring = {
      {"LoadForm",
       {{"", "0"}, {"Label1", "1"}, {"Label3", "2"}, {"Label5", "3"}}},
      {"SaveErrorsForm",
       {{"BitBtn1", "Common.2"}, {"BitBtn2", "Common.1"}, {"", "0"}, {"Label1", "1"},
        {"Label2", "2"}, {"Label3", "3"}, {"Label4", "4"}, {"Label9", "5"}, {"Label5", "6"},
        {"Label6", "7"}, {"Label11", "8"}}},
      {"NewSymbolForm",
       {{"BitBtn1", "Common.0"}, {"BitBtn2", "Common.1"}, {"Label1", "0"}}},
      {"AboutForm",
       {{"BitBtn1", "Common.0"}, {"", "0"}, {"StaticText5", "3"}}},
      {"SmileExistsForm",
       {{"BitBtn2", "Common.0"}, {"", "0"}, {"Label1", "1"}, {"BitBtn1", "2"}}},
      {"WarningForm",
       {{"BitBtn1", "Common.2"}, {"BitBtn2", "Common.1"}, {"", "0"}, {"Label1", "1"},
        {"Label2", "2"}, {"CheckBox1", "3"}}},
      {"ErrorForm",
       {{"BitBtn2", "Common.0"}, {"", "0"}, {"Label1", "1"}}},
      {"OptionsForm",
       {{"BitBtn1", "Common.0"}, {"BitBtn2", "Common.1"}, {"", "0"}, {"GroupBox1", "1"},
        {"GroupBox2", "2"}, {"CheckBox1", "3"}, {"CheckBox2", "4"}}},
      {"CheckForm",
       {{"", "0"}, {"Label1", "1"}, {"Label2", "2"}, {"Label7", "3"}, {"Label4", "4"},
        {"Label9", "5"}, {"Label6", "6"}, {"Label11", "7"}, {"BitBtn1", "8"}, {"BitBtn3", "9"},
        {"BitBtn2", "10"}, {"BitBtn4", "11"}}},
      {"QueryForm",
       {{"BitBtn1", "Common.2"}, {"BitBtn2", "Common.3"}, {"BitBtn3", "Common.1"},
        {"Label1", "0"}}},
      {"EmptyForm",
       {{"", "0"}, {"Label1", "1"}, {"Label2", "2"}, {"Label9", "3"}, {"Label4", "4"},
        {"BitBtn1", "5"}, {"BitBtn3", "6"}, {"BitBtn2", "7"}, {"BitBtn4", "8"}}},
  };
  return wiring;
}

std::string ExpectedText(const Wiring& w, const std::string& key) {
  return key.find('.') == std::string::npos ? w.form + "." + key : key;
}

TModalForm& Modal(TDialogs& dialogs, const std::string& name) {
  for (TModalForm* form : std::initializer_list<TModalForm*>{
           dialogs.SaveErrorsForm.get(), dialogs.NewSymbolForm.get(), dialogs.AboutForm.get(),
           dialogs.SmileExistsForm.get(), dialogs.WarningForm.get(), dialogs.ErrorForm.get(),
           dialogs.OptionsForm.get(), dialogs.CheckForm.get(), dialogs.QueryForm.get(),
           dialogs.EmptyForm.get()})
    if (form->objectName().toStdString() == name) return *form;
  throw std::logic_error("no dialog " + name);
}

}  // namespace

TEST_F(DialogsTest, EveryLanguageKeyReachesItsControl) {
  auto lang = NamingLanguage();
  dialogs.ApplyLanguage(*lang);
  for (const Wiring& w : AllWiring()) {
    TDialogForm& form = w.form == "LoadForm" ? static_cast<TDialogForm&>(*dialogs.LoadForm)
                                              : Modal(dialogs, w.form);
    for (const auto& [control, key] : w.controls)
      EXPECT_EQ(TextOf(form, control).toStdString(), ExpectedText(w, key))
          << w.form << "." << control;
  }
  EXPECT_EQ(dialogs.AboutForm->StaticText2->text().toStdString(),
            std::string("AboutForm.1 ") + FENNIMO_EXPECTED_VERSION);
  EXPECT_EQ(dialogs.AboutForm->StaticText3->text(), "AboutForm.2    The Fennimo developers");
}

TEST_F(DialogsTest, EveryKeyOfEveryDialogSectionIsShownSomewhere) {
  std::set<std::string> wired;
  for (const Wiring& w : AllWiring())
    for (const auto& control : w.controls) wired.insert(ExpectedText(w, control.second));
  wired.insert("AboutForm.1");
  wired.insert("AboutForm.2");
  for (const TLangTable* table : AllLangTables()) {
    const std::string section(table->Section);
    // The main window's and the chat preview's (ChatFormTest) are not dialogs of TDialogs.
    if (section == "MainForm" || section == "General" || section == "ChatForm") continue;
    for (int key = 0; key < table->Count(); ++key)
      EXPECT_TRUE(wired.count(section + "." + std::to_string(key))) << section << "." << key;
  }
}

TEST_F(DialogsTest, TheBuiltInLanguageGivesTheRussianTexts) {
  dialogs.ApplyLanguage(*BuiltInLanguage());
  EXPECT_EQ(dialogs.LoadForm->Label5->text(), "Количество ошибок:");
  EXPECT_EQ(dialogs.SaveErrorsForm->BitBtn1->text(), "Да");
  EXPECT_EQ(dialogs.NewSymbolForm->BitBtn2->text(), "Отмена");
  EXPECT_EQ(dialogs.AboutForm->StaticText2->text().toStdString(),
            std::string("Версия: ") + FENNIMO_EXPECTED_VERSION);
  EXPECT_EQ(dialogs.SmileExistsForm->BitBtn1->text(), "Показать символ");
  EXPECT_EQ(dialogs.OptionsForm->windowTitle(), "Опции");
  EXPECT_EQ(dialogs.CheckForm->BitBtn4->text(), "Пропустить все");
  EXPECT_EQ(dialogs.QueryForm->BitBtn2->text(), "Нет");
  EXPECT_EQ(dialogs.EmptyForm->windowTitle(), "Смайл без символов");
}

TEST_F(DialogsTest, TheEnglishFileGivesEnglishTexts) {
  dialogs.ApplyLanguage(*EnglishLanguage());
  EXPECT_EQ(dialogs.LoadForm->windowTitle(), "Loading");
  EXPECT_EQ(dialogs.SaveErrorsForm->BitBtn2->text(), "Cancel");
  EXPECT_EQ(dialogs.SaveErrorsForm->Label9->text(), "Smiles without symbols:");
  EXPECT_EQ(dialogs.NewSymbolForm->Label1->text(), "Symbol:");
  EXPECT_EQ(dialogs.AboutForm->StaticText3->text(), "Author:    The Fennimo developers");
  EXPECT_EQ(dialogs.WarningForm->CheckBox1->text(), "Don't ask again");
  EXPECT_EQ(dialogs.ErrorForm->BitBtn2->text(), "OK");
  EXPECT_EQ(dialogs.CheckForm->BitBtn3->text(), "Replace all");
  EXPECT_EQ(dialogs.QueryForm->BitBtn1->text(), "Yes");
  EXPECT_EQ(dialogs.EmptyForm->BitBtn2->text(), "Skip");
}

TEST_F(DialogsTest, AFileWithoutCommonKeepsTheBuiltInButtonTexts) {
  auto lang = Language("[Description]\nLangName=Partial\n[QueryForm]\n0=Save?\n");
  dialogs.ApplyLanguage(*lang);
  EXPECT_EQ(dialogs.QueryForm->Label1->text(), "Save?");
  EXPECT_EQ(dialogs.QueryForm->BitBtn1->text(), "Да");
  EXPECT_EQ(dialogs.QueryForm->BitBtn2->text(), "Нет");
  EXPECT_EQ(dialogs.QueryForm->BitBtn3->text(), "Отмена");
  EXPECT_EQ(dialogs.NewSymbolForm->BitBtn1->text(), "OK");
  EXPECT_EQ(dialogs.SaveErrorsForm->BitBtn1->text(), "Да");
}

TEST_F(DialogsTest, ALanguageCanBeAppliedWhileADialogIsShown) {
  dialogs.ApplyLanguage(*BuiltInLanguage());
  Shown shown(*dialogs.WarningForm);
  dialogs.ApplyLanguage(*EnglishLanguage());
  EXPECT_EQ(dialogs.WarningForm->windowTitle(), "Warning");
  EXPECT_EQ(dialogs.WarningForm->BitBtn1->text(), "Yes");
  ExpectTextsFit(*dialogs.WarningForm);
}

namespace {

struct Ending {
  std::string form;
  std::vector<std::pair<std::string, int>> buttons;
};

std::vector<Ending> AllEndings() {
  return {
      {"SaveErrorsForm", {{"BitBtn1", mrOk}, {"BitBtn2", mrCancel}}},
      {"NewSymbolForm", {{"BitBtn1", mrOk}, {"BitBtn2", mrCancel}}},
      {"AboutForm", {{"BitBtn1", mrOk}}},
      {"SmileExistsForm", {{"BitBtn1", mrCancel}, {"BitBtn2", mrOk}}},
      {"WarningForm", {{"BitBtn1", mrOk}, {"BitBtn2", mrCancel}}},
      {"ErrorForm", {{"BitBtn2", mrOk}}},
      {"OptionsForm", {{"BitBtn1", mrOk}, {"BitBtn2", mrCancel}}},
      {"CheckForm",
       {{"BitBtn1", mrOk}, {"BitBtn3", mrAll}, {"BitBtn2", mrNo}, {"BitBtn4", mrCancel}}},
      {"QueryForm", {{"BitBtn1", mrYes}, {"BitBtn2", mrNo}, {"BitBtn3", mrCancel}}},
      {"EmptyForm",
       {{"BitBtn1", mrOk}, {"BitBtn3", mrAll}, {"BitBtn2", mrNo}, {"BitBtn4", mrCancel}}},
  };
}

}  // namespace

TEST_F(DialogsTest, EveryButtonEndsItsDialogWithItsResult) {
  DialogScript script;
  for (const Ending& ending : AllEndings()) {
    for (const auto& [button, result] : ending.buttons) {
      script.Answer(Click(button.c_str()));
      EXPECT_EQ(Modal(dialogs, ending.form).ShowModal(), result) << ending.form << "." << button;
    }
  }
}

TEST_F(DialogsTest, TheCloseBoxAndEscapeEndEveryModalDialogWithCancel) {
  DialogScript script;
  for (const Ending& ending : AllEndings()) {
    script.Answer(CloseBox());
    EXPECT_EQ(Modal(dialogs, ending.form).ShowModal(), mrCancel) << ending.form << " close box";
    script.Answer(PressKey(Qt::Key_Escape));
    EXPECT_EQ(Modal(dialogs, ending.form).ShowModal(), mrCancel) << ending.form << " Escape";
  }
}

TEST_F(DialogsTest, EnterPressesTheDefaultButton) {
  DialogScript script;
  const std::vector<std::pair<std::string, int>> cases = {
      {"SaveErrorsForm", mrOk}, {"NewSymbolForm", mrOk}, {"AboutForm", mrOk},
      {"SmileExistsForm", mrOk}, {"WarningForm", mrOk},  {"ErrorForm", mrOk},
      {"OptionsForm", mrOk},     {"CheckForm", mrNo},     {"QueryForm", mrYes},
      {"EmptyForm", mrNo},
  };
  for (const auto& [form, result] : cases) {
    script.Answer(PressKey(Qt::Key_Return));
    EXPECT_EQ(Modal(dialogs, form).ShowModal(), result) << form;
  }
}

TEST_F(DialogsTest, TabWalksThroughTheControlsInReadingOrder) {
  DialogScript script;
  script.Answer([&](QDialog& dialog) {
    PressKey(Qt::Key_Tab)(dialog);
    EXPECT_EQ(QApplication::focusWidget(), dialogs.WarningForm->BitBtn2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dialogs.WarningForm->CheckBox1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_TRUE(dialogs.WarningForm->CheckBox1->isChecked());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dialogs.WarningForm->BitBtn1);
    return dialog.result();
  });
  dialogs.WarningForm->ShowModal();
}

TEST_F(DialogsTest, TheProgressWindowCannotBeClosedByTheUser) {
  TForm2& load = *dialogs.LoadForm;
  EXPECT_FALSE(load.windowFlags() & Qt::WindowCloseButtonHint);
  Shown shown(load);
  load.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&load));
  QTest::keyClick(&load, Qt::Key_Escape);
  EXPECT_FALSE(load.close());
  EXPECT_TRUE(load.isVisible());
  load.hide();
  EXPECT_FALSE(load.isVisible());
}
