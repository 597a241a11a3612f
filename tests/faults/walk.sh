#!/usr/bin/env bash
# walk.sh full|sample: the fault walk.
# walk.sh point 'ROLE|CALL|WHERE|K|ERROR|MODE' [nt|9x|window]: one point, with its run's log. The faults build of Uninstall.EXE (sys/Faultpoint.h) runs
# silently on the end-to-end fixture's installation; a complete run first counts its calls and
# their sites. Then each call from the end of the run on (where the promise of the exit code is
# decided), in the run and in its hand-over copy, is made to fail with each error that fits it,
# once (transient) and from then on (persistent), on the NT family; Windows 98 for the sites that
# only it has; the window for a sample. After every faulted run the machine is judged (below), then
# a run without faults on the same machine must finish the uninstall. "sample": a few points, for
# the default test run.
#
# Prints a line per broken invariant, the cases that the rules allow (named), and last:
#   K fault points x M modes: all invariants held        (or: N of K x M broke an invariant)
# Runs inside scripts/winenv. WALK_WORKERS (default 2) prefixes run side by side.
set -uo pipefail

mode=${1:-full}
work=$WALK_BUILD/faults-walk/$mode
template=$WALK_BUILD/e2e/template
workers=${WALK_WORKERS:-2}
export LC_ALL=C
rm -rf "$work"
mkdir -p "$work"

# ---- what fits each call: access denied everywhere; a sharing violation for the opens of files;
# a full disk for what writes; not enough memory for the allocations ----
errors_of() {
  case $1 in
    new | HeapAlloc) echo 8 ;;
    CreateFileA | NtOpenFile | FindFirstFileA) echo 5 32 ;;
    WriteFile | FlushFileBuffers | SetEndOfFile | MoveFileExA | MoveFileA | CreateDirectoryA | CopyFileA) echo 5 112 ;;
    *) echo 5 ;;
  esac
}

# ---- the fixture and the machine ----
w() { env LC_ALL=en_US.UTF-8 wine "$@" </dev/null; }
fixture() { w "$WALK_FIXTURE" "$@"; }
driver() { w "$WALK_DRIVER" "$@"; }

# assess BEFORE STATE: one pass over the machine's state after a run against the state before it.
# Prints "left NAME" for each thing of the product still there (with "unscheduled NAME" when the
# restart does not take it, "registry NAME" when it is a key or value), "gone NAME" for each thing
# of others that went, and "entry COMMAND" (or "entry none"). What stays on purpose is never
# judged the product's: on the NT family the 9x driver's records (none of that family's business),
# the running product's window (none runs here), the start-menu folder while the user's own file
# is in it.
assess() {
  awk -v family="$family" '
    FNR == NR { split($0, kv, "="); split(kv[2], st, " "); before[kv[1]] = st[1]; next }
    /^pending-start$/ { inpending = 1; next }
    /^pending-end$/ { inpending = 0; next }
    inpending { sub(/^(delete|wininit) /, ""); pending[tolower($0)] = 1; next }
    /^entry / { entry = substr($0, 7); next }
    /^copy-running / { print; next }
    {
      eq = index($0, "="); name = substr($0, 1, eq - 1); rest = substr($0, eq + 1)
      sp = index(rest, " "); state = sp ? substr(rest, 1, sp - 1) : rest; path = sp ? substr(rest, sp + 1) : ""
      now[name] = state; where[name] = path
    }
    END {
      for (name in before) {
        if (before[name] != "present") continue
        if (name ~ /^other\//) { if (now[name] != "present") print "gone " name; continue }
        if (now[name] != "present") continue
        if (name ~ /^window\//) continue
        if (family == "nt" && name ~ /^(reg\/qorv\/QORVDISK|system\/QORVDISK\.VXD)/) continue
        if (name == "dir/programs/Tarvolink" && now["other/programs/Tarvolink/My notes.txt"] == "present") continue
        print "left " name
        if (where[name] == "") print "registry " name
        else if (!(tolower(where[name]) in pending)) print "unscheduled " name
      }
      print "entry " (entry == "" ? "none" : entry)
    }' "$1" "$2" | tr -d '\r'
}

# Other files that carry the product's names, and the folder the run is started from: a run that
# took a bare name for one of its own would delete them.
plant_bystanders() {
  local c=$WINEPREFIX/drive_c
  mkdir -p "$c/walkcwd"
  for f in "$c/windows/Tarvolink.EXE" "$c/windows/system32/Uninstall.EXE" "$c/windows/system32/setup.ini" \
           "$c/walkcwd/Tarvolink.EXE" "$c/walkcwd/Uninstall.EXE" "$c/walkcwd/setup.ini" "$c/walkcwd/Info.ini"; do
    printf 'bystander\r\n' >"$f"
  done
}
bystanders_whole() {
  local c=$WINEPREFIX/drive_c f
  for f in "$c/windows/Tarvolink.EXE" "$c/windows/system32/Uninstall.EXE" "$c/windows/system32/setup.ini" \
           "$c/walkcwd/Tarvolink.EXE" "$c/walkcwd/Uninstall.EXE" "$c/walkcwd/setup.ini" "$c/walkcwd/Info.ini"; do
    [ "$(cat "$f" 2>/dev/null)" = $'bystander\r' ] || echo "${f#"$c"/}"
  done
}

reset_machine() {
  fixture reset "${install_opts[@]}" >"$pw/reset.txt" || { echo "walk: the fixture could not install"; cat "$pw/reset.txt"; return 1; }
  plant_bystanders
  rm -f "$WINEPREFIX/drive_c/walk-run.log" "$WINEPREFIX/drive_c/walk-free.log" "$WINEPREFIX/drive_c/walk-trace.txt"
}

# silent_run LOG [PLAN]: the uninstaller run as a deployment tool runs it, from C:\walkcwd.
silent_run() {
  local plan=${2:-}
  (cd "$WINEPREFIX/drive_c/walkcwd" &&
    TARVO_FAULT=$plan TARVO_FAULT_TRACE='C:\walk-trace.txt' driver timeout 40 run "$exe_installed" "/S /LOG=C:\\$1" \
      >"$pw/driver.txt" 2>"$pw/driver.err")
  echo $? >"$pw/driver.rc"
}

# window_run [PLAN]: the same through the window: "Uninstall", the box answered, the window closed
# when it stays open (after a failure it must answer).
window_run() {
  local plan=${1:-}
  (cd "$WINEPREFIX/drive_c/walkcwd" &&
    TARVO_FAULT=$plan TARVO_FAULT_TRACE='C:\walk-trace.txt' driver timeout 40 start-with "$exe_installed" \
      '/LOG=C:\walk-run.log' form click uninstall box answer ok close-if-open exit >"$pw/driver.txt" 2>"$pw/driver.err")
  echo $? >"$pw/driver.rc"
}

# ---- the judge ----
# judge TAG: the machine after a faulted run (state.txt, the log, the driver's lines) against
# before.txt; each broken invariant becomes a line of violations, each allowed case of exceptions.
judge() {
  local tag=$1 code fired=0 state=$pw/state.txt log=$WINEPREFIX/drive_c/walk-run.log logged=1
  # A log whose own writes fail tells nothing: the log's writes, or every write from some point on.
  [ "$where" = "the log's writes" ] || { [ "$call" = WriteFile ] && [ "$pmode" = persistent ]; } && logged=0
  fixture state "${check_opts[@]}" >"$state"
  code=$(sed -n 's/^\(run-exit\|exit\) \([0-9]*\)\r*$/\2/p' "$pw/driver.txt" | tail -n 1)
  grep -q " fired, error " "$WINEPREFIX/drive_c/walk-trace.txt" 2>/dev/null && fired=1
  local v=()
  [ "$(cat "$pw/driver.rc")" = 0 ] || v+=("4: the driver stopped: $(tr -d '\r' <"$pw/driver.txt" | tail -n 1) $(head -c 200 "$pw/driver.err")")
  grep -q -E "Unhandled|page fault|starting debugger" "$pw/driver.err" && v+=("4: a crash: $(grep -m1 -E 'Unhandled|page fault' "$pw/driver.err")")
  grep -q "^run-visible [1-9]" "$pw/driver.txt" && v+=("4: a window or box in silent mode")
  grep -q "^copy-running" "$state" && v+=("4: the copy still runs: $(grep -m1 '^copy-running' "$state")")
  [ -n "$code" ] || { code=none; v+=("2: no exit code"); }
  local missing
  missing=$(bystanders_whole)
  [ -z "$missing" ] || v+=("1: changed: $missing")
  assess "$pw/before.txt" "$state" >"$pw/assessed.txt"
  local left=() unscheduled=() regleft=() kind item
  while read -r kind item; do
    case $kind in
      gone) v+=("1: gone, not the product's: $item") ;;
      left) left+=("$item") ;;
      unscheduled) unscheduled+=("$item") ;;
      registry) regleft+=("$item") ;;
    esac
  done <"$pw/assessed.txt"

  local entry exe own_only=1 n
  entry=$(sed -n 's/^entry //p' "$pw/assessed.txt")
  for n in "${left[@]}"; do
    case $n in install/Uninstall.EXE | dir/install) ;; *) own_only=0 ;; esac
  done
  # The one case where a failing run may leave no entry: only the program and its folder are left,
  # and the log says to delete them by hand; or the hand-over copy itself failed after the run ended.
  local narrow=0
  if [ ${#left[@]} -gt 0 ] && [ "$own_only" = 1 ] && [ "$entry" = none ]; then
    if grep -q "delete it and its folder by hand" "$log" 2>/dev/null || { [ "$logged" = 0 ] && [ "$role" = run ]; }; then
      narrow=1
      exceptions+=("$tag: the uninstall entry is gone and only the program and its folder are left, the log says to delete them by hand")
    elif [ "$role" = copy ] && [ ${#unscheduled[@]} -eq 0 ]; then
      # After the run's end only the copy can answer for it: what it could not remove waits then.
      narrow=1
      exceptions+=("$tag: the hand-over copy could not remove the program after the run had ended: it waits for the restart")
    elif [ "$role" = copy ] && [ "$family" = 9x ] && [ "$pmode" = persistent ]; then
      # Windows 98 can neither move a running program out of its folder nor remove a folder at the
      # restart: a copy that fails for good after the run has ended leaves both, and nothing else.
      narrow=1
      exceptions+=("$tag: on Windows 98 the hand-over copy failed for good after the run had ended: only the program and its folder are left")
    fi
  fi
  case $code in
    0)
      [ ${#left[@]} -eq 0 ] || [ "$narrow" = 1 ] || v+=("2: exit 0, but left: ${left[*]}")
      ;;
    3010)
      [ "$narrow" = 1 ] || [ ${#regleft[@]} -eq 0 ] || v+=("2: exit 3010, but left in the registry: ${regleft[*]}")
      [ "$narrow" = 1 ] || [ ${#unscheduled[@]} -eq 0 ] || v+=("2: exit 3010, but not scheduled: ${unscheduled[*]}")
      ;;
    1602 | 1603)
      if [ "$narrow" = 0 ]; then
        if [ "$entry" = none ]; then
          v+=("3: exit $code without an uninstall entry; left: ${left[*]:-nothing}")
        else
          exe=${entry#\"}
          exe=${exe%%\"*}
          if driver timeout 20 run "$exe" "/S /?" >"$pw/starts.txt" 2>/dev/null && grep -q "^run-exit 0" "$pw/starts.txt"; then :; else
            v+=("3: exit $code, and the entry's uninstaller $exe does not start")
          fi
        fi
      fi
      if [ "$fired" = 1 ] && [ "$logged" = 1 ] && ! grep -q "(error $error" "$log" 2>/dev/null; then
        v+=("4: exit $code, but the log names no action that failed with error $error")
      fi
      ;;
    *) v+=("2: exit $code") ;;
  esac
  for x in "${v[@]}"; do violations+=("$tag: invariant $x"); done
  [ ${#v[@]} -eq 0 ] || broken_here=1
  faulted_state=$code
}

# finish TAG: a run without faults on the same machine ends 0 or 3010 and leaves nothing of the
# product that the restart does not take.
finish() {
  local tag=$1 state=$pw/free.txt entry exe
  entry=$(sed -n 's/^entry //p' "$pw/assessed.txt")
  exe=${entry#\"}
  exe=${exe%%\"*}
  if [ "$entry" = none ]; then
    grep -q '^install/Uninstall.EXE=present' "$pw/state.txt" || return 0   # nothing left to run
    exe=$exe_installed
  fi
  (cd "$WINEPREFIX/drive_c/walkcwd" && driver timeout 40 run "$exe" '/S /LOG=C:\walk-free.log' >"$pw/free-driver.txt" 2>&1)
  local code
  code=$(sed -n 's/^run-exit \([0-9]*\)\r*$/\1/p' "$pw/free-driver.txt")
  case $code in 0 | 3010) ;; *) violations+=("$tag: invariant 5: the run afterwards ended with ${code:-nothing}"); broken_here=1; return ;; esac
  fixture state "${check_opts[@]}" >"$state"
  assess "$pw/before.txt" "$state" >"$pw/free-assessed.txt"
  local left=()
  mapfile -t left < <(sed -n 's/^\(unscheduled\|registry\) //p' "$pw/free-assessed.txt")
  [ ${#left[@]} -eq 0 ] || { violations+=("$tag: invariant 5: the run afterwards left: ${left[*]}"); broken_here=1; }
}

# ---- a worker: its own copy of the prefix, its own Wine server ----
set_family() {
  family=$1
  if [ "$family" = 9x ]; then
    install_opts=(--uninstaller "$exe_windows" --family 9x --winver win98 --used only)
    check_opts=(--family 9x)
  else
    install_opts=(--uninstaller "$exe_windows" --user-file)
    check_opts=()
  fi
}

worker_begin() { # worker_begin N
  pw=$work/w$1
  mkdir -p "$pw"
  cp -a "$template" "$pw/prefix"
  export WINEPREFIX=$pw/prefix
  wineserver -p60 </dev/null >/dev/null 2>&1
  exe_windows=$(winepath -w "$WALK_UNINSTALL" 2>/dev/null)
  exe_installed='C:\Program Files\Tarvolink\Uninstall.EXE'
}
worker_end() {
  fixture reset "${install_opts[@]}" >/dev/null 2>&1
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  rm -rf "$pw/prefix"
}

# count FAMILY: the fault-free run's calls from the end of the run on, one "role n call|where|k" a
# line, into points-FAMILY.txt.
count() {
  set_family "$1"
  reset_machine || return 1
  fixture check "${check_opts[@]}" --paths >"$pw/before.txt"
  silent_run walk-run.log
  fixture state "${check_opts[@]}" >"$pw/state.txt"   # once the copy has ended too
  grep -q "^copy-running" "$pw/state.txt" && { echo "walk: the copy of the counting run on $1 did not end"; return 1; }
  tr -d '\r' <"$WINEPREFIX/drive_c/walk-trace.txt" >"$work/trace-$1.txt"
  grep -q "^run-exit 0" "$pw/driver.txt" || { echo "walk: the counting run on $1 did not end with 0"; cat "$pw/driver.txt"; return 1; }
  awk '/^run [0-9]+ phase the end of the run$/ { tail = 1; next }
       $1 == "copy" || (tail && $1 == "run" && $3 != "phase") { print }' "$work/trace-$1.txt" >"$work/calls-$1.txt"
}

# The points of a family: "role|call|where|k|error|mode|n", one a line.
points_of() { # points_of FAMILY [SITES-TO-SKIP]
  while read -r role n site; do
    local call=${site%%|*} rest=${site#*|}
    local where=${rest%|*} k=${rest##*|}
    [ -n "${2:-}" ] && grep -q -x -F -- "$call|$where" "$2" && continue
    for e in $(errors_of "$call"); do
      for m in transient persistent; do echo "$role|$call|$where|$k|$e|$m|$n"; done
    done
  done <"$work/calls-$1.txt"
}

# walk_points FILE RUNNER: every point of FILE on this worker's machine.
walk_points() {
  local file=$1 runner=$2 out=$3
  violations=() exceptions=()
  local count=0
  while IFS='|' read -r role call where k error pmode n; do
    count=$((count + 1))
    local tag="call $n of the $( [ "$role" = copy ] && echo "hand-over copy" || echo run ) ($family$( [ "$runner" = window_run ] && echo ", window")), $call in $where, error $error, $pmode"
    broken_here=0
    reset_machine || { violations+=("$tag: the fixture could not install"); echo "broken" >>"$out.broken"; continue; }
    fixture check "${check_opts[@]}" --paths >"$pw/before.txt"
    if [ "$runner" = window_run ]; then window_run "$role|$call|$where|$k|$error|$pmode"
    else silent_run walk-run.log "$role|$call|$where|$k|$error|$pmode"; fi
    judge "$tag"
    cp "$WINEPREFIX/drive_c/walk-run.log" "$pw/log.txt" 2>/dev/null
    finish "$tag"
    [ "$broken_here" = 0 ] || echo "$tag" >>"$out.broken"
  done <"$file"
  { printf 'count %s\n' "$count"; for x in "${violations[@]}"; do printf 'violation %s\n' "$x"; done
    for x in "${exceptions[@]}"; do printf 'exception %s\n' "$x"; done; } >"$out"
}

run_worker() { # run_worker N FAMILY POINTS RUNNER OUT
  (
    worker_begin "$1"
    set_family "$2"
    walk_points "$3" "$4" "$5"
    worker_end
  )
}

# ---- the walk ----
if [ "$mode" = point ]; then
  kind=${3:-nt}
  runner=silent_run
  [ "$kind" = window ] && runner=window_run && kind=nt
  printf '%s|0\n' "$2" >"$work/one.txt"
  run_worker 1 "$kind" "$work/one.txt" "$runner" "$work/out-one.txt"
  tr -d '\r' <"$work/w1/log.txt" 2>/dev/null | sed 's/^/  log: /'
  sed 's/^/  /' "$work/out-one.txt"
  exit 0
fi
started=$(date +%s)
( worker_begin 0; count nt && count 9x; worker_end ) || exit 1
# A number per point for the output: the call's number in the counting run.
points_of nt >"$work/points-nt.txt"
cut -d' ' -f3 "$work/calls-nt.txt" | sed 's/|[0-9]*$//' | sort -u >"$work/sites-nt.txt"
points_of 9x "$work/sites-nt.txt" >"$work/points-9x.txt"

if [ "$mode" = sample ]; then
  # A few points where the promise turns: the product's key, the entry, the hand-over and its copy.
  grep -E '^run\|(NtDeleteKey\|the key-tree deletion\|1\|5\|transient|RegEnumKeyExW\|the key-tree deletion\|1\|5\|persistent|MoveFileExA\|the restart schedule\|1\|5\|transient|CreateProcessA\|the hand-over copy\|1\|5\|persistent|SetEvent\|the copy.s go\|1\|5\|transient|WriteFile\|the hand-over copy\|1\|112\|transient)\|' \
    "$work/points-nt.txt" >"$work/walk-nt.txt"
  grep -E '^copy\|(NtSetInformationFile\|the copy.s removal of the original\|1\|5\|persistent)\|' "$work/points-nt.txt" >>"$work/walk-nt.txt"
  : >"$work/walk-9x.txt"
  : >"$work/walk-window.txt"
else
  cp "$work/points-nt.txt" "$work/walk-nt.txt"
  cp "$work/points-9x.txt" "$work/walk-9x.txt"
  # The window: every fourth site, at its first call, with each error and mode.
  awk -F'|' '$4 == 1 && !(($1 FS $2 FS $3) in site) { site[$1 FS $2 FS $3] = n++ }
             $4 == 1 && site[$1 FS $2 FS $3] % 4 == 0' "$work/points-nt.txt" >"$work/walk-window.txt"
fi

# Shared out among the workers, the 9x points and the window's after the NT ones.
jobs=()
for ((i = 1; i <= workers; i++)); do
  awk -v n="$workers" -v i="$i" 'NR % n == i % n' "$work/walk-nt.txt" >"$work/part-nt-$i.txt"
  awk -v n="$workers" -v i="$i" 'NR % n == i % n' "$work/walk-9x.txt" >"$work/part-9x-$i.txt"
  awk -v n="$workers" -v i="$i" 'NR % n == i % n' "$work/walk-window.txt" >"$work/part-window-$i.txt"
  (
    run_worker "$i" nt "$work/part-nt-$i.txt" silent_run "$work/out-nt-$i.txt"
    run_worker "$i" 9x "$work/part-9x-$i.txt" silent_run "$work/out-9x-$i.txt"
    run_worker "$i" nt "$work/part-window-$i.txt" window_run "$work/out-window-$i.txt"
  ) &
  jobs+=($!)
done
for j in "${jobs[@]}"; do wait "$j"; done

points=$(cat "$work"/out-*.txt | awk '$1 == "count" { n += $2 } END { print n + 0 }')
broken=$(cat "$work"/out-*.txt.broken 2>/dev/null | wc -l)
planned=$(cat "$work/walk-nt.txt" "$work/walk-9x.txt" "$work/walk-window.txt" | wc -l)
cat "$work"/out-*.txt | sed -n 's/^violation //p'
cat "$work"/out-*.txt | sed -n 's/^exception /allowed: /p'
sites=$(cat "$work/walk-nt.txt" "$work/walk-9x.txt" | cut -d'|' -f1-4 | sort -u | wc -l)
echo "walk: $sites calls in the run's end and its copy ($(wc -l <"$work/calls-nt.txt") on the NT family, $(wc -l <"$work/walk-9x.txt") points of Windows 98's own), $(wc -l <"$work/walk-window.txt") points in the window; $(($(date +%s) - started)) s"
if [ "$points" -ne "$planned" ]; then
  echo "walk: $points of $planned points were walked"
  exit 1
fi
half=$((points / 2))
if [ "$broken" -eq 0 ]; then
  echo "$half fault points x 2 modes: all invariants held"
else
  echo "$broken of $half fault points x 2 modes broke an invariant"
  exit 1
fi
