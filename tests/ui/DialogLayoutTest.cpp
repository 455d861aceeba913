// SPDX-License-Identifier: GPL-3.0-or-later
// The dialogs' look: fixed sizes that grow only for texts that need it, and no text cut off or
// covered in the shipped languages.
#include <QLabel>

#include "Dialogs.h"
#include "TestSupport.h"
#include "UiTestSupport.h"

using namespace ui_testing;

namespace {

std::vector<TDialogForm*> All(TDialogs& d) {
  return {d.LoadForm.get(),    d.SaveErrorsForm.get(), d.NewSymbolForm.get(),
          d.AboutForm.get(),   d.SmileExistsForm.get(), d.WarningForm.get(),
          d.ErrorForm.get(),   d.OptionsForm.get(),   d.CheckForm.get(),
          d.QueryForm.get(),   d.EmptyForm.get()};
}

}  // namespace

TEST(DialogLayout, NoTextIsCutOffOrCoveredInEitherShippedLanguage) {
  TDialogs dialogs(nullptr);
  std::unique_ptr<TLang> languages[] = {BuiltInLanguage(), EnglishLanguage()};
  for (auto& lang : languages) {
    SCOPED_TRACE(lang->LangName);
    dialogs.ApplyLanguage(*lang);
    for (TDialogForm* form : All(dialogs)) {
      Shown shown(*form);
      ExpectTextsFit(*form);
    }
  }
}

TEST(DialogLayout, DialogsHaveAFixedSizeAtLeastTheDesignSize) {
  TDialogs dialogs(nullptr);
  dialogs.ApplyLanguage(*BuiltInLanguage());
  const std::vector<QSize> design = {{341, 197}, {343, 328}, {356, 152}, {347, 218},
                                     {341, 154}, {362, 195}, {341, 140}, {319, 236},
                                     {354, 463}, {331, 108}, {346, 323}};
  const std::vector<TDialogForm*> forms = All(dialogs);
  for (std::size_t i = 0; i < forms.size(); ++i) {
    const std::string name = forms[i]->objectName().toStdString();
    EXPECT_EQ(forms[i]->minimumSize(), forms[i]->maximumSize()) << name;
    EXPECT_GE(forms[i]->width(), design[i].width()) << name;
    EXPECT_GE(forms[i]->height(), design[i].height()) << name;
  }
}

TEST(DialogLayout, ALongTranslationGrowsTheWindowInsteadOfCuttingTheText) {
  testing_support::TempDir disk;
  const std::string path = disk.Path() + "long.lng";
  std::string longText;
  for (int i = 0; i < 40; ++i) longText += "This operation cannot be undone. ";
  testing_support::WriteBytes(path, "[WarningForm]\n2=" + longText + "\n3=" +
                                        std::string(120, 'W') + "\n");
  TDialogs dialogs(nullptr);
  dialogs.ApplyLanguage(*BuiltInLanguage());
  const QSize before = dialogs.WarningForm->size();
  TLang lang(path, false);
  dialogs.ApplyLanguage(lang);

  EXPECT_GT(dialogs.WarningForm->height(), before.height());
  EXPECT_GT(dialogs.WarningForm->width(), before.width());
  Shown shown(*dialogs.WarningForm);
  ExpectTextsFit(*dialogs.WarningForm);

  dialogs.ApplyLanguage(*BuiltInLanguage());
  EXPECT_EQ(dialogs.WarningForm->size(), before);
}

TEST(DialogLayout, ValuesFilledInAtRunTimeDoNotWidenTheWindow) {
  TDialogs dialogs(nullptr);
  dialogs.ApplyLanguage(*BuiltInLanguage());
  const QSize before = dialogs.LoadForm->size();
  dialogs.LoadForm->Label4->setText(QString(300, 'x') + ".gif");
  Shown shown(*dialogs.LoadForm);
  EXPECT_EQ(dialogs.LoadForm->size(), before);
}
