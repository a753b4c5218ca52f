#!/usr/bin/env bash
# Checks the operators' manual the build made: every picture the Markdown
# names was made, and manuale.pdf holds each of them (in order, at its size),
# shows each figure's caption, and embeds every font; manuale.html names them.
# Usage: tools/check_manual.sh <source folder> <the build's manuale folder>
set -euo pipefail
src=$1 out=$2
md="$src/doc/manuale/manuale.md" pdf="$out/manuale.pdf" html="$out/manuale.html"
failures=0
fail() { echo "$*" >&2; failures=$((failures + 1)); }

# A PNG's width and height, from its header.
png_size() {
  local w h
  w=$(od -An -tu1 -j16 -N4 "$1" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }')
  h=$(od -An -tu1 -j20 -N4 "$1" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }')
  echo "$w $h"
}

mapfile -t named < <(grep -o '](immagini/[^)]*\.png)' "$md" | sed 's/^](//; s/)$//')
[ "${#named[@]}" -gt 0 ] || fail "the manual names no picture"
[ -s "$pdf" ] || { echo "no manual at $pdf" >&2; exit 1; }

expected=()
for picture in "${named[@]}"; do
  if [ -s "$out/$picture" ]; then
    expected+=("$(png_size "$out/$picture")")
  else
    fail "named but not made: $picture"
  fi
  grep -q "src=\"$picture\"" "$html" || fail "manuale.html does not show $picture"
done

# The pictures in the PDF, page by page in order, by their size.
mapfile -t in_pdf < <(pdfimages -list "$pdf" | awk 'NR > 2 && $3 == "image" { print $4, $5 }')
if [ "${in_pdf[*]}" != "${expected[*]}" ]; then
  fail "manuale.pdf holds the pictures (${in_pdf[*]}), the manual names (${expected[*]})"
fi

text=$(pdftotext -layout "$pdf" -)
for n in $(seq 1 "${#named[@]}"); do
  grep -q "Figura $n - " <<<"$text" || fail "manuale.pdf lacks the caption of figure $n"
done
if pdffonts "$pdf" | awk 'NR > 2 && $(NF - 4) != "yes" { found = 1 } END { exit !found }'; then
  fail "manuale.pdf has a font that is not embedded"
fi

[ "$failures" -eq 0 ] || exit 1
echo "manuale: ${#named[@]} figure fatte e nel PDF"
