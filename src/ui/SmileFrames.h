// SPDX-License-Identifier: GPL-3.0-or-later
// A smile's picture file as images to draw.
#pragma once

#include <QImage>

#include <memory>
#include <string>
#include <vector>

#include "PictureDecoder.h"

// The frames of picture File (a GIF when Animated, else a BMP) as images, transparent where a
// frame leaves the picture's screen uncovered, and the decoder, which keeps the frames' delays.
// Only the first frame when FirstOnly. Throws what the decoders throw.
std::unique_ptr<TPictureDecoder> DecodeSmileFrames(const std::string& file, bool animated,
                                                   std::vector<QImage>& frames,
                                                   bool firstOnly = false);
