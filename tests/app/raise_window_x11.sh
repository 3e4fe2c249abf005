#!/usr/bin/env bash
# In a real X server (run under xvfb-run): a second start gives the keyboard focus to the first
# program's main window, exits 0 and leaves the settings file alone.
set -euo pipefail
exe=$1
home=$(mktemp -d)
trap 'kill "$first" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$home"' EXIT
export KESTIVO_HOME=$home QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME=$home/config

"$exe" 2>"$home/first.log" &
first=$!
# The first window appears (a sanitizer build takes a while to start).
window=$(timeout 60 xdotool search --sync --onlyvisible --pid "$first" --name '^Kestivo$' | head -n 1)
focused_pid() { xdotool getwindowfocus getwindowpid 2>/dev/null || echo none; }
[[ $(focused_pid) != "$first" ]] || { echo "the first window already has the focus; nothing to show"; exit 1; }

start=$(date +%s%N)
"$exe" 2>"$home/second.log" || { echo "second start failed with $?"; cat "$home/second.log"; exit 1; }
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
echo "second start ended after ${elapsed_ms} ms"
(( elapsed_ms < 2000 )) || { echo "second start took too long"; exit 1; }

for _ in $(seq 50); do
  [[ $(focused_pid) == "$first" ]] && break
  sleep 0.1
done
[[ $(focused_pid) == "$first" ]] || { echo "the first window did not get the focus"; exit 1; }
kill -0 "$first" || { echo "the first program is gone"; exit 1; }
[[ ! -e "$home/Options.dat" ]] || { echo "the second start wrote the settings file"; exit 1; }
echo "window $window of process $first has the focus"
