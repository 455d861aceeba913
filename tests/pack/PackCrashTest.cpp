// SPDX-License-Identifier: GPL-3.0-or-later
// Every operation on a pack, ended right before each of its file-system steps and syncs in
// turn (a child process runs it), once as a killed process and once by a power cut that loses
// whatever was not synced yet: a new model on the same storage then holds the pack as it was
// before the operation or as it is after it, never a mix, the workspace keeps no scratch file,
// and every user folder holds its old pack or its new one: each line with its own picture, and
// no file missing.
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <limits>
#include <map>
#include <regex>
#include <set>
#include <tuple>

#include "Files.h"
#include "PackError.h"
#include "PackFixture.h"
#include "StorageJournal.h"
#include "StorageManager.h"

using namespace pack_testing;
using namespace testing_support;
using platform::TEnd;

namespace {

constexpr int kEnded = 77, kDone = 78;

// Thousands of processes end here on files that no disk needs to keep: where the machine has a
// file system in memory, the test's folders go there, unless TMPDIR names a place.
[[maybe_unused]] const bool kFoldersInMemory = [] {
  if (!std::getenv("TMPDIR") && ::access("/dev/shm", W_OK) == 0) ::setenv("TMPDIR", "/dev/shm", 0);
  return true;
}();
// A run that the power cut ends only once the operation has returned.
constexpr long long kAfterTheEnd = -1;

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

std::string AsciiLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

class PackCrashTest;
using TStep = std::function<void(PackCrashTest&)>;

struct TScenario {
  const char* name;
  // In the parent: makes the user's folders and what the storage holds before the operation.
  TStep setUp;
  // In the child: the operation, on a model started as the program starts; none when the
  // operation is the start itself, completing what the set-up left interrupted.
  TStep operation;
};

void PrintTo(const TScenario& scenario, std::ostream* out) { *out << scenario.name; }

class PackCrashTest : public PackModelTest,
                      public ::testing::WithParamInterface<std::tuple<TScenario, TEnd>> {
public:
  using PackModelTest::appData, PackModelTest::disk, PackModelTest::model,
      PackModelTest::emptyAnswers, PackModelTest::missingAnswers, PackModelTest::replaceAnswers,
      PackModelTest::MakePack, PackModelTest::MakePicture, PackModelTest::Open,
      PackModelTest::StartModel, PackModelTest::StorageFolder;
  std::string source, other;  // the user's pack folders
  std::string bothPath;        // as the last StorageView found it

  const TScenario& Scenario() const { return std::get<0>(GetParam()); }

  std::string Workspace() const { return appData.Path() + "Fennimo for Parlino 2005/2.0/Storage/"; }

  // The storage of both packs as a restarted model finds it: state, files and captions; or the
  // start's refusal with every file of the workspace, which a refusal must leave alone.
  std::string StorageView() {
    try {
      Restart();
    } catch (const EPackError& e) {
      TFiles files;
      ReadTree(appData.Path(), "", files, false);
      std::string view = std::string("refused: ") + e.what() + "\n";
      for (const auto& [name, bytes] : files) view += name + "=" + bytes + "\n";
      // Prints take the times at which the set-up wrote the pictures, which no two set-ups share.
      return std::regex_replace(view, std::regex("Print=[0-9a-f]+"), "Print=...");
    }
    TFiles all;
    ReadTree(appData.Path(), "", all, false);
    for (const auto& [name, bytes] : all)
      EXPECT_FALSE(IsScratchName(platform::ExtractFileName(name))) << name;
    std::string view;
    // Where both packs save to is a setting, which an open of both packs cut short may leave
    // as it was; it must last once the operation is over.
    bothPath = std::to_string(model->BothPathsAssigned) + " [" + model->BothPath + "]";
    for (TSmilePack kind : AllPacks) {
      TFiles files;
      ReadTree(StorageFolder(kind), "", files, true);
      // Whether the pack differs from its folder follows the state: the prints go with it.
      view += State(kind) + (model->IsChanged(kind) ? " changed" : "") + "\n";
      for (const auto& [name, bytes] : files) view += name + "=" + bytes + "\n";
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
      view += std::string("undo ") + (!steps.CanUndo() || steps.ReadNext(true, step) ? "" : "un") +
              "readable, redo " + (!steps.CanRedo() || steps.ReadNext(false, step) ? "" : "un") +
              "readable\n";
    }
    model.reset();
    return view;
  }

  // The files of the user's folders; a save cut short leaves no temporary file once the next
  // start has run.
  TFiles UserFiles() {
    TFiles files;
    ReadTree(disk.Path(), "", files, false);
    return files;
  }

  // Every line of every pack folder on the user's disk, with the picture at its position.
  std::set<std::string> UserPairs() {
    TFiles files = UserFiles();
    std::set<std::string> pairs;
    for (const auto& [path, bytes] : files) {
      std::string folder = platform::ExtractFilePath(path);
      if (AsciiLower(platform::ExtractFileName(path)) != "_define.ini") continue;
      std::vector<std::string> lines;
      SplitDefineLines(bytes, lines);
      for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string picture;
        for (TSmilePack kind : AllPacks) {
          std::string name = PictureFileName(static_cast<int>(i), kind);
          for (const auto& [other, data] : files)
            if (platform::ExtractFilePath(other) == folder &&
                AsciiLower(platform::ExtractFileName(other)) == name)
              picture += data + "|";
        }
        pairs.insert(folder + "\n" + lines[i] + "\n" + picture);
      }
    }
    return pairs;
  }

  // A fresh start: the scenario's folders and storage, no model.
  void SetUpWorld() { SetUpWorldWith(Scenario().setUp); }
  void SetUpWorldWith(const TStep& setUp) {
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
  // (never when 0; after the operation when kAfterTheEnd); true when the operation ran to its
  // end.
  bool Run(long long step) {
    SetUpWorld();
    std::fflush(nullptr);
    pid_t child = ::fork();
    if (child == 0) {
      TEnd end = std::get<1>(GetParam());
      long long at = step == kAfterTheEnd ? std::numeric_limits<long long>::max() / 2 : step;
      try {
        const auto& operation = Scenario().operation;
        if (!operation) platform::EndProcessAtFileStep(at, kEnded, end);
        StartModel();
        if (operation) {
          platform::EndProcessAtFileStep(at, kEnded, end);
          operation(*this);
        }
        model.reset();
      } catch (const std::exception&) {
        // A refusal is an end of the operation too.
      }
      platform::EndProcessNow(kDone);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    EXPECT_TRUE(code == kDone || code == kEnded) << "exit status " << code;
    return code != kEnded;
  }

  // For a set-up that starts from an interruption: sets up the world with SetUp, then runs
  // Operation in a child killed at the first file step after which Reached holds. That step is
  // searched for once and kept in Step.
  void StopWhen(long long& step, const TStep& setUp, const TStep& operation,
                const std::function<bool()>& reached) {
    auto run = [&](long long at) {
      SetUpWorldWith(setUp);
      std::fflush(nullptr);
      pid_t child = ::fork();
      if (child == 0) {
        StartModel();
        platform::EndProcessAtFileStep(at, kEnded);
        operation(*this);
        ::_exit(kDone);
      }
      int status = 0;
      ::waitpid(child, &status, 0);
      return WIFEXITED(status) && WEXITSTATUS(status) == kEnded;
    };
    for (long long at = step ? step : 1; run(at); ++at)
      if (reached()) {
        step = at;
        return;
      }
    FAIL() << "the operation ended before reaching the point sought";
  }
};

TEST_P(PackCrashTest, EndedAtAnyStepNothingIsLostOrMixed) {
  platform::SkipSyncs(true);  // the system calls only: a power cut still counts syncs as done
  // Before and after, from runs that are not cut short.
  SetUpWorld();
  std::string viewBefore = StorageView();
  TFiles userBefore = UserFiles();
  std::set<std::string> pairsBefore = UserPairs();
  ASSERT_TRUE(Run(0));
  std::string viewAfter = StorageView();
  std::string bothAfter = bothPath;
  TFiles userAfter = UserFiles();
  std::set<std::string> pairsAfter = UserPairs();
  if (Scenario().operation) {
    ASSERT_TRUE(viewBefore != viewAfter || userBefore != userAfter);
  }

  long long step = 1;
  for (; !Run(step); ++step) {
    SCOPED_TRACE("ended before file step " + std::to_string(step));
    std::string view = StorageView();
    EXPECT_TRUE(view == viewBefore || view == viewAfter) << view;
    TFiles user = UserFiles();
    // The user's folders hold the packs as they were or, all of them, as saved.
    EXPECT_TRUE(user == userBefore || user == userAfter) << "the user's folders are mixed";
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
      EXPECT_TRUE(now->second == bytes || saved) << "mixed " << path;
    }
    for (const auto& pair : UserPairs())
      EXPECT_TRUE(pairsBefore.count(pair) || pairsAfter.count(pair))
          << "a line with a picture not its own: " << pair;
    if (HasFailure()) break;
  }
  if (viewAfter.starts_with("refused"))
    EXPECT_EQ(step, 1) << "a start that refused changed files";
  else
    EXPECT_GT(step, 1) << "the operation changed no file";
  if (std::get<1>(GetParam()) == TEnd::PowerCut && !HasFailure()) {
    // The power goes right after the operation has returned: everything it did is durable.
    ASSERT_TRUE(Run(kAfterTheEnd));
    EXPECT_EQ(StorageView(), viewAfter) << "a power cut right after the operation";
    EXPECT_EQ(bothPath, bothAfter) << "a power cut right after the operation";
    EXPECT_EQ(UserFiles(), userAfter) << "a power cut right after the operation";
  }
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

void OpenThreeAndARoot(PackCrashTest& t) {
  OpenThree(t);
  t.MakePack("root/Static", ":s", {"aa"}, spStatic);
  t.MakePack("root/Animated", ":t\r\n:u", {"aa", "ab"});
}

void OpenTheRoot(PackCrashTest& t) {
  t.model->SetBothPacks(true);
  t.model->OpenPack(t.disk.Path() + "root");
}

void DeleteOneOfThree(PackCrashTest& t) {
  OpenThree(t);
  ASSERT_TRUE(t.model->DeleteSmile(0));
  t.model->GetSmile(0)->Symbols.Add(":new");
}

// A storage change whose record is written and whose definition file has its name.
bool PhaseTwoBegun(PackCrashTest& t) {
  return platform::FileExists(t.StorageFolder() + "Config/Journal") &&
         !platform::FileExists(t.StorageFolder() + "_define.ini.fennimo-staged");
}

// The undo history of the animated pack with Count steps: the one step an edit made, and more
// that only its state names, as after a long session.
void FillTheHistory(PackCrashTest& t, int count) {
  std::string history = TStorageJournal::HistoryFolder(*t.model->PackStorages[spAnimated]);
  std::string state = ReadBytes(history + TPackHistory::StateName);
  std::string body;
  ASSERT_TRUE(platform::WithoutChecksum(state, body));
  auto at = body.find("position 1");
  ASSERT_NE(at, std::string::npos);
  body.replace(at, 10, "position " + std::to_string(count));
  // The steps only the state names are deletes, like the first; the newest can be read.
  for (int id = 2; id <= count; ++id)
    body += "step s" + std::to_string(id) + " 0 " + std::to_string(skDeleteSmile) + " 0 1\n";
  WriteBytes(history + TPackHistory::StateName, platform::WithChecksum(body));
  WriteBytes(history + "s" + std::to_string(count) + ".step", ReadBytes(history + "s1.step"));
}

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
    {"OpenBothPacks", OpenThreeAndARoot, OpenTheRoot},
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
       // A delete stopped half-way through moving the pictures.
       static long long at = 0;
       t.StopWhen(at, OpenThree, [](PackCrashTest& t) { t.model->DeleteSmile(0); },
                  [&t] { return PhaseTwoBegun(t); });
     },
     nullptr},
    {"StartWithADamagedRecord",
     [](PackCrashTest& t) {
       static long long at = 0;
       t.StopWhen(at, OpenThree, [](PackCrashTest& t) { t.model->DeleteSmile(0); },
                  [&t] { return platform::FileExists(t.StorageFolder() + "Config/Journal"); });
       std::string record = ReadBytes(t.StorageFolder() + "Config/Journal");
       record[record.size() / 2] ^= 1;
       WriteBytes(t.StorageFolder() + "Config/Journal", record);
     },
     nullptr},
    {"StartAfterAnInterruptedGroup",
     [](PackCrashTest& t) {
       // Both packs opened together, stopped once the group is written down.
       static long long at = 0;
       t.StopWhen(at, OpenThreeAndARoot, OpenTheRoot,
                  [&t] { return platform::FileExists(t.Workspace() + "Journal.group"); });
     },
     nullptr},
    {"StartAfterAnInterruptedSave",
     [](PackCrashTest& t) {
       static long long at = 0;
       t.StopWhen(at, DeleteOneOfThree, [](PackCrashTest& t) { t.model->SavePack(); }, [&t] {
         std::string record;
         return platform::ReadFile(t.Workspace() + "Journal.save", record) &&
                record.find("\nfolder ") != std::string::npos &&
                platform::FileExists(t.source + "aa.gif") &&
                TagOf(t.source + "aa.gif") == "ab";
       });
     },
     nullptr},
    {"StartClearsAnUnloadedStorage",
     [](PackCrashTest& t) {
       // What an open cut short left in a storage that held no pack.
       WriteBytes(t.StorageFolder() + "_define.ini", ":x");
       WriteBytes(t.StorageFolder() + "aa.gif", Gif("x"));
     },
     nullptr},
    {"StartRemovesLeftoverTemporaries",
     [](PackCrashTest& t) {
       OpenThree(t);
       std::string history = TStorageJournal::HistoryFolder(*t.model->PackStorages[spAnimated]);
       for (const std::string& folder :
            {t.StorageFolder(), t.StorageFolder() + "Config/", history, t.Workspace(),
             t.Workspace() + "Config/", t.Workspace() + "Config/Config/"})
         WriteBytes(folder + ".fennimo-tmp.left", "x");
       WriteBytes(t.StorageFolder() + "ae.gif.fennimo-staged", Gif("staged"));
     },
     nullptr},
    {"ProgramEnd", OpenThree, [](PackCrashTest& t) {
       t.model->GetSmile(0)->Symbols.Add(":z");
       t.model.reset();
     }},
    {"SaveOverTheSource", DeleteOneOfThree, [](PackCrashTest& t) { t.model->SavePack(); }},
    {"SaveAsOverAnotherPack",
     [](PackCrashTest& t) {
       OpenThree(t);
       t.other = t.MakePack("q", ":q\r\n:r\r\n:s\r\n:t\r\n:u", {"aa", "ab", "ac", "ad", "ae"});
     },
     [](PackCrashTest& t) {
       t.replaceAnswers = {true};
       t.model->SavePackAs(t.other + "_define.ini");
     }},
    {"SaveAsIntoAFolderWithoutAPack",
     [](PackCrashTest& t) {
       OpenThree(t);
       t.other = t.disk.Make("notes/");
       WriteBytes(t.other + "notes.txt", "mine");
       WriteBytes(t.other + "ae.gif", Gif("mine"));
     },
     [](PackCrashTest& t) { t.model->SavePackAs(t.other + "_define.ini"); }},
    {"SaveAsOverCaseVariantNames",
     [](PackCrashTest& t) {
       OpenThree(t);
       t.other = t.disk.Make("upper/");
       WriteBytes(t.other + "_DEFINE.INI", ":q\r\n:r\r\n:s\r\n:t\r\n:u");
       for (const char* name : {"AA", "AB", "AC", "AD", "AE"})
         WriteBytes(t.other + name + ".GIF", Gif(name));
     },
     [](PackCrashTest& t) {
       t.replaceAnswers = {true};
       t.model->SavePackAs(t.other + "_define.ini");
     }},
    {"SaveAsBothPacks",
     [](PackCrashTest& t) {
       OpenBoth(t);
       t.MakePack("r2/Static", ":x\r\n:y\r\n:z", {"aa", "ab", "ac"}, spStatic);
       t.MakePack("r2/Animated", ":x", {"aa"});
     },
     [](PackCrashTest& t) {
       t.replaceAnswers = {true, true};
       t.model->SetBothPacks(true);
       t.model->SavePackAs(t.disk.Path() + "r2");
     }},
    {"PushTrimsTheHistory",
     [](PackCrashTest& t) {
       OpenThree(t);
       ASSERT_TRUE(t.model->DeleteSmile(0));
       FillTheHistory(t, TPackHistory::MaxSteps);
     },
     [](PackCrashTest& t) { t.model->GetSmile(0)->Symbols.Add(":z"); }},
    {"UndoPastAnUnreadableStep",
     [](PackCrashTest& t) {
       OpenThree(t);
       ASSERT_TRUE(t.model->DeleteSmile(0));
       std::string history = TStorageJournal::HistoryFolder(*t.model->PackStorages[spAnimated]);
       WriteBytes(history + "s1.step", "damaged");
     },
     [](PackCrashTest& t) {
       int smile, symbol;
       t.model->Undo(smile, symbol);
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

INSTANTIATE_TEST_SUITE_P(EveryOperation, PackCrashTest,
                         ::testing::Combine(::testing::ValuesIn(kScenarios),
                                            ::testing::Values(TEnd::Kill, TEnd::PowerCut)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) == TEnd::Kill ? "_Killed"
                                                                         : "_PowerCut");
                         });

}  // namespace
