#!/usr/bin/env bash
# Starts the Windows build of the program under Wine, in the user's own Wine prefix (so the
# address book and settings persist between runs and a clean build does not touch them).
# On a machine without a display it runs the program on a private Xvfb display instead, saves
# a screenshot, and ends the program again.
set -euo pipefail
build=$(cd "$1" && pwd)
exe="$build/bin/tbook.exe"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}mscoree,mshtml="

if [ -n "${DISPLAY:-}" ]; then
    exec wine "$exe"
fi

# A Wine session that began without a display cannot show windows: let it end first.
wineserver -w 2>/dev/null || true

shot="$build/../screenshot.png"
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
read -r -t 20 display <"$fifo"
rm -f "$fifo"
export DISPLAY=":$display"
trap 'kill $xvfb 2>/dev/null || true' EXIT

echo "No display: running tbook.exe on a private Xvfb display ($DISPLAY)."
wineboot -i >/dev/null 2>&1 || true # makes the prefix on first use
# Inside a virtual desktop of its own, so that the window has its caption and the notification
# area shows (nothing is changed in the prefix for it).
wine explorer /desktop=TovanoAddressBook,1024x700 "$exe" >/dev/null 2>&1 &
program=$!
# Wait until something is drawn (the first start of a new prefix takes a while).
for _ in $(seq 1 60); do
    sleep 1
    import -window root "$shot"
    if [ "$(convert "$shot" -format '%[fx:standard_deviation>0]' info:)" = 1 ]; then
        sleep 2 # let the window finish painting
        import -window root "$shot"
        break
    fi
done
echo "Screenshot of the running program: $(cd "$(dirname "$shot")" && pwd)/$(basename "$shot")"
wine "$exe" -quit >/dev/null 2>&1 || true
wait $program || true
echo "The program has ended."
