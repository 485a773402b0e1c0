# Sourced by test.sh and run.sh: installs the Debian packages a script needs when they are missing.
# The caller sets `requirements`, entries "package|file or command that proves it is installed"
# (a file may be a glob), and `packages_caller`, the script's name for its messages.

# The packages of `requirements` whose proof is missing, separated by blanks.
missing_packages() {
    local entry package probe list=()
    for entry in "${requirements[@]}"; do
        package=${entry%%|*}
        probe=${entry#*|}
        if [[ $probe == /* ]]; then
            compgen -G "$probe" >/dev/null && continue
        else
            command -v "$probe" >/dev/null 2>&1 && continue
        fi
        [[ " ${list[*]} " == *" $package "* ]] || list+=("$package")
    done
    echo "${list[*]}"
}

# Installs what is missing with apt-get (as root); false with a message when it cannot.
install_missing() {
    local missing package toolchain=() wine=()
    missing=$(missing_packages)
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "$packages_caller: missing packages: $missing" >&2
        echo "Install them as root: apt-get install $missing" >&2
        return 1
    fi
    if ! command -v apt-get >/dev/null 2>&1; then
        echo "$packages_caller: missing packages ($missing) and no apt-get to install them" >&2
        return 1
    fi
    echo "== installing: $missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq || return 1
    for package in $missing; do
        case $package in
        wine64 | libwine) wine+=("$package") ;;
        *) toolchain+=("$package") ;;
        esac
    done
    if [ ${#toolchain[@]} -gt 0 ]; then
        apt-get install -y -qq --no-install-recommends "${toolchain[@]}" || return 1
    fi
    if [ ${#wine[@]} -gt 0 ]; then
        # Wine with the libraries it recommends, but never the 32-bit wine32: with it present the
        # 32-bit loader is picked and every call fails. It can only come in with i386 enabled.
        if dpkg --print-foreign-architectures 2>/dev/null | grep -qx i386; then
            apt-get install -y -qq --no-install-recommends "${wine[@]}" || return 1
        else
            apt-get install -y -qq "${wine[@]}" || return 1
        fi
    fi
    missing=$(missing_packages)
    if [ -n "$missing" ]; then
        echo "$packages_caller: still missing after installing: $missing" >&2
        return 1
    fi
}
