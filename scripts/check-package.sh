#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks a built Debian package without installing it: its control fields and file list, the
# programs run from the package unpacked into a throwaway folder (both report the package's
# version, the tool reads the shipped language file, the editor starts on an offscreen display
# with the files it finds beside it and opens the pack it is given), and the validators:
# desktop-file-validate, appstreamcli, man and lintian, which may not report an error or a
# warning.
set -euo pipefail
deb=$(realpath "$1")
cd "$(dirname "$0")/.."

fail() {
  echo "check-package: $*" >&2
  exit 1
}
field() { dpkg-deb -f "$deb" "$1"; }

version=$(field Version)
[ -n "$version" ] || fail "no version"
[ "$(basename "$deb")" = "fennimo_${version}_amd64.deb" ] || fail "file name $(basename "$deb")"
[ "$(field Package)" = fennimo ] || fail "package $(field Package)"
[ "$(field Section)" = graphics ] || fail "section $(field Section)"
field Maintainer | grep -q '^The Fennimo developers <.*@.*>$' || fail "maintainer $(field Maintainer)"
for dependency in libqt6widgets6 libqt6gui6 libqt6core6 libgif7 libarchive13 libstdc++6 libc6 \
                  qt6-image-formats-plugins; do
  field Depends | tr -d ' ' | tr ',' '\n' | grep -q "^$dependency\b" ||
    fail "Depends lacks $dependency: $(field Depends)"
done
field Recommends | grep -qw qt6-translations-l10n || fail "Recommends: $(field Recommends)"

# Every file where Debian and the desktop look for it, and nothing else.
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
expected=$(sort <<'EOF'
./usr/bin/fennimo
./usr/bin/fennimo-pack
./usr/share/applications/fennimo.desktop
./usr/share/doc/fennimo/changelog.gz
./usr/share/doc/fennimo/copyright
./usr/share/fennimo/Languages/English.lng
./usr/share/fennimo/demo/Animated/_define.ini
./usr/share/fennimo/demo/Animated/aa.gif
./usr/share/fennimo/demo/Animated/ab.gif
./usr/share/fennimo/demo/Animated/ac.gif
./usr/share/fennimo/demo/Animated/ad.gif
./usr/share/fennimo/demo/Animated/ae.gif
./usr/share/fennimo/demo/Static/_define.ini
./usr/share/fennimo/demo/Static/aa.bmp
./usr/share/fennimo/demo/Static/ab.bmp
./usr/share/fennimo/demo/Static/ac.bmp
./usr/share/fennimo/demo/Static/ad.bmp
./usr/share/icons/hicolor/scalable/apps/fennimo.svg
./usr/share/man/man1/fennimo-pack.1.gz
./usr/share/man/man1/fennimo.1.gz
./usr/share/metainfo/org.example.fennimo.metainfo.xml
EOF
)
[ "$files" = "$expected" ] || fail "files differ from the expected list:
$(diff <(echo "$expected") <(echo "$files") || true)"

root=$(mktemp -d)
trap 'kill "${editor:-}" 2>/dev/null || true; rm -rf "$root"' EXIT
dpkg -x "$deb" "$root/tree"
bin=$root/tree/usr/bin
share=$root/tree/usr/share

[ "$("$bin/fennimo" --version)" = "fennimo $version" ] || fail "fennimo --version"
[ "$("$bin/fennimo-pack" --version)" = "fennimo-pack $version" ] || fail "fennimo-pack --version"
"$bin/fennimo-pack" lang "$share/fennimo/Languages/English.lng" | grep -qx 'Complete\.' ||
  fail "the shipped English language file is incomplete"
zcat "$share/doc/fennimo/changelog.gz" | head -1 | grep -q "^fennimo ($version) " ||
  fail "changelog.gz does not start with $version"
grep -q "<release version=\"$version\"" "$share/metainfo/org.example.fennimo.metainfo.xml" ||
  fail "the metainfo lists no release $version"

# The licence, as Debian's tools and software centres read it.
metainfo=$share/metainfo/org.example.fennimo.metainfo.xml
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo" ||
  fail "the metainfo's project_license is not GPL-3.0-or-later"
grep -q '<metadata_license>CC0-1.0</metadata_license>' "$metainfo" ||
  fail "the metainfo's metadata_license is not CC0-1.0"
copyright=$share/doc/fennimo/copyright
head -n 1 "$copyright" |
  grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "the copyright file is not in the machine-readable format"
grep -qx 'Upstream-Name: fennimo' "$copyright" || fail "the copyright file names no Upstream-Name"
awk '/^Files: \*$/ { files = 1; next } files && /^License: / { print; exit }' "$copyright" |
  grep -qx 'License: GPL-3.0-or-later' || fail "the copyright file's Files: * is not GPL-3.0-or-later"
grep -q '/usr/share/common-licenses/GPL-3' "$copyright" ||
  fail "the copyright file does not point to /usr/share/common-licenses/GPL-3"

# The editor as the desktop entry starts it with a file from a file manager, on an offscreen
# display and in a folder of its own: it has started once it holds its workspace lock, it opens
# the demo pack it was given, and a termination request ends it.
exec_line=$(sed -n 's/^Exec=//p' "$share/applications/fennimo.desktop")
[ "$exec_line" = "fennimo %f" ] || fail "Exec=$exec_line"
data=$root/data
root_data="$data/Fennimo for Parlino 2005/2.0"
mkdir "$data"
HOME=$root XDG_DATA_HOME=$data XDG_RUNTIME_DIR= QT_QPA_PLATFORM=offscreen \
  "$bin/${exec_line% %f}" "$PWD/examples/demo/Animated/_define.ini" 2>"$root/editor.err" &
editor=$!
for _ in $(seq 100); do
  [ -s "$root_data/Storage/Animated/_define.ini" ] && break
  kill -0 "$editor" 2>/dev/null || break
  sleep 0.2
done
compgen -G "$root_data/*.lock" >/dev/null ||
  fail "the editor did not start: $(cat "$root/editor.err")"
cmp -s examples/demo/Animated/_define.ini "$root_data/Storage/Animated/_define.ini" ||
  fail "the editor did not open the pack it was given: $(cat "$root/editor.err")"
kill -TERM "$editor"
status=0
wait "$editor" || status=$?
editor=
[ "$status" -eq 0 ] || fail "the editor ended with $status: $(cat "$root/editor.err")"

desktop-file-validate "$share/applications/fennimo.desktop"
appstreamcli validate --no-net --pedantic "$share/metainfo/org.example.fennimo.metainfo.xml"
for page in "$share"/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man $(basename "$page"): $warnings"
done
lint_status=0
lint=$(lintian --fail-on error,warning --display-info "$deb" 2>&1) || lint_status=$?
grep -v -e 'running with root privileges' -e '^I: ' <<<"$lint" || true
[ "$lint_status" -eq 0 ] || fail "lintian reports an error or a warning"
! grep -q copyright <<<"$lint" ||
  fail "lintian finds fault with the copyright file: $(grep copyright <<<"$lint")"
echo "check-package: $(basename "$deb") is sound"
