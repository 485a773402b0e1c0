#!/bin/bash
# A whole session by keyboard only: Control+1 and the arrows choose the phone's port, Return
# connects; Control+2 shows the Browser, whose folder pane has the focus: arrows and Return open
# "My Files", then "Pictures"; Tab moves to the files, Down selects the first one; Delete asks
# first (Escape keeps the file, Return deletes it), the row goes once the phone's listing lacks
# the file; Shift+F10 opens the context menu; F5 lists the folder again; Backspace goes up.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

e2e_begin keyboard

# Client geometry of the Browser (see browser_test.sh): rows 15 high from client y 42; the folder
# pane at x 5, the file pane at x 321.
row_top() { echo $((20 + 20 + 2 + 15 * $1)); }
blue_in() { gui_colour_count "$1" "$2" "$3" "$4" 157DCC; }
frames() { grep -c '^> \[' "$GUI_RECORD"; }

e2e_start_orvel

# --- Devices: the port by arrows, Return connects ---------------------------------------------
gui_key ctrl+1 Down Return
e2e_check "Return on the port row connects and the phone is asked who it is" \
    gui_wait_answered 7 30
gui_wait_settled 5
gui_screenshot "$GUI_WORK/devices.png"

# --- Browser: open My Files, then Pictures --------------------------------------------------------
root_listed() { [ "$(blue_in 10 "$(row_top 0)" 300 75)" -gt 150 ]; }
gui_key ctrl+2
e2e_wait_check "Control+2 shows the Browser with the root's folders" 10 root_listed
# AppEx, My Files: the second row is selected (a bar of blue) and opened by Return.
before=$(frames)
gui_key Down Down Return
more_frames() { [ "$(frames)" -gt "$before" ]; }
e2e_wait_check "Return on My Files lists it on the phone" 10 more_frames
sub_rows() { [ "$(blue_in 10 "$(row_top 6)" 300 15)" -gt 20 ]; } # a seventh row (User)
e2e_wait_check "its sub-folders appear under it" 10 sub_rows
# Pictures is the row below My Files.
gui_key Down Return
three_files() {
    [ "$(blue_in 325 "$(row_top 2)" 300 15)" -gt 20 ] && [ "$(blue_in 325 "$(row_top 3)" 300 15)" -eq 0 ]
}
e2e_wait_check "Pictures' three files are listed" 10 three_files
e2e_check "the opened folder is the highlighted one" \
    eval '[ "$(blue_in 10 "$(row_top 2)" 300 15)" -gt 2000 ]'

# --- Files: select the first, delete it with the confirmation ---------------------------------
gui_key Tab Down
first_selected() { [ "$(blue_in 325 "$(row_top 0)" 300 15)" -gt 2000 ]; }
e2e_wait_check "Tab and Down select the first file" 5 first_selected
gui_wait_settled 5
gui_screenshot "$GUI_WORK/selected.png"

question=
find_question() {
    question=$(xdotool search --onlyvisible --name '^Delete$' 2>/dev/null | head -n 1)
    [ -n "$question" ]
}
question_gone() { ! find_question; }
# The confirmation is a window of its own: the keys go to it.
answer() {
    xdotool windowfocus "$question" 2>/dev/null
    xdotool key --delay 30 "$1"
}
logo=$(gui_phone_file "/My Files/Pictures/logo.bmp")

gui_key Delete
e2e_wait_check "Delete asks first" 10 find_question
gui_wait_settled 3
gui_screenshot "$GUI_WORK/question.png" --screen
answer Escape
e2e_wait_check "Escape closes the question" 5 question_gone
e2e_check "Escape keeps the file on the phone" test -f "$logo"
e2e_check "and its row" first_selected

gui_key Delete
e2e_wait_check "Delete asks again" 10 find_question
answer Return
e2e_wait_check "Return deletes the file on the phone" 10 eval '[ ! -e "$logo" ]'
two_files() {
    [ "$(blue_in 325 "$(row_top 1)" 300 15)" -gt 20 ] && [ "$(blue_in 325 "$(row_top 2)" 300 15)" -eq 0 ]
}
e2e_wait_check "the listing after the delete shows two files" 10 two_files
gui_wait_settled 5
gui_screenshot "$GUI_WORK/deleted.png"

# --- Shift+F10 opens the context menu, Escape closes it -----------------------------------------
visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | wc -l; }
windows_before=$(visible_windows)
gui_key shift+F10
menu_shown() { [ "$(visible_windows)" -gt "$windows_before" ]; }
e2e_wait_check "Shift+F10 opens the context menu" 5 menu_shown
gui_screenshot "$GUI_WORK/menu.png" --screen
xdotool key Escape
e2e_wait_check "Escape closes it" 5 eval '! menu_shown'

# --- F5 lists the folder again -----------------------------------------------------------------
before=$(frames)
gui_key F5
e2e_wait_check "F5 lists the folder on the phone again" 10 more_frames
e2e_wait_check "still two files" 10 two_files

# --- Backspace opens the parent folder: My Files, highlighted, without files ------------------
gui_key BackSpace
parent_shown() {
    [ "$(blue_in 10 "$(row_top 1)" 300 15)" -gt 2000 ] && [ "$(blue_in 325 "$(row_top 0)" 300 15)" -eq 0 ]
}
e2e_wait_check "Backspace shows My Files, highlighted" 10 parent_shown

e2e_close
e2e_end
