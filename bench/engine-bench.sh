#!/usr/bin/env bash
# Decoding speed of our bass.dll under Wine next to the native reference
# decoder on the same file, as multiples of real time. Not a test: it prints.
# Run after ./test.sh (which builds everything and makes the media).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
media="$SONVALE_BUILD/tests/media"
[ -d "$media" ] || { say "no media: run ./test.sh first"; exit 1; }
start_display
use_wine_prefix "${SONVALE_TEST_PREFIX:-test}"
trap 'wineserver -k 2>/dev/null || true; stop_display' EXIT

seconds() { soxi -D "$1" 2>/dev/null || echo 0; }
# Native speed: the reference decoder, repeated for about half a second.
native() {
  local file=$1 length=$2; shift 2
  local n=0 start end
  start=$(date +%s.%N)
  while :; do
    "$@" >/dev/null 2>&1 || true
    n=$((n + 1))
    end=$(date +%s.%N)
    awk -v s="$start" -v e="$end" 'BEGIN { exit !(e - s >= 0.5) }' && break
  done
  awk -v s="$start" -v e="$end" -v n="$n" -v l="$length" 'BEGIN { printf "%.0f", n * l / (e - s) }'
}

declare -A ref
ref[s16.wav]=$(native s16.wav "$(seconds "$media/s16.wav")" sox "$media/s16.wav" -t f32 -)
ref[s24.wav]=$(native s24.wav "$(seconds "$media/s24.wav")" sox "$media/s24.wav" -t f32 -)
ref[s16.aiff]=$(native s16.aiff "$(seconds "$media/s16.aiff")" sox "$media/s16.aiff" -t f32 -)
ref[cbr.mp3]=$(native cbr.mp3 2.5 mpg123 -q -s "$media/cbr.mp3")
ref[vbr.mp3]=$(native vbr.mp3 6 mpg123 -q -s "$media/vbr.mp3")
ref[layer2.mp2]=$(native layer2.mp2 2.5 mpg123 -q -s "$media/layer2.mp2")
ref[music.ogg]=$(native music.ogg 6 oggdec -Q -R -o - "$media/music.ogg")
ref[t.flac]=$(native t.flac 2.5 flac -s -d -c "$media/t.flac")
ref[t.oga]=$(native t.oga 1 flac -s -d --ogg -c "$media/t.oga")
for f in ima.wav msadpcm.wav ulaw.wav; do
  ref[$f]=$(native $f "$(seconds "$media/$f")" sox "$media/$f" -t f32 -)
done
ref[t.opus]=$(native t.opus 3 opusdec --quiet --rate 48000 --float "$media/t.opus" -)
ref[t.wv]=$(native t.wv 2.5 wvunpack -q -y --raw "$media/t.wv" -o -)
ref[hybrid.wv]=$(native hybrid.wv 1 wvunpack -q -y --raw "$media/hybrid.wv" -o -)
for f in t.m4a t.aac alac.m4a t.wma; do
  ref[$f]=$(native $f "$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$media/$f")" \
    ffmpeg -nostdin -v error -threads 1 -i "$media/$f" -f f32le -)
done
for m in t.mod t.it t.s3m; do
  ref[$m]=$(native $m 10 openmpt123 --batch --quiet --stdout --float --end-time 10 "$media/$m")
done

printf '%-12s %-11s %12s %14s\n' format file "ours (x rt)" "native (x rt)"
cd "$SONVALE_BUILD/bench"
wine engine_decode_bench.exe 2>/dev/null | tr -d '\r' | tail -n +2 | while read -r line; do
  case "$line" in
    cpu*) echo "$line" ;;
    *)
      file=$(echo "$line" | awk '{print $(NF-1)}')
      printf '%s %14s\n' "$line" "${ref[$file]:--}"
      ;;
  esac
done
