#!/usr/bin/env bash
# Runs a Windows program under Wine for ctest and try_run: Wine hands Qt's variables (QT_*) and HOME to
# the program only when they carry a WINE prefix, and Qt's logging goes to the debugger's channel unless
# told to use standard error. scripts/windows/test.sh gives it a private WINEPREFIX.
set -euo pipefail
# Qt's offscreen platform finds fonts only in a folder it is given: the CJK fonts, as a Windows path.
export QT_QPA_FONTDIR=${QT_QPA_FONTDIR:-'Z:\usr\share\fonts\opentype\noto'}
while IFS='=' read -r name _; do
    case "$name" in
    QT_*) export "WINE$name=${!name}" ;;
    esac
done < <(env)
export WINEQT_FORCE_STDERR_LOGGING=1 WINEDEBUG=${WINEDEBUG:--all}
exec wine "$@"
