// SPDX-License-Identifier: GPL-3.0-or-later
// fennimo-pack import and export, run as a pack author runs them: a theme of each format made
// here as its documentation describes it becomes a pack; a pack exported and imported again
// comes back byte for byte; bad usage and unreadable sources exit with 2 and write nothing.
#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>

#include "Cp1251.h"
#include "GifDecoder.h"
#include "PackFixture.h"
#include "TestSupport.h"
#include "ToolRunner.h"

using namespace testing_support;
using pack_testing::Bmp;
using pack_testing::Gif;
using tool_testing::Outcome;
using tool_testing::RunTool;
using Strings = std::vector<std::string>;

namespace {

const std::string Privet = "\xcf\xf0\xe8\xe2\xe5\xf2";  // "Привет" in Windows-1251

class ThemeCommand : public ::testing::Test {
protected:
  TempDir disk;
  TempDir scratch;

  Outcome Run(const Strings& args, const tool_testing::Conditions& conditions = {}) {
    return RunTool(args, scratch, conditions);
  }

  // A theme of Format with a PNG (with transparency) and a GIF the editor reads: two smiles,
  // one of them with an emoji code that a pack can't hold, the other with a code of the first.
  std::string Theme(const std::string& format) {
    const std::string dir = disk.Make(format + ".AdiumEmoticonset/");
    QImage png(4, 3, QImage::Format_ARGB32);
    png.fill(qRgba(0, 0, 0, 0));
    png.setPixel(1, 1, qRgba(200, 10, 10, 255));
    png.save(QString::fromStdString(dir + "smile.png"));
    WriteBytes(dir + "grin.gif", Gif("grin"));
    if (format == "pidgin")
      WriteBytes(dir + "theme",
                 "Name=Test\nAuthor=Fennimo\n\n[default]\nsmile.png\t:-) :) \xF0\x9F\x98\x80\n"
                 "! grin.gif  :D \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\n"
                 "[XMPP]\nsmile.png :)\ngrin.gif :-)\n");
    else if (format == "kde")
      WriteBytes(dir + "emoticons.xml",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<messaging-emoticon-map version=\"0.1\">\n"
                 " <emoticon file=\"smile\"><string>:-)</string><string>:)</string>"
                 "<string>\xF0\x9F\x98\x80</string></emoticon>\n"
                 " <emoticon file=\"grin.gif\"><string>:D</string>"
                 "<string>\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82</string><string>:-)</string></emoticon>\n"
                 "</messaging-emoticon-map>\n");
    else if (format == "jisp")
      WriteBytes(dir + "icondef.xml",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<icondef>\n<meta><name>Test</name></meta>\n"
                 " <icon><text>:-)</text><text xml:lang=\"en\">:)</text><text>\xF0\x9F\x98\x80</text>"
                 "<object mime=\"image/png\">smile.png</object></icon>\n"
                 " <icon><text>:D</text><text xml:lang=\"ru\">\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82</text>"
                 "<text>:-)</text><graphic mime=\"image/gif\">grin.gif</graphic></icon>\n</icondef>\n");
    else
      WriteBytes(dir + "Emoticons.plist",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>\n"
                 "<key>AdiumSetVersion</key><real>1.3</real><key>Emoticons</key><dict>\n"
                 "<key>smile.png</key><dict><key>Equivalents</key><array><string>:-)</string>"
                 "<string>:)</string><string>\xF0\x9F\x98\x80</string></array>"
                 "<key>Name</key><string>Smile</string></dict>\n"
                 "<key>grin.gif</key><dict><key>Equivalents</key><array><string>:D</string>"
                 "<string>\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82</string><string>:-)</string></array>"
                 "<key>Name</key><string>Grin</string></dict>\n</dict></dict></plist>\n");
    return dir;
  }

  // Archive (its ending says which kind) of the folder Dir of Disk, made by Python.
  bool Archive(const std::string& dir, const std::string& archive) {
    const std::string module = archive.ends_with(".jisp") || archive.ends_with(".zip") ? "zipfile" : "tarfile";
    const std::string name = dir.substr(disk.Path().size(), dir.size() - disk.Path().size() - 1);
    return std::system(("cd '" + disk.Path() + "' && python3 -m " + module + " -c '" + archive + "' '" +
                        name + "'").c_str()) == 0;
  }
};

}  // namespace

TEST_F(ThemeCommand, ThemesOfEachFormatBecomePacks) {
  for (const std::string format : {"pidgin", "kde", "adium", "jisp"}) {
    SCOPED_TRACE(format);
    const std::string theme = Theme(format), pack = disk.Path() + format + "-pack/";
    const Outcome r = Run({"import", format, theme, pack});
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(r.Has("import " + theme + " (" + format + " theme) into " + pack + ": animated pack")) << r.out;
    const std::string smile = format == "kde" ? "smile" : "smile.png";
    EXPECT_TRUE(r.Has("  left out code \"\xF0\x9F\x98\x80\" of " + smile +
                      ": Windows-1251 has no such character")) << r.out;
    EXPECT_TRUE(r.Has("  left out code \":-)\" of grin.gif: another smile has it (it belongs to " +
                      smile + ")")) << r.out;
    EXPECT_TRUE(r.Has(pack + ": 2 smiles; 2 left out")) << r.out;
    const Outcome check = Run({"check", pack});
    EXPECT_EQ(check.code, 0) << check.out;

    EXPECT_EQ(ReadBytes(pack + "_define.ini"), ":-),:)\r\n:D," + Privet);
    EXPECT_EQ(ReadBytes(pack + "ab.gif"), Gif("grin"));
    TGifDecoder decoder(pack + "aa.gif");
    decoder.Decode();
    ASSERT_EQ(decoder.GetFrameCount(), 1);
    EXPECT_EQ(decoder.GetFrame(0)->ColorAt(0, 0), 0xFFFFFFu);
    EXPECT_EQ(decoder.GetFrame(0)->ColorAt(1, 1), 0x0A0AC8u);

    // The theme as the archives it is shared in, made by another program.
    const std::string archive = disk.Path() + format +
                                (format == "pidgin" ? ".tar.gz" : format == "kde" ? ".tar.xz"
                                                                : format == "adium" ? ".tar.bz2" : ".jisp");
    ASSERT_TRUE(Archive(theme, archive));
    const Outcome a = Run({"import", format, archive, pack + "archived"});
    EXPECT_EQ(a.code, 1) << a.err;
    EXPECT_EQ(ReadBytes(pack + "archived/_define.ini"), ReadBytes(pack + "_define.ini"));
    EXPECT_EQ(ReadBytes(pack + "archived/aa.gif"), ReadBytes(pack + "aa.gif"));
  }
  const std::string theme = Theme("kde"), pack = disk.Path() + "static/";
  EXPECT_EQ(Run({"import", "kde", theme + "emoticons.xml", pack, "--static"}).code, 1);
  EXPECT_EQ(ListFolder(pack), (Strings{"_define.ini", "aa.bmp", "ab.bmp"}));
}

TEST_F(ThemeCommand, ExportedPacksComeBackByteForByte) {
  // Cyrillic symbols, a smile without symbols (the last, so its line break matters), and the
  // pictures of either kind.
  const std::string define = ":-),:)," + Privet + "\r\n;-)\r\n\r\n";
  for (TSmilePack kind : AllPacks) {
    const std::string pack = disk.Make(std::string("pack-") + PackFolderName(kind) + "/");
    WriteBytes(pack + "_define.ini", define);
    for (const char* p : {"aa", "ab", "ac"})
      WriteBytes(pack + p + PackExtension(kind), kind == spStatic ? Bmp(p) : Gif(p));
    for (const std::string format : {"pidgin", "kde", "adium", "jisp"})
    for (const std::string ending : {"/", format == "jisp" ? ".jisp" : ".zip"}) {
      SCOPED_TRACE(format + " " + PackFolderName(kind) + ending);
      const std::string theme = disk.Path() + format + "-" + PackFolderName(kind) + ending;
      const std::string back = disk.Path() + format + "-back-" + PackFolderName(kind) + ending + "/";
      Outcome r = Run({"export", format, pack, theme});
      EXPECT_EQ(r.code, 0) << r.out << r.err;
      EXPECT_TRUE(r.Has(theme + ": 3 smiles; everything taken")) << r.out;
      Strings args = {"import", format, theme, back};
      if (kind == spStatic) args.push_back("--static");
      r = Run(args);
      EXPECT_EQ(r.code, 1) << r.err;
      EXPECT_TRUE(r.Has("  kept smile ac" + std::string(PackExtension(kind)) +
                        " without symbols: it has no codes left")) << r.out;
      EXPECT_EQ(ReadBytes(back + "_define.ini"), define);
      for (const char* p : {"aa", "ab", "ac"}) {
        const std::string name = p + std::string(PackExtension(kind));
        EXPECT_EQ(ReadBytes(back + name), ReadBytes(pack + name)) << name;
      }
    }
  }
}

TEST_F(ThemeCommand, PicturesAreConvertedOneAtATime) {
  // A theme of one BMP of 3 MiB, and one that names twelve such files: the pack's pictures are
  // written as they are made, so the second import holds no more memory than the first.
  QImage big(1024, 1024, QImage::Format_RGB32);
  big.fill(qRgb(10, 120, 200));
  long peak[2] = {};
  for (int files : {1, 12}) {
    const std::string theme = disk.Make("big" + std::to_string(files) + "/");
    ASSERT_TRUE(big.save(QString::fromStdString(theme + "p0.bmp")));
    std::string index = "[default]\n";
    for (int i = 0; i < files; ++i) {
      if (i) std::filesystem::create_hard_link(theme + "p0.bmp", theme + "p" + std::to_string(i) + ".bmp");
      index += "p" + std::to_string(i) + ".bmp :" + std::to_string(i) + "\n";
    }
    WriteBytes(theme + "theme", index);
    const Outcome r = Run({"import", "pidgin", theme, theme + "pack", "--static"}, {.memoryGivenBack = true});
    EXPECT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_EQ(ReadBytes(theme + "pack/" + PictureFileName(files - 1, spStatic)), ReadBytes(theme + "p0.bmp"));
    peak[files > 1] = r.peakKb;
  }
  EXPECT_LT(peak[1] - peak[0], 9 * 1024) << peak[0] << " KiB for one picture";
}

TEST_F(ThemeCommand, AnImportIsWrittenWholeOrNotAtAll) {
  // Ended by a signal while it writes its third picture, the import leaves no pack folder,
  // and run again it makes the pack.
  const std::string theme = disk.Make("theme/");
  WriteBytes(theme + "a.gif", Gif("a"));
  WriteBytes(theme + "b.gif", Gif("b"));
  WriteBytes(theme + "c.gif", Gif("c") + std::string(200000, '\0'));
  WriteBytes(theme + "theme", "[default]\na.gif :a\nb.gif :b\nc.gif :c\n");
  const std::string pack = disk.Path() + "pack/";
  Outcome r = Run({"import", "pidgin", theme, pack}, {.fileSizeBytes = 100000});
  EXPECT_EQ(r.code, -1) << r.out << r.err;
  EXPECT_FALSE(Exists(pack));
  r = Run({"import", "pidgin", theme, pack});
  EXPECT_EQ(r.code, 0) << r.out << r.err;
  EXPECT_EQ(ReadBytes(pack + "_define.ini"), ":a\r\n:b\r\n:c");

  // Nothing taken, nothing written.
  const std::string gone = disk.Make("gone/");
  WriteBytes(gone + "theme", "[default]\ngone.gif :)\n");
  r = Run({"import", "pidgin", gone, gone + "pack"});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.Has(gone + "pack/: nothing taken, nothing written; 1 left out")) << r.out;
  EXPECT_EQ(ListFolder(gone), Strings{"theme"});
}

TEST_F(ThemeCommand, BadUsageAndUnreadableSourcesExitWithTwo) {
  const std::string theme = Theme("kde");
  const std::string pack = disk.Make("pack/");
  WriteBytes(pack + "_define.ini", ":)");
  WriteBytes(pack + "aa.gif", Gif("aa"));
  const std::string out = disk.Make("out/");
  WriteBytes(out + "Emoticons.XML", "mine");
  // Archives that break the rules.
  const std::string archives = disk.Make("archives/");
  WriteBytes(archives + "a.gif", Gif("a"));
  ASSERT_EQ(std::system(("python3 " FENNIMO_SOURCE_DIR "/tests/tools/make_theme_archives.py " + archives).c_str()), 0);
  // A code nested in tens of thousands of elements: refused, not a stack overflow on a 1 MiB
  // stack.
  const std::string deep = disk.Make("deep/");
  std::string nested = "<messaging-emoticon-map><emoticon file='a.gif'><string>";
  for (int i = 0; i < 30000; ++i) nested += "<b>";
  WriteBytes(deep + "emoticons.xml", nested);
  const struct {
    Strings args;
    std::string err;  // the first line of stderr
    tool_testing::Conditions conditions = {};
  } cases[] = {
      {{"import", "kde", theme}, "fennimo-pack import FORMAT SOURCE PACKDIR [--static]"},
      {{"import", "msn", theme, disk.Path() + "x"}, "fennimo-pack import: unknown format msn"},
      {{"import", "kde", theme, disk.Path() + "x", "--animated"}, "fennimo-pack import: unexpected option --animated"},
      {{"import", "adium", theme, disk.Path() + "x"}, "fennimo-pack import: no Emoticons.plist in " + theme},
      {{"import", "kde", disk.Path() + "none", disk.Path() + "x"}, "fennimo-pack import: no folder or file " + disk.Path() + "none"},
      {{"import", "kde", theme, pack}, "fennimo-pack import: " + pack + " is not an empty folder; import into an empty or new folder"},
      {{"import", "kde", deep, disk.Path() + "x"}, "fennimo-pack import: " + deep + "emoticons.xml: line 1, column 145: elements nest deeper than 32 levels", {.stackBytes = 1 << 20}},
      {{"import", "pidgin", archives + "climb.tar.gz", disk.Path() + "x"}, "fennimo-pack import: " + archives + "climb.tar.gz: the archive names a file outside itself: ../evil.gif"},
      {{"import", "pidgin", archives + "absolute.tar.gz", disk.Path() + "x"}, "fennimo-pack import: " + archives + "absolute.tar.gz: the archive names a file outside itself: /tmp/evil.gif"},
      {{"import", "pidgin", archives + "many.tar.gz", disk.Path() + "x"}, "fennimo-pack import: " + archives + "many.tar.gz: the archive holds more than 10000 entries"},
      {{"import", "pidgin", archives + "large.tar.gz", disk.Path() + "x"}, "fennimo-pack import: " + archives + "large.tar.gz: the archive unpacks to more than 256 MiB"},
      {{"import", "pidgin", archives + "two.zip", disk.Path() + "x"}, "fennimo-pack import: " + archives + "two.zip holds more than one theme (a/theme, b/theme)"},
      {{"import", "kde", archives + "links.tar.xz", disk.Path() + "x"}, "fennimo-pack import: no emoticons.xml in " + archives + "links.tar.xz"},
      {{"import", "pidgin", archives + "notes.zip", disk.Path() + "x"}, "fennimo-pack import: " + archives + "notes.zip: not an archive that themes come in (Unrecognized archive format)"},
      {{"export", "kde", pack, disk.Path() + "x.tar.gz"}, "fennimo-pack export: " + disk.Path() + "x.tar.gz: an export writes a folder, or a .zip or .jisp archive"},
      {{"export", "kde", theme, disk.Path() + "x"}, "fennimo-pack export: no " + theme + "_define.ini"},
      {{"export", "kde", pack, out}, "fennimo-pack export: " + out + " is not an empty folder; export into an empty or new folder"},
      {{"export", "kde", pack, disk.Path() + "x", "--static", "--animated"}, "fennimo-pack export: unexpected option --animated"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[2]);
    const Outcome r = Run(c.args, c.conditions);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.err);
    EXPECT_EQ(r.out, "");
  }
  EXPECT_FALSE(Exists(disk.Path() + "x"));
  EXPECT_FALSE(Exists(disk.Path() + "x.tar.gz"));
  EXPECT_FALSE(Exists(disk.Path() + "evil.gif"));

  // Links are copies of what they name inside the archive; links that lead out are not taken.
  const Outcome links = Run({"import", "pidgin", archives + "links.tar.xz", disk.Path() + "links"});
  EXPECT_EQ(links.code, 1);
  EXPECT_TRUE(links.Has("  left out smile out.gif: its picture is missing")) << links.out;
  EXPECT_TRUE(links.Has("  left out smile up.gif: its picture is missing")) << links.out;
  EXPECT_EQ(ReadBytes(disk.Path() + "links/_define.ini"), ":a\r\n:i\r\n:h");
  EXPECT_EQ(ReadBytes(disk.Path() + "links/ac.gif"), Gif("a"));
  EXPECT_EQ(ListFolder(pack), (Strings{"_define.ini", "aa.gif"}));
  EXPECT_EQ(ListFolder(out), Strings{"Emoticons.XML"});

  const Outcome help = Run({"--help"});
  EXPECT_NE(help.out.find("\nfennimo-pack import FORMAT SOURCE PACKDIR [--static]\n"), std::string::npos);
  EXPECT_NE(help.out.find("\nfennimo-pack export FORMAT PACKDIR OUTDIR [--static | --animated]\n"),
            std::string::npos);
}
