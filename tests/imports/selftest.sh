#!/usr/bin/env bash
# The import check itself, on planted import lists: what creeps in is named, what is allowed passes.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "selftest: $*"; exit 1; }
check() { bash "$here/check.sh" "$here/allowed.txt" --list "$1"; }

out=$(check "$here/planted.txt") && fail "planted list passed"
echo "$out"
for name in GetTickCount64 AddVectoredExceptionHandler IsDebuggerPresent TrackMouseEvent '#2005' \
            _aligned_malloc closehandle 'libwinpthread-1.dll is not.*pthread_mutex_lock' 'shell32.dll is not'; do
  grep -q -- "$name" <<<"$out" || fail "not named: $name"
done
# Function names are matched whole and with their case, DLL names in any case.
grep -qE ' (CloseHandle|GetTickCount) ' <<<"$out" && fail "an allowed import was named"
grep -q "9 of 11 imports" <<<"$out" || fail "wrong count"

printf 'KERNEL32.dll CloseHandle\nuser32.dll DrawEdge\nMSVCRT.DLL malloc\n' >"$tmp/ok"
out=$(check "$tmp/ok") || fail "allowed list failed: $out"
printf 'USER32.dll DrawEdge\n' >"$tmp/nokernel"
check "$tmp/nokernel" >/dev/null && fail "a table without kernel32 passed (nothing read?)"
: >"$tmp/empty"
check "$tmp/empty" >/dev/null && fail "an empty table passed"
# An exe's table as objdump prints it, and its header: a stand-in objdump prints a planted one.
printf '#!/bin/sh\ncat "%s"\n' "$here/planted.dump" >"$tmp/objdump"
chmod +x "$tmp/objdump"
: >"$tmp/planted.exe"
out=$(OBJDUMP=$tmp/objdump bash "$here/check.sh" "$here/allowed.txt" "$tmp/planted.exe") &&
  fail "planted exe passed"
echo "$out"
for name in 'GetTickCount64 from KERNEL32' '#18 from USER32' 'MajorSubsystemVersion is 6' '2 of 4 imports'; do
  grep -q -- "$name" <<<"$out" || fail "not named: $name"
done
grep -qE 'CloseHandle|DrawEdge|OSystemVersion' <<<"$out" && fail "something right was named"
echo "selftest: ok"
