#!/usr/bin/env bash
# Installs what is missing, builds Quillet into build/ and starts it.
source "$(dirname "$0")/common.sh"

extra=()
[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || extra=(xauth)
install_missing_packages "${QUILLET_PACKAGES[@]}" "${extra[@]}"
build_tree "$QUILLET_ROOT/build"

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
    echo "There is no display. Quillet is built in build/bin; run it in a virtual display with:"
    echo "    xvfb-run -a $QUILLET_ROOT/build/bin/quillet"
    exit 0
fi
exec "$QUILLET_ROOT/build/bin/quillet" "$@"
