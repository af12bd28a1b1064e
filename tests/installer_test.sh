#!/usr/bin/env bash
# The installer and the portable zip under Wine, as a user meets them:
# silent install, the installed player keeps its files in %APPDATA%\Sonvale,
# silent uninstall leaves nothing behind and gives the old file handlers back;
# the zip holds the program and keeps its files beside it.
#   tests/installer_test.sh BUILD   (run by ctest inside test.sh's Wine prefix)
set -uo pipefail
build=$1
setup="$build/Sonvale-1.0.5-setup.exe"
zipfile="$build/Sonvale-1.0.5-portable.zip"
close="$build/tests/close_window.exe"
title="Sonvale 1.0.5"
passed=0
failed=0
check() {  # check "what" command...
  local what=$1; shift
  if "$@" >/dev/null 2>&1; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
no() { ! "$@"; }
reg_value() {  # reg_value KEY [VALUE]: the data, or nothing
  local out
  if [ -n "${2:-}" ]; then out=$(wine reg query "$1" /v "$2" 2>/dev/null); else out=$(wine reg query "$1" /ve 2>/dev/null); fi
  printf '%s\n' "$out" | tr -d '\r' | awk -F'    ' 'NF >= 4 { print $4 }' | head -n 1
}
has_key() { wine reg query "$1" >/dev/null 2>&1; }
equals() { [ "$1" = "$2" ]; }
wait_for() {  # wait_for SECONDS command...: polls until the command succeeds
  local n=$(( $1 * 10 )); shift
  while [ $n -gt 0 ]; do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; n=$((n - 1)); done
  return 1
}
# Starts the player, waits for its first save, closes it as a user does.
run_player() {  # run_player EXE SETTINGS_FILE [switches]
  local exe=$1 ini=$2; shift 2
  rm -f "$ini"
  wine "$exe" "$@" >/dev/null 2>&1 &
  local pid=$!
  wait_for 30 test -s "$ini"
  wait_for 20 wine "$close" "$title"
  wait $pid
}

for f in "$setup" "$zipfile" "$close"; do
  [ -f "$f" ] || { echo "missing $f"; echo "0 passed, 1 failed"; exit 1; }
done
drive_c="$WINEPREFIX/drive_c"
appdata=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')")
appdata=${appdata%/}
progfiles="$drive_c/Program Files/Sonvale"
shortcut="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Sonvale.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sonvale'

# What a failed earlier run may have left.
rm -rf "$progfiles" "$appdata/Sonvale" "$shortcut"
wine reg delete "$uninstall_key" /f >/dev/null 2>&1
# Another player owned .mp3 before us; its handler must come back.
wine reg add 'HKCR\.mp3' /ve /d OtherPlayer.mp3 /f >/dev/null 2>&1

# Silent install.
check "silent install exits 0" wine "$setup" /S
for f in Sonvale.exe bass.dll libmpg123-0.dll Plugins/bassflac.dll Plugins/bassopus.dll Plugins/basswv.dll \
    Plugins/bass_aac.dll Plugins/basswma.dll Uninstall.exe licenses/mpg123/COPYING licenses/ffmpeg/COPYING.LGPLv2.1; do
  check "installed $f" test -f "$progfiles/$f"
done
check "Start menu shortcut" test -f "$shortcut"
check "Add/Remove Programs entry" equals "$(reg_value "$uninstall_key" DisplayName)" Sonvale
check "its version" equals "$(reg_value "$uninstall_key" DisplayVersion)" 1.0.5
check "its uninstaller" equals "$(reg_value "$uninstall_key" UninstallString)" '"C:\Program Files\Sonvale\Uninstall.exe"'

# The installed player keeps its files in %APPDATA%\Sonvale, never beside itself.
exe='C:\Program Files\Sonvale\Sonvale.exe'
run_player "$exe" "$appdata/Sonvale/Settings.ini" /fs
check "installed player saves Settings.ini in %APPDATA%\\Sonvale" test -s "$appdata/Sonvale/Settings.ini"
check "and PlayList.dcp there" test -f "$appdata/Sonvale/PlayList.dcp"
check "nothing saved beside the installed program" no test -e "$progfiles/Settings.ini"

# The user asks for the associations and the folder verbs; a forced start writes them.
ini="$appdata/Sonvale/Settings.ini"
sed -i 's/^\(isSIOpenFolder\|isSIAddFolder\|isSIWithAudioFiles\) = 0\r$/\1 = 1\r/' "$ini"
wine "$exe" /fs >/dev/null 2>&1 &
pid=$!
wait_for 30 has_key 'HKCR\Sonvale.Lossy'
wait_for 20 wine "$close" "$title"
wait $pid
check "associated .mp3" equals "$(reg_value 'HKCR\.mp3')" Sonvale.Lossy
check "folder verb written" has_key 'HKCR\Directory\shell\Sonvale.Open'

# Silent uninstall: the uninstaller runs from a copy of itself, so wait for the folder to go.
check "silent uninstall exits 0" wine "$progfiles/Uninstall.exe" /S
wait_for 30 no test -e "$progfiles"
check "program folder removed" no test -e "$progfiles"
check "shortcut removed" no test -e "$shortcut"
check "Add/Remove Programs entry removed" no has_key "$uninstall_key"
check "old .mp3 handler restored" equals "$(reg_value 'HKCR\.mp3')" OtherPlayer.mp3
check "no backup value left" equals "$(reg_value 'HKCR\.mp3' Sonvale_Back)" ""
check "program identifiers removed" no has_key 'HKCR\Sonvale.Lossy'
check "open verb removed" no has_key 'HKCR\Directory\shell\Sonvale.Open'
check "add verb removed" no has_key 'HKCR\Directory\shell\Sonvale.Add'
check "user files removed" no test -e "$appdata/Sonvale"
wine reg delete 'HKCR\.mp3' /f >/dev/null 2>&1

# The portable zip: the program at its top, its files kept beside it.
listing=$(unzip -Z1 "$zipfile")
for f in Sonvale.exe bass.dll libmpg123-0.dll Plugins/bassflac.dll Plugins/bassopus.dll Plugins/basswv.dll \
    Plugins/bass_aac.dll Plugins/basswma.dll licenses/mpg123/COPYING licenses/opus/COPYING; do
  check "zip holds $f" grep -qx "$f" <<<"$listing"
done
check "zip holds no settings" no grep -q 'Settings.ini\|PlayList.dcp\|Uninstall.exe' <<<"$listing"
portable="$drive_c/Portable Sonvale"
rm -rf "$portable" "$appdata/Sonvale"
mkdir -p "$portable"
check "zip unpacks" unzip -q "$zipfile" -d "$portable"
run_player 'C:\Portable Sonvale\Sonvale.exe' "$portable/Settings.ini" /fs
check "portable copy saves beside itself" test -s "$portable/Settings.ini"
check "portable copy leaves %APPDATA% alone" no test -e "$appdata/Sonvale/Settings.ini"
rm -rf "$portable"

echo "$passed passed, $failed failed"
[ $failed = 0 ]
