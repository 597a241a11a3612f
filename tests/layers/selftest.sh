#!/usr/bin/env bash
# The layer check against a copy of the sources: it passes on them as they are, and fails, naming
# the file, on each upward include planted into a copy.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../../src" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

bash "$here/check.sh" "$src"

plant() {   # plant FILE INCLUDE: the check must fail on a copy with INCLUDE added to FILE
  rm -rf "$tmp/src"
  cp -r "$src" "$tmp/src"
  printf '#include %s\n' "$2" >>"$tmp/src/$1"
  if out=$(bash "$here/check.sh" "$tmp/src"); then
    echo "not caught: $1 including $2"
    exit 1
  fi
  grep -qF "$1:" <<<"$out" || { echo "caught, but the file is not named: $out"; exit 1; }
  echo "caught: $(head -n 1 <<<"$out")"
}
# The table is the build's: a layer that the build lets see less is held to that.
rm -rf "$tmp/src"
cp -r "$src" "$tmp/src"
sed -i -E 's/^tarvo_layer\(toolkit SEES sys /tarvo_layer(toolkit /' "$tmp/src/CMakeLists.txt"
if out=$(bash "$here/check.sh" "$tmp/src"); then
  echo "not caught: toolkit including sys once the build's list no longer lets it"
  exit 1
fi
grep -qE '^toolkit/[^:]+:[0-9]+: toolkit includes sys/' <<<"$out" || { echo "caught, but not as toolkit on sys: $out"; exit 1; }
echo "caught: $(head -n 1 <<<"$out")"
plant sys/Fileiofun.cpp '"msg/Clwinmsgfile.h"'
plant msg/Winstrutil.cpp '"setup/Setuplist.h"'
plant setup/Setuplist.cpp '"toolkit/Application.h"'
plant product/Tarvolinkuninstall.cpp '"toolkit/Application.h"'
plant toolkit/Form.cpp '"msg/Msgids.h"'
plant sys/Handle.h '"../app/Frmuninstall.h"'
plant setup/Setupitem.cpp '<product/Tarvolinkuninstall.h>'
plant sys/Faultpoint.cpp '"removal/Selfremoval.h"'
plant removal/Pendingremoval.cpp '"msg/Msgids.h"'
plant msg/Winstrutil.cpp '"removal/Pendingremoval.h"'
echo "layer check: every planted upward include caught"
