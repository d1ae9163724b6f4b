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
# Mesa's shader cache writes from a thread of its own, which the leak checker's
# tracer can trip over at exit; a test needs no cache across runs anyway.
export MESA_SHADER_CACHE_DISABLE="${MESA_SHADER_CACHE_DISABLE:-true}"
# The leak checker takes a dynamic TLS block (LLVM's, loaded with the driver)
# that the allocator happens to place 16 bytes into a page for an old glibc's
# block with a header, reads a range out of the allocator's own chunk header
# and its tracer dies scanning it ("Tracer caught signal 11"). Those blocks come
# from the dynamic linker, whose allocations the leak checker takes as roots
# anyway: it need not follow __tls_get_addr at all.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}intercept_tls_get_addr=0"
# A temporary folder of its own (inside the test run's, tools/run-tests.sh),
# removed afterwards with whatever a test that ended in a fatal error left in
# it. Others may pass through it: tests run the game as another user on a
# folder of theirs inside.
TMPDIR=$(mktemp -d)
chmod 711 "$TMPDIR"
export TMPDIR
xpid=""
cleanup() {
  if [ -n "$xpid" ]; then
    # A server that does not end within 5 s of the request is killed.
    kill "$xpid" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$xpid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$xpid" 2>/dev/null
    wait "$xpid" 2>/dev/null
  fi
  rm -rf "$TMPDIR"
}
trap cleanup EXIT
if ! command -v Xvfb >/dev/null; then "$@"; exit $?; fi

# True once a client can open the display (the server may print its number
# before it accepts connections).
display_ready() {
  if command -v xdpyinfo >/dev/null; then xdpyinfo >/dev/null 2>&1
  elif command -v xdotool >/dev/null; then xdotool getdisplaygeometry >/dev/null 2>&1
  else [ -S "/tmp/.X11-unix/X${DISPLAY#:}" ]
  fi
}

# -noreset: the server never resets when its last client leaves, so the probe
# above (or any short-lived client) cannot leave a test to meet a reset.
start_server() {
  local dfile="$TMPDIR/.display"
  rm -f "$dfile"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$dfile" 2>/dev/null &
  xpid=$!
  for _ in $(seq 250); do [ -s "$dfile" ] && break; kill -0 "$xpid" 2>/dev/null || break; sleep 0.02; done
  [ -s "$dfile" ] || return 1
  export DISPLAY=":$(head -n1 "$dfile")"
  for _ in $(seq 250); do display_ready && return 0; kill -0 "$xpid" 2>/dev/null || return 1; sleep 0.02; done
  return 1
}

started=""
for _ in 1 2 3; do
  if start_server; then started=1; break; fi
  [ -n "$xpid" ] && { kill "$xpid" 2>/dev/null; wait "$xpid" 2>/dev/null; xpid=""; }
done
if [ -z "$started" ]; then echo "test-display: Xvfb did not start or accept connections" >&2; exit 1; fi
"$@"
