#!/bin/sh
# Re-renders every PNG in ../images from its SVG here, at the size the SVG
# declares. The PNGs are committed; the build does not need rsvg-convert.
set -e
cd "$(dirname "$0")"
find . -name '*.svg' | sort | while read -r src; do
    rel=${src#./}
    out=../images/${rel%.svg}.png
    mkdir -p "$(dirname "$out")"
    rsvg-convert "$rel" -o "$out"
    echo "$out"
done
