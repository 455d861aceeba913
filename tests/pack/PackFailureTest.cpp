// SPDX-License-Identifier: GPL-3.0-or-later
// Writes that fail part-way (the file-size limit makes every write fail while renames still
// work): every operation reports the failure, and a new model on the same storage shows the
// last complete state.
#include "PackFixture.h"

#include <functional>

#include "Files.h"
#include "PackError.h"
#include "StorageJournal.h"

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

// A disk that reports a failed sync: each change stops before it is written down, says so, and
// nothing of the storage or of the user's folder is renamed or removed.
TEST_F(PackFailureTest, AFailedSyncStopsAChangeBeforeItIsWrittenDown) {
  std::string source = disk.Path() + "p/", file = MakePicture("n.gif", "N");
  std::string other = MakePack("q", ":q", {"aa"});
  model->GetSmile(0)->Symbols.Add(":x");  // the save has something to write
  before = Snapshot();
  const std::vector<std::string> sourceFiles = ListFolder(source);
  const std::string sourceDefine = ReadBytes(source + "_define.ini");
  const std::pair<const char*, std::function<void()>> changes[] = {
      {"delete", [&] { model->DeleteSmile(0); }},
      {"symbol", [&] { model->GetSmile(1)->Symbols.Add(":new"); }},
      {"add", [&] { model->AddSmile(file); }},
      {"open", [&] { Open(other); }},
      {"save", [&] { model->SavePack(); }},
  };
  for (const auto& [name, change] : changes) {
    SCOPED_TRACE(name);
    platform::FailSyncs(true);
    bool told = false;
    try {
      change();
    } catch (const platform::EWriteError&) {
      told = true;
    } catch (const EPackError& e) {
      told = e.Kind() == EPackError::pkSaveCopyFailed;
    }
    platform::FailSyncs(false);
    // A picture that can't be stored is left out, as when it is gone; the others say so.
    EXPECT_TRUE(told || std::string(name) == "add");
    EXPECT_FALSE(TStorageJournal::Pending(*model->PackStorages[spAnimated]));
    EXPECT_EQ(ListFolder(source), sourceFiles);
    EXPECT_EQ(ReadBytes(source + "_define.ini"), sourceDefine);
    ExpectUnchangedNowAndAfterRestart();
  }
}

// A record that fails its checks, or that another version wrote, stops the start: it names the
// record, and nothing is completed or cleaned up.
TEST_F(PackFailureTest, ARecordThatFailsItsChecksStopsTheStart) {
  std::string workspace = appData.Path() + "Fennimo for Parlino 2005/2.0/Storage/";
  std::string staged = StorageFolder() + "_define.ini.fennimo-staged";
  const std::pair<std::string, std::string> records[] = {
      {StorageFolder() + "Config/Journal",
       "fennimo-journal 1\nmove aa.gif ab.gif\ncheck 0000000000000000\n"},
      {StorageFolder() + "Config/Journal", platform::WithChecksum("fennimo-journal 9\ndefine\n")},
      {workspace + "Journal.group", platform::WithChecksum("fennimo-journal 1\n../x\n")},
      {workspace + "Journal.save", platform::WithChecksum("fennimo-save 1\ncopy a b\n")},
  };
  model.reset();
  for (const auto& [record, text] : records) {
    SCOPED_TRACE(text);
    WriteBytes(record, text);
    WriteBytes(staged, "kept");
    try {
      StartModel();
      ADD_FAILURE() << "the start went on";
    } catch (const EPackError& e) {
      EXPECT_EQ(e.Kind(), EPackError::pkRecordDamaged);
      EXPECT_EQ(e.Path(), record);
    }
    EXPECT_EQ(ReadBytes(staged), "kept");
    EXPECT_EQ(ReadBytes(record), text);
    std::remove(record.c_str());
  }
  std::remove(staged.c_str());
  StartModel();
  ExpectUnchangedNowAndAfterRestart();
}
