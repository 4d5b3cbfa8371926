#pragma once

#include "office/OfficeJob.h"

/**
 * Runs a document job in the progress window: the caller has set OfficeJobParams().WordTemplate.
 * Returns when the window has closed; FormWait().StopRequested() and FormWait().ErrorText()
 * then tell whether the job succeeded.
 */
void RunWordJob(const WordFillProc& fill, const QString& outputPath);

/**
 * Runs a workbook job in the progress window: opens `openFile` when it is not empty,
 * otherwise creates the workbook from OfficeJobParams().ExcelTemplate.
 */
void RunExcelJob(const QString& openFile, const ExcelFillProc& fill, const QString& outputPath);
