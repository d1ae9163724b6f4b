#!/usr/bin/env bash
# Installs what is needed, builds everything and runs the whole test suite:
# the unit and program tests (each on its own Xvfb), again under AddressSanitizer and
# UndefinedBehaviorSanitizer, the threaded ones under ThreadSanitizer, and the fuzz
# targets for a bounded number of runs. Every pass runs even when one before it
# failed; the end names the failed passes and the retried tests, and the status
# is 1 when a pass failed. Nothing the run started outlives it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh

# One temporary folder for the whole run under TMPDIR, holding each test's
# (tools/test-display.sh makes them in TMPDIR): it goes at the end with what a
# test killed at its time limit left. Those of runs that could not clean up
# (killed, or the machine stopped) go at the start. Others may pass through it
# (not list it), as the game run as another user by a test must.
tmp_base=${TMPDIR:-/tmp}
for old in "$tmp_base"/corvana2-tests.*; do
  if [ -d "$old" ] && ! kill -0 "${old##*.}" 2>/dev/null; then rm -rf "$old"; fi
done
run_tmp="$tmp_base/corvana2-tests.$$"
mkdir -m 711 "$run_tmp"
export TMPDIR=$run_tmp
# Every program the run starts carries this mark in its environment, so that
# the end finds whatever outlived its pass (a test's child, an X server, a
# build), wherever its parent left it.
export PLIM_TEST_RUN="$$.$(date +%s%N)"
bg_pid=""
# The build in the background (below) stops with its whole session.
stop_background() {
  if [ -n "$bg_pid" ] && kill -0 "$bg_pid" 2>/dev/null; then
    kill -TERM -- "-$bg_pid" 2>/dev/null || true
    wait "$bg_pid" 2>/dev/null || true
  fi
}

# The processes carrying the run's mark (the clean-up's own commands carry none).
marked() { grep -lzxF "PLIM_TEST_RUN=$1" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 || true; }
end_run() {
  local status=$? mark=$PLIM_TEST_RUN pids signal f n owner
  trap - EXIT INT TERM HUP
  unset PLIM_TEST_RUN
  stop_background
  for signal in TERM KILL; do
    pids=$(marked "$mark")
    [ -n "$pids" ] || break
    echo "== SIG$signal to what outlived its pass:"
    ps -o pid=,args= -p "$(echo $pids | tr ' ' ,)" | sed 's/^/==   /' || true
    kill -"$signal" $pids 2>/dev/null || true
    for _ in $(seq 50); do [ -n "$(marked "$mark")" ] || break; sleep 0.1; done
  done
  # An X server killed with its test leaves its socket and lock, unless a
  # live server has taken that display since.
  for f in "$run_tmp"/*/.display; do
    [ -s "$f" ] || continue
    n=$(head -n1 "$f")
    owner=$(tr -dc 0-9 <"/tmp/.X$n-lock" 2>/dev/null || true)
    if [ -z "$owner" ] || ! kill -0 "$owner" 2>/dev/null; then rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"; fi
  done
  rm -rf "$run_tmp"
  exit "$status"
}
trap end_run EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
# A command run and waited for, so that a signal reaches the trap at once
# rather than after the command; it keeps SIGINT (a job would ignore it).
run() { ( trap - INT QUIT; exec "$@" ) & wait $!; }
run bash tools/build.sh

# Every test program runs on a private Xvfb (tools/test-display.sh).
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1
JOBS=$(nproc)
# The real-time runs each hold most of a core (the real program draws every
# frame): two at a time on a small machine, three quarters of the cores on a
# larger one.
XJOBS=$(( JOBS * 3 / 4 > 2 ? JOBS * 3 / 4 : 2 ))
failed_passes=""
retried_tests=""
# A pass that fails is named at the end; the next pass runs all the same.
pass() { # title, then a command
  local title=$1; shift
  echo "== $title"
  "$@" || { echo "== FAILED: $title"; failed_passes+="==   $title"$'\n'; }
}
# A failed test runs once more, two at a time, as the last resort: a test that
# needs it is flaky, not slow, so each one is counted and named at the end.
run_ctest() { # build folder, then ctest arguments
  local dir=$1; shift
  local list="$dir/Testing/Temporary/LastTestsFailed.log"
  rm -f "$list"
  run ctest --test-dir "$dir" --output-on-failure "$@" && return 0
  [ -s "$list" ] || return 1
  echo "== RETRY: $(wc -l <"$list") failed test(s) run again, two at a time:"
  sed 's/^/==   /' "$list"
  retried_tests+=$(sed "s|^|==   $dir |" "$list")$'\n'
  run ctest --test-dir "$dir" --output-on-failure -j2 --rerun-failed
}
# The check trees build with clang where it is installed: in two thirds of
# gcc's time, and a second compiler's warnings and checks come with it.
check_compiler() { command -v clang++ >/dev/null && echo "-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++" || true; }
# The sanitizer trees take the main build's data archive rather than generating
# their own. -O1 (asserts kept) runs the sanitizer tests in two thirds of the
# time -O0 takes.
build_asan() {
  cmake -S . -B build-asan $(check_compiler) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -DPLIM_SANITIZE=ON -DPLIM_BENCH=OFF -DPLIM_DATA_FROM="$PWD/build" >/dev/null
  cmake --build build-asan -j"$JOBS"
}
# These two trees only check, so they build lightly optimised (the fuzz
# targets then run a little slower for the same time).
TSAN_TESTS="plim_Mixer_test plim_MixerOGG_test plim_PlimAudio_test plim_Sound_test menu_HttpFormPost_test"
FUZZ_TARGETS=$(cd fuzz && ls *_fuzz.cpp 2>/dev/null | sed 's/\.cpp$//')
build_tsan_and_fuzz() {
  cmake -S . -B build-tsan $(check_compiler) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -DNDEBUG" -DPLIM_TSAN=ON -DPLIM_BENCH=OFF -DPLIM_DATA_FROM="$PWD/build" >/dev/null
  cmake --build build-tsan -j"$JOBS" --target $TSAN_TESTS
  if command -v clang++ >/dev/null && [ -n "$FUZZ_TARGETS" ]; then
    cmake -S . -B build-fuzz $(check_compiler) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -DNDEBUG" -DPLIM_FUZZ=ON -DPLIM_BENCH=OFF >/dev/null
    cmake --build build-fuzz -j"$JOBS" --target $FUZZ_TARGETS
  fi
}
# One after another, the AddressSanitizer tree first (its tests run first), with a
# mark when it is done.
build_sanitizer_trees() {
  build_asan
  touch build-asan/.built
  build_tsan_and_fuzz
}
# Trees build in the background at a low priority while tests run, mostly in
# the time the tests leave idle (real windows and real time wait a good part
# of theirs). It runs in a session of its own, so that it stops with every
# compiler it started; where the kernel shares CPU time by session, that
# session also keeps it from starving on a busy machine. A build still running
# when the tests are done stops, and the same build goes on at the normal
# priority from the files it has finished (an unprivileged run cannot raise a
# priority).
background() { # niceness (the first start, which empties the log, is not 0), log file, then a function
  local level=$1 log=$2; shift 2
  mkdir -p "$(dirname "$log")"
  [ "$level" = 0 ] || : >"$log"
  bg_log=$log bg_call="$*" bg_level=$level
  setsid nice -n "$level" bash -c "set -e; JOBS=$JOBS; TSAN_TESTS='$TSAN_TESTS'; FUZZ_TARGETS='$FUZZ_TARGETS'; $(declare -f "$@" check_compiler build_asan build_tsan_and_fuzz); $*" >>"$log" 2>&1 &
  bg_pid=$!
}
normal_priority() {
  if [ "$bg_level" != 0 ] && kill -0 "$bg_pid" 2>/dev/null; then
    stop_background
    echo "== the rest of that build at the normal priority"
    background 0 "$bg_log" $bg_call
  fi
}
finish_background() {
  normal_priority
  wait "$bg_pid" && return 0
  cat "$bg_log"
  echo "== a tree did not build ($bg_log)"
  return 1
}

# Until the file is there, or the build ended without it (false if it failed).
wait_background_for() { # file
  [ -e "$1" ] && return 0
  normal_priority
  while [ ! -e "$1" ] && kill -0 "$bg_pid" 2>/dev/null; do sleep 1; done
  [ -e "$1" ] || finish_background
}

echo "== building the sanitizer and fuzz trees in the background (build-asan/build.log)"
rm -f build-asan/.built
background 19 build-asan/build.log build_sanitizer_trees
pass "tests" run_ctest build -j"$JOBS" -LE "xinput|realtime"
# The menus driven by real X clicks and keys wait in real time: they run apart
# once the rest is done (with the networked match paced to real time).
pass "tests driven by real X input or paced to real time" run_ctest build -j"$XJOBS" -L "xinput|realtime"

export ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp" UBSAN_OPTIONS=print_stacktrace=1
# Real-input and real-time runs are timing-bound and too slow under the
# sanitizers, and the wave soak takes minutes there; every other whole-program test
# still runs here, its simulated matches at full length without drawing.
# Longest first, as the main pass timed them.
asan_pass() {
  wait_background_for build-asan/.built || return 1
  mkdir -p build-asan/Testing/Temporary
  cp build/Testing/Temporary/CTestCostData.txt build-asan/Testing/Temporary/ 2>/dev/null || true
  run_ctest build-asan -j"$JOBS" -LE "xinput|soak|realtime"
}
pass "tests under AddressSanitizer and UndefinedBehaviorSanitizer" asan_pass

# Side by side, each on its own display; any failure fails the pass.
tsan_built=""
tsan_pass() {
  finish_background || return 1
  tsan_built=1
  local t status=0
  for t in $TSAN_TESTS; do
    TSAN_OPTIONS=halt_on_error=1 tools/test-display.sh "build-tsan/tests/$t" >"build-tsan/$t.out" 2>&1 &
  done
  for t in $TSAN_TESTS; do
    wait -n || status=1
  done
  for t in $TSAN_TESTS; do
    cat "build-tsan/$t.out"
  done
  return $status
}
pass "threaded tests (audio, form post) under ThreadSanitizer" tsan_pass

# One bounded run per target (20 s or 200,000 inputs), as many at once as
# there are cores.
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
if command -v clang++ >/dev/null && [ -n "$FUZZ_TARGETS" ]; then
  # Built after the ThreadSanitizer tree, by the same build.
  fuzz_pass() {
    [ -n "$tsan_built" ] || { echo "== the fuzz tree did not build"; return 1; }
    run bash -c 'ls build-fuzz/fuzz/*_fuzz | xargs -P "$0" -I{} bash -c "fuzz_one {}"' "$JOBS"
  }
  pass "fuzz targets" fuzz_pass
fi

[ -z "$retried_tests" ] || printf '== %d test(s) retried:\n%s' "$(printf %s "$retried_tests" | grep -c .)" "$retried_tests"
if [ -n "$failed_passes" ]; then
  printf '== FAILED passes:\n%s' "$failed_passes"
  exit 1
fi
echo "== all passes passed"
