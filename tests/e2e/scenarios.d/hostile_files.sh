# Machines where others could write into the product's folder or its uninstall entry: links
# (Unix symbolic links, which Wine shows as reparse points) and odd spellings of the folder must
# never lead a deletion to someone else's files.

# unix PATH: the host path of a Windows path on drive C of this prefix.
unix() { local p=${1#?:\\}; echo "$WINEPREFIX/drive_c/${p//\\//}"; }

# bystanders DIR NAME...: files of another program, each holding its own name.
bystanders() {
  local d=$1 n
  shift
  mkdir -p "$d"
  for n in "$@"; do printf 'keep %s\r\n' "$n" >"$d/$n"; done
}

# survived DIR NAME...: each file is still there with what it held.
survived() {
  local d=$1 n
  shift
  for n in "$@"; do
    if [ "$(cat "$d/$n" 2>/dev/null)" = "$(printf 'keep %s\r' "$n")" ]; then ok "bystander kept: $n"; else bad "bystander lost: $d/$n"; fi
  done
}

scenario_hostile_link_in_folder() {
  # A folder in the product's folder, and a file where a product file should be, lead elsewhere;
  # a planted information file of a language that is not installed names files behind the link.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  local own shared
  own=$(unix "$installdir")
  shared=$WINEPREFIX/drive_c/windows/system32-like
  bystanders "$shared" keep.dll keep2.dll probe.exe
  ln -s "$shared" "$own/pics"
  rm "$own/Busprobe.exe" && ln -s "$shared/probe.exe" "$own/Busprobe.exe"
  printf '[LOGO]\r\nAbout=pics\\keep.dll\r\nMain=%s\\pics\\keep2.dll\r\n' "$installdir" >"$own/InfoKOR.Ini"
  fixture check "${layout[@]}" >"$dir/before.txt"
  complete_run
  # The folder keeps the link "pics", which is no product file: it goes neither now nor at the
  # restart. Wine shows no file link as a reparse point: Busprobe.exe may go as a link (Windows)
  # or stay (Wine), but never what it leads to.
  verify install/Busprobe.exe dir/install reg/qorv/QORVDISK reg/qorv/QORVDISK/Used \
    reg/qorv/QORVDISK/Used:Tarvolink
  if [ -e "$own/InfoKOR.Ini" ]; then bad "the planted information file stayed"; else ok "the planted information file went"; fi
  survived "$shared" keep.dll keep2.dll probe.exe
  scheduled
  after_restart dir/install install/Busprobe.exe reg/qorv/QORVDISK reg/qorv/QORVDISK/Used reg/qorv/QORVDISK/Used:Tarvolink
  survived "$shared" keep.dll keep2.dll probe.exe
}

survived_shortcuts() {
  local n
  for n in Tarvolink.LNK Uninstall.LNK "Port Speed Probe.LNK"; do
    if [ -f "$WINEPREFIX/drive_c/OtherMenu/$n" ]; then ok "shortcut behind the link kept: $n"; else bad "shortcut behind the link lost: $n"; fi
  done
}

scenario_hostile_folder_is_link() {
  # The folder that the uninstall entry names is a link to another program's folder holding files
  # of the same names: it is not the installation folder, and nothing behind it goes.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}" --folder "Tarvo Link Suite"
  local own other names
  own=$(unix "$installdir")
  other=$WINEPREFIX/drive_c/OtherSuite
  mv "$own" "$other"
  ln -s "$other" "$own"
  names=$(cd "$other" && ls)
  # The product's start menu folder, too, leads to another program's shortcuts of the same names.
  local menu othermenu
  menu=$(unix "$(sed -n 's/^programs //p' "$dir/install.txt")")
  othermenu=$WINEPREFIX/drive_c/OtherMenu
  mv "$menu" "$othermenu"
  ln -s "$othermenu" "$menu"
  drive form click uninstall box answer ok exit
  saw "box Uninstall Compelete !"
  saw "exit 0"
  if [ "$(cd "$other" && ls)" = "$names" ]; then ok "nothing behind the link went"; else bad "files behind the link went: $(cd "$other" && ls | tr '\n' ' ')"; fi
  fixture check "${layout[@]}" >"$dir/after.txt"
  for n in reg/uninstall/Tarvolink lnk/desktop/Tarvolink.LNK; do
    if grep -q -x "$n=absent" "$dir/after.txt"; then ok "gone: $n"; else bad "stayed: $n"; fi
  done
  survived_shortcuts
  scheduled
  restart_prefix
  if [ "$(cd "$other" && ls)" = "$names" ]; then ok "nothing behind the link went at the restart"; else bad "files behind the link went at the restart"; fi
  survived_shortcuts
}

scenario_hostile_dot_windows() {
  # "C:\windows\.\" names the Windows folder: its files of the product's names belong to others.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}" --uninstall-string 'raw:C:\windows\.\Uninstall.EXE'
  local win=$WINEPREFIX/drive_c/windows
  bystanders "$win" setup.ini Files.ini Backup.log dzips32.dll
  nt_complete
  survived "$win" setup.ini Files.ini Backup.log dzips32.dll
}

scenario_hostile_names() {
  # Information files name files behind a link with "/" for the separator, devices and a name no
  # file can have; a product file is a link whose target lies deeper than any path the program
  # can hold; another is a link to someone else's file that a third program holds, read-only,
  # hidden and system. None of it is removed, changed or kept for the restart, and the run is
  # clean: nothing waits for a restart (exit 0).
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  local own shared deep i
  own=$(unix "$installdir")
  shared=$WINEPREFIX/drive_c/windows/system32-like
  bystanders "$shared" keep.dll keep2.dll held.log
  deep=$shared
  for i in 1 2 3 4 5 6; do deep=$deep/$(printf '%0100d' "$i"); done
  bystanders "$deep" far.exe
  ln -s "$shared" "$own/pics"
  rm "$own/Busprobe.exe" && ln -s "$deep/far.exe" "$own/Busprobe.exe"
  rm "$own/Backup.log" && ln -s "$shared/held.log" "$own/Backup.log"
  printf '[LOGO]\r\nAbout=pics/keep.dll\r\nLoading=CON\r\nMain=pics\\NUL.bmp\r\n[Help]\r\nCHM=a>b.chm\r\n' >"$own/InfoKOR.Ini"
  printf '[LOGO]\r\nAbout=CONIN$\r\nLoading=pics/keep2.dll\r\nMain=NUL\r\n' >"$own/InfoTRK.Ini"
  local held='C:\windows\system32-like\held.log'
  fixture attributes "$held" 7 >/dev/null
  hold "$held"
  fixture check "${layout[@]}" >"$dir/before.txt"
  complete_run
  verify "${nt_leftovers[@]}" install/Busprobe.exe install/Backup.log dir/install
  for n in InfoKOR.Ini InfoTRK.Ini; do
    if [ -e "$own/$n" ]; then bad "the planted $n stayed"; else ok "the planted $n went"; fi
  done
  survived "$shared" keep.dll keep2.dll held.log
  survived "$deep" far.exe
  local attrs
  attrs=$(fixture attributes "$held" | tr -d '\r')
  if [[ $attrs =~ ^[0-9a-f]+$ ]] && [ $((0x$attrs & 7)) -eq 7 ]; then ok "the held file behind the link kept its attributes"; else bad "the held file behind the link lost its attributes: $attrs"; fi
  scheduled
  after_restart install/Busprobe.exe install/Backup.log dir/install reg/qorv/QORVDISK reg/qorv/QORVDISK/Used \
    reg/qorv/QORVDISK/Used:Tarvolink
  survived "$shared" keep.dll keep2.dll held.log
  survived "$deep" far.exe
}
