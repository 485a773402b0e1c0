#!/bin/bash
# Runs Orvel on Linux: builds what it needs, then starts the window program connected to the
# simulated phone (or, with --port, to a real one): natively the Qt program orvel, with --wine
# orvel.exe under Wine.
#
#   scripts/run.sh                      # native orvel, the simulated phone (tests/data/phone, on a
#                                       # scratch copy)
#   scripts/run.sh --port /dev/ttyACM0  # native orvel, a real phone on that serial device
#   scripts/run.sh --wine [--port DEV]  # orvel.exe under Wine, the same phones
#   scripts/run.sh --virtual            # on a virtual display even when there is a desktop
#
# Natively it builds only the targets orvel and orvel-phonesim in build/native; with --wine also
# orvel.exe and the line tap in build/win64 (ORVEL_NATIVE_BUILD and ORVEL_WIN64_BUILD choose other
# folders). On a fresh Debian 12 it first installs what is missing (as root).
#
# With a desktop (DISPLAY): the window appears with the phone in the Devices list; "Auto Connect"
# connects. Closing the window ends the simulator (and Wine).
# Without a display: on a virtual display (Xvfb) it clicks "Auto Connect" itself, waits until the
# phone answered the identity questions, saves a picture of each of the four tabs as PNG files in
# build/native/run/ (build/win64/run/ with --wine), closes the window and says where the pictures
# are.
#
# The native program is given the device with --port, which lists it in Devices (the simulator by
# the path of a link to its pseudo-terminal, build/native/run/phone-tty). Under Wine the device is
# a COM port of the prefix: the simulator is offered as a paired Bluetooth device (listed without
# a probe: a pseudo-terminal cannot answer the probe under Wine); a real phone as a USB modem,
# probed as on Windows.
set -u

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
native=${ORVEL_NATIVE_BUILD:-$root/build/native}
win64=${ORVEL_WIN64_BUILD:-$root/build/win64}
jobs=2

usage() {
    echo "usage: scripts/run.sh [--wine] [--port DEVICE] [--virtual]" >&2
    exit 2
}

device=
virtual=
use_wine=
while [ $# -gt 0 ]; do
    case $1 in
    --port)
        [ $# -ge 2 ] || usage
        device=$2
        shift 2
        ;;
    --virtual)
        virtual=--virtual
        shift
        ;;
    --wine)
        use_wine=1
        shift
        ;;
    -h | --help) usage ;;
    *) usage ;;
    esac
done

say() {
    echo "run.sh: $*"
}

die() {
    echo "run.sh: $*" >&2
    exit 1
}

# ---------------------------------------------------------------------------------------------
# Tools: "package|file or command that proves it is installed"
requirements=(
    "cmake|cmake"
    "make|make"
    "g++|g++"
    "libgtest-dev|/usr/include/gtest/gtest.h"
    "xvfb|Xvfb"
    "xdotool|xdotool"
    "imagemagick|import"
)
if [ -n "$use_wine" ]; then
    requirements+=(
        "googletest|/usr/src/googletest/CMakeLists.txt"
        "g++-mingw-w64-x86-64-posix|x86_64-w64-mingw32-g++-posix"
        "gcc-mingw-w64-x86-64-posix|x86_64-w64-mingw32-gcc-posix"
        "binutils-mingw-w64-x86-64|x86_64-w64-mingw32-windres"
        "wine64|/usr/lib/wine/wine64"
        "libwine|/usr/lib/wine/wineserver"
        "fonts-wine|/usr/share/wine/fonts/marlett.ttf"
    )
else
    requirements+=(
        "qt6-base-dev|/usr/lib/x86_64-linux-gnu/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake"
        "python3|python3"
    )
fi

packages_caller=scripts/run.sh
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"

# configure <dir> <cmake args...>: only a folder without a cache is configured here; an existing
# one keeps its settings (the build step reconfigures it when needed).
configure() {
    local dir=$1
    shift
    [ -f "$dir/CMakeCache.txt" ] && return 0
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Debug "$@"
}

# quietly <log> <command...>: runs the command with its output in the log, shown when it fails.
quietly() {
    local log=$1
    shift
    mkdir -p "$(dirname "$log")"
    if ! "$@" >"$log" 2>&1; then
        tail -n 30 "$log" >&2
        return 1
    fi
}

build() {
    local targets=()
    [ -z "$device" ] && targets+=(orvel-phonesim)
    [ -z "$use_wine" ] && targets+=(orvel)
    if [ ${#targets[@]} -gt 0 ]; then
        say "building ${targets[*]} in $native"
        quietly "$native/run-build.log" configure "$native" &&
            quietly "$native/run-build.log" cmake --build "$native" --target "${targets[@]}" -j"$jobs" ||
            die "the native build failed (log: $native/run-build.log)"
    fi
    if [ -z "$use_wine" ]; then
        [ -x "$native/bin/orvel" ] || die "no $native/bin/orvel (is Qt 6 Widgets installed?)"
        return 0
    fi
    say "building orvel.exe in $win64"
    quietly "$win64/run-build.log" configure "$win64" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_C_FLAGS_DEBUG=-O0 -DCMAKE_CXX_FLAGS_DEBUG=-O0 \
        -DORVEL_PHONESIM="$native/bin/orvel-phonesim" &&
        quietly "$win64/run-build.log" cmake --build "$win64" --target orvel orvel_linetap -j"$jobs" ||
        die "the Windows build failed (log: $win64/run-build.log)"
    [ -f "$win64/bin/orvel.exe" ] || die "no $win64/bin/orvel.exe (is app/main_win32.cpp there?)"
}

# A real phone's device must be readable and writable, and not in ModemManager's hands.
check_device() {
    [ -c "$device" ] || die "$device is not a serial device"
    if [ ! -r "$device" ] || [ ! -w "$device" ]; then
        die "no read-write access to $device: join its group (usually dialout:" \
            "sudo usermod -aG dialout $USER, then log in again); see README.md"
    fi
    if command -v systemctl >/dev/null 2>&1 && systemctl is-active --quiet ModemManager 2>/dev/null; then
        say "note: ModemManager runs and may probe the phone's port; see README.md to keep it away"
    fi
}

install_missing || exit 2
[ -z "$device" ] || check_device
build
export ORVEL_PHONESIM=$native/bin/orvel-phonesim
if [ -n "$use_wine" ]; then
    export ORVEL_LINETAP=$win64/e2e/orvel-linetap
else
    # Natively the program talks to the simulator directly.
    export ORVEL_LINETAP=
fi

# shellcheck source=gui-session.sh
source "$root/scripts/gui-session.sh"
if [ -n "$use_wine" ]; then
    work=$win64/run
    program=$win64/bin/orvel.exe
    gui_init "$work" "$win64/run-wineprefix" || exit 1
    gui_display $virtual || exit 1
    if [ "$GUI_VIRTUAL" = 1 ]; then
        gui_prefix || exit 1
    else
        gui_prefix --managed || exit 1
    fi
else
    work=$native/run
    program=$native/bin/orvel
    gui_init --native "$work" || exit 1
    gui_display $virtual || exit 1
fi

if [ -n "$device" ]; then
    gui_offer_port --usb "SAMSUNG Mobile USB Modem ($(basename "$device"))" "$device" || exit 1
else
    gui_phone_start || exit 1
    gui_offer_port --bluetooth "Wave (simulated)" "$GUI_PHONE_LINK" || exit 1
fi
gui_start_program "$program" || exit 1

if [ "$GUI_VIRTUAL" = 0 ]; then
    # On a desktop the window manager places the window; a native program may even be a Wayland
    # window, which the X tools cannot see, so only the program itself is waited for.
    say "Orvel runs on the desktop with the phone on $GUI_COM${device:+ ($device)}."
    say "Click \"Auto Connect\" to connect; close the window to end."
    wait "$GUI_PROGRAM_PID"
    status=$?
    GUI_PROGRAM_PID=
    [ "$status" = 0 ] || die "the program ended with status $status (its errors: $GUI_WORK/program.err)"
    say "the window was closed"
    exit 0
fi
gui_wait_window 60 || exit 1

# No desktop: connect, take a picture of each tab, close.
rm -f "$work"/tab-*.png
gui_click 100 232 # "Auto Connect": the Devices view at (0, 20), the button at (0, 200) in it
gui_wait_output "$GUI_COM ok" 30 ||
    die "Auto Connect did not open $GUI_COM (program output: $GUI_OUT)"
if [ -z "$device" ]; then
    # One line on standard output for each of the seven identity questions.
    answered() { [ "$(grep -c '^info AT' "$GUI_OUT")" -ge 7 ]; }
    gui_wait_until 30 answered || die "the phone did not answer the identity questions ($GUI_OUT)"
    say "the phone answered: $(sed -n 's/^info \(AT[^ ]*\) done.*/\1/p' "$GUI_OUT" | tr '\n' ' ')"
fi
names=(devices browser java-apps specials)
for tab in 0 1 2 3; do
    gui_tab "$tab"
    # The tab's button turns blue when it is checked.
    checked() { [[ "$(gui_pixel $((5 + 100 * tab + 6)) 12)" == [0-7]* ]]; }
    gui_wait_until 5 checked || say "tab $tab did not show as checked"
    gui_wait_settled 10 || say "the ${names[$tab]} tab kept changing"
    if [ "$tab" = 1 ] && [ -z "$device" ]; then
        # Open "My Files" (folder row 1), then "Pictures" (row 2 below it) so the file pane shows
        # the pictures. Rows are 15 pixels high from client y 42 in the folder pane at x 5.
        folder_rows() { [ "$(gui_colour_count 10 $((42 + 15 * 6)) 300 15 157DCC)" -gt 20 ]; }
        files_listed() { [ "$(gui_colour_count 325 42 300 15 157DCC)" -gt 20 ]; }
        gui_double_click 40 $((42 + 15 + 7))
        gui_wait_until 10 folder_rows || say "My Files did not open"
        gui_double_click 40 $((42 + 30 + 7))
        gui_wait_until 10 files_listed || say "Pictures did not open"
        gui_wait_settled 10 || say "the browser kept changing"
    fi
    gui_screenshot "$work/tab-$tab-${names[$tab]}.png" || exit 1
done
gui_close 10 || die "the program did not end after the close request"
echo
say "pictures of the four tabs:"
for file in "$work"/tab-*.png; do
    echo "  $file"
done
