// Writes that fail part-way (the file-size limit makes every write fail while renames still
// work): every operation reports the failure, and a new model on the same storage shows the
// last complete state.
#include "PackFixture.h"

#include "Files.h"
#include "PackError.h"

using namespace pack_testing;
using namespace testing_support;
using Strings = std::vector<std::string>;

namespace {

class PackFailureTest : public PackModelTest {
protected:
  Strings before;

  void SetUp() override {
    PackModelTest::SetUp();
    ASSERT_TRUE(Open(MakePack("p", ":a\r\n:b\r\n:c", {"aa", "ab", "ac"})));
    before = Snapshot();
  }

  // What a user would see of the pack: captions, symbols and the picture behind each smile.
  Strings Snapshot() {
    Strings view = Captions();
    for (int i = 0; i < model->SmileCount(); ++i) {
      std::string symbols;
      for (const auto& s : SymbolsOf(i)) symbols += s + ";";
      view.push_back(symbols + StorageTag(PictureFileName(i, spAnimated).substr(0, 2)));
    }
    return view;
  }

  // Gives the first smile a symbol long enough that the definition file outgrows a picture.
  void MakeDefinitionBiggerThan(const std::string& picture) {
    model->GetSmile(0)->Symbols.Add(std::string(ReadBytes(picture).size(), 'x'));
    before = Snapshot();
  }

  void ExpectUnchangedNowAndAfterRestart() {
    EXPECT_EQ(Snapshot(), before);
    Restart();
    EXPECT_EQ(Snapshot(), before);
  }
};

}  // namespace

TEST_F(PackFailureTest, AddSmile) {
  std::string file = MakePicture("n.gif", "N");
  {
    ScopedFileSizeLimit limit(1);
    EXPECT_EQ(model->AddSmile(file), nullptr);  // the copy fails
  }
  ExpectUnchangedNowAndAfterRestart();
}

TEST_F(PackFailureTest, AddSmileWhoseDefinitionWriteFails) {
  std::string file = MakePicture("n.gif", "N");
  MakeDefinitionBiggerThan(file);
  {
    ScopedFileSizeLimit limit(ReadBytes(file).size());  // the picture fits, the lines don't
    EXPECT_THROW(model->AddSmile(file), platform::EWriteError);
  }
  EXPECT_EQ(StorageTag("ad"), "-");
  ExpectUnchangedNowAndAfterRestart();
}

TEST_F(PackFailureTest, InsertSmile) {
  std::string file = MakePicture("n.gif", "N");
  MakeDefinitionBiggerThan(file);
  {
    ScopedFileSizeLimit limit(ReadBytes(file).size());
    EXPECT_THROW(model->InsertSmile(1, file), platform::EWriteError);
  }
  ExpectUnchangedNowAndAfterRestart();
}

TEST_F(PackFailureTest, DeleteSmile) {
  {
    ScopedFileSizeLimit limit(1);
    EXPECT_THROW(model->DeleteSmile(0), platform::EWriteError);
  }
  ExpectUnchangedNowAndAfterRestart();
}

TEST_F(PackFailureTest, ExchangeSmiles) {
  {
    ScopedFileSizeLimit limit(1);
    EXPECT_THROW(model->ExchangeSmiles(0, 2), platform::EWriteError);
  }
  ExpectUnchangedNowAndAfterRestart();
}

TEST_F(PackFailureTest, SymbolEdits) {
  TSymbolList& symbols = model->GetSmile(1)->Symbols;
  {
    ScopedFileSizeLimit limit(1);
    EXPECT_THROW(symbols.Add(":new"), platform::EWriteError);
    EXPECT_THROW(symbols.Put(0, ":changed"), platform::EWriteError);
    EXPECT_THROW(symbols.Delete(0), platform::EWriteError);
  }
  EXPECT_EQ(symbols.Items(), (Strings{":b"}));
  ExpectUnchangedNowAndAfterRestart();
}

TEST_F(PackFailureTest, OpeningAnotherPack) {
  std::string other = MakePack("q", ":q", {"aa"});
  {
    ScopedFileSizeLimit limit(1);
    EXPECT_THROW(Open(other), EPackError);
  }
  ExpectUnchangedNowAndAfterRestart();
  EXPECT_EQ(model->SourcePath[spAnimated], disk.Path() + "p/");
}

TEST_F(PackFailureTest, SavingReportsACopyThatFailed) {
  std::string target = disk.Path() + "target/";
  {
    ScopedFileSizeLimit limit(1);
    EXPECT_THROW(model->SavePackAs(target + "_define.ini"), EPackError);
  }
  EXPECT_EQ(model->SourcePath[spAnimated], disk.Path() + "p/");  // the target did not move
  ExpectUnchangedNowAndAfterRestart();
}
