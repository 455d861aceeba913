// SPDX-License-Identifier: GPL-3.0-or-later
// Saves every dialog, in Russian and in English, as a PNG file for a person to look at:
// <build>/screenshots/100/ru-CheckForm.png and so on; registered a second time with
// QT_SCALE_FACTOR=2, which writes <build>/screenshots/200/. Each dialog shows the kind of values
// the main window fills in, and must pass the same fit checks as in the layout tests.
#include <QComboBox>
#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>

#include "Dialogs.h"
#include "LangTables.h"
#include "UiTestSupport.h"

using namespace ui_testing;

namespace {

// A round face on white, for the preview.
TestFrame Face(int delay) {
  return {40, 40,
          [](int x, int y) -> std::uint32_t {
            const int dx = x - 20, dy = y - 20;
            const int d2 = dx * dx + dy * dy;
            if (d2 > 19 * 19) return 0xFFFFFF;
            if (d2 > 17 * 17) return 0x004060;
            if ((dy == -6 || dy == -5) && (dx == -7 || dx == -6 || dx == 6 || dx == 7))
              return 0x002040;
            if (dy >= 5 && dy <= 7 && dx * dx + (dy + 4) * (dy + 4) >= 100 &&
                dx * dx + (dy + 4) * (dy + 4) <= 150)
              return 0x002040;
            return 0x40CEFF;
          },
          delay};
}

void Fill(TDialogs& dialogs, TLang& lang) {
  const TSectionTexts general(lang, GeneralLang);
  TForm2& load = *dialogs.LoadForm;
  load.Label2->setText(general(3));
  load.Label4->setText("ab.gif");
  load.Label6->setText("2");
  load.ProgressBar1->setRange(0, 40);
  load.ProgressBar1->setValue(17);
  dialogs.SaveErrorsForm->Label7->setText("1");
  dialogs.SaveErrorsForm->Label8->setText("3");
  dialogs.SaveErrorsForm->Label10->setText("2");
  dialogs.NewSymbolForm->setWindowTitle(general(6));
  dialogs.NewSymbolForm->Edit1->setText(":-)");
  dialogs.OptionsForm->ComboBox1->clear();
  dialogs.OptionsForm->ComboBox1->addItems({QString::fromUtf8("Русский"), "English"});
  dialogs.OptionsForm->CheckBox2->setChecked(true);
  dialogs.CheckForm->Label3->setText("ac.gif");
  dialogs.CheckForm->Label8->setText(":-D");
  dialogs.CheckForm->Label5->setText("ad.gif");
  dialogs.CheckForm->Label10->setText("");
  dialogs.QueryForm->setWindowTitle(QString::fromStdString(lang.Text(MainFormLang, 0)));
  dialogs.EmptyForm->Label3->setText("af.gif");
  dialogs.EmptyForm->Label10->setText(general(0));
}

void SaveAll(const std::string& prefix, TLang& lang) {
  TDialogs dialogs(nullptr);
  dialogs.ApplyLanguage(lang);
  Fill(dialogs, lang);
  TestPicture picture({Face(100)});
  dialogs.CheckForm->Preview = &picture;

  const qreal ratio = qGuiApp->devicePixelRatio();
  const QString folder = QStringLiteral(FENNIMO_BINARY_DIR "/screenshots/%1/")
                             .arg(qRound(ratio * 100));
  ASSERT_TRUE(QDir().mkpath(folder));
  for (QWidget* form : std::initializer_list<QWidget*>{
           dialogs.LoadForm.get(), dialogs.SaveErrorsForm.get(), dialogs.NewSymbolForm.get(),
           dialogs.AboutForm.get(), dialogs.SmileExistsForm.get(), dialogs.WarningForm.get(),
           dialogs.ErrorForm.get(), dialogs.OptionsForm.get(), dialogs.CheckForm.get(),
           dialogs.QueryForm.get(), dialogs.EmptyForm.get()}) {
    Shown shown(*form);
    ExpectTextsFit(*form);
    const QPixmap shot = form->grab();
    EXPECT_EQ(shot.size(), form->size() * ratio) << form->objectName().toStdString();
    const QString file = folder + QString::fromStdString(prefix) + form->objectName() + ".png";
    EXPECT_TRUE(shot.save(file, "PNG")) << file.toStdString();
  }
  dialogs.CheckForm->Preview = nullptr;
}

}  // namespace

TEST(Screenshots, Russian) { SaveAll("ru-", *BuiltInLanguage()); }

TEST(Screenshots, English) { SaveAll("en-", *EnglishLanguage()); }
