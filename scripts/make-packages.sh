#!/usr/bin/env bash
# Packs build/dist into the Windows installer and the portable zip:
#   scripts/make-packages.sh [BUILD]   (default: build/)
# Writes BUILD/Sonvale-1.0.5-setup.exe and BUILD/Sonvale-1.0.5-portable.zip.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
dist="$build/dist"
version=1.0.5
[ -f "$dist/Sonvale.exe" ] || { echo "make-packages: no $dist/Sonvale.exe; build first" >&2; exit 1; }

work="$build/packaging"
rm -rf "$work"
mkdir -p "$work"

# The installer's file list: one File per file, and the matching Delete and
# RMDir lines (deepest folders first) for the uninstaller.
files="$work/files.nsh"
(
  cd "$dist"
  echo '!ifdef INSTALL_FILES'
  find . -type d | sort | while read -r d; do
    d=${d#./}; [ "$d" = . ] && d=
    win=${d//\//\\}
    echo "  SetOutPath \"\$INSTDIR${win:+\\$win}\""
    find "./$d" -maxdepth 1 -type f | sort | while read -r f; do
      echo "  File \"$dist/${f#./}\""
    done
  done
  echo '!endif'
  echo '!ifdef UNINSTALL_FILES'
  find . -type f | sort | while read -r f; do
    f=${f#./}; echo "  Delete \"\$INSTDIR\\${f//\//\\}\""
  done
  find . -mindepth 1 -type d | sort -r | while read -r d; do
    d=${d#./}; echo "  RMDir \"\$INSTDIR\\${d//\//\\}\""
  done
  echo '!endif'
) > "$files"

size_kb=$(du -sk "$dist" | cut -f1)
setup="$build/Sonvale-$version-setup.exe"
makensis -V2 -DDIST="$dist" -DICON="$root/res/program.ico" -DOUTFILE="$setup" -DFILES="$files" -DSIZE_KB="$size_kb" \
  "$root/scripts/installer.nsi" >&2

# The portable zip: the program's folder as it is, Sonvale.exe at the top.
zipfile="$build/Sonvale-$version-portable.zip"
rm -f "$zipfile"
(cd "$dist" && zip -q -r -X "$zipfile" .)
echo "$setup"
echo "$zipfile"
