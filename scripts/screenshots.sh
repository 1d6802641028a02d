#!/usr/bin/env bash
# Usage: scripts/screenshots.sh BUILD_DIR
#
# Takes the README's pictures of the real program in BUILD_DIR (a mingw-w64 build with
# tbook.exe and screenshot_driver.exe) and writes them to docs/screenshots/. The program runs
# in a Wine environment of its own (BUILD_DIR/screenshots) on a private Xvfb display, inside
# Wine's virtual desktop so that window captions show, with a small sample address book.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
env="$build/screenshots"
out=docs/screenshots
mkdir -p "$env" "$out"
run() { scripts/wine-env.sh exec "$env" "$@"; }
trap 'scripts/wine-env.sh teardown "$env" >/dev/null 2>&1 || true' EXIT

# A fresh program state: the sample book, no settings from an earlier run.
appdata=$(run wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
folder="$(run winepath -u "$appdata" 2>/dev/null | tr -d '\r')/TovanoSoft/Tovano Address Book"
mkdir -p "$folder"
rm -f "$folder"/tbk.xml*
run wine reg delete 'HKCU\Software\TovanoSoft' /f >/dev/null 2>&1 || true
python3 - "$folder/tbk.xml" <<'PY'
import sys
people = [
    ("Adams", "Ann", "555-0101", "555-0111", "ann.adams@example.org", "Northwind Traders"),
    ("Baker", "Robert", "555-0102", "", "rob@example.net", "Baker & Sons"),
    ("Clark", "Carol", "555-0103", "555-0133", "carol.clark@example.com", ""),
    ("Dunn", "David", "", "555-0144", "dave.dunn@example.org", "Dunn Design"),
    ("Evans", "Eve", "555-0105", "", "eve@example.com", "Evans Freight"),
    ("Garcia", "Maria", "555-0106", "555-0166", "maria.garcia@example.net", "Contoso Clinic"),
    ("Kim", "Min-jun", "555-0107", "", "minjun.kim@example.org", "Fabrikam"),
    ("Novak", "Jana", "", "555-0188", "jana.novak@example.com", ""),
]
fields = ("lastname", "firstname", "homephone", "mobile", "homeemail", "company")
text = '<?xml version="1.0"?>\r\n<root>\r\n\t<addressbook name="Tovano Address Book" value="%d">\r\n' % len(people)
for i, person in enumerate(people):
    text += '\t\t<entry id="%d">\r\n' % i
    for field, value in zip(fields, person):
        text += '\t\t\t<%s value="%s"/>\r\n' % (field, value)
    text += '\t\t</entry>\r\n'
text += '\t</addressbook>\r\n</root>\r\n'
open(sys.argv[1], "w", newline="").write(text)
PY

driver() { run wine "$build/bin/screenshot_driver.exe" "$@"; }
# The main window as it stands on the desktop (a tooltip shows inside it, under the buttons).
# $2: "top" for the window in front (a dialog), "desktop" for the whole desktop.
shot() {
    sleep 1.5
    local geometry
    case "${2:-}" in
        desktop) geometry=1024x700+0+0 ;;
        *) geometry=$(driver geometry ${2:-} | tr -d '\r') ;;
    esac
    run import -window root -crop "$geometry" +repage "$out/$1.png"
}

run wine "$build/bin/tbook.exe" >/dev/null 2>&1 &
program=$!
driver wait
driver away
shot main-window
driver hover 1003 # Add New, lit, with its tooltip
sleep 1
shot button-under-mouse
driver away
driver search an
shot search-result
driver endsearch
driver editor
shot editor top
driver close
driver about
shot about top
driver close
driver traymenu
shot tray-menu desktop
driver close
driver listmenu
shot list-menu
driver close
driver exit
wait "$program" || true
echo "screenshots: $(ls "$out"/*.png | tr '\n' ' ')"
