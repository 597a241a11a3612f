# Helpers of bench/run, kept apart so that bench/selftest can check them.

note() { echo "bench: $*" >&2; }

# The median of the numbers on standard input, one decimal.
median() { sort -g | awk '{v[NR]=$1} END {if (NR==0) print "nan"; else printf "%.1f\n", (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }

# describe: "MEDIAN FASTEST IQR" of the numbers on standard input, one decimal each; the quartiles
# interpolate between neighbours, so that the median agrees with `median`.
describe() {
  sort -g | awk 'function q(p,  h, i) { h = (NR - 1) * p + 1; i = int(h); return v[i] + (h - i) * (v[i + 1] - v[i]) }
    { v[NR] = $1 }
    END { if (NR == 0) { print "nan nan nan"; exit } v[NR + 1] = v[NR]
          printf "%.1f %.1f %.1f\n", q(0.5), v[1], q(0.75) - q(0.25) }'
}

# figure NAME VALUE UNIT REF_VALUE REF_NAME GOAL_TEXT VERDICT [NOTE]; "-" for no goal.
figure() {
  local ratio=- goal=""
  if [ "$4" != - ] && awk "BEGIN{exit !($4 > 0)}"; then ratio=$(awk "BEGIN{printf \"%.2f\", $2/$4}"); fi
  [ "$6" != - ] && goal="goal $6 $7"
  printf '%-22s %9s %-3s  ref %9s %-3s %-21s ratio %5s  %-20s%s\n' \
    "$1" "$2" "$3" "$4" "$3" "($5)" "$ratio" "$goal" "${8:+  $8}"
}

# verdict VALUE LIMIT: ok when VALUE <= LIMIT.
verdict() { awk "BEGIN{exit !($1 <= $2)}" && echo ok || echo MISSED; }

# The value of KEY in a line of key=value pairs (values without spaces).
field() { tr ' ' '\n' <<<"$1" | sed -n "s/^$2=//p" | head -n 1; }

objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
# Bytes of the file that the .rsrc section takes: its size rounded up to the file alignment.
rsrc_bytes() {
  local hex
  hex=$("$objdump" -h "$1" | awk '$2==".rsrc" {print $3}')
  if [ -n "$hex" ]; then echo $(( (0x$hex + 511) / 512 * 512 )); else echo 0; fi
}
# The DLLs an exe imports, lower case, sorted, on one line.
imports() { "$objdump" -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ' | sed 's/ $//'; }

# The system's own DLLs: what every Windows from 95 on has in its system folder.
system_dlls=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll shfolder.dll ole32.dll oleaut32.dll comctl32.dll comdlg32.dll rasapi32.dll msvcrt.dll version.dll shlwapi.dll winmm.dll "
# The names among the arguments that are not system DLLs.
foreign_dlls() {
  local d out=""
  for d in "$@"; do
    case "$system_dlls" in *" $d "*) ;; *) out="$out $d" ;; esac
  done
  echo "${out# }"
}
