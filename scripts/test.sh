#!/usr/bin/env bash
# The whole test run, as CI does it: installs what is missing, builds every
# tree, and runs every test tier: unit, integration (against the bundled PLC
# simulator) and interop (against the Snap7 server) natively; the same again
# under the sanitizers; the core tests of the Windows build under Wine; and
# each fuzz target for a bounded time plus a replay of its corpus.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
fuzz_seconds=${TOLVANE_FUZZ_SECONDS:-20}

scripts/setup.sh
for kind in native asan win fuzz; do
  echo "== build $kind"
  scripts/build.sh "$kind"
done
scripts/wine-prefix.sh "$here/build/win/wineprefix"

status=0
run() { echo "== $*"; "$@" || status=1; }
run ctest --test-dir build/native --output-on-failure -j2
run ctest --test-dir build/asan --output-on-failure -j2
run ctest --test-dir build/win --output-on-failure -j2
if [ -x scripts/fuzz.sh ]; then
  run scripts/fuzz.sh build/fuzz "$fuzz_seconds"
fi
if [ $status -ne 0 ]; then
  echo "== some tests FAILED"
  exit 1
fi
echo "== all tests passed"
