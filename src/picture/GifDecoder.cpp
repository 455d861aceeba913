// SPDX-License-Identifier: GPL-3.0-or-later
#include "GifDecoder.h"

#include <algorithm>
#include <cstring>

namespace {

// Bookkeeping of one frame object beside its storage, counted against the decoder's bound.
constexpr std::size_t FrameOverhead = 128;

std::uint16_t LE16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

TGifDecoder::TGifDecoder(const std::string& fileName) : TPictureDecoder(fileName) {}

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
  ReturnWorkingMemory(std::move(work_));
}

void TGifDecoder::DecodeFile() {
  endReached_ = false;
  formatFlags_ = 0;
  globalColorCount_ = 0;
  ReadHeader();
  ReadGlobalColorTable();
  trueColor_ = false;
  quadsOf_ = TQuadsOf::None;
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
  // The true-colour canvas is made when frames switch to true colour; both count from here.
  Reserve(CanvasesSize());
  canvasesReserved_ = CanvasesSize();
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
//
// Each code's string is written straight into the image's pixel buffer. A table entry is the
// previous string plus the first byte of the string that followed it, so the entry's string
// stands whole in the buffer where the previous string began: the entry keeps that place and
// the string's length, and writing a code is one short copy from earlier output. The root codes
// copy from a row of all byte values in front of the pixels. Data that no valid encoder writes
// (a code beyond the one being defined, or more pixels than the image has room for) makes the
// rest of the image follow each string back through prefix and suffix tables instead, as the
// published algorithm does with its explicit stack, which gives such data the same pixels and
// the same failures.

namespace {

// Codes of at most 12 bits; the string table has one entry more, which a full table leaves
// unused.
constexpr unsigned MaxCodes = 4096;
constexpr std::size_t TableSize = MaxCodes + 1;
// A string copy may write this many bytes past the string's end.
constexpr std::size_t CopySlack = 16;
// The strings of the root codes (up to 512 of them, for a minimum code size of 9) stand in
// front of the pixels: the byte value of root r at r.
constexpr std::size_t RootStrings = 512;
// Pixels of one image held at once; the data of a larger image is placed in parts.
constexpr std::size_t MaxHeldPixels = std::size_t{1} << 22;

// A table entry in the buffer: where its string starts, its length and its prefix code.
constexpr std::uint64_t Entry(std::size_t at, std::size_t length, unsigned prefix) {
  return at | (std::uint64_t{length} << 32) | (std::uint64_t{prefix} << 48);
}
constexpr std::size_t EntryAt(std::uint64_t e) { return static_cast<std::uint32_t>(e); }
constexpr std::size_t EntryLength(std::uint64_t e) { return (e >> 32) & 0xFFFF; }
constexpr std::uint16_t EntryPrefix(std::uint64_t e) { return static_cast<std::uint16_t>(e >> 48); }

// Copies `count` (at least 1) bytes from earlier in the same buffer, sixteen at a time; the
// bytes up to CopySlack past to + count are overwritten with whatever follows the source. The
// string may end one byte into the copy (the code being defined ends with its own first byte,
// which the caller puts in afterwards), so any order of the loads and stores copies the bytes
// that matter; most strings take one step.
inline void CopyString(std::uint8_t* to, const std::uint8_t* from, std::size_t count) {
  std::uint8_t chunk[16];
  std::memcpy(chunk, from, 16);
  std::memcpy(to, chunk, 16);
  for (std::size_t i = 16; i < count; i += 16) {
    std::memcpy(chunk, from + i, 16);
    std::memcpy(to + i, chunk, 16);
  }
}

// The unread bits of an image's data, taken least significant bit first from the bytes of the
// current data sub-block.
struct TCodeBits {
  std::uint64_t bits = 0;  // the next bit lowest; none set at or above `count`
  unsigned count = 0;
  const std::uint8_t* next = nullptr;  // the sub-block's unread bytes
  const std::uint8_t* end = nullptr;

  // Takes whole bytes of the sub-block while they fit, with one load when eight remain; false
  // when fewer remain.
  bool FillWord() {
    if (end - next < 8) return false;
    std::uint64_t chunk;
    std::memcpy(&chunk, next, 8);
    const unsigned bytes = (63 - count) >> 3;
    bits |= chunk << count;
    next += bytes;
    count += 8 * bytes;
    bits &= (std::uint64_t{1} << count) - 1;
    return true;
  }
  // Takes whole bytes of the sub-block while they fit.
  void Fill() {
    if (FillWord()) return;
    while (count <= 56 && next < end) {
      bits |= std::uint64_t{*next++} << count;
      count += 8;
    }
  }
  unsigned Peek(unsigned mask) const { return static_cast<unsigned>(bits) & mask; }
  void Skip(unsigned size) {
    bits >>= size;
    count -= size;
  }
};

// What the code loop of CopyCodes runs on, taken over from DecodeImage and handed back.
struct TCopyRun {
  TCodeBits bits;
  unsigned codeSize, codeMask, nextCode;
  std::uint64_t previous;  // the entry of the previous code's string (its code as the prefix)
  std::size_t pos;         // where the next string goes
};

// Decodes codes while each is in the table or the one being defined, is neither the clear nor
// the end code, and has room below `posLimit`; stops before the first code that isn't, or when
// fewer than eight bytes of the sub-block are left to refill from. The entry a code makes is
// the previous string one longer, so it is in place before the code's own string is known; the
// code being defined is that entry, its last byte the first one of the string. A full table
// (4096 codes) takes no entries until the next clear code.
//
// Kept apart from DecodeImage so that its state stays in registers.
[[gnu::noinline]] void CopyCodes(TCopyRun& run, std::uint64_t* entries, std::uint8_t* base,
                                 unsigned clear, std::size_t posLimit) {
  TCodeBits bits = run.bits;
  unsigned codeSize = run.codeSize, codeMask = run.codeMask, nextCode = run.nextCode;
  std::uint64_t previous = run.previous;
  std::size_t pos = run.pos;
  while (nextCode < MaxCodes) {
    if (bits.count < codeSize && !bits.FillWord()) goto done;
    const unsigned code = bits.Peek(codeMask);
    if (code > nextCode || code - clear < 2 || pos > posLimit) goto done;
    bits.Skip(codeSize);
    entries[nextCode] = previous + (std::uint64_t{1} << 32);
    const std::uint64_t e = entries[code];
    const std::size_t length = EntryLength(e);
    CopyString(base + pos, base + EntryAt(e), length);
    if (code == nextCode) base[pos + length - 1] = base[pos];
    previous = (e & (std::uint64_t{0xFFFF} << 32)) | pos | (std::uint64_t{code} << 48);
    pos += length;
    // The table fills the code width: wider codes, up to 12 bits, then a full table.
    if ((++nextCode & codeMask) == 0) {
      if (codeSize == 12) break;
      codeMask = codeMask * 2 + 1;
      ++codeSize;
    }
  }
  for (;;) {
    if (bits.count < codeSize && !bits.FillWord()) break;
    const unsigned code = bits.Peek(codeMask);
    if (code - clear < 2 || pos > posLimit) break;
    bits.Skip(codeSize);
    const std::uint64_t e = entries[code];
    CopyString(base + pos, base + EntryAt(e), EntryLength(e));
    pos += EntryLength(e);
  }
done:
  run = {bits, codeSize, codeMask, nextCode, previous, pos};
}

}  // namespace

// The string table, for each code: the entry (where its string starts, length, prefix code)
// and the chains that strings are followed through in data no valid encoder writes; and the
// pixel buffer, the root strings in front.
struct TGifWorkingMemory {
  std::array<std::uint64_t, TableSize> entry;
  std::array<std::uint16_t, TableSize> prefix;
  std::array<std::uint8_t, TableSize> suffix;
  unsigned rootsValid = 0;  // entries below this one hold their root strings
  std::unique_ptr<std::uint8_t[]> pixels;
  std::size_t pixelsLimit = 0;  // pixels that fit behind the root strings
};

namespace {

// The working memory of the last decoder finished on this thread, for the next one: smiles are
// decoded one after another, and memory taken from the heap and given back for every file makes
// the heap grow and shrink with every picture. A pixel buffer above this size is not kept.
constexpr std::size_t MaxSparePixels = std::size_t{1} << 20;
thread_local std::unique_ptr<TGifWorkingMemory> spareWork;

}  // namespace

TGifWorkingMemory& TGifDecoder::Work() {
  if (!work_)
    work_ = spareWork ? std::move(spareWork) : std::make_unique_for_overwrite<TGifWorkingMemory>();
  return *work_;
}

void TGifDecoder::ReturnWorkingMemory(std::unique_ptr<TGifWorkingMemory> work) {
  if (!work || spareWork) return;
  if (work->pixelsLimit > MaxSparePixels) {
    work->pixels.reset();
    work->pixelsLimit = 0;
  }
  spareWork = std::move(work);
}

void TGifDecoder::InitLzw() {
  currentRow_ = 0;
  interlacePass_ = 0;
  const std::uint8_t minimum = ReadByte();
  if (minimum < 2 || minimum > 9) throw EAbort(gif_messages::DataError);
  minCodeSize_ = minimum;
  codeSize_ = static_cast<std::uint16_t>(minimum + 1);
  clearCode_ = static_cast<std::uint16_t>(1u << minimum);
  endCode_ = static_cast<std::uint16_t>(clearCode_ + 1);
  firstFreeCode_ = nextCode_ = static_cast<std::uint16_t>(clearCode_ + 2);
}

// Reads the next data sub-block whole into the buffer; its size, 0 at the block terminator.
std::size_t TGifDecoder::NextSubBlock() {
  const std::uint8_t size = ReadByte();
  if (size != 0) ReadBytes(subBlock_.data(), size);
  return size;
}

void TGifDecoder::PrepareImageBuffers() {
  TGifWorkingMemory& work = Work();
  const std::size_t width = imageWidth_;
  // Room for the whole image, or at least for two rows and the longest string.
  const std::size_t limit =
      std::max(std::min(width * imageHeight_, MaxHeldPixels), 2 * width) + TableSize;
  if (work.pixelsLimit < limit) {
    work.pixels.reset();
    work.pixels = std::make_unique_for_overwrite<std::uint8_t[]>(RootStrings + limit + CopySlack);
    for (std::size_t r = 0; r < RootStrings; ++r) work.pixels[r] = static_cast<std::uint8_t>(r);
    work.pixelsLimit = limit;
  }
  // The root entries; an image with a smaller minimum code size wrote others over some, and
  // this image writes over those at its clear code and above.
  for (unsigned r = work.rootsValid; r < clearCode_; ++r) work.entry[r] = Entry(r, 1, 0);
  work.rootsValid = clearCode_;
  placed_ = RootStrings;
  dropped_ = 0;
}

// The prefix and suffix tables of the entries written for this image ([firstFree, used)), from
// their strings in the buffer; the other entries read as zero, as from a fresh table.
void TGifDecoder::BuildChainTables(unsigned used) {
  TGifWorkingMemory& t = *work_;
  const std::uint8_t* base = t.pixels.get();
  for (unsigned c = firstFreeCode_; c < used; ++c) {
    const std::uint64_t e = t.entry[c];
    t.prefix[c] = EntryPrefix(e);
    t.suffix[c] = base[EntryAt(e) + EntryLength(e) - 1];
  }
  std::fill(t.prefix.begin() + used, t.prefix.end(), 0);
  std::fill(t.suffix.begin() + used, t.suffix.end(), 0);
}

void TGifDecoder::DecodeImage() {
  PrepareImageBuffers();
  TGifWorkingMemory& work = *work_;
  // Positions are counted from the start of the buffer, the root strings in front.
  std::uint8_t* const base = work.pixels.get();
  const std::size_t limit = RootStrings + work.pixelsLimit;
  std::uint64_t* const entries = work.entry.data();
  std::uint16_t* const prefix = work.prefix.data();
  std::uint8_t* const suffix = work.suffix.data();
  const unsigned clear = clearCode_, end = endCode_, firstFree = firstFreeCode_;
  unsigned codeSize = codeSize_, codeMask = (1u << codeSize) - 1;
  unsigned nextCode = nextCode_;
  unsigned used = firstFree;  // entries [firstFree, used) were written for this image
  // Codes below this one are copied from the buffer: 0 right after a clear code and once
  // strings are followed through the chain tables, else one past the next code.
  unsigned copyBelow = 0;

  // The code read before (the prefix of the next entry) and its string in the buffer, kept as
  // the entry that string makes: where it starts, its length, its code.
  std::uint64_t previous = Entry(RootStrings, 0, 0);
  std::uint8_t firstChar = 0;  // the first byte of that string, kept only while following
  // Data is read as if a clear code came just before it, so a first code that is not a clear
  // code starts the image the way a code after a clear code does (GIF89a does not require the
  // leading clear code; decoding from an empty table's "previous code 0" would garble it).
  bool afterClear = true;
  bool following = false;
  bool terminated = false;  // the data ended at the block terminator
  std::size_t pos = RootStrings;
  TCodeBits reader;

  for (;;) {
    if (reader.count < codeSize) {
      reader.Fill();
      while (reader.count < codeSize) {
        const std::size_t size = NextSubBlock();
        if (size == 0) {
          // Several encoders (Pillow among them) write the end code at the old width when the
          // last data code has just made the decoder widen its codes; when that short end code
          // fills its last byte, the terminator stands where the end code's top bit should.
          // Viewers show such files, so once the image has all its pixels the terminator ends
          // it as the end code would; while pixels are missing it stays an error.
          if (dropped_ + pos - RootStrings < std::size_t{imageWidth_} * imageHeight_)
            throw EAbort(gif_messages::UnexpectedEndOfBlock);
          terminated = true;
          break;
        }
        reader.next = subBlock_.data();
        reader.end = reader.next + size;
        reader.Fill();
      }
      if (terminated) break;
    }
    unsigned code = reader.Peek(codeMask);
    if (code < copyBelow && code - clear >= 2 && pos + TableSize <= limit) {
      TCopyRun run{reader, codeSize, codeMask, nextCode, previous, pos};
      CopyCodes(run, entries, base, clear, limit - TableSize);
      reader = run.bits;
      codeSize = run.codeSize;
      codeMask = run.codeMask;
      nextCode = run.nextCode;
      previous = run.previous;
      pos = run.pos;
      copyBelow = std::min(nextCode + 1, MaxCodes);
      continue;
    }
    reader.Skip(codeSize);

    if (code == clear) {
      used = std::max(used, nextCode);
      codeSize = minCodeSize_ + 1u;
      codeMask = (1u << codeSize) - 1;
      nextCode = firstFree;
      afterClear = true;
      copyBelow = 0;
      continue;
    }
    if (code == end) break;
    if (!following && (!afterClear || pos + 1 > limit)) {
      // A code beyond the one being defined, or a string that may not fit: from here on
      // strings are followed through the chain tables, and the buffer makes room.
      following = true;
      copyBelow = 0;
      BuildChainTables(used = std::max(used, nextCode));
      firstChar = base[EntryAt(previous)];
    }
    if (afterClear) {
      // An image of width 0 has no row to put pixels in.
      if (imageWidth_ == 0) throw EAbort(gif_messages::PixelsInEmptyImage);
      // Corrupt data may start with a code the table does not hold yet.
      if (code >= nextCode) code = 0;
      if (pos + 1 > limit) pos = MakeRoom(pos);
      base[pos] = static_cast<std::uint8_t>(code);
      firstChar = base[pos];
      previous = Entry(pos++, 1, code);
      afterClear = false;
      if (!following) copyBelow = nextCode + 1;
      continue;
    }

    // The string is its chain of suffixes read backwards, after the first byte of the previous
    // string when the code is not in the table yet. A chain longer than the table can hold
    // comes from a cycle that corrupt codes built.
    unsigned current = code;
    std::size_t length = 1;
    if (code >= nextCode) {
      current = EntryPrefix(previous);
      length = 2;
    }
    for (unsigned c = current; c >= firstFree; c = prefix[c])
      if (++length > TableSize) throw EAbort(gif_messages::StackOverflow);
    if (pos + length > limit) pos = MakeRoom(pos);
    std::uint8_t* p = base + pos + length;
    if (code >= nextCode) *--p = firstChar;
    for (; current >= firstFree; current = prefix[current]) *--p = suffix[current];
    *--p = static_cast<std::uint8_t>(current);
    // A full table takes no entries until the next clear code.
    if (nextCode < MaxCodes) {
      firstChar = *p;
      suffix[nextCode] = *p;
      prefix[nextCode] = EntryPrefix(previous);
      previous = Entry(pos, length, code);
      if ((++nextCode & codeMask) == 0 && codeSize < 12) {
        codeMask = codeMask * 2 + 1;
        ++codeSize;
      }
    }
    pos += length;
  }
  const bool complete = dropped_ + pos - RootStrings >= std::size_t{imageWidth_} * imageHeight_;
  PlaceRows(pos);
  PlaceLastRow(pos);
  if (!terminated) SkipDataAfterEndCode(complete);
}

// The end code should stand in the last data sub-block. Some encoders write more sub-blocks
// after it; browsers and giflib show such an image, since every pixel was decoded, so once the
// image has all its pixels they are skipped to the block terminator like an extension's. While
// pixels are missing, data after the end code stays an error.
void TGifDecoder::SkipDataAfterEndCode(bool complete) {
  for (std::uint8_t size; (size = ReadByte()) != 0;) {
    if (!complete) throw EAbort(gif_messages::UnexpectedEndOfRaster);
    SkipBytes(size);
  }
}

// Hands every whole row up to `pos` that is not placed yet to OutLine.
void TGifDecoder::PlaceRows(std::size_t pos) {
  const std::size_t width = imageWidth_;
  if (width == 0) return;
  const std::uint8_t* base = work_->pixels.get();
  for (; placed_ + width <= pos; placed_ += width) OutLine(base + placed_, imageWidth_);
}

// Places the whole rows and moves what follows them to the start of the pixels; returns the
// new end of the pixels.
std::size_t TGifDecoder::MakeRoom(std::size_t pos) {
  PlaceRows(pos);
  const std::size_t from = placed_;
  std::uint8_t* base = work_->pixels.get();
  std::memmove(base + RootStrings, base + from, pos - from);
  const std::size_t shift = from - RootStrings;
  placed_ -= shift;
  dropped_ += shift;
  return pos - shift;
}

// Of a partial last row only the decoded pixels are drawn: where the data stops short, the
// canvas shows what it held before the image, as in browsers (after the previous image's
// disposal, the background on the first image).
void TGifDecoder::PlaceLastRow(std::size_t pos) {
  if (pos > placed_) DrawRow(work_->pixels.get() + placed_, static_cast<int>(pos - placed_));
}

// ---------------------------------------------------------------------------------------------
// Composition
//
// While frames are palettised only the palettised canvas is drawn on: the true-colour canvas
// would hold exactly its pixels in the global table's colours, the background index in the
// background colour, and is made from it when the decoder switches to true colour.

namespace {

// The stored quad (blue, green, red, 0 as a little-endian word) of a colour table entry.
template <typename Rgb>
std::uint32_t QuadOf(const Rgb& c) {
  return (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

// Transparent rows are drawn eight indices at a time: a word of indices that are all transparent
// is skipped, one without transparent indices drawn whole, the others blended without a branch
// per pixel.
constexpr std::uint64_t Ones = 0x0101010101010101u, Lows = 0x7F7F7F7F7F7F7F7Fu;

// 0xFF in each byte of `word` that equals the byte `pattern` repeats, 0 in the others.
inline std::uint64_t MatchingBytes(std::uint64_t word, std::uint64_t pattern) {
  const std::uint64_t diff = word ^ pattern;
  const std::uint64_t nonzero = ((diff & Lows) + Lows) | diff;  // high bit set where not equal
  return ((~nonzero >> 7) & Ones) * 0xFF;
}

// Copies the indices of `line` that are not `skip`.
void CopyIndicesSkipping(std::uint8_t* row, const std::uint8_t* line, std::size_t n,
                         std::uint8_t skip) {
  const std::uint64_t pattern = Ones * skip;
  std::size_t x = 0;
  for (; x + 8 <= n; x += 8) {
    std::uint64_t word, old;
    std::memcpy(&word, line + x, 8);
    if (word == pattern) continue;
    std::memcpy(&old, row + x, 8);
    const std::uint64_t keep = MatchingBytes(word, pattern);
    word = (word & ~keep) | (old & keep);
    std::memcpy(row + x, &word, 8);
  }
  for (; x < n; ++x) row[x] = line[x] == skip ? row[x] : line[x];
}

void DrawQuads(std::uint8_t* row, const std::uint8_t* line, std::size_t n,
               const std::uint32_t* quads) {
  for (std::size_t x = 0; x < n; ++x) std::memcpy(row + 4 * x, &quads[line[x]], 4);
}

// Draws the quads of the indices of `line` that are not `skip`.
void DrawQuadsSkipping(std::uint8_t* row, const std::uint8_t* line, std::size_t n,
                       const std::uint32_t* quads, std::uint8_t skip) {
  const std::uint64_t pattern = Ones * skip;
  std::size_t x = 0;
  for (; x + 8 <= n; x += 8) {
    std::uint64_t word;
    std::memcpy(&word, line + x, 8);
    if (word == pattern) continue;
    const std::uint64_t keep = MatchingBytes(word, pattern);
    if (keep == 0) {
      DrawQuads(row + 4 * x, line + x, 8, quads);
      continue;
    }
    for (std::size_t i = 0; i < 8; ++i) {
      const std::uint32_t k = static_cast<std::uint32_t>((keep >> (8 * i)) & 1) * 0xFFFFFFFFu;
      std::uint32_t quad;
      std::memcpy(&quad, row + 4 * (x + i), 4);
      quad = (quads[line[x + i]] & ~k) | (quad & k);
      std::memcpy(row + 4 * (x + i), &quad, 4);
    }
  }
  for (; x < n; ++x)
    if (line[x] != skip) std::memcpy(row + 4 * x, &quads[line[x]], 4);
}

}  // namespace

// The quads of the current image's colour table. A local table fills only its own entries:
// the others keep what the last local table left there, as its slots do.
void TGifDecoder::LoadImageQuads() {
  if (!localTablePresent_) {
    if (quadsOf_ == TQuadsOf::Global) return;
    for (std::size_t i = 0; i < 256; ++i) quads_[i] = QuadOf(globalTable_[i]);
    quadsOf_ = TQuadsOf::Global;
    return;
  }
  const std::size_t count =
      quadsOf_ == TQuadsOf::Local ? std::size_t{2} << (imageFlags_ & 7) : std::size_t{256};
  for (std::size_t i = 0; i < count; ++i) quads_[i] = QuadOf(localTable_[i]);
  quadsOf_ = TQuadsOf::Local;
}

void TGifDecoder::PrepareImageColors() {
  transparent_ = (controlFlags_ & 1) != 0;
  if (trueColor_) LoadImageQuads();
}

void TGifDecoder::SwitchToTrueColor() {
  if (trueColor_) return;
  trueColor_ = true;
  canvas32_ = TrueColorCanvas(*canvas8_);
  LoadImageQuads();
}

// What the true-colour canvas holds while frames are palettised.
std::unique_ptr<TSmileBitmap32> TGifDecoder::TrueColorCanvas(const TSmileBitmap8& canvas) const {
  std::array<std::uint32_t, 256> quads;
  for (std::size_t i = 0; i < 256; ++i) quads[i] = QuadOf(globalTable_[i]);
  quads[backgroundIndex_] = SwapRedBlue(background_) & 0xFFFFFF;
  auto result = std::make_unique<TSmileBitmap32>(screenWidth_, screenHeight_);
  result->Allocate();
  for (int y = 0; y < screenHeight_; ++y)
    DrawQuads(result->Row(y), canvas.Row(y), screenWidth_, quads.data());
  return result;
}

void TGifDecoder::OutLine(const std::uint8_t* line, int count) {
  if (count < imageWidth_) throw EAbort(gif_messages::OutLineError);
  DrawRow(line, imageWidth_);
  AdvanceRow();
}

// Draws the first `count` indices of a row at the current row.
void TGifDecoder::DrawRow(const std::uint8_t* line, int count) {
  const int y = imageTop_ + currentRow_;
  const int left = imageLeft_;
  const int right = std::min(imageLeft_ + count, static_cast<int>(screenWidth_));
  if (y < screenHeight_ && left < right) {
    const std::size_t n = static_cast<std::size_t>(right - left);
    // Without transparency the background index would be drawn as itself, which the
    // palettised frames show as the background colour: only true colour can show it.
    if (!trueColor_ && !transparent_ && std::memchr(line, backgroundIndex_, n)) SwitchToTrueColor();
    if (trueColor_) {
      std::uint8_t* row = canvas32_->Row(y) + 4 * static_cast<std::size_t>(left);
      if (transparent_) DrawQuadsSkipping(row, line, n, quads_.data(), transparentIndex_);
      else DrawQuads(row, line, n, quads_.data());
    } else {
      std::uint8_t* row = canvas8_->Row(y) + left;
      if (transparent_) CopyIndicesSkipping(row, line, n, transparentIndex_);
      else std::memcpy(row, line, n);
    }
  }
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
    std::unique_ptr<TSmileBitmap32> saved32;
    std::unique_ptr<TSmileBitmap8> saved8;
    if (palettised) {
      saved8 = std::make_unique<TSmileBitmap8>();
      saved8->CopyFrom(*canvas8_);
    } else {
      saved32 = std::make_unique<TSmileBitmap32>();
      saved32->CopyFrom(*canvas32_);
    }
    DecodeImage();
    frames_.push_back(FrameFromCanvas(true));
    if (saved32) canvas32_ = std::move(saved32);
    else if (trueColor_) canvas32_ = TrueColorCanvas(*saved8);  // switched during the image
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
    if (trueColor_) canvas32_->FillRect(imageLeft_, imageTop_, right, bottom, background_);
    else canvas8_->FillRect(imageLeft_, imageTop_, right, bottom, transparentIndex_);
  }
}

void TGifDecoder::AddDelay() { delays_.push_back(delay_ < 10 ? 100 : delay_ * 10); }
