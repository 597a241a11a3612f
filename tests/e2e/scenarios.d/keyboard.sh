# The uninstaller without a mouse.

scenario_keyboard() {
  # Keys that mean nothing, then Enter starts the uninstall and Enter dismisses the completion box:
  # the product goes as it does with the mouse.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  drive form key tab key a key f1 key enter box key enter exit
  saw "key enter form"
  saw "box Uninstall Compelete !"
  saw "key enter box"
  saw "exit 0"
  verify "${nt_leftovers[@]}"
  scheduled "delete $installdir\\Uninstall.EXE" "delete $installdir"
}
