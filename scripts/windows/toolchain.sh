#!/usr/bin/env bash
# Makes the toolchain the Windows build links against: ICU, qtbase and libsodium cross-built for
# x86_64-w64-mingw32 with Debian's MinGW compiler, and Qt's Chinese translation, in a cache folder.
#   scripts/windows/toolchain.sh [--prebuilt ARCHIVE | --from-source]
# Without an option it unpacks the prebuilt ICU and qtbase archive when one lies in ../shared/windows
# beside the checkout, and builds from Debian's source packages otherwise. A complete cache for the
# same versions is left as it is. The cache is $QUILLET_WINDOWS_CACHE, by default
# ~/.cache/quillet/windows; the toolchain's own folder in it is printed on the last line.
source "$(dirname "$0")/common.sh"

usage="usage: scripts/windows/toolchain.sh [--prebuilt ARCHIVE | --from-source]"
prebuilt=""
if [ $# -eq 0 ]; then
    default_archive="$QUILLET_ROOT/../shared/windows/$QUILLET_PREBUILT_NAME.tar.zst"
    [ -f "$default_archive" ] && prebuilt=$(cd "$(dirname "$default_archive")" && pwd)/$(basename "$default_archive")
elif [ $# -eq 2 ] && [ "$1" = "--prebuilt" ]; then
    prebuilt=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
elif [ $# -ne 1 ] || [ "$1" != "--from-source" ]; then
    echo "$usage" >&2
    exit 2
fi

install_missing_packages "${QUILLET_WINDOWS_PACKAGES[@]}"

if [ -f "$QUILLET_TOOLCHAIN/.complete" ] && [ "$(cat "$QUILLET_TOOLCHAIN/.complete")" = "$QUILLET_TOOLCHAIN_ID" ]; then
    echo "Windows toolchain complete: $QUILLET_TOOLCHAIN"
    echo "$QUILLET_TOOLCHAIN"
    exit 0
fi

# timed NAME COMMAND...: runs the step and says how long it took.
timed() {
    local name=$1 start=$SECONDS
    shift
    echo "== $name"
    "$@"
    echo "== $name: $((SECONDS - start)) s"
}

work="$QUILLET_WINDOWS_CACHE/work"
rm -rf "$QUILLET_TOOLCHAIN" "$work"
mkdir -p "$QUILLET_TOOLCHAIN" "$work"

# Debian's source packages, fetched beside a copy of the package sources as deb-src.
fetch_source() {
    local package=$1
    local list=/etc/apt/sources.list.d/quillet-deb-src.sources
    if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | as_root tee "$list" >/dev/null
        as_root apt-get update -qq
    fi
    (cd "$work" && apt-get source -qq "$package" >/dev/null)
}

unpack_prebuilt() {
    local expected actual
    expected=$(cut -d' ' -f1 "$prebuilt.sha256")
    actual=$(sha256sum "$prebuilt" | cut -d' ' -f1)
    if [ "$expected" != "$actual" ]; then
        echo "error: $prebuilt does not match its checksum" >&2
        exit 1
    fi
    tar --zstd -xf "$prebuilt" -C "$QUILLET_TOOLCHAIN"
    # The archive was built under this prefix; its CMake, pkg-config and qmake files name it.
    grep -rlIZ "$QUILLET_PREBUILT_PREFIX" "$QUILLET_TOOLCHAIN" |
        xargs -0 -r sed -i "s|$QUILLET_PREBUILT_PREFIX|$QUILLET_TOOLCHAIN|g"
}

# ICU with Debian's own icu-devtools as the build-machine tools, so no second, native ICU is built.
build_icu() {
    fetch_source icu
    local src cross="$work/icu-cross"
    src=$(find "$work" -maxdepth 1 -type d -name 'icu-72*' | head -n1)
    mkdir -p "$cross/bin" "$cross/lib" "$cross/config"
    local tool
    for tool in /usr/bin/{derb,genbrk,gencfu,gencnval,gendict,genrb,icuinfo,makeconv,pkgdata,uconv} \
        /usr/sbin/{escapesrc,genccode,gencmn,gennorm2,gensprep,icupkg}; do
        [ -x "$tool" ] && ln -sf "$tool" "$cross/bin/"
    done
    cat >"$cross/config/icucross.mk" <<'MK'
CROSS_ICU_VERSION=72.1
TOOLEXEEXT=
TOOLBINDIR=$(cross_buildroot)/bin
TOOLLIBDIR=$(cross_buildroot)/lib
INVOKE=LD_LIBRARY_PATH=$(TOOLLIBDIR):$$LD_LIBRARY_PATH
PKGDATA_INVOKE=LD_LIBRARY_PATH=$(TOOLLIBDIR):$$LD_LIBRARY_PATH
MK
    echo 'CURR_FULL_DIR?=$(shell pwd | sed '"'"'s/ /\\ /g'"'"')' >"$cross/config/icucross.inc"
    mkdir -p "$work/icu-build"
    (cd "$work/icu-build" &&
        CC=$QUILLET_MINGW-gcc-posix CXX=$QUILLET_MINGW-g++-posix "$src/source/configure" -q \
            --host=$QUILLET_MINGW --with-cross-build="$cross" --prefix="$QUILLET_TOOLCHAIN/icu-mingw" \
            --disable-tests --disable-samples --disable-extras --disable-layoutex --disable-icuio \
            --disable-tools --enable-shared --disable-static --with-data-packaging=library &&
        make -s -j"$(nproc)" && make -s install)
}

build_qtbase() {
    fetch_source qt6-base
    local src
    src=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-6.4*' | head -n1)
    patch -d "$src" -p1 -s <"$QUILLET_ROOT/scripts/windows/qtbase-directwrite3-needs-direct2d.patch"
    cmake -S "$src" -B "$work/qtbase-build" -G Ninja -Wno-dev \
        -DCMAKE_TOOLCHAIN_FILE="$QUILLET_ROOT/cmake/windows/mingw-w64-toolchain.cmake" \
        -DQUILLET_WINDOWS_TOOLCHAIN="$QUILLET_TOOLCHAIN" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DCMAKE_INSTALL_PREFIX="$QUILLET_TOOLCHAIN/qt-mingw" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DINPUT_opengl=no \
        -DFEATURE_vulkan=OFF -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF -DFEATURE_xml=OFF \
        -DFEATURE_direct2d=OFF -DFEATURE_tabletevent=OFF -DFEATURE_zstd=OFF -DFEATURE_openssl=OFF \
        -DFEATURE_sql=OFF -DFEATURE_testlib_selfcover=OFF -DFEATURE_gui=ON -DFEATURE_widgets=ON \
        -DFEATURE_icu=ON -DICU_ROOT="$QUILLET_TOOLCHAIN/icu-mingw" >"$work/qtbase-configure.log"
    cmake --build "$work/qtbase-build" --parallel "$(nproc)"
    cmake --install "$work/qtbase-build" >/dev/null
}

# A static libsodium, so that no further DLL has to travel with the program.
build_sodium() {
    fetch_source libsodium
    local src
    src=$(find "$work" -maxdepth 1 -type d -name 'libsodium-1*' | head -n1)
    (cd "$src" && autoreconf -fi >/dev/null 2>&1 &&
        CC=$QUILLET_MINGW-gcc-posix ./configure -q --host=$QUILLET_MINGW --prefix="$QUILLET_TOOLCHAIN/sodium-mingw" \
            --enable-static --disable-shared --disable-dependency-tracking &&
        make -s -j"$(nproc)" && make -s install)
}

# Qt's own dialogs in Chinese: the translation is the same file on every system.
copy_translations() {
    mkdir -p "$QUILLET_TOOLCHAIN/translations"
    cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$QUILLET_TOOLCHAIN/translations/"
}

total=$SECONDS
if [ -n "$prebuilt" ]; then
    timed "ICU and qtbase from $prebuilt" unpack_prebuilt
else
    timed "ICU 72.1 for $QUILLET_MINGW" build_icu
    timed "qtbase 6.4.2 for $QUILLET_MINGW" build_qtbase
fi
timed "libsodium for $QUILLET_MINGW" build_sodium
timed "Qt's Chinese translation" copy_translations
rm -rf "$work"
echo "$QUILLET_TOOLCHAIN_ID" >"$QUILLET_TOOLCHAIN/.complete"
echo "Windows toolchain made in $((SECONDS - total)) s: $QUILLET_TOOLCHAIN"
echo "$QUILLET_TOOLCHAIN"
