#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes theme archives as Python's tarfile and zipfile make them, hostile ones among them.

Usage: make_theme_archives.py OUTDIR

OUTDIR must hold a.gif, a picture the pack's decoder reads. Every archive holds a pidgin theme
(a file named "theme") unless its name says otherwise:
  climb.tar.gz     also a file named "../evil.gif"
  absolute.tar.gz  also a file named "/tmp/evil.gif"
  many.tar.gz      10,001 entries, all but one FIFOs (which are counted, never unpacked)
  large.tar.gz     eight files of 33 MiB each (zeros), 264 MiB in all
  two.zip          two themes side by side, a/theme and b/theme
  links.tar.xz     t/theme naming a.gif, a symbolic and a hard link to it, and symbolic links
                   that lead out of the archive (an absolute one and one with "..")
  notes.zip        no archive at all, only text
"""
import io
import os
import sys
import tarfile
import zipfile

MIB = 1 << 20


class Zeros(io.RawIOBase):
    """Reads as Size zero bytes without holding them."""

    def __init__(self, size):
        self.left = size

    def readable(self):
        return True

    def readinto(self, buffer):
        n = min(len(buffer), self.left)
        buffer[:n] = bytes(n)
        self.left -= n
        return n


def add(tar, name, data=b"", **fields):
    info = tarfile.TarInfo(name)
    info.size = len(data)
    for key, value in fields.items():
        setattr(info, key, value)
    tar.addfile(info, io.BytesIO(data) if data else None)


def main():
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    out = sys.argv[1]
    path = lambda name: os.path.join(out, name)
    with open(path("a.gif"), "rb") as f:
        gif = f.read()
    theme = b"[default]\na.gif :a\n"

    with tarfile.open(path("climb.tar.gz"), "w:gz") as tar:
        add(tar, "t/theme", theme)
        add(tar, "t/a.gif", gif)
        add(tar, "../evil.gif", gif)
    with tarfile.open(path("absolute.tar.gz"), "w:gz") as tar:
        add(tar, "t/theme", theme)
        add(tar, "/tmp/evil.gif", gif)
    with tarfile.open(path("many.tar.gz"), "w:gz") as tar:
        add(tar, "t/theme", theme)
        for i in range(10000):
            add(tar, "t/f%05d" % i, type=tarfile.FIFOTYPE)
    with tarfile.open(path("large.tar.gz"), "w:gz", compresslevel=1) as tar:
        add(tar, "t/theme", theme)
        for i in range(8):
            info = tarfile.TarInfo("t/big%d.gif" % i)
            info.size = 33 * MIB
            tar.addfile(info, io.BufferedReader(Zeros(info.size)))
    with zipfile.ZipFile(path("two.zip"), "w") as z:
        for folder in ("a", "b"):
            z.writestr(folder + "/theme", theme)
            z.writestr(folder + "/a.gif", gif)
    with tarfile.open(path("links.tar.xz"), "w:xz") as tar:
        add(tar, "t/theme", b"[default]\na.gif :a\nin.gif :i\nhard.gif :h\nout.gif :o\nup.gif :u\n")
        add(tar, "t/a.gif", gif)
        add(tar, "t/in.gif", type=tarfile.SYMTYPE, linkname="a.gif")
        add(tar, "t/hard.gif", type=tarfile.LNKTYPE, linkname="t/a.gif")
        add(tar, "t/out.gif", type=tarfile.SYMTYPE, linkname="/etc/hostname")
        add(tar, "t/up.gif", type=tarfile.SYMTYPE, linkname="../../a.gif")
    with open(path("notes.zip"), "w") as f:
        f.write("only text\n")


if __name__ == "__main__":
    main()
