// SPDX-License-Identifier: GPL-3.0-or-later
#include "BmpDecoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <cstdlib>

namespace {

std::uint32_t Little(const QByteArray& data, qsizetype at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i)
    value = (value << 8) | static_cast<unsigned char>(data[at + i]);
  return value;
}

// Walks run-length data from Offset; true when it ends (end-of-bitmap or past the last row)
// inside the file.
bool RunLengthDataComplete(const QByteArray& data, qsizetype offset, int bits, qint64 height) {
  qsizetype p = offset;
  qint64 y = 0;
  while (y < height) {
    if (p + 2 > data.size()) return false;
    const int count = static_cast<unsigned char>(data[p]);
    const int code = static_cast<unsigned char>(data[p + 1]);
    p += 2;
    if (count != 0 || code == 0) {
      y += count == 0;  // a run, or the end of a line
    } else if (code == 1) {
      return true;  // the end of the bitmap
    } else if (code == 2) {
      if (p + 2 > data.size()) return false;
      y += static_cast<unsigned char>(data[p + 1]);
      p += 2;
    } else {
      // Literal pixels, padded to a whole word.
      qsizetype bytes = bits == 8 ? code : (code + 1) / 2;
      p += (bytes + 1) & ~qsizetype(1);
    }
  }
  return p <= data.size();
}

// True unless the header announces more pixel data than the file holds. The reader would fill
// what it could read and leave the rest of the picture as it found the memory. RunLength tells
// whether the pixels are run-length data, which may skip pixels even when whole.
bool PixelDataComplete(const QByteArray& data, bool& runLength) {
  runLength = false;
  if (data.size() < 30 || data[0] != 'B' || data[1] != 'M') return true;  // the reader decides
  const qsizetype offset = Little(data, 10, 4);
  const std::uint32_t headerSize = Little(data, 14, 4);
  qint64 width, height;
  int bits;
  std::uint32_t compression = 0;
  if (headerSize == 12) {
    width = Little(data, 18, 2);
    height = Little(data, 20, 2);
    bits = static_cast<int>(Little(data, 24, 2));
  } else if (headerSize >= 40 && data.size() >= 34) {
    width = static_cast<std::int32_t>(Little(data, 18, 4));
    height = std::abs(static_cast<qint64>(static_cast<std::int32_t>(Little(data, 22, 4))));
    bits = static_cast<int>(Little(data, 28, 2));
    compression = Little(data, 30, 4);
  } else {
    return true;
  }
  // Pictures too large for the reader's limit fail there.
  if (offset == 0 || width <= 0 || bits <= 0 || width > (1 << 24) || height > (1 << 24))
    return true;
  runLength = (compression == 1 && bits == 8) || (compression == 2 && bits == 4);
  if (runLength) return RunLengthDataComplete(data, offset, bits, height);
  if (compression != 0 && compression != 3 && compression != 6) return true;
  const qint64 stride = (width * bits + 31) / 32 * 4;
  return offset + stride * height <= data.size();
}

}  // namespace

bool PrepareBmpRead(const QByteArray& data, const QSize& size, QImage& target) {
  bool runLength = false;
  if (!PixelDataComplete(data, runLength)) return false;
  if (runLength && size.isValid()) {
    target = QImage(size, QImage::Format_Indexed8);
    target.fill(0);
  }
  return true;
}

void TBmpDecoder::Decode() {
  TPictureDecoder::Decode();
  try {
    DecodeFile();
  } catch (...) {
    CloseStream();
    throw;
  }
  CloseStream();
}

void TBmpDecoder::DecodeFile() {
  if (!stream_) throw EInvalidGraphic("The file is closed");
  // The whole file is read first so that it is closed before the reader works on it.
  const std::int64_t fileSize = stream_->Size();
  if (fileSize < 0 || static_cast<std::uint64_t>(fileSize) > MaxAllocation)
    throw EAbort(TooLargeMessage);
  Reserve(static_cast<std::size_t>(fileSize));
  QByteArray data(static_cast<qsizetype>(fileSize), Qt::Uninitialized);
  data.resize(static_cast<qsizetype>(stream_->Read(data.data(), data.size())));
  CloseStream();

  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "bmp");
  reader.setAutoDetectImageFormat(false);
  reader.setAllocationLimit(static_cast<int>(MaxAllocation >> 20));
  // The loaded picture, its true-colour copy and the frame, checked before any is made.
  const QSize size = reader.size();
  if (size.isValid()) {
    const std::size_t pixels =
        static_cast<std::size_t>(size.width()) * static_cast<std::size_t>(size.height());
    if (pixels > MaxAllocation / 12) throw EAbort(TooLargeMessage);
    Reserve(2 * 4 * pixels);
    Reserve(TSmileBitmap32::StorageSize(size.width(), size.height()));
  }
  QImage source;
  if (!PrepareBmpRead(data, size, source)) throw EInvalidGraphic("Unable to read image data");
  if (!reader.read(&source)) throw EInvalidGraphic(reader.errorString().toStdString());

  // The key colour is the bottom-left pixel's; every pixel of that colour shows the
  // background instead. Alpha plays no part, as in a plain bitmap copy.
  QImage target = source.convertToFormat(QImage::Format_RGB32);
  source = QImage();
  const QRgb key = target.pixel(0, target.height() - 1) & 0xFFFFFF;
  const QRgb background = 0xFF000000u | SwapRedBlue(background_);
  for (int y = 0; y < target.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(target.scanLine(y));
    for (int x = 0; x < target.width(); ++x)
      if ((row[x] & 0xFFFFFF) == key) row[x] = background;
  }
  auto frame = std::make_unique<TSmileBitmap32>();
  frame->LoadFromBitmap(target);
  frames_.push_back(std::move(frame));
  delays_.push_back(100);
}
