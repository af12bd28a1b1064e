#!/usr/bin/env bash
# Builds everything and runs the whole test suite under Wine on a virtual
# display. Installs what a fresh Debian 12 machine lacks. Extra arguments go
# to ctest (for example: ./test.sh -R app_tests).
set -euo pipefail
cd "$(dirname "$0")"
. scripts/common.sh

install_packages "${SONVALE_PACKAGES[@]}"
build_decoders
build_player
build_packages
# The audio library's test media, made by the native encoders into the cache.
if [ -x scripts/make-test-media.sh ]; then
  ln -sfn "$(scripts/make-test-media.sh | tail -n 1)" "$SONVALE_BUILD/tests/media"
fi

start_display
use_wine_prefix "${SONVALE_TEST_PREFIX:-test}"
cleanup() {
  wineserver -k 2>/dev/null || true
  stop_display
}
trap cleanup EXIT
# One wine server for the whole run: each test program then starts quickly.
wineserver -p 120 2>/dev/null || true  # one may already run for this prefix
# Without a window manager Wine waits two seconds for each managed window it
# hides; the tests' windows need no window manager.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
# A crashing test program must fail its test, not wait in Wine's debugger.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f >/dev/null 2>&1 || true
# Start Wine's own services now, outside ctest: processes they start later
# would otherwise hold a test's output pipe open and stall ctest.
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

# What Wine plays goes to this file, for the audio library's output test.
export SONVALE_ALSA_CAPTURE="$SONVALE_BUILD/tests/alsa-capture.raw"
cd "$SONVALE_BUILD"
ctest --output-on-failure -j1 "$@"
