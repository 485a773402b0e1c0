#!/bin/bash
# What the window says of its work, end to end, against a phone paced at 115,200 baud: a 1 MB copy
# shows its progress and a Cancel control; Escape cancels it within 2 s and leaves no partial
# file; a small copy ends "done"; Control+Shift+N makes a folder that the tree then shows; a copy
# whose phone vanishes ends "failed" with the title back to "Orvel <version>" within 10 s, and the
# Devices tab shows the link lost. Each outcome is one line on standard output. The strip is
# photographed in each state (running.png, cancelled.png, done.png, failed.png).
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

e2e_begin outcomes
e2e_session_desktop

# The sample phone with a folder "Other" holding b.jpg (2 KB) and big1mb.bin (1 MB).
PHONE_FROM=$GUI_WORK/phone-from
rm -rf "$PHONE_FROM"
cp -a "$GUI_ROOT/tests/data/phone" "$PHONE_FROM"
mkdir -p "$PHONE_FROM/Other"
head -c 2048 /dev/urandom >"$PHONE_FROM/Other/b.jpg"
head -c 1048576 /dev/urandom >"$PHONE_FROM/Other/big1mb.bin"

# Client geometry of the Browser (see browser_test.sh): rows 15 high; the folder pane at x 5,
# the file pane at x 321; the strip is the last 20 rows of the 520-pixel client area.
row_y() { echo $((20 + 20 + 2 + 15 * $1 + 7)); }
FOLDER_X=40
FILE_X=340
blue_in() { gui_colour_count "$1" "$2" "$3" "$4" 157DCC; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
title_is_base() { [ "$(gui_window_title)" = "Orvel $ORVEL_VERSION" ]; }
title_has_percent() { gui_window_title | grep -q '^Orvel *[0-9]*%$'; }
strip_shot() { gui_screenshot "$GUI_WORK/$1.png" && convert "$GUI_WORK/$1.png" -gravity south \
    -crop 100%x24+0+0 +repage "$GUI_WORK/strip-$1.png"; }

# copy_file ROW: "Copy..." from the context menu of file row ROW into the desktop's "copies".
visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | wc -l; }
copy_file() {
    local before
    before=$(visible_windows)
    gui_click "$FILE_X" "$(row_y "$1")" 3
    gui_wait_until 5 eval '[ "$(visible_windows)" -gt "$before" ]' || e2e_abort "no context menu"
    gui_key Down Return
    e2e_pick_copies
}

e2e_start_orvel --from "$PHONE_FROM" --baud 115200
e2e_connect
gui_tab 1

# "Other" is the third of the root's folders: AppEx, My Files, Other, ...
root_listed() { [ "$(blue_in 10 42 300 75)" -gt 150 ]; }
e2e_wait_check "the root's folders are listed" 20 root_listed
gui_double_click "$FOLDER_X" "$(row_y 2)"
e2e_check "Other is listed" gui_wait_output "list /Other/ done" 20
two_files() { [ "$(blue_in 325 "$(($(row_y 1) - 7))" 300 15)" -gt 20 ]; }
e2e_wait_check "its two files are shown" 10 two_files

# --- A 1 MB copy, cancelled with Escape -----------------------------------------------------------
copy_file 1 # big1mb.bin (b.jpg sorts first)
e2e_wait_check "the copy runs: the title shows a percentage" 20 title_has_percent
gui_wait_until 10 eval '[ "$(blue_in 0 500 560 20)" -gt 200 ]'
strip_shot running
started=$(now_ms)
gui_key Escape
e2e_check "Escape cancels the copy within 2 s" \
    gui_wait_output "copy /Other/big1mb.bin cancelled" 2
echo "cancelled after $(($(now_ms) - started)) ms"
e2e_wait_check "the title has no percentage left" 2 title_is_base
e2e_check "no partial file is left" eval '[ -z "$(ls -A "$PC_DESKTOP/copies")" ]'
gui_wait_settled 3
strip_shot cancelled

# --- A small copy ends done ----------------------------------------------------------------------
copy_file 0
e2e_check "the small copy ends done" gui_wait_output "copy /Other/b.jpg done" 20
e2e_check "byte for byte" cmp -s "$PHONE_FROM/Other/b.jpg" "$PC_DESKTOP/copies/b.jpg"
gui_wait_settled 3
strip_shot done

# --- Control+Shift+N makes a folder ---------------------------------------------------------------
gui_click "$FILE_X" "$(row_y 0)"
gui_key ctrl+shift+n
gui_wait_settled 3 # the field opens with its text selected
xdotool type --delay 50 "Fresh"
gui_key Return
e2e_check "the folder is made" gui_wait_output "mkdir /Other/Fresh done" 20
e2e_check "on the phone" test -d "$(gui_phone_file /Other/Fresh)"
listed_again() { [ "$(grep -c 'list /Other/ done' "$GUI_OUT")" -ge 2 ]; }
e2e_wait_check "Other is listed again" 20 listed_again
fresh_row() { [ "$(blue_in 10 "$(($(row_y 3) - 7))" 300 15)" -gt 20 ]; } # under Other
e2e_wait_check "the tree shows it under Other" 10 fresh_row

# --- The phone vanishes during a copy --------------------------------------------------------------
rm -f "$PC_DESKTOP/copies/"*
copy_file 1
e2e_wait_check "the second copy runs" 20 title_has_percent
kill "$GUI_TAP_PID" "$GUI_SIM_PID" 2>/dev/null
started=$(now_ms)
e2e_check "the copy ends failed" gui_wait_output "copy /Other/big1mb.bin failed" 10
e2e_check "and the title is the program's within 10 s" \
    gui_wait_until $((10 - ($(now_ms) - started) / 1000)) title_is_base
echo "failed after $(($(now_ms) - started)) ms"
gui_wait_settled 3
strip_shot failed
e2e_check "no partial file is left" eval '[ -z "$(ls -A "$PC_DESKTOP/copies")" ]'
gui_tab 0
gui_wait_settled 3
gui_screenshot "$GUI_WORK/devices-lost.png"

e2e_close
e2e_end
