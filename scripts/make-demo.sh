#!/usr/bin/env bash
# Makes the demo folder the first run opens: a few short tracks of our own
# (synthesised with sox, encoded with lame, oggenc and flac). Prints its path.
set -euo pipefail
dir=$1
# The marker lies beside the folder, so the player never lists it.
if [ ! -e "$dir.done" ]; then
  mkdir -p "$dir"
  tmp=$(mktemp -d)
  # A little tune: plucked notes over a soft pad, one key per track.
  make_track() {  # name, root note, tempo-ish note length
    local name=$1 root=$2 len=$3 i=0 parts=()
    for n in 0 4 7 12 7 4 0 -5 0 4 7 12 16 12 7 4; do
      sox -n -r 44100 -c 2 "$tmp/n$i.wav" synth "$len" pluck "%$((root + n))" fade 0 "$len" 0.05 gain -6
      parts+=("$tmp/n$i.wav")
      i=$((i + 1))
    done
    sox "${parts[@]}" "$tmp/melody.wav"
    local total
    total=$(soxi -D "$tmp/melody.wav")
    sox -n -r 44100 -c 2 "$tmp/pad.wav" synth "$total" sine "%$((root - 12))" sine "%$((root - 5))" gain -22 fade 0.5 "$total" 0.5
    sox -m "$tmp/melody.wav" "$tmp/pad.wav" -b 16 "$tmp/$name.wav" norm -3
  }
  make_track "01 Morning" 0 0.35
  make_track "02 Tide" -3 0.3
  make_track "03 Lanterns" 2 0.4
  make_track "04 Homeward" -5 0.32
  cp "$tmp/01 Morning.wav" "$dir/01 Morning.wav"
  lame --quiet -V 4 --tt "Tide" --ta "Sonvale Demo" --tl "Demo" "$tmp/02 Tide.wav" "$dir/02 Tide.mp3"
  oggenc -Q -q 4 -t "Lanterns" -a "Sonvale Demo" -l "Demo" -o "$dir/03 Lanterns.ogg" "$tmp/03 Lanterns.wav"
  flac -s -f --tag=TITLE=Homeward --tag=ARTIST="Sonvale Demo" -o "$dir/04 Homeward.flac" "$tmp/04 Homeward.wav"
  rm -rf "$tmp"
  touch "$dir.done"
fi
echo "$dir"
