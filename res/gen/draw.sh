#!/bin/bash
# Rebuilds the pictures of res/ from res/gen/draw_resources.cpp: compiles the drawing program
# natively (into a temporary folder) and lets it write the icon and bitmaps into res/.
# The generated files are committed; run this only after changing the drawings.
set -eu

res=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
work=$(mktemp -d "${TMPDIR:-/tmp}/orvel-draw.XXXXXX")
trap 'rm -rf "$work"' EXIT

"${CXX:-c++}" -std=c++20 -O2 -Wall -Wextra -o "$work/draw_resources" "$res/gen/draw_resources.cpp"
"$work/draw_resources" "$res"
echo "Pictures written to $res"
