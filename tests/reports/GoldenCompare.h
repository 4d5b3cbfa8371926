#pragma once

#include <QString>

/** The folder of the golden cases (and of the other expected dumps). */
QString GoldenDir();

/**
 * Compares a dump with its golden file and fails the test at the first line that differs;
 * with TAMBERON_UPDATE_GOLDEN=1 writes the dump instead.
 */
void CompareWithGolden(const QString& goldenFile, const QString& actual);
