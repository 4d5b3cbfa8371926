#!/usr/bin/env bash
# Rebuilds statement.xls from the unpacked workbook in ../templates/statement with LibreOffice:
# the .xls keeps the results of its formula cells, which the reader must find.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
(cd "$here/../templates/statement" && zip -q -X -r "$work/statement.xlsx" '[Content_Types].xml' _rels xl)
soffice --headless --convert-to xls:"MS Excel 97" --outdir "$work" "$work/statement.xlsx" >/dev/null
cp "$work/statement.xls" "$here/statement.xls"
rm -rf "$work"
