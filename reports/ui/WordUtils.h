#pragma once

#include "reports/OfficeJob.h"

/**
 * Runs a document job in the progress window: the caller has set OfficeJobParams().WordTemplate.
 * Returns when the window has closed; FormWait().StopRequested() and FormWait().ErrorText()
 * then tell whether the job succeeded. LastError is cleared when the job starts and holds
 * the job's failure text after it.
 */
void RunWordJob(const WordFillProc& fill, const QString& outputPath);

/**
 * Runs a workbook job in the progress window: opens `openFile` when it is not empty,
 * otherwise creates the workbook from OfficeJobParams().ExcelTemplate. LastError as for
 * RunWordJob.
 */
void RunExcelJob(const QString& openFile, const ExcelFillProc& fill, const QString& outputPath);
