#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Smoke test of the real program on a virtual X display, driven from the keyboard as a user
# would: open the demo pack (Ctrl+O, type the path), save it as a new folder (Ctrl+Shift+S,
# type the folder), then end the program with a termination request. The saved folder must hold
# the demo pack byte for byte.
# Then, in a fresh profile, a termination request while the opening of a pack asks about an
# empty line: the question ends as "keep all" does, the opening completes, and the program ends
# in order with the pack in its working storage.
#   smoke.sh PROGRAM SOURCE_DIR
set -euo pipefail
program=$1
source_dir=$2

if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then
  echo "Xvfb and xdotool are needed (Debian: xvfb xdotool)" >&2
  exit 1
fi
if [ -z "${DISPLAY_READY:-}" ]; then
  # The server picks a free display itself and says which: a number chosen before it starts
  # may be taken by another server (another run, another container) by the time it binds.
  xdir=$(mktemp -d)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$xdir/display" 2>"$xdir/log" &
  xvfb=$!
  for ((i = 0; i < 300; i++)); do
    grep -q '^[0-9][0-9]*$' "$xdir/display" 2>/dev/null && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.1
  done
  if ! grep -q '^[0-9][0-9]*$' "$xdir/display"; then
    echo "the virtual display did not start:" >&2
    cat "$xdir/log" >&2
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$xdir"
    exit 1
  fi
  status=0
  DISPLAY=":$(cat "$xdir/display")" DISPLAY_READY=1 "$0" "$@" || status=$?
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  rm -rf "$xdir"
  exit "$status"
fi

work=$(mktemp -d)
trap 'kill -9 ${pid:-0} 2>/dev/null || true; rm -rf "$work"' EXIT
# The virtual display has no session bus: the message-bus library would try to start one for
# the toolkit, fail, and keep a buffer that the leak checker then reports as the program's.
export DBUS_SESSION_BUS_ADDRESS=disabled:
export XDG_DATA_HOME="$work/data" HOME="$work/home" QT_QPA_PLATFORM=xcb
mkdir -p "$XDG_DATA_HOME" "$HOME" "$work/saved"
storage="$XDG_DATA_HOME/Fennimo for Parlino 2005/2.0/Storage/Animated"

poll() {  # poll SECONDS COMMAND...: true once COMMAND is
  local limit=$(( $1 * 10 )) i; shift
  for ((i = 0; i < limit; i++)); do "$@" && return 0; sleep 0.1; done
  return 1
}
wait_for() {  # wait_for SECONDS COMMAND...
  poll "$@" && return 0
  shift
  echo "timed out waiting for: $*" >&2
  echo "windows shown: $(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null |
    tr '\n' '|')" >&2
  return 1
}
window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
has_window() { [ -n "$(window "$1")" ]; }
no_window() { ! has_window "$1"; }
focus() {  # focus TITLE: gives the window the keyboard (there is no window manager)
  local id
  id=$(window "$1")
  xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
  sleep 0.5
}
type_into() {  # type_into TITLE TEXT: types a path into a dialog and confirms it
  # On a slow machine the keys may reach the chooser before it has the keyboard, or its
  # completer list, popping up while the folder is still being read, may take the Return for
  # itself: while the chooser stays, type and confirm again.
  local attempt
  for attempt in 1 2 3; do
    focus "$1"
    xdotool key ctrl+a
    xdotool type --delay 5 "$2"
    sleep 0.3
    xdotool key Return
    poll 10 no_window "$1" && return 0
    echo "\"$1\" is still open after attempt $attempt: typing the path again" >&2
  done
}

start_program() {
  "$program" &
  pid=$!
  wait_for 60 has_window ".*Fennimo"
  sleep 1
}
ended_in_order() {  # waits for the program to end after a termination request
  kill -TERM "$pid"
  wait_for 60 bash -c "! kill -0 $pid 2>/dev/null"
  wait "$pid" && status=0 || status=$?
  if [ "$status" -ne 0 ]; then
    echo "the program ended with status $status" >&2
    exit 1
  fi
}

cd "$source_dir"
start_program

# Open the demo pack's animated half.
focus ".*Fennimo"
xdotool key ctrl+o
wait_for 30 has_window "Загрузка смайлпака"
type_into "Загрузка смайлпака" "$source_dir/examples/demo/Animated/_define.ini"
wait_for 60 test -f "$storage/ae.gif"
wait_for 60 bash -c "! xdotool search --onlyvisible --name '^Загрузка\$' >/dev/null 2>&1"
wait_for 30 has_window ".*Fennimo"

# Save it as a new folder.
focus ".*Fennimo"
xdotool key ctrl+shift+s
wait_for 30 has_window "Сохранение смайлпака"
type_into "Сохранение смайлпака" "$work/saved"
wait_for 60 diff -rq "$source_dir/examples/demo/Animated" "$work/saved"

ended_in_order
diff -r "$source_dir/examples/demo/Animated" "$work/saved"

# A pack whose definition file starts with an empty line, opened in a fresh profile.
cp -r "$work/saved" "$work/damaged"
{ printf '\r\n'; cat "$work/saved/_define.ini"; } >"$work/damaged/_define.ini"
export XDG_DATA_HOME="$work/data2"
storage="$XDG_DATA_HOME/Fennimo for Parlino 2005/2.0/Storage/Animated"
start_program
focus ".*Fennimo"
xdotool key ctrl+o
wait_for 30 has_window "Загрузка смайлпака"
type_into "Загрузка смайлпака" "$work/damaged/_define.ini"
wait_for 60 has_window "Смайл без символов"
ended_in_order
cmp "$work/damaged/_define.ini" "$storage/_define.ini"
echo "smoke test passed"
