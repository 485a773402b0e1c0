#!/bin/bash
# Builds the release archives of a commit (default: the checked-out one, HEAD) into dist/:
#   orvel-<version>-win64.zip, orvel-<version>-win32.zip
#       orvel.exe, orvelctl.exe, README.txt (the Windows user guide), LICENSE.txt; CR LF line ends
#   orvelctl-<version>-linux-x86_64.tar.gz
#       orvelctl-<version>-linux-x86_64/{bin,share/man/man1,share/bash-completion,share/doc}
#   SHA256SUMS (sha256sum -c SHA256SUMS checks them)
# The programs are Release builds, stripped, of a snapshot of the commit (changes not committed are
# not in the archives), built in build/pkg-<arch>. Two runs from the same commit give the same bytes:
# every time stamp is the commit's time, archive entries are sorted with fixed owners and modes,
# and the programs hold no build paths and no link time (ORVEL_REPRODUCIBLE).
#
#   scripts/package.sh [--commit REV] [--only "win64 win32 linux"] [--builds PREFIX] [--out DIR]
#     --commit  the commit to package, e.g. a tag (default: HEAD)
#     --only    the archives to make (default: all three)
#     --builds  build folders PREFIX<arch> and the snapshot PREFIXsrc (default: build/pkg-)
#     --out     where the archives go (default: dist)
# On a fresh Debian 12 it first installs what is missing (as root).
set -u

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
jobs=2
all_archives="win64 win32 linux"
only=$all_archives
builds=$root/build/pkg-
revision=HEAD
out=$root/dist

die() {
    echo "scripts/package.sh: $*" >&2
    exit 1
}

while [ $# -gt 0 ]; do
    case $1 in
    --commit) revision=${2:?--commit needs a revision} && shift 2 ;;
    --only) only=${2:?--only needs a list} && shift 2 ;;
    --builds) builds=${2:?--builds needs a prefix} && shift 2 ;;
    --out) out=${2:?--out needs a folder} && shift 2 ;;
    *) die "unknown argument '$1' (see the head of the script)" ;;
    esac
done
only=${only//,/ }
for name in $only; do
    [[ " $all_archives " == *" $name "* ]] || die "unknown archive '$name' (archives: $all_archives)"
done
wanted() { [[ " $only " == *" $1 "* ]]; }
# Relative folders are taken from the repository's root.
[[ $builds == /* ]] || builds=$root/$builds
[[ $out == /* ]] || out=$root/$out

# Tools: "package|file or command that proves it is installed"
requirements=(
    "git|git"
    "cmake|cmake"
    "make|make"
    "gcc|gcc"
    "g++|g++"
    "zip|zip"
)
wanted win64 && requirements+=(
    "g++-mingw-w64-x86-64-posix|x86_64-w64-mingw32-g++-posix"
    "gcc-mingw-w64-x86-64-posix|x86_64-w64-mingw32-gcc-posix"
    "binutils-mingw-w64-x86-64|x86_64-w64-mingw32-windres"
)
wanted win32 && requirements+=(
    "g++-mingw-w64-i686-posix|i686-w64-mingw32-g++-posix"
    "gcc-mingw-w64-i686-posix|i686-w64-mingw32-gcc-posix"
    "binutils-mingw-w64-i686|i686-w64-mingw32-windres"
)
packages_caller=scripts/package.sh
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
install_missing || die "missing packages"

# ---------------------------------------------------------------------------------------------
# The snapshot of the commit, and the time every file and archive entry gets.
commit=$(git -C "$root" rev-parse --verify -q "$revision^{commit}") || die "no commit $revision in $root"
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct "$commit") || die "no commit time"
if [ "$revision" = HEAD ] && [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
    echo "(the working tree has changes that are not committed: they are not in the archives)"
fi
src=${builds}src
rm -rf "$src" && mkdir -p "$src" || die "cannot make $src"
git -C "$root" archive --format=tar "$commit" | tar -x -C "$src" || die "cannot unpack $commit"
version=$(sed -n 's/^project(Orvel VERSION \([^ )]*\).*/\1/p' "$src/CMakeLists.txt")
[ -n "$version" ] || die "no project(Orvel VERSION ...) in CMakeLists.txt"
echo "== Orvel $version, commit $commit"

# build <dir> <targets> [cmake args...]: a Release build of the snapshot without tests.
build() {
    local dir=$1 targets=$2
    shift 2
    cmake -S "$src" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
        -DORVEL_REPRODUCIBLE=ON "$@" >"$dir.configure.log" 2>&1 ||
        die "configure of $dir failed (see $dir.configure.log)"
    # shellcheck disable=SC2086
    cmake --build "$dir" -j"$jobs" --target $targets || die "build in $dir failed"
}

# normalise <dir>: the commit's time and fixed modes on everything below dir.
normalise() {
    find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
    find "$1" -type d -exec chmod 755 {} +
    find "$1" -type f -exec chmod go-w,a+r {} +
}

# Windows text: CR LF line ends.
crlf() {
    sed -e 's/\r*$/\r/' "$1"
}

mkdir -p "$out" || die "cannot make $out"
made=()

# package_windows <arch> <triple> <toolchain>
package_windows() {
    local arch=$1 triple=$2 dir=$builds$1 zip=orvel-$version-$1.zip stage
    build "$dir" "orvel orvelctl" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/$3"
    stage=$dir/stage
    rm -rf "$stage" && mkdir -p "$stage"
    for program in orvel.exe orvelctl.exe; do
        "$triple-strip" -o "$stage/$program" "$dir/bin/$program" || die "cannot strip $program"
        chmod 755 "$stage/$program"
    done
    sed "s/@VERSION@/$version/g" "$src/packaging/README-windows.txt" >"$stage/README.tmp"
    crlf "$stage/README.tmp" >"$stage/README.txt" && rm "$stage/README.tmp"
    crlf "$src/LICENSE" >"$stage/LICENSE.txt"
    normalise "$stage"
    rm -f "$out/$zip"
    # -X: no extra fields (owners, other time stamps); DOS times are local times, so UTC.
    (cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort |
        TZ=UTC zip -X -D -9 -q "$out/$zip" -@) || die "cannot write $zip"
    made+=("$zip")
}

package_linux() {
    local dir=${builds}linux name=orvelctl-$version-linux-x86_64 stage
    # The command-line archive: built without the Qt driver, so no window program or toolkit is
    # compiled and `cmake --install` installs only what the archive holds.
    build "$dir" "orvelctl orvel-phonesim" -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON
    stage=$dir/stage
    rm -rf "$stage" && mkdir -p "$stage"
    cmake --install "$dir" --prefix "$stage/$name" --strip >/dev/null || die "cmake --install failed"
    normalise "$stage"
    rm -f "$out/$name.tar.gz"
    tar --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner \
        --format=gnu -C "$stage" -cf - "$name" | gzip -9 -n >"$out/$name.tar.gz" ||
        die "cannot write $name.tar.gz"
    made+=("$name.tar.gz")
}

wanted win64 && package_windows win64 x86_64-w64-mingw32 mingw-w64-x86_64.cmake
wanted win32 && package_windows win32 i686-w64-mingw32 mingw-w64-i686.cmake
wanted linux && package_linux

(cd "$out" && sha256sum "${made[@]}" >SHA256SUMS) || die "cannot write SHA256SUMS"
echo "== in $out:"
(cd "$out" && ls -l "${made[@]}" SHA256SUMS)
