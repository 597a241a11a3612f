#!/usr/bin/env bash
# check.sh SRC: every file under SRC/<layer>/ includes headers of its own layer and the layers
# below it only. The layers, and which each may see, are the build's own: the tarvo_layer lines of
# SRC/CMakeLists.txt (a layer and its SEES); the app sees every layer and the resources. Prints each
# include that reaches up, and fails when there is one.
set -euo pipefail
src=${1:?usage: check.sh SRC}

# The layers that each layer may include, its own first.
declare -A allowed
layers=" "
summary=""
while read -r line; do
  read -ra words <<<"${line//[()]/ }"   # tarvo_layer NAME [SEES ...] [LINKS ...]
  layer=${words[1]} seen=${words[1]} part="" others=""
  for w in "${words[@]:2}"; do
    case $w in
      SEES | LINKS) part=$w ;;
      *) [ "$part" = SEES ] && seen+=" $w" ;;
    esac
  done
  allowed[$layer]=$seen
  layers+="$layer "
  others=${seen#"$layer"}
  summary+="${summary:+; }$layer${others:+ on$others}"
done < <(grep -E '^[[:space:]]*tarvo_layer\(' "$src/CMakeLists.txt" || true)
if [ ${#allowed[@]} -eq 0 ]; then
  echo "layers: no tarvo_layer line in $src/CMakeLists.txt"
  exit 1
fi
allowed[app]="app$layers""res"
allowed[res]=""
layers+="app res "

bad=0
for dir in "$src"/*/; do
  layer=$(basename "$dir")
  [[ $layers == *" $layer "* ]] || continue
  ok=" ${allowed[$layer]} "
  while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    line=${rest%%:*}
    target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]([^">]*)[">].*/\1/' <<<"${rest#*:}")
    target=${target#./}
    while [[ $target == ../* ]]; do target=${target#../}; done
    top=${target%%/*}
    [ "$top" = "$target" ] && continue   # a system header or one beside the file
    [[ $layers == *" $top "* ]] || continue
    if [[ $ok != *" $top "* ]]; then
      echo "${file#"$src"/}:$line: $layer includes $target, a header of $top, which $layer may not use"
      bad=1
    fi
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' "$dir" --include='*.h' --include='*.cpp' --include='*.c' --include='*.rc' || true)
done
if [ "$bad" -ne 0 ]; then
  echo "layers: includes reach up (allowed: $summary; app on all)"
  exit 1
fi
echo "layers: every include of $src runs downward"
