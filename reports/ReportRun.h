#pragma once

#include "catalogue/core/ProjectItem.h"
#include "reports/OfficeJob.h"
#include "reports/ReportContext.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace reports {

/** How one office job ended. */
struct JobResult {
    bool stopped = false;
    /** The job's error ("" when it succeeded). */
    QString error;
    QString errorDetail;
};

/**
 * Runs the office jobs of a run: in the progress window, or without any window. A workbook
 * job takes the workbook the run left in OfficeJobParams().OpenedWorkbook, if any.
 */
class ReportJobRunner {
public:
    virtual ~ReportJobRunner() = default;
    virtual JobResult runWord(const QString& templatePath, const WordFillProc& fill,
                              const QString& outputPath) = 0;
    virtual JobResult runExcel(const QString& templatePath, const ExcelFillProc& fill,
                               const QString& outputPath) = 0;
};

/** Runs the jobs without any window and never opens what they saved. */
class HeadlessJobRunner final : public ReportJobRunner {
public:
    JobResult runWord(const QString& templatePath, const WordFillProc& fill,
                      const QString& outputPath) override;
    JobResult runExcel(const QString& templatePath, const ExcelFillProc& fill,
                       const QString& outputPath) override;
};

/** What a run of "Заповнити звіт" produced. */
struct ReportRunResult {
    /** The valuer declined to replace the earlier report: nothing was made. */
    bool cancelled = false;
    /** Full paths of the files saved, in the run's order. */
    QStringList saved;
    /** The materials entries added to the settlement's "data" table. */
    std::vector<ListEntry> registered;
    /** For every output not saved: its full path and why ("" reasons are never given). */
    std::vector<std::pair<QString, QString>> notSaved;
    /** What the valuer should know about files that were saved (a zone without Km2...). */
    QStringList notes;
    /** Files of an earlier run removed because this run could not make them again. */
    QStringList removed;
    /** What made the run fail although its files were saved (a failed registration). */
    QStringList failures;
    /**
     * What the window tells the valuer after the run, in this order: the error box of a
     * missing template or a failed registration ("" when none), then the closing box:
     * "Завершено." as information, or a warning naming what was not made and why ("" when
     * the run ended early with nothing else to name).
     */
    QString error;
    QString closing;
    bool closingWarns = false;

    bool allSaved() const { return saved.size() == 3 && failures.isEmpty(); }
};

/** Texts of the run. */
namespace ReportTexts {
/** "Десь дівся файл звіту \"path\". Пошукайте самі." */
QString missingTemplate(const QString& path);
/** "Звіт уже було створено раніше. Ви дійсно бажаєте його поновити?" */
QString replaceReport();
QString finished(); ///< "Завершено."
} // namespace ReportTexts

/** The decision a run needs; the window asks the valuer, tests answer from a script. */
class ReportQuestions {
public:
    virtual ~ReportQuestions() = default;
    /** The report at `path` was made before: true replaces it (ReportTexts::replaceReport()). */
    virtual bool replaceReport(const QString& path) = 0;
};

/**
 * "Заповнити звіт": the technical report, then the district workbook, then the quarter
 * workbook, each filled from its template in `templateDir` by a job of `jobs` and saved into
 * `settlementFolder`. A job's error or a stop ends the run; a workbook whose data are missing
 * is not saved and the run goes on. Each saved file is registered in "data" unless an entry
 * of its name is there already.
 *
 * With `ask` the run asks before replacing an earlier report; without it the report is
 * replaced. The result says everything, with the messages a window shows.
 */
ReportRunResult RunReports(const ReportContext& context, const QString& settlementFolder,
                           const QString& templateDir, ReportJobRunner& jobs, ReportQuestions* ask);

/** A message on one line: its line breaks (the database's texts carry some) become blanks. */
QString OneLine(QString text);

/**
 * The documents of "Заповнити звіт" in the settlement folder made from other data than the
 * database now holds (their data stamp differs, or they carry none), each as a line
 * "Технічний звіт.docx складено до зміни даних", or before a change of a layer their maps
 * show ("... складено до зміни шару «райони»..."). False with the reason in `error` when the
 * database cannot be read.
 */
bool DocumentsOlderThanData(Connection& data, const QString& settlementFolder, QStringList& lines,
                            QString* error = nullptr);

/**
 * Removes a file entry of that name from the materials ("data"); false with the provider's
 * reason in `error`.
 */
bool UnregisterMaterial(Connection& data, const QString& fileName, QString* error = nullptr);

/** How registering a file among the materials ended. */
enum class Registration { Added, Listed, Failed };

/**
 * Registers a file of the settlement folder among its materials: a "data" row with the code,
 * unless a file entry of that name exists (Listed). Added with the entry when a row was
 * added; Failed with the reason in `error` when the database refused it.
 */
Registration RegisterMaterial(Connection& data, const QString& folder, const QString& fileName,
                              int code, ListEntry& added, QString* error = nullptr);

} // namespace reports
