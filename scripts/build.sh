#!/usr/bin/env bash
# Configures and builds one of Tolvane's build trees under build/:
#   native  g++, the programs, tests and benchmarks
#   asan    g++ with AddressSanitizer and UndefinedBehaviorSanitizer, tests
#   win     mingw-w64 cross build: tolvane.exe, tools and the core tests (.exe)
#   fuzz    clang with libFuzzer: the fuzz targets
# Every tree treats warnings as errors, as CI wants; a plain CMake build does not.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:?usage: build.sh native|asan|win|fuzz}
dir="$here/build/$kind"
case "$kind" in
  native) args=(-DTOLVANE_BENCH=ON) ;;
  asan)   args=(-DTOLVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug) ;;
  win)    args=(-DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake") ;;
  fuzz)   args=(-DTOLVANE_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  *) echo "build.sh: unknown build '$kind'" >&2; exit 64 ;;
esac
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$here" -B "$dir" -G Ninja -DTOLVANE_WERROR=ON "${args[@]}" >/dev/null
fi
cmake --build "$dir"
