// SPDX-License-Identifier: GPL-3.0-or-later
// The Options dialog and the language manager lent to it.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>

#include "Dialogs.h"
#include "ModalResult.h"
#include "TestSupport.h"
#include "UiTestSupport.h"

using namespace ui_testing;

namespace {

class OptionsFormTest : public ::testing::Test {
protected:
  OptionsFormTest() {
    testing_support::WriteBytes(languages.Path() + "English.lng",
                                testing_support::ReadBytes(EnglishLanguageFile()));
    testing_support::WriteBytes(languages.Path() + "Zulu.lng",
                                "[Description]\nLangName=Zulu\n[OptionsForm]\n0=Izinketho\n");
    manager.Scan();
    manager.SelectByFileName("");
    // As the main window does: the texts follow every change of language.
    manager.OnLanguageChanged = [this](TLangManager*, TLang* lang) {
      ++changes;
      dialogs.ApplyLanguage(*lang);
    };
    dialogs.ApplyLanguage(*BuiltInLanguage());
    form.LangManager = &manager;
  }

  QStringList Listed() const {
    QStringList names;
    for (int i = 0; i < form.ComboBox1->count(); ++i) names << form.ComboBox1->itemText(i);
    return names;
  }

  testing_support::TempDir languages;
  TLangManager manager{languages.Path()};
  TDialogs dialogs{nullptr};
  TForm9& form = *dialogs.OptionsForm;
  int changes = 0;
  DialogScript script;
};

}  // namespace

TEST_F(OptionsFormTest, ListsTheLanguagesWithTheCurrentOneSelectedAndSelectsNothingItself) {
  manager.OnLanguageChanged = {};
  manager.SelectByFileName(languages.Path() + "zulu.lng");
  manager.OnLanguageChanged = [this](TLangManager*, TLang*) { ++changes; };
  script.Answer([this](QDialog&) {
    EXPECT_EQ(Listed(), (QStringList{"Русский", "English", "Zulu"}));
    EXPECT_EQ(form.ComboBox1->currentIndex(), 2);
    EXPECT_FALSE(form.ComboBox1->isEditable());
    return int{mrOk};
  });
  form.ShowModal();
  EXPECT_EQ(changes, 0);
}

TEST_F(OptionsFormTest, ShowingAgainListsAfresh) {
  script.Answer(Return(mrOk));
  script.Answer([this](QDialog&) {
    EXPECT_EQ(Listed().size(), 3);
    return int{mrOk};
  });
  form.ShowModal();
  form.ShowModal();
  EXPECT_EQ(changes, 0);
}

TEST_F(OptionsFormTest, ChoosingALanguageRelabelsEveryDialogWhileOpen) {
  script.Answer([this](QDialog& dialog) {
    form.ComboBox1->setCurrentIndex(1);
    EXPECT_EQ(form.windowTitle(), "Options");
    EXPECT_EQ(form.CheckBox2->text(), "Ask before deleting");
    EXPECT_EQ(form.BitBtn2->text(), "Cancel");
    EXPECT_EQ(dialogs.QueryForm->BitBtn1->text(), "Yes");
    form.ComboBox1->setCurrentIndex(2);
    EXPECT_EQ(form.windowTitle(), "Izinketho");
    EXPECT_EQ(form.BitBtn2->text(), "Отмена");
    return Click("BitBtn2")(dialog);
  });
  EXPECT_EQ(form.ShowModal(), mrCancel);
  EXPECT_EQ(changes, 2);
  // The choice stays after Cancel.
  EXPECT_EQ(manager.CurrentIndex(), 2);
  EXPECT_EQ(form.windowTitle(), "Izinketho");
}

TEST_F(OptionsFormTest, ShowingKeepsTheCheckBoxesAsTheCallerSetThem) {
  form.CheckBox1->setChecked(true);
  form.CheckBox2->setChecked(false);
  script.Answer([this](QDialog& dialog) {
    form.CheckBox2->click();
    return Click("BitBtn1")(dialog);
  });
  EXPECT_EQ(form.ShowModal(), mrOk);
  EXPECT_TRUE(form.CheckBox1->isChecked());
  EXPECT_TRUE(form.CheckBox2->isChecked());
}
