#!/usr/bin/env bash
# Installs what building and testing Tolvane needs on Debian 12, and only what
# is missing: compilers (native g++, clang for the fuzzers, mingw-w64 for the
# Windows build), wine to run the Windows build, for the GUI tests Xvfb, Wine's
# own fonts (Tahoma for dialogs, Marlett for the frame buttons and check marks)
# and a monospace font with the Hungarian letters, GoogleTest and Google Benchmark,
# Node.js with the Snap7 server package used as an independent test peer, and
# tshark with text2pcap, which check what the library puts on the wire.
# Safe to run again; it changes nothing when all is there.
#   setup.sh        everything the tests need
#   setup.sh main   only what the main job (scripts/demo.sh) needs: the two
#                   compilers, wine with its fonts, and for a run without a
#                   display Xvfb, xdotool to type and ImageMagick for screenshots
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
profile=${1:-all}

packages=(
  g++ cmake ninja-build python3
  g++-mingw-w64-x86-64 wine wine64
  xvfb xdotool fonts-liberation2 fonts-wine imagemagick
)
if [ "$profile" != main ]; then
  packages+=(pkg-config clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev tshark)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ "$profile" != main ]; then
  command -v node >/dev/null 2>&1 || missing+=(nodejs)
  command -v npm >/dev/null 2>&1 || missing+=(npm)
  if command -v node >/dev/null 2>&1 && [ ! -f /usr/include/node/node.h ]; then
    missing+=(libnode-dev)
  fi
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  # tshark would otherwise ask whether non-root users may capture.
  echo "wireshark-common wireshark-common/install-setuid boolean false" | $sudo debconf-set-selections
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

[ "$profile" = main ] && exit 0
# The Snap7 server for the interop tests (a native addon, built from source
# against the installed Node.js headers).
if [ ! -f "$here/tests/interop/node_modules/node-snap7/build/Release/node_snap7.node" ]; then
  echo "setup: installing the Snap7 test peer (npm)"
  (cd "$here/tests/interop" && npm install --no-audit --no-fund --foreground-scripts >/dev/null)
fi
