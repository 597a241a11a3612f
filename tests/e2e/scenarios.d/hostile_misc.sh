# Hostile or damaged machines: a running product that never answers, and registry link keys planted
# in the product's keys that lead to another product's records.

scenario_hung_product_linked_keys() {
  # The product's window hangs: the close request gives up on it, the user's close during the
  # run is answered at once (Cancel goes on), and the run completes. Links below the product's
  # keys go as links: the other product's keys they lead to keep everything.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  fixture link-key 'Software\QORV\Tarvolink\Plugins' 'Software\QORV\OtherProduct' >"$dir/links.txt" \
    && fixture link-key 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvolink\Shared' \
         'Software\Microsoft\Windows\CurrentVersion\Uninstall\OtherApp' >>"$dir/links.txt" \
    || { cat "$dir/links.txt"; bad "no link keys planted"; exit 1; }
  standin hung "$E2E_FIXTURE"
  drive form click uninstall sleep 1500 close box answer cancel box answer ok exit
  saw "box Uninstall not Compelete, Quit ?"
  saw "box Uninstall Compelete !"
  saw "exit 0"
  copy_done
  verify "${nt_leftovers[@]}" "window/Tarvo Link"
  scheduled
}
