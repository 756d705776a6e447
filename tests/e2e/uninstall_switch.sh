#!/usr/bin/env bash
# End to end on the real tidewell.exe under Wine on a virtual display, driven by xdotool as a
# person would drive it: `/UNINSTALL "Demo App"` opens the uninstall dialog on the seeded
# demo entry; Enter starts its real uninstaller, the script waits until that process has
# ended, Enter continues (the uninstaller removed its entry: the success page) and Enter
# closes. Then the same for "Demo Stubborn Tool", whose uninstaller leaves its entry behind:
# Enter continues to the clean-up page and Enter removes the entry. The catalogue and
# ULOG.TXT beside the executable must show both outcomes.
#   uninstall_switch.sh TIDEWELL_EXE SEEDER_EXE OUTPUT_FOLDER
set -uo pipefail
exe=$(readlink -f "$1")
seeder=$(readlink -f "$2")
out=$(readlink -m "$3")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mkdir -p "$out"
rm -f "$out"/*.log "$out"/*.png
unset DISPLAY
source "$here/../../scripts/wine-env"
tidewell_display
tidewell_prefix

failures=0
passes=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then passes=$((passes + 1)); echo "ok: $what"; else failures=$((failures + 1)); echo "FAILED: $what"; fi
}
wine_quiet() { "$WINE" "$@" >>"$out/wine.log" 2>&1 </dev/null; }
catalogue='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'
entry_exists() { "$WINE" reg query "$catalogue\\$1" >/dev/null 2>&1 </dev/null; }
entry_gone() { ! entry_exists "$1"; }
log="$(dirname "$exe")/ULOG.TXT"

# The first visible window of the started program with exactly this title, waiting up to
# `tries` tenths of a second. Only the program's own windows count: the display may be shared.
find_window() {  # find_window TITLE TRIES
  local found=""
  for _ in $(seq 1 "$2"); do
    found=$(xdotool search --all --onlyvisible --pid "$pid" --name "^$1\$" 2>/dev/null | head -n 1)
    [[ -n $found ]] && break
    sleep 0.1
  done
  echo "$found"
}

# Presses a key in the dialog, which sees keys before its controls.
press() {  # press WINDOW KEY
  xdotool windowfocus --sync "$1" 2>/dev/null
  xdotool key --clearmodifiers "$2"
  sleep 0.4
}

# Waits until no uninstaller of the named demo entry runs in this Wine prefix any more.
wait_for_uninstaller() {  # wait_for_uninstaller FOLDER-NAME
  local pattern="$1.uninstall\\.exe" running
  for _ in $(seq 1 300); do
    running=0
    for pid in $(pgrep -f "$pattern"); do
      if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then running=1; fi
    done
    ((running == 0)) && return 0
    sleep 0.1
  done
  return 1
}

# One walk: /UNINSTALL NAME, Enter, wait, Enter, Enter.
walk() {  # walk DISPLAY-NAME FOLDER-NAME SHOT
  "$WINE" "$exe" /UNINSTALL "$1" >>"$out/tidewell.log" 2>&1 </dev/null &
  pid=$!
  dialog=$(find_window Uninstall 300)
  check "/UNINSTALL \"$1\" opens the uninstall dialog" test -n "$dialog"
  if [[ -z $dialog ]]; then
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 1
  fi
  import -window root "$out/$3-start.png"
  press "$dialog" Return                       # UNINSTALL: the real uninstaller starts
  check "the uninstaller of \"$1\" ran and ended" wait_for_uninstaller "$2"
  press "$dialog" Return                       # CONTINUE
  import -window root "$out/$3-outcome.png"
  press "$dialog" Return                       # CLOSE or CLEAN-UP
  for _ in $(seq 1 50); do [[ -z $(find_window Uninstall 1) ]] && break; sleep 0.1; done
  check "Enter closed the dialog" test -z "$(find_window Uninstall 1)"
  main=$(find_window Tidewell 50)
  check "the program keeps running with its main window" test -n "$main"
  if [[ -n $main ]]; then press "$main" alt+F4; fi
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then kill "$pid"; fi
  wait "$pid" 2>/dev/null
  return 0
}

# ULOG.TXT with its date and time lines replaced by <when>, and without CR.
log_text() {
  tr -d '\r' <"$log" | sed -E 's#^[0-9]{1,4}[/.-][0-9]{1,2}[/.-][0-9]{1,4}( [0-9]{1,2}:[0-9]{2}:[0-9]{2}( [AP]M)?)?$#<when>#'
}

wine_quiet "$seeder"
rm -f "$log"
check "the demo entry is seeded" entry_exists "Demo App"
check "the stubborn demo entry is seeded" entry_exists "Demo Stubborn Tool"

walk "Demo App" "Demo App" demo-app
check "the uninstaller removed \"Demo App\" from the catalogue" entry_gone "Demo App"

walk "Demo Stubborn Tool" "Stubborn Tool" stubborn
check "the clean-up removed \"Demo Stubborn Tool\" from the catalogue" entry_gone "Demo Stubborn Tool"

expected=$(cat <<'EOF'

Tidewell Uninstall Log
Contains information about programs you have uninstalled from your computer


<when>
Uninstalling Demo App
Uninstall OK. Uninstaller removed program from list.

<when>
Uninstalling Demo Stubborn Tool
Uninstaller did not complete the uninstall process or did not remove program from list.
Removed from list by Tidewell.
EOF
)
check "ULOG.TXT holds both walks" test "$(log_text)" = "$expected"
if [[ "$(log_text)" != "$expected" ]]; then
  echo "--- ULOG.TXT:"; tr -d '\r' <"$log" 2>/dev/null
fi
check "ULOG.TXT ends its lines with CR LF" test "$(grep -c $'\r$' "$log")" = "$(wc -l <"$log")"

# Put the demo back for the tests that come after.
wine_quiet "$seeder"

echo "$passes passed, $failures failed"
(( failures == 0 ))
