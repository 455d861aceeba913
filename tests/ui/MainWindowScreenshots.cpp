// Saves the main window with the demo pack loaded and an animated smile selected, in Russian and
// in English, as <build>/screenshots/<scale>/ru-MainForm.png and en-MainForm.png, for a person
// to look at; ru-MainForm-history.png and en-MainForm-history.png show the hints of undo and
// redo over it. Registered at 100% and, with QT_SCALE_FACTOR=2, at 200%.
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QApplication>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>
#include <QToolTip>

#include <utility>
#include <vector>

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

// The window with the hints of undo and redo drawn where they show, one below the other (the
// toolkit shows one hint at a time), on a grey ground where they reach past the window.
QPixmap WithHistoryHints(TForm1& form) {
  std::vector<std::pair<QPoint, QPixmap>> hints;
  QRect area = form.rect();
  int below = 4;
  for (QToolButton* button : {form.ToolButton15, form.ToolButton16}) {
    QToolTip::showText(button->mapToGlobal(QPoint(button->width() / 2, button->height() + below)),
                       button->toolTip(), button);
    QCoreApplication::processEvents();
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (!window->inherits("QTipLabel") || !window->isVisible()) continue;
      hints.emplace_back(form.mapFromGlobal(window->pos()), window->grab());
      area |= QRect(hints.back().first, window->size());
      below += window->height() + 4;
    }
    QToolTip::hideText();
  }
  const qreal ratio = form.devicePixelRatioF();
  QPixmap shot(area.size() * ratio);
  shot.setDevicePixelRatio(ratio);
  shot.fill(QColor(128, 128, 128));
  QPainter painter(&shot);
  painter.drawPixmap(-area.topLeft(), form.grab());
  for (const auto& [at, hint] : hints) painter.drawPixmap(at - area.topLeft(), hint);
  return shot;
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
  // Two moves, one of them undone: both undo and redo have a step to name.
  form.MoveSmileTo(3, 0);
  form.MoveSmileTo(0, 3);
  form.ToolButton15Click();
  form.UpdateHistoryButtons();
  ASSERT_TRUE(form.ToolButton15->isEnabled() && form.ToolButton16->isEnabled());
  form.ListBox1->setCurrentRow(1);
  form.ListBox2->setCurrentRow(1);
  form.Timer1Timer();
  form.Timer1Timer();
  form.show();
  QCoreApplication::processEvents();
  const QString folder = ScreenshotFolder();
  ASSERT_TRUE(form.grab().save(folder + "ru-MainForm.png"));
  ASSERT_TRUE(WithHistoryHints(form).save(folder + "ru-MainForm-history.png"));

  TLang english(FENNIMO_SOURCE_DIR "/Languages/English.lng", false);
  form.LanguageChanged(nullptr, &english);
  QCoreApplication::processEvents();
  ASSERT_TRUE(form.grab().save(folder + "en-MainForm.png"));
  ASSERT_TRUE(WithHistoryHints(form).save(folder + "en-MainForm-history.png"));
  form.resize(900, 640);
  QCoreApplication::processEvents();
  ASSERT_TRUE(form.grab().save(folder + "en-MainForm-large.png"));
  form.resize(319, 232);
  QCoreApplication::processEvents();
  ASSERT_TRUE(form.grab().save(folder + "en-MainForm-small.png"));
  EXPECT_TRUE(form.ShutdownWorkspace());
}
