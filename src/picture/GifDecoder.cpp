#include "GifDecoder.h"

#include <algorithm>
#include <cstring>

namespace {

// Bookkeeping of one frame object beside its storage, counted against the decoder's bound.
constexpr std::size_t FrameOverhead = 128;

std::uint16_t LE16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

TGifDecoder::~TGifDecoder() = default;

void TGifDecoder::Decode() {
  TPictureDecoder::Decode();
  try {
    DecodeFile();
  } catch (...) {
    CloseStream();
    FreeCanvases();
    throw;
  }
  CloseStream();
  FreeCanvases();
}

void TGifDecoder::FreeCanvases() {
  canvas8_.reset();
  canvas32_.reset();
  Release(canvasesReserved_);
  canvasesReserved_ = 0;
  std::vector<std::uint8_t>().swap(suffix_);
  std::vector<std::uint16_t>().swap(prefix_);
  std::vector<std::uint8_t>().swap(stack_);
  std::vector<std::uint8_t>().swap(line_);
}

void TGifDecoder::DecodeFile() {
  endReached_ = false;
  formatFlags_ = 0;
  globalColorCount_ = 0;
  ReadHeader();
  ReadGlobalColorTable();
  trueColor_ = false;
  CreateCanvases();
  firstImage_ = true;
  for (;;) {
    NextBlock();
    if (endReached_) break;
    if (firstImage_) {
      // The first image's transparent index stands for the background on the palettised
      // canvas from here on, whether or not its transparency flag is set.
      backgroundIndex_ = transparentIndex_;
      canvas8_->FillRect(0, 0, screenWidth_, screenHeight_, backgroundIndex_);
      canvas32_->FillRect(0, 0, screenWidth_, screenHeight_, background_);
      firstImage_ = false;
    }
    ReadImageDescriptor();
    ReadLocalColorTable();
    InitLzw();
    // A palettised frame shows only the global table, and the background only through the
    // palette entry of the first transparent index, which must exist.
    if (localTablePresent_ || transparentIndex_ != backgroundIndex_ ||
        backgroundIndex_ >= globalColorCount_)
      SwitchToTrueColor();
    ComposeImage();
    AddDelay();
  }
}

// ---------------------------------------------------------------------------------------------
// Reading primitives

void TGifDecoder::ReadBytes(void* buffer, std::size_t count) {
  if (!stream_ || stream_->Read(buffer, count) != count) throw EAbort(gif_messages::FileTruncated);
}

std::uint8_t TGifDecoder::ReadByte() {
  std::uint8_t b;
  ReadBytes(&b, 1);
  return b;
}

// A skip may never land exactly on the end of the file: something must follow every block.
void TGifDecoder::SkipBytes(std::int64_t count) {
  if (!stream_) throw EAbort(gif_messages::UnexpectedEndOfFile);
  const std::int64_t target = stream_->Position() + count;
  if (target >= stream_->Size()) throw EAbort(gif_messages::UnexpectedEndOfFile);
  stream_->Seek(target);
}

// ---------------------------------------------------------------------------------------------
// Header, logical screen descriptor and global colour table (GIF89a sections 17-19)

void TGifDecoder::ReadHeader() {
  std::uint8_t header[13];
  ReadBytes(header, sizeof header);
  // Only the two published versions are GIF; anything else (a PNG or BMP under a .gif name)
  // fails here instead of allocating canvases for sizes read from foreign bytes.
  const bool recognised = std::memcmp(header, "GIF", 3) == 0 &&
                          (std::memcmp(header + 3, "87a", 3) == 0 ||
                           std::memcmp(header + 3, "89a", 3) == 0);
  if (!recognised) throw EAbort(gif_messages::NotAGif);
  screenWidth_ = LE16(header + 6);
  screenHeight_ = LE16(header + 8);
  screenFlags_ = header[10];
  if (screenFlags_ & 0x80) formatFlags_ |= 1;
}

void TGifDecoder::ReadGlobalColorTable() {
  if (!(formatFlags_ & 1)) return;
  const int count = 2 << (screenFlags_ & 7);
  ReadBytes(globalTable_.data(), 3 * static_cast<std::size_t>(count));
  globalColorCount_ = count;
}

std::size_t TGifDecoder::CanvasesSize() const {
  return TSmileBitmap32::StorageSize(screenWidth_, screenHeight_) +
         TSmileBitmap8::StorageSize(screenWidth_, screenHeight_, globalColorCount_) +
         2 * FrameOverhead;
}

std::size_t TGifDecoder::FrameSize() const {
  return FrameOverhead +
         (trueColor_ ? TSmileBitmap32::StorageSize(screenWidth_, screenHeight_)
                     : TSmileBitmap8::StorageSize(screenWidth_, screenHeight_, globalColorCount_));
}

void TGifDecoder::CreateCanvases() {
  // A screen without pixels has no canvas to compose on, and no frame could show it.
  if (screenWidth_ == 0 || screenHeight_ == 0) throw EAbort(gif_messages::EmptyScreen);
  Reserve(CanvasesSize());
  canvasesReserved_ = CanvasesSize();
  canvas32_ = std::make_unique<TSmileBitmap32>(screenWidth_, screenHeight_);
  canvas32_->Allocate();
  canvas8_ = std::make_unique<TSmileBitmap8>(screenWidth_, screenHeight_, globalColorCount_);
  canvas8_->Allocate();
  for (int i = 0; i < globalColorCount_; ++i) {
    const TRgb& c = globalTable_[static_cast<std::size_t>(i)];
    canvas8_->SetPaletteColor(i, c.r | (c.g << 8) | (c.b << 16));
  }
}

// ---------------------------------------------------------------------------------------------
// Blocks between images (GIF89a sections 23-27)

void TGifDecoder::NextBlock() {
  for (;;) {
    const std::uint8_t introducer = ReadByte();
    switch (introducer) {
      case 0x21:
        ReadExtension();
        break;
      case 0x2C:
        return;
      case 0x3B:
        endReached_ = true;
        return;
      default: {
        // Unknown bytes between blocks are taken as a length-prefixed block and skipped.
        const std::uint8_t size = ReadByte();
        if (size != 0) SkipBytes(size);
        break;
      }
    }
  }
}

void TGifDecoder::ReadExtension() {
  const std::uint8_t label = ReadByte();
  if (label == 0xF9) ReadGraphicControl();
  // Every extension, the graphic control's terminator included, ends with sub-blocks.
  for (;;) {
    const std::uint8_t size = ReadByte();
    if (size == 0) break;
    SkipBytes(size);
  }
}

// The values stay in force for every later image until the next graphic control block.
void TGifDecoder::ReadGraphicControl() {
  if (ReadByte() != 4) throw EAbort(gif_messages::DataError);
  std::uint8_t block[4];
  ReadBytes(block, sizeof block);
  controlFlags_ = block[0];
  delay_ = LE16(block + 1);
  transparentIndex_ = block[3];
}

// ---------------------------------------------------------------------------------------------
// Image descriptor and local colour table (GIF89a sections 20-21)

void TGifDecoder::ReadImageDescriptor() {
  std::uint8_t d[9];
  ReadBytes(d, sizeof d);
  imageLeft_ = LE16(d);
  imageTop_ = LE16(d + 2);
  imageWidth_ = LE16(d + 4);
  imageHeight_ = LE16(d + 6);
  imageFlags_ = d[8];
}

// Entries beyond a smaller table keep what an earlier, larger local table left there.
void TGifDecoder::ReadLocalColorTable() {
  localTablePresent_ = false;
  if (!(imageFlags_ & 0x80)) return;
  const int count = 2 << (imageFlags_ & 7);
  ReadBytes(localTable_.data(), 3 * static_cast<std::size_t>(count));
  localTablePresent_ = true;
}

// ---------------------------------------------------------------------------------------------
// Table-based image data: variable-length-code LZW (GIF89a section 22, appendix F)

void TGifDecoder::InitLzw() {
  currentRow_ = 0;
  interlacePass_ = 0;
  subBlockLeft_ = 0;
  subBlockPos_ = 0;
  bitsLeft_ = 0;
  pixelsDecoded_ = 0;
  dataEnded_ = false;
  const std::uint8_t minimum = ReadByte();
  if (minimum < 2 || minimum > 9) throw EAbort(gif_messages::DataError);
  minCodeSize_ = minimum;
  codeSize_ = static_cast<std::uint16_t>(minimum + 1);
  codeLimit_ = static_cast<std::uint16_t>(1u << codeSize_);
  clearCode_ = static_cast<std::uint16_t>(1u << minimum);
  endCode_ = static_cast<std::uint16_t>(clearCode_ + 1);
  firstFreeCode_ = nextCode_ = static_cast<std::uint16_t>(clearCode_ + 2);
}

// The next byte of the image data; sub-blocks are read whole into the buffer.
std::uint8_t TGifDecoder::NextDataByte() {
  if (subBlockLeft_ == 0) {
    const std::uint8_t size = ReadByte();
    if (size == 0) {
      // Several encoders (Pillow among them) write the end code at the old width when the
      // last data code has just made the decoder widen its codes; when that short end code
      // fills its last byte, the terminator stands where the end code's top bit should.
      // Viewers show such files, so once the image has all its pixels the terminator ends it
      // as the end code would; while pixels are missing it stays an error.
      if (pixelsDecoded_ < std::uint64_t{imageWidth_} * imageHeight_)
        throw EAbort(gif_messages::UnexpectedEndOfBlock);
      dataEnded_ = true;
      return 0;
    }
    ReadBytes(subBlock_.data(), size);
    subBlockLeft_ = size;
    subBlockPos_ = 0;
  }
  --subBlockLeft_;
  return subBlock_[static_cast<std::size_t>(subBlockPos_++)];
}

// Codes are packed least significant bit first.
std::uint16_t TGifDecoder::ReadCode() {
  if (bitsLeft_ == 0) {
    currentByte_ = NextDataByte();
    if (dataEnded_) return endCode_;
    bitsLeft_ = 8;
  }
  std::uint16_t code = static_cast<std::uint16_t>(currentByte_ >> (8 - bitsLeft_));
  while (codeSize_ > bitsLeft_) {
    currentByte_ = NextDataByte();
    if (dataEnded_) return endCode_;
    code = static_cast<std::uint16_t>(code | (currentByte_ << bitsLeft_));
    bitsLeft_ += 8;
  }
  bitsLeft_ -= codeSize_;
  return static_cast<std::uint16_t>(code & (0xFFF >> (12 - codeSize_)));
}

inline void TGifDecoder::Push(std::uint8_t value) {
  if (stackDepth_ >= TableSize) throw EAbort(gif_messages::StackOverflow);
  stack_[static_cast<std::size_t>(stackDepth_++)] = value;
}

inline std::uint8_t TGifDecoder::Pop() {
  if (stackDepth_ <= 0) throw EAbort(gif_messages::StackEmpty);
  return stack_[static_cast<std::size_t>(--stackDepth_)];
}

inline void TGifDecoder::PutPixel(std::uint8_t index) {
  // An image of width 0 has no row to put pixels in.
  if (imageWidth_ == 0) throw EAbort(gif_messages::PixelsInEmptyImage);
  line_[static_cast<std::size_t>(linePos_++)] = index;
  ++pixelsDecoded_;
  if (linePos_ == imageWidth_) {
    OutLine(line_.data(), imageWidth_);
    linePos_ = 0;
  }
}

void TGifDecoder::DecodeImage() {
  suffix_.assign(TableSize, 0);
  prefix_.assign(TableSize, 0);
  stack_.assign(TableSize, 0);
  stackDepth_ = 0;
  line_.assign(imageWidth_, 0);
  linePos_ = 0;
  std::uint16_t previous = 0;
  std::uint8_t firstChar = 0;
  // Data is read as if a clear code came just before it, so a first code that is not a clear
  // code starts the image the way a code after a clear code does (GIF89a does not require the
  // leading clear code; decoding from an empty table's "previous code 0" would garble it).
  bool afterClear = true;
  for (;;) {
    std::uint16_t code = ReadCode();
    if (code == clearCode_) {
      codeSize_ = static_cast<std::uint16_t>(minCodeSize_ + 1);
      nextCode_ = firstFreeCode_;
      codeLimit_ = static_cast<std::uint16_t>(1u << codeSize_);
      afterClear = true;
      continue;
    }
    if (code == endCode_) break;
    if (afterClear) {
      // Corrupt data may start with a code the table does not hold yet.
      if (code >= nextCode_) code = 0;
      previous = code;
      firstChar = static_cast<std::uint8_t>(code);
      PutPixel(firstChar);
      afterClear = false;
      continue;
    }
    std::uint16_t current = code;
    if (code >= nextCode_) {
      // The code being defined right now: the previous string plus its own first character.
      Push(firstChar);
      current = previous;
    }
    while (current >= firstFreeCode_) {
      Push(suffix_[current]);
      current = prefix_[current];
    }
    Push(static_cast<std::uint8_t>(current));
    // A full table at 12 bits takes no entries until the next clear code.
    if (nextCode_ < codeLimit_) {
      firstChar = static_cast<std::uint8_t>(current);
      suffix_[nextCode_] = firstChar;
      prefix_[nextCode_] = previous;
      ++nextCode_;
      previous = code;
      if (nextCode_ >= codeLimit_ && codeSize_ < 12) {
        codeLimit_ = static_cast<std::uint16_t>(codeLimit_ * 2);
        ++codeSize_;
      }
    }
    while (stackDepth_ > 0) PutPixel(Pop());
  }
  // A partial last row goes out whole: its tail repeats the row before (0 in the first row).
  if (linePos_ > 0) OutLine(line_.data(), imageWidth_);
  // The end code must stand in the last data sub-block.
  if (!dataEnded_ && ReadByte() != 0) throw EAbort(gif_messages::UnexpectedEndOfRaster);
}

// ---------------------------------------------------------------------------------------------
// Composition

void TGifDecoder::PrepareImageColors() {
  const auto& table = localTablePresent_ ? localTable_ : globalTable_;
  for (std::size_t i = 0; i < 256; ++i)
    quads_[i] = (std::uint32_t{table[i].r} << 16) | (std::uint32_t{table[i].g} << 8) | table[i].b;
  transparent_ = (controlFlags_ & 1) != 0;
}

void TGifDecoder::OutLine(const std::uint8_t* line, int count) {
  if (count < imageWidth_) throw EAbort(gif_messages::OutLineError);
  const int y = imageTop_ + currentRow_;
  const int left = imageLeft_;
  const int right = std::min(imageLeft_ + imageWidth_, static_cast<int>(screenWidth_));
  if (y < screenHeight_ && left < right) {
    const std::size_t n = static_cast<std::size_t>(right - left);
    // Without transparency the background index would be drawn as itself, which the
    // palettised frames show as the background colour: only true colour can show it.
    if (!trueColor_ && !transparent_ && std::memchr(line, backgroundIndex_, n)) SwitchToTrueColor();
    std::uint8_t* row32 = canvas32_->Row(y) + 4 * static_cast<std::size_t>(left);
    std::uint8_t* row8 = trueColor_ ? nullptr : canvas8_->Row(y) + left;
    if (transparent_) {
      const std::uint8_t skip = transparentIndex_;
      for (std::size_t x = 0; x < n; ++x) {
        const std::uint8_t index = line[x];
        if (index == skip) continue;
        std::memcpy(row32 + 4 * x, &quads_[index], 4);
        if (row8) row8[x] = index;
      }
    } else {
      for (std::size_t x = 0; x < n; ++x) std::memcpy(row32 + 4 * x, &quads_[line[x]], 4);
      if (row8) std::memcpy(row8, line, n);
    }
  }
  AdvanceRow();
}

// Rows of an interlaced image come in four passes (GIF89a appendix E): every 8th row from 0,
// every 8th from 4, every 4th from 2, every 2nd from 1. Rows of a plain image go on past its
// height and are drawn below it while they fall on the screen.
void TGifDecoder::AdvanceRow() {
  if (!(imageFlags_ & 0x40)) {
    // Past the bottom of the screen nothing is drawn; stop counting there.
    if (imageTop_ + currentRow_ < screenHeight_) ++currentRow_;
    return;
  }
  static constexpr int Start[4] = {0, 4, 2, 1};
  static constexpr int Step[4] = {8, 8, 4, 2};
  if (interlacePass_ >= 4) return;
  currentRow_ += Step[interlacePass_];
  while (currentRow_ >= imageHeight_) {
    if (++interlacePass_ >= 4) return;
    currentRow_ = Start[interlacePass_];
  }
}

std::unique_ptr<TSmileBitmap> TGifDecoder::FrameFromCanvas(bool takeCanvas) {
  if (trueColor_) {
    if (takeCanvas) return std::move(canvas32_);
    auto frame = std::make_unique<TSmileBitmap32>();
    frame->CopyFrom(*canvas32_);
    return frame;
  }
  std::unique_ptr<TSmileBitmap8> frame;
  if (takeCanvas) {
    frame = std::move(canvas8_);
  } else {
    frame = std::make_unique<TSmileBitmap8>();
    frame->CopyFrom(*canvas8_);
  }
  frame->SetPaletteColor(transparentIndex_, background_);
  return frame;
}

void TGifDecoder::ComposeImage() {
  PrepareImageColors();
  const int disposal = (controlFlags_ >> 2) & 7;
  if (disposal == 3) {
    // Restore to previous: the image is drawn, becomes the frame, and the canvases go back to
    // how they were before it. The canvas drawn on becomes the frame itself.
    const bool palettised = !trueColor_;
    const std::size_t saved = TSmileBitmap32::StorageSize(screenWidth_, screenHeight_) +
                              (palettised ? TSmileBitmap8::StorageSize(screenWidth_, screenHeight_,
                                                                       globalColorCount_)
                                          : 0) +
                              2 * FrameOverhead;
    Reserve(saved);
    auto saved32 = std::make_unique<TSmileBitmap32>();
    saved32->CopyFrom(*canvas32_);
    std::unique_ptr<TSmileBitmap8> saved8;
    if (palettised) {
      saved8 = std::make_unique<TSmileBitmap8>();
      saved8->CopyFrom(*canvas8_);
    }
    DecodeImage();
    frames_.push_back(FrameFromCanvas(true));
    canvas32_ = std::move(saved32);
    if (saved8) canvas8_ = std::move(saved8);
    Release(saved);
    Reserve(FrameSize());
    return;
  }
  DecodeImage();
  Reserve(FrameSize());
  frames_.push_back(FrameFromCanvas(false));
  if (disposal == 2) {
    // Restore to background: only the image's rectangle.
    const int right = imageLeft_ + imageWidth_, bottom = imageTop_ + imageHeight_;
    if (!trueColor_) canvas8_->FillRect(imageLeft_, imageTop_, right, bottom, transparentIndex_);
    canvas32_->FillRect(imageLeft_, imageTop_, right, bottom, background_);
  }
}

void TGifDecoder::AddDelay() { delays_.push_back(delay_ < 10 ? 100 : delay_ * 10); }
