// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureConverter.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <gif_lib.h>

#include <climits>
#include <filesystem>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "BmpDecoder.h"
#include "Files.h"
#include "GifDecoder.h"

using namespace picture_limits;

namespace {

// ---- Pixels as the pack can hold them ----

// A pixel without alpha: 0x00RRGGBB, or Transparent.
constexpr std::uint32_t Transparent = 0x01000000u;

// Pixels at least this opaque are blended over white; fainter ones are transparent.
constexpr int MinOpaqueAlpha = 16;

// A pixel of a soft edge or a glow keeps its share of colour over the white that the messenger
// draws smiles on; only a nearly transparent one becomes transparent.
std::uint32_t Flatten(QRgb c) {
  const int a = qAlpha(c);
  if (a < MinOpaqueAlpha) return Transparent;
  auto over = [a](int v) { return (v * a + 255 * (255 - a) + 127) / 255; };
  return static_cast<std::uint32_t>(qRgb(over(qRed(c)), over(qGreen(c)), over(qBlue(c)))) &
         0xFFFFFFu;
}

// One frame of flattened pixels, rows from the top.
struct TFlatFrame {
  std::vector<std::uint32_t> pixels;
  bool transparent = false;  // holds a transparent pixel
};

// The frame at the canvas size, flattened. Parts outside the frame are transparent.
TFlatFrame FlattenFrame(const QImage& frame, int width, int height) {
  QImage argb = frame.convertToFormat(QImage::Format_ARGB32);
  TFlatFrame out;
  out.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), Transparent);
  const int w = std::min(width, argb.width()), h = std::min(height, argb.height());
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    for (int x = 0; x < w; ++x) out.pixels[static_cast<std::size_t>(y) * width + x] = Flatten(row[x]);
  }
  for (std::uint32_t p : out.pixels)
    if (p == Transparent) {
      out.transparent = true;
      break;
    }
  return out;
}

// ---- GIF ----

// The colour table and each frame's indices.
struct TIndexed {
  std::vector<GifColorType> colors;  // opaque colours; the transparent index follows them
  std::vector<std::vector<GifPixelType>> frames;
  bool transparent = false;
  int TransparentIndex() const { return static_cast<int>(colors.size()); }
};

GifColorType ToGifColor(std::uint32_t c) {
  return {static_cast<GifByteType>(c >> 16), static_cast<GifByteType>(c >> 8),
          static_cast<GifByteType>(c)};
}

// Colours reduced to 6 bits a channel: the cells in which the reduced palette is refined.
std::uint32_t CellOf(std::uint32_t c) { return (c >> 2) & 0x3F3F3Fu; }

int Channel(std::uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

int SquaredDistance(const GifColorType& a, std::uint32_t c) {
  const int r = a.Red - Channel(c, 16), g = a.Green - Channel(c, 8), b = a.Blue - Channel(c, 0);
  return r * r + g * g + b * b;
}

std::size_t Nearest(const std::vector<GifColorType>& palette, std::uint32_t c) {
  std::size_t best = 0;
  int bestDistance = INT_MAX;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    const int d = SquaredDistance(palette[i], c);
    if (d < bestDistance) bestDistance = d, best = i;
  }
  return best;
}

// At most Capacity colours for the opaque pixels of all frames: giflib's median cut gives the
// first table, and a few rounds of moving each colour to the mean of the pixels nearest to it
// (over a histogram of cells) bring the worst errors down.
std::vector<GifColorType> ReducedPalette(const std::vector<TFlatFrame>& frames, std::size_t opaque,
                                         std::size_t capacity) {
  std::vector<GifByteType> r(opaque), g(opaque), b(opaque), cut(opaque);
  struct TCell {
    std::uint64_t count = 0, r = 0, g = 0, b = 0;
  };
  std::unordered_map<std::uint32_t, TCell> cells;
  std::size_t k = 0;
  for (const auto& f : frames)
    for (std::uint32_t p : f.pixels) {
      if (p == Transparent) continue;
      r[k] = static_cast<GifByteType>(Channel(p, 16));
      g[k] = static_cast<GifByteType>(Channel(p, 8));
      b[k] = static_cast<GifByteType>(Channel(p, 0));
      ++k;
      TCell& cell = cells[CellOf(p)];
      ++cell.count;
      cell.r += static_cast<std::uint64_t>(Channel(p, 16));
      cell.g += static_cast<std::uint64_t>(Channel(p, 8));
      cell.b += static_cast<std::uint64_t>(Channel(p, 0));
    }
  int size = static_cast<int>(capacity);
  std::vector<GifColorType> palette(256);
  if (GifQuantizeBuffer(static_cast<unsigned>(opaque), 1, &size, r.data(), g.data(), b.data(),
                        cut.data(), palette.data()) != GIF_OK ||
      size < 1 || size > static_cast<int>(capacity))
    return {};
  palette.resize(static_cast<std::size_t>(size));

  struct TMean {
    std::uint32_t color;
    std::uint64_t count;
  };
  std::vector<TMean> means;
  means.reserve(cells.size());
  for (const auto& entry : cells) {
    const TCell& cell = entry.second;
    auto mean = [&](std::uint64_t sum) { return static_cast<std::uint32_t>((sum + cell.count / 2) / cell.count); };
    means.push_back({(mean(cell.r) << 16) | (mean(cell.g) << 8) | mean(cell.b), cell.count});
  }
  for (int round = 0; round < 4; ++round) {
    std::vector<TCell> sums(palette.size());
    for (const TMean& m : means) {
      TCell& s = sums[Nearest(palette, m.color)];
      s.count += m.count;
      s.r += m.count * static_cast<std::uint64_t>(Channel(m.color, 16));
      s.g += m.count * static_cast<std::uint64_t>(Channel(m.color, 8));
      s.b += m.count * static_cast<std::uint64_t>(Channel(m.color, 0));
    }
    for (std::size_t i = 0; i < palette.size(); ++i)
      if (const std::uint64_t n = sums[i].count)
        palette[i] = {static_cast<GifByteType>((sums[i].r + n / 2) / n),
                      static_cast<GifByteType>((sums[i].g + n / 2) / n),
                      static_cast<GifByteType>((sums[i].b + n / 2) / n)};
  }
  return palette;
}

// Every distinct opaque colour gets an index while they fit; otherwise giflib's median cut
// reduces them, over all frames at once so that every frame shares the one global table.
bool IndexColors(const std::vector<TFlatFrame>& frames, TIndexed& out) {
  for (const auto& f : frames) out.transparent = out.transparent || f.transparent;
  const std::size_t capacity = out.transparent ? 255 : 256;
  std::unordered_map<std::uint32_t, GifPixelType> index;
  std::vector<std::uint32_t> colors;
  bool fits = true;
  std::size_t opaque = 0;
  for (const auto& f : frames)
    for (std::uint32_t p : f.pixels) {
      if (p == Transparent) continue;
      ++opaque;
      if (!fits || index.count(p)) continue;
      if (colors.size() == capacity) {
        fits = false;
        continue;
      }
      index.emplace(p, static_cast<GifPixelType>(colors.size()));
      colors.push_back(p);
    }
  out.frames.reserve(frames.size());
  if (fits) {
    const auto transparentIndex = static_cast<GifPixelType>(colors.size());
    for (std::uint32_t c : colors) out.colors.push_back(ToGifColor(c));
    for (const auto& f : frames) {
      auto& indices = out.frames.emplace_back(f.pixels.size());
      for (std::size_t i = 0; i < f.pixels.size(); ++i)
        indices[i] = f.pixels[i] == Transparent ? transparentIndex : index[f.pixels[i]];
    }
    return true;
  }
  std::vector<GifColorType> palette = ReducedPalette(frames, opaque, capacity);
  if (palette.empty()) return false;
  const auto transparent = static_cast<GifPixelType>(palette.size());
  // Each pixel takes the nearest colour of the reduced table, looked up once per cell.
  std::unordered_map<std::uint32_t, GifPixelType> nearest;
  for (const auto& f : frames) {
    auto& indices = out.frames.emplace_back(f.pixels.size());
    for (std::size_t i = 0; i < f.pixels.size(); ++i) {
      const std::uint32_t p = f.pixels[i];
      if (p == Transparent) {
        indices[i] = transparent;
        continue;
      }
      auto it = nearest.find(CellOf(p));
      if (it == nearest.end())
        it = nearest.emplace(CellOf(p), static_cast<GifPixelType>(Nearest(palette, p))).first;
      indices[i] = it->second;
    }
  }
  out.colors = std::move(palette);
  return true;
}

int GifWrite(GifFileType* gif, const GifByteType* data, int length) {
  static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data),
                                                  static_cast<std::size_t>(length));
  return length;
}

// Hundredths of a second for a delay in milliseconds; below 10 ms the decoder's 100 ms.
int DelayHundredths(int ms) {
  if (ms < 10) return 10;
  return std::min((ms + 5) / 10, 65535);
}

struct TGifCloser {
  void operator()(GifFileType* gif) const { EGifCloseFile(gif, nullptr); }
};
struct TMapFreer {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

bool WriteGif(const TIndexed& indexed, int width, int height, const std::vector<int>& delays,
              std::string& out) {
  int error = 0;
  std::unique_ptr<GifFileType, TGifCloser> gif(EGifOpen(&out, GifWrite, &error));
  if (!gif) return false;
  EGifSetGifVersion(gif.get(), true);

  // The table holds a power of two entries; the transparent index follows the colours.
  const int used = indexed.TransparentIndex() + (indexed.transparent ? 1 : 0);
  int entries = 2;
  while (entries < used) entries *= 2;
  std::vector<GifColorType> table(static_cast<std::size_t>(entries), GifColorType{0, 0, 0});
  std::copy(indexed.colors.begin(), indexed.colors.end(), table.begin());
  std::unique_ptr<ColorMapObject, TMapFreer> map(GifMakeMapObject(entries, table.data()));
  if (!map) return false;
  if (EGifPutScreenDesc(gif.get(), width, height, 8, 0, map.get()) != GIF_OK) return false;

  const bool animated = indexed.frames.size() > 1;
  if (animated) {
    static const GifByteType loop[3] = {1, 0, 0};  // play forever
    if (EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
        EGifPutExtensionBlock(gif.get(), 11, "NETSCAPE2.0") != GIF_OK ||
        EGifPutExtensionBlock(gif.get(), 3, loop) != GIF_OK ||
        EGifPutExtensionTrailer(gif.get()) != GIF_OK)
      return false;
  }
  // Each frame is whole; with transparency it is cleared after it is shown, so that the next
  // frame's transparent pixels show the background, not this frame.
  GraphicsControlBlock control{};
  control.DisposalMode = indexed.transparent ? DISPOSE_BACKGROUND : DISPOSE_DO_NOT;
  control.TransparentColor = indexed.transparent ? indexed.TransparentIndex() : NO_TRANSPARENT_COLOR;
  std::vector<GifPixelType> row(static_cast<std::size_t>(width));
  for (std::size_t n = 0; n < indexed.frames.size(); ++n) {
    if (animated || indexed.transparent) {
      control.DelayTime = DelayHundredths(n < delays.size() ? delays[n] : 0);
      GifByteType extension[4];
      EGifGCBToExtension(&control, extension);
      // Without transparency the (unused) index names a slot that no pixel uses where there is
      // one, so that the decoder keeps its frames palettised.
      if (!indexed.transparent && used < entries) extension[3] = static_cast<GifByteType>(used);
      if (EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, 4, extension) != GIF_OK) return false;
    }
    if (EGifPutImageDesc(gif.get(), 0, 0, width, height, false, nullptr) != GIF_OK) return false;
    const auto& pixels = indexed.frames[n];
    for (int y = 0; y < height; ++y) {
      std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * width, width, row.begin());
      if (EGifPutLine(gif.get(), row.data(), width) != GIF_OK) return false;
    }
  }
  return EGifCloseFile(gif.release(), &error) == GIF_OK;
}

// ---- BMP ----

std::string SaveBmp(const QImage& image) {
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "BMP")) return {};
  return data.toStdString();
}

// A colour no pixel in Used has: magenta first, the usual key colour of smile packs.
std::uint32_t FreeKeyColor(const std::unordered_set<std::uint32_t>& used) {
  if (!used.count(0xFF00FFu)) return 0xFF00FFu;
  for (std::uint32_t c = 0; c <= 0xFFFFFFu; ++c)
    if (!used.count(c)) return c;
  return 0xFF00FFu;  // every colour is used: a picture of more than 16 million pixels
}

// ---- Reading ----

bool IsPackPicture(const std::string& path, TPictureFormat format) {
  try {
    std::unique_ptr<TPictureDecoder> decoder;
    if (format == TPictureFormat::Gif)
      decoder = std::make_unique<TGifDecoder>(path);
    else
      decoder = std::make_unique<TBmpDecoder>(path);
    decoder->Decode();
    const int count = decoder->GetFrameCount();
    const TSmileBitmap* frame = decoder->GetFrame(0);
    return count >= 1 && count <= MaxFrames && frame && frame->width <= MaxSide &&
           frame->height <= MaxSide &&
           std::int64_t{count} * frame->width * frame->height <= MaxTotalPixels;
  } catch (...) {
    return false;
  }
}

// A GIF's logical screen is in its header; one too large is not handed to the decoder at all.
bool ScreenFits(const std::string& bytes) {
  if (bytes.size() < 10 || bytes.compare(0, 3, "GIF") != 0) return true;
  auto word = [&](std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
  };
  return word(6) <= MaxSide && word(8) <= MaxSide;
}

TConvertedPicture Failed(TConvertError error, std::string detail = {}) {
  TConvertedPicture result;
  result.error = error;
  result.detail = std::move(detail);
  return result;
}

// Every frame (only the first for a still target, or a format without animation) with its
// delay, within the bounds.
TConvertError ReadFrames(const std::string& bytes, bool allFrames, std::vector<QImage>& frames,
                         std::vector<int>& delays, std::string& detail) {
  QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAllocationLimit(64);  // megabytes for one frame; far above MaxSide * MaxSide * 4
  reader.setAutoTransform(true);  // photographs upright, as viewers show them
  const QSize size = reader.size();
  if (size.isValid() && (size.width() > MaxSide || size.height() > MaxSide))
    return TConvertError::TooLarge;
  allFrames = allFrames && reader.supportsAnimation();
  std::int64_t total = 0;
  QImage image;
  if (!PrepareBmpRead(data, size, image)) return TConvertError::Incomplete;
  while (reader.read(&image)) {
    if (image.width() > MaxSide || image.height() > MaxSide) return TConvertError::TooLarge;
    if (static_cast<int>(frames.size()) == MaxFrames) return TConvertError::TooManyFrames;
    total += std::int64_t{image.width()} * image.height();
    if (total > MaxTotalPixels) return TConvertError::TooLarge;
    frames.push_back(image);
    delays.push_back(reader.nextImageDelay());
    if (!allFrames) break;
  }
  if (frames.empty()) {
    detail = reader.errorString().toStdString();
    return TConvertError::NotAPicture;
  }
  return TConvertError::None;
}

}  // namespace

std::string EncodeGif(const std::vector<QImage>& frames, const std::vector<int>& delays) {
  if (frames.empty() || frames[0].isNull()) return {};
  const int width = frames[0].width(), height = frames[0].height();
  std::vector<TFlatFrame> flat;
  flat.reserve(frames.size());
  for (const QImage& frame : frames) flat.push_back(FlattenFrame(frame, width, height));
  TIndexed indexed;
  if (!IndexColors(flat, indexed)) return {};
  flat.clear();
  std::string out;
  if (!WriteGif(indexed, width, height, delays, out)) return {};
  return out;
}

std::string EncodeKeyedBmp(const QImage& picture) {
  if (picture.isNull()) return {};
  const int width = picture.width(), height = picture.height();
  TFlatFrame flat = FlattenFrame(picture, width, height);
  const std::size_t corner = static_cast<std::size_t>(height - 1) * width;
  // The decoder keys out the bottom-left pixel's colour; a key is needed when that would hit
  // another pixel, or when transparent pixels must take the key colour.
  std::unordered_set<std::uint32_t> used;
  bool cornerRepeats = false;
  for (std::size_t i = 0; i < flat.pixels.size(); ++i) {
    if (i == corner || flat.pixels[i] == Transparent) continue;
    used.insert(flat.pixels[i]);
    cornerRepeats = cornerRepeats || flat.pixels[i] == flat.pixels[corner];
  }
  if (flat.transparent || cornerRepeats) {
    const std::uint32_t key = FreeKeyColor(used);
    flat.pixels[corner] = key;
    for (auto& p : flat.pixels)
      if (p == Transparent) p = key;
  }
  QImage out(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < width; ++x)
      row[x] = 0xFF000000u | flat.pixels[static_cast<std::size_t>(y) * width + x];
  }
  return SaveBmp(out);
}

TConvertedPicture ConvertPicture(const std::string& path, TPictureFormat format) {
  if (!platform::FileExists(path)) return Failed(TConvertError::CannotOpen);
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (error) return Failed(TConvertError::CannotOpen);
  if (size > static_cast<std::uintmax_t>(MaxFileSize))
    return Failed(TConvertError::CannotOpen, "larger than " + std::to_string(MaxFileSize >> 20) + " MiB");
  TConvertedPicture result;
  if (!platform::ReadFile(path, result.bytes)) return Failed(TConvertError::CannotOpen);

  if (ScreenFits(result.bytes) && IsPackPicture(path, format)) {
    result.unchanged = true;
    return result;
  }
  std::vector<QImage> frames;
  std::vector<int> delays;
  std::string detail;
  const TConvertError read =
      ReadFrames(result.bytes, format == TPictureFormat::Gif, frames, delays, detail);
  if (read != TConvertError::None) return Failed(read, detail);
  result.bytes = format == TPictureFormat::Gif ? EncodeGif(frames, delays) : EncodeKeyedBmp(frames[0]);
  if (result.bytes.empty()) return Failed(TConvertError::EncodeFailed);
  return result;
}

const char* ConvertErrorText(TConvertError error) {
  switch (error) {
    case TConvertError::None: return "converted";
    case TConvertError::CannotOpen: return "the file can't be read";
    case TConvertError::NotAPicture: return "not a picture this program reads";
    case TConvertError::Incomplete: return "not a complete picture";
    case TConvertError::TooLarge: return "the picture is too large for a smile";
    case TConvertError::TooManyFrames: return "the picture has too many frames for a smile";
    case TConvertError::EncodeFailed: return "the picture could not be encoded";
  }
  return "";
}
