#!/usr/bin/env bash
# Installs the Debian packages the build needs (only the missing ones): with
# --game only what the game and its data need, else also what the tests,
# benchmarks and fuzz targets need.
set -euo pipefail
GAME_PACKAGES="cmake g++ make pkg-config libsdl1.2-dev libx11-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
libvorbis-dev libogg-dev libjpeg62-turbo-dev zlib1g-dev python3 vorbis-tools
python3-numpy python3-scipy python3-pil python3-cairo fonts-dejavu-core fonts-dejavu-extra"
TEST_PACKAGES="libgtest-dev libbenchmark-dev libenet-dev xvfb xauth xdotool clang libclang-rt-14-dev lld xxd
libsdl-mixer1.2-dev strace"
PACKAGES="$GAME_PACKAGES"
[ "${1:-}" = "--game" ] || PACKAGES="$PACKAGES $TEST_PACKAGES"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
fi
