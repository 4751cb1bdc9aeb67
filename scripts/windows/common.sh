# Shared by the scripts of the Windows build: the cross compiler, Wine, NSIS and the toolchain cache.
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"

QUILLET_MINGW=x86_64-w64-mingw32
# The posix thread model: Qt 6 needs std::thread and std::mutex. zstd unpacks the prebuilt toolchain,
# icu-devtools are ICU's build tools for the cross build, dpkg-dev fetches source packages (autotools
# make libsodium's configure, which its source package does not ship), zip makes the
# portable archive, xauth lets xvfb-run start Wine's windows.
QUILLET_WINDOWS_PACKAGES=(
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64 nsis zstd icu-devtools dpkg-dev autoconf automake libtool ninja-build patch zip xauth
    qt6-base-dev qt6-svg-dev qt6-translations-l10n cmake make fonts-noto-cjk xvfb
)

QUILLET_PREBUILT_NAME=qt-6.4.2-icu-72.1-mingw64
QUILLET_PREBUILT_PREFIX=/opt/quilletw
QUILLET_TOOLCHAIN_ID="qtbase 6.4.2, ICU 72.1, libsodium 1.0.18, $QUILLET_MINGW-posix"
QUILLET_WINDOWS_CACHE=${QUILLET_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quillet/windows}
QUILLET_TOOLCHAIN="$QUILLET_WINDOWS_CACHE/qt-6.4.2-icu-72.1-sodium-1.0.18"

