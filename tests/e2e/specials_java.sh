#!/bin/bash
# End-to-end run of the Java Apps and Specials tabs: orvel.exe under Wine on an X display, the
# phone simulator with the sample content behind a COM port. After "Auto Connect" the program
# browses both games folders and reads the five settings files; the script takes a picture of
# each tab (java-apps.png, specials.png in the work folder, for a person to look at), clicks
# "Save" on the Specials tab and checks that the phone's main-menu file was written back byte for
# byte, then closes the program and checks that it ended cleanly.
#
#   tests/e2e/specials_java.sh PATH/orvel.exe [WORK_DIR]
#
# Needs ORVEL_PHONESIM (the native orvel-phonesim) and ORVEL_LINETAP (the native orvel-linetap).
# WORK_DIR (default: build/e2e-specials-java) receives the pictures, the logs and the Wine prefix,
# which is kept for the next run. Exit status 0 when every check passed.
set -u

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd -P)
# shellcheck source=../../scripts/gui-session.sh
source "$root/scripts/gui-session.sh"

exe=${1:-}
if [ -z "$exe" ] || [ ! -f "$exe" ]; then
    echo "usage: $0 PATH/orvel.exe [WORK_DIR]" >&2
    exit 2
fi
work=${2:-$root/build/e2e-specials-java}

failures=0
check() {
    local what=$1
    shift
    if "$@"; then
        gui_log "ok: $what"
    else
        gui_fail "$what"
        failures=$((failures + 1))
    fi
}

# Client points of the 640 x 520 main window: the views fill (0, 20) .. (640, 500).
readonly auto_connect_x=100 auto_connect_y=232 # Devices view: "Auto Connect" (0, 200, 200, 25)
readonly save_x=615 save_y=29                  # Specials: "Save" at (W - 50, 0, 50, 18)

gui_init "$work" "$work/prefix" || exit 1
gui_display || exit 1
gui_prefix || exit 1
gui_phone_start || exit 1
gui_map_port "$GUI_PHONE_TTY" || exit 1
gui_register_bluetooth "$GUI_COM" "Samsung Wave" || exit 1

menu=$(gui_phone_file /Registry/MainMenu_reg.ini)
cp "$menu" "$GUI_WORK/MainMenu_reg.ini.before" || exit 1
# An old time stamp, so that the write-back shows as a newer one.
touch -d '2001-01-01 00:00:00' "$menu"
old_stamp=$(stat -c %Y "$menu")

gui_start_program "$exe" || exit 1
gui_wait_window 30 || exit 1

# The record of the line grows while jobs run; the program is done when it stays the same for a
# second.
_record_size() { stat -c %s "$GUI_RECORD" 2>/dev/null || echo 0; }
_line_quiet() {
    local before
    before=$(_record_size)
    sleep 1
    [ "$(_record_size)" = "$before" ] && [ "$before" -gt 0 ]
}

gui_click $auto_connect_x $auto_connect_y
check "Auto Connect opens the simulated port" gui_wait_output "$GUI_COM ok" 20
# Frames of the file-transfer protocol follow the identity questions: the reads and browses.
_frames_seen() { grep -q '^> \[' "$GUI_RECORD" 2>/dev/null; }
check "the program talks the file protocol after connecting" gui_wait_until 30 _frames_seen
check "the line falls quiet once the reads and browses are done" gui_wait_until 60 _line_quiet

# _ink X Y W H: true when the client rectangle holds a pixel that is not white (text on a row).
_ink() {
    local x=$((GUI_CLIENT_X + $1)) y=$((GUI_CLIENT_Y + $2))
    import -window root -crop "$3x$4+$x+$y" +repage -depth 8 txt:- 2>/dev/null |
        grep -v '^#' | grep -vq '#FFFFFF'
}
_no_ink() { ! _ink "$@"; }
# _pixel_is X Y RRGGBB
_pixel_is() { [ "$(gui_pixel "$1" "$2")" = "$3" ]; }

# Java Apps: the games list fills the page below a 20-pixel strip, rows 25 pixels high with the
# name 28 pixels in. The sample phone has five games (three in the first folder, two in the
# second).
gui_tab 2
for row in 0 1 2 3 4; do
    check "Java Apps shows game row $row" gui_wait_until 10 _ink 28 $((45 + 25 * row)) 200 15
done
check "Java Apps shows no sixth game" _no_ink 28 $((45 + 25 * 5)) 200 15
gui_screenshot "$GUI_WORK/java-apps.png"

# Specials: profiles (6 rows of 12 pixels) and touch values (6 rows) on the left half, the menu
# lines (31 rows of 10 pixels) on the right half, each row in its section's colour.
gui_tab 3
for row in 0 5; do
    check "Specials shows profile row $row" gui_wait_until 10 _ink 10 $((40 + 12 * row)) 200 12
    check "Specials shows touch row $row" _ink 10 $((280 + 12 * row)) 200 12
done
check "Specials shows six profiles" _no_ink 10 $((40 + 12 * 6)) 200 12
check "Specials shows six touch values" _no_ink 10 $((280 + 12 * 6)) 200 12
# Colours at the right end of a row: lines above the first section, #MainMenu, #Page1, #Widgets
# (the sixth section wraps), #Options; white below the last line.
for probe in "0 FFFFF0" "2 FFF0FF" "5 F0FFFF" "25 FFFFF0" "28 FFF0FF" "30 FFF0FF" "32 FFFFFF"; do
    set -- $probe
    check "menu row $1 has the colour $2" gui_wait_until 10 _pixel_is 630 $((44 + 10 * $1)) "$2"
done
gui_screenshot "$GUI_WORK/specials.png"

gui_click $save_x $save_y
_menu_written() { [ "$(stat -c %Y "$menu" 2>/dev/null || echo 0)" != "$old_stamp" ]; }
check "Save writes the main-menu file" gui_wait_until 20 _menu_written
check "the line falls quiet after Save" gui_wait_until 30 _line_quiet
check "the written file equals the one read, byte for byte" \
    cmp -s "$menu" "$GUI_WORK/MainMenu_reg.ini.before"

check "the program ends on a close request" gui_close 10
check "the program's exit status is 0" test "${GUI_PROGRAM_STATUS:-x}" = 0

gui_log "pictures: $GUI_WORK/java-apps.png $GUI_WORK/specials.png"
if [ "$failures" -ne 0 ]; then
    gui_log "$failures check(s) failed"
    exit 1
fi
gui_log "all checks passed"
exit 0
