#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes animated smiles with Pillow for the GIF decoding benchmark.

Usage: make_pillow_smiles.py OUTDIR COUNT [SEED]

Each file is a smile-sized animation (19x19 to 64x64, 2 to 40 frames): a face drawn at four
times the size and scaled down (so edges carry many colours), with eyes that blink and a mouth
that opens, some with a moving star. The files differ the way real ones do:
  - frames in RGBA, quantised by Pillow one by one (a local colour table on every later frame),
    or in P mode on one shared palette (global table only);
  - a transparent background or an opaque one;
  - disposal 0, 1, 2 or 3, for the whole file or frame by frame;
  - Pillow's own optimisation (changed rectangles only) or whole frames.
The output is the same for the same COUNT and SEED.
"""
import math
import os
import random
import sys

from PIL import Image, ImageDraw

SCALE = 4


def face(size, t, colours, star):
    """One frame as RGBA at SCALE times the size, then scaled down."""
    w, h = size
    big = Image.new("RGBA", (w * SCALE, h * SCALE), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    skin, dark, tongue = colours
    r = min(w, h) * SCALE // 2 - SCALE
    cx, cy = w * SCALE // 2, h * SCALE // 2
    d.ellipse((cx - r, cy - r, cx + r, cy + r), fill=skin + (255,), outline=dark + (255,),
              width=SCALE)
    blink = (t % 7) == 6
    for ex in (cx - r // 3, cx + r // 3):
        ey = cy - r // 4
        if blink:
            d.line((ex - r // 8, ey, ex + r // 8, ey), fill=dark + (255,), width=SCALE)
        else:
            d.ellipse((ex - r // 10, ey - r // 7, ex + r // 10, ey + r // 7), fill=dark + (255,))
    opening = abs(math.sin(t * 0.7))
    mh = int(r * 0.1 + r * 0.35 * opening)
    d.chord((cx - r // 2, cy + r // 8 - mh // 2, cx + r // 2, cy + r // 8 + mh), 0, 180,
            fill=dark + (255,))
    if opening > 0.6:
        d.ellipse((cx - r // 6, cy + r // 8 + mh // 3, cx + r // 6, cy + r // 8 + mh),
                  fill=tongue + (255,))
    if star:
        a = t * 0.9
        sx, sy = cx + int(r * 0.8 * math.cos(a)), cy + int(r * 0.8 * math.sin(a))
        radii = (r * 0.25, r * 0.1)
        pts = [(sx + radii[k % 2] * math.cos(k * math.pi / 5 + a),
                sy + radii[k % 2] * math.sin(k * math.pi / 5 + a)) for k in range(10)]
        d.polygon(pts, fill=(255, 230, 40, 255))
    return big.resize(size, Image.LANCZOS)


def smile(path, rnd):
    size = (rnd.randint(19, 64), rnd.randint(19, 64))
    count = rnd.randint(2, 40)
    colours = ((255, rnd.randint(180, 230), rnd.randint(0, 80)),
               (rnd.randint(40, 110), rnd.randint(20, 60), rnd.randint(0, 30)),
               (rnd.randint(200, 240), 60, 70))
    star = rnd.random() < 0.4
    transparent = rnd.random() < 0.75
    shared_palette = rnd.random() < 0.35
    optimize = rnd.random() < 0.8
    disposal = rnd.choice([0, 1, 2, 3, "mixed"])
    frames = [face(size, t, colours, star) for t in range(count)]
    background = (0, 0, 0, 0) if transparent else (255, 255, 255, 255)
    flat = []
    for im in frames:
        base = Image.new("RGBA", size, background)
        base.alpha_composite(im)
        flat.append(base)
    if shared_palette:
        # One palette for all frames, quantised from a strip of every frame; index 255 stays
        # free for the transparent background.
        strip = Image.new("RGB", (size[0], size[1] * count))
        for n, im in enumerate(flat):
            strip.paste(im.convert("RGB"), (0, size[1] * n))
        pal_image = strip.quantize(colors=255)
        images = []
        for im in flat:
            p = im.convert("RGB").quantize(palette=pal_image, dither=Image.Dither.NONE)
            if transparent:
                alpha = im.getchannel("A")
                p.paste(255, mask=alpha.point(lambda a: 255 if a < 128 else 0))
            images.append(p)
        palette = pal_image.getpalette()[:765] + [0, 0, 0]
        options = {"palette": bytes(palette)}
        if transparent:
            options["transparency"] = 255
    else:
        images = flat
        options = {}
    if disposal == "mixed":
        options["disposal"] = [rnd.choice([1, 2, 3]) for _ in range(count)]
    else:
        options["disposal"] = disposal
    durations = [rnd.choice([40, 60, 80, 100, 150, 500]) for _ in range(count)]
    images[0].save(path, save_all=True, append_images=images[1:], duration=durations, loop=0,
                   optimize=optimize, **options)


def main():
    if len(sys.argv) not in (3, 4):
        raise SystemExit(__doc__)
    outdir, count = sys.argv[1], int(sys.argv[2])
    rnd = random.Random(int(sys.argv[3]) if len(sys.argv) == 4 else 20240601)
    os.makedirs(outdir, exist_ok=True)
    for n in range(count):
        smile(os.path.join(outdir, f"pillow{n}.gif"), rnd)


if __name__ == "__main__":
    main()
