# Sourced by the package checks: check DESCRIPTION COMMAND [ARGS...] runs one check, prints
# "ok: …" or "FAILED: …" and counts the failures in `failures`.
failures=0

check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}
