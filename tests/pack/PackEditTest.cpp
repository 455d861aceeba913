// SPDX-License-Identifier: GPL-3.0-or-later
// Editing the active pack: every change reaches the storage before the operation returns.
#include "PackFixture.h"

#include <QImage>

#include <functional>

#include "Files.h"
#include "PackError.h"

using namespace pack_testing;
using namespace testing_support;
using Strings = std::vector<std::string>;

namespace {

class PackEditTest : public PackModelTest {
protected:
  // An animated pack of three smiles aa, ab, ac with one symbol each, opened.
  void OpenThree() {
    ASSERT_TRUE(Open(MakePack("three", ":a\r\n:b\r\n:c", {"aa", "ab", "ac"})));
  }
};

}  // namespace

TEST_F(PackEditTest, AddSmileCopiesThePictureAndAddsAnEmptyLine) {
  OpenThree();
  std::string file = MakePicture("new.gif", "new");
  TSmile* smile = model->AddSmile(file);
  ASSERT_NE(smile, nullptr);
  EXPECT_EQ(model->SmileCount(), 4);
  EXPECT_EQ(StorageTag("ad"), "new");
  EXPECT_EQ(StorageDefine(), ":a\r\n:b\r\n:c\r\n\r\n");
  EXPECT_EQ(Captions().back(), "ad.gif (Нет)");
  EXPECT_EQ(TagOf(file), "new");  // copied, never moved
  EXPECT_EQ(model->AddSmile(disk.Path() + "missing.gif"), nullptr);
  EXPECT_EQ(model->SmileCount(), 4);
}

TEST_F(PackEditTest, InsertSmileMovesFollowingPicturesUp) {
  OpenThree();
  ASSERT_NE(model->InsertSmile(1, MakePicture("f.gif", "F")), nullptr);
  EXPECT_EQ(StorageTag("aa"), "aa");
  EXPECT_EQ(StorageTag("ab"), "F");
  EXPECT_EQ(StorageTag("ac"), "ab");
  EXPECT_EQ(StorageTag("ad"), "ac");
  EXPECT_EQ(StorageDefine(), ":a\r\n\r\n:b\r\n:c");
}

TEST_F(PackEditTest, InsertSmileRefusesTheEndAndBadFiles) {
  OpenThree();
  std::string file = MakePicture("f.gif", "F");
  EXPECT_EQ(model->InsertSmile(3, file), nullptr);
  EXPECT_EQ(model->InsertSmile(-1, file), nullptr);
  EXPECT_EQ(model->InsertSmile(0, disk.Path() + "missing.gif"), nullptr);
  EXPECT_EQ(model->SmileCount(), 3);
  EXPECT_EQ(StorageTag("ad"), "-");
}

TEST_F(PackEditTest, InsertSmileWhoseCopyFailsPutsThePicturesBack) {
  OpenThree();
  std::string big = MakePicture("big.gif", "big" + std::string(200, 'x'));
  {
    ScopedFileSizeLimit limit(100);
    EXPECT_EQ(model->InsertSmile(0, big), nullptr);
  }
  EXPECT_EQ(StorageTag("aa"), "aa");
  EXPECT_EQ(StorageTag("ab"), "ab");
  EXPECT_EQ(StorageTag("ac"), "ac");
  EXPECT_EQ(StorageTag("ad"), "-");
  EXPECT_EQ(model->SmileCount(), 3);
}

TEST_F(PackEditTest, AFullPackTakesNoMoreSmiles) {
  std::string define;
  std::vector<std::string> pictures;
  for (int i = 0; i < MaxSmiles; ++i) {
    define += ":" + std::to_string(i) + "\r\n";
    pictures.push_back(PictureFileName(i, spAnimated).substr(0, 2));
  }
  ASSERT_TRUE(Open(MakePack("full", define.c_str(), pictures)));
  ASSERT_EQ(model->SmileCount(), MaxSmiles);
  std::string file = MakePicture("f.gif", "F");
  EXPECT_EQ(model->AddSmile(file), nullptr);
  EXPECT_EQ(model->InsertSmile(0, file), nullptr);
  EXPECT_EQ(StorageTag("aa"), "aa");
  EXPECT_EQ(StorageTag("zz"), "zz");
  EXPECT_EQ(model->SmileCount(), MaxSmiles);
}

TEST_F(PackEditTest, PicturesWithoutALineMoveAlongAndAreNeverOverwritten) {
  // Six pictures, three lines: ad, ae and ag belong to no line.
  ASSERT_TRUE(Open(MakePack("extra", ":a\r\n:b\r\n:c", {"aa", "ab", "ac", "ad", "ae", "ag"})));
  ASSERT_NE(model->InsertSmile(0, MakePicture("n.gif", "N")), nullptr);
  // The run after the last line moves into the gap before ag, which stays.
  EXPECT_EQ(StorageTags(8), "N aa ab ac ad ae ag -");
  EXPECT_EQ(Captions()[1], "ab.gif (:a)");
  ASSERT_TRUE(model->DeleteSmile(0));
  EXPECT_EQ(StorageTags(8), "aa ab ac ad ae ag - -");
  ASSERT_NE(model->AddSmile(MakePicture("m.gif", "M")), nullptr);
  EXPECT_EQ(StorageTags(8), "aa ab ac M ad ae ag -");
  ASSERT_TRUE(model->ExchangeSmiles(0, 2));
  EXPECT_EQ(StorageTags(8), "ac ab aa M ad ae ag -");
}

TEST_F(PackEditTest, AddingToAFolderOfPicturesKeepsThem) {
  ASSERT_TRUE(Open(MakePack("pictures", nullptr, {"aa"})));
  ASSERT_EQ(model->SmileCount(), 0);
  ASSERT_NE(model->AddSmile(MakePicture("n.gif", "N")), nullptr);
  EXPECT_EQ(StorageTags(2), "N aa");
}

TEST_F(PackEditTest, DeleteSmileMovesFollowingPicturesDown) {
  OpenThree();
  ASSERT_TRUE(model->DeleteSmile(0));
  EXPECT_EQ(StorageTag("aa"), "ab");
  EXPECT_EQ(StorageTag("ab"), "ac");
  EXPECT_EQ(StorageTag("ac"), "-");
  EXPECT_EQ(StorageDefine(), ":b\r\n:c");
  EXPECT_EQ(Captions(), (Strings{"aa.gif (:b)", "ab.gif (:c)"}));
  EXPECT_FALSE(model->DeleteSmile(2));
  EXPECT_FALSE(model->DeleteSmile(-1));
}

TEST_F(PackEditTest, ExchangeSmilesSwapsPicturesLinesAndCaptions) {
  OpenThree();
  ASSERT_TRUE(model->ExchangeSmiles(0, 1));
  EXPECT_EQ(StorageTag("aa"), "ab");
  EXPECT_EQ(StorageTag("ab"), "aa");
  EXPECT_EQ(StorageDefine(), ":b\r\n:a\r\n:c");
  EXPECT_EQ(Captions(), (Strings{"aa.gif (:b)", "ab.gif (:a)", "ac.gif (:c)"}));
  EXPECT_FALSE(model->ExchangeSmiles(2, 3));
}

TEST_F(PackEditTest, ExchangeWithAMissingPictureMovesTheOtherOne) {
  ASSERT_TRUE(Open(MakePack("gap", ":a\r\n:b", {"aa"})));
  model->OnMissingFile = nullptr;
  ASSERT_TRUE(model->ExchangeSmiles(0, 1));
  EXPECT_EQ(StorageTag("aa"), "-");
  EXPECT_EQ(StorageTag("ab"), "aa");
}

TEST_F(PackEditTest, DeletePictureOfTheOnlySmileLeavesItWithoutPicture) {
  ASSERT_TRUE(Open(MakePack("one", ":x", {"aa"})));
  ASSERT_TRUE(model->DeletePicture(0));
  EXPECT_EQ(Captions(), (Strings{"Нет (:x)"}));
  EXPECT_EQ(StorageDefine(), ":x");
  EXPECT_EQ(ListFolder(StorageFolder()), (Strings{"Config", "_define.ini"}));
  EXPECT_EQ(model->ErrorCount(ekMissingPicture), 1);
}

TEST_F(PackEditTest, ReplacePictureKeepsSymbolsAndPosition) {
  OpenThree();
  model->GetSmile(1)->Symbols.Add(":bb");
  TSmile* smile = model->ReplacePicture(1, MakePicture("r.gif", "R"));
  ASSERT_NE(smile, nullptr);
  EXPECT_EQ(model->GetSmile(1), smile);
  EXPECT_EQ(SymbolsOf(1), (Strings{":b", ":bb"}));
  EXPECT_EQ(StorageTag("ab"), "R");
  EXPECT_EQ(StorageDefine(), ":a\r\n:b,:bb\r\n:c");
  smile->Symbols.Add(":new");  // the new smile is connected
  EXPECT_EQ(StorageDefine(), ":a\r\n:b,:bb,:new\r\n:c");
}

TEST_F(PackEditTest, SymbolChangesAreWrittenAtOnceAndRecaption) {
  OpenThree();
  TSymbolList& symbols = model->GetSmile(0)->Symbols;
  symbols.Insert(0, ":first");
  EXPECT_EQ(StorageDefine(), ":first,:a\r\n:b\r\n:c");
  EXPECT_EQ(Captions()[0], "aa.gif (:first)");
  symbols.Exchange(0, 1);
  symbols.Put(1, ":edited");
  EXPECT_EQ(StorageDefine(), ":a,:edited\r\n:b\r\n:c");
  symbols.Delete(0);
  symbols.Delete(0);
  EXPECT_EQ(StorageDefine(), "\r\n:b\r\n:c");
  EXPECT_EQ(Captions()[0], "aa.gif (Нет)");
  EXPECT_EQ(model->ErrorCount(ekNoSymbols), 1);
}

TEST_F(PackEditTest, FindSymbolIgnoresLetterCaseAndTakesTheFirstSmile) {
  ASSERT_TRUE(Open(MakePack("find", ":a,:D\r\n:d\r\n\xc4\xe0", {"aa", "ab", "ac"})));
  int smile = -5, symbol = -5;
  ASSERT_TRUE(model->FindSymbol(":d", smile, symbol));
  EXPECT_EQ(smile, 0);
  EXPECT_EQ(symbol, 1);
  ASSERT_TRUE(model->FindSymbol("\xe4\xc0", smile, symbol));  // дА finds Да
  EXPECT_EQ(smile, 2);
  smile = symbol = -5;
  EXPECT_FALSE(model->FindSymbol(":zz", smile, symbol));
  EXPECT_EQ(smile, -5);
  EXPECT_EQ(symbol, -5);
}

TEST_F(PackEditTest, CaptionsUseTheInterfaceWordsAndCountEachSmileOnce) {
  std::string folder = MakePack("mixed", ":ok\r\n:broken\r\n\r\n", {"aa"});
  WriteBytes(folder + "ac.gif", kBrokenGif);  // decodes nothing: a load error
  missingAnswers = {{true, true}};           // ab stays without a picture
  ASSERT_TRUE(Open(folder));
  model->NoneText = "None";
  model->ErrorText = "Error";
  model->RefreshCaptions();
  EXPECT_EQ(Captions(), (Strings{"aa.gif (:ok)", "None (:broken)", "Error (None)"}));
  EXPECT_EQ(model->ErrorCount(ekLoadError), 1);
  EXPECT_EQ(model->ErrorCount(ekMissingPicture), 1);
  EXPECT_EQ(model->ErrorCount(ekNoSymbols), 1);
  EXPECT_EQ(model->ErrorCount(7), 0);
  EXPECT_TRUE(model->HasErrors());
}

TEST_F(PackEditTest, OtherPicturesAreConvertedAndOtherFilesRefused) {
  OpenThree();
  std::string png = disk.Make("pictures/") + "p.png";
  QImage image(3, 2, QImage::Format_ARGB32);
  image.fill(Qt::red);
  ASSERT_TRUE(image.save(QString::fromStdString(png), "PNG"));
  TSmile* smile = model->AddSmile(png);
  ASSERT_NE(smile, nullptr);
  ASSERT_TRUE(smile->HasPicture);
  EXPECT_EQ(ReadBytes(StorageFolder() + "ad.gif").substr(0, 4), "GIF8");
  std::string text = disk.Path() + "pictures/notes.txt";
  WriteBytes(text, "not a picture");
  for (auto edit : {std::function<void()>([&] { model->AddSmile(text); }),
                    std::function<void()>([&] { model->InsertSmile(0, text); }),
                    std::function<void()>([&] { model->ReplacePicture(0, text); })}) {
    try {
      edit();
      ADD_FAILURE() << "taken";
    } catch (const EPackError& e) {
      EXPECT_EQ(e.Kind(), EPackError::pkNotAPicture);
    }
  }
  EXPECT_EQ(StorageTags(5), "aa ab ac ? -");
  EXPECT_EQ(model->SmileCount(), 4);
}

TEST_F(PackEditTest, AStaticPackNamesBmpPictures) {
  ASSERT_TRUE(Open(MakePack("static", ":s", {"aa"}, spStatic), spStatic));
  ASSERT_NE(model->AddSmile(MakePicture("x.bmp", "X", spStatic)), nullptr);
  EXPECT_EQ(StorageTag("ab", spStatic), "X");
  EXPECT_EQ(Captions(), (Strings{"aa.bmp (:s)", "ab.bmp (Нет)"}));
  EXPECT_EQ(model->ErrorCount(ekLoadError), 0);  // both BMPs decode
}
