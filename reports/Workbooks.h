#pragma once

#include "common/JobProgress.h"
#include "office/Package.h"
#include "reports/ReportContext.h"

#include <future>
#include <memory>

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

/** The two calculation workbooks of the run. */
enum class CalculationWorkbook { Districts, Quarters };

/** How filling a workbook's cells ended: failed (the job's error set), data lacking, or filled. */
enum class WorkbookFilling { Failed, Missing, Filled };

/**
 * A calculation workbook whose cells were filled before its turn, while the report's maps were
 * drawn: the workbook to hand to its job, and what filling it said. Its job saves it.
 */
struct WorkbookAhead {
    WorkbookAhead();
    ~WorkbookAhead();
    WorkbookAhead(WorkbookAhead&&) noexcept;
    WorkbookAhead& operator=(WorkbookAhead&&) noexcept;

    /** Waits until the workbook is written beside its file (or failed to be), if it is. */
    void waitForWriting();

    /** The filled workbook until it is handed to its job; null when none was filled. */
    std::unique_ptr<Workbook> book;
    /** The workbook that was filled, also after it was handed over (to know it again). */
    const Workbook* filled = nullptr;
    TMessages messages;
    WorkbookOutcome outcome;
    WorkbookFilling filling = WorkbookFilling::Failed;
    /** The workbook written beside its file, put in place in its turn (once written). */
    PendingSave written;
    /**
     * The writing on a thread of its own, begun once the cells were filled; waited for before
     * the workbook goes anywhere. Declared last, so it is waited for before the workbook goes.
     */
    std::future<PendingSave> writing;
};

/**
 * Fills the cells of the workbook of `templatePath` in memory and, when filled, begins writing
 * it beside `outputPath` under a hidden name on a thread of its own; nothing is put in place.
 * "Стоп" and the events go through `progress`, which otherwise shows nothing of it. A
 * template that does not open, or an engine failure, gives no workbook: it is filled in its
 * turn, which says why. The context's data stamp must be known: the workbook carries it.
 */
WorkbookAhead FillWorkbookAhead(CalculationWorkbook which, const QString& templatePath,
                                const QString& outputPath, JobProgress& progress,
                                const ReportContext& context);

/**
 * A workbook job's fill procedure: when the job was given the workbook `ahead` filled, puts
 * in place the copy written beside its file (or saves it, when that writing failed) with what
 * filling it said; otherwise fills `workbook` and saves it, as FillDistrictWorkbook and
 * FillQuarterWorkbook do.
 */
void FillWorkbook(CalculationWorkbook which, WorkbookAhead* ahead, Workbook& workbook,
                  TMessages& messages, JobProgress& progress, const ReportContext& context,
                  WorkbookOutcome& outcome);

} // namespace reports
