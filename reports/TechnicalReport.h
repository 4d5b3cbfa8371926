#pragma once

#include "common/JobProgress.h"
#include "reports/ReportContext.h"

class WordDocument;

namespace reports {

/**
 * Fills "Технічний звіт" from its template: the settlement's name into the bookmark "NP" and
 * every data table recognised by the title in its first cell, then saves the document to the
 * job's output path. "Стоп" ends only the table being filled; the document is always saved.
 */
void FillTechnicalReport(WordDocument& document, TMessages& messages, JobProgress& progress,
                         const ReportContext& context);

} // namespace reports
