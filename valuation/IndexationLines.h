#pragma once

#include "valuation/Indexation.h"

#include <QString>
#include <QStringList>

/** A coefficient line: "* " + factor "0.000" + "   - " + year, as "* 1.064   - 2008". */
QString IndexationLine(double factor, int year);

/**
 * The coefficient lines offered to bring a value of some year to `toYear`: one per entry of
 * the table whose coefficient of `kind` is not 0, in table order, with the factor from that
 * entry's year to `toYear`.
 */
QStringList IndexationLines(const TDinArryOfKoef& table, int toYear, int kind);

/**
 * The coefficient of a line: its text before the first "-", blanks and "*" trimmed from both
 * ends, as a number; 1 when that is not a number.
 */
double IndexationLineFactor(const QString& line);
