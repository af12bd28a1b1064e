#!/usr/bin/env bash
# Makes the audio library's test media with the native encoders, and reference
# decodes of each file made by independent native decoders (sox, mpg123,
# oggdec, flac, opusdec, wvunpack, ffmpeg, openmpt123). Tracker modules come from Debian packages of game
# music. Everything lands in a cache folder keyed by this script; its path is
# the last line printed. A second run reuses it.
set -euo pipefail
SONVALE_CACHE=${SONVALE_CACHE:-$HOME/.cache/sonvale}
key=$(sha256sum "$0" | cut -c1-12)
out="$SONVALE_CACHE/media-$key"
if [ -f "$out/done" ]; then
  echo "$out"
  exit 0
fi
rm -rf "$out.tmp"
mkdir -p "$out.tmp"
cd "$out.tmp"
# sox warns about 24-bit WAVE without the extensible header, which is the point.
sox() { command sox -V1 -R "$@"; }  # -R: the same dither and noise every time

# ---- PCM: the reference is sox's own reading of the same file, as 32-bit float ----
sox -n -r 44100 -c 2 -b 16 s16.wav synth 2.5 sine 440 sine 660 gain -6
sox -n -r 22050 -c 1 -b 8 -e unsigned-integer u8.wav synth 1 sine 1000 gain -3
sox -n -r 48000 -c 2 -b 24 -t wavpcm s24.wav synth 1 sine 300 sine 500 gain -2
sox -n -r 48000 -c 3 -b 24 s24ext.wav synth 1 sine 300 sine 500 sine 700 gain -4
sox -n -r 96000 -c 2 -b 32 -t wavpcm s32.wav synth 1 sine 1000 sine 2000 gain -1
sox -n -r 44100 -c 2 -b 32 -e floating-point f32.wav synth 1 sine 440 sine 880 gain -3
sox -n -r 44100 -c 1 -b 64 -e floating-point f64.wav synth 1 sine 440 gain -3
sox -n -r 44100 -c 2 -b 16 s16.aiff synth 1 sine 440 sine 550 gain -6
sox -n -r 32000 -c 1 -b 24 s24.aiff synth 1 sine 440 gain -6
sox -n -r 44100 -c 2 -b 32 -e floating-point f32.aifc synth 1 sine 440 sine 550 gain -6
for f in s16.wav u8.wav s24.wav s24ext.wav s32.wav f32.wav f64.wav s16.aiff s24.aiff f32.aifc; do
  sox "$f" -t f32 -e floating-point "$f.f32"
done

# ---- MPEG: LAME with its gapless header; mpg123 decodes the reference ----
sox -n -r 44100 -c 2 -b 16 music.wav synth 6 sine 220-880 sine 330-990 gain -8
lame --quiet -b 128 --tt "Sine Title" --ta "Sine Artist" --tl "Album" --ty 2024 --add-id3v2 s16.wav cbr.mp3
lame --quiet -V 4 --id3v1-only --tt "Short" music.wav vbr.mp3
lame --quiet -b 64 -m m --resample 22050 s16.wav mono22.mp3
twolame --quiet -b 192 s16.wav layer2.mp2
for f in cbr.mp3 vbr.mp3 mono22.mp3 layer2.mp2; do
  mpg123 -q -s "$f" > "$f.s16"
done

# ---- Halves of one sine (440 Hz at half scale, 1 s), cut at frame 22371 and encoded ----
# ---- each on its own, for gapless playback: FLAC and Vorbis by their sample counts, ----
# ---- MP3 by LAME's header (its delay and padding) ----
sox -n -r 44100 -c 2 -b 16 whole.wav synth 1 sine 440 vol 0.5
sox whole.wav half1.wav trim 0 22371s
sox whole.wav half2.wav trim 22371s
for h in half1 half2; do
  flac -s -o $h.flac $h.wav
  oggenc -Q -q 6 -o $h.ogg $h.wav
  lame --quiet -b 192 $h.wav $h.mp3
done
rm whole.wav half1.wav half2.wav

# ---- Ogg Vorbis: oggdec decodes the reference ----
oggenc -Q -q 4 -t "Vorbis Title" -a "Vorbis Artist" -c "COMMENT=two words" -o t.ogg s16.wav
oggenc -Q -q 2 -o music.ogg music.wav
for f in t.ogg music.ogg; do
  oggdec -Q -R -b 16 -e 0 -s 1 -o "$f.s16" "$f"
done
# A chained file as a radio sends it: a second song of another rate and channel count.
sox -n -r 44100 -c 2 -b 16 chain1.wav synth 1 sine 440 gain -6
sox -n -r 22050 -c 1 -b 16 chain2.wav synth 1 sine 1000 gain -6
oggenc -Q -q 3 -s 1001 -t "First Song" -o chain1.ogg chain1.wav
oggenc -Q -q 3 -s 1002 -t "Second Song" -o chain2.ogg chain2.wav
cat chain1.ogg chain2.ogg > chain.ogg
rm chain1.* chain2.*

# ---- FLAC (for the add-on): lossless, so the source is the reference ----
printf 'FILE "x.wav" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n' > cue.txt
flac -s -5 --tag=TITLE="Flac Title" --tag=ARTIST="Flac Artist" --tag-from-file=CUESHEET=cue.txt -o t.flac s16.wav
flac -s -5 --ogg -o t.oga s24.wav 2>/dev/null  # the same warning
sox s16.wav -t f32 -e floating-point t.flac.f32
sox s24.wav -t f32 -e floating-point t.oga.f32

# ---- Compressed WAVE (for bass.dll's own reader): sox encodes and decodes ----
sox s16.wav -e ima-adpcm ima.wav
sox u8.wav -e ima-adpcm ima_mono.wav
sox s16.wav -e ms-adpcm msadpcm.wav
sox s16.wav -e u-law ulaw.wav
sox u8.wav -e a-law alaw.wav
for f in ima.wav ima_mono.wav msadpcm.wav ulaw.wav alaw.wav; do
  sox "$f" -t f32 -e floating-point "$f.f32"
done

# ---- Opus (for the add-on): opusdec decodes the reference at 48 kHz ----
sox -n -r 48000 -c 2 -b 16 s48.wav synth 3 sine 440 sine 660 gain -6
sox -n -r 48000 -c 2 -b 16 s48b.wav synth 1.3 sine 550 sine 770 gain -8
opusenc --quiet --serial 1 --bitrate 128 --title "Opus Title" --artist "Opus Artist" \
  --comment "COMMENT=two words" s48.wav t.opus
opusenc --quiet --serial 2 --bitrate 96 s48b.wav b.opus
opusenc --quiet --serial 3 --bitrate 32 --downmix-mono music.wav mono.opus
cat t.opus b.opus > chain.opus
for f in t.opus b.opus mono.opus; do
  opusdec --quiet --rate 48000 --float "$f" "$f.f32"
done
cat t.opus.f32 b.opus.f32 > chain.opus.f32

# ---- WavPack (for the add-on): lossless against the source; hybrid against wvunpack ----
wavpack -q -y -h -w "Title=Wv Title" -w "Artist=Wv Artist" -w "Year=2021" s16.wav -o t.wv
wavpack -q -y f32.wav -o f32.wv
wavpack -q -y -b160 -c s24.wav -o hybrid.wv            # hybrid.wv + hybrid.wvc: lossless together
cp hybrid.wv lossy.wv                                   # no correction file beside it: lossy
sox s16.wav -t f32 -e floating-point t.wv.f32
sox f32.wav -t f32 -e floating-point f32.wv.f32
sox s24.wav -t f32 -e floating-point hybrid.wv.f32
wvunpack -q -y --raw lossy.wv -o lossy.raw
sox -t raw -r 48000 -c 2 -b 24 -e signed-integer lossy.raw -t f32 -e floating-point lossy.wv.f32
rm lossy.raw

# ---- AAC, ALAC and WMA (for the FFmpeg add-ons): ffmpeg encodes and decodes ----
ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }
ff -i s16.wav -c:a aac -b:a 128k -metadata title="Aac Title" -metadata artist="Aac Artist" \
  -metadata album="Aac Album" -metadata date=2022 -metadata genre=Jazz -metadata track=3 \
  -metadata comment="two words" t.m4a
ff -i s16.wav -c:a aac -b:a 96k -f adts t.aac
ff -i s24.wav -c:a alac -metadata title="Alac Title" alac.m4a
ff -i s16.wav -c:a wmav2 -b:a 128k -metadata title="Wma Title" -metadata artist="Wma Artist" \
  -metadata album="Wma Album" -metadata genre=Rock -metadata date=2020 t.wma
ff -i u8.wav -c:a wmav1 -b:a 64k t1.wma
for f in t.m4a t.aac alac.m4a t.wma t1.wma; do
  ff -i "$f" -f f32le "$f.f32"
done
sox s24.wav -t f32 -e floating-point alac.m4a.src.f32

# ---- Tracker modules from Debian's game music; openmpt123 renders the reference ----
if mkdir debs && (cd debs && apt-get download -q tecnoballz-data pingus-data njam-data >/dev/null 2>&1); then
  for d in debs/*.deb; do dpkg-deb -x "$d" debs/x; done
  cp debs/x/usr/share/games/tecnoballz/musics/high-score.mod t.mod
  cp debs/x/usr/share/games/pingus/data/music/gd-matth.it t.it
  cp debs/x/usr/share/games/pingus/data/music/gd-giirm.s3m t.s3m
  cp debs/x/usr/share/games/njam/data/dali.xm t.xm
  for f in t.mod t.it t.s3m t.xm; do
    openmpt123 --batch --quiet --stdout --samplerate 44100 --filter 2 --ramping 0 --float --end-time 3 "$f" \
      > "$f.f32" 2>/dev/null
  done
fi
rm -rf debs cue.txt

touch done
cd ..
rm -rf "$out"
mv "$out.tmp" "$out"
echo "$out"
