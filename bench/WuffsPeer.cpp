// SPDX-License-Identifier: GPL-3.0-or-later
#include "WuffsPeer.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

// Declarations only; the implementation is compiled on its own as C (bench/CMakeLists.txt).
#include FENNIMO_WUFFS_HEADER

namespace bench_peer {

namespace {

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  std::fseek(f, 0, SEEK_END);
  bytes.resize(static_cast<std::size_t>(std::ftell(f)));
  std::fseek(f, 0, SEEK_SET);
  if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) bytes.clear();
  std::fclose(f);
  return bytes;
}

int DisposalOf(const wuffs_base__frame_config& fc) {
  switch (wuffs_base__frame_config__disposal(&fc)) {
    case WUFFS_BASE__ANIMATION_DISPOSAL__RESTORE_BACKGROUND:
      return 2;
    case WUFFS_BASE__ANIMATION_DISPOSAL__RESTORE_PREVIOUS:
      return 3;
    default:
      return 1;
  }
}

}  // namespace

Frames WuffsFrames(const std::string& path, int& width, int& height) {
  Frames frames;
  std::vector<std::uint8_t> bytes = ReadFile(path);
  std::unique_ptr<wuffs_gif__decoder, decltype(&std::free)> decoder(
      static_cast<wuffs_gif__decoder*>(std::malloc(sizeof__wuffs_gif__decoder())), &std::free);
  if (bytes.empty() || !decoder ||
      wuffs_gif__decoder__initialize(decoder.get(), sizeof__wuffs_gif__decoder(), WUFFS_VERSION,
                                     WUFFS_INITIALIZE__LEAVE_INTERNAL_BUFFERS_UNINITIALIZED)
          .repr)
    return frames;
  wuffs_base__io_buffer source = wuffs_base__ptr_u8__reader(bytes.data(), bytes.size(), true);
  wuffs_base__image_config config{};
  if (wuffs_gif__decoder__decode_image_config(decoder.get(), &config, &source).repr) return frames;
  width = static_cast<int>(wuffs_base__pixel_config__width(&config.pixcfg));
  height = static_cast<int>(wuffs_base__pixel_config__height(&config.pixcfg));
  wuffs_base__pixel_config__set(&config.pixcfg, WUFFS_BASE__PIXEL_FORMAT__BGRA_NONPREMUL,
                                WUFFS_BASE__PIXEL_SUBSAMPLING__NONE, static_cast<uint32_t>(width),
                                static_cast<uint32_t>(height));
  Canvas canvas(width, height);
  wuffs_base__pixel_buffer buffer{};
  if (wuffs_base__pixel_buffer__set_from_slice(
          &buffer, &config.pixcfg,
          wuffs_base__make_slice_u8(reinterpret_cast<std::uint8_t*>(canvas.Pixels()),
                                    4 * static_cast<std::size_t>(width) * height))
          .repr)
    return frames;
  std::vector<std::uint8_t> work(wuffs_gif__decoder__workbuf_len(decoder.get()).max_incl);
  for (;;) {
    wuffs_base__frame_config fc{};
    const wuffs_base__status status =
        wuffs_gif__decoder__decode_frame_config(decoder.get(), &fc, &source);
    if (status.repr) break;  // the end of the data, or an error
    const int disposal = DisposalOf(fc);
    canvas.Begin(disposal);
    const wuffs_base__pixel_blend blend = wuffs_base__frame_config__overwrite_instead_of_blend(&fc)
                                              ? WUFFS_BASE__PIXEL_BLEND__SRC
                                              : WUFFS_BASE__PIXEL_BLEND__SRC_OVER;
    if (wuffs_gif__decoder__decode_frame(decoder.get(), &buffer, &source, blend,
                                         wuffs_base__make_slice_u8(work.data(), work.size()),
                                         nullptr)
            .repr)
      break;
    const wuffs_base__rect_ie_u32 r = wuffs_base__frame_config__bounds(&fc);
    canvas.End(frames, disposal, static_cast<int>(r.min_incl_x), static_cast<int>(r.min_incl_y),
               static_cast<int>(r.max_excl_x), static_cast<int>(r.max_excl_y));
  }
  return frames;
}

}  // namespace bench_peer
