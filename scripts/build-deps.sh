#!/usr/bin/env bash
# Build the open-source decoders our audio engine links against, for x86_64
# Windows, with the MinGW-w64 (posix threads) cross compiler.
#
#   DEPS=$(scripts/build-deps.sh | tail -n1)
#
# Sources are Debian's own source packages of the running release, fetched
# with `apt-get source` (Debian patches applied); nothing is vendored into the
# repo. The result lands in a cache outside the repo:
#
#   ${SONVALE_CACHE:-$HOME/.cache/sonvale}/deps-<key>/
#     include/   mpg123.h fmt123.h ogg/ vorbis/ FLAC/ libopenmpt/ soxr.h opus/
#                wavpack/
#     lib/       libogg.a libvorbis.a libvorbisfile.a libFLAC.a libopenmpt.a
#                libsoxr.a libopus.a libopusfile.a libwavpack.a libavformat.a
#                libavcodec.a libavutil.a (LGPL parts of FFmpeg only)
#                libmpg123.dll.a (import lib) pkgconfig/*.pc
#     bin/       libmpg123-0.dll
#     licenses/  <package>/: Debian's copyright file and upstream's licence
#     logs/      one build log per package
#     deps.stamp written last; a prefix without it is never handed out
#
# <key> is a hash of this file, so editing the recipe triggers a rebuild and an
# unchanged recipe is answered from the cache at once. The build runs in
# deps-<key>.work/ into deps-<key>.tmp/, which is renamed to deps-<key>/ only
# after everything, including a link check, succeeded.
#
# libmpg123 (LGPL-2.1) is a DLL with an import library so users can replace it;
# everything else is static. Consumers define FLAC__NO_DLL (else the FLAC
# headers ask for a DLL), and libopenmpt is C++ and needs ole32/rpcrt4. The
# link check at the bottom shows a working command line: link with -static and
# name lib/libmpg123.dll.a by path, as -static makes ld skip it for -lmpg123.
#
# Progress goes to stderr, build output to the logs; the last line on stdout is
# the prefix. Runs as root on Debian 12 and installs what it lacks with apt-get.

set -Eeuo pipefail   # -E: the ERR trap below also fires inside functions

script=$(readlink -f "${BASH_SOURCE[0]}")
key=$(sha256sum "$script" | cut -c1-12)
cache=$(realpath -m "${SONVALE_CACHE:-$HOME/.cache/sonvale}")
prefix=$cache/deps-$key
stamp_name=deps.stamp

# Fast path: a finished build for this recipe. The stamp only ever appears
# together with the whole prefix (atomic rename), so this check is enough.
if [[ -f $prefix/$stamp_name ]]; then
    echo "$prefix"
    exit 0
fi

host=x86_64-w64-mingw32
jobs=2                      # the build machine has 2 cores, shared
dest=$prefix.tmp            # install prefix while building
work=$prefix.work           # sources and build trees
logs=$dest/logs

trap 'say "error at line $LINENO; partial build left in $dest"' ERR

# Source packages, in build order (vorbis, flac and opusfile need ogg, openmpt
# needs mpg123/ogg/vorbis, opusfile needs opus). ffmpeg is built down to the
# AAC, ALAC and WMA decoders with the MP4, ADTS and ASF demuxers.
packages=(libogg libvorbis flac mpg123 libopenmpt libsoxr opus opusfile wavpack ffmpeg)

say() { printf '[build-deps] %s\n' "$*" >&2; }
die() { say "error: $*"; exit 1; }

# run LOG CMD...: run an external command with its output appended to LOG; on
# failure show the end of the log and stop.
run() {
    local log=$1
    shift
    printf '\n$ %s\n' "$*" >>"$log"
    if ! "$@" >>"$log" 2>&1; then
        say "failed: $*"
        say "last lines of $log:"
        tail -n 40 "$log" >&2
        exit 1
    fi
}

# --- serialise concurrent callers -------------------------------------------

mkdir -p "$cache"
exec 9>"$cache/deps-$key.lock"
if ! flock -n 9; then
    say "another build of deps-$key is running; waiting for it"
    flock 9
fi
if [[ -f $prefix/$stamp_name ]]; then   # it finished while we waited
    echo "$prefix"
    exit 0
fi

start=$SECONDS
say "building deps-$key (recipe changed or not built yet) in $cache"

# --- host tools and deb-src ---------------------------------------------------

export DEBIAN_FRONTEND=noninteractive
apt_log=$cache/deps-$key.apt.log
: >"$apt_log"
apt_updated=0
apt_update() {
    if ((apt_updated == 0)); then
        say "apt-get update"
        run "$apt_log" apt-get -o DPkg::Lock::Timeout=600 update
        apt_updated=1
    fi
}

# deb-src is usually not enabled. Mirror the binary entries as source entries,
# in whichever format the machine uses.
has_deb_src() {
    grep -qsE '^[[:space:]]*Types:.*\bdeb-src\b' /etc/apt/sources.list.d/*.sources ||
        grep -qsE '^[[:space:]]*deb-src[[:space:]]' /etc/apt/sources.list /etc/apt/sources.list.d/*.list
}
enable_deb_src() {
    [[ $(id -u) -eq 0 ]] || die "deb-src is not enabled and we are not root to enable it"
    if [[ -f /etc/apt/sources.list.d/debian.sources ]]; then
        say "adding /etc/apt/sources.list.d/sonvale-deb-src.sources"
        sed -E 's/^([[:space:]]*Types:).*/\1 deb-src/' /etc/apt/sources.list.d/debian.sources \
            >/etc/apt/sources.list.d/sonvale-deb-src.sources
    elif grep -qsE '^[[:space:]]*deb[[:space:]]' /etc/apt/sources.list; then
        say "adding /etc/apt/sources.list.d/sonvale-deb-src.list"
        sed -nE 's/^[[:space:]]*deb([[:space:]])/deb-src\1/p' /etc/apt/sources.list \
            >/etc/apt/sources.list.d/sonvale-deb-src.list
    else
        die "cannot find the apt sources to mirror as deb-src"
    fi
}

# Debian packages providing the tools below (a fresh Debian 12 lacks most).
tool_packages=(
    dpkg-dev bzip2 xz-utils             # apt-get source / dpkg-source
    autoconf automake libtool make pkgconf cmake
    gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    nasm                                # FFmpeg's SIMD transforms
)
missing=()
for pkg in "${tool_packages[@]}"; do
    # pkgconf provides pkg-config; an installed pkg-config package is as good.
    [[ $pkg == pkgconf ]] && command -v pkg-config >/dev/null && continue
    [[ $(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null) == installed ]] || missing+=("$pkg")
done

if ! has_deb_src; then
    enable_deb_src
    apt_update
fi
if ((${#missing[@]})); then
    [[ $(id -u) -eq 0 ]] || die "missing packages (${missing[*]}) and not root to install them"
    apt_update
    say "installing ${missing[*]}"
    run "$apt_log" apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "${missing[@]}"
fi
# Source indexes may be missing or stale even with deb-src configured.
for pkg in "${packages[@]}"; do
    # (not `| grep -q`: with pipefail its early exit can fail the pipeline)
    if [[ $(apt-cache showsrc --only-source "$pkg" 2>/dev/null) != *$'\nVersion: '* ]]; then
        apt_update
        break
    fi
done

# --- sources ------------------------------------------------------------------

rm -rf "$work" "$dest"
mkdir -p "$work/src" "$logs"
mv "$apt_log" "$logs/apt.log"

say "fetching source packages: ${packages[*]}"
cd "$work/src"
# apt verifies every file it downloads against the signed Sources index. Some
# mirrors lack the upstream signature (*.orig.tar.*.asc) a .dsc lists, which
# makes apt-get fail although everything needed arrived, so the exit status is
# judged per file below instead.
apt-get -o APT::Sandbox::User=root source --download-only "${packages[@]}" \
    >"$logs/sources.log" 2>&1 || true

declare -A srcdir version
for pkg in "${packages[@]}"; do
    dsc=$(compgen -G "${pkg}_*.dsc" || true)
    [[ -n $dsc && $dsc != *$'\n'* ]] || {
        tail -n 20 "$logs/sources.log" >&2
        die "no single .dsc for source package $pkg"
    }
    # Check each file the .dsc lists (checksums as in the .dsc); only a
    # missing upstream signature is tolerated.
    while read -r sum name; do
        if [[ ! -f $name ]]; then
            [[ $name == *.asc ]] || die "$pkg: $name was not downloaded (see $logs/sources.log)"
            continue
        fi
        echo "$sum  $name" | sha256sum --quiet -c - || die "$pkg: checksum mismatch for $name"
    done < <(awk '/^Checksums-Sha256:/ {f = 1; next} /^[^ ]/ {f = 0} f && NF == 3 {print $1, $3}' "$dsc")
    version[$pkg]=$(sed -n 's/^Version: //p' "$dsc" | head -n1)
    srcdir[$pkg]=$work/src/$pkg
    # Checksums were verified above; --no-check only skips the .dsc signature
    # check (no keyring on a build machine) and the absent .asc.
    run "$logs/sources.log" dpkg-source --no-check -x "$dsc" "${srcdir[$pkg]}"
done

# --- toolchain ------------------------------------------------------------------

export CC=$host-gcc-posix CXX=$host-g++-posix
export AR=$host-ar RANLIB=$host-ranlib NM=$host-nm STRIP=$host-strip
export DLLTOOL=$host-dlltool OBJDUMP=$host-objdump WINDRES=$host-windres RC=$host-windres
export CFLAGS=-O2 CXXFLAGS=-O2
export CPPFLAGS="-I$dest/include" LDFLAGS="-L$dest/lib"
# Only our own .pc files: never let the build machine's Linux libraries leak in.
export PKG_CONFIG_LIBDIR=$dest/lib/pkgconfig PKG_CONFIG_PATH='' PKG_CONFIG_SYSROOT_DIR=''

common_configure=(--host="$host" --prefix="$dest" --disable-dependency-tracking)

# Debian's patches can touch Makefile.am/configure.ac. dpkg-source leaves such
# files newer than configure, and make would then try to re-run automake in
# the middle of the build; regenerate up front instead, as Debian's build
# (dh_autoreconf) does.
regen_if_patched() {
    local log=$1
    if [[ -n $(find . \( -name Makefile.am -o -name Makemodule.am -o -name configure.ac \
        -o -name '*.m4' \) -newer configure -print -quit) ]]; then
        run "$log" autoreconf -fi
    fi
}

# --- the libraries ----------------------------------------------------------------

build_libogg() {
    local log=$1
    regen_if_patched "$log"
    run "$log" ./configure "${common_configure[@]}" --disable-shared --enable-static
    run "$log" make -j"$jobs" V=1
    run "$log" make install
}

build_libvorbis() {
    local log=$1
    regen_if_patched "$log"
    run "$log" ./configure "${common_configure[@]}" --disable-shared --enable-static \
        --disable-oggtest --disable-docs --disable-examples
    run "$log" make -j"$jobs" V=1
    run "$log" make install
}

build_flac() {
    local log=$1
    regen_if_patched "$log"
    # Stack protector and _FORTIFY_SOURCE would make every consumer of the
    # static library link libssp on MinGW.
    run "$log" ./configure "${common_configure[@]}" --disable-shared --enable-static \
        --enable-ogg --disable-oggtest --disable-cpplibs --disable-programs \
        --disable-examples --disable-doxygen-docs --disable-stack-smash-protection \
        --disable-fortify-source --disable-thorough-tests --disable-version-from-git
    run "$log" make -j"$jobs" V=1 -C src/libFLAC
    run "$log" make -C src/libFLAC install
    run "$log" make -C include/FLAC install
}

build_mpg123() {
    local log=$1
    regen_if_patched "$log"
    # A DLL (LGPL), without libgcc_s; the programs, libout123 and libsyn123 are
    # not built: only the library targets below.
    run "$log" ./configure "${common_configure[@]}" --enable-shared --disable-static \
        --with-cpu=x86-64 --disable-modules --with-audio=dummy \
        LDFLAGS="$LDFLAGS -static-libgcc"
    run "$log" make -j"$jobs" V=1 src/libmpg123/libmpg123.la
    run "$log" make install-libLTLIBRARIES install-includeHEADERS \
        install-nodist_includeHEADERS install-pkgconfigDATA \
        lib_LTLIBRARIES=src/libmpg123/libmpg123.la \
        include_HEADERS=src/libmpg123/fmt123.h \
        nodist_include_HEADERS=src/libmpg123/mpg123.h \
        pkgconfig_DATA=libmpg123.pc
}

build_libopenmpt() {
    local log=$1
    regen_if_patched "$log"
    # Library only. With our mpg123/vorbis it also plays modules with MP3 or
    # Vorbis compressed samples (MO3 and friends).
    run "$log" ./configure "${common_configure[@]}" --disable-shared --enable-static \
        --disable-openmpt123 --disable-examples --disable-tests --disable-doxygen-doc \
        --with-mpg123 --with-ogg --with-vorbis --with-vorbisfile --without-zlib \
        --without-portaudio --without-portaudiocpp --without-sndfile --without-flac \
        --without-pulseaudio --without-sdl2 \
        CXXSTDLIB_PCLIBSPRIVATE=-lstdc++
    run "$log" make -j"$jobs" V=1
    run "$log" make install
}

build_libsoxr() {
    local log=$1
    run "$log" cmake -S . -B build -G "Unix Makefiles" \
        -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=x86_64 \
        -DCMAKE_C_COMPILER="$CC" -DCMAKE_CXX_COMPILER="$CXX" \
        -DCMAKE_RC_COMPILER="$RC" -DCMAKE_AR="$(command -v "$AR")" \
        -DCMAKE_RANLIB="$(command -v "$RANLIB")" \
        -DCMAKE_FIND_ROOT_PATH="$dest" -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER \
        -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" \
        -DCMAKE_INSTALL_PREFIX="$dest" \
        -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF \
        -DWITH_OPENMP=OFF -DWITH_LSR_BINDINGS=OFF -DWITH_AVFFT=OFF \
        -DWITH_DEV_TRACE=OFF
    run "$log" make -C build -j"$jobs" VERBOSE=1
    run "$log" make -C build install
}

build_opus() {
    local log=$1
    regen_if_patched "$log"
    # Float decoder with run-time SSE/AVX selection; no programs, no libssp.
    # Its configure adds _FORTIFY_SOURCE unless it is already defined, and
    # MinGW's fortified calls live in libssp.
    run "$log" ./configure "${common_configure[@]}" --disable-shared --enable-static \
        --disable-doc --disable-extra-programs --disable-stack-protector --disable-hardening \
        CPPFLAGS="$CPPFLAGS -D_FORTIFY_SOURCE=0"
    run "$log" make -j"$jobs" V=1
    run "$log" make install
}

build_opusfile() {
    local log=$1
    regen_if_patched "$log"
    # Files only: no HTTP (which would pull in OpenSSL).
    run "$log" ./configure "${common_configure[@]}" --disable-shared --enable-static \
        --disable-http --disable-examples --disable-doc
    run "$log" make -j"$jobs" V=1
    run "$log" make install
}

build_wavpack() {
    local log=$1
    regen_if_patched "$log"
    run "$log" ./configure "${common_configure[@]}" --disable-shared --enable-static \
        --disable-apps --disable-libcrypto --disable-rpath
    run "$log" make -j"$jobs" V=1
    run "$log" make install
}

build_ffmpeg() {
    local log=$1
    # Nothing but what the AAC/ALAC/WMA add-ons use, static, LGPL only (no
    # --enable-gpl, no external libraries), without programs, threads or
    # devices. Its SIMD assembly (nasm) stays: without it the transforms of
    # AAC and WMA run at half the speed. About a minute.
    run "$log" ./configure --prefix="$dest" --enable-cross-compile --arch=x86_64 --target-os=mingw32 \
        --cross-prefix="$host-" --cc="$CC" --cxx="$CXX" --ar="$AR" --ranlib="$RANLIB" --nm="$NM" \
        --strip="$STRIP" --pkg-config=false --disable-everything --disable-autodetect \
        --disable-programs --disable-doc --disable-network --disable-avdevice --disable-swscale \
        --disable-swresample --disable-avfilter --disable-postproc --disable-debug \
        --enable-static --disable-shared \
        --enable-demuxer=mov,aac,asf --enable-decoder=aac,alac,wmav1,wmav2 --enable-parser=aac
    run "$log" make -j"$jobs" V=1
    run "$log" make install
}

for pkg in "${packages[@]}"; do
    t0=$SECONDS
    say "$pkg ${version[$pkg]}"
    cd "${srcdir[$pkg]}"
    "build_$pkg" "$logs/$pkg.log"
    # Shipping the player means shipping these notices (and the LGPL text for
    # the mpg123 DLL): keep Debian's copyright summary and upstream's files.
    mkdir -p "$dest/licenses/$pkg"
    cp debian/copyright "$dest/licenses/$pkg/"
    find . -maxdepth 1 -type f \( -name 'COPYING*' -o -name 'LICEN[CS]E*' \) \
        -exec cp -t "$dest/licenses/$pkg/" {} +
    say "$pkg done in $((SECONDS - t0))s"
done

# --- tidy the prefix ------------------------------------------------------------------

cd "$dest"
rm -rf share doc lib/*.la lib/libopusurl.a lib/pkgconfig/opusurl.pc
# No debug info is wanted; some upstream builds add -g on their own. FFmpeg's
# are built without it, and strip cannot read its empty assembly objects.
for a in lib/*.a; do
    [[ $a == lib/libav* ]] || "$STRIP" --strip-debug "$a"
done
"$STRIP" --strip-unneeded bin/*.dll

# The prefix is moved after the build: make the .pc files relocatable.
for pc in lib/pkgconfig/*.pc; do
    sed -i -e "s|^prefix=.*|prefix=\${pcfiledir}/../..|" -e "s|$dest|\${prefix}|g" "$pc"
done
if leftovers=$(grep -rlIF --exclude-dir=logs -- "$dest" .); then
    die "files still refer to the build directory: $leftovers"
fi

# --- link check -------------------------------------------------------------------------
# Link one program against every library the way a consumer would, so a prefix
# with an unresolvable symbol or a missing system library never gets stamped.
# (Running it needs Wine and is left to the project's tests.)

cat >"$work/linkcheck.c" <<'EOF'
#define LINK_MPG123_DLL
#include <mpg123.h>
#include <vorbis/vorbisfile.h>
#include <FLAC/stream_decoder.h>
#include <libopenmpt/libopenmpt.h>
#include <soxr.h>
#include <opus/opusfile.h>
#include <wavpack/wavpack.h>
#include <libavformat/avformat.h>
#include <libavcodec/avcodec.h>
int main(void)
{
    OggVorbis_File vf;
    ov_callbacks cb = {0};
    openmpt_module *mod = openmpt_module_create_from_memory2(
        "", 0, 0, 0, 0, 0, 0, 0, 0);
    soxr_t rs = soxr_create(44100, 48000, 2, 0, 0, 0, 0);
    return mpg123_init() + (ov_open_callbacks(0, &vf, 0, 0, cb) != 0) +
           (FLAC__stream_decoder_new() != 0) + (mod != 0) + (rs != 0) +
           (op_test_memory("", 0, 0) != 0) + (WavpackGetLibraryVersion() == 0) +
           (avformat_alloc_context() == 0) + (avcodec_find_decoder(AV_CODEC_ID_ALAC) == 0);
}
EOF
# This is the recommended consumer link: everything static (libstdc++, libgcc,
# winpthread included) except libmpg123, whose import library is named by path
# because -static makes ld ignore *.dll.a for -lmpg123.
run "$logs/linkcheck.log" "$CXX" -O2 -DFLAC__NO_DLL -I"$dest/include" -I"$dest/include/opus" \
    -x c "$work/linkcheck.c" -x none -o "$work/linkcheck.exe" -static -L"$dest/lib" \
    -lopenmpt -lvorbisfile -lvorbis -lFLAC -lopusfile -lopus -lwavpack -logg -lsoxr "$dest/lib/libmpg123.dll.a" \
    -lavformat -lavcodec -lavutil -lole32 -lrpcrt4 -luser32 -lbcrypt
imports=$("$OBJDUMP" -p "$work/linkcheck.exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '\n' ' ')
[[ $imports == *libmpg123-0.dll* ]] || die "link check: libmpg123-0.dll not imported ($imports)"
for dll in libstdc++ libgcc_s libwinpthread; do
    [[ $imports != *$dll* ]] || die "link check: $dll linked dynamically ($imports)"
done
mpg123_imports=$("$OBJDUMP" -p bin/libmpg123-0.dll | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '\n' ' ')
for dll in libgcc_s libwinpthread; do
    [[ $mpg123_imports != *$dll* ]] || die "libmpg123-0.dll depends on $dll ($mpg123_imports)"
done

# --- publish -------------------------------------------------------------------------------

{
    echo "recipe $key"
    echo "built $(date -u +%Y-%m-%dT%H:%M:%SZ) in $((SECONDS - start))s"
    echo "compiler $("$CC" --version | head -n1)"
    for pkg in "${packages[@]}"; do echo "source $pkg ${version[$pkg]}"; done
} >"$dest/$stamp_name"

cd "$cache"
rm -rf "$prefix"            # an unstamped leftover, if anything
mv -T "$dest" "$prefix"
rm -rf "$work"
rm -f "$cache/deps-$key.lock"
say "done in $((SECONDS - start))s"
echo "$prefix"
