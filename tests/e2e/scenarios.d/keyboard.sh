# The uninstaller without a mouse.

scenario_keyboard() {
  # Keys that mean nothing, then Enter starts the uninstall and Enter dismisses the completion box:
  # the product goes as it does with the mouse.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  drive form reader key tab key a key f1 key enter box reader key enter exit
  saw "key enter form"
  # What a screen reader in another process finds: idle, then under the completion box.
  saw "reader 2 button default Uninstall"
  saw "reader 5 button Quit"
  saw "reader 2 button unavailable invisible default Uninstall"
  saw "reader 4 progress 100%"
  saw "reader 5 button unavailable Quit"
  saw "box Uninstall Compelete !"
  saw "key enter box"
  saw "exit 0"
  verify "${nt_leftovers[@]}"
  scheduled "delete $installdir\\Uninstall.EXE" "delete $installdir"
}
