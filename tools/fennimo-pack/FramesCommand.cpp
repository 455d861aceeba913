// SPDX-License-Identifier: GPL-3.0-or-later
// fennimo-pack frames: decodes one smile picture and writes its frames as PNG files.
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "BmpDecoder.h"
#include "Commands.h"
#include "Files.h"
#include "GifDecoder.h"

const char* const FramesUsage =
    "fennimo-pack frames FILE OUTDIR\n"
    "  Decodes the smile picture FILE the way the editor does (.gif or .bmp, any letter case)\n"
    "  and writes every frame as OUTDIR/frame-000.png, frame-001.png, ...: the whole picture\n"
    "  in RGB, white wherever nothing covers it. Prints one line per frame: index, delay in\n"
    "  milliseconds and WIDTHxHEIGHT, separated by tabs. When decoding fails, the frames decoded\n"
    "  so far are written, the decoder's message goes to stderr and the exit code is 1; a file\n"
    "  that can't be opened or bad usage exits with 2. OUTDIR is created when missing.";

namespace {

std::unique_ptr<TPictureDecoder> DecoderFor(const std::string& file) {
  const std::string name = platform::ExtractFileName(file);
  if (platform::MatchesMask(name, "*.gif")) return std::make_unique<TGifDecoder>(file);
  if (platform::MatchesMask(name, "*.bmp")) return std::make_unique<TBmpDecoder>(file);
  return nullptr;
}

// The frame as the editor draws it, on a white picture of its own size, saved as RGB PNG.
bool WriteFrame(const TSmileBitmap& frame, const std::string& path) {
  QImage image(frame.width, frame.height, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    frame.Draw(0, 0, painter);
  }
  return image.convertToFormat(QImage::Format_RGB888).save(QString::fromStdString(path), "PNG");
}

}  // namespace

int RunFramesCommand(const CommandArgs& args) {
  if (args.size() != 2) {
    std::fprintf(stderr, "Usage: %s\n", FramesUsage);
    return 2;
  }
  const std::string& file = args[0];
  const std::string outDir = platform::IncludeTrailingPathDelimiter(args[1]);
  std::unique_ptr<TPictureDecoder> decoder;
  try {
    decoder = DecoderFor(file);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fennimo-pack frames: %s\n", e.what());
    return 2;
  }
  if (!decoder) {
    std::fprintf(stderr, "fennimo-pack frames: %s is neither a .gif nor a .bmp file\n", file.c_str());
    return 2;
  }
  std::string failure;
  try {
    decoder->Decode();
  } catch (const std::exception& e) {
    failure = e.what();
  }
  if (!platform::ForceDirectories(outDir)) {
    std::fprintf(stderr, "fennimo-pack frames: cannot create %s\n", outDir.c_str());
    return 2;
  }
  for (int i = 0; i < decoder->GetFrameCount(); ++i) {
    const TSmileBitmap* frame = decoder->GetFrame(i);
    if (!frame) continue;
    char name[32];
    std::snprintf(name, sizeof name, "frame-%03d.png", i);
    if (!WriteFrame(*frame, outDir + name)) {
      std::fprintf(stderr, "fennimo-pack frames: cannot write %s%s\n", outDir.c_str(), name);
      return 2;
    }
    std::printf("%d\t%d\t%dx%d\n", i, decoder->GetFrameDelay(i), frame->width, frame->height);
  }
  std::fflush(stdout);
  if (!failure.empty()) {
    std::fprintf(stderr, "%s\n", failure.c_str());
    return 1;
  }
  return 0;
}
