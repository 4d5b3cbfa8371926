#!/usr/bin/env bash
# Rebuilds the .xls test statements with LibreOffice:
#  statement.xls       from ../templates/statement (values, formulas with kept results);
#  statement-long.xls  250 rows of distinct Cyrillic texts and numbers, so that the shared
#                      string table runs over several CONTINUE records.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
(cd "$here/../templates/statement" && zip -q -X -r "$work/statement.xlsx" '[Content_Types].xml' _rels xl)
mkdir -p "$work/long"
cp -r "$here/../templates/statement/." "$work/long/"
python3 - "$work/long/xl/worksheets/sheet1.xml" <<'PY'
import sys
rows = []
for r in range(1, 251):
    text = "Ділянка № %d, вулиця Шевченка, квартал %d" % (r, r * 7 % 97)
    rows.append('<row r="%d"><c r="A%d"><v>%d</v></c><c r="B%d"><v>%s</v></c>'
                '<c r="C%d" t="inlineStr"><is><t>%s</t></is></c></row>'
                % (r, r, r, r, "%d.%04d" % (r * 13, r * 37 % 10000), r, text))
open(sys.argv[1], "w").write('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
    '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>'
    + "".join(rows) + '</sheetData></worksheet>')
PY
(cd "$work/long" && zip -q -X -r "$work/statement-long.xlsx" '[Content_Types].xml' _rels xl)
for name in statement statement-long; do
    soffice --headless --convert-to xls:"MS Excel 97" --outdir "$work" "$work/$name.xlsx" >/dev/null 2>&1
    cp "$work/$name.xls" "$here/$name.xls"
done
rm -rf "$work"
