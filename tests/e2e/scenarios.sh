#!/usr/bin/env bash
# scenarios.sh NAME: one end-to-end scenario. Each runs in a throwaway copy of a fresh Wine prefix
# with a Wine server of its own, installs Tarvolink and its bystanders there with tarvo_fixture,
# drives the real Uninstall.EXE with tarvo_uidriver, then checks what is gone, what stayed, what
# waits for the next restart, and which texts the user saw. "template" makes the fresh prefix.
# Runs inside scripts/winenv (Xvfb display, `wine` on PATH fitting this machine).
set -uo pipefail

scenario=$1
e2e=$E2E_BUILD/e2e
template=$e2e/template
dir=$e2e/$scenario
data=${E2E_DATA:-}
scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)
. "$scripts/lib.sh"   # waitline

# scripts/winenv has already given Wine a home of its own and no menu entries for the host.
# The locale of the Windows programs (Wine takes code page and language from it); the shell
# tools here read bytes.
locale=${E2E_LOCALE:-en_US.UTF-8}
wine() { env LC_ALL="$locale" wine "$@"; }
export LC_ALL=C

failures=0
ok() { echo "ok   $*"; }
bad() { echo "FAIL $*"; failures=$((failures + 1)); }

make_template() {
  # A prepared prefix as scripts/winenv makes its own (a new one when it is not marked prepared).
  "$scripts/winenv" --prepare "$template" || return 1
  [ -f "$template/.ready" ] && return 0
  # Wine links the user's desktop and documents to the home folder; every copy of the prefix
  # gets folders of its own instead, so that scenarios running side by side never share them.
  local link
  for link in "$template"/drive_c/users/*/*; do
    [ -L "$link" ] && rm "$link" && mkdir "$link"
  done
  touch "$template/.ready"
}

if [ "$scenario" = template ]; then
  make_template
  [ -f "$template/.ready" ] && echo "prefix template ready" && exit 0
  echo "FAIL no prefix template"; exit 1
fi

# ---- the scenario's own prefix and server ----

finish() {
  [ -d "${WINEPREFIX:-}" ] || return 0
  wine "$E2E_FIXTURE" release >/dev/null 2>&1
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
}

begin() {
  rm -rf "$dir"
  mkdir -p "$dir"
  cp -a "$template" "$dir/prefix"
  export WINEPREFIX=$dir/prefix
  # One server for the whole scenario, so that what the run schedules for the next restart is
  # still there to read: a new server session would carry it out.
  wineserver -p60 </dev/null >/dev/null 2>&1
  trap finish EXIT
}

fixture() { wine "$E2E_FIXTURE" "$@" </dev/null; }

# install [fixture options]: remembers where things are for later checks (family and folder) and
# the installation folder that the fixture reports.
layout=()
install() {
  local args=("$@") i
  for ((i = 0; i < ${#args[@]}; i++)); do
    case ${args[i]} in --family | --folder) layout+=("${args[i]}" "${args[i + 1]}") ;; esac
  done
  if ! fixture install "$@" >"$dir/install.txt"; then
    cat "$dir/install.txt"
    bad "fixture install"
    exit 1
  fi
  installdir=$(sed -n 's/^installdir //p' "$dir/install.txt")
  fixture check "${layout[@]}" >"$dir/before.txt"
}

uninstaller() { echo "$installdir\\Uninstall.EXE"; }

# drive COMMANDS...: the UI driver against a new uninstaller process; output in driver.txt.
drive() {
  WINEDEBUG=-all,err+all wine "$E2E_DRIVER" timeout 60 start "$(uninstaller)" "$@" </dev/null >"$dir/driver.txt" 2>"$dir/driver.err"
  local rc=$?
  sed 's/^/  driver: /' "$dir/driver.txt"
  if [ $rc -ne 0 ]; then
    bad "the UI driver stopped (status $rc)"
    sed 's/^/  wine: /' "$dir/driver.err" | tail -n 20
  fi
}

saw() { # saw LINE: the driver printed exactly this line
  if LC_ALL=C grep -F -x -q -- "$1" "$dir/driver.txt"; then ok "shown: $1"; else bad "not shown: $1"; fi
}
saw_count() { # saw_count TEXT N: N driver lines hold TEXT
  local n
  n=$(LC_ALL=C grep -c -F -- "$1" "$dir/driver.txt")
  if [ "$n" -eq "$2" ]; then ok "$2 x $1"; else bad "$n x $1, expected $2"; fi
}

# verify [NAME...]: after the run every product thing that existed is gone except the NAMEs, and
# every bystander ("other/...") that existed is still there; nothing new appeared.
verify() {
  fixture check "${layout[@]}" >"$dir/after.txt"
  local -A stay=()
  local n name state now
  for n in "$@"; do
    stay[$n]=1
    grep -F -x -q "$n=present" "$dir/before.txt" || bad "$n was not installed, so it cannot stay"
  done
  while IFS= read -r line; do
    name=${line%=*}
    state=${line##*=}
    now=$(grep -F -x -e "$name=present" -e "$name=absent" "$dir/after.txt" | head -n 1)
    now=${now##*=}
    if [ "$state" = absent ]; then
      [ "$now" = absent ] || bad "$name appeared"
    elif [ -n "${stay[$name]:-}" ] || [ "${name#other/}" != "$name" ]; then
      if [ "$now" = present ]; then ok "stayed: $name"; else bad "gone, but must stay: $name"; fi
    else
      if [ "$now" = absent ]; then ok "gone: $name"; else bad "stayed, but must go: $name"; fi
    fi
  done <"$dir/before.txt"
}

# The uninstaller's temporary copy (in a folder TVU<8 hex digits> of a temporary folder, or on the
# 9x family a file TVU<8 hex digits>.EXE there) and its deletion at the restart, which the run lists
# as soon as the copy is made: "scheduled" leaves it out, copy_done and copy_scheduled look at it.
copy_pattern='\\TVU[0-9A-F]{8}(\\|\.EXE$|$)'

# scheduled PATH...: exactly these deletions wait for the next restart, in this order (the files of a
# folder before the folder), besides the uninstaller's temporary copy. Paths compare without regard
# to case, as Windows does.
scheduled() {
  fixture pending >"$dir/pending.txt"
  sed 's/^/  pending: /' "$dir/pending.txt"
  local want got
  want=$(printf '%s\n' "$@" | sed '/^$/d' | tr '[:upper:]' '[:lower:]')
  got=$(grep -v -i -E "$copy_pattern" "$dir/pending.txt" | tr '[:upper:]' '[:lower:]')
  if [ "$want" = "$got" ]; then
    ok "scheduled for the next restart: ${*:-nothing}"
  else
    bad "scheduled for the next restart differs: want [$want] got [$got]"
  fi
}

# restart_prefix: the next start of Windows (every program ended, a new server session), which
# carries out what was scheduled; no judgement.
restart_prefix() {
  wine "$E2E_FIXTURE" release >/dev/null 2>&1
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  wineserver -p60 </dev/null >/dev/null 2>&1
  wine wineboot -r </dev/null >/dev/null 2>&1
}

# after_restart [NAME...]: the restart carries out what was scheduled; then the NAMEs are present
# and no other product thing is, while the bystanders are all still there.
after_restart() {
  restart_prefix
  fixture check "${layout[@]}" >"$dir/restarted.txt"
  local -A keep=()
  local n name state
  for n in "$@"; do keep[$n]=1; done
  while IFS= read -r line; do
    name=${line%=*}
    state=${line##*=}
    if [ "${name#other/}" != "$name" ]; then
      grep -F -x -q "$name=present" "$dir/before.txt" && [ "$state" != present ] && bad "after the restart $name is gone"
    elif [ -n "${keep[$name]:-}" ]; then
      [ "$state" = present ] || bad "after the restart $name is gone"
    elif [ "$state" = present ]; then
      bad "after the restart $name is still there"
    fi
  done <"$dir/restarted.txt"
  [ $failures -eq 0 ] && ok "after the restart nothing of the product is left but: ${*:-nothing}"
}

# standin MODE EXE: the running product (a "TApplication" window titled "Tarvo Link"), up when
# this returns; its output goes to standin.txt, its process id to standin_pid.
standin() {
  wine "$2" standin "$1" </dev/null >"$dir/standin.txt" 2>&1 &
  standin_pid=$!
  waitline "standin ready" "$dir/standin.txt" || { bad "the stand-in product did not start"; exit 1; }
  fixture check "${layout[@]}" >"$dir/before.txt"
}

# hold NAME [read|delete]: another program keeps that file of the product open, without sharing
# (or as the fixture's hold says).
hold() {
  wine "$E2E_FIXTURE" hold "$@" </dev/null >"$dir/hold.txt" 2>&1 &
  waitline "held" "$dir/hold.txt" || { bad "nobody holds $1"; exit 1; }
}

# unchanged: the run removed nothing at all.
unchanged() {
  fixture check "${layout[@]}" >"$dir/after.txt"
  if cmp -s "$dir/before.txt" "$dir/after.txt"; then
    ok "nothing was removed"
  else
    bad "the machine changed:"
    diff "$dir/before.txt" "$dir/after.txt" | sed 's/^/  /'
  fi
}

# Catalogues of the build, where it has them.
catalogs=()
if ls "$E2E_CATALOGS"/SetupMsg.* >/dev/null 2>&1; then catalogs=(--catalogs "$E2E_CATALOGS"); fi

# catalog_text FILE ID: the raw text of that line of a catalogue (the first line with the number).
catalog_text() {
  LC_ALL=C awk -v id="$2" 'BEGIN { RS = "[\r\n\032]+" }
    { n = $0; sub(/[ \t].*/, "", n); if (n + 0 == id && n ~ /^[0-9]/) { t = $0; sub(/^[^ \t]*[ \t]/, "", t); print t; exit } }' "$1"
}

# What a complete uninstall leaves on the NT family: the 9x driver's records, which are no business
# of the NT family.
nt_leftovers=(reg/qorv/QORVDISK reg/qorv/QORVDISK/Used reg/qorv/QORVDISK/Used:Tarvolink)

# copy_done: after a complete run the uninstaller's temporary copy, listed for the next restart
# when it was made, removes the program and ends; wait for that.
copy_done() {
  local i
  for ((i = 0; i < 100; i++)); do
    if ! fixture running | grep -i -q -E "$copy_pattern"; then
      fixture pending >"$dir/pending.txt"
      if grep -i -q -E "(^delete .*\\\\TVU[0-9A-F]{8}\$)|(^wininit .*$copy_pattern)" "$dir/pending.txt"; then
        ok "the uninstaller's copy has done its work"
        return 0
      fi
    fi
    sleep 0.2
  done
  bad "the uninstaller's copy never finished"
}

# complete_run [CODE]: a complete run seen by the user: English window, the run, the completion
# box, the end with that exit code (0, or 3010 when files wait for the next restart); then the
# copy that removes the program.
complete_run() {
  drive form click uninstall box answer ok exit
  saw "form Uninstall Tarvolink"
  saw "box-title Tarvolink Uninstall"
  saw "box Uninstall Compelete !"
  saw "box-buttons *OK"
  saw "exit ${1:-0}"
  copy_done
}

nt_complete() {
  complete_run
  verify "${nt_leftovers[@]}"
  scheduled
  after_restart reg/qorv/QORVDISK reg/qorv/QORVDISK/Used reg/qorv/QORVDISK/Used:Tarvolink
}

need_uninstaller() {
  if [ -z "${E2E_UNINSTALL:-}" ] || [ ! -f "$E2E_UNINSTALL" ]; then
    echo "FAIL no Uninstall.EXE in this build"
    exit 1
  fi
}

# Scenarios of a topic of their own live in scenarios.d/<topic>.sh, each a function scenario_<name>
# that may use everything above.
for topic in "$(dirname "${BASH_SOURCE[0]}")"/scenarios.d/*.sh; do
  [ -f "$topic" ] && . "$topic"
done

if declare -F "scenario_$scenario" >/dev/null; then
  "scenario_$scenario"
else
case $scenario in
fixture_roundtrip)
  # The fixture itself: everything it installs is reported present, and a second install of the
  # 9x family puts the driver file and the user's shortcuts where that family keeps them.
  begin
  install --user-file
  for n in dir/install install/Tarvolink.EXE install/Uninstall.EXE install/Info.ini install/InfoJPN.Ini \
           install/Main.bmp install/ExDEU.FRC install/dunzips32.dll lnk/desktop/Tarvolink.LNK \
           "lnk/programs/Tarvolink/Port Speed Probe.LNK" reg/uninstall/Tarvolink reg/qorv/Tarvolink \
           reg/run/Tarvolink reg/qorv/QORVDISK/Used:Tarvolink "other/programs/Tarvolink/My notes.txt" \
           other/OtherApp/OtherApp.exe other/lnk/desktop/OtherApp.LNK other/reg/run/OtherApp \
           other/reg/qorv/OtherProduct; do
    if grep -F -x -q "$n=present" "$dir/before.txt"; then ok "installed: $n"; else bad "not installed: $n"; fi
  done
  grep -F -x -q "system/QORVDISK.VXD=absent" "$dir/before.txt" || bad "the NT family got a 9x driver file"
  grep -F -x -q "other/reg/qorv/QORVDISK/Used:OtherProduct=absent" "$dir/before.txt" || bad "a mark of another product"
  fixture install --family 9x --used shared --folder "Tarvo Link Suite" >/dev/null
  fixture check --family 9x --folder "Tarvo Link Suite" >"$dir/9x.txt"
  for n in dir/install install/Info.ini system/QORVDISK.VXD lnk/desktop/Tarvolink.LNK lnk/programs/Tarvolink/Uninstall.LNK \
           other/reg/qorv/QORVDISK/Used:OtherProduct; do
    if grep -F -x -q "$n=present" "$dir/9x.txt"; then ok "9x installed: $n"; else bad "9x not installed: $n"; fi
  done
  scheduled
  ;;
nt_full)
  # The NT family: all-users shortcuts, no driver; the program's own file and its folder go right
  # after the run, and nothing of the product waits for the next restart.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  nt_complete
  ;;
win98_sole_user)
  # Windows 98 and Tarvolink the driver's only user: the driver file and its key go too, and the
  # program and its folder right after the run.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}" --family 9x --winver win98 --used only
  complete_run
  verify
  scheduled
  after_restart
  ;;
win98_shared_driver)
  # Windows 98 with another product's mark on the driver: only Tarvolink's mark goes.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}" --family 9x --winver win98 --used shared
  complete_run
  verify system/QORVDISK.VXD reg/qorv/QORVDISK reg/qorv/QORVDISK/Used
  scheduled
  ;;
win95)
  # Windows 95 never had the driver: it and its records are left alone, the user's shortcuts go.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}" --family 9x --winver win95 --used only
  complete_run
  verify system/QORVDISK.VXD reg/qorv/QORVDISK reg/qorv/QORVDISK/Used reg/qorv/QORVDISK/Used:Tarvolink
  scheduled
  ;;
japanese)
  # A Japanese system with the Japanese catalogue: caption and completion box in its bytes.
  need_uninstaller; begin
  jpn=("${catalogs[@]}")
  if [ ! -f "$E2E_CATALOGS/SetupMsg.JPN" ]; then
    mkdir -p "$dir/catalogs"
    iconv -f UTF-8 -t CP932 "$data/SetupMsg.JPN.utf8" >"$dir/catalogs/SetupMsg.JPN" || bad "no Japanese catalogue"
    jpn=(--catalogs "$dir/catalogs")
  fi
  install --uninstaller "$E2E_UNINSTALL" "${jpn[@]}"
  cat=${jpn[1]}/SetupMsg.JPN
  drive form click uninstall box answer ok exit
  saw "form $(catalog_text "$cat" 15102) Tarvolink"
  saw "box-title Tarvolink Uninstall"
  saw "box $(catalog_text "$cat" 15302)"
  saw "exit 0"
  copy_done
  verify "${nt_leftovers[@]}"
  scheduled
  ;;
no_catalog)
  # No catalogue beside the program, on a Japanese system: the built-in English texts.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL"
  nt_complete
  ;;
product_closes)
  # The running product closes when asked, and the uninstall goes on to the end.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  standin close "$E2E_FIXTURE"
  complete_run
  wait "$standin_pid"
  standin_rc=$?
  [ $standin_rc -eq 0 ] || bad "the product ended with $standin_rc instead of closing"
  grep -c -x "standin WM_CLOSE" "$dir/standin.txt" | grep -q -x 1 && ok "the product was asked once to close" \
    || bad "the product was not asked once to close"
  verify "${nt_leftovers[@]}"
  scheduled
  ;;
product_refuses)
  # The running product (its installed program) refuses to close: after the waits the uninstall
  # goes on; the program file it runs from waits for the restart, and the folder with it.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  standin refuse "$installdir\\Tarvolink.EXE"
  complete_run 3010
  grep -q -x "standin refused" "$dir/standin.txt" && ok "the product was asked to close and refused" \
    || bad "the product was never asked to close"
  verify "${nt_leftovers[@]}" install/Tarvolink.EXE "window/Tarvo Link" dir/install
  scheduled "delete $installdir\\Tarvolink.EXE" "delete $installdir"
  after_restart reg/qorv/QORVDISK reg/qorv/QORVDISK/Used reg/qorv/QORVDISK/Used:Tarvolink
  ;;
file_held)
  # Another program holds a file of the product open: it stays and waits for the restart.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  hold Backup.log
  complete_run 3010
  verify "${nt_leftovers[@]}" install/Backup.log dir/install
  scheduled "delete $installdir\\Backup.log" "delete $installdir"
  after_restart reg/qorv/QORVDISK reg/qorv/QORVDISK/Used reg/qorv/QORVDISK/Used:Tarvolink
  ;;
user_file)
  # The user keeps a file of their own in the product's start-menu folder: file and folder stay,
  # and the folder is not scheduled either.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}" --user-file
  complete_run
  verify "${nt_leftovers[@]}" dir/programs/Tarvolink
  scheduled
  after_restart dir/programs/Tarvolink reg/qorv/QORVDISK reg/qorv/QORVDISK/Used reg/qorv/QORVDISK/Used:Tarvolink
  ;;
close_cancel_then_ok)
  # Closing during a run asks; Cancel keeps the run going, OK ends it silently. A product that
  # will not close keeps the run busy long enough for both questions. Nothing may be removed.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  standin refuse "$E2E_FIXTURE"
  drive form click uninstall close box answer cancel close box answer ok exit
  saw_count "box Uninstall not Compelete, Quit ?" 2
  saw_count "box-buttons OK,*Cancel" 2
  saw_count "box Uninstall Compelete !" 0
  saw "exit 1602"
  unchanged
  scheduled
  ;;
second_start)
  # A second start while one copy runs (minimised) brings that copy back and ends at once;
  # Quit while idle then ends the first without a question and without removing anything.
  need_uninstaller; begin
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}"
  drive form count minimize iconic second "$(uninstaller)" count iconic click quit exit
  saw "iconic 1"
  saw "second-exit 1618"
  saw_count "app-count 1" 2
  saw "iconic 0"
  saw_count "box" 0
  saw "exit 1602"
  unchanged
  scheduled
  ;;
uninstall_string_missing | uninstall_string_quoted | uninstall_string_binary | uninstall_string_dword)
  # However the uninstall entry names the program, the product's folder is found (or its default
  # taken) and no error box stops the uninstall.
  need_uninstaller; begin
  form=${scenario#uninstall_string_}
  folder=()
  # The quoted command (with an argument after it) names a folder of its own choice: only a
  # folder read from it, and no default, finds the product.
  [ "$form" = quoted ] && form=quoted-args && folder=(--folder "Tarvo Link Suite")
  install --uninstaller "$E2E_UNINSTALL" "${catalogs[@]}" --uninstall-string "$form" "${folder[@]}"
  nt_complete
  ;;
*)
  echo "FAIL unknown scenario $scenario"
  exit 1
  ;;
esac
fi

finish
trap - EXIT
if [ $failures -eq 0 ]; then
  echo "scenario $scenario passed"
  rm -rf "$dir/prefix"
  exit 0
fi
echo "scenario $scenario: $failures failures (kept in $dir)"
exit 1
