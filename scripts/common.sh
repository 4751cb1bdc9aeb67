# Shared by run.sh and test.sh: install what is missing, then configure and build.
set -euo pipefail

QUILLET_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian packages the build, the tests and a desktop run need: Qt's Chinese translation for its own
# dialogs; help2man for the manual pages; qt6-wayland runs the window in a Wayland session, and the
# Wayland client library, protocols and Qt's native interface ask the compositor for activation tokens;
# libsodium for the strong file format's key derivation and encryption;
# the install rules and the Debian package (dpkg-shlibdeps, which CPack runs, needs dpkg-dev and file);
# for the tests of what only a real desktop shows, an X server with a window manager, trays and a private
# session bus (titles, tray clicks), at-spi2-core for a screen reader's view of the windows, and weston's headless
# compositor (a start under Wayland); groff renders the manual pages as man shows them; unison is the sync engine
# the window is tested against.
QUILLET_PACKAGES=(
    g++ cmake make pkg-config
    qt6-base-dev libicu-dev libsodium-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins qt6-translations-l10n qt6-wayland
    libwayland-dev wayland-protocols qt6-base-private-dev
    fonts-noto-cjk help2man weston
    desktop-file-utils appstream shared-mime-info dpkg-dev file
    xvfb openbox trayer x11-utils xdotool dbus at-spi2-core groff-base
    clang-format
    unison
)

# Only scripts/fuzz.sh needs these: clang with libFuzzer and the sanitizer runtimes, and the symbolizer
# that makes its reports readable.
QUILLET_FUZZ_PACKAGES=(clang libclang-rt-14-dev llvm-14)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "error: installing packages needs root or sudo: $*" >&2
        exit 1
    fi
}

install_missing_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The Chinese locales the tests run in: UTF-8, and GB18030, whose text files and terminal output are not.
ensure_chinese_locales() {
    local name
    for name in zh_CN.UTF-8 zh_CN.GB18030; do
        if ! locale -a 2>/dev/null | grep -qix "$(echo "${name,,}" | tr -d -)"; then
            install_missing_packages locales
            as_root localedef -i zh_CN -f "${name#*.}" "$name"
        fi
    done
}

# Runs clang-format with the given options over the project's sources.
clang_format_sources() {
    local files
    mapfile -t files < <(git -C "$QUILLET_ROOT" ls-files '*.cpp' '*.h' '*.h.in')
    [ ${#files[@]} -eq 0 ] && return 0
    (cd "$QUILLET_ROOT" && clang-format "$@" "${files[@]}")
}

# Fails, naming the files, when clang-format would change any of the project's sources.
check_format() {
    clang_format_sources --dry-run --Werror
}

# build_tree DIR [extra cmake arguments...]; QUILLET_WERROR=ON|OFF overrides whether warnings are errors.
build_tree() {
    local dir=$1
    shift
    cmake -S "$QUILLET_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE="${QUILLET_BUILD_TYPE:-RelWithDebInfo}" \
        ${QUILLET_WERROR:+-DQUILLET_WERROR="$QUILLET_WERROR"} "$@"
    cmake --build "$dir" --parallel "$(nproc)"
}
