#!/usr/bin/env bash
# scales.sh WINENV EXE PREFIX DPI...: runs the window's test exe once at each display scale, in a
# Wine prefix of its own: LogPixels is the prefix's, read by every program that starts after it
# is set, so the other tests, running beside this one in theirs, keep 96 DPI.
set -euo pipefail
winenv=$1 exe=$2 prefix=$3
shift 3
"$winenv" --prepare "$prefix"
export WINEPREFIX=$prefix
wineserver -p60 </dev/null >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true' EXIT
failed=()
for dpi in "$@"; do
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f </dev/null >/dev/null 2>&1
  echo "--- $dpi DPI"
  TARVO_DPI=$dpi wine "$exe" </dev/null 2>&1 | tr -d "\r" || failed+=("$dpi")
done
[ ${#failed[@]} -eq 0 ] || { echo "failed at: ${failed[*]} DPI"; exit 1; }
