# The uninstaller's own program and folder: gone right after a complete run, removed by a copy of
# the program in a private temporary folder; nothing waits for a restart before the run is complete.

# unix_path WINDOWS_PATH: where a path of drive C: lies in the prefix.
unix_path() {
  local p=${1#[Cc]:}
  printf '%s\n' "$WINEPREFIX/drive_c${p//\\//}"
}

# The temporary copies' folders in the prefix; with `any`, the 9x family's copies in TEMP itself too.
copies() {
  local kinds=(-type d)
  [ "${1:-}" = any ] && kinds=()
  find "$WINEPREFIX/drive_c" -maxdepth 6 "${kinds[@]}" -regex '.*/[Tt]emp/TVU[0-9A-F]*\(\.EXE\)?' 2>/dev/null
}

# copy_scheduled N: exactly N deletions of the copy (and of the program moved beside it) wait for
# the restart, all in a temporary folder.
copy_scheduled() {
  local lines
  lines=$(grep -i -E "$copy_pattern" "$dir/pending.txt")
  if [ "$(printf '%s' "$lines" | grep -c .)" -eq "$1" ] && ! printf '%s' "$lines" | grep -i -q -v '\\temp\\'; then
    ok "only the temporary copy waits for the restart, in the temporary folder"
  else
    bad "the copy's deletions at the restart: [$lines]"
  fi
}

# install_gone: the installation folder and the program are gone, without a restart.
install_gone() {
  if [ -e "$(unix_path "$installdir")" ]; then bad "the installation folder stayed"; else ok "the installation folder is gone"; fi
}

scenario_self_complete() {
  # While the completion box is up the copy already waits, listed for the restart, without a window
  # of its own; once the box is answered the program that was started ends with the run's code, and its file and folder
  # go without a restart; only the copy waits for the restart, which takes it too.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  # Started in its own folder, as a double click there starts it: that folder must go all the same.
  E2E_START_IN=$installdir drive form click uninstall box
  saw "box Uninstall Compelete !"
  if [ "$(copies | wc -l)" -eq 1 ] && [ -f "$(copies)/Uninstall.EXE" ]; then
    ok "the copy waits in a private temporary folder"
  else
    bad "no copy in a private temporary folder: $(copies)"
  fi
  # Moved out of the installation folder beside the copy, and listed there too, once the entry went.
  [ -f "$(copies)/Uninstall.EXE.ORIGINAL" ] && [ ! -e "$(unix_path "$installdir")" ] \
    && ok "the running program waits beside the copy, its folder gone" || bad "the program did not move beside the copy: $(ls "$(unix_path "$installdir")" 2>&1)"
  # Listed for the restart as soon as it was made: a copy ended from here on still goes then.
  fixture pending >"$dir/pending.txt"
  copy_scheduled 4
  WINEDEBUG=-all wine "$E2E_DRIVER" attach count answer ok exit </dev/null >"$dir/driver.txt" 2>"$dir/driver.err"
  sed 's/^/  driver: /' "$dir/driver.txt"
  saw "app-count 1"
  saw "exit 0"
  copy_done
  install_gone
  verify "${nt_leftovers[@]}"
  scheduled
  copy_scheduled 4
  after_restart "${nt_leftovers[@]}"
  [ -z "$(copies)" ] && ok "the restart took the copy and its folder" || bad "the copy stayed: $(copies)"
  fixture pending >"$dir/pending.txt"
  [ -s "$dir/pending.txt" ] && bad "still pending: $(cat "$dir/pending.txt")" || ok "nothing pending after the restart"
}

scenario_self_bystander() {
  # A file of the user's in the installation folder keeps the folder and itself; the program goes.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  printf 'mine\r\n' >"$(unix_path "$installdir")/My notes.txt"
  complete_run
  verify "${nt_leftovers[@]}" dir/install
  [ -f "$(unix_path "$installdir")/My notes.txt" ] && ok "the user's file stayed" || bad "the user's file is gone"
  scheduled
  after_restart "${nt_leftovers[@]}" dir/install
  [ -f "$(unix_path "$installdir")/My notes.txt" ] && ok "the user's file stayed the restart" || bad "the restart took the user's file"
}

scenario_self_reinstall() {
  # Uninstall, install again at once, restart: the new installation is whole and uninstalls.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  complete_run
  install_gone
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  restart_prefix
  fixture check >"$dir/restarted.txt"
  if cmp -s "$dir/before.txt" "$dir/restarted.txt"; then
    ok "after the restart the new installation is whole"
  else
    bad "the restart changed the new installation:"
    diff "$dir/before.txt" "$dir/restarted.txt" | sed 's/^/  /'
  fi
  complete_run
  install_gone
  verify "${nt_leftovers[@]}"
}

scenario_self_killed() {
  # Ended in the middle of a run (End Task, a crash): nothing was scheduled, so after a restart the
  # uninstall entry still names its program. Ended at the completion box: the copy, already
  # waiting, still removes the program and its folder.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  standin refuse "$E2E_FIXTURE"
  drive form click uninstall sleep 1500 kill
  saw "clicked uninstall"
  unchanged
  scheduled
  restart_prefix
  fixture check >"$dir/after.txt"
  grep -F -x -q "reg/uninstall/Tarvolink=present" "$dir/after.txt" && grep -F -x -q "install/Uninstall.EXE=present" "$dir/after.txt" \
    && ok "after the restart the uninstall entry still names its program" || bad "the uninstaller is gone after the restart"
  drive form click uninstall box kill
  saw "box Uninstall Compelete !"
  copy_done
  install_gone
  verify "${nt_leftovers[@]}"
  scheduled
}

scenario_self_win98() {
  # Windows 98: the same, with the copy in TEMP itself under a fresh name, no folder of its own
  # (nothing is private there, and WININIT.INI cannot remove folders), listed in WININIT.INI: the
  # restart leaves nothing behind.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}" --family 9x --winver win98 --used only
  complete_run
  install_gone
  verify
  scheduled
  copy_scheduled 1
  [ "$(copies any | wc -l)" -eq 1 ] && [ -z "$(copies)" ] && ok "the copy lies in TEMP, in no folder of its own" \
    || bad "the copy's place: $(copies any)"
  after_restart
  [ -z "$(copies any)" ] && ok "the restart took the copy" || bad "the copy stayed: $(copies any)"
}

scenario_self_link() {
  # The installation folder turned into a link: the copy does not delete the program through it,
  # and while it tries, a new start of the program opens its window.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  local real="$WINEPREFIX/drive_c/elsewhere" link
  link=$(unix_path "$installdir")
  mv "$link" "$real" && ln -s "$real" "$link"
  drive form click uninstall box answer ok exit
  saw "exit 0"
  # The copy, which keeps trying for a while here, is no running uninstaller to a new start.
  drive form click quit exit
  saw "form Uninstall Tarvolink"
  # The copy, when one was started, ends by scheduling itself.
  local i
  for ((i = 0; i < 50; i++)); do
    fixture pending | grep -q -E "$copy_pattern" && break
    sleep 0.2
  done
  [ -f "$real/Uninstall.EXE" ] && ok "the program behind the link stayed" || bad "the program was deleted through a link"
  fixture pending >"$dir/pending.txt"
  grep -i -q -F "$installdir" "$dir/pending.txt" && bad "scheduled through the link" || ok "nothing scheduled through the link"
}

scenario_self_swapped() {
  # A user who can write into the installation folder tries to put a program of their own in the
  # running uninstaller's place: renaming the program is refused while it runs; renamed all the
  # same (on the host, as Windows before the program held its file would let it) and replaced by
  # a stand-in that its owner keeps from being deleted, the stand-in is never started: the copy
  # that removes the program is made from the program that runs, and it leaves the stand-in.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  local own started
  own=$(unix_path "$installdir")
  started=$(unix_path 'C:\started.txt')
  drive form
  fixture rename "$installdir\\Uninstall.EXE" "$installdir\\Uninstall.old" >"$dir/rename.txt"
  grep -q -x "refused 32" "$dir/rename.txt" && ok "the running program cannot be renamed" \
    || bad "renaming the running program: $(cat "$dir/rename.txt")"
  mv "$own/Uninstall.EXE" "$own/Uninstall.old"
  cp "$E2E_FIXTURE" "$own/Uninstall.EXE"
  hold Uninstall.EXE read
  WINEDEBUG=-all wine "$E2E_DRIVER" attach click uninstall box answer ok exit </dev/null >"$dir/driver.txt" 2>"$dir/driver.err"
  sed 's/^/  driver: /' "$dir/driver.txt"
  saw "box Uninstall Compelete !"
  saw "exit 0"
  # The copy gives up on a file that is not the program it was made from, and ends.
  copy_done
  [ -e "$started" ] && bad "the program put in the uninstaller's place was started: $(cat "$started")" \
    || ok "the program put in the uninstaller's place was never started"
  cmp -s "$E2E_FIXTURE" "$own/Uninstall.EXE" && ok "the stand-in stayed where it was put" || bad "the stand-in is gone"
  cmp -s "$E2E_UNINSTALL" "$own/Uninstall.old" && ok "the renamed program is untouched" || bad "the renamed program changed"
}

scenario_self_unheld() {
  # Another program holds the uninstaller's file with the right to delete it from before the
  # start, so the program cannot hold its own file: nothing is started from the temporary folder,
  # the log says why, and the program waits for the next restart (3010).
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  hold Uninstall.EXE delete
  rm -f "$(unix_path 'C:\tarvo.log')"
  WINEDEBUG=-all,err+all wine "$E2E_DRIVER" timeout 60 run "$(uninstaller)" '/S /LOG=C:\tarvo.log' </dev/null \
    >"$dir/driver.txt" 2>"$dir/driver.err"
  sed 's/^/  driver: /' "$dir/driver.txt"
  saw "run-exit 3010"
  [ -z "$(copies)" ] && ok "nothing was started from a temporary folder" || bad "a copy in: $(copies)"
  tr -d '\r' <"$(unix_path 'C:\tarvo.log')" >"$dir/log.txt"
  sed 's/^/  log: /' "$dir/log.txt"
  grep -q -F "Delete file $installdir\\Uninstall.EXE: not handed to a copy of the uninstaller, its own file could not be held open since its start (error 32: " "$dir/log.txt" \
    && ok "the log says why nothing was handed over" || bad "the log does not say why nothing was handed over"
  grep -q -F -x "Delete at the next restart $installdir\\Uninstall.EXE: scheduled" "$dir/log.txt" \
    && ok "the program waits for the restart" || bad "the program is not scheduled"
  verify "${nt_leftovers[@]}" install/Uninstall.EXE dir/install
  scheduled "delete $installdir\\Uninstall.EXE" "delete $installdir"
  after_restart "${nt_leftovers[@]}"
}

scenario_self_job() {
  # A deployment tool runs the uninstaller in a job that refuses breakaway and ends whatever it
  # still holds once the uninstaller has ended: a copy started there would die before its work, so
  # none is started. The program's own file moves into the copy's private temporary folder, which
  # is listed for the restart from the start, and the installation folder goes at once (3010); a new
  # installation before the restart is left whole by it.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  use_log 'C:\tarvo.log'
  driver job run "$(uninstaller)" "/S /LOG=$logwin"
  saw "run-exit 3010"
  saw "job closed 0"
  install_gone
  verify "${nt_leftovers[@]}"
  scheduled
  copy_scheduled 2
  read_log
  logged_start "Delete file $installdir\\Uninstall.EXE: not handed to a copy of the uninstaller, the job that runs the uninstaller would end the copy with it (error 5: "
  logged "Delete file $installdir\\Uninstall.EXE: scheduled, moved into the copy's place in the temporary folder"
  logged "Remove folder $installdir: removed"
  last_logged "Exit code 3010: completed, files wait for the next restart of Windows"
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  restart_prefix
  fixture check >"$dir/restarted.txt"
  if cmp -s "$dir/before.txt" "$dir/restarted.txt"; then ok "after the restart the new installation is whole"
  else bad "the restart changed the new installation:"; diff "$dir/before.txt" "$dir/restarted.txt" | sed 's/^/  /'; fi
  [ -z "$(copies any)" ] && ok "the restart took the moved program and its folder" || bad "left in TEMP: $(copies any)"
}
