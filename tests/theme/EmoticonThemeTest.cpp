// SPDX-License-Identifier: GPL-3.0-or-later
// Index files of the three theme formats, written here as their documentation describes them:
// what is read from them, what is refused, and that a written index reads back the same.
#include <gtest/gtest.h>

#include "EmoticonTheme.h"

namespace {

using Smiles = std::vector<std::pair<std::string, std::vector<std::string>>>;

Smiles Read(TThemeFormat format, const std::string& text, TTheme* out = nullptr) {
  TTheme theme;
  std::string error;
  EXPECT_TRUE(ParseTheme(format, text, theme, error)) << error;
  Smiles smiles;
  for (const auto& s : theme.smiles) smiles.push_back({s.picture, s.codes});
  if (out) *out = theme;
  return smiles;
}

std::string Refused(TThemeFormat format, const std::string& text) {
  TTheme theme;
  std::string error;
  EXPECT_FALSE(ParseTheme(format, text, theme, error));
  return error;
}

}  // namespace

TEST(EmoticonTheme, PidginGroupsHiddenSmileysAndComments) {
  // Header keys, a [default] group with blanks and tabs between the words, a smiley kept out of
  // the selector ("! "), a comment, and a protocol group adding pictures and codes.
  TTheme theme;
  const Smiles smiles = Read(TThemeFormat::Pidgin,
                             "\xEF\xBB\xBFName=Hello World!\r\nDescription=How-To\nIcon=happy.png\n"
                             "Author=Someone\n\n[default]\n"
                             "! hidden.png\t\t\tC:-) C:)\n"
                             "sad.png\t\t\t\t:( :-(\r\n"
                             "happy.png   :) :-) :)\n"
                             "#These show up only in MSN\n"
                             "[MSN]\n"
                             "sad.png :-( :'( \n"
                             "msn.gif (H) :( :-)\n",
                             &theme);
  EXPECT_EQ(theme.name, "Hello World!");
  EXPECT_EQ(smiles, (Smiles{{"hidden.png", {"C:-)", "C:)"}},
                            {"sad.png", {":(", ":-(", ":'("}},
                            {"happy.png", {":)", ":-)"}},
                            {"msn.gif", {"(H)"}}}));
  // A code written twice on a line is taken once; a later group's code that another smile
  // holds stays with that smile, and both are listed.
  ASSERT_EQ(theme.leftOut.size(), 3u);
  EXPECT_EQ(DescribeLeftOut(theme.leftOut[0]), "left out code \":)\" of happy.png: it stands twice");
  EXPECT_EQ(theme.leftOut[1].reason, TLeftOutReason::CodeTakenByOther);
  EXPECT_EQ(theme.leftOut[1].picture, "msn.gif");
  EXPECT_EQ(theme.leftOut[1].code, ":(");
  EXPECT_EQ(DescribeLeftOut(theme.leftOut[2]),
            "left out code \":-)\" of msn.gif: another smile has it (it belongs to happy.png)");
}

TEST(EmoticonTheme, KdeMapWithAndWithoutExtensions) {
  TTheme theme;
  const Smiles smiles = Read(TThemeFormat::Kde,
                             "<?xml version=\"1.0\"?>\n"
                             "<messaging-emoticon-map version=\"0.1\">\n"
                             " <emoticon file=\"smile.png\" unknown=\"x\">\n"
                             "  <string>:-)</string><string>:)</string><string>:o)</string>\n"
                             " </emoticon>\n"
                             " <ignored><emoticon file=\"no.png\"/></ignored>\n"
                             " <emoticon file=\"wink\"><string>;-)</string><note>x</note>"
                             "<string> &lt;3 &amp; </string></emoticon>\n"
                             " <emoticon file=\"smile.png\"><string>:-)</string><string>=)</string></emoticon>\n"
                             " <emoticon file=\"grin.png\"><string>:D</string><string>=)</string></emoticon>\n"
                             "</messaging-emoticon-map>\n",
                             &theme);
  EXPECT_EQ(smiles, (Smiles{{"smile.png", {":-)", ":)", ":o)", "=)"}},
                            {"wink", {";-)", " <3 & "}},
                            {"grin.png", {":D"}}}));
  // The emoticon inside an element the map does not have, and the code another smile has.
  ASSERT_EQ(theme.leftOut.size(), 2u);
  EXPECT_EQ(DescribeLeftOut(theme.leftOut[0]),
            "left out smile no.png: it stands inside an element the format does not have (<ignored>)");
  EXPECT_EQ(DescribeLeftOut(theme.leftOut[1]),
            "left out code \"=)\" of grin.png: another smile has it (it belongs to smile.png)");
}

TEST(EmoticonTheme, AdiumPropertyList) {
  const Smiles smiles = Read(
      TThemeFormat::Adium,
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\"><dict>\n"
      " <key>AdiumSetVersion</key><real>1.3</real>\n"
      " <key>Emoticons</key><dict>\n"
      "  <key>smile.png</key><dict>\n"
      "   <key>Equivalents</key><array><string>:-)</string><string>:)</string></array>\n"
      "   <key>Name</key><string>Smile</string>\n"
      "  </dict>\n"
      "  <key>grin.gif</key><dict><key>Name</key><string>Grin</string>"
      "<key>Equivalents</key><array><string>:D</string><integer>4</integer></array></dict>\n"
      "  <key>none.png</key><dict><key>Name</key><string>Nothing</string></dict>\n"
      " </dict>\n"
      "</dict></plist>\n");
  EXPECT_EQ(smiles, (Smiles{{"smile.png", {":-)", ":)"}}, {"grin.gif", {":D"}}, {"none.png", {}}}));
}

TEST(EmoticonTheme, JispIconSetsNewAndOld) {
  // Texts in several languages, a sound beside the picture, an <x> of the client's own, and
  // an icon without a picture.
  TTheme theme;
  Smiles smiles = Read(TThemeFormat::Jisp,
                       "<?xml version='1.0' encoding='UTF-8'?>\n<icondef>\n"
                       " <meta><name> Set </name><version>1.2</version><description>d</description>"
                       "<author jid='a@example.org'>A</author><creation>2004-01-01</creation></meta>\n"
                       " <icon><text>:-)</text><text xml:lang='en'>:)</text>"
                       "<text xml:lang='ru'>\xD1\x83\xD0\xBB\xD1\x8B\xD0\xB1\xD0\xBA\xD0\xB0</text>"
                       "<object mime='audio/x-wav'>smile.wav</object>"
                       "<object mime='image/png'> smile.png </object><x xmlns='name'>psi/smile</x></icon>\n"
                       " <icon><text>:roster:</text></icon>\n"
                       " <group><icon><object mime='image/gif'>hidden.gif</object></icon></group>\n"
                       "</icondef>\n",
                       &theme);
  EXPECT_EQ(theme.name, "Set");
  EXPECT_EQ(smiles, (Smiles{{"smile.png", {":-)", ":)", "\xD1\x83\xD0\xBB\xD1\x8B\xD0\xB1\xD0\xBA\xD0\xB0"}},
                            {"", {":roster:"}}}));
  ASSERT_EQ(theme.leftOut.size(), 1u);
  EXPECT_EQ(theme.leftOut[0].picture, "hidden.gif");
  // Older sets name the picture with <graphic>.
  smiles = Read(TThemeFormat::Jisp,
                "<icondef><meta><name>Old</name></meta>"
                "<icon><text>;)</text><graphic mime='image/gif'>wink.gif</graphic><sound>w.wav</sound></icon>"
                "</icondef>");
  EXPECT_EQ(smiles, (Smiles{{"wink.gif", {";)"}}}));
}

TEST(EmoticonTheme, IndexesOfAnotherKindAreRefused) {
  EXPECT_EQ(Refused(TThemeFormat::Pidgin, "Name=x\nsmile.png :)\n"),
            "no group of smileys (a line such as [default])");
  EXPECT_EQ(Refused(TThemeFormat::Pidgin, std::string("[default]\na.png \0:)", 17)), "not a text file");
  EXPECT_EQ(Refused(TThemeFormat::Kde, "<icondef><x/></icondef>"),
            "the root element is <icondef>, not <messaging-emoticon-map>");
  EXPECT_EQ(Refused(TThemeFormat::Jisp, "<icondef><icon><text>:)</icon></icondef>"),
            "line 1, column 30: Opening and ending tag mismatch.");
  EXPECT_NE(Refused(TThemeFormat::Kde, "<messaging-emoticon-map><emoticon file='a'>"), "");
  EXPECT_NE(Refused(TThemeFormat::Kde, ""), "");
  EXPECT_EQ(Refused(TThemeFormat::Adium, "bplist00\x01\x02"), "a binary property list; save it as XML first");
  EXPECT_EQ(Refused(TThemeFormat::Adium, "<plist><dict><key>X</key><dict/></dict></plist>"),
            "no \"Emoticons\" dictionary");
  EXPECT_EQ(Refused(TThemeFormat::Adium, "<plist><dict><string>a</string></dict></plist>"),
            "line 1, column 21: a value without a key");
  // Elements nested far deeper than any set nests them: in a code, or around the emoticons.
  auto deep = [](std::string text, int levels) {
    for (int i = 0; i < levels; ++i) text += "<b>";
    return text;
  };
  EXPECT_EQ(Refused(TThemeFormat::Kde, deep("<messaging-emoticon-map><emoticon><string>", 50000)),
            "line 1, column 132: elements nest deeper than 32 levels");
  EXPECT_EQ(Refused(TThemeFormat::Adium, deep("<plist><dict><key>Emoticons</key><dict><key>a</key>"
                                              "<dict><key>Equivalents</key><array><string>", 50000)),
            "line 1, column 175: elements nest deeper than 32 levels");
  EXPECT_EQ(Refused(TThemeFormat::Kde, deep("<messaging-emoticon-map>", 100)),
            "line 1, column 120: elements nest deeper than 32 levels");
  EXPECT_NE(Refused(TThemeFormat::Adium, std::string(MaxThemeIndexSize + 1, ' ')), "");
}

TEST(EmoticonTheme, WrittenIndexesReadBackTheSame) {
  TTheme theme;
  theme.name = "Pack\nname";
  theme.smiles = {{"aa.gif", {":-)", "Привет", "<&>\"'"}}, {"ab.gif", {}}, {"ac.gif", {";)"}}};
  for (TThemeFormat format : AllThemeFormats) {
    SCOPED_TRACE(ThemeFormatName(format));
    TTheme back;
    const Smiles smiles = Read(format, FormatTheme(format, theme), &back);
    EXPECT_EQ(smiles, (Smiles{{"aa.gif", {":-)", "Привет", "<&>\"'"}}, {"ab.gif", {}}, {"ac.gif", {";)"}}}));
    EXPECT_TRUE(back.leftOut.empty());
    TThemeFormat named;
    ASSERT_TRUE(ThemeFormatFromName(ThemeFormatName(format), named));
    EXPECT_EQ(named, format);
  }
  EXPECT_EQ(FormatTheme(TThemeFormat::Pidgin, theme).substr(0, 30), "Name=Pack name\nIcon=aa.gif\n\n[d");
  // Codes that blanks would split are not offered to a pidgin theme.
  TLeftOutReason why;
  EXPECT_FALSE(ThemeCanHoldCode(TThemeFormat::Pidgin, "a b", why));
  EXPECT_EQ(why, TLeftOutReason::CodeHasBlank);
  EXPECT_TRUE(ThemeCanHoldCode(TThemeFormat::Kde, "a b", why));
  EXPECT_FALSE(ThemeCanHoldCode(TThemeFormat::Adium, "a\tb", why));
  EXPECT_EQ(why, TLeftOutReason::CodeHasControl);
  TThemeFormat format;
  EXPECT_TRUE(ThemeFormatOfIndexFile("EMOTICONS.XML", format));
  EXPECT_EQ(format, TThemeFormat::Kde);
  EXPECT_FALSE(ThemeFormatOfIndexFile("themes", format));
}
