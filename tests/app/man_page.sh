#!/usr/bin/env bash
# The man page names every option and argument --help prints, and reads
# without warnings.
set -u
app="$1"; page="$2"
text=$(sed 's/\\-/-/g' "$page")
missing=0
for opt in $("$app" --help | grep -oE '(^|[ [|])(--[a-z-]+|UPDATE)' | tr -d ' [|' | sort -u); do
  echo "$text" | grep -q -- "$opt" || { echo "man page lacks $opt"; missing=1; }
done
[ $missing -eq 0 ] || exit 1
if command -v man >/dev/null; then
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "man page warnings: $warnings"; exit 1; }
fi
echo "man page: every option of --help present"
