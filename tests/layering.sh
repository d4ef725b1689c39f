#!/usr/bin/env bash
# The core folders may include Qt Core and Qt Sql headers only: any Qt header
# found in no other module (QtGui, QtWidgets, ...) or anything of src/gui
# fails this test. Usage: layering.sh SRC_DIR QT_HEADERS_DIR
set -uo pipefail
src="$1"
qt="$2"
core=(common settings host sources update maintenance)
bad=0
for folder in "${core[@]}"; do
  while IFS= read -r hit; do
    file="${hit%%:*}"
    header=$(sed -E 's/.*#[[:space:]]*include[[:space:]]*[<"]([^>"]+)[>"].*/\1/' <<<"${hit#*:}")
    case "$header" in
    gui/* | app/*)
      echo "layering: $file includes $header (GUI or program code in the core)"
      bad=1
      ;;
    Qt*/*)
      case "$header" in
      QtCore/* | QtSql/*) ;;
      *)
        echo "layering: $file includes $header (only Qt Core and Qt Sql belong in the core)"
        bad=1
        ;;
      esac
      ;;
    Q*)
      if [ ! -e "$qt/QtCore/$header" ] && [ ! -e "$qt/QtSql/$header" ]; then
        echo "layering: $file includes <$header>, not a Qt Core or Qt Sql header"
        bad=1
      fi
      ;;
    esac
  done < <(grep -rHE '^[[:space:]]*#[[:space:]]*include' "$src/$folder" --include='*.h' --include='*.cpp')
done
[ -d "$qt/QtCore" ] || { echo "layering: no Qt headers under $qt"; exit 1; }
if [ "$bad" -eq 0 ]; then echo "layering: the core folders include no Gui or Widgets header"; fi
exit "$bad"
