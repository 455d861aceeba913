// SPDX-License-Identifier: GPL-3.0-or-later
// The chat preview on two small packs whose codes overlap (":)" of the first animated smile
// inside ":))" of the second; ":)" also on the static pack's first smile): what each way of
// finding codes shows, in both-packs mode and in one pack, and the code pack order hides
// underlined. Saves the window in Russian and in English, light and dark, as
// <build>/screenshots/<scale>/ru-ChatForm.png, ru-ChatForm-dark.png, en-… for a person to look at.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>

#include "ChatForm.h"
#include "Dialogs.h"
#include "GifBuilder.h"
#include "Lang.h"
#include "ManagerMain.h"
#include "TestSupport.h"
#include "UiTestSupport.h"

namespace {

using testing_support::ReadBytes;
using testing_support::WriteBytes;

// The chat as text: each smile as [its picture], underlined text between underscores.
QString ChatText(const QTextDocument& document) {
  QString text;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      const QTextCharFormat format = fragment.charFormat();
      if (format.isImageFormat())
        text += "[" + QUrl(format.toImageFormat().name()).path() + "]";
      else if (format.fontUnderline())
        text += "_" + fragment.text() + "_";
      else
        text += fragment.text();
    }
  }
  return text;
}

// A round smile that blinks, transparent around the circle: two frames of 24 x 24.
std::string BlinkingSmile() {
  gif_builder::GifBuilder gif;
  gif.Screen(24, 24, {{255, 255, 255}, {250, 200, 30}, {90, 50, 10}, {0, 0, 0}});
  for (int frame = 0; frame < 2; ++frame) {
    std::vector<std::uint8_t> pixels(24 * 24, 0);
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 24; ++x) {
        const int d = (2 * x - 23) * (2 * x - 23) + (2 * y - 23) * (2 * y - 23);
        const bool eye = (x == 8 || x == 15) && (frame == 0 ? y >= 7 && y <= 10 : y == 9);
        const bool mouth = y == 16 && x >= 8 && x <= 15;
        pixels[static_cast<std::size_t>(y * 24 + x)] =
            d > 22 * 22 ? 0 : d > 19 * 19 || eye || mouth ? 2 : 1;
      }
    gif.Control(1, 0, frame == 0 ? 60 : 15);
    gif.Image(24, 24, pixels);
  }
  gif.Trailer();
  return gif.Bytes();
}

TEST(ChatForm, MessageBytesKeepOneByteACharacterAndMapBackToCharacters) {
  std::vector<int> at;
  // Cyrillic and "№" are one byte each; a character beyond 16 bits (two units) and one that
  // Windows-1251 lacks become a comma.
  EXPECT_EQ(MessageBytes(QString::fromUtf8("Ёж\xF0\x9F\x98\x80№\u4E00:)"), at),
            "\xA8\xE6,\xB9,:)");
  EXPECT_EQ(at, (std::vector<int>{0, 1, 2, 4, 5, 6, 7, 8}));
}

TEST(ChatForm, ShowsEachRulesSmilesAndUnderlinesTheCodePackOrderHides) {
  testing_support::ScopedAppData appData;
  testing_support::TempDir disk;
  ui_testing::DialogScript seam;
  const std::string root = disk.Make("Packs/");
  const std::string demo = FENNIMO_SOURCE_DIR "/examples/demo/";
  QDir().mkpath(QString::fromStdString(root + "Static"));
  QDir().mkpath(QString::fromStdString(root + "Animated"));
  WriteBytes(root + "Static/_define.ini", ":)");
  WriteBytes(root + "Static/aa.bmp", ReadBytes(demo + "Static/aa.bmp"));
  WriteBytes(root + "Animated/_define.ini", ":)\r\n:))");
  WriteBytes(root + "Animated/aa.gif", BlinkingSmile());
  WriteBytes(root + "Animated/ab.gif", ReadBytes(demo + "Animated/ab.gif"));
  TForm1 form;
  TDialogs dialogs(&form);
  form.SetDialogs(&dialogs);
  form.ApplicationEvents1Idle();
  ASSERT_TRUE(form.Initialized);
  form.Pack->SetBothPacks(true);
  ASSERT_TRUE(form.Pack->OpenPack(root));
  form.UpdatePackButtons();
  form.RefillSmiles(true);
  form.show();
  form.ChatAction->trigger();
  TChatForm& chat = *form.ChatWindow;
  ASSERT_TRUE(chat.isVisible());
  chat.Message->setPlainText(QString::fromUtf8("Привет :)) и :) \xF0\x9F\x98\x80:)"));

  // Both packs, the static one first: its ":)" before the animated pack's.
  EXPECT_EQ(ChatText(*chat.Chat->document()),
            QString::fromUtf8("Привет [Animated/ab.gif] и [Static/aa.bmp] \xF0\x9F\x98\x80[Static/aa.bmp]"));
  // One pack: leaving both-packs mode is a command, after which the window reads the pack anew.
  form.ToolButton9->click();
  ASSERT_FALSE(form.Pack->BothPacks);
  using Code = TChatForm::TFoundCode;
  EXPECT_EQ(ChatText(*chat.Chat->document()),
            QString::fromUtf8("Привет [Animated/ab.gif] и [Animated/aa.gif] \xF0\x9F\x98\x80[Animated/aa.gif]"));
  EXPECT_EQ(chat.Replaced, (std::vector<Code>{{7, 3, spAnimated, 1, 0}, {13, 2, spAnimated, 0, 0},
                                              {18, 2, spAnimated, 0, 0}}));
  const std::vector<Code> hidden{{7, 3, spAnimated, 1, 0}};
  EXPECT_EQ(chat.Hidden, hidden);
  ASSERT_EQ(chat.Message->extraSelections().size(), 1);
  EXPECT_EQ(chat.Message->extraSelections()[0].cursor.selectionStart(), 7);
  EXPECT_EQ(chat.Message->extraSelections()[0].cursor.selectionEnd(), 10);

  const QString folder = QStringLiteral(FENNIMO_BINARY_DIR "/screenshots/%1/")
                             .arg(static_cast<int>(chat.devicePixelRatioF() * 100 + 0.5));
  QDir().mkpath(folder);
  TLang english(FENNIMO_SOURCE_DIR "/Languages/English.lng", false);
  TLang russian("", true);
  for (auto [language, name] : {std::pair{&russian, "ru"}, std::pair{&english, "en"}}) {
    form.LanguageChanged(nullptr, language);
    chat.LightButton->setChecked(true);
    chat.LongestButton->setChecked(true);
    ui_testing::Wait(250);
    ui_testing::ExpectTextsFit(chat);
    EXPECT_TRUE(chat.grab().save(folder + name + "-ChatForm.png"));

    // Pack order: the first smile takes ":)" of ":))", whose ")" stays, underlined.
    chat.DarkButton->setChecked(true);
    chat.PackOrderButton->setChecked(true);
    EXPECT_EQ(ChatText(*chat.Chat->document()),
              QString::fromUtf8("Привет [Animated/aa.gif]_)_ и [Animated/aa.gif] \xF0\x9F\x98\x80[Animated/aa.gif]"));
    EXPECT_EQ(chat.Replaced, (std::vector<Code>{{7, 2, spAnimated, 0, 0}, {13, 2, spAnimated, 0, 0},
                                                {18, 2, spAnimated, 0, 0}}));
    EXPECT_EQ(chat.Hidden, hidden);
    ui_testing::Wait(250);
    EXPECT_TRUE(chat.grab().save(folder + name + "-ChatForm-dark.png"));
  }
  chat.close();
  EXPECT_TRUE(form.ShutdownWorkspace());
}

}  // namespace
