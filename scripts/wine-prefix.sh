#!/usr/bin/env bash
# Makes the Wine prefix the Windows tests run in (once per build tree: the
# first start of a prefix takes a while).
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh DIR}
if [ ! -f "$prefix/system.reg" ]; then
  WINEPREFIX="$prefix" WINEDEBUG=-all wineboot -i >/dev/null 2>&1
  WINEPREFIX="$prefix" WINEDEBUG=-all wineserver -w
fi
