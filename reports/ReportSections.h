#pragma once

#include "db/Utf8Rows.h"

// The data tables of the technical report: one fill function per table, sharing a writer.

#include "common/JobProgress.h"
#include "db/Database.h"
#include "office/Document.h"
#include "reports/ReportContext.h"
#include "reports/ReportData.h"
#include "valuation/Settlement.h"

#include <QElapsedTimer>

namespace reports::detail {

/** What the sections share: the document, the progress, the settlement and its queries. */
class SectionWriter {
public:
    SectionWriter(WordDocument& document, JobProgress& progress, const ReportContext& context,
                  const valuation::Settlement& settlement);

    /**
     * Runs a section's query; a failure keeps "Вибірка із бази ..." naming the table in
     * `failure` and marks the writer failed, which ends the walk over the tables: the report
     * is then not saved and the run fails.
     */
    bool select(const QString& sql, const QString& table);
    /** As select(), for a big table: its rows handed over one by one, as the database keeps them.
     */
    bool readRows(const QString& sql, const QString& table,
                  const std::function<void(const Utf8Row&)>& row);
    /** Selects the first data row and inserts `extra` copies of it below. */
    void insertRows(WordTable& table, int row, int extra);
    /** Sets the bar to `records` units. */
    void beginRows(int records);
    /** After a written row: the bar moves and "Стоп" can be pressed; true to leave the loop. */
    bool rowDone();

    WordDocument& document;
    JobProgress& progress;
    const ReportContext& context;
    /** The number of districts ("Кількість районів"). */
    long long districtCount = 0;
    /** The catalogue's local factors. */
    std::vector<LocalFactorName> factorNames;
    /** The settlement as the valuation model reads it, once for the whole report. */
    const valuation::Settlement& settlement;
    /** The rows of the last select. */
    Query query;
    bool failed = false;
    /** Why a section failed: the sentence and the database's reason. */
    QString failure;
    /** Tables that do not belong in this report (the index table of the other variant). */
    std::vector<WordTable> unused;

private:
    /** Keeps why the select from `table` failed in `failure`, marks the writer failed; false. */
    bool failSelect(const QString& table);
    /** Window messages run a few dozen times a second, not after each of 40,000 cells. */
    QElapsedTimer m_sinceEvents;
};

/** Fills one table; the writer's query and progress are at its disposal. */
using SectionFill = void (*)(SectionWriter& writer, WordTable& table);

void FillGeneralData(SectionWriter& w, WordTable& t);
void FillCosts(SectionWriter& w, WordTable& t);
void FillLandStructure(SectionWriter& w, WordTable& t);
void FillDistricts(SectionWriter& w, WordTable& t);
void FillQuestionnaire(SectionWriter& w, WordTable& t);
void FillWeightedIndex(SectionWriter& w, WordTable& t);
void FillGroupedIndex(SectionWriter& w, WordTable& t);
void FillZonalKm2(SectionWriter& w, WordTable& t);
void FillLocalFactors(SectionWriter& w, WordTable& t);
void FillFunctionalValues(SectionWriter& w, WordTable& t);
void FillZoneBorders(SectionWriter& w, WordTable& t);
void FillSoilScores(SectionWriter& w, WordTable& t);
void FillSoilValues(SectionWriter& w, WordTable& t);
void FillPlots(SectionWriter& w, WordTable& t);

/**
 * The title page's requisites from the settlement information (its entries by name):
 * client, contractor, status and year; an empty entry leaves its line.
 */
void FillTitlePage(WordDocument& document, const QHash<QString, QString>& information);
/**
 * В with the numbers put into its formula: the costs' total (thousand UAH) over the
 * assessed territory.
 */
void FillCostFormula(WordDocument& document, const valuation::Settlement& settlement,
                     double totalThousands);
/** Км1 and Цнм with its formula in the text, and the results in the conclusions. */
void FillKeyResults(WordDocument& document, const valuation::Settlement& settlement);

} // namespace reports::detail
