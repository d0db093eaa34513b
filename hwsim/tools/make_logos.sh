#!/usr/bin/env bash
# Writes the 100 x 100 vendor logos of the catalogue (data/Logo/<CODE>.bmp): the vendor code
# in white on a tile whose colour is derived from the code. Needs ImageMagick's convert.
# Two vendors are exceptions on purpose, so the views' fallbacks can be reached: GIGA gets no
# logo and EON a 120 x 48 one.
# Usage: make_logos.sh CATALOGUE_FILE OUTPUT_FOLDER
set -euo pipefail
catalogue=${1:?catalogue file}
out=${2:?output folder}
mkdir -p "$out"
palette=("#1F4E79" "#7B2C2C" "#2E6B30" "#5B3A7A" "#8A5A00" "#005F6B" "#6B2E5F" "#3D3D3D")
grep -oP '^\[vendor \K[^]]+' "$catalogue" | while read -r code; do
    sum=$(printf '%s' "$code" | od -An -tu1 | tr -s ' ' '\n' | awk '{s+=$1} END {print s}')
    colour=${palette[$((sum % ${#palette[@]}))]}
    size=34
    [ ${#code} -ge 4 ] && size=28
    width=100 height=100
    case "$code" in
    GIGA) continue ;;
    EON) width=120 height=48 size=26 ;;
    esac
    convert -size "${width}x${height}" "xc:$colour" \
        -fill none -stroke white -strokewidth 3 \
        -draw "roundrectangle 5,5 $((width - 6)),$((height - 6)) 10,10" \
        -stroke none -fill white -font DejaVu-Sans-Bold -pointsize "$size" \
        -gravity center -annotate +0+0 "$code" \
        -type TrueColor BMP3:"$out/$code.bmp"
done
