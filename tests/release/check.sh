#!/usr/bin/env bash
# check.sh SOURCE WORK VERSION SHIPPED_EXE: scripts/release as a vendor runs it, in WORK.
# Two builds of SOURCE (one from a copy in another folder, under another umask, later) give the
# same bytes; a signature made with a throwaway certificate verifies, changes nothing but itself,
# and attached again to the second build gives the same signed release; a real release refuses to
# go without a time stamp. Leaves WORK/signed (the signed release) and WORK/keys for the
# end-to-end run of the signed program. OBJDUMP names the objdump, OSSLSIGNCODE the osslsigncode.
set -uo pipefail
src=$1 work=$2 version=$3 shipped=$4
oss=${OSSLSIGNCODE:-osslsigncode}
export OBJDUMP=${OBJDUMP:-i686-w64-mingw32-objdump}
name=Tarvolink-$version-win32
keys=$work/keys
mkdir -p "$work"
. "$src/scripts/lib.sh"   # signature_sound

failures=0
ok() { echo "ok   $*"; }
bad() { echo "FAIL $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then ok "$what"; else bad "$what"; fi; }

# release_from TREE LOG ARGS...: scripts/release of the sources in TREE with ARGS, its output in
# WORK/LOG.log; release LOG ARGS...: of SOURCE.
release_from() {
  local tree=$1 log=$work/$2.log
  shift 2
  "$tree/scripts/release" "$@" >"$log" 2>&1
  local rc=$?
  [ $rc -eq 0 ] || [ -n "${refusal:-}" ] || sed 's/^/  release: /' "$log" | tail -n 15
  return $rc
}
release() { release_from "$src" "$@"; }
# refused LOG TEXT ARGS...: that release fails, saying TEXT, and zips nothing.
refused() {
  local log=$1 text=$2
  shift 2
  refusal=1 release "$log" "$@" && return 1
  grep -q "$text" "$work/$log.log" && [ ! -e "$work/$log/$name.zip" ]
}
le32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }

# ---- keys: a throwaway code-signing certificate, its PKCS#12 file, a time stamp authority ----
rm -rf "$keys" && mkdir -p "$keys"
certificate() {   # certificate NAME SUBJECT USAGE
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "$2" -keyout "$keys/$1.key" -out "$keys/$1.pem" \
    -addext "extendedKeyUsage=critical,$3" -addext "keyUsage=critical,digitalSignature" >/dev/null 2>&1
}
certificate test "/CN=Tarvolink Test Signing/O=QORV" codeSigning
certificate tsa "/CN=Tarvolink Test Time Stamps" timeStamping
printf 'throwaway\n' >"$keys/password"
openssl pkcs12 -export -inkey "$keys/test.key" -in "$keys/test.pem" -out "$keys/test.p12" -passout "file:$keys/password"
test_key=(--pkcs12 "$keys/test.p12" --password-file "$keys/password" --ca "$keys/test.pem")

# released DIR: SHA256SUMS holds, and the zip holds the shipped folder, entries in name order.
released() {
  local d=$1 listed
  (cd "$d" && sha256sum --quiet -c SHA256SUMS) || return 1
  listed=$(unzip -Z1 "$d/$name.zip")
  [ "$listed" = "$(cd "$d" && LC_ALL=C ls -d "$name"/*)" ] || { echo "  zip entries: $listed"; return 1; }
  rm -rf "$work/unzipped" && mkdir "$work/unzipped" && unzip -q "$d/$name.zip" -d "$work/unzipped" &&
    diff -r "$d/$name" "$work/unzipped/$name" >/dev/null
}

# signed_as UNSIGNED SIGNED: SIGNED verifies against the test certificate by SHA-256; against
# UNSIGNED it differs in the PE checksum, the security directory and the appended signature
# alone (padded to 8 bytes with zeros), and removing the signature gives UNSIGNED back.
signed_as() {
  local u=$1 s=$2 pe size padded offset length outside
  rm -f "$work/verify.txt" "$work/removed.EXE"
  "$oss" verify -in "$s" -CAfile "$keys/test.pem" -TSA-CAfile "$keys/tsa.pem" >"$work/verify.txt" 2>&1 &&
    signature_sound "$work/verify.txt" ||
    { sed 's/^/  verify: /' "$work/verify.txt" | tail -n 8; return 1; }
  pe=$(le32 "$u" 60) size=$(stat -c %s "$u")
  padded=$(((size + 7) / 8 * 8))
  [ "$(od -An -tx2 -j $((pe + 24)) -N2 "$u" | tr -d ' ')" = 010b ] || { echo "  not a PE32 image"; return 1; }
  offset=$(le32 "$s" $((pe + 152))) length=$(le32 "$s" $((pe + 156)))
  [ "$(le32 "$u" $((pe + 152)))" = 0 ] && [ "$offset" = "$padded" ] && [ $((offset + length)) = "$(stat -c %s "$s")" ] ||
    { echo "  security directory $offset+$length in a file of $(stat -c %s "$s") bytes"; return 1; }
  outside=$(cmp -l "$u" "$s" 2>/dev/null | awk -v c=$((pe + 88)) -v d=$((pe + 152)) \
    '{ o = $1 - 1; if (!((o >= c && o < c + 4) || (o >= d && o < d + 8))) n++ } END { print n + 0 }')
  [ "$outside" = 0 ] && [ -z "$(tail -c +$((size + 1)) "$s" | head -c $((padded - size)) | tr -d '\0')" ] ||
    { echo "  $outside more bytes changed"; return 1; }
  "$oss" remove-signature -in "$s" -out "$work/removed.EXE" >/dev/null 2>&1 && cmp -s "$work/removed.EXE" "$u"
}

# ---- two unsigned builds ----
(umask 022 && release a --unsigned --build "$work/a" --out "$work/unsigned-a") || bad "the first build"
a=$work/unsigned-a/$name/Uninstall.EXE
epoch=$(sed -n 's/^epoch //p' "$work/a/i686/shipping.txt")
# The second from a copy of the sources elsewhere (their times kept), under umask 077, with the
# first one's time: a copy has no git to ask.
copy=$work/source-b
rm -rf "$copy" && mkdir -p "$copy"
tar -C "$src" --exclude='./build*' --exclude=./.git --exclude=./out -cf - . | tar -C "$copy" -xf -
(umask 077 && SOURCE_DATE_EPOCH=$epoch release_from "$copy" b --unsigned --build "$work/b" --out "$work/unsigned-b") \
  || bad "the second build"
check "the two builds' shipped folders, zips and checksums are the same bytes" \
  diff -r "$work/unsigned-a" "$work/unsigned-b"
for d in a b; do
  echo "  build $d: $(sha256sum "$work/unsigned-$d/$name/Uninstall.EXE" | cut -c1-64) Uninstall.EXE," \
    "$(sha256sum "$work/unsigned-$d/$name.zip" | cut -c1-64) $name.zip"
done
check "the file that the other tests drive is the one that ships" cmp -s "$a" "$shipped"
check "the unsigned release is whole" released "$work/unsigned-a"
stamp=$(le32 "$a" $(($(le32 "$a" 60) + 8)))
if git -C "$src" rev-parse --git-dir >/dev/null 2>&1; then
  check "the PE time stamp is the commit's time ($stamp)" [ "$stamp" = "$(git -C "$src" log -1 --format=%ct)" ]
else
  check "the PE time stamp is the build's SOURCE_DATE_EPOCH" [ "$stamp" = "$epoch" ]
fi

# The version the project sets, in the zip's name (above) and the version resource: its texts
# (UTF-16: with the zero bytes dropped, key and value meet) and its numbers.
resource_version() {
  local at
  at=$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$1" | head -n 1 | cut -d: -f1)
  [ -n "$at" ] && od -An -tu2 -j $((at + 8)) -N8 "$1" | awk '{ print $2 "." $1 "." $4 "." $3 }'
}
check "the version resource says $version" [ "$(resource_version "$a")" = "$version" ]
check "the version resource's texts say $version" \
  [ "$(tr -d '\0' <"$a" | LC_ALL=C grep -a -o -e "FileVersion$version" -e "ProductVersion$version" | sort -u | wc -l)" = 2 ]

# ---- signed with the throwaway key, no time stamp: only as a test signature ----
check "a release without a time stamp is refused, and nothing is zipped" \
  refused refused "needs an RFC 3161 time stamp" "${test_key[@]}" --build "$work/a" --out "$work/refused"
release signed "${test_key[@]}" --test-signature --build "$work/a" --out "$work/signed" || bad "the test-signed release"
s=$work/signed/$name/Uninstall.EXE
check "the signed exe verifies and changed only in its signature, security directory and PE checksum" signed_as "$a" "$s"
check "the unsigned image's imports are those Windows 95 and NT 4.0 load" \
  bash "$src/tests/imports/check.sh" "$src/tests/imports/allowed.txt" "$work/removed.EXE"
echo "  unsigned $(stat -c %s "$a") bytes, signed $(stat -c %s "$s") bytes," \
  "signature $(stat -c %s "$work/signed/Uninstall.EXE.signature.pem") bytes"
check "the signed release is whole" released "$work/signed"
check "the signed release has the unsigned one's catalogues" \
  diff -r -x Uninstall.EXE "$work/signed/$name" "$work/unsigned-a/$name"

# ---- the second build with the kept signature ----
(umask 077 && SOURCE_DATE_EPOCH=$epoch release_from "$copy" kept --signature "$work/signed/Uninstall.EXE.signature.pem" \
   --ca "$keys/test.pem" --test-signature --build "$work/b" --out "$work/kept") || bad "attaching the kept signature"
check "the rebuild with the kept signature is the signed release, byte for byte" diff -r "$work/signed" "$work/kept"

# ---- the key in a token (SoftHSM through PKCS#11) ----
module=/usr/lib/softhsm/libsofthsm2.so
if command -v softhsm2-util >/dev/null && [ -f "$module" ]; then
  mkdir -p "$keys/tokens"
  printf 'directories.tokendir = %s\nobjectstore.backend = file\nlog.level = ERROR\n' "$keys/tokens" >"$keys/softhsm2.conf"
  export SOFTHSM2_CONF=$keys/softhsm2.conf
  printf '1234\n' >"$keys/pin"
  softhsm2-util --init-token --free --label tarvo --so-pin 4321 --pin 1234 >/dev/null &&
    openssl pkcs8 -topk8 -nocrypt -in "$keys/test.key" -out "$keys/test.p8" &&
    softhsm2-util --import "$keys/test.p8" --token tarvo --label signing --id 01 --pin 1234 >/dev/null ||
    bad "a token with the test key"
  release pkcs11 --pkcs11-module "$module" --key "pkcs11:token=tarvo;object=signing;type=private" \
    --cert "$keys/test.pem" --password-file "$keys/pin" --ca "$keys/test.pem" --test-signature \
    --build "$work/a" --out "$work/pkcs11" || bad "signing with the key in a token"
  check "signed with the key in a token" signed_as "$a" "$work/pkcs11/$name/Uninstall.EXE"
else
  echo "skip the key in a token: no SoftHSM (Debian: softhsm2)"
fi

# ---- a vendor's signing command, and the time stamp that a release needs ----
oss_help=$("$oss" --help 2>&1)
if [[ $oss_help == *-TSA-certs* ]]; then
  for kind in with without; do
    tsa=()
    [ $kind = with ] && tsa=(-TSA-certs "$keys/tsa.pem" -TSA-key "$keys/tsa.key")
    printf '#!/bin/sh\n%s sign -pkcs12 %s -readpass %s -h sha256 %s -in "$1" -out "$1.signed" >/dev/null && mv "$1.signed" "$1"\n' \
      "$oss" "$keys/test.p12" "$keys/password" "${tsa[*]}" >"$keys/sign-$kind.sh"
  done
  release stamped --sign-command "sh $keys/sign-with.sh" --ca "$keys/test.pem" --tsa-ca "$keys/tsa.pem" \
    --build "$work/a" --out "$work/stamped" || bad "a release through the vendor's command, with a time stamp"
  check "the vendor's signature with its time stamp verifies" signed_as "$a" "$work/stamped/$name/Uninstall.EXE"
  check "the vendor's signature without a time stamp is refused" refused unstamped "has no RFC 3161 time stamp" \
    --sign-command "sh $keys/sign-without.sh" --ca "$keys/test.pem" --build "$work/a" --out "$work/unstamped"
else
  echo "skip the time-stamped signature: ${oss_help%%,*} has no time stamp authority of its own"
fi

[ $failures -eq 0 ] || { echo "release: $failures checks failed"; exit 1; }
