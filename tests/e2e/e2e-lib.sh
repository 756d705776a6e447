# Sourced by the end-to-end scripts: their arguments, the project's Wine prefix on a virtual
# display, and the checks they count.
#   source e2e-lib.sh TIDEWELL_EXE SEEDER_EXE OUTPUT_FOLDER
set -uo pipefail
exe=$(readlink -f "$1")
seeder=$(readlink -f "$2")
out=$(readlink -m "$3")
mkdir -p "$out"
unset DISPLAY
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env"
tidewell_display
tidewell_prefix

failures=0
passes=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then passes=$((passes + 1)); echo "ok: $what"; else failures=$((failures + 1)); echo "FAILED: $what"; fi
}
# Runs a Wine program with its output kept in the output folder.
wine_quiet() { "$WINE" "$@" >>"$out/wine.log" 2>&1 </dev/null; }
# The closing line of the run, and its status.
finish() {
  echo "$passes passed, $failures failed"
  (( failures == 0 ))
}

# The first visible window of the started program ($pid) with exactly this title, waiting up
# to `tries` tenths of a second. Only the program's own windows count: the display may be shared.
find_window() {  # find_window TITLE TRIES
  local found=""
  for _ in $(seq 1 "$2"); do
    found=$(xdotool search --all --onlyvisible --pid "$pid" --name "^$1\$" 2>/dev/null | head -n 1)
    [[ -n $found ]] && break
    sleep 0.1
  done
  echo "$found"
}

# Presses keys in a window (a dialog sees keys before its controls).
press() {  # press WINDOW KEY...
  # A page's button ignores presses for a double-click time after the page appears, as a
  # person's second click of a double click must not run the next step: wait longer first.
  sleep 1
  xdotool windowfocus --sync "$1" 2>/dev/null
  shift
  xdotool key --clearmodifiers "$@"
  sleep 0.4
}

# Waits until no uninstaller of the named demo entry runs in this Wine prefix any more.
wait_for_uninstaller() {  # wait_for_uninstaller FOLDER-NAME
  local pattern="$1.uninstall\\.exe" running process
  for _ in $(seq 1 300); do
    running=0
    for process in $(pgrep -f "$pattern"); do
      if tr '\0' '\n' <"/proc/$process/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then running=1; fi
    done
    ((running == 0)) && return 0
    sleep 0.1
  done
  return 1
}
