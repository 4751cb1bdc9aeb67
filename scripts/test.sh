#!/usr/bin/env bash
# Installs what is missing, builds into build/ and runs every test through ctest.
#   scripts/test.sh             the normal build
#   scripts/test.sh --sanitize  a second tree, build-sanitize/, with ASan and UBSan
source "$(dirname "$0")/common.sh"

dir="$QUILLET_ROOT/build"
cmake_args=()
if [ "${1:-}" = "--sanitize" ]; then
    dir="$QUILLET_ROOT/build-sanitize"
    cmake_args=(-DQUILLET_SANITIZE=ON)
fi

install_missing_packages "${QUILLET_PACKAGES[@]}"
build_tree "$dir" "${cmake_args[@]}"

export QT_QPA_PLATFORM=offscreen
cd "$dir"
ctest --output-on-failure --parallel "$(nproc)"
