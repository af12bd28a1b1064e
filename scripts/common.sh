# Shared by run.sh and test.sh: installs what a fresh Debian 12 machine lacks,
# builds, and prepares Wine and a virtual display. Sourced, not run.

SONVALE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SONVALE_CACHE=${SONVALE_CACHE:-$HOME/.cache/sonvale}
SONVALE_BUILD=${SONVALE_BUILD:-$SONVALE_ROOT/build}
mkdir -p "$SONVALE_CACHE"

say() { echo "[sonvale] $*" >&2; }

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

# Debian packages the build, the tests and the player need under Wine.
SONVALE_PACKAGES=(
  cmake make pkg-config g++
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine wine64 libasound2 libasound2-plugins
  xvfb xauth x11-utils imagemagick
  googletest
  fonts-wine fonts-liberation fonts-dejavu-core
  sox lame twolame vorbis-tools flac mpg123 openmpt123 opus-tools wavpack ffmpeg
  nsis zip unzip
)

install_packages() {
  local missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  say "installing ${missing[*]}"
  local stamp="$SONVALE_CACHE/apt-updated"
  if [ ! -e "$stamp" ] || [ -n "$(find "$stamp" -mmin +720 2>/dev/null)" ]; then
    as_root apt-get update -q >&2 && touch "$stamp"
  fi
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" >&2
}

# Our audio library's decoders, built once per recipe into the cache.
build_decoders() {
  if [ -x "$SONVALE_ROOT/scripts/build-deps.sh" ]; then
    SONVALE_DEPS=$("$SONVALE_ROOT/scripts/build-deps.sh" | tail -n 1)
    export SONVALE_DEPS
  fi
}

build_player() {
  local args=(-S "$SONVALE_ROOT" -B "$SONVALE_BUILD"
    -DCMAKE_TOOLCHAIN_FILE="$SONVALE_ROOT/cmake/mingw-w64-x86_64.cmake"
    -DCMAKE_BUILD_TYPE=Release)
  [ -n "${SONVALE_DEPS:-}" ] && args+=(-DSONVALE_DEPS_DIR="$SONVALE_DEPS")
  if [ ! -f "$SONVALE_BUILD/CMakeCache.txt" ] || [ -n "${SONVALE_DEPS:-}" ]; then
    cmake "${args[@]}" >&2
  fi
  cmake --build "$SONVALE_BUILD" -j2 >&2
}

# The Windows installer and the portable zip, from build/dist.
build_packages() {
  "$SONVALE_ROOT/scripts/make-packages.sh" "$SONVALE_BUILD" >/dev/null
}

# A virtual display when there is none.
SONVALE_XVFB_PID=
start_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    SONVALE_XVFB_PID=$!
    local i
    for i in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    export DISPLAY=":$n"
    return 0
  done
  say "no free display number for Xvfb"
  return 1
}

stop_display() {
  [ -n "$SONVALE_XVFB_PID" ] && kill "$SONVALE_XVFB_PID" 2>/dev/null
  SONVALE_XVFB_PID=
}

# A Wine prefix of our own (never the user's), with ALSA's default device
# being the null device; SONVALE_ALSA_CAPTURE names a file that records what plays.
use_wine_prefix() {
  export WINEPREFIX="$SONVALE_CACHE/wine-$1"
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEDEBUG=${WINEDEBUG:--all}
  export XDG_CONFIG_HOME="$SONVALE_CACHE/xdg"
  mkdir -p "$XDG_CONFIG_HOME/alsa"
  cat > "$XDG_CONFIG_HOME/alsa/asoundrc" <<'ALSA'
pcm.!default {
  type file
  slave.pcm "null"
  file { @func getenv vars [ SONVALE_ALSA_CAPTURE ] default "/dev/null" }
  format "raw"
}
ctl.!default {
  type hw
  card 0
}
ALSA
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    say "creating the Wine prefix $WINEPREFIX (once)"
    wineboot -i >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >/dev/null 2>&1 || true
    wineserver -w
  fi
  use_wine_fonts
}

# This Wine does not find the fonts of fonts-wine by itself (Tahoma, Marlett,
# Webdings, Small Fonts): put them in the prefix's Fonts folder, and name
# metric-compatible families for Arial and Verdana.
use_wine_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  [ -d /usr/share/wine/fonts ] && [ -d "$fonts" ] || return 0
  [ -e "$fonts/.sonvale-fonts-2" ] && return 0
  # Small Fonts is a bitmap font: its .fon files, as Windows has them.
  cp -n /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/small*.fon "$fonts/" 2>/dev/null || true
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Verdana /d 'DejaVu Sans' /f >/dev/null 2>&1 || true
  wineserver -w
  touch "$fonts/.sonvale-fonts-2"
}
