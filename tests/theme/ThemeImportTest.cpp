// A pack made from a theme: which codes become symbols, which pictures are found and converted,
// the 676-smile limit, and a pack folder that is never written over.
#include <gtest/gtest.h>

#include <QImage>

#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>

#include "Cp1251.h"
#include "GifDecoder.h"
#include "PackFixture.h"
#include "TestSupport.h"
#include "ThemeImport.h"

using namespace testing_support;
using pack_testing::Bmp;
using pack_testing::Gif;

namespace {

class ThemeImport : public ::testing::Test {
protected:
  TempDir disk;
  std::string theme = disk.Make("theme/");

  std::string Picture(const std::string& name, const std::string& bytes) {
    WriteBytes(theme + name, bytes);
    return bytes;
  }
  std::vector<TLeftOutReason> Reasons(const TThemePack& pack) {
    std::vector<TLeftOutReason> reasons;
    for (const auto& item : pack.leftOut) reasons.push_back(item.reason);
    return reasons;
  }
};

std::string Cp1251(const std::string& utf8) {
  std::string bytes;
  EXPECT_TRUE(platform::Utf8ToCp1251(utf8, bytes));
  return bytes;
}

}  // namespace

TEST_F(ThemeImport, CodesBecomeWindows1251SymbolsOrAreListed) {
  Picture("a.gif", Gif("a"));
  Picture("b.gif", Gif("b"));
  TTheme source;
  source.smiles = {{"a.gif", {" lead", ":-)", "Привет", "😀", "a,b", "x\ty", "mid dle", "trail "}},
                   {"b.gif", {"日本"}}};
  const TThemePack pack = BuildThemePack(source, theme, spAnimated);
  ASSERT_EQ(pack.smiles.size(), 2u);
  EXPECT_EQ(pack.smiles[0].symbols, (std::vector<std::string>{":-)", Cp1251("Привет"), "mid dle"}));
  EXPECT_TRUE(pack.smiles[1].symbols.empty());
  EXPECT_EQ(Reasons(pack), (std::vector<TLeftOutReason>{
                               TLeftOutReason::CodeNotCp1251, TLeftOutReason::CodeHasComma,
                               TLeftOutReason::CodeHasControl, TLeftOutReason::CodeAtLineEdge,
                               TLeftOutReason::CodeAtLineEdge, TLeftOutReason::CodeNotCp1251,
                               TLeftOutReason::NoCodes}));
  EXPECT_EQ(pack.leftOut[3].code, " lead");
  EXPECT_EQ(pack.leftOut[4].code, "trail ");
  EXPECT_EQ(DescribeLeftOut(pack.leftOut[6]), "kept smile b.gif without symbols: it has no codes left");

  // The smile without symbols keeps its own line in the definition file.
  const std::string packDir = disk.Path() + "new/pack/";
  std::string error;
  ASSERT_TRUE(WriteThemePack(pack, packDir, spAnimated, error)) << error;
  EXPECT_EQ(ReadBytes(packDir + "_define.ini"), ":-)," + Cp1251("Привет") + ",mid dle\r\n\r\n");
  EXPECT_EQ(ReadBytes(packDir + "aa.gif"), Gif("a"));
  EXPECT_EQ(ReadBytes(packDir + "ab.gif"), Gif("b"));
}

TEST_F(ThemeImport, PicturesAreFoundConvertedOrTheSmileIsLeftOut) {
  const std::string a = Picture("a.gif", Gif("a"));
  Picture("b.gif", Gif("b"));  // named "B.GIF" by the index
  QImage png(3, 2, QImage::Format_ARGB32);
  png.fill(qRgba(0, 128, 0, 255));
  png.save(QString::fromStdString(theme + "c.png"));  // named without its extension
  WriteBytes(disk.Path() + "outside.gif", Gif("o"));
  std::filesystem::create_symlink(disk.Path() + "outside.gif", theme + "link.gif");
  // A link to a folder outside: "l/.." is that folder's parent, not the theme's folder.
  WriteBytes(disk.Make("private/sub/") + "../outside.gif", Gif("p"));
  std::filesystem::create_symlink(disk.Path() + "private/sub", theme + "l");
  Picture("text.png", "no picture");
  TTheme source;
  for (const char* name : {"a.gif", "B.GIF", "c", "missing.png", "../outside.gif", "link.gif",
                           "l/../outside.gif", "text.png", ""})
    source.smiles.push_back({name, {name}});

  const TThemePack pack = BuildThemePack(source, theme, spAnimated);
  ASSERT_EQ(pack.smiles.size(), 3u);
  EXPECT_EQ(pack.smiles[0].picture, a);
  EXPECT_EQ(pack.smiles[1].picture, Gif("b"));
  EXPECT_EQ(pack.smiles[2].source, "c");
  EXPECT_EQ(pack.smiles[2].picture.substr(0, 6), "GIF89a");
  EXPECT_EQ(Reasons(pack), (std::vector<TLeftOutReason>{
                               TLeftOutReason::PictureMissing, TLeftOutReason::PictureOutside,
                               TLeftOutReason::PictureOutside, TLeftOutReason::PictureOutside,
                               TLeftOutReason::PictureUnusable, TLeftOutReason::PictureMissing}));
  EXPECT_EQ(pack.leftOut[4].picture, "text.png");
  EXPECT_EQ(pack.leftOut[4].detail.substr(0, 32), "not a picture this program reads");

  // The static pack gets BMPs: the GIF is converted, a BMP taken as it is.
  Picture("d.bmp", Bmp("d"));
  source.smiles = {{"a.gif", {":)"}}, {"d.bmp", {":("}}};
  const TThemePack still = BuildThemePack(source, theme, spStatic);
  ASSERT_EQ(still.smiles.size(), 2u);
  EXPECT_EQ(still.smiles[0].picture.substr(0, 2), "BM");
  EXPECT_EQ(still.smiles[1].picture, Bmp("d"));
}

TEST_F(ThemeImport, ThemeFolderIsListedOnceHoweverManyPicturesAreMissing) {
  // A folder of many files, a smile with thousands of codes, and hundreds of missing pictures.
  for (int i = 0; i < 300; ++i) Picture("other" + std::to_string(i) + ".txt", "");
  Picture("a.gif", Gif("a"));
  TTheme source;
  source.smiles.push_back({"a.gif", {}});
  for (int i = 0; i < 20000; ++i) source.smiles[0].codes.push_back(":" + std::to_string(i));
  for (int i = 0; i < 300; ++i) source.smiles.push_back({"gone" + std::to_string(i), {":)"}});

  // Each listing opens and closes the folder, which the watch reports (an open right after an
  // open would be merged into one event, an open after a close is not).
  const int watch = ::inotify_init1(IN_NONBLOCK);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, theme.c_str(), IN_OPEN | IN_CLOSE_NOWRITE), 0);
  const TThemePack pack = BuildThemePack(source, theme, spAnimated);
  int listings = 0;
  alignas(inotify_event) char events[64 * 1024];
  for (ssize_t n; (n = ::read(watch, events, sizeof events)) > 0;)
    for (char* at = events; at < events + n; at += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(at)->len)
      listings += reinterpret_cast<inotify_event*>(at)->mask == (IN_OPEN | IN_ISDIR);
  ::close(watch);
  EXPECT_EQ(listings, 1);
  ASSERT_EQ(pack.smiles.size(), 1u);
  EXPECT_EQ(pack.smiles[0].symbols.size(), 20000u);
  EXPECT_EQ(pack.leftOut.size(), 300u);
}

TEST_F(ThemeImport, OnlyTheFirst676SmilesAreTaken) {
  TTheme source;
  for (int i = 0; i < MaxSmiles + 2; ++i) {
    const std::string name = "p" + std::to_string(i) + ".gif";
    Picture(name, Gif(name));
    source.smiles.push_back({name, {"c" + std::to_string(i)}});
  }
  const TThemePack pack = BuildThemePack(source, theme, spAnimated);
  EXPECT_EQ(pack.smiles.size(), static_cast<std::size_t>(MaxSmiles));
  EXPECT_EQ(pack.smiles.back().source, "p675.gif");
  ASSERT_EQ(pack.leftOut.size(), 2u);
  EXPECT_EQ(DescribeLeftOut(pack.leftOut[1]), "left out smile p677.gif: past the 676 smiles a pack holds");
}

TEST_F(ThemeImport, APackFolderIsNeverWrittenOver) {
  Picture("a.gif", Gif("a"));
  TTheme source;
  source.smiles = {{"a.gif", {":)"}}};
  const TThemePack pack = BuildThemePack(source, theme, spAnimated);
  std::string error;

  // Other files stay; a second import into the same folder is refused and changes nothing.
  const std::string dir = disk.Make("pack/");
  WriteBytes(dir + "notes.txt", "mine");
  ASSERT_TRUE(WriteThemePack(pack, dir, spAnimated, error)) << error;
  WriteBytes(dir + "_define.ini", "edited");
  EXPECT_FALSE(WriteThemePack(pack, dir, spAnimated, error));
  EXPECT_EQ(error, dir + " already holds a pack; import into an empty or new folder");
  EXPECT_EQ(ListFolder(dir), (std::vector<std::string>{"_define.ini", "aa.gif", "notes.txt"}));
  EXPECT_EQ(ReadBytes(dir + "_define.ini"), "edited");

  // A picture named by position or a definition file in any letter case is a pack already; a
  // picture of the other kind is not.
  for (const char* name : {"ZZ.GIF", "_Define.INI"}) {
    const std::string other = disk.Make(std::string("holds-") + name + "/");
    WriteBytes(other + name, "x");
    EXPECT_FALSE(WriteThemePack(pack, other, spAnimated, error)) << name;
  }
  const std::string gifs = disk.Make("gifs/");
  WriteBytes(gifs + "aa.gif", "x");
  EXPECT_TRUE(WriteThemePack(BuildThemePack(source, theme, spStatic), gifs, spStatic, error)) << error;

  // A write that fails part-way takes back the pictures it wrote.
  TThemePack two = pack;
  two.smiles.push_back(pack.smiles.front());
  two.smiles.back().picture.append(4000, '\0');
  const std::string failing = disk.Make("failing/");
  {
    ScopedFileSizeLimit limit(1000);
    EXPECT_FALSE(WriteThemePack(two, failing, spAnimated, error));
  }
  EXPECT_EQ(error, "can't write " + failing + "ab.gif");
  EXPECT_TRUE(ListFolder(failing).empty());
}

TEST_F(ThemeImport, ThemeIsLoadedFromItsFolderOrItsIndexFile) {
  WriteBytes(theme + "EMOTICONS.XML", "<messaging-emoticon-map><emoticon file='a.gif'><string>:)</string>"
                                      "</emoticon></messaging-emoticon-map>");
  for (const std::string& source : {theme.substr(0, theme.size() - 1), theme + "EMOTICONS.XML"}) {
    TTheme loaded;
    std::string folder, error;
    ASSERT_TRUE(LoadTheme(TThemeFormat::Kde, source, loaded, folder, error)) << error;
    EXPECT_EQ(folder, theme);
    ASSERT_EQ(loaded.smiles.size(), 1u);
  }
  TTheme loaded;
  std::string folder, error;
  EXPECT_FALSE(LoadTheme(TThemeFormat::Pidgin, theme, loaded, folder, error));
  EXPECT_EQ(error, "no theme in " + theme);
  EXPECT_FALSE(LoadTheme(TThemeFormat::Adium, theme + "EMOTICONS.XML", loaded, folder, error));
  EXPECT_EQ(error, theme + "EMOTICONS.XML: the root element is <messaging-emoticon-map>, not <plist>");
  EXPECT_FALSE(LoadTheme(TThemeFormat::Kde, disk.Path() + "nothing", loaded, folder, error));
}
