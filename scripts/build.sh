#!/usr/bin/env bash
# Configures and builds one of Tolvane's build trees under build/:
#   native  g++, the programs, tests and benchmarks
#   asan    g++ with AddressSanitizer and UndefinedBehaviorSanitizer, tests
#   win     mingw-w64 cross build: tolvane.exe, tools and the core tests (.exe)
#   fuzz    clang with libFuzzer: the fuzz targets
#   app-native, app-win  the programs only (the main job), no tests
# Targets after the kind build only those.
# Every tree treats warnings as errors, as CI wants; a plain CMake build does not.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:?usage: build.sh native|asan|win|fuzz|app-native|app-win [TARGET...]}
shift
dir="$here/build/$kind"
toolchain=-DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake"
case "$kind" in
  native) args=(-DTOLVANE_BENCH=ON) ;;
  asan)   args=(-DTOLVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug) ;;
  win)    args=("$toolchain") ;;
  fuzz)   args=(-DTOLVANE_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  # The programs alone, for the main job: no test framework needed.
  app-native) args=(-DTOLVANE_TESTS=OFF) ;;
  app-win)    args=(-DTOLVANE_TESTS=OFF "$toolchain") ;;
  *) echo "build.sh: unknown build '$kind'" >&2; exit 64 ;;
esac
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$here" -B "$dir" -G Ninja -DTOLVANE_WERROR=ON "${args[@]}" >/dev/null
fi
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$dir" "${targets[@]}"
