// SPDX-License-Identifier: GPL-3.0-or-later
// The symbol entry: both buttons trim the entry, OK returns even an empty one.
#include <QApplication>
#include <QLineEdit>

#include "ModalResult.h"
#include "NewSymbolForm.h"
#include "UiTestSupport.h"

using namespace ui_testing;

namespace {

class NewSymbolFormTest : public ::testing::Test {
protected:
  // Shows the form with `typed` in the entry, ends it with `answer` and returns the result.
  int Enter(const QString& typed, const TAnswer& answer) {
    form.Edit1->setText(typed);
    script.Answer(answer);
    return form.ShowModal();
  }
  QString Entry() const { return form.Edit1->text(); }

  TForm4 form;
  DialogScript script;
};

}  // namespace

TEST_F(NewSymbolFormTest, OkStripsBlanksAndControlCharactersFromBothEnds) {
  EXPECT_EQ(Enter(QString::fromUtf8(" \t\x01:-)\r\n\x7f\u00a0 "), Click("BitBtn1")), mrOk);
  EXPECT_EQ(Entry(), ":-)");
}

TEST_F(NewSymbolFormTest, BlanksInsideTheSymbolStay) {
  EXPECT_EQ(Enter("  big  grin ", Click("BitBtn1")), mrOk);
  EXPECT_EQ(Entry(), "big  grin");
}

TEST_F(NewSymbolFormTest, OnlyBlanksGiveOkWithAnEmptySymbol) {
  EXPECT_EQ(Enter(" \t  ", Click("BitBtn1")), mrOk);
  EXPECT_EQ(Entry(), "");
}

TEST_F(NewSymbolFormTest, CancelTrimsTheEntryAllTheSame) {
  EXPECT_EQ(Enter("  ;-)  ", Click("BitBtn2")), mrCancel);
  EXPECT_EQ(Entry(), ";-)");
}

TEST_F(NewSymbolFormTest, EnterInTheEntryGivesOkWithTheTrimmedSymbol) {
  EXPECT_EQ(Enter(" :D ", PressKey(Qt::Key_Return)), mrOk);
  EXPECT_EQ(Entry(), ":D");
}

TEST_F(NewSymbolFormTest, EscapeCancels) {
  EXPECT_EQ(Enter(" :( ", PressKey(Qt::Key_Escape)), mrCancel);
  EXPECT_EQ(Entry(), ":(");
}

TEST_F(NewSymbolFormTest, TheEntryHasTheFocusWithItsTextSelected) {
  script.Answer([this](QDialog& dialog) {
    ShowActive(dialog);
    EXPECT_EQ(QApplication::focusWidget(), form.Edit1);
    EXPECT_EQ(form.Edit1->selectedText(), ":-P");
    return int{mrCancel};
  });
  form.Edit1->setText(":-P");
  form.ShowModal();
}

TEST(TrimBlanksAndControls, KeepsTextWithoutBlanksAndEmptiesBlankText) {
  EXPECT_EQ(TrimBlanksAndControls("x"), "x");
  EXPECT_EQ(TrimBlanksAndControls(""), "");
  EXPECT_EQ(TrimBlanksAndControls(QString(3, QChar(0))), "");
  EXPECT_EQ(TrimBlanksAndControls(QString::fromUtf8("\u2003смайл\u2003")), "смайл");
}
