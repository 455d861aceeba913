// Decoding and composing smile GIFs: TGifDecoder against giflib (DGifSlurp plus a composition
// loop that honours disposal and transparency), on the same reproducible corpus of
// smile-sized animations. Prints pixels per second for both and their ratio.
//
// The corpus (made in a temporary folder at start, removed at exit): 19x19 to 64x64 screens,
// 2 to 40 frames, with and without transparency, local colour tables, interlaced images and
// every disposal method. Before timing, both decoders' frames are compared pixel by pixel.
#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "GifBuilder.h"
#include "GifDecoder.h"

namespace {

using namespace gif_builder;

struct CorpusFile {
  std::string path;
  long long pixels = 0;  // screen pixels of every frame
};

std::string g_folder;
std::vector<CorpusFile> g_corpus;

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

void MakeCorpus() {
  char folder[] = "/tmp/fennimo-bench.XXXXXX";
  if (!::mkdtemp(folder)) std::abort();
  g_folder = folder;
  std::mt19937 rnd(20240601);
  for (int i = 0; i < 150; ++i) {
    const std::string path = g_folder + "/smile" + std::to_string(i) + ".gif";
    std::ofstream(path, std::ios::binary) << MakeSmile(rnd);
    g_corpus.push_back({path, 0});
  }
}

void RemoveCorpus() {
  for (const auto& f : g_corpus) std::remove(f.path.c_str());
  ::rmdir(g_folder.c_str());
}

// giflib: slurp the file, then compose whole-screen frames (0x00RRGGBB) on a white canvas.
std::vector<std::vector<std::uint32_t>> GiflibFrames(const std::string& path, int& w, int& h) {
  std::vector<std::vector<std::uint32_t>> frames;
  int error = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
  if (!gif) return frames;
  if (DGifSlurp(gif) == GIF_OK) {
    w = gif->SWidth;
    h = gif->SHeight;
    std::vector<std::uint32_t> canvas(static_cast<std::size_t>(w * h), 0xFFFFFF), saved;
    for (int i = 0; i < gif->ImageCount; ++i) {
      const SavedImage& image = gif->SavedImages[i];
      GraphicsControlBlock gcb{};
      gcb.TransparentColor = NO_TRANSPARENT_COLOR;
      DGifSavedExtensionToGCB(gif, i, &gcb);
      const ColorMapObject* map =
          image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
      std::uint32_t colours[256] = {};
      for (int c = 0; map && c < map->ColorCount; ++c)
        colours[c] = (map->Colors[c].Red << 16) | (map->Colors[c].Green << 8) | map->Colors[c].Blue;
      if (gcb.DisposalMode == DISPOSE_PREVIOUS) saved = canvas;
      const GifImageDesc& d = image.ImageDesc;
      for (int y = 0; y < d.Height && d.Top + y < h; ++y)
        for (int x = 0; x < d.Width && d.Left + x < w; ++x) {
          const int index = image.RasterBits[y * d.Width + x];
          if (index != gcb.TransparentColor)
            canvas[static_cast<std::size_t>((d.Top + y) * w + d.Left + x)] = colours[index];
        }
      frames.push_back(canvas);
      if (gcb.DisposalMode == DISPOSE_BACKGROUND) {
        for (int y = d.Top; y < d.Top + d.Height && y < h; ++y)
          for (int x = d.Left; x < d.Left + d.Width && x < w; ++x)
            canvas[static_cast<std::size_t>(y * w + x)] = 0xFFFFFF;
      } else if (gcb.DisposalMode == DISPOSE_PREVIOUS) {
        canvas = saved;
      }
    }
  }
  DGifCloseFile(gif, &error);
  return frames;
}

// Both decoders must show the same frames, or the comparison means nothing.
void VerifyCorpus() {
  for (auto& file : g_corpus) {
    int w = 0, h = 0;
    const auto expected = GiflibFrames(file.path, w, h);
    TGifDecoder decoder(file.path);
    decoder.Decode();
    if (expected.empty() || decoder.GetFrameCount() != static_cast<int>(expected.size())) {
      std::fprintf(stderr, "%s: frame counts differ\n", file.path.c_str());
      std::exit(1);
    }
    for (int i = 0; i < decoder.GetFrameCount(); ++i)
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          if (SwapRedBlue(decoder.GetFrame(i)->ColorAt(x, y)) !=
              expected[static_cast<std::size_t>(i)][static_cast<std::size_t>(y * w + x)]) {
            std::fprintf(stderr, "%s: frame %d differs at %d,%d\n", file.path.c_str(), i, x, y);
            std::exit(1);
          }
    file.pixels = static_cast<long long>(w) * h * decoder.GetFrameCount();
  }
}

long long CorpusPixels() {
  long long total = 0;
  for (const auto& f : g_corpus) total += f.pixels;
  return total;
}

void BM_TGifDecoder(benchmark::State& state) {
  for (auto _ : state) {
    for (const auto& f : g_corpus) {
      TGifDecoder decoder(f.path);
      decoder.Decode();
      benchmark::DoNotOptimize(decoder.GetFrame(0));
    }
  }
  state.counters["pixels/s"] = benchmark::Counter(
      static_cast<double>(CorpusPixels()) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TGifDecoder)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_GiflibCompose(benchmark::State& state) {
  for (auto _ : state) {
    for (const auto& f : g_corpus) {
      int w = 0, h = 0;
      auto frames = GiflibFrames(f.path, w, h);
      benchmark::DoNotOptimize(frames.data());
    }
  }
  state.counters["pixels/s"] = benchmark::Counter(
      static_cast<double>(CorpusPixels()) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GiflibCompose)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Keeps the pixel rates of the runs for the closing ratio.
class RateReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      auto it = run.counters.find("pixels/s");
      if (it != run.counters.end()) rates[run.run_name.function_name] = it->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> rates;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  MakeCorpus();
  VerifyCorpus();
  std::printf("Corpus: %zu files, %lld frame pixels\n", g_corpus.size(), CorpusPixels());
  RateReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ours = reporter.rates["BM_TGifDecoder"], theirs = reporter.rates["BM_GiflibCompose"];
  if (ours > 0 && theirs > 0)
    std::printf(
        "\nTGifDecoder: %.3g pixels/s\ngiflib + composition: %.3g pixels/s\nratio (TGifDecoder / "
        "giflib): %.2f\n",
        ours, theirs, ours / theirs);
  RemoveCorpus();
  benchmark::Shutdown();
  return 0;
}
