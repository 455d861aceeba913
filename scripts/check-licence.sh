#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that every source file of the tree names its licence on its first line (after the
# "#!" line of a script): "// SPDX-License-Identifier: GPL-3.0-or-later" in C++ sources and
# headers, "# ..." in CMake files, shell and Python scripts, ".\" ..." in manual pages. Lists
# every file without it and fails. Data (pictures, packs, language files, fuzz inputs, the
# desktop entry, the icon, the metainfo template) carries no such line.
#
# scripts/check-licence.sh [SOURCE_DIR]   (default: the tree this script is in)
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

licence=SPDX-License-Identifier:\ GPL-3.0-or-later

# The files the tree holds: git's list in a checkout, else every file outside build folders.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  list() { git ls-files -z --cached --others --exclude-standard; }
else
  list() { find . \( -name .git -o -name 'build*' \) -prune -o -type f -printf '%P\0'; }
fi

# The comment a file's licence line is written in, or nothing for a file that takes none.
comment_of() {
  case "$1" in
    fuzz/corpus/* | examples/*) ;;
    *.c | *.cc | *.cpp | *.cxx | *.h | *.hh | *.hpp) echo "//" ;;
    CMakeLists.txt | */CMakeLists.txt | *.cmake | *.sh | *.bash | *.py) echo "#" ;;
    man/*.[1-9]) echo '.\"' ;;
    *) [ "$(head -c 2 "$1" 2>/dev/null)" = "#!" ] && echo "#" ;;
  esac
}

missing=()
while IFS= read -r -d '' file; do
  [ -f "$file" ] || continue # listed by git, but deleted in the working tree
  comment=$(comment_of "$file") || true
  [ -n "$comment" ] || continue
  expected="$comment $licence"
  first=$(head -n 1 "$file")
  if [ "${first:0:2}" = "#!" ]; then
    first=$(sed -n 2p "$file")
  fi
  [ "$first" = "$expected" ] || missing+=("$file")
done < <(list)

if [ ${#missing[@]} -ne 0 ]; then
  echo "check-licence: these files lack \"$licence\" as their first line (after a \"#!\" line):" >&2
  printf '  %s\n' "${missing[@]}" >&2
  exit 1
fi
echo "check-licence: every source file names its licence"
