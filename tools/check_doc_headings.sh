#!/usr/bin/env bash
# Checks that every heading the README had before it was split into README.md
# and doc/ still has a home: each line of tests/doc/readme_headings.txt must be
# the text of a heading (any level, outside code blocks) in README.md or doc/*.md.
# Usage: tools/check_doc_headings.sh [source folder]
set -euo pipefail
src="${1:-$(dirname "$0")/..}"
list="$src/tests/doc/readme_headings.txt"
headings=$(awk '/^```/ { code = !code; next } !code && /^#/ { sub(/^#+[ \t]*/, ""); print }' \
  "$src/README.md" "$src"/doc/*.md)
missing=0
while IFS= read -r heading; do
  [ -n "$heading" ] || continue
  if ! grep -Fxq -- "$heading" <<<"$headings"; then
    echo "heading without a home: $heading" >&2
    missing=$((missing + 1))
  fi
done <"$list"
if [ "$missing" -gt 0 ]; then
  echo "$missing heading(s) of the README lost" >&2
  exit 1
fi
echo "every heading of the README has a home ($(grep -c . "$list"))"
