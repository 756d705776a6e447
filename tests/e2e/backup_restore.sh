#!/usr/bin/env bash
# End to end on the real tidewell.exe under Wine, driven by xdotool: each of the five changes
# of a catalogue entry (Delete From List, the uninstall dialog's clean-up, the edit's write-back,
# New Program over an existing entry, /QU) first saves a backup, and restoring it (through the
# dialog once, then /RESTORE) gives regedit's export of the entry from before, byte for byte.
# Then refusals: /QU when the backup folder cannot be made, and /RESTORE of a file cut short.
#   backup_restore.sh TIDEWELL_EXE SEEDER_EXE OUTPUT_FOLDER
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/e2e-lib.sh"
rm -f "$out"/*.reg "$out"/*.png "$out"/*.log
catalogue='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'
key() { echo "$catalogue\\TidewellE2E-Backup-$1"; }
win_out=$(tidewell_winpath "$out")

# The backup folder: %LOCALAPPDATA%\Quenmark\Tidewell\Backups of the prefix's user.
"$WINE" cmd.exe /c 'echo %LOCALAPPDATA%' >"$out/appdata.txt" 2>/dev/null </dev/null
"$WINE" winepath -u "$(tr -d '\r\n' <"$out/appdata.txt")" >"$out/appdata-unix.txt" 2>/dev/null </dev/null
backups="$(tr -d '\r\n' <"$out/appdata-unix.txt")/Quenmark/Tidewell/Backups"
[[ $backups == /* ]] || { echo "no local application data folder: $backups"; exit 1; }
rm -rf "$backups"

# An entry with values of every common kind, names and data with quotes, backslashes and
# "=", the default value and a key below; written with regedit as an installer would. Its
# uninstaller is the demo's stubborn one, which leaves the entry behind.
wine_quiet "$seeder"
uninstaller='C:\\Program Files\\Tidewell Demo\\Stubborn Tool\\uninstall.exe'
seed() {  # seed N
  {
    printf '\xff\xfe'
    iconv -f UTF-8 -t UTF-16LE <<EOF
Windows Registry Editor Version 5.00

[$(key "$1")]
"DisplayName"="E2E Backup $1"
"UninstallString"="\\"$uninstaller\\" /key \\"$(key "$1" | sed 's/\\/\\\\/g')\\" /leave"
"Quote \\"and\\" back\\\\slash = equals"="data with \\"quotes\\", \\\\ and ="
@="the default value"
"Path"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,00,25,00,00,00
"Size"=dword:00000600
"Big"=hex(b):01,02,03,04,05,06,07,08
"Blob"=hex:00,01,02,fe,ff
"Lines"=hex(7):61,00,00,00,62,00,00,00,00,00

[$(key "$1")\\Sub key]
"Nested"=dword:00000001
EOF
  } >"$out/seed-$1.reg"
  wine_quiet regedit /S "$win_out\\seed-$1.reg"
}
export_key() { wine_quiet regedit /E "$win_out\\$2" "$(key "$1")"; }  # export_key N FILE
exists() { "$WINE" reg query "$(key "$1")" >/dev/null 2>&1 </dev/null; }
gone() { ! exists "$1"; }
newest_backup() { ls -t "$backups"/*.reg 2>/dev/null | head -n 1; }
reason_of() { iconv -f UTF-16LE -t UTF-8 <"$1" 2>/dev/null | tr -d '\r' | sed -n 's/^; Reason: //p'; }
newest_reason_is() { test "$(reason_of "$(newest_backup)")" = "$1"; }
same_as_before() { export_key "$1" "after-$1.reg" && cmp -s "$out/before-$1.reg" "$out/after-$1.reg"; }

click_at() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.8; }  # click_at WINDOW X Y
launch() { "$WINE" "$exe" "$@" >>"$out/tidewell.log" 2>&1 </dev/null & pid=$!; }  # launch [ARGUMENTS...]
ended() {  # ended STATUS: the program ended with this status
  local status
  for _ in $(seq 1 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then kill "$pid"; wait "$pid" 2>/dev/null; return 1; fi
  wait "$pid"
  status=$?
  [[ $status == "$1" ]] || { echo "the status was $status"; return 1; }
}
# A window of the program with this title, in $dialog; checked to be there.
opens() {  # opens TITLE [DESCRIPTION]
  dialog=$(find_window "$1" 50)
  check "${2:-$1 opens}" test -n "$dialog"
  [[ -n $dialog ]]
}
# The main window's bottom buttons and the Other Options menu, as a person clicks them.
button() {  # button X-FROM-THE-STRIP'S-LEFT
  eval "$(xdotool getwindowgeometry --shell "$main")"
  click_at "$main" $(( (WIDTH - 638) / 2 + $1 )) $(( HEIGHT - 37 ))
}
other_options() { button 522; xdotool key "$@" Return; sleep 0.8; }
find_row() { press "$main" ctrl+f; xdotool type --delay 20 "$1"; xdotool key Return; sleep 0.5; }  # find_row TEXT
# One session of the main window: the steps run between its opening and Exit, then status 0.
session() {  # session STEP...
  launch
  main=$(find_window Tidewell 300)
  check "the main window opens" test -n "$main"
  [[ -n $main ]] && sleep 1.5 && "$@"
  other_options Up  # Exit
  check "the program ends with status 0" ended 0
}
# /RESTORE FILE, answering its question to replace the entry, if it asks, with Yes (or No);
# the exit status must be 0 (or 1).
restore() {  # restore FILE [n]
  launch /RESTORE "$(tidewell_winpath "$1")"
  local box
  box=$(find_window Tidewell 60)
  [[ -n $box ]] && press "$box" "${2:-Return}"
  if [[ ${2:-} == n ]]; then ended 1; else ended 0; fi
}
# The newest backup records what was done to entry N, and /RESTORE of it gives regedit's
# export of the entry before the change, byte for byte.
restores_from_newest_backup() {  # restores_from_newest_backup N REASON
  check "the backup of entry $1 records \"$2\"" newest_reason_is "$2"
  check "/RESTORE of it ends with status 0" restore "$(newest_backup)"
  check "entry $1 is back as before, byte for byte" same_as_before "$1"
}
# A switch whose work is refused: the message box (photographed), then the main window as an
# ordinary session, closed; the status must be 1.
refused() {  # refused DESCRIPTION SHOT ARGUMENTS...
  local what=$1 shot=$2 box
  shift 2
  launch "$@"
  box=$(find_window Tidewell 300)
  check "$what" test -n "$box"
  import -window root "$out/$shot.png"
  [[ -n $box ]] && press "$box" Return
  main=$(find_window Tidewell 50)
  [[ -n $main ]] && press "$main" alt+F4
  check "then it ends with status 1" ended 1
}

for n in 1 2 3 4 5 6; do
  seed "$n"
  export_key "$n" "before-$n.reg"
done
check "the entries are seeded and exported" test -s "$out/before-6.reg"

# 1. Delete From List, then RESTORE in the dialog.
delete_and_restore() {
  find_row "E2E Backup 1"
  button 226
  opens "Delete From List" && click_at "$dialog" 308 313  # DELETE
  check "Delete From List removed the entry" gone 1
  check "its backup records the deletion" newest_reason_is deleted
  other_options Down Down Down Down
  opens "Restore Deleted Entries" || return
  import -window "$dialog" "$out/restore-deleted-entries.png"
  press "$dialog" Return
  check "RESTORE brought the deleted entry back byte for byte" same_as_before 1
}
session delete_and_restore

# 2. The uninstall dialog's clean-up of the entry its uninstaller left.
launch /UNINSTALL "E2E Backup 2"
dialog=$(find_window Uninstall 300)
check "/UNINSTALL opens the uninstall dialog" test -n "$dialog"
if [[ -n $dialog ]]; then
  press "$dialog" Return  # UNINSTALL: the uninstaller leaves the entry
  check "the uninstaller ran and ended" wait_for_uninstaller "Stubborn Tool"
  press "$dialog" Return  # CONTINUE: the entry is still there
  press "$dialog" Return  # CLEAN-UP
fi
check "the clean-up removed the entry" gone 2
main=$(find_window Tidewell 50)
[[ -n $main ]] && press "$main" alt+F4
check "the program ends with status 0" ended 0
restores_from_newest_backup 2 cleaned-up

# 3. The edit's write-back, with one row blanked by DELETE KEY.
edit() {
  find_row "E2E Backup 3"
  other_options Down
  opens "Edit Program Details" || return
  click_at "$dialog" 174 345  # DELETE KEY on the current row
  press "$dialog" Return      # OK: the values are written back
  export_key 3 "edited-3.reg"
  check "the edit changed the entry" bash -c "! cmp -s '$out/before-3.reg' '$out/edited-3.reg'"
}
session edit
restores_from_newest_backup 3 before-edit  # after its question
check "the edited entry was saved before it was replaced" newest_reason_is before-restore

# 4. New Program over an existing entry, after its question.
overwrite() {
  other_options Down Down
  opens "New Program" || return
  click_at "$dialog" 200 80
  xdotool key End shift+Home BackSpace
  xdotool type --delay 10 "$(key 4)"
  xdotool key Tab; xdotool type --delay 10 "Overwritten"
  xdotool key Tab; xdotool type --delay 10 "overwritten.exe"
  press "$dialog" Return  # OK
  local box w
  box=$(find_window Tidewell 50)
  for w in $(xdotool search --all --onlyvisible --pid "$pid" --name '^Tidewell$' 2>/dev/null); do
    [[ $w != "$main" ]] && box=$w
  done
  [[ -n $box ]] && press "$box" Return  # Yes, overwrite it
  export_key 4 "overwritten-4.reg"
  check "New Program overwrote the entry" bash -c "iconv -f UTF-16LE -t UTF-8 '$out/overwritten-4.reg' | grep -q Overwritten"
}
session overwrite
restores_from_newest_backup 4 before-overwrite  # after its question

# 5. /QU.
"$WINE" "$exe" /QU "E2E Backup 5" >>"$out/tidewell.log" 2>&1 </dev/null
check "/QU ends with status 0" test $? = 0
check "/QU removed the entry" gone 5
restores_from_newest_backup 5 quiet-removal
check "/RESTORE over the entry, answered No, ends with status 1" restore "$(newest_backup)" n
check "and leaves the entry as it is" same_as_before 5

# A file where the backup folder goes: /QU leaves the entry, says why, and ends with status 1.
mv "$backups" "$backups.kept"
: >"$backups"
refused "/QU says that it cannot save the entry" quiet-removal-refused /QU "E2E Backup 6"
check "the entry it could not save is still there" same_as_before 6
rm -f "$backups"
mv "$backups.kept" "$backups"

# A backup cut short is refused with its line; nothing is written.
head -c 300 "$(ls "$backups"/*"E2E Backup 1.reg" | head -n 1)" >"$out/cut.reg"
wine_quiet reg delete "$(key 1)" /f
refused "a cut backup is refused in a message box" restore-refused /RESTORE "$win_out\\cut.reg"
check "nothing was restored from it" gone 1

for n in 1 2 3 4 5 6; do wine_quiet reg delete "$(key "$n")" /f; done
finish
