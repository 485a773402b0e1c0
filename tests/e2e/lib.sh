# Shared part of the end-to-end tests (tests/e2e/*_test.sh): sourced after `set -u`.
# Builds on scripts/gui-session.sh (all gui_* functions) and adds the test's frame: start-up of
# the window program against the simulated phone, checks that record failures, and the verdict.
# CTest gives: ORVEL_PROGRAM (the native orvel, or orvel.exe: the name chooses the session's
# driver, native or wine), ORVEL_PHONESIM, ORVEL_LINETAP, ORVEL_E2E_WORK (the folder of the runs:
# one subfolder per test, and under Wine the prefix they share one at a time), ORVEL_VERSION (the
# program's version, "1.07").
#
# The steps that differ between the drivers are here, each in its branch: the tools needed, the
# session (a Wine prefix, or a fresh settings folder for the native program), the desktop folder a
# copy goes to and the folder picker (the shell's picker under Wine, Qt's file dialog natively).

# shellcheck source=../../scripts/gui-session.sh
source "$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd -P)/scripts/gui-session.sh"

E2E_NAME=
E2E_FAILURES=0
# The name under which the simulated phone is registered, and the Auto Connect button's middle
# (client coordinates: the view at (0, 20), the button at (0, h/2 - 40) of the 480-pixel view).
readonly E2E_PHONE_NAME="Wave (simulated)"
readonly E2E_AUTO_CONNECT_X=100
readonly E2E_AUTO_CONNECT_Y=232

# e2e_begin NAME: starts the test's session on a virtual display. Exits 77 (skipped) when a tool
# is missing, 1 when the environment is incomplete.
e2e_begin() {
    E2E_NAME=$1
    local tool tools=(Xvfb xdotool import convert) driver=native
    [[ "${ORVEL_PROGRAM:-}" == *.exe ]] && driver=wine
    if [ "$driver" = wine ]; then
        tools+=(/usr/lib/wine/wine64)
    else
        tools+=(python3)
    fi
    for tool in "${tools[@]}"; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "e2e $E2E_NAME: skipped, $tool is not installed"
            exit 77
        fi
    done
    local var
    for var in ORVEL_PROGRAM ORVEL_PHONESIM ORVEL_LINETAP ORVEL_E2E_WORK ORVEL_VERSION; do
        if [ -z "${!var:-}" ]; then
            echo "e2e $E2E_NAME: $var is not set (run through ctest)" >&2
            exit 1
        fi
    done
    if [ "$driver" = wine ]; then
        gui_init "$ORVEL_E2E_WORK/$E2E_NAME" "$ORVEL_E2E_WORK/wineprefix" || exit 1
    else
        gui_init --native "$ORVEL_E2E_WORK/$E2E_NAME" || exit 1
        # The program's settings (the picker's last folder) start empty in each test, and its
        # texts are the English ones the checks look for.
        export XDG_CONFIG_HOME=$GUI_WORK/config XDG_RUNTIME_DIR=$GUI_WORK/runtime
        rm -rf "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
        mkdir -p "$XDG_CONFIG_HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR" || exit 1
        export LC_ALL=C.UTF-8
        unset LANGUAGE
    fi
    rm -f "$GUI_WORK"/*.png
    gui_display --virtual || e2e_abort "no display"
    if [ "$GUI_DRIVER" = wine ]; then
        gui_prefix || e2e_abort "no Wine prefix"
    fi
}

# e2e_start_orvel [gui_phone_start options]: the simulated phone (sample content unless --from is
# given), offered to the program (natively with --port, under Wine as a COM port registered as a
# Bluetooth device), and the program with its window shown.
e2e_start_orvel() {
    gui_phone_start "$@" || e2e_abort "the phone did not start"
    gui_offer_port --bluetooth "$E2E_PHONE_NAME" "$GUI_PHONE_LINK" || e2e_abort "port not offered"
    gui_start_program "$ORVEL_PROGRAM" || e2e_abort "$(basename "$ORVEL_PROGRAM") did not start"
    gui_wait_window 60 || e2e_abort "no window"
}

# e2e_connect: clicks Auto Connect and waits until the port opened and the phone answered the
# seven identity questions (which every connection asks).
e2e_connect() {
    gui_click "$E2E_AUTO_CONNECT_X" "$E2E_AUTO_CONNECT_Y"
    gui_wait_output "$GUI_COM ok" 20 || e2e_abort "Auto Connect did not open $GUI_COM"
    gui_wait_answered 7 30 || e2e_abort "the identity questions were not answered"
}

# e2e_check DESCRIPTION COMMAND [ARGS...]: one check; a failure is reported and counted.
e2e_check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAILED: $what"
        E2E_FAILURES=$((E2E_FAILURES + 1))
    fi
}

# e2e_expect_eq DESCRIPTION EXPECTED ACTUAL
e2e_expect_eq() {
    if [ "$2" = "$3" ]; then
        echo "ok: $1"
    else
        echo "FAILED: $1"
        echo "  expected: $(printf '%q' "$2")"
        echo "  actual:   $(printf '%q' "$3")"
        E2E_FAILURES=$((E2E_FAILURES + 1))
    fi
}

# e2e_wait_check DESCRIPTION SECONDS COMMAND [ARGS...]: a check that may take time to come true.
e2e_wait_check() {
    local what=$1 seconds=$2
    shift 2
    e2e_check "$what" gui_wait_until "$seconds" "$@"
}

# What a failed run leaves for a person: the screen, the traffic and the program's output.
_e2e_report() {
    if [ -n "${DISPLAY:-}" ]; then
        gui_screenshot "$GUI_WORK/failure.png" --screen && echo "screen: $GUI_WORK/failure.png"
    fi
    if [ -n "$GUI_RECORD" ] && [ -f "$GUI_RECORD" ]; then
        echo "--- last phone traffic ($GUI_RECORD)"
        tail -n 20 "$GUI_RECORD"
    fi
    if [ -f "$GUI_OUT" ]; then
        echo "--- program output ($GUI_OUT)"
        tail -n 20 "$GUI_OUT"
    fi
}

# e2e_abort MESSAGE: ends the test at once as failed.
e2e_abort() {
    echo "FAILED: $*"
    _e2e_report
    exit 1
}

# e2e_close: closes the window as a person would; the process must be gone within 5 s, with exit
# status 0.
e2e_close() {
    if gui_close 5; then
        echo "ok: the program ended after the close request"
        e2e_expect_eq "exit status" 0 "$GUI_PROGRAM_STATUS"
    else
        echo "FAILED: the program still runs 5 s after the close request"
        E2E_FAILURES=$((E2E_FAILURES + 1))
    fi
}

# e2e_end: the verdict; exits.
e2e_end() {
    if [ "$E2E_FAILURES" -gt 0 ]; then
        echo "e2e $E2E_NAME: $E2E_FAILURES check(s) FAILED"
        _e2e_report
        exit 1
    fi
    echo "e2e $E2E_NAME: passed (pictures in $GUI_WORK)"
    exit 0
}

# e2e_session_desktop: a folder $PC_DESKTOP of the session holding an empty folder "copies", which
# e2e_pick_copies picks, so a copy can only ever land inside the session's folder. Under Wine it is
# the prefix's desktop folder for this run (restored on exit). Sets PC_DESKTOP.
E2E_DESKTOP_LINK=
E2E_DESKTOP_SAVED=
_e2e_restore_desktop() {
    if [ -n "$E2E_DESKTOP_LINK" ] && [ -n "$E2E_DESKTOP_SAVED" ]; then
        rm -f "$E2E_DESKTOP_LINK"
        mv "$E2E_DESKTOP_SAVED" "$E2E_DESKTOP_LINK"
    fi
}
e2e_session_desktop() {
    PC_DESKTOP=$GUI_WORK/desktop
    if [ "$GUI_DRIVER" = native ]; then
        rm -rf "$PC_DESKTOP"
        mkdir -p "$PC_DESKTOP/copies" || e2e_abort "cannot make $PC_DESKTOP"
        return 0
    fi
    gui_on_exit() { _e2e_restore_desktop; }
    local dir
    for dir in "$GUI_PREFIX"/drive_c/users/*/Desktop; do
        [ "$dir" = "$GUI_PREFIX/drive_c/users/Public/Desktop" ] && continue
        E2E_DESKTOP_LINK=$dir
    done
    [ -n "$E2E_DESKTOP_LINK" ] || e2e_abort "the prefix has no desktop folder"
    rm -rf "$PC_DESKTOP"
    mkdir -p "$PC_DESKTOP/copies"
    local saved=$E2E_DESKTOP_LINK.orvel-e2e-saved
    if [ -e "$saved" ] || [ -L "$saved" ]; then
        # A run that was killed outright left the original aside: put it back first.
        rm -f "$E2E_DESKTOP_LINK"
        mv "$saved" "$E2E_DESKTOP_LINK" || e2e_abort "cannot restore the desktop"
    fi
    mv "$E2E_DESKTOP_LINK" "$saved" || e2e_abort "cannot set the desktop aside"
    E2E_DESKTOP_SAVED=$saved
    ln -s "$PC_DESKTOP" "$E2E_DESKTOP_LINK" || e2e_abort "cannot place the session's desktop"
}

# e2e_pick_copies: in the folder picker that is opening, picks the desktop's folder "copies" with
# the keyboard, as a person would. Under Wine (the shell's picker): a click on the empty lower part
# of the folder tree gives it the keyboard, Home selects the desktop, Right its first sub-folder,
# typing the name picks it. Natively (Qt's file dialog, titled with the program's heading, the
# keyboard in its "Directory" field): the folder's path is typed there.
e2e_pick_copies() {
    local picker='' title='^Browse for Folder$'
    [ "$GUI_DRIVER" = native ] && title='^Destination Folder:$'
    _e2e_find_picker() {
        picker=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -n 1)
        [ -n "$picker" ]
    }
    gui_wait_until 10 _e2e_find_picker || e2e_abort "the folder picker did not open"
    if [ "$GUI_DRIVER" = native ]; then
        # The field's text cursor blinks, so the dialog's picture never settles: what the typing
        # needs is the keyboard, which Qt gives to the field once the dialog has the focus.
        _e2e_picker_focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$picker" ]; }
        xdotool windowfocus "$picker" 2>/dev/null
        gui_wait_until 5 _e2e_picker_focused || e2e_abort "the folder picker has no keyboard"
        gui_screenshot "$GUI_WORK/picker.png" --screen
        xdotool type --delay 20 "$PC_DESKTOP/copies"
        gui_screenshot "$GUI_WORK/picked.png" --screen
        xdotool key Return
        return 0
    fi
    gui_wait_settled 3
    gui_screenshot "$GUI_WORK/picker.png" --screen
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$picker" 2>/dev/null)"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT * 3 / 4)) click 1
    xdotool key --delay 100 Home Right
    xdotool type --delay 100 copies
    gui_wait_settled 3
    gui_screenshot "$GUI_WORK/picked.png" --screen
    xdotool key Return
}
