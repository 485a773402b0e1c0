#!/bin/bash
# Builds Orvel natively (build/native), then starts the phone simulator on the sample phone
# content (tests/data/phone) and shows "orvelctl info" and "orvelctl ls /" against it.
set -eu

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
build=$root/build/native

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" -j2

echo
echo "Built in $build/bin:"
for program in "$build"/bin/*; do
    [ -x "$program" ] && echo "  $(basename "$program")"
done

sim=$build/bin/orvel-phonesim
ctl=$build/bin/orvelctl
if [ ! -x "$sim" ] || [ ! -x "$ctl" ]; then
    echo "run.sh: orvel-phonesim or orvelctl was not built" >&2
    exit 1
fi

# The simulator prints the device path of its pseudo-terminal on its first line.
exec {sim_out}< <(exec "$sim" --root "$root/tests/data/phone")
sim_pid=$!
stop_sim() {
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
}
trap stop_sim EXIT
port=
read -r -t 10 -u "$sim_out" port || true
if [ -z "$port" ]; then
    echo "run.sh: the phone simulator did not start" >&2
    exit 1
fi

echo
echo "Simulated phone on $port (serving tests/data/phone)"
echo
echo "\$ orvelctl --port $port info"
"$ctl" --port "$port" info
echo
echo "\$ orvelctl --port $port ls /"
"$ctl" --port "$port" ls /
