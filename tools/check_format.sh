#!/usr/bin/env bash
# Checks that every C++ file of the tree is formatted as .clang-format says.
#   tools/check_format.sh          report the files that differ (exit 1 if any)
#   tools/check_format.sh --fix    format them in place
# CI (tools/setup.sh test) runs the check only once the tree has been formatted,
# which the file .clang-format-enforced marks.
set -euo pipefail
cd "$(dirname "$0")/.."
formatter=${CLANG_FORMAT:-clang-format}
if ! command -v "$formatter" > /dev/null; then
  echo "check_format: $formatter is not installed (Debian package clang-format)" >&2
  exit 2
fi

mapfile -t files < <(git ls-files -- '*.cpp' '*.h' 2>/dev/null || find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
if [ "${1:-}" = --fix ]; then
  "$formatter" -i --style=file "${files[@]}"
  exit 0
fi

differing=0
for file in "${files[@]}"; do
  if ! "$formatter" --style=file --dry-run -Werror "$file" > /dev/null 2>&1; then
    echo "not formatted: $file"
    differing=$((differing + 1))
  fi
done
if [ "$differing" -gt 0 ]; then
  echo "check_format: $differing file(s) differ from .clang-format; run tools/check_format.sh --fix" >&2
  exit 1
fi
echo "check_format: ${#files[@]} file(s) formatted"
