#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes a real-world-like mix of smile GIFs for the GIF decoding benchmark.

Usage: make_mixed_smiles.py OUTDIR COUNT [SEED]

Smile packs collect files from many programs, so this corpus does too. Every file is a drawn
smile (make_pillow_smiles.face: 15x15 to 72x72, a quarter of them still pictures, the rest 2 to
30 frames), written by one of:
  - Pillow, in P mode on palettes of 2 to 256 colours (odd code sizes), interlaced or not,
    optimised to changed rectangles (often a few pixels) or whole frames, transparent or not;
  - ImageMagick's convert from RGBA frames, with -colors 2 to 256, dithered or not, -interlace
    GIF or none, -layers Optimize / OptimizeTransparency / none, every disposal; frames whose
    colours differ get local colour tables;
  - giflib's tools on a file of one of the two above: giftool (read and written again by giflib,
    optionally interlaced) or gifbuild's text dump and rebuild.
Writes FILES.txt in OUTDIR: one line per file, "NAME ENCODER SETTINGS". The output is the same
for the same COUNT and SEED and the same versions of the three programs.
"""
import os
import random
import subprocess
import sys
import tempfile

from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_pillow_smiles import face  # noqa: E402


def frames_rgba(rnd):
    size = (rnd.randint(15, 72), rnd.randint(15, 72))
    still = rnd.random() < 0.25
    count = 1 if still else rnd.randint(2, 30)
    colours = ((255, rnd.randint(180, 230), rnd.randint(0, 80)),
               (rnd.randint(40, 110), rnd.randint(20, 60), rnd.randint(0, 30)),
               (rnd.randint(200, 240), 60, 70))
    star = rnd.random() < 0.4
    start = rnd.randint(0, 20)
    return size, [face(size, start + t, colours, star) for t in range(count)]


def write_pillow(path, rnd, size, frames):
    colours = rnd.choice([2, 4, 8, 16, 32, 64, 128, 256])
    transparent = rnd.random() < 0.7
    interlace = rnd.random() < 0.5
    optimize = rnd.random() < 0.7
    disposal = rnd.choice([0, 1, 2, 3])
    dither = rnd.choice([Image.Dither.NONE, Image.Dither.FLOYDSTEINBERG])
    # One palette for every frame, quantised from a strip of them; the last entry stays free
    # for the transparent background.
    strip = Image.new("RGB", (size[0], size[1] * len(frames)), (255, 255, 255))
    for n, im in enumerate(frames):
        strip.paste(im.convert("RGB"), (0, size[1] * n), im)
    usable = colours - 1 if transparent else colours
    pal_image = strip.quantize(colors=max(usable, 1))
    palette = (pal_image.getpalette()[:3 * usable] + [0, 0, 0] * colours)[:3 * colours]
    pal_image.putpalette(palette)
    images = []
    for im in frames:
        flat = Image.new("RGB", size, (255, 255, 255))
        flat.paste(im.convert("RGB"), (0, 0), im)
        p = flat.quantize(palette=pal_image, dither=dither)
        if transparent:
            p.paste(colours - 1, mask=im.getchannel("A").point(lambda a: 255 if a < 128 else 0))
        images.append(p)
    options = {"palette": bytes(palette), "interlace": interlace, "optimize": optimize,
               "disposal": disposal}
    if transparent:
        options["transparency"] = colours - 1
    if len(images) > 1:
        options.update(save_all=True, append_images=images[1:], loop=0,
                       duration=[rnd.choice([40, 60, 100, 200]) for _ in images])
    images[0].save(path, **options)
    return (f"colours={colours} transparent={int(transparent)} interlace={int(interlace)} "
            f"optimize={int(optimize)} disposal={disposal} dither={int(dither != 0)}")


def write_imagemagick(path, rnd, frames, scratch):
    names = []
    for n, im in enumerate(frames):
        name = os.path.join(scratch, f"frame{n:02}.png")
        im.save(name)
        names.append(name)
    colours = rnd.choice([2, 4, 7, 16, 31, 64, 200, 256])
    dispose = rnd.choice(["None", "Background", "Previous"])
    layers = rnd.choice(["Optimize", "OptimizeTransparency", "OptimizeFrame", None])
    interlace = rnd.choice(["GIF", "None"])
    # ImageMagick's dithering costs a fraction of a second per frame: stills and short ones only.
    dither = len(frames) <= 4 and rnd.random() < 0.5
    command = ["convert", "-delay", str(rnd.choice([4, 8, 10, 20])), "-dispose", dispose,
               "-loop", "0", *names, "-interlace", interlace]
    command += ["-dither", "FloydSteinberg"] if dither else ["+dither"]
    command += ["-colors", str(colours)]
    if layers and len(frames) > 1:
        command += ["-layers", layers]
    command.append(path)
    subprocess.run(command, check=True)
    return (f"colours={colours} dispose={dispose} layers={layers} interlace={interlace} "
            f"dither={int(dither)}")


def write_giflib(path, rnd, source):
    if rnd.random() < 0.5:
        interlace = rnd.choice(["on", "off"])
        with open(source, "rb") as src, open(path, "wb") as out:
            subprocess.run(["giftool", "-i", interlace], stdin=src, stdout=out, check=True)
        return f"giftool -i {interlace}"
    dump = subprocess.run(["gifbuild", "-d", source], check=True, capture_output=True).stdout
    with open(path, "wb") as out:
        subprocess.run(["gifbuild"], input=dump, stdout=out, check=True)
    return "gifbuild -d | gifbuild"


def main():
    if len(sys.argv) not in (3, 4):
        raise SystemExit(__doc__)
    outdir, count = sys.argv[1], int(sys.argv[2])
    rnd = random.Random(int(sys.argv[3]) if len(sys.argv) == 4 else 20240601)
    os.makedirs(outdir, exist_ok=True)
    lines = []
    with tempfile.TemporaryDirectory() as scratch:
        for n in range(count):
            path = os.path.join(outdir, f"mixed{n}.gif")
            size, frames = frames_rgba(rnd)
            kind = rnd.choice(["pillow", "imagemagick", "giflib"])
            if kind == "giflib":
                source = os.path.join(scratch, "source.gif")
                if rnd.random() < 0.5:
                    settings = "pillow " + write_pillow(source, rnd, size, frames)
                else:
                    settings = "imagemagick " + write_imagemagick(source, rnd, frames, scratch)
                settings = write_giflib(path, rnd, source) + " of " + settings
            elif kind == "pillow":
                settings = write_pillow(path, rnd, size, frames)
            else:
                settings = write_imagemagick(path, rnd, frames, scratch)
            lines.append(f"mixed{n}.gif {kind} {settings}\n")
    with open(os.path.join(outdir, "FILES.txt"), "w") as f:
        f.writelines(lines)


if __name__ == "__main__":
    main()
