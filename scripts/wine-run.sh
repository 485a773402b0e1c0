#!/bin/bash
# Runs a Windows program under Wine and exits with its exit status (CTest's cross-compiling
# emulator for the Windows build): scripts/wine-run.sh PROGRAM.exe [ARGS...]
#
# The Wine prefix lives in the build folder of the program (<build>/wineprefix, the nearest folder
# above the program holding CMakeCache.txt); ORVEL_WINEPREFIX chooses another one, and a program
# outside any build folder (e.g. "regedit") uses WINEPREFIX. The prefix is created on first use,
# with Wine's null display driver (no X needed, deterministic). A persistent wineserver keeps
# program starts fast.
#
# Wine's background processes (services, devices, desktop) keep the descriptors of the process that
# started them. They are therefore started here with stdio on /dev/null, and when the output is not
# a terminal (CTest capturing it) the program writes to files that are streamed out until it ends,
# so a capturing pipe always closes.
set -u

readonly WINE_DIR=/usr/lib/wine
readonly WINE="$WINE_DIR/wine64"
readonly WINESERVER="$WINE_DIR/wineserver"
readonly READY_MARK=.orvel-prefix-ready
# Seconds the server stays up after the last program ended.
readonly PERSIST=300

die() {
    echo "wine-run.sh: $*" >&2
    exit 125
}

[ $# -ge 1 ] || die "usage: wine-run.sh PROGRAM [ARGS...]"
[ -x "$WINE" ] || die "$WINE is missing (install the wine64 package)"

# The build folder that holds a program: the nearest ancestor with a CMakeCache.txt.
build_dir_of() {
    local dir
    [ -e "$1" ] || return 1
    dir=$(cd "$(dirname "$1")" && pwd -P) || return 1
    while [ "$dir" != / ]; do
        if [ -f "$dir/CMakeCache.txt" ]; then
            echo "$dir"
            return 0
        fi
        dir=$(dirname "$dir")
    done
    return 1
}

if [ -n "${ORVEL_WINEPREFIX:-}" ]; then
    prefix=$ORVEL_WINEPREFIX
elif build=$(build_dir_of "$1"); then
    prefix=$build/wineprefix
elif [ -n "${WINEPREFIX:-}" ]; then
    prefix=$WINEPREFIX
else
    die "$1 is not inside a build folder; set WINEPREFIX or ORVEL_WINEPREFIX"
fi
mkdir -p "$prefix" || die "cannot create $prefix"
prefix=$(cd "$prefix" && pwd -P)

export WINEPREFIX=$prefix
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

# Wine helpers: no terminal, no inherited descriptors (fd 9 is the lock).
quiet() {
    "$@" </dev/null >/dev/null 2>&1 9>&-
}

# Starts a persistent server; true when it was not running before.
start_server() {
    quiet "$WINESERVER" -p"$PERSIST"
    # 0: started now; 2: one is already running for this prefix.
    [ $? -eq 0 ]
}

create_prefix() {
    start_server
    quiet "$WINE" wineboot -i || return 1
    quiet "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f || return 1
    # Registry settings of Wine itself take effect at the next server start.
    quiet "$WINESERVER" -k
    quiet "$WINESERVER" -w
    touch "$prefix/$READY_MARK"
}

# First use creates the prefix; a fresh server gets its background processes started quietly.
# Concurrent callers wait for each other.
{
    flock 9 || die "cannot lock $prefix.lock"
    if [ ! -f "$prefix/$READY_MARK" ]; then
        create_prefix || die "cannot create the Wine prefix $prefix"
    fi
    if start_server; then
        quiet "$WINE" wineboot
    fi
} 9>"$prefix.lock"

if [ -t 1 ] && [ -t 2 ]; then
    "$WINE" "$@"
    exit $?
fi

# The program writes to files that are streamed out while it runs; the streams end with the
# program, whatever Wine process still holds the files. A timeout kill of the process group
# keeps what was streamed so far.
out=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX") || die "cannot create a temporary file"
err=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX") || die "cannot create a temporary file"
pid=
streams=()
finish() {
    [ ${#streams[@]} -gt 0 ] && wait "${streams[@]}"
    rm -f "$out" "$err"
}
stop() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    finish
    exit 124
}
trap stop TERM INT HUP

exec 3<&0
"$WINE" "$@" <&3 >"$out" 2>"$err" 3<&- &
pid=$!
exec 3<&-
tail -q -s 0.05 --pid="$pid" -n +1 -f "$out" &
streams+=($!)
tail -q -s 0.05 --pid="$pid" -n +1 -f "$err" >&2 &
streams+=($!)
wait "$pid"
status=$?
pid=
finish
exit "$status"
