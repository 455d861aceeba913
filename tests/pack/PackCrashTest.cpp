// Every operation on a pack, ended by the process's death right before each of its file-system
// steps in turn (a child process runs it): a new model on the same storage then holds the pack
// as it was before the operation or as it is after it, never a mix, the storage keeps no
// scratch file, and every file of the user's folders is as it was or as saved, never missing.
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <map>

#include "Files.h"
#include "PackFixture.h"
#include "StorageJournal.h"
#include "StorageManager.h"

using namespace pack_testing;
using namespace testing_support;

namespace {

constexpr int kEnded = 77, kDone = 78;

// Regular files under a folder, by path relative to it, with their bytes.
using TFiles = std::map<std::string, std::string>;

void ReadTree(const std::string& folder, const std::string& prefix, TFiles& files,
              bool skipConfig) {
  for (const auto& name : ListFolder(folder + prefix)) {
    std::string relative = prefix + name;
    if (platform::DirectoryExists(folder + relative)) {
      if (!(skipConfig && name == "Config")) ReadTree(folder, relative + "/", files, skipConfig);
    } else {
      files[relative] = ReadBytes(folder + relative);
    }
  }
}

struct TScenario {
  const char* name;
  // In the parent: makes the user's folders and what the storage holds before the operation.
  std::function<void(class PackCrashTest&)> setUp;
  // In the child: the operation, on a model started as the program starts; none when the
  // operation is the start itself, completing what the set-up left interrupted.
  std::function<void(class PackCrashTest&)> operation;
};

class PackCrashTest : public PackModelTest, public ::testing::WithParamInterface<TScenario> {
public:
  using PackModelTest::disk, PackModelTest::model, PackModelTest::emptyAnswers,
      PackModelTest::missingAnswers, PackModelTest::replaceAnswers, PackModelTest::MakePack,
      PackModelTest::MakePicture,
      PackModelTest::Open, PackModelTest::StartModel, PackModelTest::StorageFolder;
  std::string source, other;  // the user's pack folders

  // The storage of both packs as a restarted model finds it: state, files and captions.
  std::string StorageView() {
    Restart();
    std::string view;
    for (TSmilePack kind : AllPacks) {
      TFiles files;
      ReadTree(StorageFolder(kind), "", files, true);
      // Whether the pack differs from its folder follows the state: the prints go with it.
      view += State(kind) + (model->IsChanged(kind) ? " changed" : "") + "\n";
      for (const auto& [name, bytes] : files) {
        EXPECT_FALSE(IsScratchName(platform::ExtractFileName(name))) << name;
        view += name + "=" + bytes + "\n";
      }
      model->SetActivePack(kind);
      for (const auto& caption : Captions()) view += caption + "\n";
      // The history moves with the storage: its state, and every step it names can be read.
      std::string history = TStorageJournal::HistoryFolder(*model->PackStorages[kind]);
      std::string state;
      platform::ReadFile(history + TPackHistory::StateName, state);
      view += "history " + state + "\n";
      TPackHistory steps(history, kind);
      steps.Load();
      TPackStep step;
      EXPECT_TRUE(!steps.CanUndo() || steps.ReadNext(true, step));
      EXPECT_TRUE(!steps.CanRedo() || steps.ReadNext(false, step));
    }
    model.reset();
    return view;
  }

  TFiles UserFiles() {
    TFiles files;
    ReadTree(disk.Path(), "", files, false);
    std::erase_if(files, [](const auto& f) {
      return platform::IsTempFileName(platform::ExtractFileName(f.first));
    });
    return files;
  }

  // A fresh start: the scenario's folders and storage, no model.
  void SetUpWorld() { SetUpWorldWith(GetParam().setUp); }
  void SetUpWorldWith(const std::function<void(PackCrashTest&)>& setUp) {
    model.reset();
    RemoveTree(appData.Path());
    RemoveTree(disk.Path());
    ::mkdir(appData.Path().c_str(), 0700);
    ::mkdir(disk.Path().c_str(), 0700);
    StartModel();
    setUp(*this);
    model.reset();
  }

  // Runs the scenario from a fresh start in a child that ends before its Step-th file step
  // (never when 0); true when the operation ran to its end.
  bool Run(long long step) {
    SetUpWorld();
    std::fflush(nullptr);
    pid_t child = ::fork();
    if (child == 0) {
      try {
        const auto& operation = GetParam().operation;
        if (!operation) platform::EndProcessAtFileStep(step, kEnded);
        StartModel();
        platform::EndProcessAtFileStep(step, kEnded);
        if (operation) operation(*this);
        model.reset();
      } catch (const std::exception&) {
        // A refusal is an end of the operation too.
      }
      ::_exit(kDone);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    EXPECT_TRUE(code == kDone || code == kEnded) << "exit status " << code;
    return code != kEnded;
  }
};

TEST_P(PackCrashTest, EndedAtAnyStepNothingIsLostOrMixed) {
  platform::SkipSyncs(true);  // processes end here, not machines
  // Before and after, from runs that are not cut short.
  SetUpWorld();
  std::string viewBefore = StorageView();
  TFiles userBefore = UserFiles();
  ASSERT_TRUE(Run(0));
  std::string viewAfter = StorageView();
  TFiles userAfter = UserFiles();
  if (GetParam().operation) {
    ASSERT_TRUE(viewBefore != viewAfter || userBefore != userAfter);
  }

  long long step = 1;
  for (; !Run(step); ++step) {
    SCOPED_TRACE("ended before file step " + std::to_string(step));
    std::string view = StorageView();
    EXPECT_TRUE(view == viewBefore || view == viewAfter) << view;
    TFiles user = UserFiles();
    for (const auto& [path, bytes] : user)
      EXPECT_TRUE(userBefore.count(path) || userAfter.count(path)) << "new file " << path;
    for (const auto& [path, bytes] : userBefore) {
      auto now = user.find(path);
      if (now == user.end()) {
        EXPECT_FALSE(userAfter.count(path)) << "missing " << path;
        continue;
      }
      auto after = userAfter.find(path);
      bool saved = after != userAfter.end() && now->second == after->second;
      EXPECT_TRUE(now->second == bytes || saved)
          << "mixed " << path;
    }
    if (HasFailure()) break;
  }
  EXPECT_GT(step, 1) << "the operation changed no file";
}

// ---- Scenarios ----

// Three smiles and a picture without a line, and a picture to add.
void OpenThree(PackCrashTest& t) {
  t.source = t.MakePack("p", ":a\r\n:b\r\n:c", {"aa", "ab", "ac", "ad"});
  t.MakePicture("n.gif", "N");
  ASSERT_TRUE(t.Open(t.source));
}

// Both packs of a root, opened together.
void OpenBoth(PackCrashTest& t) {
  t.MakePack("r/Static", ":s\r\n:t", {"aa", "ab"}, spStatic);
  t.MakePack("r/Animated", ":a\r\n:b", {"aa", "ab"});
  t.model->SetBothPacks(true);
  ASSERT_TRUE(t.model->OpenPack(t.disk.Path() + "r"));
  t.model->SetBothPacks(false);
}

std::string NewPicture(PackCrashTest& t) { return t.disk.Path() + "pictures/n.gif"; }

const TScenario kScenarios[] = {
    {"Open",
     [](PackCrashTest& t) {
       OpenThree(t);
       // A pack with an empty line and a gap: the check deletes the line and moves ae down.
       t.other = t.MakePack("q", ":x\r\n\r\n:y\r\n:z", {"aa", "ab", "ae"});
     },
     [](PackCrashTest& t) {
       t.emptyAnswers = {{false, false}};
       t.missingAnswers = {{false, true}};
       t.Open(t.other);
     }},
    {"OpenIntoAnEmptyStorage",
     [](PackCrashTest& t) { t.other = t.MakePack("q", ":x\r\n\r\n:y\r\n:z", {"aa", "ab", "ae"}); },
     [](PackCrashTest& t) {
       t.missingAnswers = {{false, true}};
       t.Open(t.other);
     }},
    {"OpenBothPacks",
     [](PackCrashTest& t) {
       OpenThree(t);
       t.MakePack("root/Static", ":s", {"aa"}, spStatic);
       t.MakePack("root/Animated", ":t\r\n:u", {"aa", "ab"});
     },
     [](PackCrashTest& t) {
       t.model->SetBothPacks(true);
       t.model->OpenPack(t.disk.Path() + "root");
     }},
    {"NewPack", OpenThree, [](PackCrashTest& t) { t.model->NewPack(); }},
    {"NewBothPacks", OpenBoth,
     [](PackCrashTest& t) {
       t.model->SetBothPacks(true);
       t.model->NewPack();
     }},
    {"NewPackOfGivenSmiles", OpenThree,
     [](PackCrashTest& t) {
       t.model->NewPackFrom({{{":x"}, Gif("X"), ""}, {{":y"}, Gif("Y"), ""}});
     }},
    {"Close", OpenThree, [](PackCrashTest& t) { t.model->ClosePack(); }},
    {"CloseBothPacks", OpenBoth,
     [](PackCrashTest& t) {
       t.model->SetBothPacks(true);
       t.model->ClosePack();
     }},
    {"SaveBothPacks",
     [](PackCrashTest& t) {
       OpenBoth(t);
       ASSERT_TRUE(t.model->DeleteSmile(0));
     },
     [](PackCrashTest& t) {
       t.model->SetBothPacks(true);
       t.model->SavePack();
     }},
    {"StartAfterAnInterruptedEdit",
     [](PackCrashTest& t) {
       // A delete that ends half-way through moving the pictures: a few steps before its end,
       // counted by a first delete that runs through.
       auto deleteFirstSmile = [&t](long long endAt) {
         pid_t child = ::fork();
         if (child == 0) {
           t.StartModel();
           long long start = platform::FileStepCount();
           platform::EndProcessAtFileStep(endAt, kEnded);
           t.model->DeleteSmile(0);
           ::_exit(static_cast<int>(platform::FileStepCount() - start));
         }
         int status = 0;
         ::waitpid(child, &status, 0);
         return WEXITSTATUS(status);
       };
       t.SetUpWorldWith(OpenThree);
       int steps = deleteFirstSmile(0);
       t.SetUpWorldWith(OpenThree);
       ASSERT_EQ(deleteFirstSmile(steps - 3), kEnded);
       ASSERT_TRUE(platform::FileExists(t.StorageFolder() + "Config/Journal"));
     },
     nullptr},
    {"ProgramEnd", OpenThree, [](PackCrashTest& t) {
       t.model->GetSmile(0)->Symbols.Add(":z");
       t.model.reset();
     }},
    {"SaveOverTheSource",
     [](PackCrashTest& t) {
       OpenThree(t);
       ASSERT_TRUE(t.model->DeleteSmile(0));
       t.model->GetSmile(0)->Symbols.Add(":new");
     },
     [](PackCrashTest& t) { t.model->SavePack(); }},
    {"SaveAsOverAnotherPack",
     [](PackCrashTest& t) {
       OpenThree(t);
       t.other = t.MakePack("q", ":q\r\n:r\r\n:s\r\n:t\r\n:u", {"aa", "ab", "ac", "ad", "ae"});
     },
     [](PackCrashTest& t) {
       t.replaceAnswers = {true};
       t.model->SavePackAs(t.other + "_define.ini");
     }},
    {"AddSmile", OpenThree, [](PackCrashTest& t) { t.model->AddSmile(NewPicture(t)); }},
    {"AddTwoSmilesInOneStep", OpenThree,
     [](PackCrashTest& t) { t.model->AddSmiles({NewPicture(t), NewPicture(t)}, 1); }},
    {"MoveSmile", OpenThree, [](PackCrashTest& t) { t.model->MoveSmile(2, 0); }},
    {"UndoDeleteSmile",
     [](PackCrashTest& t) {
       OpenThree(t);
       ASSERT_TRUE(t.model->DeleteSmile(0));
     },
     [](PackCrashTest& t) {
       int smile, symbol;
       t.model->Undo(smile, symbol);
     }},
    {"RedoInsertSmile",
     [](PackCrashTest& t) {
       OpenThree(t);
       ASSERT_NE(t.model->InsertSmile(0, NewPicture(t)), nullptr);
       int smile, symbol;
       ASSERT_TRUE(t.model->Undo(smile, symbol));
     },
     [](PackCrashTest& t) {
       int smile, symbol;
       t.model->Redo(smile, symbol);
     }},
    {"InsertSmile", OpenThree, [](PackCrashTest& t) { t.model->InsertSmile(1, NewPicture(t)); }},
    {"DeleteSmile", OpenThree, [](PackCrashTest& t) { t.model->DeleteSmile(0); }},
    {"ExchangeSmiles", OpenThree, [](PackCrashTest& t) { t.model->ExchangeSmiles(0, 2); }},
    {"DeletePicture", OpenThree, [](PackCrashTest& t) { t.model->DeletePicture(1); }},
    {"ReplacePicture", OpenThree,
     [](PackCrashTest& t) { t.model->ReplacePicture(1, NewPicture(t)); }},
    {"AddSymbol", OpenThree, [](PackCrashTest& t) { t.model->GetSmile(2)->Symbols.Add(":d"); }},
};

INSTANTIATE_TEST_SUITE_P(EveryOperation, PackCrashTest, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
