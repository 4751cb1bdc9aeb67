# Shared by run.sh and test.sh: install what is missing, then configure and build.
set -euo pipefail

QUILLET_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian packages the build, the tests and a desktop run need; the fourth line checks the install rules
# and builds the Debian package (dpkg-shlibdeps, which CPack runs, needs dpkg-dev and file); unison is
# the sync engine the window is tested against.
QUILLET_PACKAGES=(
    g++ cmake make pkg-config
    qt6-base-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins
    fonts-noto-cjk
    desktop-file-utils appstream shared-mime-info dpkg-dev file
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

# build_tree DIR [extra cmake arguments...]
build_tree() {
    local dir=$1
    shift
    cmake -S "$QUILLET_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE="${QUILLET_BUILD_TYPE:-RelWithDebInfo}" "$@"
    cmake --build "$dir" --parallel "$(nproc)"
}
