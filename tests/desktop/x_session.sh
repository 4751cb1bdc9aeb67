#!/bin/sh
# Runs a test program in a private X session as a desktop user has one: Xvfb, the openbox window
# manager, a private D-Bus session bus, and a tray: an XEmbed tray (trayer) or, with --sni, a
# StatusNotifierWatcher as KDE Plasma and GNOME run one.
#   x_session.sh [--sni WATCHER] -- TEST [ARGS...]
# Exits 77, which ctest counts as skipped, when a tool is missing (scripts/common.sh installs them).
set -u
watcher=""
if [ "${1:-}" = "--sni" ]; then
    watcher=$2
    shift 2
fi
[ "${1:-}" = "--" ] && shift

for tool in Xvfb openbox trayer xprop xdotool dbus-daemon; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed; scripts/common.sh installs what these tests need"
        exit 77
    fi
done

tmp=$(mktemp -d)
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT

# Waits up to five seconds for a file to have content.
await() {
    i=0
    while [ ! -s "$1" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
    [ -s "$1" ]
}

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" >/dev/null 2>&1 &
pids="$pids $!"
await "$tmp/display" || { echo "Xvfb did not start"; exit 1; }
DISPLAY=:$(cat "$tmp/display")
export DISPLAY

dbus-daemon --session --nofork --print-address=4 4>"$tmp/bus" >/dev/null 2>&1 &
pids="$pids $!"
await "$tmp/bus" || { echo "dbus-daemon did not start"; exit 1; }
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$tmp/bus")
export DBUS_SESSION_BUS_ADDRESS

openbox >/dev/null 2>&1 &
pids="$pids $!"
if [ -n "$watcher" ]; then
    "$watcher" >"$tmp/watcher" 2>&1 &
    pids="$pids $!"
    await "$tmp/watcher" || { echo "the StatusNotifierWatcher did not start"; exit 1; }
else
    trayer >/dev/null 2>&1 &
    pids="$pids $!"
fi
# The window manager announces itself on the root window once it runs.
i=0
while ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && [ $i -lt 50 ]; do
    sleep 0.1
    i=$((i + 1))
done
sleep 0.5 # the tray takes its selection

QT_QPA_PLATFORM=xcb "$@"
status=$?
[ -n "$watcher" ] && cat "$tmp/watcher"
exit $status
