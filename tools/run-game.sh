#!/usr/bin/env bash
# Installs what the game needs, builds the game and its data archive (no tests
# or benchmarks) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh --game
bash tools/build.sh --game
prog=build/corvana2demo
[ -x "$prog" ] || { echo "The game has not been built."; exit 1; }
if [ -z "${DISPLAY:-}" ]; then
  echo "No display found (DISPLAY is not set). The game needs a window; to run it"
  echo "without a screen, start it under a virtual display:"
  printf "  xvfb-run -a -s '-screen 0 1024x768x24' %q\n" "$PWD/$prog"
  exit 1
fi
exec "$prog" "$@"
