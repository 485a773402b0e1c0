#!/bin/bash
# Builds Orvel and runs every test: natively (the window tests off-screen over Qt, the end-to-end
# flows of the native orvel on virtual displays, label e2e, and `cmake --install` of it), natively
# under AddressSanitizer/UBSan, the Windows x86_64 build under Wine (with the end-to-end flows that
# lean on Win32, orvel.exe on a virtual display); the fuzz stage builds the libFuzzer targets of fuzz/
# with clang and runs each briefly; the package stage makes the release archives of HEAD twice
# (scripts/package.sh: Windows x86_64 and i686, Linux), compares them and checks what they hold,
# starting the packaged orvel.exe under Wine. The win32 stage, a Debug build for Windows i686
# (built only; these machines cannot run it), is left out by default: the package stage builds the
# same sources for i686.
# On a fresh Debian 12 it first installs what is missing (as root).
# ORVEL_STAGES="fuzz native" runs only the stages named (default: all but win32);
# ORVEL_FUZZ_SECONDS is how long each fuzz target runs (default 20).
# Ends with one summary line; exits non-zero when anything failed.
set -u

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
builds=$root/build
jobs=2

# ---------------------------------------------------------------------------------------------
# Tools: "package|file or command that proves it is installed"
requirements=(
    "cmake|cmake"
    "make|make"
    "gcc|gcc"
    "g++|g++"
    "libgtest-dev|/usr/include/gtest/gtest.h"
    "libgtest-dev|/usr/lib/x86_64-linux-gnu/cmake/GTest/GTestConfig.cmake"
    "qt6-base-dev|/usr/lib/x86_64-linux-gnu/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake"
    "desktop-file-utils|desktop-file-validate"
    "python3|python3"
    "file|file"
    "googletest|/usr/src/googletest/CMakeLists.txt"
    "g++-mingw-w64-x86-64-posix|x86_64-w64-mingw32-g++-posix"
    "gcc-mingw-w64-x86-64-posix|x86_64-w64-mingw32-gcc-posix"
    "binutils-mingw-w64-x86-64|x86_64-w64-mingw32-windres"
    "g++-mingw-w64-i686-posix|i686-w64-mingw32-g++-posix"
    "gcc-mingw-w64-i686-posix|i686-w64-mingw32-gcc-posix"
    "binutils-mingw-w64-i686|i686-w64-mingw32-windres"
    "wine64|/usr/lib/wine/wine64"
    "libwine|/usr/lib/wine/wineserver"
    "fonts-wine|/usr/share/wine/fonts/marlett.ttf"
    "xvfb|Xvfb"
    "util-linux|flock"
    "xdotool|xdotool"
    "imagemagick|import"
    "zip|zip"
    "unzip|unzip"
    "groff-base|groff"
    "locales|/usr/share/i18n/locales/de_DE"
)

# --- Stage selection and the fuzz stage's tools ---
all_stages="native asan fuzz win64 win32 package"
stages=${ORVEL_STAGES:-native asan fuzz win64 package}
stages=${stages//,/ }
for name in $stages; do
    if [[ " $all_stages " != *" $name "* ]]; then
        echo "scripts/test.sh: unknown stage '$name' in ORVEL_STAGES (stages: $all_stages)" >&2
        exit 2
    fi
done
selected() { [[ " $stages " == *" $1 "* ]]; }
# clang with libFuzzer, only when the fuzz stage runs; the ordinary builds do not need it.
if selected fuzz; then
    requirements+=(
        "clang|clang++"
        "libclang-rt-dev|/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a"
    )
fi

packages_caller=scripts/test.sh
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"

# ---------------------------------------------------------------------------------------------
# Stages
declare -A result
order=()
timings=()

# stage <name> <function>: runs it and records "ok" or what failed, and the time taken.
stage() {
    local name=$1 fn=$2 start status
    selected "$name" || return 0
    start=$(date +%s)
    echo
    echo "==================== $name ===================="
    failure=
    if "$fn"; then
        status=ok
    else
        status=${failure:-failed}
    fi
    result[$name]=$status
    order+=("$name")
    timings+=("$name: $(($(date +%s) - start)) s ($status)")
}

# configure_and_build <dir> <cmake args...>
configure_and_build() {
    local dir=$1
    shift
    if ! cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Debug "$@"; then
        failure="configure failed"
        return 1
    fi
    if ! cmake --build "$dir" -j"$jobs"; then
        failure="build failed"
        return 1
    fi
}

# run_tests <dir> [parallel]: CTest with `parallel` tests at a time (default: one per core).
run_tests() {
    if ! (cd "$1" && ctest -j"${2:-$jobs}" --output-on-failure); then
        failure="tests failed"
        return 1
    fi
}

# The native tests mostly wait: for the silences and slow replies of the simulated phone, for
# time-outs. Twice as many at a time as there are cores take about 60 % of the time.
native_test_jobs=$((2 * jobs))

stage_native() {
    configure_and_build "$builds/native" && run_tests "$builds/native" "$native_test_jobs" || return 1
    # cmake --install into a scratch folder.
    if ! "$root/tests/package/install_check.sh" "$builds/native"; then
        failure="install checks failed"
        return 1
    fi
}

stage_asan() {
    # UBSan findings fail the test, like ASan's.
    local -x UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
    configure_and_build "$builds/asan" -DORVEL_SANITIZE=ON && run_tests "$builds/asan"
}

# --- Fuzz stage ---
# Each fuzz/<name>.cpp target runs for fuzz_seconds from a seed corpus of the sample phone's text
# files; inputs that find new paths are kept in build/fuzz/corpus/<name> for the next run. A crash,
# leak, sanitizer finding or failed property ends a target with the input saved under
# build/fuzz/crashes/<name>/ and fails the stage.
fuzz_seconds=${ORVEL_FUZZ_SECONDS:-20}

stage_fuzz() {
    local dir=$builds/fuzz program name log failed=()
    if ! cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DORVEL_FUZZ=ON -DBUILD_TESTING=OFF; then
        failure="configure failed"
        return 1
    fi
    if ! cmake --build "$dir" --target orvel_fuzz -j"$jobs"; then
        failure="build failed"
        return 1
    fi
    rm -rf "$dir/seeds"
    mkdir -p "$dir/seeds"
    find "$root/tests/data/phone" -type f \( -name '*.ini' -o -name '*.jad' -o -name '*.txt' \) \
        -exec cp {} "$dir/seeds/" \;
    for program in "$dir"/bin/fuzz_*; do
        name=${program##*/fuzz_}
        log=$dir/logs/$name.log
        mkdir -p "$dir/corpus/$name" "$dir/crashes/$name" "$dir/logs"
        # 8 KiB inputs cross the 4 KiB read chunks of the INI readers.
        if "$program" "$dir/corpus/$name" "$dir/seeds" -max_total_time="$fuzz_seconds" -max_len=8192 \
            -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$dir/crashes/$name/" >"$log" 2>&1; then
            echo "fuzz_$name: ok, $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$log")"
        else
            echo "fuzz_$name: FAILED (log: $log)"
            tail -n 40 "$log"
            failed+=("$name")
        fi
    done
    if [ ${#failed[@]} -gt 0 ]; then
        failure="fuzz target failed: ${failed[*]}"
        return 1
    fi
}

# Windows builds carry no debug information: nothing reads it under Wine, and it doubles the time
# the large static programs take to link.
windows_flags=(-DCMAKE_C_FLAGS_DEBUG=-O0 -DCMAKE_CXX_FLAGS_DEBUG=-O0)

stage_win64() {
    local sim=$builds/native/bin/orvel-phonesim status=0
    [ -x "$sim" ] || echo "(no native simulator at $sim: tests that need it will fail)"
    configure_and_build "$builds/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        "${windows_flags[@]}" -DORVEL_PHONESIM="$sim" || return 1
    run_tests "$builds/win64" || status=1
    # The persistent Wine server of this build's prefix is not needed any more.
    if [ -d "$builds/win64/wineprefix" ]; then
        WINEPREFIX=$builds/win64/wineprefix /usr/lib/wine/wineserver -k >/dev/null 2>&1
    fi
    return $status
}

# The i686 programs cannot run here, so their tests are not built either.
stage_win32() {
    configure_and_build "$builds/win32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" \
        "${windows_flags[@]}" -DBUILD_TESTING=OFF
}

# --- Package stage ---
# scripts/package.sh makes the release archives of HEAD in dist/. A second run in other folders,
# of the same commit (HEAD may move while the first one runs), must give the same bytes; it makes
# only the 64-bit Windows and the Linux archives (the 32-bit zip is made as the 64-bit one is),
# which saves a third of the time. Then the archives' contents are checked and the packaged
# programs run under Wine (tests/package/archive_check.sh).
stage_package() {
    local again=$builds/pkg-again archive commit
    if ! commit=$(git -C "$root" rev-parse --verify -q HEAD); then
        failure="no commit to package"
        return 1
    fi
    rm -rf "$again/dist"
    if ! "$root/scripts/package.sh" --commit "$commit"; then
        failure="package.sh failed"
        return 1
    fi
    if ! "$root/scripts/package.sh" --commit "$commit" --only "win64 linux" --builds "$again/" \
        --out "$again/dist"; then
        failure="the second package.sh run failed"
        return 1
    fi
    for archive in "$again"/dist/*.zip "$again"/dist/*.tar.gz; do
        if ! cmp "$archive" "$root/dist/${archive##*/}"; then
            failure="not reproducible: ${archive##*/}"
            return 1
        fi
        echo "reproducible: ${archive##*/}"
    done
    if ! "$root/tests/package/archive_check.sh" "$root/dist" "$builds/pkg-check"; then
        failure="archive checks failed"
        return 1
    fi
}

# ---------------------------------------------------------------------------------------------
total_start=$(date +%s)
if ! install_missing; then
    echo "orvel tests: not run (missing packages)"
    exit 2
fi
# The Windows program is tested in German too: Wine takes the user's language from the locale,
# which must exist on the machine.
if ! locale -a 2>/dev/null | grep -qix 'de_DE.utf-\?8'; then
    localedef -i de_DE -f UTF-8 de_DE.UTF-8 ||
        echo "(the de_DE.UTF-8 locale could not be made: the German program test will fail)"
fi

stage native stage_native
stage asan stage_asan
stage fuzz stage_fuzz
stage win64 stage_win64
stage win32 stage_win32
stage package stage_package

echo
echo "==================== timings ===================="
for line in "${timings[@]}"; do
    echo "$line"
done
echo "total: $(($(date +%s) - total_start)) s"

failed=0
parts=()
for name in "${order[@]}"; do
    status=${result[$name]}
    label=$name
    [ "$name" = win32 ] && label="win32 build"
    if [ "$status" = ok ]; then
        parts+=("$label ok")
    else
        parts+=("$label FAILED ($status)")
        failed=1
    fi
done
summary=$(printf '%s, ' "${parts[@]}")
echo "orvel tests: ${summary%, }"
exit $failed
