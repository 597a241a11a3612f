# The release as users get it: its signed Uninstall.EXE (made by tests/release) removes the product.

scenario_signed_release() {
  # A silent run of the signed program, as deployment tools start it: exit 0, the product gone,
  # the copy that removes the program afterwards is the signed file, the log names the version.
  need_uninstaller; begin
  local signed
  signed=$(ls "$E2E_RELEASE"/signed/*/Uninstall.EXE 2>/dev/null | head -n 1)
  [ -f "$signed" ] || { bad "no signed Uninstall.EXE in $E2E_RELEASE/signed"; exit 1; }
  if [ "${TARVO_ARCH:-i686}" != i686 ]; then
    # This machine's Wine runs the tests' x86_64 build: that one, signed with the same key.
    signed=$dir/Uninstall.EXE
    osslsigncode sign -pkcs12 "$E2E_RELEASE/keys/test.p12" -readpass "$E2E_RELEASE/keys/password" -h sha256 \
      -in "$E2E_UNINSTALL" -out "$signed" >/dev/null || bad "signing the x86_64 build"
  fi
  install --uninstaller "$signed" "${catalogs[@]}"
  local host=$WINEPREFIX/drive_c/signed.log
  WINEDEBUG=-all wine "$E2E_DRIVER" timeout 90 run "$(uninstaller)" '/S /LOG=C:\signed.log' </dev/null >"$dir/driver.txt" 2>&1
  sed 's/^/  driver: /' "$dir/driver.txt"
  saw "run-visible 0"
  saw "run-exit 0"
  copy_done
  verify "${nt_leftovers[@]}"
  scheduled
  local copy
  copy=$(find "$WINEPREFIX/drive_c" -path '*/[Tt]emp/TVU*/Uninstall.EXE' 2>/dev/null | head -n 1)
  if [ -n "$copy" ] && cmp -s "$copy" "$signed"; then ok "the copy that removed the program is the signed file"
  else bad "the copy is not the signed file: ${copy:-none}"; fi
  local first
  first=$(head -n 1 "$host" 2>/dev/null | tr -d '\r')
  case $first in
    "Tarvolink Uninstall (Uninstall.EXE) version $E2E_VERSION, log of "*) ok "the log names version $E2E_VERSION" ;;
    *) bad "the log's first line: $first" ;;
  esac
  after_restart "${nt_leftovers[@]}"
}
