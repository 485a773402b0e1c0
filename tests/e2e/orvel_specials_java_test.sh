#!/bin/bash
# Java Apps and Specials tabs, end to end: the program (native, or orvel.exe under Wine) on a
# virtual display with the simulated phone (sample content). After Auto Connect it browses both
# games folders and reads the five settings files. Java Apps lists the five sample games; Specials
# shows the six profiles, the six touch values and the 31 menu lines in their section colours
# (pictures java-apps.png and specials.png for a person to look at). "Save" writes the main-menu
# file back byte for byte; closing the window ends the program.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

e2e_begin specials_java
e2e_start_orvel

menu=$(gui_phone_file /Registry/MainMenu_reg.ini)
cp "$menu" "$GUI_WORK/MainMenu_reg.ini.before" || e2e_abort "cannot copy the menu file"
# An old time stamp, so that the write-back shows as a newer one.
touch -d '2001-01-01 00:00:00' "$menu"
old_stamp=$(stat -c %Y "$menu")

# The record of the line grows while jobs run; the program is done when it stays the same for a
# second.
record_size() { stat -c %s "$GUI_RECORD" 2>/dev/null || echo 0; }
line_quiet() {
    local before
    before=$(record_size)
    sleep 1
    [ "$(record_size)" = "$before" ]
}
frames_seen() { grep -q '^> \[' "$GUI_RECORD" 2>/dev/null; }

e2e_connect
e2e_wait_check "file requests follow the identity questions" 30 frames_seen
e2e_wait_check "the line falls quiet once the reads and browses are done" 60 line_quiet

# ink X Y W H: the client rectangle holds text (pixels other than the white of the lists).
ink() { [ "$(gui_colour_count "$1" "$2" "$3" "$4" FFFFFF)" -lt $(($3 * $4)) ]; }
no_ink() { ! ink "$@"; }
pixel_is() { [ "$(gui_pixel "$1" "$2")" = "$3" ]; }

# Java Apps: the games list fills the page below a 20-pixel strip (client y 40), rows 25 pixels
# high with the name 28 pixels in. The sample phone has three games in the first folder and two
# in the second.
gui_tab 2
for row in 0 1 2 3 4; do
    e2e_wait_check "Java Apps shows game row $row" 10 ink 28 $((45 + 25 * row)) 200 15
done
e2e_check "Java Apps shows no sixth game" no_ink 28 $((45 + 25 * 5)) 200 15
gui_screenshot "$GUI_WORK/java-apps.png"

# Specials: profiles (client (5, 40)) and touch values (client (5, 280)) on the left half, the menu
# lines (client (325, 40)) on the right half, all in rows of 16 pixels.
gui_tab 3
for row in 0 5; do
    e2e_wait_check "Specials shows profile row $row" 10 ink 10 $((40 + 16 * row)) 200 16
    e2e_check "Specials shows touch row $row" ink 10 $((280 + 16 * row)) 200 16
done
e2e_check "Specials shows six profiles" no_ink 10 $((40 + 16 * 6)) 200 16
e2e_check "Specials shows six touch values" no_ink 10 $((280 + 16 * 6)) 200 16
# Colours near the right end of menu rows (left of the scroll bar): lines above the first
# section, #MainMenu, #Page1, #Widgets (the sixth section wraps to the first colour) and #Options,
# the last row in view (the list scrolls for the rest).
for probe in "0 FFFFF0" "2 FFF0FF" "5 F0FFFF" "25 FFFFF0" "28 FFF0FF"; do
    read -r row colour <<<"$probe"
    e2e_wait_check "menu row $row has the colour $colour" 10 pixel_is 600 $((44 + 16 * row)) "$colour"
done
gui_screenshot "$GUI_WORK/specials.png"

# "Save" (client (590, 20), 50 x 18) writes the lines as shown: the file the phone had.
menu_written() { [ "$(stat -c %Y "$menu" 2>/dev/null || echo 0)" != "$old_stamp" ]; }
gui_click 615 29
e2e_wait_check "Save writes the main-menu file" 20 menu_written
e2e_wait_check "the line falls quiet after Save" 30 line_quiet
e2e_check "the written file equals the one read, byte for byte" \
    cmp -s "$menu" "$GUI_WORK/MainMenu_reg.ini.before"

e2e_close
e2e_end
