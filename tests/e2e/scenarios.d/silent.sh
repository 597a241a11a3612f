# Unattended removal as deployment tools run it: /S, /LOG=<file>, the exit codes that they read
# (through GetExitCodeProcess: a Unix shell would see only their low byte), and the log that
# support reads.

# driver COMMANDS...: the UI driver with these commands; its output in driver.txt.
driver() {
  WINEDEBUG=-all,err+all wine "$E2E_DRIVER" timeout 90 "$@" </dev/null >"$dir/driver.txt" 2>"$dir/driver.err"
  local rc=$?
  sed 's/^/  driver: /' "$dir/driver.txt"
  [ $rc -eq 0 ] || { bad "the UI driver stopped (status $rc)"; tail -n 20 "$dir/driver.err" | sed 's/^/  wine: /'; }
}

# silent ARGS CODE: Uninstall.EXE started with that command line and watched to its end: it never
# shows a window, and it ends with CODE.
silent() {
  driver run "$(uninstaller)" "$1"
  saw "run-visible 0"
  saw "run-exit $2"
}

# drive_with ARGS COMMANDS...: drive, with the uninstaller started with that command line.
drive_with() {
  local args=$1
  shift
  driver start-with "$(uninstaller)" "$args" "$@"
}

# use_log WINPATH: the log the next run writes; its lines without their ends go to log.txt.
use_log() {
  logwin=$1
  local rest=${logwin#?:\\}
  loghost="$WINEPREFIX/drive_c/${rest//\\//}"
  rm -f "$loghost"
}

read_log() {
  if [ ! -f "$loghost" ]; then
    bad "no log at $logwin"
    : >"$dir/log.txt"
    return
  fi
  tr -d '\r' <"$loghost" >"$dir/log.txt"
  sed 's/^/  log: /' "$dir/log.txt"
  # Plain lines with CR LF ends, the last one too.
  local bare
  bare=$(LC_ALL=C grep -c -v $'\r$' "$loghost")
  if [ "$bare" -eq 0 ] && [ "$(tail -c 2 "$loghost" | od -An -tx1 | tr -d ' ')" = 0d0a ]; then
    ok "every log line ends with CR LF"
  else
    bad "$bare log lines without CR LF"
  fi
}

logged() { # logged LINE: the log holds exactly this line
  if LC_ALL=C grep -F -x -q -- "$1" "$dir/log.txt"; then ok "logged: $1"; else bad "not logged: $1"; fi
}
logged_start() { # logged_start TEXT: a log line starts with TEXT
  if LC_ALL=C grep -F -q -- "$1" <(cut -c1-${#1} "$dir/log.txt"); then ok "logged: $1..."; else bad "no log line starts: $1"; fi
}
not_logged() { # not_logged TEXT: no log line holds TEXT
  if LC_ALL=C grep -F -q -- "$1" "$dir/log.txt"; then bad "logged, but must not be: $1"; else ok "not logged: $1"; fi
}
last_logged() {
  if [ "$(tail -n 1 "$dir/log.txt")" = "$1" ]; then ok "last log line: $1"; else bad "last log line is not: $1"; fi
}

# The head of every log: program, version, time; command line; mode; Windows; language; folder.
log_head() { # log_head MODE
  if LC_ALL=C grep -E -q "^Tarvolink Uninstall \\(Uninstall\\.EXE\\) version ${E2E_VERSION//./\\.}, log of [0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\$" \
       <(head -n 1 "$dir/log.txt"); then
    ok "first log line: program, version, date and time"
  else
    bad "first log line: $(head -n 1 "$dir/log.txt")"
  fi
  logged_start "Command line: \"$installdir\\Uninstall.EXE\""
  logged "Mode: $1"
  if LC_ALL=C grep -E -q '^Windows: [0-9]+\.[0-9]+ build [0-9]+, NT family, taken as Windows XP or later$' "$dir/log.txt"; then
    ok "logged: the Windows version and family"
  else
    bad "no Windows line"
  fi
  logged "Language: ENG, texts from $installdir\\SetupMsg.ENG"
  logged "Installation folder: $installdir (from UninstallString of the uninstall entry)"
}

# log_matches: the log's file and folder lines agree with the machine. What it calls removed or
# absent is not there, what failed or was left alone is; every file that was installed in the
# product's folder has its line, and what it calls absent there was never installed.
log_matches() {
  sed -n 's/^\(Delete file\|Remove folder\) \(.*\): \(removed\|absent\|failed\|left alone\)\(,.*\| (.*\)\{0,1\}$/\3|\2/p' \
    "$dir/log.txt" >"$dir/log-actions.txt"
  local -a paths=()
  mapfile -t paths < <(cut -d'|' -f2 "$dir/log-actions.txt")
  fixture exists "${paths[@]}" >"$dir/log-exists.txt"
  local outcome path state name n=0 wrong=0
  while IFS='|' read -r outcome path state; do
    n=$((n + 1))
    # The program's own file, and its folder when nothing else is left there, go after the run,
    # removed by the uninstaller's copy that the log names.
    if [ "$outcome" != removed ] && [ "$outcome" != absent ] && [ "${state%% *}" = absent ] && handed "$path"; then
      continue
    fi
    case $outcome in
      removed | absent) [ "${state%% *}" = absent ] || { bad "logged $outcome, but there: $path"; wrong=1; } ;;
      *) [ "${state%% *}" = present ] || { bad "logged $outcome, but gone: $path"; wrong=1; } ;;
    esac
    if [ "$outcome" = absent ] && [ "${path%\\*}" = "$installdir" ]; then
      name=${path##*\\}
      grep -F -x -q "install/$name=present" "$dir/before.txt" && { bad "logged absent, but was installed: $path"; wrong=1; }
    fi
  done < <(paste -d'|' "$dir/log-actions.txt" "$dir/log-exists.txt")
  [ $n -gt 40 ] || { bad "only $n file and folder lines"; wrong=1; }
  while IFS= read -r line; do
    name=${line#install/}
    name=${name%=present}
    grep -F -q "Delete file $installdir\\$name: " "$dir/log.txt" || { bad "no log line for $name"; wrong=1; }
  done < <(grep '^install/.*=present$' "$dir/before.txt")
  [ $wrong -eq 0 ] && ok "the log's $n file and folder lines match the machine"
}

# handed PATH: the uninstaller's program, or its folder, handed to the copy that removes them.
handed() {
  local exe="$installdir\\Uninstall.EXE"
  grep -F -x -q "Delete file $exe: handed to a copy of the uninstaller, which deletes it once this program has ended" \
    "$dir/log.txt" && { [ "$1" = "$exe" ] || [ "$1" = "$installdir" ]; }
}

scheduled_lines() { # the log's scheduling lines agree with what waits for the restart
  local p
  for p in "$@"; do logged "Delete at the next restart $p: scheduled"; done
}

scenario_silent_full() {
  # /S on a normal installation: no window at any moment, exit 0, the end state of the windowed
  # run (nt_full), and a log (in a folder with blanks, quoted) whose lines match that state.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  mkdir -p "$WINEPREFIX/drive_c/Deploy Logs"
  use_log 'C:\Deploy Logs\tarvolink.log'
  silent "/S /LOG=\"$logwin\"" 0
  copy_done
  verify "${nt_leftovers[@]}"
  scheduled
  read_log
  log_head silent
  logged "Close program \"Tarvo Link\": not running"
  logged "Remove start-up entry HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run, value Tarvolink: removed"
  logged "Delete file $installdir\\Info.ini: removed"
  logged "Delete file $installdir\\ExCHT.FRC: absent"
  # The program holds its own file from its start: its own attempt meets that.
  logged_start "Delete file $installdir\\Uninstall.EXE: failed, at every attempt (error 32: "
  logged "Delete file $installdir\\Uninstall.EXE: handed to a copy of the uninstaller, which deletes it once this program has ended"
  logged_start "Remove folder $installdir: left alone, something is still in it (error 145: "
  # Only the copy waits for the restart, listed as soon as it was made (its file and its folder), and
  # the program moved beside it once the entry was gone (with the folder again after it).
  if [ "$(grep -c "^Delete at the next restart .*: scheduled\$" "$dir/log.txt")" -eq 4 ] &&
     ! grep "^Delete at the next restart " "$dir/log.txt" | grep -v -q -E '\\TVU[0-9A-F]{8}(\\Uninstall\.EXE(\.ORIGINAL)?)?: scheduled$'; then
    ok "only the copy is listed for the restart"
  else
    bad "listed for the restart: $(grep "^Delete at the next restart " "$dir/log.txt")"
  fi
  logged "Remove registry key HKLM\\Software\\QORV\\Tarvolink: removed"
  logged "Remove registry key HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvolink: removed"
  log_matches
  logged "Run completed"
  last_logged "Exit code 0: completed"
  after_restart reg/qorv/QORVDISK reg/qorv/QORVDISK/Used reg/qorv/QORVDISK/Used:Tarvolink
}

scenario_silent_japanese() {
  # A Japanese system with its catalogue: the window would speak Japanese, the log stays English
  # (plain ASCII here, where every path is ASCII too). Silent as another installer builder writes it.
  need_uninstaller; begin
  local jpn=("${catalogs[@]}")
  if [ ! -f "$E2E_CATALOGS/SetupMsg.JPN" ]; then
    mkdir -p "$dir/catalogs"
    iconv -f UTF-8 -t CP932 "$data/SetupMsg.JPN.utf8" >"$dir/catalogs/SetupMsg.JPN" || bad "no Japanese catalogue"
    jpn=(--catalogs "$dir/catalogs")
  fi
  install --uninstaller "$E2E_UNINSTALL" "${jpn[@]}"
  use_log 'C:\tarvo.log'
  silent "-QN /LOG=$logwin" 0
  copy_done
  verify "${nt_leftovers[@]}"
  read_log
  logged "Language: JPN, texts from $installdir\\SetupMsg.JPN"
  logged "Run completed"
  if LC_ALL=C grep -q '[^ -~]' "$dir/log.txt"; then bad "the log holds bytes that are not English text"; else ok "the log is English"; fi
  last_logged "Exit code 0: completed"
}

scenario_silent_product_closes() {
  # /s (any letter case) with the product running: it is asked once, closes, and the run goes on.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  standin close "$E2E_FIXTURE"
  use_log 'C:\tarvo.log'
  silent "/s /log=$logwin" 0
  wait "$standin_pid"
  [ $? -eq 0 ] || bad "the product did not close"
  grep -c -x "standin WM_CLOSE" "$dir/standin.txt" | grep -q -x 1 && ok "the product was asked once to close" \
    || bad "the product was not asked once to close"
  copy_done
  verify "${nt_leftovers[@]}"
  read_log
  logged "Close program \"Tarvo Link\": running, asked to close"
  logged "Close program \"Tarvo Link\": closed"
  last_logged "Exit code 0: completed"
}

scenario_silent_refuses_held() {
  # /S with a product that will not close (its program file held by it) and another file held
  # open: both wait for the restart, and the exit code says so (3010). The log lines match.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  standin refuse "$installdir\\Tarvolink.EXE"
  hold Backup.log
  use_log 'C:\tarvo.log'
  # While the silent run waits for the product, a windowed start finds it running (by its hidden
  # application window): 1618, and neither copy shows a window.
  driver run "$(uninstaller)" "/LOG=$logwin /S" &
  local silent_pid=$!
  waitline "standin WM_CLOSE" "$dir/standin.txt" || bad "the product was never asked to close"
  WINEDEBUG=-all wine "$E2E_DRIVER" timeout 60 run "$(uninstaller)" "" </dev/null >"$dir/second.txt" 2>&1
  sed 's/^/  second: /' "$dir/second.txt"
  grep -q -x "run-exit 1618" "$dir/second.txt" && grep -q -x "run-visible 0" "$dir/second.txt" \
    && ok "a windowed start during the silent run ends with 1618 and shows nothing" \
    || bad "the windowed start during the silent run"
  wait "$silent_pid"
  saw "run-visible 0"
  saw "run-exit 3010"
  copy_done
  verify "${nt_leftovers[@]}" install/Tarvolink.EXE install/Backup.log "window/Tarvo Link" dir/install
  scheduled "delete $installdir\\Tarvolink.EXE" "delete $installdir\\Backup.log" "delete $installdir"
  read_log
  logged "Close program \"Tarvo Link\": running, asked to close"
  logged "Close program \"Tarvo Link\": left running, it did not close in the time allowed"
  logged_start "Delete file $installdir\\Backup.log: failed, at every attempt (error 32: "
  scheduled_lines "$installdir\\Tarvolink.EXE" "$installdir\\Backup.log" "$installdir"
  log_matches
  last_logged "Exit code 3010: completed, files wait for the next restart of Windows"
  after_restart reg/qorv/QORVDISK reg/qorv/QORVDISK/Used reg/qorv/QORVDISK/Used:Tarvolink
}

scenario_silent_second_copy() {
  # /S while the uninstaller's window is open: 1618, nothing touched, no window of its own; its
  # log says why. The open window is left where it is and then quit before any run: 1602.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  use_log 'C:\tarvo.log'
  drive form run "$(uninstaller)" "/S /LOG=$logwin" count click quit exit
  saw "run-visible 0"
  saw "run-exit 1618"
  saw "app-count 1"
  saw "exit 1602"
  unchanged
  scheduled
  read_log
  not_logged "Run started"
  last_logged "Exit code 1618: another copy of the uninstaller is running"
}

scenario_log_unwritable() {
  # A log in a folder that does not exist: nothing is touched, 1622; silent without a box,
  # windowed with an error box that says so.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  silent "\"/LOG=C:\\No Such Folder\\u.log\" /S" 1622
  drive_with '/LOG=C:\nowhere\u.log' box answer ok exit
  saw "box-title Tarvolink Uninstall"
  saw "box The log file could not be created:"
  saw "C:\\nowhere\\u.log"
  saw "exit 1622"
  unchanged
  scheduled
}

scenario_command_line() {
  # Windowed, what is not understood is ignored (and named in the log), as the program that this
  # one replaces ignored its command line: an old uninstall entry's "/remove" opens the window.
  # Text from the command line cannot make a line of the log. Silent, anything not understood
  # touches nothing and ends with 87. /? shows the usage and ends with 0, silent without the box.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  drive_with '/remove' form click quit exit
  saw "form Uninstall Tarvolink"
  saw_count "box" 0
  saw "exit 1602"
  use_log 'C:\tarvo.log'
  drive_with "/LOG=$logwin /X "$'"/y\e[2J\r\nExit code 0: completed"' form click quit exit
  saw "exit 1602"
  read_log
  logged "Not understood, ignored: /X, /y<1B>[2J<0D><0A>Exit code 0: completed"
  logged_start "Command line: \"$installdir\\Uninstall.EXE\" /LOG=$logwin /X \"/y<1B>[2J<0D><0A>Exit code"
  not_logged $'\e'
  last_logged "Exit code 1602: cancelled by the user"
  drive_with '/?' box answer ok exit
  saw "box Removes Tarvolink from this computer."
  saw "Uninstall.EXE [/S] [/LOG=<file>] [/?]"
  saw "	(also /SILENT, /VERYSILENT, /QUIET, /Q, /QN; - as well as /)"
  saw "exit 0"
  silent "/S /bogus" 87
  silent "/SILENT /LOG=" 87
  silent "-verysilent stray" 87
  silent "/S /remove" 87
  silent "/? /S" 0
  silent "/QUIET -?" 0
  unchanged
  scheduled
}

scenario_windowed_cancel_log() {
  # Windowed, with a log: a close confirmed during the run ends it (1602) with nothing removed
  # and nothing logged as removed; Quit before any run is a cancel too.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  standin refuse "$E2E_FIXTURE"
  use_log 'C:\tarvo.log'
  drive_with "/LOG=$logwin" form click uninstall
  # The close comes once the product was asked to close: the run is inside its first item.
  waitline "standin WM_CLOSE" "$dir/standin.txt" || bad "the product was never asked to close"
  driver attach close box answer ok exit
  saw "box Uninstall not Compelete, Quit ?"
  saw "exit 1602"
  unchanged
  read_log
  log_head windowed
  logged "Run started"
  logged "Close program \"Tarvo Link\": running, asked to close"
  logged "Close confirmed by the user during the run: the run stops"
  logged "Run cancelled: the steps after this point were not carried out"
  not_logged "Delete file"
  not_logged "Remove registry key"
  last_logged "Exit code 1602: cancelled by the user"
  use_log 'C:\quit.log'
  drive_with "/LOG=$logwin" form click quit exit
  saw_count "box" 0
  saw "exit 1602"
  read_log
  logged "Closed before any run: nothing was removed"
  last_logged "Exit code 1602: cancelled by the user"
  unchanged
}

# host_of WINPATH: where a path of drive C: lies in the prefix.
host_of() { local rest=${1#?:\\}; echo "$WINEPREFIX/drive_c/${rest//\\//}"; }

# kept FILE LINE: another program's file still holds exactly that line, with its CR LF.
kept() {
  if [ "$(cat "$1" 2>/dev/null)" = "$2"$'\r' ]; then ok "kept as it was: ${1#"$WINEPREFIX"/}"; else bad "changed: $1"; fi
}

scenario_log_planted() {
  # Where everybody may create files, another program's file behind a symbolic link and behind a
  # second hard link at the log's path, and a folder link on the way to it: refused with 1622,
  # nothing removed, the files behind them untouched and nothing made behind the folder link. So
  # is a log in the installation folder, which the run removes: an old file there stays whole, a
  # new one says why. Windowed, a box says why.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  local temp other install
  temp=$(host_of 'C:\Shared Temp')
  other=$(host_of 'C:\OtherApp')
  install=$(host_of "$installdir")
  mkdir -p "$temp" "$other" "$WINEPREFIX/drive_c/windows/system32-like"
  printf '@echo the other program starts\r\n' >"$other/startup.cmd"
  printf 'other settings\r\n' >"$other/settings.ini"
  ln -s "$other/startup.cmd" "$temp/tarvo.log"
  ln "$other/settings.ini" "$temp/hard.log"
  ln -s "$WINEPREFIX/drive_c/windows/system32-like" "$temp/win"
  silent '/S "/LOG=C:\Shared Temp\tarvo.log"' 1622
  silent '/S "/LOG=C:\Shared Temp\hard.log"' 1622
  silent '/S "/LOG=C:\Shared Temp\win\tarvo.log"' 1622
  silent "/S \"/LOG=$installdir\\Backup.log\"" 1622
  drive_with '"/LOG=C:\Shared Temp\tarvo.log"' box answer ok exit
  saw "box The log file could not be created:"
  saw 'C:\Shared Temp\tarvo.log'
  saw "Refused: a link leads from there to somewhere else"
  saw "Nothing was removed."
  saw "exit 1622"
  use_log "$installdir\\tarvo.log"
  drive_with "\"/LOG=$logwin\"" box answer ok exit
  saw "Refused: it lies in the installation folder, which the run removes"
  saw "exit 1622"
  read_log
  logged "Log file $logwin: refused, it lies in the installation folder, which the run removes; nothing was removed"
  last_logged "Exit code 1622: the log file could not be created"
  rm -f "$loghost"
  unchanged
  scheduled
  kept "$other/startup.cmd" '@echo the other program starts'
  kept "$other/settings.ini" 'other settings'
  kept "$install/Backup.log" '2003-04-01 backup of C: to D: done'
  [ -z "$(ls "$WINEPREFIX/drive_c/windows/system32-like")" ] && ok "nothing was made behind the folder link" \
    || bad "made behind the folder link: $(ls "$WINEPREFIX/drive_c/windows/system32-like")"
}

scenario_log_devices() {
  # Devices, streams and names that no file has: 1622 and nothing removed; no log written
  # anywhere. A log on another computer is refused too (its server says where it lies).
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  mkdir -p "$(host_of 'C:\Work')"
  local name
  for name in NUL 'C:\Work\NUL.txt' 'C:\Work\nul .log' COM1 'C:\Work\LPT1.log' '\\.\C:' '\\.\PhysicalDrive0' \
              '\\?\C:\Work\u.log' 'C:\Work\u.log:hidden' '\\server\share\u.log'; do
    silent "/S \"/LOG=$name\"" 1622
  done
  drive_with '/LOG=C:\Work\NUL.txt' box answer ok exit
  saw "Refused: no name of a file: a device, a stream or characters that no file name has"
  saw "exit 1622"
  unchanged
  scheduled
  [ -z "$(ls "$(host_of 'C:\Work')")" ] && ok "nothing was written in C:\\Work" || bad "written in C:\\Work: $(ls "$(host_of 'C:\Work')")"
}

scenario_unseen_station() {
  # A windowed start where nobody can see it (a service's window station) waits for no click: it
  # removes nothing, says why in its log and ends with 1603 at once; so does a start for the usage
  # box. /S there removes as anywhere.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  use_log 'C:\tarvo.log'
  driver start-unseen "$(uninstaller)" "/LOG=$logwin" exit start-unseen "$(uninstaller)" "/?" exit
  saw_count "exit 1603" 2
  unchanged
  read_log
  logged "Mode: windowed"
  logged "Windowed start in a window station that nobody can see (a service's session): nothing was removed; /S removes without a window"
  not_logged "Run started"
  last_logged "Exit code 1603: failed"
  driver start-unseen "$(uninstaller)" "/S" exit
  saw "exit 0"
  copy_done
  verify "${nt_leftovers[@]}"
}
