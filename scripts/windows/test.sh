#!/usr/bin/env bash
# Builds the Windows tree (scripts/windows/build.sh) and runs its tests under Wine, in a Wine prefix of
# its own and a Chinese locale, where Windows' ANSI code page is 936 as on a Chinese Windows.
#   scripts/windows/test.sh [DIR]
source "$(dirname "$0")/common.sh"

dir=${1:-$QUILLET_ROOT/build-windows}
bash "$QUILLET_ROOT/scripts/windows/build.sh" "$dir"

# Wine takes the Windows locale, and with it the ANSI code page, from the Unix locale, and decodes the
# command line with it: the tests run in a Chinese one (code page 936).
ensure_chinese_locales
export WINEPREFIX="$dir/wineprefix" WINEDEBUG=-all
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wine wineboot -i >/dev/null 2>&1
    wineserver -w
fi
export LC_ALL=zh_CN.UTF-8 QT_QPA_PLATFORM=offscreen
cd "$dir"
status=0
ctest --output-on-failure --parallel "$(nproc)" || status=$?
wineserver -k || true
exit $status
