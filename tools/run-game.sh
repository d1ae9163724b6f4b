#!/usr/bin/env bash
# Installs what is needed, builds everything and starts the game.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
bash tools/build.sh
if [ -x build/corvana2demo ]; then prog=build/corvana2demo
elif [ -x build/plim-demo ]; then prog=build/plim-demo
else echo "No program has been built yet."; exit 1; fi
if [ -z "${DISPLAY:-}" ]; then
  echo "No display found (DISPLAY is not set). The game needs a window; to run it"
  echo "without a screen, start it under a virtual display:"
  echo "  xvfb-run -a -s '-screen 0 1024x768x24' $prog"
  exit 1
fi
exec "$prog" "$@"
