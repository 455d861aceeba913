// SPDX-License-Identifier: GPL-3.0-or-later
// The about box's own texts and its web address.
#include <QDesktopServices>
#include <QLabel>
#include <QTest>
#include <QUrl>

#include "AboutForm.h"
#include "UiTestSupport.h"

using namespace ui_testing;

namespace {

// Stands in for the desktop's browser.
class Browser : public QObject {
  Q_OBJECT

public:
  Browser() { QDesktopServices::setUrlHandler("https", this, "open"); }
  ~Browser() override { QDesktopServices::unsetUrlHandler("https"); }

  QList<QUrl> opened;

public slots:
  void open(const QUrl& url) { opened << url; }
};

}  // namespace

TEST(AboutForm, ShowsTheProgramsOwnTextsAndTheBuildsVersion) {
  TForm5 form;
  form.ApplyLanguage(*EnglishLanguage());
  EXPECT_EQ(form.StaticText1->text(), "Fennimo");
  EXPECT_EQ(form.StaticText2->text().toStdString(),
            std::string("Version: ") + FENNIMO_EXPECTED_VERSION);
  EXPECT_FALSE(form.StaticText4->text().isEmpty());
  EXPECT_NE(form.Label1->text().indexOf("https://fennimo.example.org/"), -1);
  EXPECT_FALSE(form.Image1->pixmap().isNull());
}

TEST(AboutForm, NamesTheLicenceInTheWindowsLanguage) {
  TForm5 form;
  form.ApplyLanguage(*EnglishLanguage());
  EXPECT_EQ(form.StaticText5->text(), "License: GNU GPL version 3 or later");
  form.ApplyLanguage(*BuiltInLanguage());
  EXPECT_EQ(form.StaticText5->text(),
            QString::fromUtf8("Лицензия: GNU GPL версии 3 или более поздней"));
}

TEST(AboutForm, ClickingTheAddressOpensItInTheBrowser) {
  Browser browser;
  TForm5 form;
  form.ApplyLanguage(*BuiltInLanguage());
  Shown shown(form);
  QTest::mouseClick(form.Label1, Qt::LeftButton, {}, QPoint(10, form.Label1->height() / 2));
  ASSERT_EQ(browser.opened.size(), 1);
  EXPECT_EQ(browser.opened[0], QUrl("https://fennimo.example.org/"));
  EXPECT_EQ(form.Label1->cursor().shape(), Qt::PointingHandCursor);
}

#include "AboutFormTest.moc"
