#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the demo smile pack in examples/demo: a "Static" pack of BMP smiles and an "Animated"
pack of GIF smiles, each with its _define.ini. Run it again to remake the pictures; the output
is the same every time."""
import os
import sys

from PIL import Image, ImageDraw

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples", "demo")
SIZE = 24
MAGENTA = (255, 0, 255)  # the key colour of static smiles: shown as the background
YELLOW = (255, 214, 40)
DARK = (90, 50, 10)


def face(draw, mood, blink=False, mouth_open=0.0, tongue=False):
    draw.ellipse((1, 1, SIZE - 2, SIZE - 2), fill=YELLOW, outline=DARK)
    eye_y = 8
    for x in (8, 15):
        if blink or (mood == "wink" and x == 15):
            draw.line((x - 2, eye_y + 1, x + 1, eye_y + 1), fill=DARK)
        else:
            draw.ellipse((x - 1, eye_y - 1, x + 1, eye_y + 2), fill=DARK)
    if mood == "sad":
        draw.arc((7, 14, 17, 22), 200, 340, fill=DARK)
    elif mood == "laugh" or mouth_open > 0:
        h = 3 + int(4 * mouth_open)
        draw.chord((6, 11, 18, 13 + h), 0, 180, fill=DARK)
        if tongue:
            draw.ellipse((10, 13 + h - 3, 14, 13 + h), fill=(220, 60, 60))
    else:
        draw.arc((6, 9, 18, 18), 20, 160, fill=DARK)


def static_smile(mood):
    img = Image.new("RGB", (SIZE, SIZE), MAGENTA)
    face(ImageDraw.Draw(img), mood)
    return img


def animated_smile(kind):
    frames, delays = [], []
    steps = {"blink": 6, "laugh": 8, "tongue": 6, "wink": 4, "nod": 8}[kind]
    for i in range(steps):
        img = Image.new("P", (SIZE, SIZE))
        rgb = Image.new("RGB", (SIZE, SIZE), (255, 255, 255))
        d = ImageDraw.Draw(rgb)
        if kind == "blink":
            face(d, "smile", blink=(i == steps - 1))
            delays.append(1200 if i == 0 else 80)
        elif kind == "laugh":
            face(d, "smile", mouth_open=abs((i % 4) - 2) / 2)
            delays.append(120)
        elif kind == "tongue":
            face(d, "smile", mouth_open=0.6, tongue=i % 2 == 1)
            delays.append(300)
        elif kind == "wink":
            face(d, "wink" if i in (1, 2) else "smile")
            delays.append(600 if i == 0 else 150)
        else:
            shifted = Image.new("RGB", (SIZE, SIZE), (255, 255, 255))
            face(ImageDraw.Draw(shifted), "smile")
            rgb.paste(shifted, (0, [0, 1, 2, 1, 0, -1, -2, -1][i]))
            delays.append(90)
        img = rgb.convert("P", palette=Image.ADAPTIVE, colors=16)
        frames.append(img)
    return frames, delays


def write_define(folder, lines):
    with open(os.path.join(folder, "_define.ini"), "wb") as f:
        f.write("\r\n".join(lines).encode("cp1251"))


def main():
    static = os.path.join(ROOT, "Static")
    animated = os.path.join(ROOT, "Animated")
    os.makedirs(static, exist_ok=True)
    os.makedirs(animated, exist_ok=True)

    moods = [("smile", ":-),:)"), ("wink", ";-),;)"), ("sad", ":-(,:("), ("laugh", ":-D,:D")]
    for i, (mood, _) in enumerate(moods):
        static_smile(mood).save(os.path.join(static, "a" + chr(ord("a") + i) + ".bmp"))
    write_define(static, [codes for _, codes in moods])

    kinds = [("blink", ":-),:)"), ("laugh", ":-D,:D,:лол:"), ("tongue", ":-P,:P"),
             ("wink", ";-),;)"), ("nod", ":да:,:yes:")]
    for i, (kind, _) in enumerate(kinds):
        frames, delays = animated_smile(kind)
        frames[0].save(os.path.join(animated, "a" + chr(ord("a") + i) + ".gif"), save_all=True,
                       append_images=frames[1:], duration=delays, loop=0, disposal=1)
    write_define(animated, [codes for _, codes in kinds])
    return 0


if __name__ == "__main__":
    sys.exit(main())
