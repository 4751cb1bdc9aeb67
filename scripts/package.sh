#!/usr/bin/env bash
# Builds the Debian package: a Release build in build-package/, then CPack's DEB generator makes
# build-package/quillet_<version>_<architecture>.deb. Install it with
#     sudo apt install ./build-package/quillet_1.54_amd64.deb
source "$(dirname "$0")/common.sh"

install_missing_packages "${QUILLET_PACKAGES[@]}"

dir="$QUILLET_ROOT/build-package"
# Only what the package holds is built, not the tests.
cmake -S "$QUILLET_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr
cmake --build "$dir" --parallel "$(nproc)" --target quillet quillet-cli quillet-icons

rm -f "$dir"/quillet_*.deb
(cd "$dir" && cpack -G DEB)
deb=$(ls "$dir"/quillet_*.deb)
dpkg-deb --info "$deb"
echo "Built $deb"
