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
# The real-time runs each hold about a core (the real program draws every
# frame): two at a time on a small machine, half the cores on a larger one.
XJOBS=$(( JOBS / 2 > 2 ? JOBS / 2 : 2 ))
# Whole-program runs wait for real windows and frames: on a loaded machine one can
# run out of time, so failures run once more with the machine quieter.
# A retry is counted and named: a test that needs one on a quiet machine is
# flaky, not slow.
run_ctest() { # build folder, then ctest arguments
  local dir=$1; shift
  ctest --test-dir "$dir" --output-on-failure "$@" && return 0
  echo "== RETRY: $(wc -l <"$dir/Testing/Temporary/LastTestsFailed.log") failed test(s) run again, two at a time:"
  sed 's/^/==   /' "$dir/Testing/Temporary/LastTestsFailed.log"
  ctest --test-dir "$dir" --output-on-failure -j2 --rerun-failed
}
# The sanitizer trees take the main build's data archive rather than generating their own.
build_asan() {
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DPLIM_SANITIZE=ON -DPLIM_BENCH=OFF -DPLIM_DATA_FROM="$PWD/build" >/dev/null
  cmake --build build-asan -j"$JOBS"
}
TSAN_TESTS="plim_Mixer_test plim_MixerOGG_test plim_PlimAudio_test plim_Sound_test menu_HttpFormPost_test"
FUZZ_TARGETS=$(cd fuzz && ls *_fuzz.cpp 2>/dev/null | sed 's/\.cpp$//')
build_tsan_and_fuzz() {
  cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLIM_TSAN=ON -DPLIM_BENCH=OFF -DPLIM_DATA_FROM="$PWD/build" >/dev/null
  cmake --build build-tsan -j"$JOBS" --target $TSAN_TESTS
  if command -v clang++ >/dev/null && [ -n "$FUZZ_TARGETS" ]; then
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLIM_FUZZ=ON -DPLIM_BENCH=OFF >/dev/null
    cmake --build build-fuzz -j"$JOBS" --target $FUZZ_TARGETS
  fi
}
# Trees build in the background at a low priority while tests run, mostly in
# the time the tests leave idle (real windows and real time wait a good part
# of theirs). It runs in a session of its own, so that it stops with every
# compiler it started; where the kernel shares CPU time by session, that
# session also keeps it from starving on a busy machine. A build still running
# when the tests are done stops, and the same build goes on in the foreground
# from the files it has finished (an unprivileged run cannot raise a priority).
background() { # log file, then a function
  local log=$1; shift
  mkdir -p "$(dirname "$log")"
  bg_log=$log bg_call="$*"
  setsid nice -n 19 bash -c "set -e; JOBS=$JOBS; TSAN_TESTS='$TSAN_TESTS'; FUZZ_TARGETS='$FUZZ_TARGETS'; $(declare -f "$@"); $*" >"$log" 2>&1 &
  bg_pid=$!
}
finish_background() {
  if kill -0 "$bg_pid" 2>/dev/null; then
    kill -TERM -- "-$bg_pid" 2>/dev/null || true
    wait "$bg_pid" 2>/dev/null || true
    echo "== the rest of that build in the foreground"
    $bg_call >>"$bg_log" 2>&1 || { cat "$bg_log"; echo "== a tree did not build ($bg_log)"; exit 1; }
  else
    wait "$bg_pid" || { cat "$bg_log"; echo "== a tree did not build ($bg_log)"; exit 1; }
  fi
}

echo "== building the AddressSanitizer tree in the background (build-asan/build.log)"
background build-asan/build.log build_asan
echo "== tests"
run_ctest build -j"$JOBS" -LE "xinput|realtime"
# The menus driven by real X clicks and keys wait in real time: they run apart
# once the rest is done (with the networked match paced to real time).
echo "== tests driven by real X input or paced to real time"
run_ctest build -j"$XJOBS" -L "xinput|realtime"

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
finish_background
echo "== building the ThreadSanitizer and fuzz trees in the background (build-tsan/build.log)"
background build-tsan/build.log build_tsan_and_fuzz
export ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp" UBSAN_OPTIONS=print_stacktrace=1
# Real-input and real-time runs are timing-bound and too slow under the
# sanitizers, and the wave soak takes minutes there; every other whole-program test
# still runs here, its simulated matches at full length without drawing.
# Longest first, as the main pass timed them.
mkdir -p build-asan/Testing/Temporary
cp build/Testing/Temporary/CTestCostData.txt build-asan/Testing/Temporary/ 2>/dev/null || true
run_ctest build-asan -j"$JOBS" -LE "xinput|soak|realtime"

echo "== threaded tests (audio, form post) under ThreadSanitizer"
finish_background
# Side by side, each on its own display; any failure fails the pass.
tsan_failed=0
for t in $TSAN_TESTS; do
  TSAN_OPTIONS=halt_on_error=1 tools/test-display.sh "build-tsan/tests/$t" >"build-tsan/$t.out" 2>&1 &
done
for t in $TSAN_TESTS; do
  wait -n || tsan_failed=1
done
for t in $TSAN_TESTS; do
  cat "build-tsan/$t.out"
done
[ "$tsan_failed" = 0 ] || { echo "== a test failed under ThreadSanitizer"; exit 1; }

if command -v clang++ >/dev/null && [ -n "$FUZZ_TARGETS" ]; then
  echo "== fuzz targets"
  # One bounded run per target, as many at once as there are cores.
  fuzz_one() {
    local f=$1 corpus name
    name=$(basename "$f")
    corpus="fuzz/corpus/$name"
    mkdir -p "build-fuzz/corpus-$name"
    # The targets' own standard error is closed (libjpeg warns about every damaged
    # picture); libFuzzer and the sanitizers still report on theirs.
    if "$f" -runs=200000 -max_total_time=20 -close_fd_mask=2 "build-fuzz/corpus-$name" \
      $( [ -d "$corpus" ] && echo "$corpus" ) >"build-fuzz/$name.out" 2>&1; then
      tail -n 2 "build-fuzz/$name.out"
    else
      cat "build-fuzz/$name.out"; echo "== $name failed"; return 1
    fi
  }
  export -f fuzz_one
  ls build-fuzz/fuzz/*_fuzz | xargs -P "$JOBS" -I{} bash -c 'fuzz_one {}'
fi
