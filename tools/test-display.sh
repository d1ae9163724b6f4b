#!/usr/bin/env bash
# Runs one test program on a private X server (Xvfb, software OpenGL), so the
# windows, input grabs and focus of tests running in parallel never meet.
# Listing tests needs no display.
for a in "$@"; do
  case "$a" in --gtest_list_tests) exec "$@" ;; esac
done
export SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-x11}" SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
export LIBGL_ALWAYS_SOFTWARE=1
# llvmpipe draws on the calling thread: parallel tests don't fight over cores, and
# the leak checker never has to stop driver threads that outlive the engine.
export LP_NUM_THREADS="${LP_NUM_THREADS:-0}"
# A temporary folder of its own, removed afterwards with whatever a test that
# ended in a fatal error left in it.
TMPDIR=$(mktemp -d)
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT
if ! command -v Xvfb >/dev/null; then "$@"; exit $?; fi
dfile="$TMPDIR/.display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dfile" 2>/dev/null &
xpid=$!
for _ in $(seq 200); do [ -s "$dfile" ] && break; sleep 0.02; done
if [ ! -s "$dfile" ]; then echo "test-display: Xvfb did not start" >&2; kill "$xpid" 2>/dev/null; exit 1; fi
export DISPLAY=":$(head -n1 "$dfile")"
"$@"
rc=$?
kill "$xpid" 2>/dev/null
wait "$xpid" 2>/dev/null
exit $rc
