// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: TBmpDecoder on arbitrary bytes. A decode ends in one frame, or in the
// reader's rejection or the size bound.
#include "BmpDecoder.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TBmpDecoder decoder(WriteFuzzInput(data, size));
  try {
    decoder.Decode();
    if (decoder.GetFrameCount() != 1) std::abort();
  } catch (const EInvalidGraphic&) {
  } catch (const EAbort&) {
  }
  CheckFrames(decoder);
  return 0;
}
