#!/usr/bin/env bash
# Seconds Audacious takes to add a folder and know every entry's length,
# headless with a fresh configuration, timed from the add to the last entry
# with a length as adding_bench times ours. bench/compare.sh runs it inside a
# private D-Bus session (audtool talks to Audacious over D-Bus):
#     dbus-run-session -- bench/audacious-scan.sh FOLDER COUNT
# Prints "seconds", or "failed: why" and exits non-zero.
set -uo pipefail
folder=$1
count=$2
config=$(mktemp -d)
export XDG_CONFIG_HOME=$config
audacious --headless >/dev/null 2>&1 &
aud=$!
trap 'audtool shutdown >/dev/null 2>&1 || kill "$aud" 2>/dev/null; wait "$aud" 2>/dev/null; rm -rf "$config"' EXIT
for _ in $(seq 1 200); do audtool version >/dev/null 2>&1 && break; sleep 0.05; done
audtool version >/dev/null 2>&1 || { echo "failed: Audacious did not answer"; exit 1; }
now() { date +%s.%N; }
# A length is known once it reads more than 0:00 (the clips are 4 s long).
known() { local l; l=$(audtool playlist-song-length "$1" 2>/dev/null) && [ -n "$l" ] && [ "$l" != "0:00" ]; }
start=$(now)
audtool playlist-addurl "$folder"
middle=$(((count + 1) / 2))
until [ "$(audtool playlist-length 2>/dev/null || echo 0)" -ge "$count" ] && known "$count" && known "$middle" && known 1; do
  if awk -v s="$start" -v n="$(now)" 'BEGIN { exit !(n - s > 600) }'; then echo "failed: still scanning after 600 s"; exit 1; fi
  sleep 0.01
done
end=$(now)
awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", e - s }'
