# gui-session.sh: a sourced bash library that runs Orvel's window program on an X display against
# the phone simulator (or a real phone) and drives and watches its window. Two drivers:
#   native  the Qt program `orvel` (on Xvfb through Qt's xcb platform); the phone's device is
#           given to it with --port
#   wine    orvel.exe under Wine; the phone's device is a COM port of a Wine prefix, registered
#           where the program's port discovery looks
# It builds nothing; scripts/run.sh and the end-to-end tests of tests/e2e/ use it.
#
#   source scripts/gui-session.sh
#   gui_init --native WORK_DIR        # native: session folder (logs, pictures, phone copy)
#   gui_init WORK_DIR PREFIX_DIR      # wine: the same, and the Wine prefix
#   gui_display [--virtual]           # the X display: $DISPLAY if it answers, else a new Xvfb
#   gui_prefix [--managed]            # wine only: create/reuse the prefix, start its Wine server
#   gui_phone_start [--from DIR] [--fault WORD]...   # simulator on a scratch copy + line tap
#   gui_offer_port --bluetooth "NAME" "$GUI_PHONE_LINK"   # the phone for the program; sets GUI_COM
#   (gui_offer_port --usb "SAMSUNG ..." /dev/ttyACM0     # a real phone: probed as on Windows)
#   gui_start_program PROGRAM [ARGS]  # orvel or orvel.exe; stdout -> $GUI_WORK/program.out
#   gui_wait_window                   # sets GUI_WINDOW and the client origin
#   gui_click X Y                     # client coordinates of the 640 x 520 client area
#   gui_wait_answered 7 30            # the phone answered 7 AT questions (30 s at most)
#   gui_screenshot "$GUI_WORK/x.png"
#   gui_close                         # graceful close; true when the process ended in time
#
# gui_offer_port is the one step that differs: natively the device joins the program's --port
# arguments and GUI_COM is its path (the program names it so, e.g. "/.../phone-tty ok"); under Wine
# it becomes COMn (gui_map_port) registered as a Bluetooth device or a USB modem, and GUI_COM is
# "COMn". The Wine-only functions (gui_prefix, gui_map_port, gui_register_*, gui_forget_ports'
# registry part) refuse a native session.
#
# Everything started here (Xvfb, simulator, line tap, the program, the Wine server of the prefix
# and its programs, COM links) is stopped by gui_cleanup, which gui_init installs as the EXIT
# trap; INT, TERM and HUP end the script through it too. A script that needs its own exit work
# defines gui_on_exit, which gui_cleanup calls first. Every wait is a bounded poll of a condition.
#
# Programs found through the environment:
#   ORVEL_PHONESIM  the native orvel-phonesim
#   ORVEL_LINETAP   the native orvel-linetap (optional: without it the program talks to the
#                   simulator directly and there is no record of the traffic)
# Session state (read them, do not set them): GUI_DRIVER (native or wine), GUI_WORK, GUI_PREFIX,
# GUI_PHONE_ROOT (the Linux folder the phone serves), GUI_PHONE_TTY (the device the program is to
# open), GUI_PHONE_LINK (a link to it that keeps its path when the phone is started again),
# GUI_RECORD (the line tap's record), GUI_COM, GUI_PROGRAM_PID, GUI_PROGRAM_STATUS (after
# gui_close), GUI_OUT (program's standard output), GUI_WINDOW (X window id),
# GUI_CLIENT_X/GUI_CLIENT_Y (screen position of the client area).
#
# Native facts this relies on: with no window manager a Qt top-level window has no frame, so the
# X window named "Orvel 1.07" is the client area, placed where the program asks; a close request
# is the WM_DELETE_WINDOW message a window manager's close box sends (xdotool cannot send it, so a
# few lines of Python call Xlib); the program's setting of the picker's last folder lives under
# $XDG_CONFIG_HOME.
# Wine facts this relies on: the Wine helpers keep the descriptors of whoever started them, so
# every Wine call here has its standard streams on /dev/null or on files; with "Managed" = "N"
# (no window manager) Wine places a window exactly where the program asks and draws its frame
# itself; a pseudo-terminal fails the modem-status probe under Wine, so the simulator is offered
# as a Bluetooth port, which the program lists without probing.

# Sourced once per shell.
[ -n "${_GUI_SESSION_LOADED:-}" ] && return 0
_GUI_SESSION_LOADED=1

readonly GUI_WINE=/usr/lib/wine/wine64
readonly GUI_WINESERVER=/usr/lib/wine/wineserver
readonly GUI_PREFIX_MARK=.orvel-gui-prefix-ready
# The client size of the main window, and where the pointer rests when the program starts (the
# program places its client area at pointer - (200, 500), here at (100, 100)).
GUI_CLIENT_W=${GUI_CLIENT_W:-640}
GUI_CLIENT_H=${GUI_CLIENT_H:-520}
GUI_START_POINTER=${GUI_START_POINTER:-"300 600"}
GUI_SCREEN=${GUI_SCREEN:-1280x1024x24}

GUI_DRIVER=
GUI_WORK=
GUI_PREFIX=
GUI_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
GUI_XVFB_PID=
GUI_SIM_PID=
GUI_TAP_PID=
GUI_PROGRAM_PID=
GUI_PROGRAM_NAME=
GUI_PROGRAM_STATUS=
GUI_OUT=
GUI_WINDOW=
GUI_CLIENT_X=
GUI_CLIENT_Y=
GUI_PHONE_ROOT=
GUI_PHONE_TTY=
GUI_RECORD=
GUI_PHONE_LINK=
GUI_COM=
GUI_LINKS=()
GUI_PORTS=()
GUI_SERVER_STARTED=
GUI_SESSION_FILE=
GUI_CLEANED=
GUI_WATCHDOG_PID=

gui_log() {
    echo "[gui] $*" >&2
}

# gui_fail MESSAGE: logs and returns 1 (use as `... || gui_fail "what"`; with `|| exit 1` to stop).
gui_fail() {
    echo "[gui] FAILED: $*" >&2
    return 1
}

# Milliseconds since the epoch.
_gui_now_ms() {
    local t=${EPOCHREALTIME/./}
    echo $((t / 1000))
}

# gui_wait_until SECONDS COMMAND [ARGS...]: runs the command every 0.1 s until it succeeds (true)
# or the time is up (false).
gui_wait_until() {
    local seconds=$1
    shift
    local deadline=$(($(_gui_now_ms) + ${seconds%.*} * 1000))
    while :; do
        "$@" && return 0
        [ "$(_gui_now_ms)" -ge "$deadline" ] && return 1
        sleep 0.1
    done
}

# True while the process runs (a finished child that was not waited for counts as ended).
_gui_alive() {
    local pid=$1 stat
    [ -n "$pid" ] && [ -r "/proc/$pid/stat" ] || return 1
    stat=$(cat "/proc/$pid/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [ "${stat:0:1}" != Z ] && [ "${stat:0:1}" != X ]
}

# Ends a child process: TERM, a bounded wait, then KILL; reaps it.
_gui_stop_process() {
    local pid=$1
    [ -n "$pid" ] || return 0
    if _gui_alive "$pid"; then
        kill -TERM "$pid" 2>/dev/null
        if ! gui_wait_until 5 eval "! _gui_alive $pid"; then
            kill -KILL "$pid" 2>/dev/null
            gui_wait_until 5 eval "! _gui_alive $pid"
        fi
    fi
    wait "$pid" 2>/dev/null
    return 0
}

# A Wine helper: no terminal, no inherited descriptors beyond the standard three.
_gui_quiet() {
    "$@" </dev/null >/dev/null 2>&1 9>&-
}

_gui_wine() {
    _gui_quiet "$GUI_WINE" "$@"
}

# gui_winpath LINUX_PATH: the same file as a path of the program (under Wine on its Z: drive).
gui_winpath() {
    local path
    path=$(realpath -m "$1")
    if [ "$GUI_DRIVER" = native ]; then
        echo "$path"
        return 0
    fi
    path=${path//\//\\}
    echo "Z:$path"
}

# Remembers a process of the session for the watchdog.
_gui_own() {
    echo "$1" >>"$GUI_WORK/.session-pids"
}

# A watchdog ends what the session started when the script itself is killed outright (a test's
# time-out) and gui_cleanup cannot run. gui_cleanup ends the watchdog first.
_gui_start_watchdog() {
    local parent=$$ pids=$GUI_WORK/.session-pids
    : >"$pids"
    (
        trap '' INT HUP
        while kill -0 "$parent" 2>/dev/null; do
            sleep 1
        done
        [ "$GUI_DRIVER" = wine ] && "$GUI_WINESERVER" -k
        xargs -r kill <"$pids"
    ) </dev/null >/dev/null 2>&1 9>&- &
    GUI_WATCHDOG_PID=$!
}

# gui_init --native WORK_DIR | gui_init WORK_DIR PREFIX_DIR: starts a session of the native
# program, or of orvel.exe under Wine. WORK_DIR receives the logs, the phone copy and pictures;
# PREFIX_DIR is the Wine prefix (created on first use, kept for the next session).
gui_init() {
    local driver=wine
    if [ "${1:-}" = --native ]; then
        driver=native
        shift
        [ $# -eq 1 ] || {
            gui_fail "usage: gui_init --native WORK_DIR"
            return 1
        }
    else
        [ $# -eq 2 ] || {
            gui_fail "usage: gui_init WORK_DIR PREFIX_DIR"
            return 1
        }
    fi
    mkdir -p "$@" || return 1
    GUI_DRIVER=$driver
    GUI_WORK=$(cd "$1" && pwd -P)
    GUI_OUT=$GUI_WORK/program.out
    GUI_CLEANED=
    trap gui_cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM HUP
    if [ "$GUI_DRIVER" = native ]; then
        _gui_start_watchdog
        command -v xdotool >/dev/null || gui_fail "xdotool is missing" || return 1
        command -v python3 >/dev/null || gui_fail "python3 is missing (the close request)" || return 1
        return 0
    fi
    GUI_PREFIX=$(cd "$2" && pwd -P)
    export WINEPREFIX=$GUI_PREFIX
    export WINEARCH=win64
    export WINEDEBUG=${WINEDEBUG:--all}
    export WINEDLLOVERRIDES="mscoree,mshtml="
    # One session per prefix: the session ends the prefix's programs and server.
    GUI_SESSION_FILE=$GUI_PREFIX.session
    local other
    other=$(cat "$GUI_SESSION_FILE" 2>/dev/null)
    if [ -n "$other" ] && [ "$other" != $$ ] && _gui_alive "$other"; then
        GUI_SESSION_FILE=
        gui_fail "the Wine prefix $GUI_PREFIX is in use by process $other"
        return 1
    fi
    echo $$ >"$GUI_SESSION_FILE"
    _gui_start_watchdog
    command -v xdotool >/dev/null || gui_fail "xdotool is missing" || return 1
    [ -x "$GUI_WINE" ] || gui_fail "$GUI_WINE is missing (package wine64)" || return 1
}

# Refuses a Wine-only step in a native session.
_gui_wine_only() {
    [ "$GUI_DRIVER" = wine ] || gui_fail "$1 is a step of Wine sessions only"
}

# True when the display answers.
_gui_display_answers() {
    xdotool getdisplaygeometry >/dev/null 2>&1
}

# gui_display [--virtual]: uses $DISPLAY when it answers; otherwise, or with --virtual, starts
# Xvfb on a free display and exports DISPLAY. Call it before gui_prefix: Wine's desktop process
# stays on the display it was started with.
gui_display() {
    if [ "${1:-}" != --virtual ] && [ -n "${DISPLAY:-}" ] && _gui_display_answers; then
        GUI_VIRTUAL=0
        return 0
    fi
    command -v Xvfb >/dev/null || gui_fail "Xvfb is missing (package xvfb)" || return 1
    local number_file=$GUI_WORK/xvfb.display
    rm -f "$number_file"
    # -displayfd: Xvfb picks a free display and writes its number once it accepts clients.
    Xvfb -displayfd 3 -screen 0 "$GUI_SCREEN" -nolisten tcp -noreset \
        3>"$number_file" </dev/null >"$GUI_WORK/xvfb.log" 2>&1 &
    GUI_XVFB_PID=$!
    _gui_own "$GUI_XVFB_PID"
    _gui_display_number() { grep -q '^[0-9]\+$' "$number_file" 2>/dev/null; }
    gui_wait_until 15 _gui_display_number || gui_fail "Xvfb did not start (see $GUI_WORK/xvfb.log)" ||
        return 1
    export DISPLAY=:$(head -n 1 "$number_file")
    gui_wait_until 10 _gui_display_answers || gui_fail "display $DISPLAY does not answer" || return 1
    GUI_VIRTUAL=1
    gui_log "Xvfb on display $DISPLAY"
}

# Wine draws the frame's caption buttons with its symbol font Marlett; Debian's fonts-wine has it
# outside the prefix, where Wine does not look, and without it the buttons read "0 1 r". The
# prefix's font folder gets a link to it (a missing package only costs the look).
readonly GUI_WINE_FONTS=/usr/share/wine/fonts
_gui_prefix_fonts() {
    local folder=$GUI_PREFIX/drive_c/windows/Fonts font
    mkdir -p "$folder" || return 0
    for font in marlett.ttf; do
        [ -f "$GUI_WINE_FONTS/$font" ] && [ ! -e "$folder/$font" ] && ln -s "$GUI_WINE_FONTS/$font" "$folder/$font"
    done
    return 0
}

# gui_prefix [--managed]: makes the Wine prefix ready (once: wineboot, the X11 driver, no crash
# dialog) and starts its server for this session, ending what an earlier session may have left
# running. Windows are unmanaged (Wine places them and draws their frames, as needed without a
# window manager and for clicks at known places) unless --managed gives them to the desktop's
# window manager.
gui_prefix() {
    _gui_wine_only gui_prefix || return 1
    [ -n "$GUI_PREFIX" ] || gui_fail "gui_init first" || return 1
    [ -n "${DISPLAY:-}" ] || gui_fail "gui_display first" || return 1
    local managed=N
    [ "${1:-}" = --managed ] && managed=Y
    _gui_quiet "$GUI_WINESERVER" -k
    _gui_quiet "$GUI_WINESERVER" -w
    if [ ! -f "$GUI_PREFIX/$GUI_PREFIX_MARK" ]; then
        gui_log "creating the Wine prefix $GUI_PREFIX (once)"
        _gui_quiet "$GUI_WINESERVER" -p
        _gui_wine wineboot -i || gui_fail "wineboot failed" || return 1
        _gui_wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d x11 /f &&
            _gui_wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f ||
            gui_fail "cannot write the Wine settings" || return 1
        rm -f "$GUI_PREFIX/.orvel-gui-managed"
        touch "$GUI_PREFIX/$GUI_PREFIX_MARK"
    fi
    if [ "$(cat "$GUI_PREFIX/.orvel-gui-managed" 2>/dev/null)" != "$managed" ]; then
        _gui_quiet "$GUI_WINESERVER" -p
        _gui_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d "$managed" /f ||
            gui_fail "cannot write the Wine settings" || return 1
        echo "$managed" >"$GUI_PREFIX/.orvel-gui-managed"
    fi
    _gui_prefix_fonts
    # Wine's own settings take effect at the next server start.
    _gui_quiet "$GUI_WINESERVER" -k
    _gui_quiet "$GUI_WINESERVER" -w
    _gui_quiet "$GUI_WINESERVER" -p || gui_fail "the Wine server did not start" || return 1
    GUI_SERVER_STARTED=1
    _gui_wine wineboot || gui_fail "wineboot failed" || return 1
    gui_forget_ports
}

# gui_phone_start [--from DIR] [--fault WORD]... [--baud N]: starts orvel-phonesim on a scratch
# copy of DIR (default: the sample phone tests/data/phone) in $GUI_WORK/phone, and the line tap in
# front of it (when ORVEL_LINETAP names one). Sets GUI_PHONE_ROOT, GUI_PHONE_TTY (the device the
# program is to open), GUI_PHONE_LINK ($GUI_WORK/phone-tty, a link to that device, which points at
# the new one when the phone is started again) and GUI_RECORD (the tap's record of the traffic:
# "> AT+CGMI", "< OK", "> [21 bytes]" ...; empty without a tap).
gui_phone_start() {
    local from=$GUI_ROOT/tests/data/phone args=()
    while [ $# -gt 0 ]; do
        case $1 in
        --from) from=$2 ;;
        --fault | --baud) args+=("$1" "$2") ;;
        *) gui_fail "gui_phone_start: unknown option $1" || return 1 ;;
        esac
        shift 2
    done
    [ -x "${ORVEL_PHONESIM:-}" ] || gui_fail "ORVEL_PHONESIM does not name the simulator" || return 1
    [ -z "${ORVEL_LINETAP:-}" ] || [ -x "$ORVEL_LINETAP" ] ||
        gui_fail "ORVEL_LINETAP does not name the line tap" || return 1
    GUI_PHONE_ROOT=$GUI_WORK/phone
    rm -rf "$GUI_PHONE_ROOT"
    mkdir -p "$GUI_PHONE_ROOT"
    if [ -n "$from" ]; then
        cp -a "$from/." "$GUI_PHONE_ROOT/" || gui_fail "cannot copy $from" || return 1
    fi
    chmod -R u+w "$GUI_PHONE_ROOT"

    # A phone started again must not be read from the files of the one before: the new process
    # truncates them only once it runs.
    rm -f "$GUI_WORK/phonesim.out" "$GUI_WORK/linetap.out"
    "$ORVEL_PHONESIM" --root "$GUI_PHONE_ROOT" "${args[@]}" </dev/null \
        >"$GUI_WORK/phonesim.out" 2>"$GUI_WORK/phonesim.err" 9>&- &
    GUI_SIM_PID=$!
    _gui_own "$GUI_SIM_PID"
    _gui_first_line() { [ -n "$(head -n 1 "$1" 2>/dev/null)" ]; }
    gui_wait_until 10 _gui_first_line "$GUI_WORK/phonesim.out" ||
        gui_fail "the phone simulator did not start (see $GUI_WORK/phonesim.err)" || return 1
    local phone_tty
    phone_tty=$(head -n 1 "$GUI_WORK/phonesim.out")
    GUI_PHONE_LINK=$GUI_WORK/phone-tty
    if [ -z "${ORVEL_LINETAP:-}" ]; then
        GUI_RECORD=
        GUI_PHONE_TTY=$phone_tty
        ln -sfn "$GUI_PHONE_TTY" "$GUI_PHONE_LINK" || gui_fail "cannot link $GUI_PHONE_LINK" || return 1
        gui_log "phone on $GUI_PHONE_TTY (serving $GUI_PHONE_ROOT), no line tap"
        return 0
    fi

    GUI_RECORD=$GUI_WORK/phone.log
    "$ORVEL_LINETAP" --device "$phone_tty" --record "$GUI_RECORD" </dev/null \
        >"$GUI_WORK/linetap.out" 2>"$GUI_WORK/linetap.err" 9>&- &
    GUI_TAP_PID=$!
    _gui_own "$GUI_TAP_PID"
    gui_wait_until 10 _gui_first_line "$GUI_WORK/linetap.out" ||
        gui_fail "the line tap did not start (see $GUI_WORK/linetap.err)" || return 1
    GUI_PHONE_TTY=$(head -n 1 "$GUI_WORK/linetap.out")
    ln -sfn "$GUI_PHONE_TTY" "$GUI_PHONE_LINK" || gui_fail "cannot link $GUI_PHONE_LINK" || return 1
    gui_log "phone on $phone_tty (serving $GUI_PHONE_ROOT), program side $GUI_PHONE_TTY"
}

# gui_phone_file PHONE_PATH: the Linux path of a file of the simulated phone, e.g.
# gui_phone_file /Registry/MainMenu_reg.ini
gui_phone_file() {
    local path=${1#/}
    echo "$GUI_PHONE_ROOT/$path"
}

# gui_phone_requests: the AT command lines the program sent, in order, one per line.
gui_phone_requests() {
    sed -n 's/^> \(AT.*\)$/\1/p' "$GUI_RECORD" 2>/dev/null
}

# True when the N-th AT question has been answered with OK or ERROR.
_gui_answered() {
    awk -v n="$1" '
        /^> AT/ { asked++ }
        asked >= n && /^< (OK|ERROR)$/ { done = 1 }
        END { exit done ? 0 : 1 }' "$GUI_RECORD" 2>/dev/null
}

# gui_wait_answered N SECONDS: waits until the phone has answered N AT questions.
gui_wait_answered() {
    gui_wait_until "$2" _gui_answered "$1"
}

# gui_map_port DEVICE [N]: links COMn of the prefix to the device (a free n from 5 on when not
# given; a link whose device is gone counts as free). Sets GUI_COM.
gui_map_port() {
    _gui_wine_only gui_map_port || return 1
    local device=$1 n=${2:-} dosdevices=$GUI_PREFIX/dosdevices
    [ -e "$device" ] || gui_fail "no device $device" || return 1
    mkdir -p "$dosdevices"
    if [ -z "$n" ]; then
        for ((n = 5; n < 256; n++)); do
            [ -e "$dosdevices/com$n" ] || break
        done
    fi
    ln -sfn "$device" "$dosdevices/com$n" || gui_fail "cannot link com$n" || return 1
    GUI_LINKS+=("$dosdevices/com$n")
    GUI_COM=COM$n
    gui_log "$GUI_COM -> $device"
}

readonly _GUI_PORTS_CLASS='{4d36e978-e325-11ce-bfc1-08002be10318}'
readonly _GUI_SERIAL_SERVICE='{00001101-0000-1000-8000-00805f9b34fb}'
readonly _GUI_BTHENUM='HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Enum\BTHENUM'
readonly _GUI_BTHNAMES='HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\BTHPORT\Parameters\Devices'
readonly _GUI_USBENUM='HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Enum\USB'
# Our device keys carry this name, so they can be found and removed again.
readonly _GUI_DEVICE_KEY=ORVEL_GUI_SESSION

# Imports REGEDIT4 text (given on standard input) into the prefix's registry.
_gui_import_reg() {
    local file=$GUI_WORK/import.reg
    {
        printf 'REGEDIT4\r\n\r\n'
        sed 's/$/\r/'
    } >"$file"
    _gui_wine regedit /S "$(gui_winpath "$file")"
}

# The text as a REG_BINARY value of its bytes with a terminating zero ("hex:57,61,00").
_gui_hex_bytes() {
    local bytes
    bytes=$(printf '%s' "$1" | od -An -tx1 -v | tr -s ' \n' ' ')
    bytes=$(echo $bytes | tr ' ' ',')
    echo "hex:${bytes:+$bytes,}00"
}

# gui_register_bluetooth COMn NAME: records the port as a paired Bluetooth serial device, which
# the Devices view lists by NAME without probing it.
gui_register_bluetooth() {
    _gui_wine_only gui_register_bluetooth || return 1
    local port=$1 name=$2 n address
    n=${port#COM}
    address=$(printf '0012EE%06X' "$n")
    local instance="$_GUI_BTHENUM\\$_GUI_DEVICE_KEY\\$n"
    _gui_import_reg <<EOF || gui_fail "cannot register $port" || return 1
[$instance]
"ClassGUID"="$_GUI_PORTS_CLASS"
"FriendlyName"="Standard Serial over Bluetooth link ($port)"

[$instance\\Control]

[$instance\\Device Parameters]
"PortName"="$port"
"Bluetooth_UniqueID"="$_GUI_SERIAL_SERVICE#${address}_C00000000"

[$_GUI_BTHNAMES\\$address]
"Name"=$(_gui_hex_bytes "$name")
EOF
    echo "$_GUI_BTHNAMES\\$address" >>"$GUI_PREFIX/.orvel-gui-keys"
    gui_log "$port registered as the Bluetooth device \"$name\""
}

# gui_register_usb COMn FRIENDLY_NAME: records the port as a USB modem, which the Devices view
# probes before listing it. The name must contain the maker's name (samsung, any case).
gui_register_usb() {
    _gui_wine_only gui_register_usb || return 1
    local port=$1 name=$2 n
    n=${port#COM}
    local instance="$_GUI_USBENUM\\$_GUI_DEVICE_KEY\\$n"
    _gui_import_reg <<EOF || gui_fail "cannot register $port" || return 1
[$instance]
"Class"="Modem"
"FriendlyName"="$name"

[$instance\\Device Parameters]
"PortName"="$port"
EOF
    gui_log "$port registered as the USB modem \"$name\""
}

# gui_forget_ports: natively, forgets the devices offered for the next program start; under Wine,
# removes every port record of earlier sessions from the prefix's registry.
gui_forget_ports() {
    GUI_PORTS=()
    [ "$GUI_DRIVER" = wine ] || return 0
    local key keys=$GUI_PREFIX/.orvel-gui-keys
    {
        echo "[-$_GUI_BTHENUM\\$_GUI_DEVICE_KEY]"
        echo "[-$_GUI_USBENUM\\$_GUI_DEVICE_KEY]"
        if [ -f "$keys" ]; then
            while read -r key; do
                echo "[-$key]"
            done <"$keys"
        fi
    } | _gui_import_reg
    rm -f "$keys"
}

# gui_offer_port --bluetooth NAME | --usb NAME DEVICE: makes the device one the program lists.
# Natively it is given with --port at the next gui_start_program, listed by its path, and GUI_COM
# is that path. Under Wine it becomes a COM port registered as a paired Bluetooth device NAME
# (listed without a probe) or a USB modem NAME (probed; the name must contain "samsung"), and
# GUI_COM is "COMn"; the COM port stands for the device the path names now, so a link that is
# pointed elsewhere later (GUI_PHONE_LINK) does not move it.
gui_offer_port() {
    local kind=${1:-} name=${2:-} device=${3:-}
    case $kind in
    --bluetooth | --usb) ;;
    *) gui_fail "usage: gui_offer_port --bluetooth|--usb NAME DEVICE" || return 1 ;;
    esac
    [ -e "$device" ] || gui_fail "no device $device" || return 1
    if [ "$GUI_DRIVER" = native ]; then
        GUI_PORTS+=("$device")
        GUI_COM=$device
        gui_log "$device offered with --port"
        return 0
    fi
    gui_map_port "$(realpath "$device")" || return 1
    if [ "$kind" = --usb ]; then
        gui_register_usb "$GUI_COM" "$name"
    else
        gui_register_bluetooth "$GUI_COM" "$name"
    fi
}

# gui_start_program PROGRAM [ARGS...]: starts the window program (natively PROGRAM itself with the
# offered devices as --port arguments and, on a virtual display, Qt's xcb platform; under Wine the
# Windows program PROGRAM) with the pointer resting at GUI_START_POINTER, natively in the session
# folder; its standard output goes to $GUI_OUT, its errors to $GUI_WORK/program.err.
gui_start_program() {
    local program=$1
    shift
    [ -f "$program" ] || gui_fail "no program $program" || return 1
    if [ "$GUI_DRIVER" = wine ]; then
        [ -n "$GUI_SERVER_STARTED" ] || gui_fail "gui_prefix first" || return 1
    fi
    # shellcheck disable=SC2086
    xdotool mousemove $GUI_START_POINTER
    GUI_PROGRAM_NAME=$(basename "$program")
    GUI_PROGRAM_STATUS=
    GUI_WINDOW=
    : >"$GUI_OUT"
    if [ "$GUI_DRIVER" = native ]; then
        local args=() device platform=${QT_QPA_PLATFORM:-}
        for device in "${GUI_PORTS[@]}"; do
            args+=(--port "$device")
        done
        [ "${GUI_VIRTUAL:-0}" = 1 ] && platform=xcb
        (cd "$GUI_WORK" && exec env ${platform:+QT_QPA_PLATFORM=$platform} "$program" "${args[@]}" "$@") \
            </dev/null >"$GUI_OUT" 2>"$GUI_WORK/program.err" 9>&- &
    else
        "$GUI_WINE" "$program" "$@" </dev/null >"$GUI_OUT" 2>"$GUI_WORK/program.err" 9>&- &
    fi
    GUI_PROGRAM_PID=$!
    [ "$GUI_DRIVER" = native ] && _gui_own "$GUI_PROGRAM_PID"
    gui_log "started $GUI_PROGRAM_NAME (process $GUI_PROGRAM_PID)"
}

# True while the program runs.
gui_program_running() {
    _gui_alive "$GUI_PROGRAM_PID"
}

_gui_find_window() {
    local id
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [ -n "$id" ] && GUI_WINDOW=$id
}

# gui_wait_window [SECONDS] [TITLE_REGEX]: waits for the program's window (default: 30 s, the
# base title "Orvel <version>", e.g. "Orvel 1.07"), then finds its client area (gui_locate).
gui_wait_window() {
    local seconds=${1:-30} title=${2:-'^Orvel [0-9]+\.[0-9]+$'}
    GUI_WINDOW=
    gui_wait_until "$seconds" _gui_find_window "$title" ||
        gui_fail "no window \"$title\" within $seconds s" || return 1
    gui_locate
}

# gui_locate: sets GUI_CLIENT_X and GUI_CLIENT_Y from the window's geometry. Wine draws the frame
# inside the X window: equal borders left, right and bottom, the caption above. A native window
# without a window manager is the client area itself, without borders.
gui_locate() {
    local X Y WIDTH HEIGHT SCREEN WINDOW border
    eval "$(xdotool getwindowgeometry --shell "$GUI_WINDOW" 2>/dev/null)"
    [ -n "${WIDTH:-}" ] || gui_fail "window $GUI_WINDOW has no geometry" || return 1
    border=$(((WIDTH - GUI_CLIENT_W) / 2))
    [ "$border" -ge 0 ] || border=0
    GUI_CLIENT_X=$((X + border))
    GUI_CLIENT_Y=$((Y + HEIGHT - GUI_CLIENT_H - border))
}

# gui_move X Y: moves the pointer to a client point.
gui_move() {
    xdotool mousemove $((GUI_CLIENT_X + $1)) $((GUI_CLIENT_Y + $2))
}

# gui_click X Y [BUTTON]: clicks at a client point (button 1 = left, 3 = right).
gui_click() {
    gui_move "$1" "$2" && xdotool click "${3:-1}"
}

# gui_double_click X Y: a left double-click at a client point.
gui_double_click() {
    gui_move "$1" "$2" && xdotool click --repeat 2 --delay 80 1
}

# gui_drag X1 Y1 X2 Y2: presses the left button at one client point, moves in steps to the other
# and releases there.
gui_drag() {
    local i steps=8
    gui_move "$1" "$2" && xdotool mousedown 1 || return 1
    for ((i = 1; i <= steps; i++)); do
        gui_move $(($1 + ($3 - $1) * i / steps)) $(($2 + ($4 - $2) * i / steps))
    done
    xdotool mouseup 1
}

# gui_key KEY...: types keys (xdotool names: F1, Return, ctrl+a, ...) into the program's window.
gui_key() {
    xdotool windowfocus "$GUI_WINDOW" 2>/dev/null
    xdotool key --delay 30 "$@"
}

# gui_tab INDEX: clicks the tab button INDEX (0 Devices, 1 Browser, 2 Java Apps, 3 Specials).
gui_tab() {
    gui_click $((5 + 100 * $1 + 45)) 12
}

# gui_window_title: the program window's current title.
gui_window_title() {
    xdotool getwindowname "$GUI_WINDOW" 2>/dev/null
}

# gui_wait_output TEXT [SECONDS]: waits until the program's standard output contains the text.
gui_wait_output() {
    gui_wait_until "${2:-10}" grep -qF -- "$1" "$GUI_OUT"
}

# gui_screenshot FILE [--screen]: saves the program's window (or with --screen the whole display)
# as a picture (the format by the file's extension, e.g. .png).
gui_screenshot() {
    local file=$1
    if [ "${2:-}" = --screen ] || [ -z "$GUI_WINDOW" ]; then
        import -window root "$file" 2>/dev/null
    else
        local X Y WIDTH HEIGHT SCREEN WINDOW
        eval "$(xdotool getwindowgeometry --shell "$GUI_WINDOW" 2>/dev/null)"
        import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$file" 2>/dev/null
    fi
    [ -s "$file" ] || gui_fail "no screenshot $file"
}

# gui_pixel X Y: the colour at a client point as RRGGBB (from a fresh picture of the screen).
gui_pixel() {
    local x=$((GUI_CLIENT_X + $1)) y=$((GUI_CLIENT_Y + $2))
    import -window root -crop "1x1+$x+$y" +repage -depth 8 txt:- 2>/dev/null |
        sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | head -n 1 | tr a-f A-F
}

# gui_wait_settled [SECONDS]: waits until the window looks the same in two pictures taken 0.3 s
# apart (painting after a click or a phone's answer has finished), at most SECONDS (default 5).
gui_wait_settled() {
    local previous=$GUI_WORK/.settle-a.rgb current=$GUI_WORK/.settle-b.rgb
    rm -f "$previous" "$current"
    # Raw pixels of the window: no metadata that differs between two pictures.
    _gui_same_picture() {
        local X Y WIDTH HEIGHT SCREEN WINDOW
        mv -f "$current" "$previous" 2>/dev/null
        eval "$(xdotool getwindowgeometry --shell "$GUI_WINDOW" 2>/dev/null)"
        import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -depth 8 \
            "rgb:$current" 2>/dev/null || return 1
        [ -f "$previous" ] && cmp -s "$previous" "$current"
    }
    _gui_pause_then_same() { sleep 0.3 && _gui_same_picture; }
    _gui_same_picture
    gui_wait_until "${1:-5}" _gui_pause_then_same
    local settled=$?
    rm -f "$previous" "$current"
    return $settled
}

# gui_colour_count X Y WIDTH HEIGHT RRGGBB: how many pixels of the client rectangle show exactly
# that colour now (e.g. gui_colour_count 5 50 630 25 157DCC: a selected row of the port list).
gui_colour_count() {
    local x=$((GUI_CLIENT_X + $1)) y=$((GUI_CLIENT_Y + $2)) colour
    colour=$(echo "$5" | tr a-f A-F)
    import -window root -crop "${3}x${4}+$x+$y" +repage -depth 8 png:- 2>/dev/null |
        convert png:- -format %c histogram:info:- 2>/dev/null |
        awk -v c="#$colour " 'index(toupper($0), c) { n += $1 } END { print n + 0 }'
}

# _gui_delete_window WINDOW: sends the window the close request of a window manager's close box,
# the ClientMessage WM_PROTOCOLS carrying WM_DELETE_WINDOW (ICCCM), through Xlib.
_gui_delete_window() {
    [ -n "$1" ] || return 1
    python3 - "$1" <<'EOF'
import ctypes, sys
xlib = ctypes.CDLL("libX11.so.6")
xlib.XOpenDisplay.restype = ctypes.c_void_p
xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
xlib.XInternAtom.restype = ctypes.c_ulong
xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]

class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5)]

class Event(ctypes.Union):  # XEvent: 24 longs
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                            ctypes.POINTER(Event)]
display = xlib.XOpenDisplay(None)
if not display:
    sys.exit(1)
window = int(sys.argv[1], 0)
event = Event()
event.xclient.type = 33  # ClientMessage
event.xclient.window = window
event.xclient.message_type = xlib.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.xclient.format = 32
event.xclient.data[0] = xlib.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
event.xclient.data[1] = 0  # CurrentTime
sent = xlib.XSendEvent(display, window, 0, 0, ctypes.byref(event))
xlib.XSync(display, 0)
xlib.XCloseDisplay(display)
sys.exit(0 if sent else 1)
EOF
}

# gui_close [SECONDS]: asks the program to close (the close request a person's click on the
# frame's close box sends) and waits for its process to end, at most SECONDS (default 10).
# True when it ended in time; GUI_PROGRAM_STATUS then holds its exit status.
gui_close() {
    local seconds=${1:-10}
    [ -n "$GUI_PROGRAM_PID" ] || return 0
    if gui_program_running; then
        if [ "$GUI_DRIVER" = native ]; then
            _gui_delete_window "$GUI_WINDOW" || gui_fail "no close request reached window $GUI_WINDOW"
        else
            _gui_wine taskkill /im "$GUI_PROGRAM_NAME"
        fi
        if ! gui_wait_until "$seconds" eval '! gui_program_running'; then
            gui_fail "$GUI_PROGRAM_NAME still runs $seconds s after the close request"
            return 1
        fi
    fi
    wait "$GUI_PROGRAM_PID" 2>/dev/null
    GUI_PROGRAM_STATUS=$?
    GUI_PROGRAM_PID=
    return 0
}

# gui_cleanup: stops everything the session started. Safe to call more than once.
gui_cleanup() {
    [ -n "$GUI_CLEANED" ] && return 0
    GUI_CLEANED=1
    if [ -n "$GUI_WATCHDOG_PID" ]; then
        kill "$GUI_WATCHDOG_PID" 2>/dev/null
        wait "$GUI_WATCHDOG_PID" 2>/dev/null
        GUI_WATCHDOG_PID=
    fi
    if declare -F gui_on_exit >/dev/null; then
        gui_on_exit
    fi
    if [ "$GUI_DRIVER" = wine ] && [ -n "$GUI_PREFIX" ] && [ -n "$GUI_SERVER_STARTED" ]; then
        # Ends the program if it still runs, and every other process of the prefix.
        _gui_quiet "$GUI_WINESERVER" -k
        _gui_quiet timeout 20 "$GUI_WINESERVER" -w
        GUI_SERVER_STARTED=
    fi
    if [ -n "$GUI_PROGRAM_PID" ]; then
        _gui_stop_process "$GUI_PROGRAM_PID"
        GUI_PROGRAM_PID=
    fi
    _gui_stop_process "$GUI_TAP_PID"
    GUI_TAP_PID=
    _gui_stop_process "$GUI_SIM_PID"
    GUI_SIM_PID=
    local link
    for link in "${GUI_LINKS[@]}"; do
        rm -f "$link"
    done
    GUI_LINKS=()
    [ -n "$GUI_PHONE_LINK" ] && rm -f "$GUI_PHONE_LINK"
    _gui_stop_process "$GUI_XVFB_PID"
    GUI_XVFB_PID=
    if [ -n "$GUI_SESSION_FILE" ]; then
        rm -f "$GUI_SESSION_FILE"
        GUI_SESSION_FILE=
    fi
    return 0
}
