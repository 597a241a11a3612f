#!/usr/bin/env bash
# check.sh SRC: every file under SRC/<layer>/ includes headers of its own layer and the layers
# below it only. Prints each include that reaches up, and fails when there is one.
set -euo pipefail
src=${1:?usage: check.sh SRC}

# The layers that each layer may include, its own first.
allowed() {
  case $1 in
    sys) echo "sys" ;;
    msg) echo "msg sys" ;;
    setup) echo "setup msg sys" ;;
    product) echo "product setup msg sys" ;;
    toolkit) echo "toolkit sys" ;;
    app) echo "app product setup msg toolkit sys res" ;;
    *) echo "" ;;
  esac
}
layers=" sys msg setup product toolkit app res "

bad=0
for dir in "$src"/*/; do
  layer=$(basename "$dir")
  [[ $layers == *" $layer "* ]] || continue
  ok=" $(allowed "$layer") "
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
  echo "layers: includes reach up (allowed: sys; msg on sys; setup on msg; product on setup; toolkit on sys; app on all)"
  exit 1
fi
echo "layers: every include of $src runs downward"
