// SPDX-License-Identifier: GPL-3.0-or-later
// The Wuffs GIF decoder as a benchmark peer (built only when FENNIMO_WUFFS_SOURCE names its
// single-file release): the file read whole into memory, every image decoded into a whole-screen
// canvas (PeerCanvas.h), one copy of the canvas per frame.
#pragma once

#include <string>

#include "PeerCanvas.h"

namespace bench_peer {

// The frames of the file (empty when Wuffs fails on it) and the screen's size.
Frames WuffsFrames(const std::string& path, int& width, int& height);

}  // namespace bench_peer
