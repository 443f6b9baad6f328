#!/usr/bin/env bash
# A long S-K sweep at the model's bounds (three loci, 100 demes, MaxGen 10000) in the real
# quorvel window on a private X server: watched, stopped with Esc, started again and
# stopped with the Start button (which reads "Stop" meanwhile). Prints the window title at
# each step and the time from Esc to "Stopped" (including the polling of the title), checks
# that ReportFile2 ends on a whole line, and leaves screenshots in the output folder.
#   .ci/optional/long-sweep-under-xvfb.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
out=${2:-$build/long-sweep}
exe=$build/quorvel/window/quorvel
[ -x "$exe" ] || { echo "no $exe: build first" >&2; exit 1; }
for tool in Xvfb xdotool import; do command -v $tool >/dev/null || { echo "needs $tool" >&2; exit 1; }; done
mkdir -p "$out"
home=$(mktemp -d)
runtime=$(mktemp -d)
app="" xserver=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null
  [ -n "$xserver" ] && kill "$xserver" 2>/dev/null
  rm -rf "$home" "$runtime"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -dpi 96 3>"$runtime/display" >/dev/null 2>&1 &
xserver=$!
for _ in $(seq 100); do [ -s "$runtime/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$runtime/display")" HOME=$home XDG_RUNTIME_DIR=$runtime
unset QT_QPA_PLATFORM
"$exe" >/dev/null 2>&1 &
app=$!
w=$(xdotool search --sync --onlyvisible --pid $app | head -n1)
eval "$(xdotool getwindowgeometry --shell "$w" | grep '^HEIGHT=')"
top=$((HEIGHT - (8385 + 7) / 15))  # the form below the menu bar, 8385 twips high
# Controls by their place in twips, 15 to a pixel at 96 dpi.
at() { echo $((($1 + $3 / 2 + 7) / 15)) $((top + ($2 + $4 / 2 + 7) / 15)); }
click() { xdotool mousemove --window "$w" $(at "$@") click 1; sleep 0.4; }
type_into() {
  xdotool mousemove --window "$w" $(at 3480 "$1" 800 285) click --repeat 3 1 key ctrl+a type "$2"
  xdotool key Tab
  sleep 0.3
}
title() { xdotool getwindowname "$w"; }
start=(11040 6120 1695 495)
click 11040 6720 2295 285  # three loci
type_into 3360 100         # demes
type_into 3720 10000       # MaxGen
click 120 7170 300 375     # the S-K sweep
click "${start[@]}"
sleep 4
echo "running:      $(title)"
import -window "$w" "$out/running.png"
t0=$(date +%s%N)
xdotool key --window "$w" Escape
for _ in $(seq 500); do title | grep -q Stopped && break; sleep 0.01; done
echo "Esc:          $((($(date +%s%N) - t0) / 1000000)) ms to \"$(title)\""
click "${start[@]}"
sleep 4
echo "running:      $(title)"
click "${start[@]}"  # reads "Stop"
sleep 1
echo "Stop button:  $(title)"
import -window "$w" "$out/stopped.png"
report=$home/ReportFile2.txt
echo "ReportFile2:  $(wc -l <"$report") lines"
[ "$(tail -c 2 "$report" | od -An -c | tr -d ' ')" = '\r\n' ] || { echo "ReportFile2 ends mid-line" >&2; exit 1; }
title | grep -q "Stopped after" || { echo "no stop in the title" >&2; exit 1; }
echo "screenshots in $out"
