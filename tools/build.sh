#!/usr/bin/env bash
# Configures and builds into build/: everything (tests, test tools and
# benchmarks), or with --game only the game and its data archive. Further
# arguments go to cmake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--game" ]; then
  shift
  # A tree configured before keeps its choice (the test command's tests); a
  # fresh one is configured without them, so that GoogleTest is not needed.
  if [ -f build/CMakeCache.txt ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  else
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLIM_TESTS=OFF "$@" >/dev/null
  fi
  cmake --build build -j"$(nproc)" --target corvana2demo
else
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLIM_TESTS=ON "$@" >/dev/null
  cmake --build build -j"$(nproc)"
fi
