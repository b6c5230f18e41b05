#!/usr/bin/env bash
# Prints every shipped report template with sample customers, one of them with a name of 60 and an
# address of 120 characters, and saves each page as a PNG:
#   scripts/report-pages.sh [OUT_DIR]   (default docs/screenshots/reports)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshots/reports}
command -v pdftoppm >/dev/null || { echo "pdftoppm (poppler-utils) is missing: run scripts/install-deps.sh" >&2; exit 1; }
[ -x build/tests/tst_printing ] || cmake --build build --target tst_printing -j2
pdfs=$(mktemp -d /tmp/zu-report-pages.XXXXXX)
trap 'rm -rf "$pdfs"' EXIT
ZU_REPORT_SAMPLES=$pdfs QT_QPA_PLATFORM=offscreen build/tests/tst_printing longValuesPrintWhole >/dev/null
mkdir -p "$out"
rm -f "$out"/*.png
for pdf in "$pdfs"/*.pdf; do
  name=$(basename "$pdf" .pdf)
  pdftoppm -png -r 100 -f 1 -l 2 "$pdf" "$out/$name"
done
ls "$out"
