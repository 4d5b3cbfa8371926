#!/usr/bin/env bash
# Builds the office fuzz harnesses with clang (libFuzzer + AddressSanitizer + UBSan) and runs
# each for a bounded time: ./run.sh [seconds per harness, default 60]
set -euo pipefail
seconds=${1:-60}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
build=${FUZZ_BUILD:-$root/build-fuzz}
work=${FUZZ_WORK:-$build/fuzz-work}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DTAMBERON_FUZZ=ON -DTAMBERON_BENCH=OFF \
    -DTAMBERON_SANITIZE=address,undefined -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target fuzz_docx fuzz_xlsx fuzz_xls

# Seed corpus: the test templates packed as zips, and the test statement.
mkdir -p "$work/docx" "$work/xlsx" "$work/xls" "$work/crashes"
(cd "$root/tests/office/templates/report" && zip -q -X -r "$work/docx/report.dotx" .)
(cd "$root/tests/office/templates/book" && zip -q -X -r "$work/xlsx/book.xltx" .)
(cd "$root/tests/office/templates/statement" && zip -q -X -r "$work/xlsx/statement.xlsx" .)
cp "$root/tests/office/templates/report/word/document.xml" "$work/docx/document.xml"
cp "$root/tests/office/templates/book/xl/worksheets/sheet1.xml" "$work/xlsx/sheet1.xml"
cp "$root/tests/office/data/"*.xls "$work/xls/"

export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
status=0
for kind in docx xlsx xls; do
    echo "== fuzz_$kind for ${seconds}s"
    "$build/tests/office/fuzz/fuzz_$kind" "$work/$kind" -max_total_time="$seconds" \
        -rss_limit_mb=2048 -timeout=20 -max_len=65536 -artifact_prefix="$work/crashes/$kind-" \
        -print_final_stats=1 2>&1 | grep -E "^(#[0-9]+ +DONE|==|SUMMARY|stat::number_of_executed_units|artifact)" || status=1
done
ls -la "$work/crashes"
exit $status
