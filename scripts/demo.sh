#!/usr/bin/env bash
# Tolvane's main job for now: installs what is missing, builds, starts the
# bundled PLC simulator on 127.0.0.2:102 and runs tolvane-cli against it: the
# demo table of examples/demo.vat is loaded (interface and connection come
# from it), the CPU state and clock are asked, a value is written, and the
# table is read and monitored for a few cycles. (Port 102 needs root or
# CAP_NET_BIND_SERVICE.)
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
cli=build/native/cli/tolvane-cli
if [ "$address" = 127.0.0.2 ]; then
  "$cli" --plc "$address" --name "Demo PLC" write "DB1.DBW0:3 (Int)=1500,-20,7" "MD4:1 (Real)=21.5"
  "$cli" --vat examples/demo.vat state clock read monitor --interval 500 --count 3
else
  "$cli" --plc "$address" state clock
fi
