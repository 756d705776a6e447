#!/usr/bin/env bash
# The Installer check for real: a small package built with wixl and installed by the real
# msiexec registers a product whose entry runs "MsiExec.exe /I{code}"; tidewell.exe /RFJ
# lists it with its uninstaller present. Removed again by msiexec, the product is unknown to
# the Installer: its entry, made again as an uninstaller that forgot it would leave it, is
# listed with its uninstaller missing.
#   installer_product.sh TIDEWELL_EXE SEEDER_EXE OUTPUT_FOLDER
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/e2e-lib.sh"
if ! command -v wixl >/dev/null; then
  echo "skipped: wixl (Debian package wixl) is not installed"
  exit 0
fi

code='{5D0C8E4A-7B31-4F6E-9A2D-3C1B0E8F4A61}'
name='Tidewell Installer Probe'
entry="HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$code"
rm -f "$out"/*.json "$out"/probe.msi

cat >"$out/probe.wxs" <<EOF
<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="$code" Name="$name" Language="1033" Version="1.0.0" Manufacturer="Tidewell Tests"
           UpgradeCode="{8B2F6C1D-4E7A-4B90-A3C5-D1E2F3A4B5C6}">
    <Package InstallerVersion="500" Compressed="yes" InstallScope="perMachine" />
    <Media Id="1" Cabinet="probe.cab" EmbedCab="yes" />
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFiles64Folder">
        <Directory Id="INSTALLDIR" Name="Tidewell Installer Probe">
          <Component Id="Readme" Guid="{2A4C6E8F-1B3D-4F5A-8C7E-9D0F1A2B3C4D}" Win64="yes">
            <File Id="ReadmeFile" Name="readme.txt" Source="readme.txt" KeyPath="yes" />
          </Component>
        </Directory>
      </Directory>
    </Directory>
    <Feature Id="Everything" Level="1"><ComponentRef Id="Readme" /></Feature>
  </Product>
</Wix>
EOF
echo "The probe's only file." >"$out/readme.txt"
(cd "$out" && wixl -a x64 -o probe.msi probe.wxs) >"$out/wixl.log" 2>&1
check "wixl builds the probe package" test -f "$out/probe.msi"

# The entry of the probe as an inventory lists it: "missing" or "present", or "absent".
probe_state() {  # probe_state JSON
  python3 - "$1" "$name" <<'EOF'
import json, sys
programs = json.load(open(sys.argv[1], encoding="utf-8"))["programs"]
found = [p for p in programs if p["name"] == sys.argv[2]]
print("absent" if not found else "missing" if found[0]["uninstallerMissing"] else "present")
EOF
}
equals() { [[ $1 == "$2" ]] || { echo "  expected: $2"; echo "  found:    $1"; return 1; }; }
# /RFJ to $out/NAME.json, then the probe's state in it.
listed_as() {  # listed_as NAME STATE
  wine_quiet "$exe" /RFJ "$(tidewell_winpath "$out")\\$1.json"
  equals "$(probe_state "$out/$1.json")" "$2"
}

# Start without the probe, also after an earlier run that failed half-way.
wine_quiet msiexec /x "$code" /qn
wine_quiet reg delete "$entry" /f

wine_quiet msiexec /i "$(tidewell_winpath "$out/probe.msi")" /qn
check "msiexec installs the probe" equals "$?" 0
"$WINE" reg query "$entry" /v UninstallString >"$out/value.txt" 2>&1 </dev/null
check "the probe's entry runs the Installer on its product code" grep -qi "MsiExec.exe /I$code" "$out/value.txt"
check "an installed product's entry is not marked" listed_as installed present

wine_quiet msiexec /x "$code" /qn
check "msiexec removes the probe" equals "$?" 0
check "the removal took its entry away" listed_as removed absent

# The left-over entry of a product the Installer no longer knows.
wine_quiet reg add "$entry" /v DisplayName /t REG_SZ /d "$name" /f
wine_quiet reg add "$entry" /v UninstallString /t REG_EXPAND_SZ /d "MsiExec.exe /I$code" /f
check "a left-over entry of a removed product is marked" listed_as left-over missing

wine_quiet reg delete "$entry" /f
finish
