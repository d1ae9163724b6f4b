#!/usr/bin/env bash
# Installs what is needed, builds everything and runs the whole test suite:
# the unit and program tests (each on its own Xvfb), again under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the fuzz targets for a bounded number of runs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
bash tools/build.sh

# Every test program runs on a private Xvfb (tools/test-display.sh).
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1
JOBS=$(nproc)
# Whole-program runs wait for real windows and frames: on a loaded machine one can
# run out of time, so failures run once more with the machine quieter.
run_ctest() { # build folder, then ctest arguments
  local dir=$1; shift
  ctest --test-dir "$dir" --output-on-failure "$@" ||
    { echo "== running the failed tests again, two at a time"; ctest --test-dir "$dir" --output-on-failure -j2 --rerun-failed; }
}
echo "== tests"
run_ctest build -j"$JOBS" -LE "xinput|realtime"
# The menus driven by real X clicks and keys wait in real time: they run two at
# a time once the rest is done (with the networked match paced to real time),
# and one that a slow frame made miss a click runs again.
echo "== tests driven by real X input or paced to real time"
ctest --test-dir build --output-on-failure -j2 -L "xinput|realtime" --repeat until-pass:2

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
# The sanitizer trees take the main build's data archive rather than generating their own.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DPLIM_SANITIZE=ON -DPLIM_BENCH=OFF -DPLIM_DATA_FROM="$PWD/build" >/dev/null
cmake --build build-asan -j"$JOBS"
export ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp" UBSAN_OPTIONS=print_stacktrace=1
# Real-input and real-time runs are timing-bound and too slow under the
# sanitizers, and the wave soak takes minutes there; every other whole-program test still runs here.
run_ctest build-asan -j"$JOBS" -LE "xinput|soak|realtime"

echo "== threaded tests (audio, form post) under ThreadSanitizer"
TSAN_TESTS="plim_Mixer_test plim_MixerOGG_test plim_PlimAudio_test plim_Sound_test menu_HttpFormPost_test"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLIM_TSAN=ON -DPLIM_BENCH=OFF -DPLIM_DATA_FROM="$PWD/build" >/dev/null
cmake --build build-tsan -j"$JOBS" --target $TSAN_TESTS
for t in $TSAN_TESTS; do
  TSAN_OPTIONS=halt_on_error=1 tools/test-display.sh "build-tsan/tests/$t"
done

if command -v clang++ >/dev/null && [ -n "$(ls fuzz/*_fuzz.cpp 2>/dev/null)" ]; then
  echo "== fuzz targets"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLIM_FUZZ=ON -DPLIM_BENCH=OFF >/dev/null
  cmake --build build-fuzz -j"$JOBS" --target $(cd fuzz && ls *_fuzz.cpp | sed 's/\.cpp$//')
  for f in build-fuzz/fuzz/*_fuzz; do
    corpus="fuzz/corpus/$(basename "$f")"
    mkdir -p "build-fuzz/corpus-$(basename "$f")"
    # The targets' own standard error is closed (libjpeg warns about every damaged
    # picture); libFuzzer and the sanitizers still report on theirs.
    "$f" -runs=200000 -max_total_time=20 -close_fd_mask=2 "build-fuzz/corpus-$(basename "$f")" \
      $( [ -d "$corpus" ] && echo "$corpus" )
  done
fi
