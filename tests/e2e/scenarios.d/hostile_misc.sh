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

scenario_win98_linked_keys() {
  # NT running the uninstaller in a mode for Windows 98 is told 4.10, and Wine set to win98 tells
  # the same. Links below the product's keys lead to another product's key, another program's
  # uninstall entry and the shared driver's key, which another product still uses: they go as
  # links, and what they lead to keeps everything, after the restart too.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}" --family 9x --winver win98 --used shared
  { fixture link-key 'Software\QORV\Tarvolink\Plugins' 'Software\QORV\OtherProduct' \
      && fixture link-key 'Software\QORV\Tarvolink\Driver' 'Software\QORV\QORVDISK' \
      && fixture link-key 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvolink\Shared' \
           'Software\Microsoft\Windows\CurrentVersion\Uninstall\OtherApp'; } >"$dir/links.txt" \
    || { cat "$dir/links.txt"; bad "no link keys planted"; exit 1; }
  fixture check "${layout[@]}" >"$dir/before.txt"
  complete_run
  verify system/QORVDISK.VXD reg/qorv/QORVDISK reg/qorv/QORVDISK/Used
  scheduled
  after_restart system/QORVDISK.VXD reg/qorv/QORVDISK reg/qorv/QORVDISK/Used
}
