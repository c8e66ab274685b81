#!/usr/bin/env bash
# Runs one Windows program, normally the GUI test program, under Wine on a
# screen of its own: a private Xvfb display (1280x1024x24) carrying a Wine
# virtual desktop of the same size, so that windows get frames and title bars
# and every program the test starts lands in the same desktop. The program's
# exit code comes back through the file named by TOLVANE_EXIT_FILE (the
# desktop's launcher does not pass it on); a run longer than
# TOLVANE_GUI_TIMEOUT seconds (default 300) is stopped. Whatever happens, the
# Wine server of the prefix and the display are ended before this returns.
#   usage: gui-run.sh EXE [ARGS...]
# WINEPREFIX picks the prefix (default build/win/wineprefix-gui); the end of a
# run kills its Wine server, so it must not be shared with other Wine runs.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
exe=${1:?usage: gui-run.sh EXE [ARGS...]}
shift
export WINEPREFIX=${WINEPREFIX:-$here/build/win/wineprefix-gui}
# Wine's error lines stay on: they are few, and the only word on a program
# that dies while Wine starts it (CreateProcessW's error 1359).
export WINEDEBUG=${WINEDEBUG:-fixme-all}
limit=${TOLVANE_GUI_TIMEOUT:-300}

mkdir -p "$(dirname "$WINEPREFIX")"
# One run per prefix at a time: a second one waits for the first.
exec {lock}>"$WINEPREFIX.lock"
flock -w "$limit" "$lock" || { echo "gui-run: $WINEPREFIX stays busy" >&2; exit 75; }

work=$(mktemp -d)
xvfb_pid=""
run_pid=""
cleanup() {
  if [ -n "$run_pid" ]; then kill "$run_pid" 2>/dev/null || true; fi
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  if [ -s "$work/wineserver.log" ]; then
    echo "gui-run: the Wine server wrote:" >&2
    cat "$work/wineserver.log" >&2
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# Programs started from here do not inherit the lock: a straggler holding it
# would keep the next run waiting.
"$here/scripts/wine-prefix.sh" "$WINEPREFIX" {lock}>&-

# Xvfb chooses a free display number and writes it once it takes clients.
coproc XVFB { exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>"$work/xvfb.log" {lock}>&-; }
xvfb_pid=$XVFB_PID
display=""
read -r -t 15 -u "${XVFB[0]}" display || true
if [ -z "$display" ]; then
  echo "gui-run: Xvfb did not start" >&2
  cat "$work/xvfb.log" >&2
  exit 70
fi
export DISPLAY=":$display"

# A fresh server for this run (nothing of a former one left), kept up until
# the end so that the programs start quickly; away from our output, which a
# test runner may be waiting on. What it says (a protocol error that ends a
# process) is shown at the end.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
wineserver -p </dev/null >"$work/wineserver.log" 2>&1 {lock}>&-

# Windows-side paths: Wine's drive Z: is the Unix root.
winpath() { local p=$1; echo "Z:${p//\//\\}"; }
export TOLVANE_EXIT_FILE
TOLVANE_EXIT_FILE=$(winpath "$work/exit-code")
# Screenshots stay inside the build tree, wherever the run was started from.
TOLVANE_SCREENSHOT_DIR=${TOLVANE_SCREENSHOT_DIR:-$here/build/win/screenshots}
mkdir -p "$TOLVANE_SCREENSHOT_DIR"
TOLVANE_SCREENSHOT_DIR=$(winpath "$(cd "$TOLVANE_SCREENSHOT_DIR" && pwd)")
export TOLVANE_SCREENSHOT_DIR

# A desktop name that no earlier explorer may still hold.
desktop="tolvane-gui-$$-$RANDOM"
# In the background, so that a signal to this script is handled at once
# (wait returns for it) instead of after the run.
timeout -k 5 "$limit" wine explorer "/desktop=$desktop,1280x1024" "$exe" "$@" </dev/null {lock}>&- &
run_pid=$!
status=0
wait "$run_pid" || status=$?
run_pid=""
if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
  echo "gui-run: $exe did not end within $limit s" >&2
  exit 124
fi
if [ ! -s "$work/exit-code" ]; then
  echo "gui-run: $exe ended without leaving its exit code in TOLVANE_EXIT_FILE" >&2
  exit 70
fi
exit "$(tr -dc '0-9-' <"$work/exit-code")"
