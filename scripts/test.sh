#!/usr/bin/env bash
# The whole test run, as CI does it: installs what is missing, builds every
# tree, and runs every test tier: unit, integration (against the bundled PLC
# simulator) and interop (against the Snap7 server) natively; a program that
# uses the libraries installed and as a subdirectory; the same tests again
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
# The libraries as another CMake project uses them: installed, and as a subdirectory.
run scripts/consumer.sh
run ctest --test-dir build/asan --output-on-failure -j2
# One wine server for all Windows runs: each program then starts in a blink.
# Its helper processes are started here, with nothing of ours open: started
# by a test, they would inherit its output pipe and keep ctest waiting.
export WINEPREFIX="$here/build/win/wineprefix" WINEDEBUG=-all
wineserver -p 2>/dev/null || true  # fails only when one already serves this prefix
wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
run ctest --test-dir build/win --output-on-failure -j2
echo "== tolvane-cli.exe under wine"
TOLVANE_CLI="wine $here/build/win/cli/tolvane-cli.exe" TOLVANE_SCP_DIR="$here/build/win/scp" \
  build/native/tests/tolvane-cli-tests --gtest_color=no \
  > build/win/cli-tests.log 2>&1 || { tail -60 build/win/cli-tests.log; status=1; }
tail -1 build/win/cli-tests.log
wineserver -k || true
if [ -x scripts/fuzz.sh ]; then
  run scripts/fuzz.sh build/fuzz "$fuzz_seconds"
fi
if [ $status -ne 0 ]; then
  echo "== some tests FAILED"
  exit 1
fi
echo "== all tests passed"
