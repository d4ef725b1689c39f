#!/usr/bin/env bash
# Fails, naming each file, when a C++ file of the tree does not match
# .clang-format. With --fix, formats them in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."
# Tracked files and new ones not yet added (both are what a commit would hold).
mapfile -t files < <(git ls-files --cached --others --exclude-standard '*.h' '*.cpp' 2>/dev/null ||
  find src tests tools bench -name '*.h' -o -name '*.cpp')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  if ! clang-format --dry-run -Werror "$f" >/dev/null 2>&1; then bad+=("$f"); fi
done
if [ ${#bad[@]} -gt 0 ]; then
  echo "check-format: not formatted (run scripts/check-format.sh --fix or 'cmake --build --preset default --target format'):"
  printf '  %s\n' "${bad[@]}"
  exit 1
fi
echo "check-format: ${#files[@]} files formatted"
