#!/usr/bin/env bash
# Renders the program's icon (desktop/icons/cn.zu.Service.svg) into the PNG sizes that are kept
# beside it. Run after changing the drawing; needs rsvg-convert (librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../desktop/icons"
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "hicolor/${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" cn.zu.Service.svg -o "hicolor/${size}x${size}/apps/cn.zu.Service.png"
done
echo "icons written under desktop/icons/hicolor/"
