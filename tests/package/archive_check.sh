#!/bin/bash
# Checks the release archives that scripts/package.sh wrote:
#   tests/package/archive_check.sh DIST_DIR WORK_DIR
# - SHA256SUMS matches the archives;
# - each Windows zip holds exactly orvel.exe, orvelctl.exe, README.txt and LICENSE.txt, the texts
#   with CR LF line ends; its programs are stripped, import only DLLs that every Windows has (no
#   mingw runtime beside them) and hold no path of the machine that built them;
# - the Linux tarball's programs run (--version) and hold no build path either;
# - the packaged 64-bit orvel.exe, unpacked alone into a folder, starts under Wine in a fresh
#   prefix and shows its window; the packaged orvelctl.exe tells its version.
# WORK_DIR receives the unpacked archives, the Wine prefix and a picture of the window
# (orvel-win64.png). Exits 0 when every check passed.
set -u

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd -P)
[ $# -eq 2 ] || {
    echo "usage: tests/package/archive_check.sh DIST_DIR WORK_DIR" >&2
    exit 2
}
dist=$(cd "$1" && pwd -P) || exit 2
mkdir -p "$2" && work=$(cd "$2" && pwd -P) || exit 2
version=$(sed -n 's/^project(Orvel VERSION \([^ )]*\).*/\1/p' "$root/CMakeLists.txt")
# shellcheck source=tests/package/checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

# The DLLs a packaged program may import: parts of every Windows from 7 on (the C runtime is
# msvcrt.dll or the Universal C Runtime's api-ms-win-crt-* sets). Anything else, such as mingw's
# libstdc++-6.dll, libgcc_s_*.dll or libwinpthread-1.dll, would have to be shipped beside it.
system_dll() {
    case ${1,,} in
    kernel32.dll | user32.dll | gdi32.dll | gdiplus.dll | comctl32.dll | comdlg32.dll | \
        shell32.dll | shlwapi.dll | ole32.dll | oleaut32.dll | advapi32.dll | ws2_32.dll | \
        msvcrt.dll | ucrtbase.dll | api-ms-win-crt-*.dll | version.dll | msimg32.dll | \
        uxtheme.dll | imm32.dll | winmm.dll | setupapi.dll | bcrypt.dll | crypt32.dll)
        return 0
        ;;
    esac
    return 1
}

# only_system_imports OBJDUMP EXE: every imported DLL is a system DLL (and there are imports).
only_system_imports() {
    local dll found=0 bad=()
    while read -r dll; do
        found=1
        system_dll "$dll" || bad+=("$dll")
    done < <("$1" -p "$2" | sed -n 's/^[[:space:]]*DLL Name: //p')
    [ ${#bad[@]} -eq 0 ] || echo "  $(basename "$2") imports ${bad[*]}"
    [ $found -eq 1 ] && [ ${#bad[@]} -eq 0 ]
}

# stripped OBJDUMP EXE: no symbol table and no debug sections.
stripped() {
    ! "$1" -h "$2" | grep -q '\.debug' && "$1" -t "$2" 2>&1 | grep -q 'no symbols'
}

# no_build_paths FILE: the file holds neither the source folder's path nor a build folder's.
no_build_paths() {
    ! grep -aqF -e "$root/" -e "/build/pkg-" "$1"
}

# crlf_text ZIP NAME: every line of the text in the zip ends in CR LF.
crlf_text() {
    local lines ended
    lines=$(unzip -p "$1" "$2" | grep -c '')
    ended=$(unzip -p "$1" "$2" | grep -c $'\r$')
    [ "$lines" -gt 0 ] && [ "$lines" = "$ended" ]
}

check "SHA256SUMS matches the archives" eval "(cd '$dist' && sha256sum --quiet -c SHA256SUMS)"

for arch in win64 win32; do
    zip=$dist/orvel-$version-$arch.zip
    [ "$arch" = win64 ] && triple=x86_64-w64-mingw32 || triple=i686-w64-mingw32
    if [ ! -f "$zip" ]; then
        check "$zip exists" false
        continue
    fi
    check "$arch: the zip holds the programs, the guide and the licence" \
        [ "$(unzip -Z1 "$zip" | tr '\n' ' ')" = "LICENSE.txt README.txt orvel.exe orvelctl.exe " ]
    for text in README.txt LICENSE.txt; do
        check "$arch: $text has CR LF line ends" crlf_text "$zip" "$text"
    done
    rm -rf "${work:?}/$arch" && mkdir -p "$work/$arch" && unzip -q "$zip" -d "$work/$arch"
    for program in orvel.exe orvelctl.exe; do
        exe=$work/$arch/$program
        check "$arch: $program imports only system DLLs" only_system_imports "$triple-objdump" "$exe"
        check "$arch: $program is stripped" stripped "$triple-objdump" "$exe"
        check "$arch: $program holds no build path" no_build_paths "$exe"
    done
done

tarball=$dist/orvelctl-$version-linux-x86_64.tar.gz
if [ -f "$tarball" ]; then
    rm -rf "${work:?}/linux" && mkdir -p "$work/linux" && tar -xzf "$tarball" -C "$work/linux"
    bin=$work/linux/orvelctl-$version-linux-x86_64/bin
    for program in orvelctl orvel-phonesim; do
        check "linux: $program --version" [ "$("$bin/$program" --version)" = "$program $version" ]
        check "linux: $program holds no build path" no_build_paths "$bin/$program"
    done
else
    check "$tarball exists" false
fi

# The 64-bit program alone in a folder, in a Wine prefix made for this check only.
if [ -f "$work/win64/orvel.exe" ]; then
    (
        # shellcheck source=../../scripts/gui-session.sh
        source "$root/scripts/gui-session.sh"
        rm -rf "${work:?}/wineprefix"
        gui_init "$work/session" "$work/wineprefix" || exit 1
        gui_display --virtual || exit 1
        gui_prefix || exit 1
        "$GUI_WINE" "$work/win64/orvelctl.exe" --version </dev/null >"$work/orvelctl.out" 2>&1 9>&-
        [ "$(tr -d '\r' <"$work/orvelctl.out")" = "orvelctl $version" ] ||
            gui_fail "orvelctl.exe --version said: $(cat "$work/orvelctl.out")" || exit 1
        gui_start_program "$work/win64/orvel.exe" || exit 1
        gui_wait_window 60 "^Orvel ${version//./\\.}\$" || exit 1
        gui_wait_settled 10
        gui_screenshot "$work/orvel-win64.png" || exit 1
        gui_close 10 && [ "$GUI_PROGRAM_STATUS" = 0 ] || gui_fail "no clean close" || exit 1
    )
    check "win64: the packaged programs run under Wine in a fresh prefix (window: $work/orvel-win64.png)" \
        [ $? -eq 0 ]
fi

if [ $failures -gt 0 ]; then
    echo "archive checks: $failures FAILED"
    exit 1
fi
echo "archive checks: passed"
