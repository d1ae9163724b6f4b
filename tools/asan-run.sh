#!/usr/bin/env bash
# Runs a program of the AddressSanitizer build (build-asan/corvana2demo, ...) with
# the leak check on. SDL unloads the OpenGL driver when it quits, before the leak
# check runs at exit; the blocks the driver still held then show as leaks in an
# "<unknown module>" that no suppression can name. Preloading the driver (after
# the sanitizer runtime where it is a library of its own, as gcc links it; clang
# links it into the program) keeps it loaded for the whole run.
# Our own leaks are never suppressed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
[ $# -ge 1 ] || { echo "usage: tools/asan-run.sh PROGRAM [ARGUMENTS...]" >&2; exit 2; }
asan="$(ldd "$1" | awk '/libasan/ { print $3; exit }')"
driver=/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so
preload="${LD_PRELOAD:-}"
if [ -r "$driver" ]; then preload="${asan:+$asan:}$driver${preload:+:$preload}"; fi
export LD_PRELOAD="$preload"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/tools/lsan.supp}"
export LIBGL_ALWAYS_SOFTWARE=1
exec "$@"
