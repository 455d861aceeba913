// Saves the main window with the demo pack loaded and an animated smile selected, in Russian and
// in English, as <build>/screenshots/<scale>/ru-MainForm.png and en-MainForm.png, for a person
// to look at. Registered at 100% and, with QT_SCALE_FACTOR=2, at 200%.
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QListWidget>
#include <QPixmap>

#include "DialogSeam.h"
#include "Dialogs.h"
#include "Lang.h"
#include "ManagerMain.h"
#include "TestSupport.h"

namespace {

QString ScreenshotFolder() {
  const int scale = static_cast<int>(qApp->devicePixelRatio() * 100 + 0.5);
  QString folder = QString(FENNIMO_BINARY_DIR "/screenshots/%1/").arg(scale);
  QDir().mkpath(folder);
  return folder;
}

}  // namespace

TEST(MainWindowScreenshots, DemoPackInBothLanguages) {
  testing_support::ScopedAppData appData;
  dialog_seam::TScriptedDialogs seam([](const std::string& e) { ADD_FAILURE() << e; });
  TForm1 form;
  TDialogs dialogs(&form);
  form.SetDialogs(&dialogs);
  form.ApplicationEvents1Idle();
  ASSERT_TRUE(form.Initialized);
  form.Pack->SetBothPacks(true);
  ASSERT_TRUE(form.Pack->OpenPack(FENNIMO_SOURCE_DIR "/examples/demo"));
  form.UpdatePackButtons();
  form.RefillSmiles(true);
  form.ListBox1Click();
  form.ListBox1->setCurrentRow(1);
  form.ListBox2->setCurrentRow(1);
  form.Timer1Timer();
  form.Timer1Timer();
  form.show();
  QCoreApplication::processEvents();
  const QString folder = ScreenshotFolder();
  ASSERT_TRUE(form.grab().save(folder + "ru-MainForm.png"));

  TLang english(FENNIMO_SOURCE_DIR "/Languages/English.lng", false);
  form.LanguageChanged(nullptr, &english);
  QCoreApplication::processEvents();
  ASSERT_TRUE(form.grab().save(folder + "en-MainForm.png"));
  form.resize(900, 640);
  QCoreApplication::processEvents();
  ASSERT_TRUE(form.grab().save(folder + "en-MainForm-large.png"));
  form.resize(319, 232);
  QCoreApplication::processEvents();
  ASSERT_TRUE(form.grab().save(folder + "en-MainForm-small.png"));
  EXPECT_TRUE(form.ShutdownWorkspace());
}
