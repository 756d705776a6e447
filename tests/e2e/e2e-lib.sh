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
