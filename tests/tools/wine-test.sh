#!/usr/bin/env bash
# ctest's launcher for a test program under Wine: wine-test.sh WINE PROGRAM.exe [ARGS].
# A GoogleTest program ends with its verdict: "[==========] N tests from M test
# suites ran.", then "[  PASSED  ]" or "[  FAILED  ]" (a failed test's own line
# comes earlier and is no verdict).
# One that ends without it did not start, or died on the way (a missing DLL, a
# crash, a stack overflow), whatever its exit status says: that run fails, and
# this script says why: Wine's exit status and, from a second run with Wine's
# error channels on, what the Windows layer reported. When the first run printed
# nothing at all (it never started: Wine's own services still starting on a new
# prefix), the second run's verdict is the result; a program that started and
# died on the way fails, whatever the second run does.
set -u
wine=$1
shift
name=$(basename "$1" .exe)
log=$(mktemp "${TMPDIR:-/tmp}/wine-test-$name.XXXXXX")
trap 'rm -f "$log" "$log.2"' EXIT

if [ ! -f "$1" ]; then
  echo "[wine-test] $1 is missing: it was not built, or something deleted it." >&2
  exit 1
fi

has_verdict() { grep -qE '^\[==========\] [0-9]+ tests? from [0-9]+ test suites? ran\.' "$1"; }

meaning() {
  case $1 in
    53) echo "0xC0000135: the program or a DLL it needs was not found" ;;
    5) echo "0xC0000005: an access violation" ;;
    253) echo "0xC00000FD: a stack overflow" ;;
    66) echo "0xC0000142: a DLL failed to initialise" ;;
    0) echo "0: it ended as if all was well" ;;
    *) echo "see Wine's messages below" ;;
  esac
}

"$wine" "$@" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
if has_verdict "$log"; then exit $status; fi

started=0
[ -s "$log" ] && started=1
{
  echo "[wine-test] $name ended without a verdict; Wine's exit status was $status ($(meaning $status))."
  [ $started = 1 ] || echo "[wine-test] It printed nothing: the program did not start, or died at once."
  echo "[wine-test] Running it again with Wine's error messages on:"
} >&2
WINEDEBUG=-all,err+all,warn+seh "$wine" "$@" > "$log.2" 2>&1
status=$?
grep -vE '^[0-9a-f]{4}:(fixme|trace):' "$log.2" | tail -n 60 >&2
if has_verdict "$log.2"; then
  echo "[wine-test] The second run reached its verdict (exit status $status)." >&2
  if [ $started = 1 ]; then
    echo "[wine-test] The first run started and died on the way: that is a failure." >&2
    exit 1
  fi
  exit $status
fi
echo "[wine-test] The second run ended without a verdict too: exit status $status ($(meaning $status))." >&2
[ $status -ne 0 ] && exit $status
exit 1
