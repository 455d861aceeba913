// SPDX-License-Identifier: GPL-3.0-or-later
// A pack made from a theme: which codes become symbols, which pictures are found and converted,
// the 676-smile limit, and a pack folder that is written whole or not at all.
#include <gtest/gtest.h>

#include <QImage>

#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "Cp1251.h"
#include "Files.h"
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
  TLoadedTheme Loaded(const TTheme& source) { return {TThemeFormat::Pidgin, source, theme}; }
  // The smiles of a pack of Kind made from Source, the pictures written into a folder of their
  // own.
  TThemePack Build(const TTheme& source, TSmilePack kind = spAnimated) {
    TThemePack pack;
    std::string error;
    EXPECT_TRUE(BuildThemePack(Loaded(source), kind, disk.Make("built" + std::to_string(++built_) + "/"),
                               pack, error)) << error;
    return pack;
  }

private:
  int built_ = 0;
};

std::string PictureOf(const TThemePack& pack, std::size_t smile) {
  return ReadBytes(pack.smiles.at(smile).file);
}

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
  const TThemePack pack = Build(source);
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
  TThemePack imported;
  ASSERT_TRUE(ImportTheme(Loaded(source), spAnimated, packDir, imported, error)) << error;
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

  const TThemePack pack = Build(source);
  ASSERT_EQ(pack.smiles.size(), 3u);
  EXPECT_EQ(PictureOf(pack, 0), a);
  EXPECT_EQ(PictureOf(pack, 1), Gif("b"));
  EXPECT_EQ(pack.smiles[2].source, "c");
  EXPECT_EQ(PictureOf(pack, 2).substr(0, 6), "GIF89a");
  EXPECT_EQ(Reasons(pack), (std::vector<TLeftOutReason>{
                               TLeftOutReason::PictureMissing, TLeftOutReason::PictureOutside,
                               TLeftOutReason::PictureOutside, TLeftOutReason::PictureOutside,
                               TLeftOutReason::PictureUnusable, TLeftOutReason::PictureMissing}));
  EXPECT_EQ(pack.leftOut[4].picture, "text.png");
  EXPECT_EQ(pack.leftOut[4].detail.substr(0, 32), "not a picture this program reads");

  // The static pack gets BMPs: the GIF is converted, a BMP taken as it is.
  Picture("d.bmp", Bmp("d"));
  source.smiles = {{"a.gif", {":)"}}, {"d.bmp", {":("}}};
  const TThemePack still = Build(source, spStatic);
  ASSERT_EQ(still.smiles.size(), 2u);
  EXPECT_EQ(PictureOf(still, 0).substr(0, 2), "BM");
  EXPECT_EQ(PictureOf(still, 1), Bmp("d"));
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
  const TThemePack pack = Build(source);
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
  const TThemePack pack = Build(source);
  EXPECT_EQ(pack.smiles.size(), static_cast<std::size_t>(MaxSmiles));
  EXPECT_EQ(pack.smiles.back().source, "p675.gif");
  ASSERT_EQ(pack.leftOut.size(), 2u);
  EXPECT_EQ(DescribeLeftOut(pack.leftOut[1]), "left out smile p677.gif: past the 676 smiles a pack holds");
}

TEST_F(ThemeImport, APackFolderIsWrittenWholeOrNotAtAll) {
  Picture("a.gif", Gif("a"));
  Picture("b.gif", Gif("b"));
  TTheme source;
  source.smiles = {{"a.gif", {":)"}}, {"b.gif", {":("}}};
  TThemePack pack;
  std::string error;

  // A new folder, or an empty one, takes the pack; a folder holding anything is refused.
  const std::string empty = disk.Make("empty/");
  ASSERT_TRUE(ImportTheme(Loaded(source), spAnimated, empty, pack, error)) << error;
  EXPECT_EQ(ListFolder(empty), (std::vector<std::string>{"_define.ini", "aa.gif", "ab.gif"}));
  const std::string notes = disk.Make("notes/");
  WriteBytes(notes + "notes.txt", "mine");
  EXPECT_FALSE(ImportTheme(Loaded(source), spAnimated, notes, pack, error));
  EXPECT_EQ(error, notes + " is not an empty folder; import into an empty or new folder");
  EXPECT_EQ(ListFolder(notes), std::vector<std::string>{"notes.txt"});

  // Nothing taken, nothing written.
  TTheme gone;
  gone.smiles = {{"gone.gif", {":)"}}};
  ASSERT_TRUE(ImportTheme(Loaded(gone), spAnimated, disk.Path() + "gone/", pack, error)) << error;
  EXPECT_TRUE(pack.smiles.empty());
  EXPECT_EQ(pack.leftOut.size(), 1u);

  // A write that fails part-way leaves nothing behind.
  Picture("big.gif", Gif("big") + std::string(4000, '\0'));
  source.smiles.push_back({"big.gif", {":O"}});
  {
    ScopedFileSizeLimit limit(1000);
    EXPECT_FALSE(ImportTheme(Loaded(source), spAnimated, disk.Path() + "failing/", pack, error));
  }
  EXPECT_TRUE(error.starts_with("can't write ")) << error;
  EXPECT_EQ(ListFolder(disk.Path()), (std::vector<std::string>{"empty", "notes", "theme"}));

  // Ended at any file step, as a signal ends it, the import leaves no pack folder (or, ended at
  // its last sync, the whole pack), and the import run again makes the whole pack.
  const std::string target = disk.Path() + "cut/";
  for (long long step = 1;; ++step) {
    SCOPED_TRACE("ended before step " + std::to_string(step));
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
      platform::EndProcessAtFileStep(step, 3);
      TThemePack made;
      std::string ignored;
      ::_exit(ImportTheme(Loaded(source), spAnimated, target, made, ignored) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 0 || Exists(target)) break;
    ASSERT_EQ(WEXITSTATUS(status), 3);
    ASSERT_TRUE(ImportTheme(Loaded(source), spAnimated, target, pack, error)) << error;
    EXPECT_EQ(ReadBytes(target + "_define.ini"), ":)\r\n:(\r\n:O");
    ASSERT_TRUE(platform::RemoveFolderTree(target));
  }
  EXPECT_EQ(ListFolder(target), (std::vector<std::string>{"_define.ini", "aa.gif", "ab.gif", "ac.gif"}));
}

TEST_F(ThemeImport, ThemeIsLoadedFromItsFolderOrItsIndexFile) {
  WriteBytes(theme + "EMOTICONS.XML", "<messaging-emoticon-map><emoticon file='a.gif'><string>:)</string>"
                                      "</emoticon></messaging-emoticon-map>");
  for (const std::string& source : {theme.substr(0, theme.size() - 1), theme + "EMOTICONS.XML"}) {
    TLoadedTheme loaded;
    std::string error;
    ASSERT_TRUE(LoadTheme(TThemeFormat::Kde, source, loaded, error)) << error;
    EXPECT_EQ(loaded.folder, theme);
    ASSERT_EQ(loaded.theme.smiles.size(), 1u);
  }
  TLoadedTheme loaded;
  std::string error;
  EXPECT_FALSE(LoadTheme(TThemeFormat::Pidgin, theme, loaded, error));
  EXPECT_EQ(error, "no theme in " + theme);
  EXPECT_FALSE(LoadTheme(TThemeFormat::Adium, theme + "EMOTICONS.XML", loaded, error));
  EXPECT_EQ(error, theme + "EMOTICONS.XML: the root element is <messaging-emoticon-map>, not <plist>");
  EXPECT_FALSE(LoadTheme(TThemeFormat::Kde, disk.Path() + "nothing", loaded, error));
}
