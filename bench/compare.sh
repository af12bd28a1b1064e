#!/usr/bin/env bash
# One run, side by side: decoding long files ours against the native
# reference decoders; adding a folder of MP3 files against the floor (open,
# read the first 8 KB and the last 128 bytes) and against Audacious when it is
# installed; the player's CPU while it plays an MP3 with the spectrum shown;
# its start-up with the folder as its playlist and its private memory against
# a bare window's. Not a test: it prints. Run after ./test.sh (which builds
# everything).
#     bench/compare.sh                     # 20-minute files, 5,000 MP3s
#     COMPARE_MINUTES=5 COMPARE_FILES=1000 bench/compare.sh
#     COMPARE_BEFORE=../main/build bench/compare.sh   # CPU and start-up of
#                                          # another build's player beside ours
# The media are made once into $SONVALE_CACHE/bench-media. Figures are ratios
# from one run: other load on the machine falls on both sides alike.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
minutes=${COMPARE_MINUTES:-20}
count=${COMPARE_FILES:-5000}
rounds=${COMPARE_ROUNDS:-3}
bench="$SONVALE_BUILD/bench"
before=${COMPARE_BEFORE:-}
if [ -n "$before" ]; then
  before=$(cd "$before" && pwd)
  [ -f "$before/dist/Sonvale.exe" ] || { say "no $before/dist/Sonvale.exe"; exit 1; }
fi
for exe in engine_decode_bench adding_bench startup_bench; do
  [ -f "$bench/$exe.exe" ] || { say "no $bench/$exe.exe: run ./test.sh first"; exit 1; }
done

media="$SONVALE_CACHE/bench-media/$minutes-min"
folder="$SONVALE_CACHE/bench-media/mp3-$count"
mkdir -p "$media"
if [ ! -f "$media/done" ]; then
  say "making $minutes-minute files in $media (once)"
  # Two sweeping tones and some noise: every band busy, like music.
  sox -q -n -r 44100 -c 2 -b 16 "$media/long.wav" synth $((minutes * 60)) sine 100-4000 sine 300-9000 \
    whitenoise gain -8 remix 1,3 2,3 2>/dev/null ||
    sox -q -n -r 44100 -c 2 -b 16 "$media/long.wav" synth $((minutes * 60)) sine 100-4000 sine 300-9000 gain -6
  lame --quiet -V2 "$media/long.wav" "$media/long.mp3"
  oggenc -Q -q 5 -o "$media/long.ogg" "$media/long.wav"
  flac -s -f -5 -o "$media/long.flac" "$media/long.wav"
  touch "$media/done"
fi
# The add-ons' formats and compressed WAVE, each made once when missing.
ff() { ffmpeg -nostdin -v error -threads 1 -y -i "$media/long.wav" "$@"; }
make_long() {
  [ -f "$media/$1" ] && return 0
  say "making $media/$1 (once)"
  case $1 in
    long.opus) opusenc --quiet --bitrate 128 "$media/long.wav" "$media/.tmp.opus" ;;
    long.wv) wavpack -q -y -h "$media/long.wav" -o "$media/.tmp.wv" ;;
    long.m4a) ff -c:a aac -b:a 160k -f mp4 "$media/.tmp.m4a" ;;
    alac.m4a) ff -c:a alac -f mp4 "$media/.tmp.m4a" ;;
    long.wma) ff -c:a wmav2 -b:a 128k -f asf "$media/.tmp.wma" ;;
    ima.wav) sox -q "$media/long.wav" -e ima-adpcm -t wav "$media/.tmp.wav" ;;
    msadpcm.wav) sox -q "$media/long.wav" -e ms-adpcm -t wav "$media/.tmp.wav" ;;
  esac
  mv "$media"/.tmp.* "$media/$1"
}
for f in long.opus long.wv long.m4a alac.m4a long.wma ima.wav msadpcm.wav; do make_long "$f"; done
if [ ! -f "$folder/done" ]; then
  say "making a folder of $count tagged MP3 files in $folder (once)"
  mkdir -p "$folder"
  sox -q -n -r 44100 -c 2 -b 16 "$folder/clip.wav" synth 4 sine 440 gain -6
  lame --quiet -V4 --tt "A title" --ta "An artist" --tl "An album" --ty 2026 --tn 1 \
    "$folder/clip.wav" "$folder/clip.mp3"
  rm "$folder/clip.wav"
  for i in $(seq -w 1 "$count"); do cp "$folder/clip.mp3" "$folder/$i track.mp3"; done
  rm "$folder/clip.mp3"
  touch "$folder/done"
fi

start_display
use_wine_prefix "${SONVALE_TEST_PREFIX:-test}"
scratch=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; stop_display; rm -rf "$scratch"' EXIT

now() { date +%s.%N; }
elapsed() { awk -v s="$1" -v e="$2" 'BEGIN { printf "%.3f", e - s }'; }
min() { awk -v a="$1" -v b="$2" 'BEGIN { print (b < 0 || (a >= 0 && a < b)) ? a : b }'; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

echo "== Decoding $minutes minutes to 16-bit PCM, best of $rounds (load: $(load)) =="
declare -A cmd ours native
cmd[long.wav]="sox $media/long.wav -t s16 -"
cmd[long.mp3]="mpg123 -q -s $media/long.mp3"
cmd[long.ogg]="oggdec -Q -R -b 16 -o - $media/long.ogg"
cmd[long.flac]="flac -s -d -c $media/long.flac"
cmd[long.opus]="opusdec --quiet --rate 48000 $media/long.opus -"
cmd[long.wv]="wvunpack -q -y --raw $media/long.wv -o -"
for f in long.m4a alac.m4a long.wma; do cmd[$f]="ffmpeg -nostdin -v error -threads 1 -i $media/$f -f s16le -"; done
cmd[ima.wav]="sox $media/ima.wav -t s16 -"
cmd[msadpcm.wav]="sox $media/msadpcm.wav -t s16 -"
files=(long.wav long.mp3 long.ogg long.flac long.opus long.wv long.m4a alac.m4a long.wma ima.wav msadpcm.wav)
winfiles=()
for f in "${files[@]}"; do winfiles+=("$(winepath -w "$media/$f")"); ours[$f]=-1; native[$f]=-1; done
for r in $(seq 1 "$rounds"); do
  # Ours: one program decodes the four in turn and times each inside.
  while read -r secs path; do
    f=${path##*\\}
    ours[$f]=$(min "$secs" "${ours[$f]}")
  done < <(cd "$bench" && wine engine_decode_bench.exe "${winfiles[@]}" 2>/dev/null | tr -d '\r')
  for f in "${files[@]}"; do
    s=$(now); ${cmd[$f]} >/dev/null 2>&1 || true; e=$(now)
    native[$f]=$(min "$(elapsed "$s" "$e")" "${native[$f]}")
  done
done
printf '%-12s %10s %12s %8s   %s\n' file "ours (s)" "native (s)" ratio "native decoder"
for f in "${files[@]}"; do
  printf '%-12s %10s %12s %7sx   %s\n' "$f" "${ours[$f]}" "${native[$f]}" \
    "$(awk -v a="${ours[$f]}" -v b="${native[$f]}" 'BEGIN { printf("%.2f", b > 0 ? a / b : 0) }')" "${cmd[$f]%% *}"
done

echo
echo "== Adding a folder of $count MP3 files (load: $(load)) =="
(cd "$bench" && wine adding_bench.exe "$(winepath -w "$folder")" "$rounds" 2>/dev/null | tr -d '\r')
if command -v audacious >/dev/null && command -v audtool >/dev/null && command -v dbus-run-session >/dev/null; then
  # Its own scan, headless, each round with a fresh configuration in a D-Bus
  # session of its own; best of the rounds as for ours.
  best=-1
  for r in $(seq 1 "$rounds"); do
    t=$(dbus-run-session -- bench/audacious-scan.sh "$folder" "$count" 2>/dev/null | tail -n 1)
    case $t in [0-9]*) best=$(min "$t" "$best") ;; *) echo "audacious round $r: ${t:-no answer}" ;; esac
  done
  echo "audacious  $best s for $count files (best of $rounds)"
else
  echo "audacious: not installed (apt-get install audacious, which brings audtool, to compare)"
fi

echo
echo "== CPU while playing long.mp3 with the spectrum shown, 10 s, best of $rounds (load: $(load)) =="
ticks() { awk '{ print $14 + $15 }' "$1/stat" 2>/dev/null || echo 0; }
# The processes of this prefix only: other Wine programs may run beside.
ours_in_prefix() {
  local p
  for p in $(pgrep "$@" || true); do
    if { tr '\0' '\n' < "/proc/$p/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then echo "$p"; fi
  done
}
# Once the start and the seek panel's waveform scan are over: no thread of
# the player busier than half a core over a second (at most 40 s).
settle() {
  local t last=() i n busy second
  for second in $(seq 1 40); do
    busy=0
    i=0
    for t in /proc/"$1"/task/*; do
      n=$(ticks "$t")
      [ -n "${last[$i]:-}" ] && [ $((n - last[i])) -gt $((hz / 2)) ] && busy=1
      last[i]=$n
      i=$((i + 1))
    done
    sleep 1
    [ "$busy" = 0 ] && [ "$second" -gt 3 ] && return 0
  done
}
hz=$(getconf CLK_TCK)
# cpu_run BUILD: a copy of BUILD's player with fresh settings (the spectrum
# is the default) plays long.mp3; prints the player's share of one core, its
# window thread's and the Wine server's.
cpu_run() {
  rm -rf "$scratch/player"
  mkdir -p "$scratch/player"
  cp -a "$1/dist/." "$scratch/player/"
  (cd "$scratch/player" && wine "$scratch/player/Sonvale.exe" "$(winepath -w "$media/long.mp3")" >/dev/null 2>&1) &
  local shell=$! player="" server
  for _ in $(seq 1 100); do
    player=$(ours_in_prefix -x "Sonvale.exe" | tail -1)
    [ -n "$player" ] && break
    sleep 0.1
  done
  server=$(ours_in_prefix -f "wineserver" | head -1)
  if [ -n "$player" ]; then
    settle "$player"
    local p0 w0 s0 t0 p1 w1 s1 t1
    p0=$(ticks "/proc/$player"); w0=$(ticks "/proc/$player/task/$player"); s0=$(ticks "/proc/${server:-0}"); t0=$(now)
    sleep 10
    p1=$(ticks "/proc/$player"); w1=$(ticks "/proc/$player/task/$player"); s1=$(ticks "/proc/${server:-0}"); t1=$(now)
    awk -v p=$((p1 - p0)) -v w=$((w1 - w0)) -v s=$((s1 - s0)) -v hz="$hz" -v t="$(elapsed "$t0" "$t1")" \
      'BEGIN { printf "%.2f %.2f %.2f\n", 100 * p / hz / t, 100 * w / hz / t, 100 * s / hz / t }'
  fi
  wine "$SONVALE_BUILD/tests/close_window.exe" "Sonvale 1.0.5" >/dev/null 2>&1 || true
  wait "$shell" || true
}
builds=(ours)
[ -n "$before" ] && builds=(before ours)
declare -A dir cpu
dir[ours]=$SONVALE_BUILD
dir[before]=$before
for b in "${builds[@]}"; do cpu[$b]=""; done
for r in $(seq 1 "$rounds"); do
  for b in "${builds[@]}"; do
    line=$(cpu_run "${dir[$b]}")
    [ -z "$line" ] && continue
    # The round where the player used least is the one least disturbed.
    if [ -z "${cpu[$b]}" ] || awk -v a="${line%% *}" -v b="${cpu[$b]%% *}" 'BEGIN { exit !(a < b) }'; then cpu[$b]=$line; fi
  done
done
printf '%-8s %12s %16s %13s\n' build "player (%)" "window thread" "Wine server"
for b in "${builds[@]}"; do
  if [ -z "${cpu[$b]}" ]; then echo "$b: the player did not start"; continue; fi
  read -r p w s <<< "${cpu[$b]}"
  printf '%-8s %12s %16s %13s\n' "$b" "$p" "$w" "$s"
done
if [ -n "$before" ] && [ -n "${cpu[before]}" ] && [ -n "${cpu[ours]}" ]; then
  read -r p w _ <<< "${cpu[ours]}"
  read -r bp bw _ <<< "${cpu[before]}"
  awk -v p="$p" -v w="$w" -v bp="$bp" -v bw="$bw" \
    'BEGIN { printf("ours / before: player %.2fx, window thread %.2fx\n", bp > 0 ? p / bp : 0, bw > 0 ? w / bw : 0) }'
fi

echo
echo "== Start-up with $count entries in the playlist and private memory, best of $rounds (load: $(load)) =="
# The playlist is the folder, added once by our player and kept for both.
mkdir -p "$scratch/start/ours"
cp -a "$SONVALE_BUILD/dist/." "$scratch/start/ours/"
(cd "$scratch/start/ours" && wine ./Sonvale.exe /ns "$(winepath -w "$folder")" >/dev/null 2>&1) &
shell=$!
for _ in $(seq 1 120); do
  wine "$SONVALE_BUILD/tests/close_window.exe" "Sonvale 1.0.5" >/dev/null 2>&1 && break
  sleep 1
done
wait "$shell" || true
programs=("ours=$(winepath -w "$scratch/start/ours/Sonvale.exe")")
if [ -n "$before" ]; then
  mkdir -p "$scratch/start/before"
  cp -a "$before/dist/." "$scratch/start/before/"
  cp "$scratch/start/ours/PlayList.dcp" "$scratch/start/ours/Settings.ini" "$scratch/start/before/" 2>/dev/null || true
  programs=("before=$(winepath -w "$scratch/start/before/Sonvale.exe")" "${programs[@]}")
fi
(cd "$bench" && wine startup_bench.exe "$rounds" "${programs[@]}" 2>/dev/null | tr -d '\r')
