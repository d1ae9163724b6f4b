#!/usr/bin/env bash
# Runs one test program on a private X server (Xvfb, software OpenGL), so the
# windows, input grabs and focus of tests running in parallel never meet.
# Listing tests needs no display.
for a in "$@"; do
  case "$a" in --gtest_list_tests) exec "$@" ;; esac
done
export SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-x11}" SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
export LIBGL_ALWAYS_SOFTWARE=1
if ! command -v Xvfb >/dev/null; then exec "$@"; fi
dfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dfile" 2>/dev/null &
xpid=$!
for _ in $(seq 200); do [ -s "$dfile" ] && break; sleep 0.02; done
if [ ! -s "$dfile" ]; then echo "test-display: Xvfb did not start" >&2; kill "$xpid" 2>/dev/null; rm -f "$dfile"; exit 1; fi
export DISPLAY=":$(head -n1 "$dfile")"
"$@"
rc=$?
kill "$xpid" 2>/dev/null
wait "$xpid" 2>/dev/null
rm -f "$dfile"
exit $rc
