#pragma once

#include "office/SheetCells.h"

#include <QByteArray>
#include <QString>

/**
 * Reads the first worksheet of a binary ".xls" workbook. Excel 97-2003 books are read by our
 * own record scanner (values, shared strings and the results kept for formula cells); older
 * books by freexl, with formula results from our scanner. Throws OfficeError.
 */
SheetCells ReadXlsFirstSheet(const QString& path);

/**
 * The cached results of the formula cells of the first worksheet, from the raw bytes of a
 * compound file (".xls"); throws OfficeError for a broken file.
 */
SheetCells ReadXlsFormulaResults(const QByteArray& file);

/** The first worksheet read by freexl, formula cells from our scanner (any BIFF version). */
SheetCells ReadXlsWithFreexl(const QString& path);
