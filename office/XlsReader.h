#pragma once

#include "office/SheetCells.h"

#include <QByteArray>
#include <QString>

/**
 * Reads the first worksheet of a binary ".xls" workbook. Plain cells come from freexl;
 * formula cells, which freexl leaves empty, take the result the file keeps for them, read
 * from the workbook stream by our own record scanner. Throws OfficeError.
 */
SheetCells ReadXlsFirstSheet(const QString& path);

/**
 * The cached results of the formula cells of the first worksheet, from the raw bytes of a
 * compound file (".xls"); throws OfficeError for a broken file.
 */
SheetCells ReadXlsFormulaResults(const QByteArray& file);
