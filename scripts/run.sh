#!/bin/bash
# Builds Orvel natively (build/native) and tells what was built.
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
