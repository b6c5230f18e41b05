#!/usr/bin/env bash
# Fails when the layers are mixed: a core library or core test that links a widget library (Qt
# Widgets or a window library), a window file that holds SQL text, or a library of src/ without a
# layer. The CMake configuration writes BUILD_DIR/layers.txt (cmake/ZuLayers.cmake).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
report="$build/layers.txt"
if [ ! -f "$report" ]; then
  echo "no $report: configure first (cmake -S . -B $build)" >&2
  exit 1
fi
failed=0

while read -r kind target chain; do
  case "$kind" in
    core-links-widgets)
      echo "core target $target links a widget library: $chain"
      failed=1 ;;
    no-layer)
      echo "library $target has no layer: name it in zu_layer() of the top CMakeLists.txt"
      failed=1 ;;
  esac
done < "$report"

# A statement in a string literal: the verbs that start one, or the clauses that extend one.
sql='"[^"]*\b(select\s.*\sfrom|insert\s+into|update\s+\w+\s+set|delete\s+from|where\s+\w+\s*(=|like|in\b|is\b)|order\s+by)\b'
files=$( (grep '^window-source ' "$report" | cut -d' ' -f2 | sed "s#^$PWD/##"; git ls-files 'src/**/tfrm*.cpp') | sort -u)
for file in $files; do
  [ -f "$file" ] || continue
  if hits=$(grep -nPi "$sql" "$file"); then
    echo "SQL text in the window file $file (move it to the subsystem's logic files):"
    echo "$hits"
    failed=1
  fi
done

if [ "$failed" -ne 0 ]; then
  exit 1
fi
echo "layers: the core links no widget library, no window file holds SQL text"
