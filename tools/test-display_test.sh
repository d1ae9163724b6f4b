#!/usr/bin/env bash
# The test display helper: every run's program can open the display at once
# and again right after closing it (no server reset between clients), many
# runs in a row and several at a time; a program that cannot open a display
# still fails through it with its own status.
helper="$(dirname "$0")/test-display.sh"
runs="${1:-40}"
probe='for k in 1 2 3 4 5; do xdotool getdisplaygeometry >/dev/null || exit 1; done'
failures=0
for ((i = 0; i < runs; i += 4)); do
  pids=()
  for _ in 1 2 3 4; do
    "$helper" sh -c "$probe" & pids+=($!)
  done
  for p in "${pids[@]}"; do wait "$p" || failures=$((failures + 1)); done
done
if [ "$failures" -ne 0 ]; then echo "FAIL: $failures of $runs runs could not open the display" >&2; exit 1; fi
"$helper" sh -c 'DISPLAY=:9999 xdotool getdisplaygeometry >/dev/null 2>&1'
status=$?
if [ "$status" -eq 0 ]; then echo "FAIL: a display that cannot be opened passed" >&2; exit 1; fi
"$helper" sh -c 'exit 7'
if [ $? -ne 7 ]; then echo "FAIL: the program's status is not passed on" >&2; exit 1; fi
echo "ok: $runs runs opened the display"
