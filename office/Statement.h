#pragma once

#include "office/SheetCells.h"

#include <QString>

/**
 * The values of the first worksheet of a statement workbook (".xls" through freexl and our
 * formula-result scanner, ".xlsx" through our engine), numbers as their shortest exact
 * text. Throws OfficeError for a missing or unreadable file.
 */
SheetCells ReadStatement(const QString& path);
