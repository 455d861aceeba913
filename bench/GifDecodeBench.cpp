// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding and composing smile GIFs: TGifDecoder against peers that compose the same
// whole-screen frames (PeerCanvas.h: a white canvas, transparency, disposal, one copy of the
// canvas per frame):
//  - giflib: DGifOpenFileName and DGifSlurp (the file read through stdio), then a composition
//    loop over the slurped indices;
//  - Wuffs (when the benchmark is built with FENNIMO_WUFFS_SOURCE naming its single-file
//    release): the file read whole into memory, each image decoded straight into the canvas.
// TGifDecoder is timed as the program uses it: created on the path (the file opened), Decode
// (the file read, every frame composed and kept), destroyed. On every side each file's frames
// are freed before the next file; opening and reading the file are counted on every side.
//
// Three corpora of smile-sized animations, made in the same run, because the corpus decides the
// answer:
//  - "builder": made by the tests' GIF builder from a fixed seed: 19x19 to 64x64 screens, 2 to
//    40 frames, with and without transparency, local colour tables, interlaced images and every
//    disposal method;
//  - "pillow": written by Pillow (bench/make_pillow_smiles.py, run here from a fixed seed):
//    drawn faces with many edge colours, RGBA frames quantised one by one (local tables) or one
//    shared palette, transparent or opaque, disposal 0 to 3, optimised or whole frames;
//  - "mixed": like the files of real packs (bench/make_mixed_smiles.py, fixed seed): still and
//    animated smiles written by Pillow, ImageMagick and giflib's tools with many settings
//    (interlaced, local tables, tiny changed-rectangle frames, 2- to 256-colour tables, odd
//    code sizes).
// Before timing, every peer's frames are compared with TGifDecoder's pixel by pixel. Each
// decoder runs several times on each corpus, the runs interleaved in random order (the machine
// may be shared); the end of the output gives, per corpus and peer, the ratio of TGifDecoder's
// pixel rate to the peer's: the ratio of the medians, and the lowest and highest ratio of runs
// of the same round.
//
// Every file's frames are freed before the next file is decoded, so glibc hands much of the heap
// back to the system after each file and every decoder spends a share of its time in the
// kernel, faulting it in again. The program keeps the frames of an open pack instead; to measure
// that way, run with GLIBC_TUNABLES=glibc.malloc.trim_threshold=268435456.
//
// The corpora live in a temporary folder made at start and removed at exit.
#include <benchmark/benchmark.h>
#include <gif_lib.h>
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

#include "GifBuilder.h"
#include "GifDecoder.h"
#include "PeerCanvas.h"
#ifdef FENNIMO_WUFFS_HEADER
#include "WuffsPeer.h"
#endif

namespace {

using namespace gif_builder;
using bench_peer::Canvas;
using bench_peer::Frames;

struct CorpusFile {
  std::string path;
  long long pixels = 0;  // screen pixels of every frame
};

struct Corpus {
  std::string name;
  std::vector<CorpusFile> files;
  long long frames = 0;
  long long Pixels() const {
    long long total = 0;
    for (const auto& f : files) total += f.pixels;
    return total;
  }
};

std::string g_folder;
Corpus g_builder{"builder", {}}, g_pillow{"pillow", {}}, g_mixed{"mixed", {}};

// One smile: a round face over the transparent (or plain) background on the first frame, then
// frames that redraw a moving part of it.
std::string MakeSmile(std::mt19937& rnd) {
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rnd); };
  const int w = pick(19, 64), h = pick(19, 64), frames = pick(2, 40);
  const int colours = 2 << pick(1, 7);
  Palette global(static_cast<std::size_t>(colours));
  for (auto& c : global)
    c = {static_cast<std::uint8_t>(pick(0, 255)), static_cast<std::uint8_t>(pick(0, 255)),
         static_cast<std::uint8_t>(pick(0, 255))};
  const bool transparent = pick(0, 9) < 7;
  GifBuilder gif;
  gif.Screen(w, h, global).Application("NETSCAPE2.0", std::string("\x01\x00\x00", 3));
  for (int f = 0; f < frames; ++f) {
    const bool first = f == 0;
    const int iw = first ? w : pick(w / 3, w), ih = first ? h : pick(h / 3, h);
    const int left = first ? 0 : pick(0, w - iw), top = first ? 0 : pick(0, h - ih);
    ImageOptions o{.left = left, .top = top, .interlaced = pick(0, 4) == 0};
    int palette = colours;
    if (!first && pick(0, 6) == 0) {
      palette = 2 << pick(1, 7);
      o.local.resize(static_cast<std::size_t>(palette));
      for (auto& c : o.local)
        c = {static_cast<std::uint8_t>(pick(0, 255)), 40, static_cast<std::uint8_t>(f * 5)};
    }
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(iw * ih));
    const int cx = w / 2 + pick(-3, 3), cy = h / 2 + pick(-3, 3), r = std::min(w, h) / 2 - 1;
    for (int y = 0; y < ih; ++y)
      for (int x = 0; x < iw; ++x) {
        const int sx = left + x, sy = top + y, dx = sx - cx, dy = sy - cy;
        int index;
        if (dx * dx + dy * dy > r * r)
          index = 0;  // outside the face
        else
          index = 1 + ((dx * dx + dy * dy) * 3 / (r * r + 1) + (sy / 4) + f) % (palette - 1);
        if (!first && index != 0 && pick(0, 7) == 0) index = 0;  // unchanged pixel
        pixels[static_cast<std::size_t>(y * iw + x)] = static_cast<std::uint8_t>(index);
      }
    gif.Control(pick(0, 3), transparent ? 0 : -1, pick(5, 30)).Image(iw, ih, pixels, o);
  }
  return gif.Trailer().Bytes();
}

void MakeBuilderCorpus() {
  const std::string folder = g_folder + "/builder";
  std::filesystem::create_directory(folder);
  std::mt19937 rnd(20240601);
  for (int i = 0; i < 150; ++i) {
    const std::string path = folder + "/smile" + std::to_string(i) + ".gif";
    std::ofstream(path, std::ios::binary) << MakeSmile(rnd);
    g_builder.files.push_back({path, 0});
  }
}

// A Python that has Pillow: the one on the PATH, else the system's.
std::string PythonWithPillow() {
  for (const char* python : {"python3", "/usr/bin/python3"}) {
    const std::string probe = std::string(python) + " -c 'import PIL' >/dev/null 2>&1";
    if (std::system(probe.c_str()) == 0) return python;
  }
  return {};
}

// Runs one of the corpus scripts beside this file: `script` OUTDIR COUNT SEED, which writes
// PREFIX0.gif to PREFIX<COUNT-1>.gif.
void MakeScriptCorpus(Corpus& corpus, const std::string& script, const std::string& prefix,
                      int count) {
  const std::string python = PythonWithPillow();
  if (python.empty()) {
    std::fprintf(stderr, "python3 with Pillow (python3-pil) is needed for the %s corpus\n",
                 corpus.name.c_str());
    std::exit(1);
  }
  const std::string folder = g_folder + "/" + corpus.name;
  const std::string command = python + " " FENNIMO_SOURCE_DIR "/bench/" + script + " " + folder +
                              " " + std::to_string(count) + " 20240601";
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "%s failed\n", command.c_str());
    std::exit(1);
  }
  for (int i = 0; i < count; ++i)
    corpus.files.push_back({folder + "/" + prefix + std::to_string(i) + ".gif", 0});
}

// giflib: slurp the file, then compose whole-screen frames on a white canvas.
Frames GiflibFrames(const std::string& path, int& w, int& h) {
  Frames frames;
  int error = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
  if (!gif) return frames;
  if (DGifSlurp(gif) == GIF_OK) {
    w = gif->SWidth;
    h = gif->SHeight;
    Canvas canvas(w, h);
    std::uint32_t* pixels = canvas.Pixels();
    for (int i = 0; i < gif->ImageCount; ++i) {
      const SavedImage& image = gif->SavedImages[i];
      GraphicsControlBlock gcb{};
      gcb.TransparentColor = NO_TRANSPARENT_COLOR;
      DGifSavedExtensionToGCB(gif, i, &gcb);
      const ColorMapObject* map =
          image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
      std::uint32_t colours[256] = {};
      for (int c = 0; map && c < map->ColorCount; ++c)
        colours[c] = 0xFF000000u | (map->Colors[c].Red << 16) | (map->Colors[c].Green << 8) |
                     map->Colors[c].Blue;
      canvas.Begin(gcb.DisposalMode);
      const GifImageDesc& d = image.ImageDesc;
      for (int y = 0; y < d.Height && d.Top + y < h; ++y)
        for (int x = 0; x < d.Width && d.Left + x < w; ++x) {
          const int index = image.RasterBits[y * d.Width + x];
          if (index != gcb.TransparentColor)
            pixels[static_cast<std::size_t>((d.Top + y) * w + d.Left + x)] = colours[index];
        }
      canvas.End(frames, gcb.DisposalMode, d.Left, d.Top, d.Left + d.Width, d.Top + d.Height);
    }
  }
  DGifCloseFile(gif, &error);
  return frames;
}

// A decoder the benchmark compares against.
struct Peer {
  std::string name;
  Frames (*frames)(const std::string& path, int& width, int& height);
};

const std::vector<Peer> g_peers = {
    {"giflib", GiflibFrames},
#ifdef FENNIMO_WUFFS_HEADER
    {"wuffs", bench_peer::WuffsFrames},
#endif
};

// Every peer must show TGifDecoder's frames, or the comparison means nothing.
void VerifyCorpus(Corpus& corpus) {
  for (auto& file : corpus.files) {
    TGifDecoder decoder(file.path);
    decoder.Decode();
    const int count = decoder.GetFrameCount();
    int w = 0, h = 0;
    for (const Peer& peer : g_peers) {
      const Frames expected = peer.frames(file.path, w, h);
      if (count == 0 || count != static_cast<int>(expected.size())) {
        std::fprintf(stderr, "%s: %s gives %zu frames, TGifDecoder %d\n", file.path.c_str(),
                     peer.name.c_str(), expected.size(), count);
        std::exit(1);
      }
      for (int i = 0; i < count; ++i)
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x)
            if (SwapRedBlue(decoder.GetFrame(i)->ColorAt(x, y)) !=
                (expected[static_cast<std::size_t>(i)][static_cast<std::size_t>(y * w + x)] &
                 0xFFFFFF)) {
              std::fprintf(stderr, "%s: %s's frame %d differs at %d,%d\n", file.path.c_str(),
                           peer.name.c_str(), i, x, y);
              std::exit(1);
            }
    }
    file.pixels = static_cast<long long>(w) * h * count;
    corpus.frames += count;
  }
}

void SetRate(benchmark::State& state, const Corpus& corpus) {
  state.counters["pixels/s"] = benchmark::Counter(
      static_cast<double>(corpus.Pixels()) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
}

void BM_TGifDecoder(benchmark::State& state, const Corpus* corpus) {
  for (auto _ : state) {
    for (const auto& f : corpus->files) {
      TGifDecoder decoder(f.path);
      decoder.Decode();
      benchmark::DoNotOptimize(decoder.GetFrame(0));
    }
  }
  SetRate(state, *corpus);
}

void BM_Peer(benchmark::State& state, const Corpus* corpus, const Peer* peer) {
  for (auto _ : state) {
    for (const auto& f : corpus->files) {
      int w = 0, h = 0;
      auto frames = peer->frames(f.path, w, h);
      benchmark::DoNotOptimize(frames.data());
    }
  }
  SetRate(state, *corpus);
}

// Keeps the pixel rate of every run (not of the aggregates), by benchmark name.
class RateReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      auto it = run.counters.find("pixels/s");
      if (run.run_type == Run::RT_Iteration && it != run.counters.end())
        rates[run.run_name.function_name].push_back(it->second.value);
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, std::vector<double>> rates;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void PrintRatios(const Corpus& corpus, RateReporter& reporter) {
  const auto& ours = reporter.rates["TGifDecoder/" + corpus.name];
  if (ours.empty()) return;
  std::printf("%-8s %zu files, %lld frames: TGifDecoder %.3g pixels/s\n", corpus.name.c_str(),
              corpus.files.size(), corpus.frames, Median(ours));
  for (const Peer& peer : g_peers) {
    const auto& theirs = reporter.rates[peer.name + "/" + corpus.name];
    if (theirs.empty()) continue;
    std::vector<double> ratios;
    for (std::size_t i = 0; i < std::min(ours.size(), theirs.size()); ++i)
      ratios.push_back(ours[i] / theirs[i]);
    std::printf("         ratio to %-7s %.2f (rounds: %.2f to %.2f)  [%s %.3g pixels/s]\n",
                (peer.name + ":").c_str(), Median(ours) / Median(theirs),
                *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()), peer.name.c_str(),
                Median(theirs));
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Runs in random order by default; flags given on the command line come later and win.
  std::vector<char*> args(argv, argv + argc);
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave);
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());

  char folder[] = "/tmp/fennimo-bench.XXXXXX";
  if (!::mkdtemp(folder)) std::abort();
  g_folder = folder;
  MakeBuilderCorpus();
  MakeScriptCorpus(g_pillow, "make_pillow_smiles.py", "pillow", 150);
  MakeScriptCorpus(g_mixed, "make_mixed_smiles.py", "mixed", 200);
  for (Corpus* corpus : {&g_builder, &g_pillow, &g_mixed}) {
    VerifyCorpus(*corpus);
    benchmark::RegisterBenchmark(("TGifDecoder/" + corpus->name).c_str(), BM_TGifDecoder, corpus)
        ->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(7);
    for (const Peer& peer : g_peers)
      benchmark::RegisterBenchmark((peer.name + "/" + corpus->name).c_str(), BM_Peer, corpus,
                                   &peer)
          ->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(7);
  }
  RateReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nPixel rate of TGifDecoder over each peer's (higher is faster for TGifDecoder); "
              "every side opens and reads the file and composes and keeps whole-screen frames.\n");
#ifndef FENNIMO_WUFFS_HEADER
  std::printf("Wuffs is not measured: configure with -DFENNIMO_WUFFS_SOURCE=<wuffs-v0.4.c>.\n");
#endif
  for (const Corpus* corpus : {&g_builder, &g_pillow, &g_mixed}) PrintRatios(*corpus, reporter);
  std::filesystem::remove_all(g_folder);
  benchmark::Shutdown();
  return 0;
}
