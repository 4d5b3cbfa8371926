#pragma once

#include "common/JobProgress.h"
#include "office/Document.h"
#include "office/Workbook.h"

#include <QString>
#include <functional>
#include <memory>

/** A fill procedure of a document job: fills the document and saves it itself. */
using WordFillProc =
    std::function<void(WordDocument& document, TMessages& messages, JobProgress& progress)>;
/** A fill procedure of a workbook job: fills (or reads) the workbook and saves a copy itself. */
using ExcelFillProc =
    std::function<void(Workbook& workbook, TMessages& messages, JobProgress& progress)>;

/**
 * The parameters of the one office job, set by the caller before it starts the job and
 * cleared when the job ends.
 */
struct OfficeJobParameters {
    /** An existing workbook to open, or "" to create one from ExcelTemplate. */
    QString OpenFileName;
    /** The document template (".dotx"), or "" for an empty document. */
    QString WordTemplate;
    /** The workbook template (".xltx"), or "" for an empty workbook. */
    QString ExcelTemplate;
    /**
     * A workbook opened and filled before the job (a calculation workbook filled while the
     * report's maps were drawn): the workbook job takes it instead of opening one.
     */
    std::unique_ptr<Workbook> OpenedWorkbook;
};

OfficeJobParameters& OfficeJobParams();

/** Texts of the job outcomes. */
namespace OfficeTexts {
QString badFile(); ///< "Файл має неправильний формат або не існує. ..."
QString fileNotFound(); ///< "Файл не знайдено."
QString stopped();      ///< "Перервано користувачем."
} // namespace OfficeTexts

/** Whether saved results are opened through the shell ("settings.dat" [OFFICE] OpenResults). */
bool OpenResultsEnabled();

/** Opens a saved result for the user (the window opens it through the shell). */
using ResultOpener = std::function<void(const QString& path)>;

/**
 * The steps of a document job: opens WordTemplate, calls the fill procedure and, when it
 * saved the output and nothing failed, opens the output with `openResult` (when given and
 * OpenResultsEnabled()).
 * Exceptions of the fill procedure become the job's Error. Clears LastError when it starts
 * and leaves the failure text there; clears the job parameters.
 */
void ExecuteWordJob(const WordFillProc& fill, TMessages& messages, JobProgress& progress,
                    const ResultOpener& openResult);
/**
 * The same for a workbook job: takes OpenedWorkbook, or opens OpenFileName, or creates from
 * ExcelTemplate.
 */
void ExecuteExcelJob(const ExcelFillProc& fill, TMessages& messages, JobProgress& progress,
                     const ResultOpener& openResult);

/** A progress sink that shows nothing: for jobs run without a window. */
class SilentProgress final : public JobProgress {
public:
    explicit SilentProgress(const QString& outputPath = QString()) : m_outputPath(outputPath) {}
    void setProgress(int maximum, int position) override {
        m_maximum = maximum;
        m_position = position;
    }
    void stepProgress() override { m_position = m_position + 1 > m_maximum ? 0 : m_position + 1; }
    void showProgressBar(bool) override {}
    void setInfo(const QString& text) override { m_info = text; }
    void enableStop(bool) override {}
    bool stopRequested() const override { return false; }
    void processEvents() override {}
    QString outputPath() const override { return m_outputPath; }
    const QString& info() const { return m_info; }

private:
    QString m_outputPath;
    QString m_info;
    int m_maximum = 100;
    int m_position = 0;
};

/** Runs a document job without any window; never opens the result. */
TMessages RunWordJobHeadless(const WordFillProc& fill, const QString& outputPath);
/** Runs a workbook job without any window; never opens the result. */
TMessages RunExcelJobHeadless(const QString& openFile, const ExcelFillProc& fill,
                              const QString& outputPath);
