// SPDX-License-Identifier: GPL-3.0-or-later
// Turns any picture a user offers into the file a smile pack stores: a GIF for the animated
// pack, a BMP for the static one. The user's file is only read.
//
// A file that already is of the pack's kind and that the pack's own decoder (TGifDecoder,
// TBmpDecoder) decodes is taken byte for byte. Anything else is read with Qt's image readers
// (every still format they read here; animated GIF and WebP keep their frames and delays) and
// encoded anew:
// - GIF: giflib's encoder, one global palette of at most 256 colours (reduced by giflib's
//   median cut when the frames hold more), a transparent index where the picture has
//   transparent pixels, every frame whole and restored to the background after it, so that the
//   decoder shows each frame as it was given. Delays are kept in hundredths of a second; a
//   delay below 10 ms (animated WebP uses 0 for "no delay") is written as 100 ms, the delay the
//   decoder shows for such frames.
// - BMP: 24 bits. The decoder draws the colour of the bottom-left pixel transparent everywhere;
//   so when the picture has transparent pixels, or the bottom-left pixel's colour occurs again,
//   transparent pixels and the bottom-left pixel get a key colour that no other pixel uses
//   (magenta when it is free), and no opaque pixel is drawn transparent by mistake. (The
//   bottom-left pixel itself always shows transparent in a static pack.)
// A pack's pictures have no partial transparency: a semi-transparent pixel is blended over
// white, the colour the messenger draws smiles on, and only a nearly transparent pixel (alpha
// below 16) becomes transparent, so that soft edges and shadows keep their shape.
//
// A BMP that ends before the pixel data its header announces is refused (Incomplete), as the
// pack's decoder refuses it: Qt's reader would take it with the missing rows never written.
//
// Smile pictures are small, and the bounds below keep hostile files cheap: a file larger than
// MaxFileSize, a picture wider or taller than MaxSide pixels, more than MaxFrames frames or more
// than MaxTotalPixels pixels over all frames is refused with a clear result, never a crash.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class QImage;

// The picture file a pack stores: BMP (static pack) or GIF (animated pack).
enum class TPictureFormat : unsigned char { Bmp, Gif };

enum class TConvertError : unsigned char {
  None,
  CannotOpen,     // missing, not a regular file, unreadable, or larger than MaxFileSize
  NotAPicture,    // no reader here understands it, or it holds no frame
  Incomplete,     // the file ends before the picture its header announces
  TooLarge,       // a side above MaxSide, or more than MaxTotalPixels over all frames
  TooManyFrames,  // more than MaxFrames frames
  EncodeFailed,   // the encoder failed
};

namespace picture_limits {
inline constexpr std::int64_t MaxFileSize = std::int64_t{32} << 20;
inline constexpr int MaxSide = 1024;
inline constexpr int MaxFrames = 1000;
inline constexpr std::int64_t MaxTotalPixels = std::int64_t{8} << 20;
}  // namespace picture_limits

struct TConvertedPicture {
  TConvertError error = TConvertError::None;
  std::string bytes;       // the file the pack stores; empty on failure
  bool unchanged = false;  // the file was taken byte for byte
  std::string detail;      // the reader's own words when it refused the file (English), or ""

  bool Ok() const { return error == TConvertError::None; }
};

// The bytes a pack of `format` stores for the picture file at `path`.
TConvertedPicture ConvertPicture(const std::string& path, TPictureFormat format);

// A short English description of a failure, for the command-line tool.
const char* ConvertErrorText(TConvertError error);

// The encoders on their own. Frames are non-premultiplied ARGB32 pictures of one size (the
// first frame's; others are cut or padded with transparency), delays in milliseconds, one per
// frame. Both return "" when encoding fails.
std::string EncodeGif(const std::vector<QImage>& frames, const std::vector<int>& delays);
std::string EncodeKeyedBmp(const QImage& picture);
