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

class TBmpDecoder : public TPictureDecoder {
public:
  using TPictureDecoder::TPictureDecoder;

  void Decode() override;

private:
  void DecodeFile();
};
