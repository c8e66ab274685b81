#!/usr/bin/env bash
# Tolvane's main job for now: installs what is missing, builds, starts the
# bundled PLC simulator on 127.0.0.2:102 and runs the library demonstration
# against it. (Port 102 needs root or CAP_NET_BIND_SERVICE.)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
scripts/setup.sh
scripts/build.sh native >/dev/null
address=${1:-127.0.0.2}
build/native/tools/plcsim/tolvane-plcsim --address "$address" --seconds 60 &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null || true' EXIT
sleep 0.5
build/native/tools/demo/tolvane-demo "$address"
