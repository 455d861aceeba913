// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: TGifDecoder on arbitrary bytes. Only EAbort may end a decode; the frames
// left behind must be consistent and drawable.
#include "FuzzInput.h"
#include "GifDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TGifDecoder decoder(WriteFuzzInput(data, size));
  try {
    decoder.Decode();
  } catch (const EAbort&) {
  }
  CheckFrames(decoder);
  return 0;
}
