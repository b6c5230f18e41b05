#!/usr/bin/env bash
# Fails when a C++ file of the tree deviates from the root .clang-format (run `make format`).
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null 2>&1; then
  echo "clang-format is not installed" >&2
  exit 1
fi
off=$(git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run 2>&1 | grep 'warning:' | cut -d: -f1 | sort -u || true)
if [ -n "$off" ]; then
  echo "These files do not follow .clang-format (run 'make format'):"
  echo "$off"
  exit 1
fi
echo "format: every C++ file follows .clang-format"
