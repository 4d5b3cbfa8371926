#pragma once

#include <QString>

/**
 * Golden files: the expected text of a test kept beside its sources. A test compares what it
 * makes with its golden file; run with TAMBERON_UPDATE_GOLDEN=1 it writes what it made instead
 * (review the change with `git diff` before committing it).
 */
bool UpdatingGoldens();

/**
 * The lines in which two texts differ, as a short diff: "-12: ..." for an expected line,
 * "+12: ..." for an actual one (each numbered in its own text); at most `maxLines` lines, then
 * how many more differ. "" when the texts are equal.
 */
QString GoldenDiff(const QString& expected, const QString& actual, int maxLines = 60);

/**
 * Compares `actual` with the golden file and fails the test with the diff on a mismatch (or
 * when the file is missing); with TAMBERON_UPDATE_GOLDEN=1 writes `actual` to it instead.
 */
void ExpectGolden(const QString& goldenFile, const QString& actual);
