#!/usr/bin/env bash
# Uses Tolvane from another CMake project both ways one can: installs the
# libraries of build/native into build/consumer/prefix and builds
# examples/consumer against them (find_package), then builds it with this
# tree as its subdirectory; runs both programs (no PLC needed).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
native="$here/build/native"
out="$here/build/consumer"
[ -f "$native/build.ninja" ] || "$here/scripts/build.sh" native
# Only what the install copies has to be current.
cmake --build "$native" -j2 --target tolvane-package >/dev/null

rm -rf "$out/prefix"
cmake --install "$native" --prefix "$out/prefix" >/dev/null

build() {  # variant, then the configure arguments
  local dir="$out/$1"; shift
  echo "-- consumer ($(basename "$dir")): $*"
  cmake -S "$here/examples/consumer" -B "$dir" -G Ninja "$@" >"$out/$(basename "$dir").log" 2>&1 ||
    { cat "$out/$(basename "$dir").log"; return 1; }
  cmake --build "$dir" -j2 >>"$out/$(basename "$dir").log" 2>&1 ||
    { tail -40 "$out/$(basename "$dir").log"; return 1; }
  "$dir/tolvane-consumer"
}
mkdir -p "$out"
build installed -DCMAKE_PREFIX_PATH="$out/prefix"
build subdirectory -DTOLVANE_TREE="$here"
echo "-- consumer: both builds ran"
