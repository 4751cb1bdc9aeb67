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
# Wine's shell from an earlier run would still serve an X display that is gone; the tray test starts it anew.
wineserver -k 2>/dev/null || true
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wine wineboot -i >/dev/null 2>&1
    wineserver -w
fi
export LC_ALL=zh_CN.UTF-8 QT_QPA_PLATFORM=offscreen
cd "$dir"
status=0
# Wine's shell takes its display from the first program of a session that needs one: the tests that show
# windows, each in an X server of its own, run first and one by one, each in a session of its own.
shown='^(tst_windowstray|tst_secondstart)$'
for test in $(ctest -N -R "$shown" | sed -n 's/^ *Test *#[0-9]*: //p'); do
    ctest --output-on-failure -R "^$test\$" || status=$?
    wineserver -k 2>/dev/null || true
done
ctest --output-on-failure --parallel "$(nproc)" -E "$shown" || status=$?
wineserver -k || true
exit $status
