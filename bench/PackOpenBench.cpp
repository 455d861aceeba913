// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a full two-pack root into the working storage (copy, read, check, load: the model's
// OpenPack in both-packs mode) and saving both loaded packs into a new root (SavePackAs), each
// against a plain copy of the same folders to the same disk followed by one sync of that disk
// (cp -r, then sync -f), measured in the same run; and the peak resident memory (VmHWM) of
// the whole run, in which a model with both packs loaded is the largest thing alive.
//
// The packs (made in a temporary folder at start, removed at exit, from a fixed seed): 676
// animated GIFs and 676 BMPs, 19x19 to 64x64, the GIFs with 2 to 40 frames, mostly on one
// global palette with a transparent index, some with local colour tables. The application-data
// folder points into the same temporary folder, so the storage lies on the same disk.
//
// The peer is the shell's cp and sync, so that neither side is measured with the other's code.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "DefineDecoder.h"
#include "Files.h"
#include "GifBuilder.h"
#include "SmilePictures.h"

namespace {

namespace fs = std::filesystem;
using namespace gif_builder;
using namespace bench_pictures;

std::string g_root;    // the temporary folder, ending in "/"
std::string g_packs;   // the two-pack root that is opened and copied
std::string g_data;    // XDG_DATA_HOME
std::string g_target;  // where the plain copies go
long long g_bytes = 0;
long long g_frames = 0;

struct Memory {
  long long rssKiB = 0;  // VmRSS: resident now
  long long hwmKiB = 0;  // VmHWM: the process's peak so far
};
Memory g_beforeOpen, g_loaded;

Memory ReadMemory() {
  Memory m;
  std::ifstream status("/proc/self/status");
  std::string key;
  long long value = 0;
  while (status >> key) {
    if (key == "VmRSS:" && status >> value) m.rssKiB = value;
    else if (key == "VmHWM:" && status >> value) m.hwmKiB = value;
  }
  return m;
}

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
  g_bytes += static_cast<long long>(bytes.size());
}

void MakePacks() {
  char folder[] = "/tmp/fennimo-packbench.XXXXXX";
  if (!::mkdtemp(folder)) std::abort();
  g_root = std::string(folder) + "/";
  g_packs = g_root + "packs/";
  g_data = g_root + "data/";
  g_target = g_root + "copy/";
  std::mt19937 rnd(20240602);
  for (TSmilePack kind : AllPacks) {
    const std::string dir = g_packs + PackFolderName(kind) + "/";
    fs::create_directories(dir);
    std::string define;
    for (int i = 0; i < MaxSmiles; ++i) {
      const std::string number = std::to_string(i);
      std::vector<std::string> symbols = {std::string(":s").append(number).append(":"),
                                          std::string("*").append(number)};
      AppendDefineLine(define, symbols, i == MaxSmiles - 1);
      Write(dir + PictureFileName(i, kind), kind == spAnimated ? MakeGif(rnd, g_frames) : MakeBmp(rnd));
    }
    Write(dir + DefineFileName, define);
  }
  fs::create_directories(g_data);
  ::setenv("XDG_DATA_HOME", g_data.c_str(), 1);
  ::setenv("HOME", g_root.c_str(), 1);
}

// Opens the root in a model on an empty storage; the model stays loaded until Release.
std::unique_ptr<TDefineDecoder> OpenBoth() {
  auto model = std::make_unique<TDefineDecoder>("Storage");
  model->SetBothPacks(true);
  if (!model->OpenPack(g_packs)) std::abort();
  return model;
}

void BM_OpenPackIntoStorage(benchmark::State& state) {
  std::unique_ptr<TDefineDecoder> model;
  for (auto _ : state) {
    state.PauseTiming();
    model.reset();
    fs::remove_all(g_data);
    fs::create_directories(g_data);
    state.ResumeTiming();
    model = OpenBoth();
  }
  // Every smile must have loaded with its picture, or the time means nothing.
  for (TSmilePack kind : AllPacks) {
    model->SetActivePack(kind);
    if (model->SmileCount() != MaxSmiles || model->LoadErrors[kind] != 0 ||
        model->MissingPictures[kind] != 0) {
      std::fprintf(stderr, "%s pack: %d smiles, %d load errors, %d missing\n",
                   PackFolderName(kind), model->SmileCount(), model->LoadErrors[kind],
                   model->MissingPictures[kind]);
      std::exit(1);
    }
  }
  g_loaded = ReadMemory();
}
BENCHMARK(BM_OpenPackIntoStorage)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(false);

void BM_SaveBothPacks(benchmark::State& state) {
  fs::remove_all(g_data);
  fs::create_directories(g_data);
  auto model = OpenBoth();
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(g_target);
    state.ResumeTiming();
    if (!model->SavePackAs(g_target)) std::abort();
  }
}
BENCHMARK(BM_SaveBothPacks)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(false);

void BM_CopyAndSync(benchmark::State& state) {
  const std::string command =
      "cp -r '" + g_packs + "' '" + g_target + "' && sync -f '" + g_target + "'";
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(g_target);
    state.ResumeTiming();
    if (std::system(command.c_str()) != 0) std::abort();
  }
}
BENCHMARK(BM_CopyAndSync)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(false);

// Keeps every repetition's time for the closing ratios: medians, and the spread of the ratio
// over the rounds (the repetitions run interleaved, so round i of each was measured close in
// time).
class TimeReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs)
      if (run.iterations > 0 && run.run_type == Run::RT_Iteration)
        millis[run.run_name.function_name].push_back(run.real_accumulated_time * 1e3 /
                                                     static_cast<double>(run.iterations));
    ConsoleReporter::ReportRuns(runs);
  }
  static double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  }
  // Median of the ratios of round i, with the lowest and highest.
  std::string Ratio(const std::string& a, const std::string& b) {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < millis[a].size() && i < millis[b].size(); ++i)
      ratios.push_back(millis[a][i] / millis[b][i]);
    if (ratios.empty()) return "-";
    char text[64];
    std::snprintf(text, sizeof text, "%.2f (rounds %.2f to %.2f)",
                  Median(millis[a]) / Median(millis[b]),
                  *std::min_element(ratios.begin(), ratios.end()),
                  *std::max_element(ratios.begin(), ratios.end()));
    return text;
  }
  std::map<std::string, std::vector<double>> millis;
};

}  // namespace

int main(int argc, char** argv) {
  // Runs in random order by default; flags given on the command line come later and win.
  std::vector<char*> args(argv, argv + argc);
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave);
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  MakePacks();
  std::printf("Packs: 2 x %d smiles, %lld GIF frames, %.1f MiB\n", MaxSmiles, g_frames,
              static_cast<double>(g_bytes) / (1 << 20));
  TimeReporter reporter;
  g_beforeOpen = ReadMemory();
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double open = TimeReporter::Median(reporter.millis["BM_OpenPackIntoStorage"]);
  const double save = TimeReporter::Median(reporter.millis["BM_SaveBothPacks"]);
  const double copy = TimeReporter::Median(reporter.millis["BM_CopyAndSync"]);
  if (open > 0 && save > 0 && copy > 0) {
    std::printf("\ncp -r and sync -f of both packs: median %.0f ms\n", copy);
    std::printf("opening both packs into the storage: median %.0f ms, ratio %s (target 1.2)\n",
                open, reporter.Ratio("BM_OpenPackIntoStorage", "BM_CopyAndSync").c_str());
    std::printf("saving both packs into a new root: median %.0f ms, ratio %s (target 1.2)\n",
                save, reporter.Ratio("BM_SaveBothPacks", "BM_CopyAndSync").c_str());
    std::printf("resident memory: %.1f MiB before the runs, %.1f MiB with both packs loaded, "
                "peak %.1f MiB (target 48)\n",
                static_cast<double>(g_beforeOpen.rssKiB) / 1024,
                static_cast<double>(g_loaded.rssKiB) / 1024,
                static_cast<double>(g_loaded.hwmKiB) / 1024);
  }
  fs::remove_all(g_root);
  benchmark::Shutdown();
  return 0;
}
