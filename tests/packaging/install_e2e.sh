#!/usr/bin/env bash
# The release files for real, in the project's Wine prefix: the installer installs into a folder
# whose name holds a space and a non-ASCII letter, registers one uninstall entry that Tidewell
# itself lists, is upgraded in place by a later version while the program runs, and is removed
# again without a trace; the program from the zip runs a report switch.
#   install_e2e.sh TIDEWELL_EXE SEEDER_EXE OUTPUT_FOLDER RELEASE_MSI LATER_MSI RELEASE_ZIP VERSION LATER_VERSION
set -uo pipefail
msi=$(readlink -f "$4")
later_msi=$(readlink -f "$5")
zip=$(readlink -f "$6")
version=$7
later_version=$8
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/e2e-lib.sh" "$1" "$2" "$3"
# Arguments with non-ASCII letters reach Wine programs as UTF-8.
export LC_ALL=C.UTF-8

catalogue='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'
folder_win='C:\Program Files\Tidewell Prüfung'
folder="$WINEPREFIX/drive_c/Program Files/Tidewell Prüfung"
shipped=(tidewell.exe TIDEWELL.CHM LICENSE.TXT PRODUCT.URL README.TXT)
shortcuts=("$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tidewell.lnk"
           "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Tidewell.lnk")

# The catalogue keys whose DisplayName is "Tidewell", one a line.
tidewell_entries() {
  "$WINE" reg query "$catalogue" /s >"$out/catalogue.txt" 2>&1 </dev/null
  tr -d '\r' <"$out/catalogue.txt" | awk '/^HKEY_/ { key = $0 } /^ +DisplayName +REG_SZ +Tidewell$/ { print key }'
}
# The data of value $2 of key $1 (reg writes a file in the OEM code page).
value_of() {
  "$WINE" reg query "$1" /v "$2" >"$out/value.txt" 2>&1 </dev/null
  iconv -f CP437 -t UTF-8 "$out/value.txt" | tr -d '\r' | sed -n "s/^ *$2 \+REG_[A-Z_]\+ \+//p"
}
all_files_in() { local f; for f in "${shipped[@]}"; do [[ -f "$1/$f" ]] || return 1; done; }
no_files_in() { local f; for f in "${shipped[@]}"; do [[ ! -e "$1/$f" ]] || return 1; done; }
some_shortcut() { [[ -f ${shortcuts[0]} || -f ${shortcuts[1]} ]]; }
no_shortcut() { [[ ! -e ${shortcuts[0]} && ! -e ${shortcuts[1]} ]]; }
equals() { [[ $1 == "$2" ]] || { echo "  expected: $2"; echo "  found:    $1"; return 1; }; }
contains() { [[ $(cat "$1") == *"$2"* ]]; }
status_in() { local s=$1; shift; local x; for x in "$@"; do [[ $s == "$x" ]] && return 0; done; echo "  status $s"; return 1; }

# Start from a catalogue without Tidewell, also after an earlier run that failed half-way.
for key in $(tidewell_entries); do wine_quiet msiexec /x "${key##*\\}" /qn; done
rm -rf "$folder" "$out/report.txt" "$out/zip"

# --- Install into a folder with a space and a non-ASCII letter.
wine_quiet msiexec /i "$(tidewell_winpath "$msi")" /qn "INSTALLDIR=$folder_win"
check "the installer ends with status 0" equals "$?" 0
check "every shipped file is in the chosen folder" all_files_in "$folder"
check "the program is the one that was built" cmp -s "$folder/tidewell.exe" "$exe"
check "the Start menu has a Tidewell shortcut" some_shortcut
entries=$(tidewell_entries)
check "the uninstall catalogue has one Tidewell entry" equals "$(wc -l <<<"$entries")" 1
key=$entries
code=${key##*\\}
check "its version is $version" equals "$(value_of "$key" DisplayVersion)" "$version"
check "its publisher is the maker" equals "$(value_of "$key" Publisher)" "Quenmark"
check "its uninstall command is Windows Installer's" equals "$(value_of "$key" UninstallString)" "MsiExec.exe /X$code"
check "its icon is the installed program" equals "$(value_of "$key" DisplayIcon)" "$folder_win\\tidewell.exe"
check "its install location is the chosen folder" equals "$(value_of "$key" InstallLocation)" "$folder_win\\"
check "its help link is the maker's web address" equals "$(value_of "$key" HelpLink)" "https://www.quenmark.example/"
size=$(value_of "$key" EstimatedSize)
check "its estimated size is the files' size (about 2 MB)" test $((size)) -gt 1000 -a $((size)) -lt 20000

# --- The installed program lists itself, with its command and without the question mark.
wine_quiet "$folder_win\\tidewell.exe" /RFL "$(tidewell_winpath "$out")\\report.txt"
check "the installed program writes its long report" equals "$?" 0
expected=$'Tidewell\r\nUninstall Command: MsiExec.exe /X'"$code"$'\r\n\r\n'
check "the report lists Tidewell with its MsiExec command and no missing uninstaller" \
  contains "$out/report.txt" "$expected"

# --- A later version over the running program: one entry, same folder, nothing half done.
"$WINE" "$folder_win\\tidewell.exe" >>"$out/wine.log" 2>&1 </dev/null &
running=$!
for _ in $(seq 1 100); do xdotool search --name '^Tidewell$' >/dev/null 2>&1 && break; sleep 0.1; done
wine_quiet msiexec /i "$(tidewell_winpath "$later_msi")" /qn
check "the later installer finishes (0, or 3010 for a restart)" status_in "$?" 0 3010
entries=$(tidewell_entries)
check "the catalogue still has one Tidewell entry" equals "$(wc -l <<<"$entries")" 1
later_key=$entries
check "the entry is the later version's" equals "$(value_of "$later_key" DisplayVersion)" "$later_version"
check "the later version stays in the chosen folder" all_files_in "$folder"
check "the earlier entry is gone" test "$later_key" != "$key"
kill "$running" 2>/dev/null
wait "$running" 2>/dev/null

# --- Uninstall: files, shortcut, entry and remembered folder all gone.
wine_quiet msiexec /x "${later_key##*\\}" /qn
check "the uninstall ends with status 0" equals "$?" 0
check "the installed files are gone" no_files_in "$folder"
check "the program folder is gone" test ! -e "$folder"
check "the Start menu shortcut is gone" no_shortcut
check "no Tidewell entry is left in the catalogue" equals "$(tidewell_entries)" ""
"$WINE" reg query 'HKLM\Software\Quenmark\Tidewell' /v InstallFolder >"$out/value.txt" 2>&1 </dev/null
check "the remembered install folder is gone" test $? -ne 0

# --- The zip: exactly the shipped files, and its program runs a report switch.
check "the zip holds exactly the shipped files, in order" \
  equals "$(unzip -Z1 "$zip" | tr '\n' ' ')" "${shipped[*]} "
mkdir -p "$out/zip/Tidewell $version" && unzip -q -o "$zip" -d "$out/zip/Tidewell $version"
unzipped=$(tidewell_winpath "$out/zip/Tidewell $version")
wine_quiet "$unzipped\\tidewell.exe" /RFS "$unzipped\\short.txt"
check "the zip's program writes a short report" equals "$?" 0
check "the short report starts with its header" \
  grep -q '^Software Audit Report for: ' "$out/zip/Tidewell $version/short.txt"

finish
