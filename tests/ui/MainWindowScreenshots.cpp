// SPDX-License-Identifier: GPL-3.0-or-later
// Saves the main window with the demo pack loaded and an animated smile selected, in Russian and
// in English, as <build>/screenshots/<scale>/ru-MainForm.png and en-MainForm.png, for a person
// to look at, with its title drawn above it as a desktop would; ru-MainForm-history.png and
// en-MainForm-history.png show the hints of undo and redo over it, *-MainForm-wide.png a picture
// that is not square and a smile without symbols marked, *-MainForm-menu.png the Edit menu.
// Registered at 100% and, with QT_SCALE_FACTOR=2, at 200%.
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>
#include <QToolTip>

#include <functional>
#include <utility>
#include <vector>

#include "DialogSeam.h"
#include "GifBuilder.h"
#include "DefineFile.h"
#include "Dialogs.h"
#include "Lang.h"
#include "ManagerMain.h"
#include "TestSupport.h"

namespace {

// The window under a title bar of its title, as the desktop shows it (the virtual display has
// no window manager to draw one), and with any open menu in its place.
QPixmap WithTitle(QWidget& form, QMenu* menu = nullptr) {
  const qreal ratio = form.devicePixelRatioF();
  const int bar = 24;
  QPixmap window = form.grab();
  QPixmap shot(QSize(form.width(), form.height() + bar) * ratio);
  shot.setDevicePixelRatio(ratio);
  shot.fill(QColor(60, 60, 70));
  QPainter painter(&shot);
  painter.setPen(Qt::white);
  painter.drawText(QRect(0, 0, form.width(), bar), Qt::AlignCenter, form.windowTitle());
  painter.drawPixmap(0, bar, window);
  if (menu && menu->isVisible())
    painter.drawPixmap(form.mapFromGlobal(menu->pos()) + QPoint(0, bar), menu->grab());
  return shot;
}

QString ScreenshotFolder() {
  const int scale = static_cast<int>(qApp->devicePixelRatio() * 100 + 0.5);
  QString folder = QString(FENNIMO_BINARY_DIR "/screenshots/%1/").arg(scale);
  QDir().mkpath(folder);
  return folder;
}

// The window in Russian, then in English, with the title and the status bar of Pack: Shoot
// saves its pictures under the file names' start it is given ("<folder>/ru-", "<folder>/en-").
void InEachLanguage(TForm1& form, const std::string& pack,
                    const std::function<void(const QString& start)>& shoot) {
  TLang english(FENNIMO_SOURCE_DIR "/Languages/English.lng", false);
  TLang russian("", true);
  for (auto [language, name] : {std::pair{&russian, "ru-"}, std::pair{&english, "en-"}}) {
    form.LanguageChanged(nullptr, language);
    form.UpdateTitle();
    form.ShowStatus(form.OpenedText, pack);
    QCoreApplication::processEvents();
    shoot(ScreenshotFolder() + name);
  }
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
  form.UpdateTitle();
  form.ShowStatus(form.OpenedText, FENNIMO_SOURCE_DIR "/examples/demo/");
  QCoreApplication::processEvents();
  const QString folder = ScreenshotFolder();
  ASSERT_TRUE(WithTitle(form).save(folder + "ru-MainForm.png"));
  ASSERT_TRUE(WithHistoryHints(form).save(folder + "ru-MainForm-history.png"));

  TLang english(FENNIMO_SOURCE_DIR "/Languages/English.lng", false);
  form.LanguageChanged(nullptr, &english);
  form.ShowStatus(form.OpenedText, FENNIMO_SOURCE_DIR "/examples/demo/");
  QCoreApplication::processEvents();
  ASSERT_TRUE(WithTitle(form).save(folder + "en-MainForm.png"));
  ASSERT_TRUE(WithHistoryHints(form).save(folder + "en-MainForm-history.png"));
  form.resize(900, 640);
  QCoreApplication::processEvents();
  ASSERT_TRUE(form.grab().save(folder + "en-MainForm-large.png"));
  form.resize(319, 232);
  QCoreApplication::processEvents();
  ASSERT_TRUE(form.grab().save(folder + "en-MainForm-small.png"));
  EXPECT_TRUE(form.ShutdownWorkspace());
}

// A pack of its own: a wide picture selected, a smile without symbols marked, changed since it
// was opened; then the Edit menu; in both languages.
TEST(MainWindowScreenshots, AWidePictureAndAMarkedSmile) {
  testing_support::ScopedAppData appData;
  testing_support::TempDir disk;
  dialog_seam::TScriptedDialogs seam([](const std::string& e) { ADD_FAILURE() << e; });
  gif_builder::GifBuilder wide;
  wide.Screen(36, 12, {{240, 190, 20}, {90, 50, 10}, {255, 255, 255}});
  std::vector<std::uint8_t> pixels(36 * 12, 0);
  for (int x = 0; x < 36; ++x) pixels[static_cast<std::size_t>(x)] = pixels[static_cast<std::size_t>(11 * 36 + x)] = 1;
  for (int y = 3; y < 9; ++y) pixels[static_cast<std::size_t>(y * 36 + 8)] = pixels[static_cast<std::size_t>(y * 36 + 27)] = 1;
  wide.Control(0, 2, 0);
  wide.Image(36, 12, pixels);
  wide.Trailer();
  std::string pack = disk.Make("Wide/");
  testing_support::WriteBytes(pack + "_define.ini", ":-)\r\n:wide:,:long:\r\n\r\n:end:");
  testing_support::WriteBytes(pack + "aa.gif", testing_support::ReadBytes(
      FENNIMO_SOURCE_DIR "/examples/demo/Animated/aa.gif"));
  testing_support::WriteBytes(pack + "ab.gif", wide.Bytes());
  testing_support::WriteBytes(pack + "ac.gif", testing_support::ReadBytes(
      FENNIMO_SOURCE_DIR "/examples/demo/Animated/ab.gif"));
  TForm1 form;
  TDialogs dialogs(&form);
  form.SetDialogs(&dialogs);
  form.ApplicationEvents1Idle();
  ASSERT_TRUE(form.Initialized);
  form.Pack->OnEmptyLine = [](TDefineDecoder*, bool& keep, bool&, const std::string&, TSmile*) {
    keep = true;
  };
  ASSERT_TRUE(form.Pack->OpenPack(pack + "_define.ini"));
  form.Pack->GetSmile(0)->Symbols.Add(":smile:");
  ASSERT_EQ(form.Pack->SmileCount(), 4);
  form.RefillSmiles(true);
  form.UpdatePackButtons();
  form.ListBox1Click();
  form.ListBox1->setCurrentRow(1);
  form.SetPreviewBackground(TForm1::bgChecker);
  form.show();
  InEachLanguage(form, pack, [&](const QString& start) {
    EXPECT_TRUE(WithTitle(form).save(start + "MainForm-wide.png"));
    form.UpdateMenus();
    form.EditMenu->popup(form.mapToGlobal(form.menuBar()->actionGeometry(
                             form.EditMenu->menuAction()).bottomLeft()));
    QCoreApplication::processEvents();
    EXPECT_TRUE(WithTitle(form, form.EditMenu).save(start + "MainForm-menu.png"));
    form.EditMenu->hide();
  });
  form.SetPreviewBackground(TForm1::bgWhite);
  EXPECT_TRUE(form.ShutdownWorkspace());
}

// A full pack of 676 animated smiles as a grid, the first two with codes in each other's way;
// then filtered; in both languages.
TEST(MainWindowScreenshots, AFullPackAsAGridFilteredAndWithAConflict) {
  testing_support::ScopedAppData appData;
  testing_support::TempDir disk;
  dialog_seam::TScriptedDialogs seam([](const std::string& e) { ADD_FAILURE() << e; });
  std::string pack = disk.Make("Full/"), define;
  for (int i = 0; i < 676; ++i) {
    // A round face of its own colour that blinks.
    const auto hue = static_cast<std::uint8_t>(i * 37 % 256);
    gif_builder::GifBuilder face;
    face.Screen(22, 22, {{255, 255, 255}, {hue, static_cast<std::uint8_t>(200 - hue / 2), 60},
                         {30, 30, 30}});
    for (int frame = 0; frame < 2; ++frame) {
      std::vector<std::uint8_t> pixels(22 * 22, 0);
      for (int y = 0; y < 22; ++y)
        for (int x = 0; x < 22; ++x) {
          const int dx = x - 11, dy = y - 11;
          if (dx * dx + dy * dy < 100) pixels[static_cast<std::size_t>(y * 22 + x)] = 1;
          const bool eye = (x == 7 || x == 14) && y >= 7 && y <= (frame ? 8 : 9);
          const bool mouth = y == 15 && x >= 7 && x <= 14;
          if (eye || mouth) pixels[static_cast<std::size_t>(y * 22 + x)] = 2;
        }
      face.Control(1, 0, frame ? 20 : 150);
      face.Image(22, 22, pixels);
    }
    face.Trailer();
    testing_support::WriteBytes(pack + PictureFileName(i, spAnimated), face.Bytes());
    define += i == 0 ? ":)" : i == 1 ? ":))" : ":s" + std::to_string(i + 1) + ":";
    define += "\r\n";
  }
  testing_support::WriteBytes(pack + "_define.ini", define);
  TForm1 form;
  TDialogs dialogs(&form);
  form.SetDialogs(&dialogs);
  form.ApplicationEvents1Idle();
  ASSERT_TRUE(form.Initialized);
  ASSERT_TRUE(form.Pack->OpenPack(pack + "_define.ini"));
  form.RefillSmiles(true);
  form.UpdatePackButtons();
  form.SetGridView(true);
  form.resize(900, 640);
  form.show();
  form.SelectSmile(1);
  InEachLanguage(form, pack, [&](const QString& start) {
    EXPECT_TRUE(WithTitle(form).save(start + "MainForm-grid.png"));
    form.FilterEdit->setText(":s1");
    QCoreApplication::processEvents();
    EXPECT_TRUE(WithTitle(form).save(start + "MainForm-filter.png"));
    form.FilterEdit->clear();
    form.SetGridView(false);
    form.SelectSmile(1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(WithTitle(form).save(start + "MainForm-list.png"));
    form.SetGridView(true);
  });
  EXPECT_TRUE(form.ShutdownWorkspace());
}
