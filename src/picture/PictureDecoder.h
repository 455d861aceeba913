// SPDX-License-Identifier: GPL-3.0-or-later
// What every smile picture turns into, and the common frame of the picture decoders.
//
// A frame (TSmileBitmap8 or TSmileBitmap32) is a device-independent bitmap in plain memory: a
// 40-byte bitmap information header followed by the colour table (8-bit frames only), and the
// pixel rows stored bottom-up (the last row in memory is the top of the picture). Colour values
// handed to the frames are "platform colours": red in the low byte, green in the next, blue in
// the third (white is 0xFFFFFF); the frames store them with red and blue exchanged, as blue,
// green, red, 0 quads.
//
// A decoder opens its file when it is created (creation throws EFOpenError when the file can't
// be opened), decodes the whole file once in Decode, closes the file at the end of Decode
// whether it succeeds or fails, and then owns its frames until it is destroyed. Callers borrow
// frames through GetFrame and only draw them and read their sizes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class QImage;
class QPainter;
class QRect;

// The fuzz targets build the decoders with a smaller bound so that hostile sizes cost them
// less time; everything else uses this one.
#ifndef FENNIMO_MAX_DECODER_ALLOCATION
#define FENNIMO_MAX_DECODER_ALLOCATION (std::size_t{256} << 20)
#endif

// A decoding failure; the message is the decoder's Russian text (UTF-8).
class EAbort : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The picture file could not be opened (missing, unreadable, or not a regular file).
class EFOpenError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The BMP loader rejected the file; the message is the loader's.
class EInvalidGraphic : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A platform colour (0x00BBGGRR) as a stored quad read as a little-endian word (0x00RRGGBB).
constexpr std::uint32_t SwapRedBlue(std::uint32_t color) {
  return ((color & 0xFFu) << 16) | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
}

// One finished frame. Callers read `width` and `height` directly and draw the frame; positions
// and rectangles are in pixels with y counted from the top.
class TSmileBitmap {
public:
  int width = 0;
  int height = 0;

  virtual ~TSmileBitmap() = default;

  // Draws the frame at natural size with its top-left corner at (x, y). Every pixel of the
  // frame's rectangle is replaced.
  virtual void Draw(int x, int y, QPainter& canvas) const = 0;
  // Draws the frame scaled into `rect` (callers pass client rectangles at origin 0, 0), with
  // the painter's own scaling filter.
  virtual void StretchDraw(const QRect& rect, QPainter& canvas) const = 0;
  // The platform colour of a pixel; 0 outside the picture or without storage.
  virtual std::uint32_t ColorAt(int x, int y) const = 0;
};

// Shared storage of the two frame kinds: the header block and the pixel rows.
class TSmileBitmapStorage : public TSmileBitmap {
public:
  static constexpr int InfoHeaderSize = 40;

  int RowStride() const { return rowStride_; }
  bool Allocated() const { return allocated_; }
  // The header block: the 40-byte information header, then the colour table of 8-bit frames.
  const std::uint8_t* Header() const { return header_.get(); }
  std::size_t HeaderSize() const { return headerSize_; }
  // The pixel rows, bottom-up; RowStride() * height bytes.
  const std::uint8_t* Bits() const { return bits_.get(); }
  std::size_t ImageSize() const { return imageSize_; }

protected:
  TSmileBitmapStorage() = default;
  TSmileBitmapStorage(const TSmileBitmapStorage&) = delete;
  TSmileBitmapStorage& operator=(const TSmileBitmapStorage&) = delete;

  // Makes the header and the rows for the current sizes (nothing when either is 0 or less).
  // Rows start out zero. Throws std::bad_alloc when the rows would pass 2 GiB.
  void AllocateStorage(int bytesPerPixel, int colorCount);
  void CopyStorage(const TSmileBitmapStorage& source);
  // Row y counted from the top; only for 0 <= y < height on an allocated bitmap.
  std::uint8_t* Row(int y) {
    return bits_.get() + static_cast<std::size_t>(height - 1 - y) * rowStride_;
  }
  const std::uint8_t* Row(int y) const {
    return bits_.get() + static_cast<std::size_t>(height - 1 - y) * rowStride_;
  }
  // Clips a rectangle (right and bottom exclusive) to the picture; false when nothing is left
  // or there is no storage.
  bool ClipRect(int& left, int& top, int& right, int& bottom) const;
  bool OnPicture(int x, int y) const {
    return allocated_ && x >= 0 && y >= 0 && x < width && y < height;
  }
  // One drawImage call of `image` (the rows as stored, so upside down) into `target`.
  static void DrawFlipped(const QImage& image, const QRect& target, QPainter& canvas);

  int rowStride_ = 0;
  bool allocated_ = false;
  std::unique_ptr<std::uint8_t[]> header_;
  std::unique_ptr<std::uint8_t[]> bits_;
  std::size_t headerSize_ = 0;
  std::size_t imageSize_ = 0;

  friend class TGifDecoder;
};

// A palettised frame: one colour index per pixel, rows padded to a multiple of 4 bytes, and a
// colour table of ColorCount() entries. Indices without a palette entry draw black.
class TSmileBitmap8 : public TSmileBitmapStorage {
public:
  TSmileBitmap8() = default;
  TSmileBitmap8(int w, int h, int colorCount);

  // Storage needed for a frame of these sizes: the header block plus the rows.
  static std::size_t StorageSize(int w, int h, int colorCount);

  int ColorCount() const { return colorCount_; }
  void Allocate();
  void SetPixel(int x, int y, std::uint8_t index);
  // Fills x from left to right - 1 and y from top to bottom - 1 (clipped to the picture).
  void FillRect(int left, int top, int right, int bottom, std::uint8_t index);
  void SetPaletteColor(int index, std::uint32_t color);
  std::uint32_t PaletteColor(int index) const;
  void CopyFrom(const TSmileBitmap8& source);
  std::uint8_t Pixel(int x, int y) const;

  void Draw(int x, int y, QPainter& canvas) const override;
  void StretchDraw(const QRect& rect, QPainter& canvas) const override;
  std::uint32_t ColorAt(int x, int y) const override;

private:
  int colorCount_ = 0;

  friend class TGifDecoder;
};

// A true-colour frame: blue, green, red, 0 quads, rows of width * 4 bytes.
class TSmileBitmap32 : public TSmileBitmapStorage {
public:
  TSmileBitmap32() = default;
  TSmileBitmap32(int w, int h);

  static std::size_t StorageSize(int w, int h);

  void Allocate();
  void SetPixel(int x, int y, std::uint32_t color);
  void FillRect(int left, int top, int right, int bottom, std::uint32_t color);
  void CopyFrom(const TSmileBitmap32& source);
  // Takes the sizes and the pixels of a loaded picture (alpha ignored), stored bottom-up.
  void LoadFromBitmap(const QImage& bitmap);

  void Draw(int x, int y, QPainter& canvas) const override;
  void StretchDraw(const QRect& rect, QPainter& canvas) const override;
  std::uint32_t ColorAt(int x, int y) const override;
};

// Reads a picture file: a regular file opened for reading, closed explicitly or when destroyed.
// Reads go through a buffer of up to 64 KiB, so a small file costs one read of the system and
// the decoders' many small reads cost a copy each.
class TFileStream {
public:
  // Throws EFOpenError when the path is not a regular file that can be opened for reading.
  explicit TFileStream(const std::string& fileName);
  ~TFileStream();
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  // Bytes actually read (fewer at the end of the file or on a read error).
  std::size_t Read(void* buffer, std::size_t count) {
    if (count > static_cast<std::size_t>(end_ - next_)) return ReadThrough(buffer, count);
    if (count > 0) std::memcpy(buffer, next_, count);
    next_ += count;
    position_ += static_cast<std::int64_t>(count);
    return count;
  }
  std::int64_t Position() const { return position_; }
  std::int64_t Size() const { return size_; }
  // Moves to an absolute position inside the file.
  void Seek(std::int64_t position);

private:
  std::size_t ReadThrough(void* buffer, std::size_t count);
  // Reads up to `count` bytes at the file's current offset; 0 at the end or on an error.
  std::size_t ReadFile(std::uint8_t* buffer, std::size_t count);

  int fd_ = -1;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
  // Buffered bytes of the file: [buffer_, end_) from bufferPosition_ on; next_ is at position_.
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::int64_t bufferPosition_ = 0;
  const std::uint8_t* next_ = nullptr;
  const std::uint8_t* end_ = nullptr;
};

// The base of the file decoders. Owns its file stream until Decode ends, and its frames.
class TPictureDecoder {
public:
  // What one decoder may hold at once (canvases, working copies and every frame). Far above
  // any real smile; a file that needs more fails to decode instead of exhausting the machine.
  static constexpr std::size_t MaxAllocation = FENNIMO_MAX_DECODER_ALLOCATION;

  explicit TPictureDecoder(const std::string& fileName);
  virtual ~TPictureDecoder();
  TPictureDecoder(const TPictureDecoder&) = delete;
  TPictureDecoder& operator=(const TPictureDecoder&) = delete;

  // The frame at `index`, or nullptr outside the frame list. The decoder keeps ownership.
  virtual TSmileBitmap* GetFrame(int index) const;
  // The number of delays, one per frame; 0 before decoding.
  virtual int GetFrameCount() const;
  // The delay of a frame in milliseconds, or -1 outside the list.
  virtual int GetFrameDelay(int index) const;
  // Takes the background colour in force; the subclasses decode the file after calling this.
  // Failures throw (EAbort, or the loader's exception for BMP files); frames appended before a
  // failure stay.
  virtual void Decode();

  // The colour of areas that no picture covers.
  std::uint32_t BackgroundColor = 0xFFFFFF;

protected:
  // Closes the file stream (the decoder always owns it); harmless when already closed.
  void CloseStream();
  // Counts `bytes` against MaxAllocation; throws EAbort before the bound would be passed.
  void Reserve(std::size_t bytes);
  void Release(std::size_t bytes);

  std::uint32_t background_ = 0xFFFFFF;
  std::vector<int> delays_;
  std::vector<std::unique_ptr<TSmileBitmap>> frames_;
  std::unique_ptr<TFileStream> stream_;
  bool ownsStream_ = true;
  std::uint8_t formatFlags_ = 0;

private:
  std::size_t reserved_ = 0;
};

// The message of a decode that would pass TPictureDecoder::MaxAllocation.
inline constexpr const char* TooLargeMessage = "Слишком большое изображение";
