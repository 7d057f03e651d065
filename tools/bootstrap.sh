#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test sfxstub, and
# builds the mingw dependencies (Boost, unpacked 7-Zip sources) into a cache
# outside the repository. Every step is skipped when its result is present.
set -euo pipefail

CACHE="${SFX_DEPS_CACHE:-$HOME/.cache/sfxstub-deps}"
BOOST_VERSION=1.81
# The prefix names the build settings too, so a change of them builds anew.
BOOST_PREFIX="$CACHE/boost-$BOOST_VERSION-mingw32-win7-os"
SEVENZIP_DIR="$CACHE/7zip-26"
JOBS="$(nproc)"

log() { printf '[bootstrap] %s\n' "$*" >&2; }

need_packages=()
pkg_missing() { ! dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

install_packages() {
    local pkgs=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 cmake ninja-build
        bison googletest xvfb xdotool imagemagick msitools wixl 7zip osslsigncode openssl locales
        clang libclang-rt-14-dev python3 dpkg-dev xz-utils zstd
        libboost1.81-dev libboost-log1.81-dev libboost-regex1.81-dev libboost-filesystem1.81-dev
        libboost-iostreams1.81-dev libboost-system1.81-dev libboost-thread1.81-dev
        wine wine32:i386 wine64)
    for p in "${pkgs[@]}"; do pkg_missing "$p" && need_packages+=("$p"); done
    local src=/etc/apt/sources.list.d/sfxstub-deb-src.sources
    local need_update=0
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386; need_update=1
    fi
    if [ ! -f "$src" ]; then
        cat > "$src" <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
        need_update=1
    fi
    if [ "${#need_packages[@]}" -gt 0 ] || [ "$need_update" = 1 ]; then
        log "apt-get update"
        apt-get update -qq
    fi
    if [ "${#need_packages[@]}" -gt 0 ]; then
        log "installing ${need_packages[*]}"
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need_packages[@]}" >/dev/null
    fi
}

fetch_source() { # name destdir
    local name="$1" dest="$2"
    local work="$CACHE/src-$name"
    if [ -z "$(ls -d "$work"/*/ 2>/dev/null)" ]; then
        mkdir -p "$work"
        log "downloading source package $name"
        (cd "$work" && apt-get source -qq --download-only "$name" >/dev/null 2>&1 \
            || { apt-get update -qq && apt-get source -qq --download-only "$name" >/dev/null; })
        (cd "$work" && dpkg-source --no-check -x ./*.dsc unpacked >/dev/null 2>&1)
    fi
}

# The end-to-end tests run the stub under other user locales; Wine takes the
# locale from the process environment, which needs the locale generated.
generate_locales() {
    local wanted=(de_AT.UTF-8 de_DE.UTF-8 en_US.UTF-8 fr_FR.UTF-8 ja_JP.UTF-8) missing=0 l
    for l in "${wanted[@]}"; do
        locale -a 2>/dev/null | grep -qix "${l/UTF-8/utf8}" || missing=1
    done
    [ "$missing" = 0 ] && return
    for l in "${wanted[@]}"; do
        grep -q "^$l UTF-8" /etc/locale.gen 2>/dev/null || echo "$l UTF-8" >> /etc/locale.gen
    done
    log "generating locales ${wanted[*]}"
    locale-gen >/dev/null
}

build_7zip_sources() {
    [ -f "$SEVENZIP_DIR/CPP/7zip/Archive/7z/7zHandler.cpp" ] && return
    fetch_source 7zip "$SEVENZIP_DIR"
    rm -rf "$SEVENZIP_DIR"
    cp -a "$CACHE/src-7zip/unpacked" "$SEVENZIP_DIR"
    log "7-Zip sources at $SEVENZIP_DIR"
}

build_boost() {
    [ -f "$BOOST_PREFIX/.complete" ] && return
    fetch_source boost1.81 "$BOOST_PREFIX"
    local srcdir="$CACHE/src-boost1.81/unpacked"
    local engine="$srcdir/tools/build/src/engine"
    if [ ! -f "$engine/jamgram.cpp" ]; then
        (cd "$engine" && bison -y -d -o jamgram.cpp jamgram.y)
    fi
    if [ ! -x "$srcdir/b2" ]; then
        log "bootstrapping b2"
        (cd "$srcdir" && ./bootstrap.sh >/dev/null)
    fi
    echo 'using gcc : mingw : i686-w64-mingw32-g++-posix ;' > "$CACHE/boost-user-config.jam"
    log "building Boost for i686 mingw (a few minutes)"
    (cd "$srcdir" && ./b2 -q -d0 --user-config="$CACHE/boost-user-config.jam" \
        --build-dir="$CACHE/boost-build" --prefix="$BOOST_PREFIX" \
        toolset=gcc-mingw target-os=windows address-model=32 architecture=x86 \
        threadapi=win32 link=static runtime-link=static variant=release threading=multi \
        cxxflags="-ffunction-sections -fdata-sections -Os" \
        define=_WIN32_WINNT=0x0601 define=BOOST_USE_WINAPI_VERSION=0x0601 \
        --with-log --with-filesystem --with-regex --with-iostreams --with-system \
        --with-exception --with-thread -sNO_BZIP2=1 -sNO_ZLIB=1 -sNO_LZMA=1 -sNO_ZSTD=1 \
        -j"$JOBS" install >/dev/null)
    touch "$BOOST_PREFIX/.complete"
    log "Boost installed at $BOOST_PREFIX"
}

main() {
    mkdir -p "$CACHE"
    if [ "$(id -u)" = 0 ]; then install_packages; generate_locales; fi
    build_7zip_sources
    build_boost
    echo "SFX_BOOST_ROOT=$BOOST_PREFIX"
    echo "SFX_7ZIP_ROOT=$SEVENZIP_DIR"
}
main "$@"
