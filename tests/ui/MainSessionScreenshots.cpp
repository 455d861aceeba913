// SPDX-License-Identifier: GPL-3.0-or-later
// Saves the main window at the steps of an editing session on the demo pack as PNG files for a
// person to look at: <build>/screenshots/main-session/1-opened.png and so on.
#include <QDir>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>

#include "CommandsFixture.h"
#include "Files.h"

using namespace commands_testing;

namespace {

using MainWindowScreenshots = CommandsTest;

const std::string kDemo = FENNIMO_SOURCE_DIR "/examples/demo/Animated/";

void Save(QWidget& window, const std::string& name) {
  const QString folder = QStringLiteral(FENNIMO_BINARY_DIR "/screenshots/main-session");
  QDir().mkpath(folder);
  EXPECT_TRUE(window.grab().save(folder + "/" + QString::fromStdString(name) + ".png"));
}

}  // namespace

TEST_F(MainWindowScreenshots, AnEditingSessionOnTheDemoPack) {
  form->show();
  OpenPack(kDemo);
  ASSERT_GT(Model().SmileCount(), 2);
  Save(*form, "1-opened");

  ClickSmile(1);
  ClickSymbol(1);
  Save(*form, "2-selected");

  Then(ui_testing::ChooseFiles({kDemo + "ad.gif", kDemo + "ae.gif"}));
  Press(form->BitBtn4);
  Save(*form, "3-added");

  Then(TypeSymbol(":новый"));
  Press(form->BitBtn5);
  Press(form->BitBtn12);
  Save(*form, "4-symbol-added-and-moved");
}
