#include "reports/OfficeJob.h"

#include "common/FileUtils.h"
#include "common/LastError.h"
#include "common/TextUtils.h"
#include "office/OfficeCall.h"

#include <QDir>
#include <QFileInfo>

namespace {

/** Clears the job parameters when the job ends, however it ends. */
struct ParamsReset {
    ~ParamsReset() { OfficeJobParams() = OfficeJobParameters(); }
};

/**
 * The program's LastError: cleared when a job starts, the job's failure text (`failure`) when
 * it ends with one; else what the fill procedure left there.
 */
struct LastErrorScope {
    QString failure;
    LastErrorScope() { ClearLastError(); }
    ~LastErrorScope() {
        if (!failure.isEmpty())
            SetLastError(failure);
    }
};

void openSaved(const QString& saved, const TMessages& messages, const ResultOpener& openResult) {
    if (openResult && messages.Error.isEmpty() && !saved.isEmpty() && QFileInfo::exists(saved) &&
        OpenResultsEnabled())
        openResult(saved);
}

} // namespace

OfficeJobParameters& OfficeJobParams() {
    static OfficeJobParameters params;
    return params;
}

QString OfficeTexts::badFile() {
    return QStringLiteral("Файл має неправильний формат або не існує. Можливо, бракує "
                          "прав на папку програми.");
}
QString OfficeTexts::fileNotFound() {
    return QStringLiteral("Файл не знайдено.");
}
QString OfficeTexts::stopped() {
    return QStringLiteral("Перервано користувачем.");
}

bool OpenResultsEnabled() {
    return IniRead(QStringLiteral("settings.dat"), QStringLiteral("OFFICE"),
                   QStringLiteral("OpenResults"), QStringLiteral("1"))
               .trimmed() != QLatin1String("0");
}

void ExecuteWordJob(const WordFillProc& fill, TMessages& messages, JobProgress& progress,
                    const ResultOpener& openResult) {
    ParamsReset reset;
    LastErrorScope lastError;
    const QString templatePath = OfficeJobParams().WordTemplate;
    std::unique_ptr<WordDocument> document;
    if (!OfficeCall(
            [&] {
                document = templatePath.isEmpty() ? WordDocument::createBlank()
                                                  : WordDocument::open(templatePath);
            },
            &lastError.failure)) {
        messages.Error = OfficeTexts::badFile();
        messages.ErrorDetail = lastError.failure;
        return;
    }
    // Whatever the fill procedure throws becomes the job's error.
    if (fill && !OfficeCall([&] { fill(*document, messages, progress); }, &lastError.failure))
        messages.Error = lastError.failure;
    openSaved(document->savedPath(), messages, openResult);
}

void ExecuteExcelJob(const ExcelFillProc& fill, TMessages& messages, JobProgress& progress,
                     const ResultOpener& openResult) {
    ParamsReset reset;
    LastErrorScope lastError;
    const QString openFile = OfficeJobParams().OpenFileName;
    const QString templatePath = OfficeJobParams().ExcelTemplate;
    if (!openFile.isEmpty() && !QFileInfo(openFile).isFile()) {
        messages.ErrorDetail =
            QStringLiteral("Немає файлу ") + Quoted(QDir::toNativeSeparators(openFile)) + u'.';
        messages.Error = OfficeTexts::fileNotFound();
        return;
    }
    std::unique_ptr<Workbook> book = std::move(OfficeJobParams().OpenedWorkbook);
    if (!book && !OfficeCall(
                     [&] {
                         if (!openFile.isEmpty())
                             book = Workbook::open(openFile);
                         else
                             book = templatePath.isEmpty() ? Workbook::createBlank()
                                                           : Workbook::open(templatePath);
                     },
                     &lastError.failure)) {
        messages.Error = OfficeTexts::badFile();
        messages.ErrorDetail = lastError.failure;
        return;
    }
    if (fill && !OfficeCall([&] { fill(*book, messages, progress); }, &lastError.failure))
        messages.Error = lastError.failure;
    openSaved(book->savedPath(), messages, openResult);
}

TMessages RunWordJobHeadless(const WordFillProc& fill, const QString& outputPath) {
    TMessages messages;
    SilentProgress progress(outputPath);
    ExecuteWordJob(fill, messages, progress, ResultOpener());
    return messages;
}

TMessages RunExcelJobHeadless(const QString& openFile, const ExcelFillProc& fill,
                              const QString& outputPath) {
    TMessages messages;
    SilentProgress progress(outputPath);
    OfficeJobParams().OpenFileName = openFile;
    ExecuteExcelJob(fill, messages, progress, ResultOpener());
    return messages;
}
