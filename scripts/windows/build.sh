#!/usr/bin/env bash
# Builds Quillet for 64-bit Windows into build-windows/ (or DIR): the programs with everything they need
# beside them in build-windows/bin, a portable copy that runs from any folder, and the tests.
#   scripts/windows/build.sh [DIR]
source "$(dirname "$0")/common.sh"

dir=${1:-$QUILLET_ROOT/build-windows}
toolchain=$(bash "$QUILLET_ROOT/scripts/windows/toolchain.sh" | tail -n1)

# The pictures are drawn by a tool that runs here, built for this machine.
cmake -S "$QUILLET_ROOT/resources/tools" -B "$dir/host-tools" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$dir/host-tools" --parallel "$(nproc)" >/dev/null

cmake -S "$QUILLET_ROOT" -B "$dir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$QUILLET_ROOT/cmake/windows/mingw-w64-toolchain.cmake" \
    -DQUILLET_WINDOWS_TOOLCHAIN="$toolchain" -DQUILLET_RENDER_ICONS="$dir/host-tools/quillet-render-icons" \
    -DCMAKE_BUILD_TYPE="${QUILLET_BUILD_TYPE:-Release}" ${QUILLET_WERROR:+-DQUILLET_WERROR="$QUILLET_WERROR"}
cmake --build "$dir" --parallel "$(nproc)"
echo "Windows programs: $dir/bin/quillet.exe, $dir/bin/quillet-cli.exe"
