#!/usr/bin/env bash
# Usage: scripts/screenshots.sh BUILD_DIR
#
# Takes the documentation's pictures of the real program in BUILD_DIR (a mingw-w64 build with
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
# The screen's scaling: Wine gives every program started afterwards the dpi of LogPixels.
scaling() { run wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
# The user's app mode: 0 is dark; without the value programs are light.
personalize='HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize'
light() { run wine reg delete "$personalize" /v AppsUseLightTheme /f >/dev/null 2>&1 || true; }
trap 'scaling 96; light; scripts/wine-env.sh teardown "$env" >/dev/null 2>&1 || true' EXIT

# A fresh program state: the sample book, no settings from an earlier run.
appdata=$(run wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
folder="$(run winepath -u "$appdata" 2>/dev/null | tr -d '\r')/TovanoSoft/Tovano Address Book"
mkdir -p "$folder"
rm -rf "$folder"/tbk.xml* "$folder/tbk photos"
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
# The first contact, shown in the editor, has a photo and values beyond the sixteen fields.
photo = "5a3c9e1f07b24d68.png"
further = ['<phone type="work" value="555-0121"/>', '<date type="birthday" value="1985-04-12"/>',
           '<related type="spouse" value="Tom Adams"/>', '<group value="Friends"/>',
           '<photo value="%s"/>' % photo]
for i, person in enumerate(people):
    text += '\t\t<entry id="%d">\r\n' % i
    for field, value in zip(fields, person):
        text += '\t\t\t<%s value="%s"/>\r\n' % (field, value)
    for element in further if i == 0 else []:
        text += '\t\t\t%s\r\n' % element
    text += '\t\t</entry>\r\n'
text += '\t</addressbook>\r\n</root>\r\n'
open(sys.argv[1], "w", newline="").write(text)

# The photo: a head and shoulders on a blue ground, as a PNG.
import os, struct, zlib
size = 96
rows = b""
for y in range(size):
    rows += b"\0"
    for x in range(size):
        head = (x - 48) ** 2 + (y - 38) ** 2 < 17 ** 2
        body = (x - 48) ** 2 + (y - 100) ** 2 < 38 ** 2
        rows += bytes((236, 214, 190) if head else (90, 110, 140) if body else (150, 180, 215))
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)) + \
    chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")
folder = os.path.join(os.path.dirname(sys.argv[1]), "tbk photos")
os.makedirs(folder, exist_ok=True)
open(os.path.join(folder, photo), "wb").write(png)
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

scaling 96
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

# At 150%, as most laptops show it, on a screen of 1536 x 1152 pixels.
scripts/wine-env.sh teardown "$env" >/dev/null 2>&1
export TBOOK_SCREEN=1536x1152
scaling 144
run wine reg delete 'HKCU\Software\TovanoSoft' /f >/dev/null 2>&1 || true
run wine "$build/bin/tbook.exe" >/dev/null 2>&1 &
program=$!
driver wait
driver away
shot main-window-150
driver editor
shot editor-150 top
driver close
driver exit
wait "$program" || true

# Dark, as Windows shows programs when the user chose the dark app mode, at 100% again.
scripts/wine-env.sh teardown "$env" >/dev/null 2>&1
unset TBOOK_SCREEN
scaling 96
run wine reg delete 'HKCU\Software\TovanoSoft' /f >/dev/null 2>&1 || true
run wine reg add "$personalize" /v AppsUseLightTheme /t REG_DWORD /d 0 /f >/dev/null 2>&1
run wine "$build/bin/tbook.exe" >/dev/null 2>&1 &
program=$!
driver wait
driver away
shot main-window-dark
driver editor
shot editor-dark top
driver close
driver about
shot about-dark top
driver close
driver exit
wait "$program" || true
light
echo "screenshots: $(ls "$out"/*.png | tr '\n' ' ')"
