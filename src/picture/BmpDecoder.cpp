#include "BmpDecoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

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
  QImage source = reader.read();
  if (source.isNull()) throw EInvalidGraphic(reader.errorString().toStdString());

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
