#!/usr/bin/env bash
# Makes the Wine prefix the Windows tests run in (once per build tree: the
# first start of a prefix takes a while), and settles what windows show there:
# Wine's own fonts are in it (Tahoma for dialogs, Marlett for frame buttons
# and check marks), "Courier New", which Wine lacks, is drawn with Liberation
# Mono (the same metrics, and the Hungarian letters), and a crashing program
# ends without a crash dialog that would wait for a click.
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh DIR}
export WINEPREFIX="$prefix" WINEDEBUG=-all
if [ ! -f "$prefix/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
# This Wine looks for its own TrueType fonts (package fonts-wine) in the
# prefix's Fonts directory only, where wineboot does not put them.
fonts="$prefix/drive_c/windows/Fonts"
mkdir -p "$fonts"
for font in /usr/share/wine/fonts/*.ttf; do
  if [ -e "$font" ] && [ ! -e "$fonts/${font##*/}" ]; then ln -s "$font" "$fonts/"; fi
done
if ! grep -q '"Courier New"="Liberation Mono"' "$prefix/user.reg" 2>/dev/null; then
  settings=$(mktemp --suffix=.reg)
  trap 'rm -f "$settings"' EXIT
  printf '%s\r\n' 'REGEDIT4' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' '"Courier New"="Liberation Mono"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' '' >"$settings"
  wine regedit /S "$(winepath -w "$settings")" </dev/null >/dev/null 2>&1
  wineserver -w
fi
