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

namespace {

namespace fs = std::filesystem;
using namespace gif_builder;

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

int Pick(std::mt19937& rnd, int lo, int hi) {
  return std::uniform_int_distribution<int>(lo, hi)(rnd);
}

// An animated smile: a face on the transparent background, then frames that redraw a part.
std::string MakeGif(std::mt19937& rnd) {
  const int w = Pick(rnd, 19, 64), h = Pick(rnd, 19, 64), frames = Pick(rnd, 2, 40);
  const int colours = 2 << Pick(rnd, 2, 7);
  Palette global(static_cast<std::size_t>(colours));
  for (auto& c : global)
    c = {static_cast<std::uint8_t>(Pick(rnd, 0, 255)), static_cast<std::uint8_t>(Pick(rnd, 0, 255)),
         static_cast<std::uint8_t>(Pick(rnd, 0, 255))};
  const bool localTables = Pick(rnd, 0, 6) == 0;
  GifBuilder gif;
  gif.Screen(w, h, global).Application("NETSCAPE2.0", std::string("\x01\x00\x00", 3));
  for (int f = 0; f < frames; ++f) {
    const bool first = f == 0;
    const int iw = first ? w : Pick(rnd, w / 3, w), ih = first ? h : Pick(rnd, h / 3, h);
    ImageOptions o{.left = first ? 0 : Pick(rnd, 0, w - iw), .top = first ? 0 : Pick(rnd, 0, h - ih)};
    if (localTables && !first) o.local = global;
    const int cx = w / 2, cy = h / 2, r = std::min(w, h) / 2 - 1;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(iw * ih));
    for (int y = 0; y < ih; ++y)
      for (int x = 0; x < iw; ++x) {
        const int dx = o.left + x - cx, dy = o.top + y - cy;
        int index = 0;
        if (dx * dx + dy * dy <= r * r)
          index = 1 + ((dx * dx + dy * dy) * 5 / (r * r + 1) + (o.top + y) / 3 + f) % (colours - 1);
        pixels[static_cast<std::size_t>(y * iw + x)] = static_cast<std::uint8_t>(index);
      }
    gif.Control(Pick(rnd, 0, 1), 0, Pick(rnd, 5, 30)).Image(iw, ih, pixels, o);
  }
  g_frames += frames;
  return gif.Trailer().Bytes();
}

// A static smile: a 24-bit bottom-up BMP of a face on a key-coloured background.
std::string MakeBmp(std::mt19937& rnd) {
  const int w = Pick(rnd, 19, 64), h = Pick(rnd, 19, 64);
  const int stride = (w * 3 + 3) & ~3;
  auto le = [](std::string& s, unsigned v, int bytes) {
    for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  std::string bmp = "BM";
  le(bmp, static_cast<unsigned>(54 + stride * h), 4);
  le(bmp, 0, 4);
  le(bmp, 54, 4);
  le(bmp, 40, 4);
  le(bmp, static_cast<unsigned>(w), 4);
  le(bmp, static_cast<unsigned>(h), 4);
  le(bmp, 1, 2);
  le(bmp, 24, 2);
  le(bmp, 0, 4);
  le(bmp, static_cast<unsigned>(stride * h), 4);
  le(bmp, 2835, 4);
  le(bmp, 2835, 4);
  le(bmp, 0, 4);
  le(bmp, 0, 4);
  const int cx = w / 2, cy = h / 2, r = std::min(w, h) / 2 - 1, tint = Pick(rnd, 0, 255);
  for (int y = h - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < w; ++x) {
      const int dx = x - cx, dy = y - cy;
      const bool face = dx * dx + dy * dy <= r * r;
      row += static_cast<char>(face ? 0 : 255);
      row += static_cast<char>(face ? 200 - y : 0);
      row += static_cast<char>(face ? tint : 255);
    }
    row.resize(static_cast<std::size_t>(stride), '\0');
    bmp += row;
  }
  return bmp;
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
      Write(dir + PictureFileName(i, kind), kind == spAnimated ? MakeGif(rnd) : MakeBmp(rnd));
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
