#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes GIF and BMP files made by Pillow, each with what Pillow was given.

Usage: make_reference_images.py OUTDIR

For every case NAME it writes the picture file, NAME.expect and NAME.rgb:
  NAME.expect  first line "FILE WIDTH HEIGHT FRAMES", then one delay in ms per line;
  NAME.rgb     every frame as the picture should look on a white background, RGB bytes, rows
               from the top.
Before writing, every GIF is read back with Pillow and checked against what it was given, so a
mismatch in the decoder under test is never a fault of these files.
"""
import io
import os
import random
import sys

from PIL import Image

WHITE = (255, 255, 255)


def palette_image(size, palette, pixels, transparency=None):
    im = Image.new("P", size)
    flat = []
    for c in palette:
        flat.extend(c)
    im.putpalette(flat)
    im.putdata(pixels)
    if transparency is not None:
        im.info["transparency"] = transparency
    return im


def shown(im, palette, transparency=None):
    """The frame as it looks over white: RGB bytes."""
    out = bytearray()
    for index in im.getdata():
        out.extend(WHITE if index == transparency else palette[index])
    return bytes(out)


def check_with_pillow(path, expected_frames, size):
    with Image.open(path) as im:
        for n, expected in enumerate(expected_frames):
            im.seek(n)
            rgba = im.convert("RGBA")
            over_white = Image.new("RGBA", size, WHITE + (255,))
            over_white.alpha_composite(rgba)
            got = over_white.convert("RGB").tobytes()
            if got != expected:
                raise SystemExit(f"{path}: Pillow reads frame {n} differently from what it was given")


def write_case(outdir, name, filename, size, frames, delays):
    with open(os.path.join(outdir, name + ".expect"), "w") as f:
        f.write(f"{filename} {size[0]} {size[1]} {len(frames)}\n")
        for d in delays:
            f.write(f"{d}\n")
    with open(os.path.join(outdir, name + ".rgb"), "wb") as f:
        for frame in frames:
            f.write(frame)


def save_gif(outdir, name, images, palettes, durations, transparency=None, **extra):
    path = os.path.join(outdir, name + ".gif")
    options = dict(save_all=True, append_images=images[1:], duration=durations, loop=0, **extra)
    if transparency is not None:
        options["transparency"] = transparency
    images[0].save(path, **options)
    frames = [shown(im, pal, transparency) for im, pal in zip(images, palettes)]
    check_with_pillow(path, frames, images[0].size)
    write_case(outdir, name, name + ".gif", images[0].size, frames, durations)


def gif_cases(outdir, rnd):
    # A moving square on a fixed pattern: Pillow stores only the changed rectangles.
    size = (32, 32)
    pal = [(rnd.randrange(256), rnd.randrange(256), rnd.randrange(256)) for _ in range(16)]
    base = [((x // 4) + (y // 4)) % 12 for y in range(32) for x in range(32)]
    images = []
    for n in range(5):
        px = list(base)
        for y in range(8):
            for x in range(8):
                px[(4 + n * 4 + y) * 32 + 3 + n * 5 + x] = 12 + n % 4
        images.append(palette_image(size, pal, px))
    save_gif(outdir, "moving_square", images, [pal] * 5, [100, 120, 250, 1000, 300])

    # Transparency with restore-to-background between frames. (Pillow 9.4 drops the
    # transparency of later frames when it optimises them, so it is told not to.)
    size = (24, 20)
    pal = [(0, 0, 0), (200, 30, 30), (30, 200, 30), (30, 30, 200)]
    images = []
    for n in range(3):
        px = [0] * (24 * 20)
        for y in range(2 + n * 3, 12 + n * 3):
            for x in range(3 + n * 4, 12 + n * 4):
                px[y * 24 + x] = 1 + (x + y + n) % 3
        images.append(palette_image(size, pal, px, transparency=0))
    save_gif(outdir, "transparent_restore", images, [pal] * 3, [150, 160, 170], transparency=0,
             disposal=[2, 2, 2], optimize=False)

    # Many colours and long codes; Pillow interlaces pictures of this size.
    size = (48, 48)
    pal = [(i, (i * 7) % 256, 255 - i) for i in range(200)]
    images = [palette_image(size, pal, [rnd.randrange(200) if rnd.random() < 0.3 else (x * y) % 200
                                        for y in range(48) for x in range(48)]) for _ in range(2)]
    save_gif(outdir, "many_colours", images, [pal] * 2, [100, 200])

    # Every frame with its own palette: local colour tables.
    size = (20, 20)
    palettes = [[(rnd.randrange(256), rnd.randrange(256), rnd.randrange(256)) for _ in range(8)]
                for _ in range(3)]
    images = [palette_image(size, pal, [(x // 3 + y // 2 + n) % 8 for y in range(20) for x in range(20)])
              for n, pal in enumerate(palettes)]
    save_gif(outdir, "local_tables", images, palettes, [110, 120, 130])


def ends_on_narrow_end_code(data):
    """True when the first image's data ends with an end code one bit narrower than the code
    width a decoder has reached, on a byte boundary: the decoder meets the block terminator
    where the rest of the end code should stand."""
    pos = 13
    if data[10] & 0x80:
        pos += 3 * (2 << (data[10] & 7))
    while data[pos] == 0x21:  # extensions before the image
        pos += 2
        while data[pos]:
            pos += data[pos] + 1
        pos += 1
    flags = data[pos + 9]
    pos += 10
    if flags & 0x80:
        pos += 3 * (2 << (flags & 7))
    minimum = data[pos]
    pos += 1
    raw = bytearray()
    while data[pos]:
        raw += data[pos + 1:pos + 1 + data[pos]]
        pos += data[pos] + 1
    bits, total = int.from_bytes(raw, "little"), 8 * len(raw)
    clear = 1 << minimum
    at, width, next_code, first = 0, minimum + 1, clear + 2, True
    while at + width <= total:
        code = bits >> at & ((1 << width) - 1)
        at += width
        if code == clear:
            width, next_code, first = minimum + 1, clear + 2, True
        elif code == clear + 1:
            return False
        elif first:
            first = False
        elif next_code < 4096:
            next_code += 1
            if next_code == 1 << width and width < 12:
                width += 1
    return total - at == width - 1 and bits >> at == clear + 1


def narrow_end_code_case(outdir, rnd):
    """Pillow writes the end code at the old width when the last data code has just made the
    decoder widen its codes. With 256 colours the short end code ends on a byte boundary only
    in the third code table, so the first frame is a noisy picture of 8,800 pixels whose tail
    is a run of one colour, lengthened until the frame ends that way."""
    size = (110, 80)
    count = size[0] * size[1]
    pal = [(rnd.randrange(256), rnd.randrange(256), rnd.randrange(256)) for _ in range(256)]
    noise = [rnd.randrange(256) for _ in range(count)]
    durations = [100, 200]
    for run in range(2000):
        first = palette_image(size, pal, noise[:count - run] + [7] * run)
        second = first.copy()
        second.paste(3, (10, 10, 30, 20))
        written = io.BytesIO()
        first.save(written, "GIF", save_all=True, append_images=[second], duration=durations,
                   loop=0)
        if ends_on_narrow_end_code(written.getvalue()):
            save_gif(outdir, "narrow_end_code", [first, second], [pal] * 2, durations)
            return
    raise SystemExit("Pillow wrote no frame that ends with a short end code on a byte boundary")


def save_bmp(outdir, name, im):
    path = os.path.join(outdir, name + ".bmp")
    im.save(path)
    rgb = im.convert("RGB")
    key = rgb.getpixel((0, rgb.height - 1))
    frame = bytearray()
    for c in rgb.getdata():
        frame.extend(WHITE if c == key else c)
    write_case(outdir, name, name + ".bmp", im.size, [bytes(frame)], [100])


def bmp_cases(outdir, rnd):
    magenta = (255, 0, 255)
    im = Image.new("RGB", (19, 17), magenta)
    im.putdata([magenta if (x + y) % 5 == 0 or y == 16 else (x * 13 % 256, y * 15 % 256, 90)
                for y in range(17) for x in range(19)])
    save_bmp(outdir, "rgb24", im)

    pal = [(rnd.randrange(256), rnd.randrange(256), rnd.randrange(256)) for _ in range(40)]
    save_bmp(outdir, "palette8", palette_image((21, 13), pal, [(x * y) % 40 for y in range(13) for x in range(21)]))

    im = Image.new("1", (16, 9))
    im.putdata([255 if (x ^ y) & 1 else 0 for y in range(9) for x in range(16)])
    save_bmp(outdir, "mono1", im)

    im = Image.new("RGBA", (7, 5))
    im.putdata([(x * 30, y * 40, 7, 255 if x else 0) for y in range(5) for x in range(7)])
    save_bmp(outdir, "rgba32", im)


def main():
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)
    rnd = random.Random(20240601)
    gif_cases(outdir, rnd)
    narrow_end_code_case(outdir, rnd)
    bmp_cases(outdir, rnd)


if __name__ == "__main__":
    main()
