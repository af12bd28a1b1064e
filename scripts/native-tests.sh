#!/usr/bin/env bash
# Builds the player's parsers natively with AddressSanitizer and
# UndefinedBehaviorSanitizer (tests/native/) and runs their soak. Argument:
# the build folder (default build/native). SONVALE_SOAK scales the soak as in
# the Windows suite.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/build/native}"
if [ ! -f "$out/CMakeCache.txt" ]; then
  cmake -S "$root/tests/native" -B "$out" -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
cmake --build "$out" -j2 >/dev/null
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "$out/native_parser_tests" --gtest_brief=1
