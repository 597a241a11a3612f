#!/bin/sh
# links.sh DIR: a product folder whose names lead elsewhere, made on the host (Wine shows a host
# symbolic link as its links, and cannot make one itself). Never points at anything but DIR.
set -e
d=$1
rm -rf "$d"
mkdir -p "$d/target" "$d/product/real"
for n in keep.dll other.dll held.dll far.dll ro.dll; do printf 'keep %s' "$n" >"$d/target/$n"; done
echo ours >"$d/product/real/ours.dll"
ln -s ../target "$d/product/pics"
ln -s target "$d/linkdir"
ln -s ../target/other.dll "$d/product/file.dll"
ln -s ../target/held.dll "$d/product/held.dll"
# A target path longer than 520 characters: longer than the program's own path buffers.
long=$d/target
for i in 1 2 3 4 5 6; do long=$long/$(printf '%0100d' "$i"); done
mkdir -p "$long"
printf 'keep far.dll' >"$long/far.dll"
ln -s "$long" "$d/product/far"
ln -s "$long/far.dll" "$d/product/far.dll"
# A second name of someone else's read-only file.
chmod a-w "$d/target/ro.dll"
ln "$d/target/ro.dll" "$d/product/hard.dll"
