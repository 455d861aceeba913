#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What a release tells its users agrees with the programs it ships.

release_test.py version VERSION PROGRAM...
    each PROGRAM prints "NAME VERSION" for --version and exits with 0, without a display.
release_test.py manual MANUAL PROGRAM
    every command and option that PROGRAM --help names is described in the manual page MANUAL.
"""
import os
import re
import subprocess
import sys


def run(*args):
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    env["QT_QPA_PLATFORM"] = "xcb"  # a program that tried to open a window would fail
    result = subprocess.run(args, capture_output=True, text=True, env=env, timeout=60)
    assert result.returncode == 0, (args, result.returncode, result.stderr)
    return result.stdout


def check_versions(version, programs):
    for program in programs:
        name = os.path.basename(program)
        out = run(program, "--version")
        assert out == f"{name} {version}\n", (program, out)
        print(f"{name} --version: {out.strip()}")


def check_manual(manual, program):
    name = os.path.basename(program)
    text = run(program, "--help")
    named = set(re.findall(r"(?<![\w-])--?[a-z][a-z-]*", text))
    named |= set(re.findall(rf"^{re.escape(name)} ([a-z]+)", text, re.MULTILINE))
    with open(manual, encoding="utf-8") as f:
        page = f.read().replace("\\-", "-")
    described = set(re.findall(r"\\fB([^\\]+)\\fR|^\.B[RI]? (.*)$", page, re.MULTILINE))
    words = set()
    for bold, macro in described:
        words.update((bold or macro).replace('"', " ").split())
    missing = sorted(named - words)
    assert not missing, f"{manual} does not describe {missing}"
    print(f"{os.path.basename(manual)} describes {sorted(named)}")


if __name__ == "__main__":
    if sys.argv[1] == "version":
        check_versions(sys.argv[2], sys.argv[3:])
    elif sys.argv[1] == "manual":
        check_manual(sys.argv[2], sys.argv[3])
    else:
        sys.exit(__doc__)
