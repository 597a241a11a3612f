# Sums a GNU ld map by input: bytes that each library (or each of the product's own objects)
# puts into sections with file content, largest first. Input sections dropped by --gc-sections
# are listed before the memory map and are skipped.
function hex(s,    i, n) {
  n = 0
  s = tolower(substr(s, 3))
  for (i = 1; i <= length(s); i++) n = n * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
  return n
}
function add(section, size, file,    key, m) {
  if (section ~ /^\.(bss|debug|tbss)/ || section ~ /^COMMON/ || size == 0) return
  key = file
  if (match(file, /\(([^)]*)\)$/)) {
    lib = substr(file, 1, RSTART - 1)
    sub(/.*\//, "", lib)
    member = substr(file, RSTART + 1, RLENGTH - 2)
    # The product's own archive by object; everything else by library.
    key = (lib ~ /^libtarvo/) ? "tarvo: " member : lib
  } else {
    sub(/.*\//, "", key)
  }
  sum[key] += size
  obj[file ~ /\)$/ ? lib "(" member ")" : key] += size
  total += size
}
function sorted(arr, keys,    n, i, j, k) {
  n = 0
  for (k in arr) keys[++n] = k
  for (i = 2; i <= n; i++) { k = keys[i]; for (j = i - 1; j >= 1 && arr[keys[j]] < arr[k]; j--) keys[j + 1] = keys[j]; keys[j + 1] = k }
  return n
}
/^Linker script and memory map/ { inmap = 1; next }
!inmap { next }
# " .text$x  0xADDR  0xSIZE  FILE" on one line, or the name alone and the rest on the next
/^ [^ *]/ {
  if (NF >= 4 && $2 ~ /^0x/ && $3 ~ /^0x/) { add($1, hex($3), $4); pending = ""; next }
  if (NF == 1) { pending = $1; next }
}
pending != "" && NF == 3 && $1 ~ /^0x/ && $2 ~ /^0x/ { add(pending, hex($2), $3); pending = ""; next }
{ pending = "" }
# TOP (default 12) lines by library, then the TOP largest single objects.
END {
  if (!TOP) TOP = 12
  n = sorted(sum, keys)
  for (i = 1; i <= n && i <= TOP; i++) printf "%8.1f KiB  %5.1f%%  %s\n", sum[keys[i]] / 1024, 100 * sum[keys[i]] / total, keys[i]
  for (k in sum) if (k ~ /^tarvo: / || k ~ /\.cpp\.obj$/) own += sum[k]
  printf "%8.1f KiB  the program's own objects together\n", own / 1024
  print "largest objects:"
  n = sorted(obj, okeys)
  for (i = 1; i <= n && i <= TOP; i++) printf "%8.1f KiB  %s\n", obj[okeys[i]] / 1024, okeys[i]
}
