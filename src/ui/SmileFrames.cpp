// SPDX-License-Identifier: GPL-3.0-or-later
#include "SmileFrames.h"

#include <QPainter>

#include "BmpDecoder.h"
#include "GifDecoder.h"

namespace {

// The picture decoded over Background, each frame as an image.
std::unique_ptr<TPictureDecoder> Decode(const std::string& file, bool animated,
                                        std::uint32_t background, std::vector<QImage>& frames,
                                        bool firstOnly) {
  std::unique_ptr<TPictureDecoder> decoder;
  if (animated)
    decoder = std::make_unique<TGifDecoder>(file);
  else
    decoder = std::make_unique<TBmpDecoder>(file);
  decoder->BackgroundColor = background;
  decoder->Decode();
  frames.clear();
  for (int i = 0; i < decoder->GetFrameCount() && !(firstOnly && i > 0); ++i) {
    TSmileBitmap* frame = decoder->GetFrame(i);
    if (!frame) break;
    QImage image(frame->width, frame->height, QImage::Format_ARGB32);
    QPainter painter(&image);
    frame->Draw(0, 0, painter);
    frames.push_back(std::move(image));
  }
  return decoder;
}

}  // namespace

std::unique_ptr<TPictureDecoder> DecodeSmileFrames(const std::string& file, bool animated,
                                                   std::vector<QImage>& frames, bool firstOnly) {
  auto decoder = Decode(file, animated, 0xFFFFFF, frames, firstOnly);
  // A frame decoded over black differs from the one over white exactly where the picture does
  // not cover its screen: transparent there. A static smile has no transparency.
  if (!animated) return decoder;
  std::vector<QImage> overBlack;
  Decode(file, animated, 0x000000, overBlack, firstOnly);
  for (std::size_t i = 0; i < frames.size() && i < overBlack.size(); ++i) {
    QImage& image = frames[i];
    for (int y = 0; y < image.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
      const auto* other = reinterpret_cast<const QRgb*>(overBlack[i].constScanLine(y));
      for (int x = 0; x < image.width(); ++x)
        if (row[x] != other[x]) row[x] = 0;
    }
  }
  return decoder;
}
