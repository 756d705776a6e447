#!/usr/bin/env bash
# End to end on the real tidewell.exe under Wine on a virtual display, driven by xdotool as a
# person would drive it: `/UNINSTALL "Demo App"` opens the uninstall dialog on the seeded
# demo entry; Enter starts its real uninstaller, the script waits until that process has
# ended, Enter continues (the uninstaller removed its entry: the success page) and Enter
# closes. Then the same for "Demo Stubborn Tool", whose uninstaller leaves its entry behind:
# Enter continues to the clean-up page and Enter removes the entry. The catalogue and
# ULOG.TXT beside the executable must show both outcomes. Finally the log viewer prints the
# log on the PDF printer of scripts/printer-setup, and the PDF's text is the log's.
#   uninstall_switch.sh TIDEWELL_EXE SEEDER_EXE OUTPUT_FOLDER
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/e2e-lib.sh"
rm -f "$out"/*.log "$out"/*.png
catalogue='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'
entry_exists() { "$WINE" reg query "$catalogue\\$1" >/dev/null 2>&1 </dev/null; }
entry_gone() { ! entry_exists "$1"; }
log="$(dirname "$exe")/ULOG.TXT"

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

# The log viewer prints the log on a real printer: Other Options, "Uninstall Log...", PRINT,
# OK in the print dialog. The PDF queue of scripts/printer-setup turns the job into a file.
print_log() {
  "$WINE" "$exe" >>"$out/tidewell.log" 2>&1 </dev/null &
  pid=$!
  main=$(find_window Tidewell 300)
  [[ -n $main ]] || return 1
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool windowfocus --sync "$main" 2>/dev/null
  xdotool mousemove --window "$main" $(( (WIDTH - 638) / 2 + 522 )) $(( HEIGHT - 37 )) click 1
  sleep 0.7
  xdotool key Down Down Down Return               # "Uninstall Log..."
  viewer=$(find_window "Uninstall Log" 100)
  check "Other Options opens the log viewer" test -n "$viewer"
  if [[ -n $viewer ]]; then
    touch "$out/before-print"
    eval "$(xdotool getwindowgeometry --shell "$viewer")"
    # PRINT ... is the third of the four buttons below the memo (96-DPI design pixels).
    xdotool mousemove --window "$viewer" $(( 319 + 68 )) $(( 32 + 262 + 17 )) click 1
    dialog=$(find_window Print 100)
    check "PRINT shows the print dialog" test -n "$dialog"
    [[ -n $dialog ]] && press "$dialog" Return
    pdf=""
    for _ in $(seq 1 300); do
      pdf=$(find "$pdf_folder" -maxdepth 1 -name 'Uninstall_Log*.pdf' -newer "$out/before-print" 2>/dev/null | head -n 1)
      [[ -n $pdf ]] && pdfinfo "$pdf" >/dev/null 2>&1 && break
      sleep 0.1
    done
    check "the print job became a PDF" test -n "$pdf"
    if [[ -n $pdf ]]; then
      cp "$pdf" "$out/uninstall-log.pdf"
      pdftotext -layout "$out/uninstall-log.pdf" "$out/uninstall-log.txt"
      check "the printed page holds the log's lines" \
        test "$(grep -v '^$' "$out/uninstall-log.txt" | tr -d '\f' | sed 's/ *$//')" = "$(tr -d '\r' <"$log" | grep -v '^$')"
      check "the log fits on one page" test "$(pdfinfo "$out/uninstall-log.pdf" | awk '/^Pages:/ { print $2 }')" = 1
    fi
    press "$viewer" Escape
  fi
  main=$(find_window Tidewell 10)
  [[ -n $main ]] && press "$main" alt+F4
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then kill "$pid"; fi
  wait "$pid" 2>/dev/null
  return 0
}
setup=$("$here/../../scripts/printer-setup" 2>&1 | tail -n 1)
if [[ $setup == "printer-setup: ready: "* ]]; then
  pdf_folder=${setup##* }
  print_log
else
  echo "skipped: printing the log, no printer can exist here ($setup)"
fi

# Put the demo back for the tests that come after.
wine_quiet "$seeder"

finish
