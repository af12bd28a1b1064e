#!/usr/bin/env bash
# Builds the player and runs it under Wine. Installs what a fresh Debian 12
# machine lacks.
#   ./run.sh [--seconds N] [--screenshot FILE] [PATH] [player switches]
# --seconds N        close the player cleanly (WM_CLOSE) after N seconds
# --screenshot FILE  save a PNG of the screen just before that
# The player runs from a folder of its own in the cache, so its Settings.ini
# and PlayList.dcp survive rebuilds. The first run without a PATH opens a demo folder.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/common.sh

seconds=
screenshot=
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    --screenshot) screenshot=$(realpath -m "$2"); shift 2 ;;
    *) args+=("$1"); shift ;;
  esac
done
if [ -n "$screenshot" ] && [ -z "$seconds" ]; then seconds=5; fi

install_packages "${SONVALE_PACKAGES[@]}"
build_decoders
build_player

rundir="$SONVALE_CACHE/run"
mkdir -p "$rundir"
cp -a "$SONVALE_BUILD/dist/." "$rundir/"
demo=$("$SONVALE_ROOT/scripts/make-demo.sh" "$SONVALE_CACHE/demo")

own_display=0
[ -z "${DISPLAY:-}" ] && own_display=1
start_display
use_wine_prefix run
# Our own Xvfb has no window manager: let Wine place and maximise windows itself.
if [ $own_display = 1 ]; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
fi
cleanup() {
  wineserver -k 2>/dev/null || true
  stop_display
}
trap cleanup EXIT

# Linux paths among the arguments become Windows paths.
winargs=()
have_path=0
for a in "${args[@]+"${args[@]}"}"; do
  if [ -e "$a" ]; then
    winargs+=("$(winepath -w "$(realpath "$a")")")
    have_path=1
  else
    winargs+=("$a")
  fi
done
if [ $have_path = 0 ] && [ ! -e "$rundir/Settings.ini" ]; then
  winargs+=("$(winepath -w "$demo")")
fi

cd "$rundir"
wine "$rundir/Sonvale.exe" "${winargs[@]+"${winargs[@]}"}" &
player=$!
if [ -n "$seconds" ]; then
  sleep "$seconds"
  if [ -n "$screenshot" ]; then
    import -window root -display "$DISPLAY" "$screenshot" && say "screenshot: $screenshot"
  fi
  wine "$SONVALE_BUILD/tests/close_window.exe" "Sonvale 1.0.5" || true
fi
wait $player
