#!/usr/bin/env bash
# Runs a Windows program under Wine for ctest and try_run: Wine hands Qt's variables (QT_*) and HOME to
# the program only when they carry a WINE prefix, and Qt's logging goes to the debugger's channel unless
# told to use standard error. WINEPREFIX, when unset, is the build's own (scripts/windows/build.sh).
set -euo pipefail
while IFS='=' read -r name _; do
    case "$name" in
    QT_*) export "WINE$name=${!name}" ;;
    esac
done < <(env)
export WINEQT_FORCE_STDERR_LOGGING=1 WINEDEBUG=${WINEDEBUG:--all}
exec wine "$@"
