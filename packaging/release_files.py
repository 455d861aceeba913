#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Makes the files of a release from CHANGELOG.md and the project version, at build time:

  release_files.py man VERSION CHANGELOG TEMPLATE OUTPUT.gz
  release_files.py metainfo VERSION CHANGELOG TEMPLATE OUTPUT
  release_files.py debian-changelog VERSION CHANGELOG PACKAGE MAINTAINER OUTPUT.gz

Templates name the version as @VERSION@ and the date of the newest release as @DATE@; the
metainfo template takes the release list at @RELEASES@. CHANGELOG.md starts each release with
"## VERSION (YYYY-MM-DD)", newest first, followed by paragraphs and "- " items; its newest
release must be VERSION, so that no version is built without saying what it brings.
Compressed files carry no name and no time, so that a build can be repeated byte for byte.
"""
import datetime
import email.utils
import gzip
import re
import sys
import textwrap
from xml.sax.saxutils import escape, quoteattr

HEADING = re.compile(r"^## (\S+) \((\d{4}-\d{2}-\d{2})\)$")


class Release:
    def __init__(self, version, date):
        self.version = version
        self.date = date
        self.blocks = []  # ("p" or "li", text), in order


def fail(message):
    sys.exit(f"release_files.py: {message}")


def read_releases(path, version):
    releases = []
    open_block = False  # whether the next plain line continues the last block
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    for number, line in enumerate(lines, 1):
        heading = HEADING.match(line)
        if heading:
            datetime.date.fromisoformat(heading.group(2))
            releases.append(Release(heading.group(1), heading.group(2)))
            open_block = False
        elif line.startswith("#"):
            if releases:
                fail(f"{path}:{number}: a release starts with \"## VERSION (YYYY-MM-DD)\"")
        elif not releases:
            continue
        elif not line.strip():
            open_block = False
        elif line.startswith("- "):
            releases[-1].blocks.append(["li", line[2:].strip()])
            open_block = True
        elif open_block:
            releases[-1].blocks[-1][1] += " " + line.strip()
        else:
            releases[-1].blocks.append(["p", line.strip()])
            open_block = True
    if not releases or releases[0].version != version:
        newest = releases[0].version if releases else "none"
        fail(f"the newest release in {path} is {newest}, the project's version is {version}: "
             f"add \"## {version} (YYYY-MM-DD)\" and say what it brings")
    for release in releases:
        for block in release.blocks:
            block[1] = block[1].replace("`", "")  # the only inline markup the notes use
    return releases


def write_gzip(path, text):
    with open(path, "wb") as raw:
        with gzip.GzipFile(filename="", mode="wb", compresslevel=9, fileobj=raw, mtime=0) as f:
            f.write(text.encode("utf-8"))


def fill_template(template, version, releases, extra=None):
    with open(template, encoding="utf-8") as f:
        text = f.read()
    text = text.replace("@VERSION@", version).replace("@DATE@", releases[0].date)
    for key, value in (extra or {}).items():
        text = text.replace(key, value)
    if re.search(r"@[A-Z]+@", text):
        fail(f"{template}: unknown placeholder {re.search(r'@[A-Z]+@', text).group(0)}")
    return text


def metainfo_releases(releases):
    out = []
    for release in releases:
        out.append(f"    <release version={quoteattr(release.version)} "
                   f"date={quoteattr(release.date)}>")
        out.append("      <description>")
        in_list = False
        for kind, text in release.blocks:
            if kind == "li" and not in_list:
                out.append("        <ul>")
            elif kind == "p" and in_list:
                out.append("        </ul>")
            in_list = kind == "li"
            indent = "          " if in_list else "        "
            out.append(f"{indent}<{kind}>{escape(text)}</{kind}>")
        if in_list:
            out.append("        </ul>")
        out.append("      </description>")
        out.append("    </release>")
    return "\n".join(out)


def debian_changelog(package, maintainer, releases):
    out = []
    for release in releases:
        out.append(f"{package} ({release.version}) unstable; urgency=medium\n")
        for _, text in release.blocks:
            out.append(textwrap.fill(text, width=79, initial_indent="  * ",
                                     subsequent_indent="    ", break_on_hyphens=False))
        day = datetime.datetime.fromisoformat(release.date).replace(tzinfo=datetime.timezone.utc)
        out.append(f"\n -- {maintainer}  {email.utils.format_datetime(day)}\n")
    return "\n".join(out)


def main(argv):
    if len(argv) < 2:
        fail(__doc__)
    kind, args = argv[1], argv[2:]
    if kind == "man" and len(args) == 4:
        version, changelog, template, output = args
        write_gzip(output, fill_template(template, version, read_releases(changelog, version)))
    elif kind == "metainfo" and len(args) == 4:
        version, changelog, template, output = args
        releases = read_releases(changelog, version)
        text = fill_template(template, version, releases,
                             {"@RELEASES@": metainfo_releases(releases)})
        with open(output, "w", encoding="utf-8") as f:
            f.write(text)
    elif kind == "debian-changelog" and len(args) == 5:
        version, changelog, package, maintainer, output = args
        write_gzip(output, debian_changelog(package, maintainer, read_releases(changelog, version)))
    else:
        fail(__doc__)


if __name__ == "__main__":
    main(sys.argv)
