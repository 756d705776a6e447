#!/usr/bin/env bash
# End to end on the real tidewell.exe under Wine on a virtual display, driven by xdotool:
# first start on the seeded demo catalogue (centred, design size, screenshot), the settings
# written by the Exit command, a second start at the stored bounds, and /QU removing an entry
# and starting its uninstaller.
#   main_window.sh TIDEWELL_EXE SEEDER_EXE OUTPUT_FOLDER
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
reg_value() {  # reg_value KEY NAME -> prints the data of a string value
  "$WINE" reg query "$1" /v "$2" >"$out/reg.txt" 2>&1 </dev/null || return 1
  awk -v n="$2" '$1 == n { print $3 }' "$out/reg.txt" | tr -d '\r'
}
settings='HKCU\Software\Quenmark\Tidewell\Desktop'

start() {
  "$WINE" "$exe" "$@" >>"$out/tidewell.log" 2>&1 </dev/null &
  pid=$!
  window=""
  for _ in $(seq 1 150); do
    window=$(xdotool search --name '^Tidewell$' 2>/dev/null | head -n 1)
    [[ -n $window ]] && break
    sleep 0.1
  done
  [[ -n $window ]]
}

# Leaves through Other Options, then the menu's last item (Exit).
exit_by_menu() {
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove --window "$window" $(( (WIDTH - 638) / 2 + 522 )) $(( HEIGHT - 37 )) click 1
  sleep 0.7
  xdotool key Up Return
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then kill "$pid"; wait "$pid" 2>/dev/null; return 1; fi
  wait "$pid" 2>/dev/null
  return 0
}

wine_quiet "$seeder"
wine_quiet reg delete 'HKCU\Software\Quenmark\Tidewell' /f

# First start: centred at the design size.
check "the main window opens" start
sleep 1.5
eval "$(xdotool getwindowgeometry --shell "$window")"
screen_w=$(xdotool getdisplaygeometry | cut -d' ' -f1)
screen_h=$(xdotool getdisplaygeometry | cut -d' ' -f2)
check "first start is 654 by 460" test "$WIDTH x $HEIGHT" = "654 x 460"
check "first start is centred" test "$X,$Y" = "$(( (screen_w - 654) / 2 )),$(( (screen_h - 460) / 2 ))"
import -window "$window" "$out/main-window.png"
check "a screenshot was taken" test -s "$out/main-window.png"
check "Exit closes the program" exit_by_menu
check "the exit stored the width" test "$(reg_value "$settings" Width)" = 654
check "the exit stored the height" test "$(reg_value "$settings" Height)" = 460
check "the exit stored the state" test "$(reg_value "$settings" WindowState)" = 0
check "the exit stored the view style" test "$(reg_value "$settings" MainViewStyle)" = 0

# Second start at stored bounds.
wine_quiet reg add "$settings" /v Left /t REG_SZ /d 40 /f
wine_quiet reg add "$settings" /v Top /t REG_SZ /d 50 /f
wine_quiet reg add "$settings" /v Width /t REG_SZ /d 720 /f
wine_quiet reg add "$settings" /v Height /t REG_SZ /d 530 /f
check "the main window opens again" start
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
check "the second start takes the stored bounds" test "$X,$Y $WIDTH x $HEIGHT" = "40,50 720 x 530"
check "Exit closes the program again" exit_by_menu

# /QU: the named entry goes and its uninstall command is started; others stay.
marker='C:\tidewell-e2e-qu.txt'
rm -f "$WINEPREFIX/drive_c/tidewell-e2e-qu.txt"
key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\TidewellE2EQuiet'
wine_quiet reg add "$key" /v DisplayName /t REG_SZ /d "E2E Quiet Removal" /f
wine_quiet reg add "$key" /v UninstallString /t REG_SZ /d "cmd.exe /c echo started>$marker" /f
"$WINE" "$exe" /QU "E2E Quiet Removal" "Not Installed Anywhere" >>"$out/tidewell.log" 2>&1 </dev/null
check "/QU ends the program with status 0" test $? = 0
check "/QU removed the entry" bash -c "! '$WINE' reg query '$key' >/dev/null 2>&1 </dev/null"
for _ in $(seq 1 50); do [[ -f $WINEPREFIX/drive_c/tidewell-e2e-qu.txt ]] && break; sleep 0.1; done
check "/QU started the uninstall command" test -f "$WINEPREFIX/drive_c/tidewell-e2e-qu.txt"
check "/QU left other entries" "$WINE" reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Demo App' >/dev/null 2>&1

finish
