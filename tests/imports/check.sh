#!/usr/bin/env bash
# check.sh ALLOWED EXE            checks the import table of EXE (read with objdump)
# check.sh ALLOWED --list FILE    checks a list of "DLL FUNCTION" lines ("DLL #N": by ordinal)
# Fails, naming each, on an import from a DLL that ALLOWED has no group for and on a function that
# its DLL's group does not list; for an EXE also on an OS or subsystem version in its header other
# than 4.0, which Windows 95 and NT 4.0 refuse to start. OBJDUMP names the objdump to use.
set -euo pipefail
allowed=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

# The import table of `objdump -p` output as "DLL FUNCTION" lines. objdump prints each DLL's
# imports under its name, "<none>" for the name of an import by ordinal.
imports_of() {
  awk '
    /^\tDLL Name: / { dll = $3; inlist = 0; next }
    dll != "" && /Hint\/Ord/ { inlist = 1; next }
    inlist && NF == 0 { dll = ""; inlist = 0; next }
    inlist && $3 == "<none>" { print dll, "#" $2; next }
    inlist && NF >= 3 { print dll, $3 }'
}

headers_ok=1
if [ "$2" = --list ]; then
  list=$(cat "$3")
else
  [ -f "$2" ] || { echo "imports: no $2"; exit 1; }
  dump=$("$objdump" -p "$2")
  for field in MajorOSystemVersion MinorOSystemVersion MajorSubsystemVersion MinorSubsystemVersion; do
    want=4; [ "${field#Minor}" != "$field" ] && want=0
    got=$(awk -v f="$field" '$1 == f {print $2}' <<<"$dump")
    [ "$got" = "$want" ] || { echo "imports: $field is ${got:-missing}, not $want"; headers_ok=0; }
  done
  list=$(imports_of <<<"$dump")
fi
[ -n "$list" ] || { echo "imports: no import table read from $2"; exit 1; }

awk '
  FNR == NR {   # the allowed list
    sub(/#.*/, ""); gsub(/[ \t\r]/, "")
    if ($0 == "") next
    if ($0 ~ /^\[.*\]$/) { dll = tolower(substr($0, 2, length($0) - 2)); dlls[dll] = 1; next }
    ok[dll SUBSEP $0] = 1
    next
  }
  {
    d = tolower($1); n++
    if (d == "kernel32.dll") kernel = 1
    if (!(d in dlls)) { bad[d] = bad[d] " " $2; next }
    if (!((d SUBSEP $2) in ok)) { print "imports: " $2 " from " $1 " is not on the list"; fails++ }
  }
  END {
    # Every Win32 exe imports kernel32: without it the table was not read right.
    if (!kernel) { print "imports: no kernel32.dll import read"; exit 1 }
    for (d in bad) { print "imports: " d " is not a DLL that every target Windows has:" bad[d]; fails++ }
    if (fails) { print "imports: " fails " of " n " imports are not allowed"; exit 1 }
    print "imports: all " n " imports allowed"
  }' "$allowed" - <<<"$list" && [ "$headers_ok" = 1 ]
