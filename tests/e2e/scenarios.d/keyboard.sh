# The uninstaller without a mouse: keystrokes where the keyboard is, and what a
# screen reader in another process finds in the window and hears from it.

scenario_keyboard() {
  # Keys that mean nothing, then Enter starts the uninstall and Enter dismisses the completion box:
  # the product goes as it does with the mouse.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  drive form reader listen key tab key a key f1 key enter box reader key enter exit
  saw "reader 2 button default Uninstall"
  saw "reader 5 button Quit"
  saw "key enter TFormUninstall"
  # The run as a reader in another process hears it: the button goes, the progress line and the
  # gauge follow the run (read when the reader gets to each event), and the gauge ends full.
  saw "event hide 2 Uninstall"
  saw "event value 4 100%"
  saw "box Uninstall Compelete !"
  # Under the completion box: the run's layout, nothing to press.
  saw "reader 2 button unavailable invisible default Uninstall"
  saw "reader 4 progress 100%"
  saw "reader 5 button unavailable Quit"
  saw "exit 0"
  copy_done
  verify "${nt_leftovers[@]}"
  scheduled
}

scenario_keyboard_escape() {
  # Escape during a run asks; Escape in the question is Cancel and the run goes on; asked again,
  # Tab and Enter choose OK and the run ends silently. A product that will not close keeps the run
  # busy long enough. Nothing may be removed.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  standin refuse "$E2E_FIXTURE"
  drive form key enter key escape box key escape nobox key escape box key tab key enter exit
  saw_count "box Uninstall not Compelete, Quit ?" 2
  saw_count "box-buttons OK,*Cancel" 2
  saw_count "box Uninstall Compelete !" 0
  saw "exit 1602"
  unchanged
  scheduled
}
