#!/bin/bash
# Drops from another program, end to end (native program only: the file manager's part is a small
# Qt program, tests/e2e/drag_source_qt.cpp, that drags PC files as file URLs). A file dragged onto
# the Browser's file pane while "My Files" is open is copied there byte for byte; a .jar with its
# .jad dragged onto Java Apps installs the game, which the page then lists.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

e2e_begin drops
[ "$GUI_DRIVER" = native ] || {
    echo "e2e drops: skipped (the drag source is a native program)"
    exit 77
}
[ -x "${ORVEL_DRAGSOURCE:-}" ] || e2e_abort "no drag source (ORVEL_DRAGSOURCE)"

row_y() { echo $((20 + 20 + 2 + 15 * $1 + 7)); }
SOURCE_PID=
gui_on_exit() { [ -z "$SOURCE_PID" ] || kill "$SOURCE_PID" 2>/dev/null; }

# drag_in CLIENT_X CLIENT_Y FILE...: the files are dragged from a window of another program, at
# the screen's bottom left, to that client point, and dropped there.
drag_in() {
    local x=$1 y=$2 i
    shift 2
    "$ORVEL_DRAGSOURCE" 10 900 "$@" >"$GUI_WORK/dragsource.out" 2>&1 &
    SOURCE_PID=$!
    source_shown() { xdotool search --onlyvisible --name '^orvel-dragsource$' >/dev/null 2>&1; }
    gui_wait_until 10 source_shown || e2e_abort "the drag source did not show"
    xdotool mousemove 40 930 mousedown 1
    for ((i = 1; i <= 10; i++)); do
        xdotool mousemove $((40 + (GUI_CLIENT_X + x - 40) * i / 10)) \
            $((930 + (GUI_CLIENT_Y + y - 930) * i / 10))
        sleep 0.05 # pointer motion the drag can follow, not a wait for a result
    done
    gui_move $((x + 1)) $((y + 1))
    xdotool mouseup 1
    dropped() { grep -q '^dropped' "$GUI_WORK/dragsource.out"; }
    gui_wait_until 10 dropped || e2e_abort "the drag did not end"
}

e2e_start_orvel
e2e_connect

# --- Browser: a PC file dropped on the file pane of "My Files" ---------------------------------
head -c 5000 /dev/urandom >"$GUI_WORK/dropped.bin"
gui_tab 1
gui_double_click 40 "$(row_y 1)"
gui_wait_output "list /My Files/ done" 10 || e2e_abort "My Files was not listed"
drag_in 400 150 "$GUI_WORK/dropped.bin"
kill "$SOURCE_PID" 2>/dev/null
e2e_wait_check "the dropped file is copied to the phone" 20 \
    grep -q "^upload /My Files/dropped.bin done" "$GUI_OUT"
e2e_check "it arrives byte for byte" \
    cmp -s "$GUI_WORK/dropped.bin" "$(gui_phone_file "/My Files/dropped.bin")"

# --- Java Apps: a game's .jar and .jad dropped on the page --------------------------------------
game=$GUI_WORK/Tetra
mkdir -p "$game"
cp "$(dirname "${BASH_SOURCE[0]}")/../data/phone/AppEx/User/Java/Games/Sudoku/Sudoku.jar" "$game/Tetra.jar"
printf 'MIDlet-Name: Tetra\r\nMIDlet-Jar-URL: Tetra.jar\r\n' >"$game/Tetra.jad"
gui_tab 2
drag_in 300 300 "$game/Tetra.jar" "$game/Tetra.jad"
e2e_wait_check "the game is installed" 20 grep -q "^install .*Tetra.* done" "$GUI_OUT"
e2e_check "its .jar reached the games folder" eval \
    "find '$GUI_PHONE_ROOT' -name Tetra.jar | grep -q Games/Tetra/Tetra.jar"
six_rows() { [ "$(gui_colour_count 28 $((45 + 25 * 5)) 200 15 157DCC)" -gt 10 ]; }
e2e_wait_check "Java Apps lists it: a sixth game row" 10 six_rows
gui_screenshot "$GUI_WORK/java-apps.png"

e2e_close
e2e_end
