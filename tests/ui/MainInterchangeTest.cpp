// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of any kind and other messengers' themes in the main window: pictures written by
// another program (Pillow) added and re-pictured, converted into what the pack stores; a file
// that is no picture refused with a message; a theme's index file or archive chosen to open as
// a new pack, with what it left out told.
#include <QAction>
#include <QInputDialog>
#include <QMessageBox>
#include <QStatusBar>

#include "CommandsFixture.h"
#include "ConfigManager.h"
#include "Files.h"
#include "PackFixture.h"
#include "BmpDecoder.h"
#include "GifDecoder.h"
#include "PictureDecoder.h"
#include "PictureTestSupport.h"

using namespace commands_testing;
using namespace testing_support;
using ui_testing::ChooseFiles;
using ui_testing::ChooseFolder;
using ui_testing::Return;

namespace {

using Interchange = CommandsTest;

// A message box's text and the text behind its details button, then OK.
TAnswer MessageWithDetails(std::string* text, std::string* details) {
  return [text, details](QDialog& dialog) {
    auto* box = qobject_cast<QMessageBox*>(&dialog);
    EXPECT_NE(box, nullptr) << dialog.metaObject()->className();
    if (!box) return int{QMessageBox::Ok};
    *text = box->text().toStdString();
    *details = box->detailedText().toStdString();
    return int{QMessageBox::Ok};
  };
}

// Pictures as another program writes them (Pillow), in Folder: a JPEG photograph, a PNG with a
// transparent corner, an animated WebP of a red and a blue frame (100 and 200 ms). False when
// Pillow is not there.
bool WriteOtherProgramsPictures(const std::string& folder) {
  const std::string python = picture_test::PythonWithPillow();
  if (python.empty()) return false;
  WriteBytes(folder + "make.py",
             "import sys\n"
             "from PIL import Image\n"
             "d = sys.argv[1]\n"
             "Image.new('RGB', (6, 4), (200, 30, 30)).save(d + 'photo.jpg', quality=95)\n"
             "im = Image.new('RGBA', (4, 3), (20, 140, 60, 255))\n"
             "im.putpixel((0, 0), (0, 0, 0, 0))\n"
             "im.save(d + 'corner.png')\n"
             "f = [Image.new('RGBA', (5, 5), c) for c in [(255, 0, 0, 255), (0, 0, 255, 255)]]\n"
             "f[0].save(d + 'moving.webp', save_all=True, append_images=f[1:],\n"
             "          duration=[100, 200], loop=0, lossless=True)\n");
  return std::system((python + " '" + folder + "make.py' '" + folder + "'").c_str()) == 0;
}

// A pixel of frame Frame of the picture the storage holds at position Index of the active pack.
std::uint32_t Pixel(const TDefineDecoder& model, int index, int frame, int x, int y) {
  const TSmilePack kind = model.ActivePack;
  const std::string file = model.StorageFolder[kind] + PictureFileName(index, kind);
  std::unique_ptr<TPictureDecoder> decoder;
  if (kind == spAnimated)
    decoder = std::make_unique<TGifDecoder>(file);
  else
    decoder = std::make_unique<TBmpDecoder>(file);
  decoder->Decode();
  TSmileBitmap* bitmap = decoder->GetFrame(frame);
  return bitmap ? bitmap->ColorAt(x, y) : 0xFFFFFFFFu;
}

}  // namespace

TEST_F(Interchange, PicturesOfOtherProgramsAreConvertedWhenAddedOrReplaced) {
  const std::string folder = disk.Make("other/");
  if (!WriteOtherProgramsPictures(folder)) GTEST_SKIP() << "python3 with Pillow is not installed";
  const std::string photo = ReadBytes(folder + "photo.jpg");
  OpenPackOf(2);
  Then(ChooseFiles({folder + "corner.png", folder + "photo.jpg"}));
  Press(form->BitBtn4);
  ASSERT_EQ(Model().SmileCount(), 4);
  EXPECT_EQ(form->ToolButton15->toolTip(), "Отменить: добавление смайлов 1-2 (Ctrl+Z)");
  EXPECT_EQ(Pixel(Model(), 0, 0, 1, 1), picture_test::Color(20, 140, 60));
  const std::uint32_t red = Pixel(Model(), 1, 0, 3, 2);
  EXPECT_NEAR(red & 0xFF, 200, 8);
  EXPECT_NEAR((red >> 16) & 0xFF, 30, 8);

  ClickSmile(2);
  Then(ChooseFiles({folder + "moving.webp"}));
  Press(form->BitBtn11);
  const TSmile* moving = Model().GetSmile(2);
  ASSERT_TRUE(moving->HasPicture);
  ASSERT_EQ(moving->FrameCount, 2);
  EXPECT_EQ(moving->Duration, 300);  // 100 and 200 ms
  ASSERT_NE(form->CurrentPicture, nullptr);  // the preview's own copy
  EXPECT_EQ(form->CurrentPicture->GetFrameDelay(0), 100);
  EXPECT_EQ(Pixel(Model(), 2, 1, 2, 2), picture_test::Color(0, 0, 255));
  for (const char* name : {"aa.gif", "ab.gif", "ac.gif"})
    EXPECT_TRUE(ReadBytes(Model().StorageFolder[spAnimated] + name).starts_with("GIF8")) << name;
  EXPECT_EQ(ReadBytes(folder + "photo.jpg"), photo) << "the user's file is only read";

  // The static pack stores a BMP.
  Press(form->ToolButton7);
  Press(form->ToolButton1);
  Then(ChooseFiles({folder + "corner.png"}));
  Press(form->BitBtn4);
  EXPECT_TRUE(ReadBytes(Model().StorageFolder[spStatic] + "aa.bmp").starts_with("BM"));
  EXPECT_EQ(Pixel(Model(), 0, 0, 2, 1), picture_test::Color(20, 140, 60));
}

TEST_F(Interchange, AFileThatIsNoPictureIsRefusedWithAMessageInTheWindowsLanguage) {
  OpenPackOf(2);
  const std::string before = StorageDefine();
  const std::string fake = disk.Path() + "notes.png";
  WriteBytes(fake, "not a picture");
  std::string message;
  Then(ChooseFiles({fake}));
  Then(Message(&message));
  Press(form->BitBtn4);
  EXPECT_EQ(message, "Файл " + fake + " не удалось прочитать как картинку; смайлпак не изменён.");
  EXPECT_EQ(StorageDefine(), before);
  EXPECT_EQ(Smiles(), ModelSmiles());
  EXPECT_FALSE(form->ToolButton15->isEnabled());

  auto english = ui_testing::EnglishLanguage();
  form->LanguageChanged(nullptr, english.get());
  ClickSmile(1);
  Then(ChooseFiles({fake}));
  Then(Message(&message));
  Press(form->BitBtn11);
  EXPECT_EQ(message, "The file " + fake + " could not be read as a picture; the smile pack was not changed.");
}

// ---------------------------------------------------------------------------------------------
// Other messengers' themes

TEST_F(Interchange, AThemeChosenToOpenBecomesANewPackAndWhatWasLeftOutIsTold) {
  const std::string theme = disk.Make("MyTheme/");
  QImage png(3, 2, QImage::Format_ARGB32);
  png.fill(qRgba(0, 128, 0, 255));
  ASSERT_TRUE(png.save(QString::fromStdString(theme + "smile.png")));
  WriteBytes(theme + "wink.gif", pack_testing::Gif("w"));
  WriteBytes(theme + "theme",
             "Name=Mine\n[default]\nsmile.png :-) \xF0\x9F\x98\x80\nwink.gif ;-) ;)\n"
             "gone.gif :gone\n");
  std::string text, details;
  Then(ChooseFiles({theme + "theme"}));
  Then(MessageWithDetails(&text, &details));
  Press(form->ToolButton2);

  EXPECT_EQ(Smiles(), (Strings{"aa.gif (:-))", "ab.gif (;-))"}));
  EXPECT_EQ(StorageTags()[1], "w");
  EXPECT_EQ(Count(), "2");
  EXPECT_FALSE(form->ToolButton15->isEnabled()) << "a new pack has no history";
  EXPECT_EQ(text, "Тема " + theme + "theme открыта как новый смайлпак, но взято не всё:\n\n" +
                      "left out code \"\xF0\x9F\x98\x80\" of smile.png: Windows-1251 has no such "
                      "character\n" +
                      "left out smile gone.gif: its picture is missing");
  EXPECT_EQ(details, "") << "a short list needs no details";

  // It has nowhere to go yet: a save asks for a folder.
  const std::string target = disk.Make("saved/");
  Then(ChooseFolder(target));
  Press(form->ToolButton3);
  EXPECT_EQ(ReadBytes(target + "_define.ini"), ":-)\r\n;-),;)");
  EXPECT_EQ(ReadBytes(target + "ab.gif"), pack_testing::Gif("w"));

  // The same theme zipped by another program opens as well.
  const std::string zip = disk.Path() + "MyTheme.zip";
  ASSERT_EQ(std::system(("cd '" + disk.Path() + "' && python3 -m zipfile -c MyTheme.zip MyTheme").c_str()), 0);
  Then(ChooseFiles({zip}));  // the pack open now was just saved: no save question
  Then(MessageWithDetails(&text, &details));
  Press(form->ToolButton2);
  EXPECT_EQ(Smiles(), (Strings{"aa.gif (:-))", "ab.gif (;-))"}));
  EXPECT_TRUE(text.starts_with("Тема " + zip + " открыта как новый смайлпак")) << text;
}

TEST_F(Interchange, AThemeThatCannotBeReadOrIsCancelledAtTheSaveQuestionChangesNothing) {
  OpenPackOf(2);
  Model().Config->SetFlag(TConfigManager::cfShowWarnings, false);
  ClickSmile(0);
  Press(form->BitBtn7);
  const std::string kde = disk.Make("kde/");
  WriteBytes(kde + "emoticons.xml", "<messaging-emoticon-map><emoticon file=");
  std::string message;
  Then(ChooseFiles({kde + "emoticons.xml"}));
  Then(Message(&message));
  Press(form->ToolButton2);
  EXPECT_TRUE(message.starts_with("Не удалось прочитать тему смайлов " + kde + "emoticons.xml.\n"))
      << message;
  EXPECT_EQ(StorageTags(), (Strings{"p1"}));

  const std::string pidgin = disk.Make("pidgin/");
  WriteBytes(pidgin + "a.gif", pack_testing::Gif("a"));
  WriteBytes(pidgin + "Theme", "[default]\na.gif :a \xF0\x9F\x98\x80\n");
  Then(ChooseFiles({pidgin + "Theme"}));
  Then(Expect("TForm11", Return(mrCancel)));  // and no word of what was left out
  Press(form->ToolButton2);
  EXPECT_EQ(StorageTags(), (Strings{"p1"}));
  EXPECT_TRUE(form->ToolButton15->isEnabled());
}

// File → Export as theme: the open pack in a new folder or archive named after it, in a folder
// the user chooses; a name taken already gets a number.
TEST_F(Interchange, TheOpenPackIsExportedAsAThemeFromTheFileMenu) {
  OpenPackOf(2);
  const std::string out = disk.Make("themes/");
  auto format = [](const char* name) {
    return [name](QDialog& dialog) {
      auto* ask = qobject_cast<QInputDialog*>(&dialog);
      EXPECT_NE(ask, nullptr) << dialog.metaObject()->className();
      if (!ask) return int{QDialog::Rejected};
      ask->setTextValue(name);
      return int{QDialog::Accepted};
    };
  };
  for (const char* kind : {"KDE", "KDE", "Psi (.jisp)"}) {
    Then(format(kind));
    Then(ChooseFolder(out));
    form->UpdateMenus();
    form->ExportThemeAction->trigger();
  }
  EXPECT_TRUE(Exists(out + "pack2/emoticons.xml"));
  EXPECT_TRUE(Exists(out + "pack2-2/emoticons.xml"));
  EXPECT_TRUE(Exists(out + "pack2.jisp"));
  EXPECT_EQ(form->StatusText.toStdString(),
            "Экспортировано смайлов: 2, в " + out + "pack2.jisp");
}
