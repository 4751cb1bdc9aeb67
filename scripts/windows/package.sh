#!/usr/bin/env bash
# Makes the Windows installer and the portable archive from a Release build in build-windows-package/:
# quillet-<version>-setup.exe (NSIS) and quillet-<version>-portable.zip.
#   scripts/windows/package.sh
source "$(dirname "$0")/common.sh"

dir="$QUILLET_ROOT/build-windows-package"
QUILLET_BUILD_TYPE=Release bash "$QUILLET_ROOT/scripts/windows/build.sh" "$dir"
(cd "$dir" && cpack -G "NSIS;ZIP" >/dev/null)
ls -l "$dir"/quillet-*-setup.exe "$dir"/quillet-*-portable.zip
