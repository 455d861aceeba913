// SPDX-License-Identifier: GPL-3.0-or-later
// TBmpDecoder turns a BMP file, the picture of a static smile, into one true-colour frame with a
// delay of 100 ms. The file is read by Qt's BMP reader (told the format is BMP, so a file of
// another format fails whatever its name says); every pixel of the colour of the bottom-left
// pixel (the key colour) becomes the background colour. The frame is upright whatever row order
// the file uses.
//
// Failures: the reader's rejection throws EInvalidGraphic with the reader's message; a picture
// that would pass TPictureDecoder::MaxAllocation throws EAbort. The file is closed at the end of
// Decode in every case.
#pragma once

#include "PictureDecoder.h"

class QByteArray;
class QImage;
class QSize;

// Qt's BMP reader fills what it can read of a short file and leaves the rest of the picture as
// it found the memory, and leaves the pixels that run-length data skips unwritten. Before Data
// (a whole file, of a picture of Size as the reader reports it) is read into Target: false when
// it is a BMP whose header announces more pixel data than it holds; for run-length data,
// Target becomes a picture of palette entry 0 that the reader fills in place. Bytes that are no
// BMP pass, for their reader to decide.
bool PrepareBmpRead(const QByteArray& data, const QSize& size, QImage& target);

class TBmpDecoder : public TPictureDecoder {
public:
  using TPictureDecoder::TPictureDecoder;

  void Decode() override;

private:
  void DecodeFile();
};
