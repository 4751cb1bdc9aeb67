#!/usr/bin/env bash
# Installs what is missing, builds into build/ and runs every test through ctest.
#   scripts/test.sh             the normal build
#   scripts/test.sh --sanitize  a second tree, build-sanitize/, with ASan and UBSan
#   scripts/test.sh --windows   the Windows build, build-windows/, its tests run under Wine
source "$(dirname "$0")/common.sh"

usage="usage: scripts/test.sh [--sanitize | --windows]"
if [ $# -gt 1 ] || { [ $# -eq 1 ] && [ "$1" != "--sanitize" ] && [ "$1" != "--windows" ]; }; then
    echo "$usage" >&2
    exit 2
fi
if [ "${1:-}" = "--windows" ]; then
    check_format
    exec bash "$QUILLET_ROOT/scripts/windows/test.sh"
fi

dir="$QUILLET_ROOT/build"
cmake_args=()
if [ "${1:-}" = "--sanitize" ]; then
    dir="$QUILLET_ROOT/build-sanitize"
    cmake_args=(-DQUILLET_SANITIZE=ON)
    # Debug compiles about a third faster than an optimised build and keeps our Q_ASSERTs on.
    export QUILLET_BUILD_TYPE="${QUILLET_BUILD_TYPE:-Debug}"
    # Leaks fail the test; undefined behaviour aborts (-fno-sanitize-recover) with a stack trace.
    export ASAN_OPTIONS="detect_leaks=1:${ASAN_OPTIONS:-}"
    export UBSAN_OPTIONS="print_stacktrace=1:${UBSAN_OPTIONS:-}"
    # Third-party leaks only, each with its reason in the file.
    export LSAN_OPTIONS="suppressions=$QUILLET_ROOT/scripts/lsan.supp:print_suppressions=0:${LSAN_OPTIONS:-}"
fi

install_missing_packages "${QUILLET_PACKAGES[@]}"
ensure_chinese_locales
check_format
build_tree "$dir" "${cmake_args[@]}"

export QT_QPA_PLATFORM=offscreen
cd "$dir"
ctest --output-on-failure --parallel "$(nproc)"
