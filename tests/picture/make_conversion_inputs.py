#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes pictures of every kind a user may add to a pack, made by Pillow, each with what it shows.

Usage: make_conversion_inputs.py OUTDIR

For every case NAME it writes the picture file, NAME.expect and NAME.rgb:
  NAME.expect  first line "FILE WIDTH HEIGHT FRAMES GIF_TOLERANCE BMP_TOLERANCE", then one delay
               per frame in ms as the pack's GIF decoder shows it (hundredths of a second below
               10 show as 100 ms);
  NAME.rgb     every frame as it looks over white, RGB bytes, rows from the top.
The tolerances are the largest difference per colour channel allowed after conversion to a GIF
and to a BMP: 0 where the picture fits a palette exactly, more for photographs (palette
reduction) and JPEG (two decoders of the same file).
"""
import os
import sys

from PIL import Image

from make_reference_images import WHITE, write_case

MAGENTA = (255, 0, 255)


def over_white(im):
    rgba = im.convert("RGBA")
    base = Image.new("RGBA", rgba.size, WHITE + (255,))
    base.alpha_composite(rgba)
    return base.convert("RGB").tobytes()


def shown_delay(ms):
    hundredths = 10 if ms < 10 else (ms + 5) // 10
    return 100 if hundredths < 10 else hundredths * 10


def case(outdir, name, filename, frames, delays, gif_tolerance=0, bmp_tolerance=0):
    write_case(outdir, name, filename, frames[0].size, [over_white(f) for f in frames],
               [shown_delay(d) for d in delays])
    with open(os.path.join(outdir, name + ".expect"), "r+") as f:
        lines = f.read().split("\n")
        lines[0] += f" {gif_tolerance} {bmp_tolerance}"
        f.seek(0)
        f.write("\n".join(lines))


def sprite(size, n, transparent_corner=True):
    """RGBA frames: a clear background, a moving block, opaque magenta dots (so magenta can't be
    the key colour) and a row of a colour used again at the bottom-left when that is opaque."""
    w, h = size
    im = Image.new("RGBA", size, (0, 0, 0, 0))
    for y in range(h):
        for x in range(w):
            if 2 + n * 3 <= x < 9 + n * 3 and 3 <= y < 10:
                im.putpixel((x, y), (40 * n + 30, 200 - x * 5, 60 + y * 9, 255))
            elif (x * 7 + y) % 11 == 0:
                im.putpixel((x, y), MAGENTA + (255,))
    if not transparent_corner:
        for x in range(w):
            im.putpixel((x, h - 1), (10, 120, 10, 255))
    return im


def main():
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)
    path = lambda f: os.path.join(outdir, f)

    # Stills.
    im = sprite((20, 16), 0)
    im.save(path("alpha.png"))
    case(outdir, "alpha_png", "alpha.png", [im], [0])

    # A soft body: a red square whose alpha falls from opaque to 21 towards its edge, on a clear
    # background, as anti-aliased smiles and their shadows are drawn.
    soft = Image.new("RGBA", (15, 15), (0, 0, 0, 0))
    for y in range(15):
        for x in range(15):
            d = max(abs(x - 7), abs(y - 7))
            if d < 7:
                soft.putpixel((x, y), (220, 40, 30, 255 - d * 39))
    soft.save(path("soft.png"))
    case(outdir, "soft_png", "soft.png", [soft], [0], 1, 1)

    im = sprite((18, 14), 1, transparent_corner=False).convert("RGB")
    im.save(path("opaque.bmp"))
    case(outdir, "opaque_bmp", "opaque.bmp", [im], [0])

    photo = Image.new("RGB", (40, 30))
    photo.putdata([(x * 6, y * 8, (x * y) % 256) for y in range(30) for x in range(40)])
    photo.save(path("photo.jpg"), quality=92)
    with Image.open(path("photo.jpg")) as decoded:
        case(outdir, "photo_jpg", "photo.jpg", [decoded.convert("RGB")], [0], 32, 4)

    # More colours than a palette holds.
    many = Image.new("RGB", (64, 64))
    many.putdata([(x * 4, y * 4, (x + y) * 2) for y in range(64) for x in range(64)])
    many.save(path("many.png"))
    case(outdir, "many_png", "many.png", [many], [0], 32, 0)

    im = sprite((16, 12), 2).convert("RGBA")
    im.save(path("still.webp"), lossless=True)
    case(outdir, "still_webp", "still.webp", [im], [0])

    still = sprite((16, 16), 0).convert("RGB").quantize(16)
    still.info["transparency"] = 0
    still.save(path("still.gif"), transparency=0)
    with Image.open(path("still.gif")) as decoded:
        case(outdir, "still_gif", "still.gif", [decoded.convert("RGBA")], [0])

    # Animations: a moving block on a clear background.
    frames = [sprite((24, 14), n) for n in range(3)]
    frames[0].save(path("moving.webp"), save_all=True, append_images=frames[1:],
                   duration=[150, 5, 260], lossless=True, loop=0)
    case(outdir, "moving_webp", "moving.webp", frames, [150, 5, 260])

    frames[0].save(path("moving.gif"), save_all=True, append_images=frames[1:],
                   duration=[150, 40, 260], loop=0, disposal=2, optimize=False)
    decoded_frames = []
    with Image.open(path("moving.gif")) as decoded:
        for n in range(3):
            decoded.seek(n)
            decoded_frames.append(decoded.convert("RGBA"))
    case(outdir, "moving_gif", "moving.gif", decoded_frames, [150, 40, 260])
    # The same file cut before its trailer: the pack's decoder refuses it, Qt's reader does not.
    with open(path("moving.gif"), "rb") as f:
        data = f.read()
    assert data.endswith(b";")
    with open(path("cut.gif"), "wb") as f:
        f.write(data[:-1])
    case(outdir, "cut_gif", "cut.gif", decoded_frames, [150, 40, 260])


if __name__ == "__main__":
    main()
