#!/bin/bash
# Browser tab, end to end: the program (native, or orvel.exe under Wine) on a virtual display with
# the simulated phone. After connecting, the root's folders are listed in the folder pane; double
# clicks open "My Files", then "Pictures", whose files appear on the right; "Copy..." from the
# first file's context menu, with a PC folder chosen in the folder picker, copies the file byte
# for byte.
#
# The copy goes to the desktop's folder "copies", which for this run is a folder of the session.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

e2e_begin browser

# --- The desktop of this run: a folder of the session ----------------------------------------
e2e_session_desktop

# --- Client geometry ----------------------------------------------------------------------------
# The view fills the client area from y = 20 (480 high, 640 wide): headings at view y 0, the panes
# at view y 20, the folder pane at x 5, the file pane at x 321, rows 15 pixels high inside a
# 2-pixel frame. ROW_Y i: the client y of the middle of row i.
row_y() { echo $((20 + 20 + 2 + 15 * $1 + 7)); }
FOLDER_X=40
FILE_X=340
blue_in() { gui_colour_count "$1" "$2" "$3" "$4" 157DCC; }

e2e_start_orvel
e2e_connect
gui_tab 1

# The root: AppEx, My Files, Registry, Settings, User (no files).
root_listed() { [ "$(blue_in 10 42 300 75)" -gt 150 ]; }
e2e_wait_check "the root's folders are listed" 10 root_listed
e2e_check "the root has no files on the right" eval '[ "$(blue_in 325 42 300 75)" -eq 0 ]'
gui_screenshot "$GUI_WORK/root.png"

# Open "My Files" (row 1): Pictures and Sounds appear under it as rows 2 and 3.
frames_before=$(grep -c '^> \[' "$GUI_RECORD")
gui_double_click "$FOLDER_X" "$(row_y 1)"
more_frames() { [ "$(grep -c '^> \[' "$GUI_RECORD")" -gt "$frames_before" ]; }
e2e_wait_check "opening My Files lists it on the phone" 10 more_frames
sub_rows() { [ "$(blue_in 10 "$(($(row_y 6) - 7))" 300 15)" -gt 20 ]; } # a seventh row (User)
e2e_wait_check "its sub-folders are shown under it" 10 sub_rows

# Open "Pictures" (row 2): logo.bmp, Photo 001.png and sunset.png on the right.
gui_double_click "$FOLDER_X" "$(row_y 2)"
three_files() {
    [ "$(blue_in 325 "$(($(row_y 2) - 7))" 300 15)" -gt 20 ] &&
        [ "$(blue_in 325 "$(($(row_y 3) - 7))" 300 15)" -eq 0 ]
}
e2e_wait_check "the three pictures are listed on the right" 10 three_files
gui_wait_settled 5
gui_screenshot "$GUI_WORK/pictures.png"

# "Copy..." on logo.bmp (row 0 of the file pane), into the desktop's folder "copies".
visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | wc -l; }
windows_before=$(visible_windows)
gui_click "$FILE_X" "$(row_y 0)" 3
menu_shown() { [ "$(visible_windows)" -gt "$windows_before" ]; }
gui_wait_until 5 menu_shown || e2e_abort "no context menu"
gui_screenshot "$GUI_WORK/menu.png" --screen
gui_key Down Return
e2e_pick_copies
copied() { cmp -s "$(gui_phone_file '/My Files/Pictures/logo.bmp')" "$PC_DESKTOP/copies/logo.bmp"; }
e2e_wait_check "logo.bmp is copied to the picked folder byte for byte" 20 copied
e2e_check "nothing else was written" eval '[ "$(find "$PC_DESKTOP" -type f | wc -l)" -eq 1 ]'

e2e_close
e2e_end
