// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureDecoder.h"

#include <QImage>
#include <QList>
#include <QPainter>
#include <QRect>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <bit>
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>

static_assert(std::endian::native == std::endian::little,
              "frames store their quads as little-endian words");

namespace {

void PutLE32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void PutLE16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

// The 40-byte bitmap information header: positive height (rows bottom-up), one plane, no
// compression, no resolution.
void WriteInfoHeader(std::uint8_t* p, int width, int height, int bitCount, std::size_t imageSize,
                     int colorsUsed) {
  PutLE32(p + 0, 40);
  PutLE32(p + 4, static_cast<std::uint32_t>(width));
  PutLE32(p + 8, static_cast<std::uint32_t>(height));
  PutLE16(p + 12, 1);
  PutLE16(p + 14, static_cast<std::uint16_t>(bitCount));
  PutLE32(p + 16, 0);
  PutLE32(p + 20, static_cast<std::uint32_t>(imageSize));
  PutLE32(p + 24, 0);
  PutLE32(p + 28, 0);
  PutLE32(p + 32, static_cast<std::uint32_t>(colorsUsed));
  PutLE32(p + 36, static_cast<std::uint32_t>(colorsUsed));
}

std::uint32_t LoadWord(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void StoreWord(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }

std::size_t RowStrideFor(int w, int bytesPerPixel) {
  return bytesPerPixel == 1 ? (static_cast<std::size_t>(w) + 3) & ~std::size_t{3}
                            : static_cast<std::size_t>(w) * 4;
}

int ClampColorCount(int colorCount) { return std::clamp(colorCount, 0, 256); }

}  // namespace

// ---------------------------------------------------------------------------------------------
// Frame storage

void TSmileBitmapStorage::AllocateStorage(int bytesPerPixel, int colorCount) {
  if (width <= 0 || height <= 0) return;
  const std::size_t stride = RowStrideFor(width, bytesPerPixel);
  const std::size_t image = stride * static_cast<std::size_t>(height);
  if (stride > INT_MAX || image > INT_MAX) throw std::bad_alloc();
  headerSize_ = InfoHeaderSize + 4 * static_cast<std::size_t>(colorCount);
  header_ = std::make_unique<std::uint8_t[]>(headerSize_);
  bits_ = std::make_unique<std::uint8_t[]>(image);
  rowStride_ = static_cast<int>(stride);
  imageSize_ = image;
  WriteInfoHeader(header_.get(), width, height, bytesPerPixel * 8, image, colorCount);
  allocated_ = true;
}

void TSmileBitmapStorage::CopyStorage(const TSmileBitmapStorage& source) {
  width = source.width;
  height = source.height;
  rowStride_ = source.rowStride_;
  allocated_ = source.allocated_;
  headerSize_ = source.headerSize_;
  imageSize_ = source.imageSize_;
  header_.reset();
  bits_.reset();
  if (source.header_) {
    header_.reset(new std::uint8_t[headerSize_]);
    std::memcpy(header_.get(), source.header_.get(), headerSize_);
  }
  if (source.bits_) {
    bits_.reset(new std::uint8_t[imageSize_]);
    std::memcpy(bits_.get(), source.bits_.get(), imageSize_);
  }
}

bool TSmileBitmapStorage::ClipRect(int& left, int& top, int& right, int& bottom) const {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, width);
  bottom = std::min(bottom, height);
  return allocated_ && left < right && top < bottom;
}

// Rows are stored bottom-up, so the wrapped image is upside down; a vertical flip in the
// painter's transform puts it upright without copying the pixels.
void TSmileBitmapStorage::DrawFlipped(const QImage& image, const QRect& target, QPainter& canvas) {
  canvas.save();
  canvas.translate(target.x(), target.y() + target.height());
  canvas.scale(1, -1);
  canvas.drawImage(QRect(0, 0, target.width(), target.height()), image);
  canvas.restore();
}

// ---------------------------------------------------------------------------------------------
// TSmileBitmap8

TSmileBitmap8::TSmileBitmap8(int w, int h, int colorCount)
    : colorCount_(ClampColorCount(colorCount)) {
  width = w;
  height = h;
}

std::size_t TSmileBitmap8::StorageSize(int w, int h, int colorCount) {
  return InfoHeaderSize + 4 * static_cast<std::size_t>(ClampColorCount(colorCount)) +
         RowStrideFor(std::max(w, 0), 1) * static_cast<std::size_t>(std::max(h, 0));
}

void TSmileBitmap8::Allocate() { AllocateStorage(1, colorCount_); }

void TSmileBitmap8::SetPixel(int x, int y, std::uint8_t index) {
  if (OnPicture(x, y)) Row(y)[x] = index;
}

void TSmileBitmap8::FillRect(int left, int top, int right, int bottom, std::uint8_t index) {
  if (!ClipRect(left, top, right, bottom)) return;
  for (int y = top; y < bottom; ++y)
    std::memset(Row(y) + left, index, static_cast<std::size_t>(right - left));
}

void TSmileBitmap8::SetPaletteColor(int index, std::uint32_t color) {
  if (!header_ || index < 0 || index >= colorCount_) return;
  StoreWord(header_.get() + InfoHeaderSize + 4 * index, SwapRedBlue(color) & 0xFFFFFF);
}

std::uint32_t TSmileBitmap8::PaletteColor(int index) const {
  if (!header_ || index < 0 || index >= colorCount_) return 0;
  return SwapRedBlue(LoadWord(header_.get() + InfoHeaderSize + 4 * index));
}

void TSmileBitmap8::CopyFrom(const TSmileBitmap8& source) {
  if (&source == this) return;
  CopyStorage(source);
  colorCount_ = source.colorCount_;
}

std::uint8_t TSmileBitmap8::Pixel(int x, int y) const { return OnPicture(x, y) ? Row(y)[x] : 0; }

std::uint32_t TSmileBitmap8::ColorAt(int x, int y) const {
  return OnPicture(x, y) ? PaletteColor(Row(y)[x]) : 0;
}

void TSmileBitmap8::Draw(int x, int y, QPainter& canvas) const {
  StretchDraw(QRect(x, y, width, height), canvas);
}

void TSmileBitmap8::StretchDraw(const QRect& rect, QPainter& canvas) const {
  if (!allocated_) return;
  // The image only wraps the rows; a full table keeps indices without an entry black.
  QImage image(bits_.get(), width, height, rowStride_, QImage::Format_Indexed8);
  QList<QRgb> table(256, qRgb(0, 0, 0));
  for (int i = 0; i < colorCount_; ++i)
    table[i] = 0xFF000000u | LoadWord(header_.get() + InfoHeaderSize + 4 * i);
  image.setColorTable(table);
  DrawFlipped(image, rect, canvas);
}

// ---------------------------------------------------------------------------------------------
// TSmileBitmap32

TSmileBitmap32::TSmileBitmap32(int w, int h) {
  width = w;
  height = h;
}

std::size_t TSmileBitmap32::StorageSize(int w, int h) {
  return InfoHeaderSize +
         RowStrideFor(std::max(w, 0), 4) * static_cast<std::size_t>(std::max(h, 0));
}

void TSmileBitmap32::Allocate() { AllocateStorage(4, 0); }

void TSmileBitmap32::SetPixel(int x, int y, std::uint32_t color) {
  if (OnPicture(x, y)) StoreWord(Row(y) + 4 * x, SwapRedBlue(color) & 0xFFFFFF);
}

void TSmileBitmap32::FillRect(int left, int top, int right, int bottom, std::uint32_t color) {
  if (!ClipRect(left, top, right, bottom)) return;
  const std::uint32_t quad = SwapRedBlue(color) & 0xFFFFFF;
  const std::size_t bytes = 4 * static_cast<std::size_t>(right - left);
  std::uint8_t* first = Row(top) + 4 * static_cast<std::size_t>(left);
  for (std::size_t x = 0; x < bytes; x += 4) StoreWord(first + x, quad);
  for (int y = top + 1; y < bottom; ++y) std::memcpy(Row(y) + 4 * left, first, bytes);
}

void TSmileBitmap32::CopyFrom(const TSmileBitmap32& source) {
  if (&source != this) CopyStorage(source);
}

void TSmileBitmap32::LoadFromBitmap(const QImage& bitmap) {
  const QImage rgb = bitmap.convertToFormat(QImage::Format_RGB32);
  header_.reset();
  bits_.reset();
  allocated_ = false;
  rowStride_ = 0;
  width = rgb.width();
  height = rgb.height();
  AllocateStorage(4, 0);
  if (!allocated_) return;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* src = rgb.constScanLine(y);
    std::uint8_t* dst = Row(y);
    for (int x = 0; x < width; ++x) StoreWord(dst + 4 * x, LoadWord(src + 4 * x) & 0xFFFFFF);
  }
}

std::uint32_t TSmileBitmap32::ColorAt(int x, int y) const {
  return OnPicture(x, y) ? SwapRedBlue(LoadWord(Row(y) + 4 * x)) : 0;
}

void TSmileBitmap32::Draw(int x, int y, QPainter& canvas) const {
  StretchDraw(QRect(x, y, width, height), canvas);
}

void TSmileBitmap32::StretchDraw(const QRect& rect, QPainter& canvas) const {
  if (!allocated_) return;
  const QImage image(bits_.get(), width, height, rowStride_, QImage::Format_RGB32);
  DrawFlipped(image, rect, canvas);
}

// ---------------------------------------------------------------------------------------------
// TFileStream

TFileStream::TFileStream(const std::string& fileName) {
  // O_NONBLOCK keeps a FIFO under the name from blocking the open; only regular files are
  // accepted, and reads then block as usual.
  fd_ = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  int error = errno;
  struct stat st {};
  if (fd_ >= 0) {
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
      error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
      ::close(fd_);
      fd_ = -1;
    } else {
      ::fcntl(fd_, F_SETFL, 0);  // clears O_NONBLOCK, the only status flag set
    }
  }
  if (fd_ < 0) throw EFOpenError("Cannot open file \"" + fileName + "\". " + std::strerror(error));
  size_ = static_cast<std::int64_t>(st.st_size);
}

namespace {

// The read buffer of the last stream closed on this thread, for the next one: decoders open
// files one after another, and a buffer taken from the heap and given back for every file makes
// the heap grow and shrink with every picture.
constexpr std::size_t StreamBufferSize = 64 * 1024;
thread_local std::unique_ptr<std::uint8_t[]> spareStreamBuffer;

}  // namespace

TFileStream::~TFileStream() {
  if (fd_ >= 0) ::close(fd_);
  if (buffer_ && !spareStreamBuffer) spareStreamBuffer = std::move(buffer_);
}

// A regular file reads short only at its end, so a short read ends the loop.
std::size_t TFileStream::ReadFile(std::uint8_t* buffer, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const std::size_t asked = std::min<std::size_t>(count - done, INT_MAX);
    const ssize_t n = ::read(fd_, buffer + done, asked);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
    if (static_cast<std::size_t>(n) < asked) break;
  }
  return done;
}

// The buffered bytes first; a large rest goes straight into `buffer`, a small one through a
// refilled buffer.
std::size_t TFileStream::ReadThrough(void* buffer, std::size_t count) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t done = static_cast<std::size_t>(end_ - next_);
  if (done > 0) std::memcpy(out, next_, done);
  position_ += static_cast<std::int64_t>(done);
  if (!buffer_) {
    buffer_ = spareStreamBuffer ? std::move(spareStreamBuffer)
                                : std::make_unique_for_overwrite<std::uint8_t[]>(StreamBufferSize);
  }
  next_ = end_ = buffer_.get();
  bufferPosition_ = position_;
  if (count - done >= StreamBufferSize) {
    const std::size_t got = ReadFile(out + done, count - done);
    position_ += static_cast<std::int64_t>(got);
    bufferPosition_ = position_;
    return done + got;
  }
  end_ += ReadFile(buffer_.get(), StreamBufferSize);
  const std::size_t take = std::min(static_cast<std::size_t>(end_ - next_), count - done);
  if (take > 0) std::memcpy(out + done, next_, take);
  next_ += take;
  position_ += static_cast<std::int64_t>(take);
  return done + take;
}

void TFileStream::Seek(std::int64_t position) {
  // Within the buffered bytes (or at their end) the buffer serves.
  if (position >= bufferPosition_ && position <= bufferPosition_ + (end_ - buffer_.get())) {
    next_ = buffer_.get() + (position - bufferPosition_);
    position_ = position;
    return;
  }
  if (::lseek(fd_, static_cast<off_t>(position), SEEK_SET) < 0) return;
  next_ = end_ = buffer_.get();
  position_ = bufferPosition_ = position;
}

// ---------------------------------------------------------------------------------------------
// TPictureDecoder

TPictureDecoder::TPictureDecoder(const std::string& fileName)
    : stream_(std::make_unique<TFileStream>(fileName)) {}

TPictureDecoder::~TPictureDecoder() = default;

TSmileBitmap* TPictureDecoder::GetFrame(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= frames_.size()) return nullptr;
  return frames_[static_cast<std::size_t>(index)].get();
}

int TPictureDecoder::GetFrameCount() const { return static_cast<int>(delays_.size()); }

int TPictureDecoder::GetFrameDelay(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= delays_.size()) return -1;
  return delays_[static_cast<std::size_t>(index)];
}

void TPictureDecoder::Decode() { background_ = BackgroundColor; }

void TPictureDecoder::CloseStream() {
  if (ownsStream_) stream_.reset();
}

void TPictureDecoder::Reserve(std::size_t bytes) {
  if (bytes > MaxAllocation - reserved_) throw EAbort(TooLargeMessage);
  reserved_ += bytes;
}

void TPictureDecoder::Release(std::size_t bytes) { reserved_ -= std::min(bytes, reserved_); }
