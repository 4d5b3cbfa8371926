#pragma once

#include "common/JobProgress.h"
#include "reports/ReportContext.h"

class Workbook;

namespace reports {

/**
 * Fills "Розрахунок грошової оцінки" (value by district and functional use) on the first
 * worksheet and saves a copy to the job's output path. Without districts, an average value of
 * 1 sq m or zones nothing is saved and `outcome.missing` names what is lacking. A failed save
 * throws, so it becomes the job's error.
 */
void FillDistrictWorkbook(Workbook& workbook, TMessages& messages, JobProgress& progress,
                          const ReportContext& context, WorkbookOutcome& outcome);

/**
 * Fills "Розрахунок грошової оцінки з кварталами" (value by quarter) from the statement of
 * quarters and saves a copy; without an average value or a statement nothing is saved.
 */
void FillQuarterWorkbook(Workbook& workbook, TMessages& messages, JobProgress& progress,
                         const ReportContext& context, WorkbookOutcome& outcome);

} // namespace reports
