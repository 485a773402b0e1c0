#!/bin/bash
# Checks `cmake --install` of a native build: tests/package/install_check.sh BUILD_DIR
# Installs into BUILD_DIR/install-check (DESTDIR) with the prefix /usr/local; the programs, their
# manual pages, the completion and the licence must land where Linux looks for them, the installed
# programs tell the version, the manual pages format without a warning and the completion
# completes. A build with the window program also installs orvel with a valid desktop entry whose
# program and icon are installed. Exits 0 when every check passed.
set -u

[ $# -eq 1 ] || {
    echo "usage: tests/package/install_check.sh BUILD_DIR" >&2
    exit 2
}
build=$(cd "$1" && pwd -P) || exit 2
dest=$build/install-check
prefix=$dest/usr/local
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
# shellcheck source=tests/package/checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

rm -rf "$dest"
if ! DESTDIR=$dest cmake --install "$build" --prefix /usr/local >"$dest.log" 2>&1; then
    echo "FAILED: cmake --install (see $dest.log)"
    exit 1
fi

for program in orvelctl orvel-phonesim; do
    check "$program is installed in bin and tells the version" \
        [ "$("$prefix/bin/$program" --version 2>&1)" = "$program $version" ]
    page=$prefix/share/man/man1/$program.1
    check "the manual page of $program formats without warnings" \
        eval "[ -f '$page' ] && [ -z \"\$(groff -man -ww -z '$page' 2>&1)\" ]"
done
completion=$prefix/share/bash-completion/completions/orvelctl
# shellcheck disable=SC2016
check "the bash completion of orvelctl completes its commands" \
    [ "$(bash -c 'source "$1" && COMP_WORDS=(orvelctl --port /dev/x pu) COMP_CWORD=3 &&
        _orvelctl && echo "${COMPREPLY[*]}"' - "$completion" 2>&1)" = "put pull push" ]
check "the licence is installed" [ -f "$prefix/share/doc/orvel/LICENSE" ]

if [ -x "$build/bin/orvel" ]; then
    entry=$prefix/share/applications/orvel.desktop
    check "orvel is installed in bin and tells the version" \
        [ "$("$prefix/bin/orvel" --version 2>&1)" = "orvel $version" ]
    check "the desktop entry is valid" eval "[ -f '$entry' ] && desktop-file-validate '$entry'"
    check "the desktop entry starts the installed orvel" \
        eval "[ -x \"$prefix/bin/\$(sed -n 's/^Exec=//p' '$entry')\" ]"
    check "the desktop entry's icon is installed as a 48 x 48 PNG" \
        eval "file \"$prefix/share/icons/hicolor/48x48/apps/\$(sed -n 's/^Icon=//p' '$entry').png\" |
            grep -q 'PNG image data, 48 x 48'"
fi

if [ $failures -gt 0 ]; then
    echo "install checks: $failures FAILED"
    exit 1
fi
echo "install checks: passed"
