#include "reports/OfficeJob.h"

#include "common/FileUtils.h"
#include "common/LastError.h"
#include "common/TextUtils.h"
#include "office/OfficeError.h"

#include <QDir>
#include <QFileInfo>
#include <exception>

namespace {

QString g_lastError;

/** Clears the job parameters when the job ends, however it ends. */
struct ParamsReset {
    ~ParamsReset() { OfficeJobParams() = OfficeJobParameters(); }
};

/** The program's LastError: cleared when a job starts, the job's failure text when it ends. */
struct LastErrorScope {
    LastErrorScope() {
        ClearLastError();
        g_lastError.clear();
    }
    ~LastErrorScope() {
        if (!g_lastError.isEmpty())
            SetLastError(g_lastError);
    }
};

/** Runs a fill procedure; whatever it throws becomes the job's error. */
template <class Fill> void callFill(const Fill& fill, TMessages& messages) {
    try {
        fill();
        return;
    } catch (const OfficeError& e) {
        g_lastError = e.message();
    } catch (const std::exception& e) {
        g_lastError = QString::fromLocal8Bit(e.what());
    } catch (...) {
        g_lastError = QStringLiteral("Невідома помилка під час заповнення.");
    }
    messages.Error = g_lastError;
}

/** Opens a package; the failure text goes to g_lastError. */
template <class Open> auto openGuarded(const Open& open) -> decltype(open()) {
    try {
        return open();
    } catch (const OfficeError& e) {
        g_lastError = e.message();
    } catch (const std::exception& e) {
        g_lastError = QString::fromLocal8Bit(e.what());
    }
    if (g_lastError.isEmpty())
        g_lastError = QStringLiteral("Невідома помилка.");
    return nullptr;
}

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
    std::unique_ptr<WordDocument> document = openGuarded([&templatePath] {
        return templatePath.isEmpty() ? WordDocument::createBlank()
                                      : WordDocument::open(templatePath);
    });
    if (!document) {
        messages.Error = OfficeTexts::badFile();
        messages.ErrorDetail = g_lastError;
        return;
    }
    if (fill)
        callFill([&] { fill(*document, messages, progress); }, messages);
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
    std::unique_ptr<Workbook> book = openGuarded([&] {
        if (!openFile.isEmpty())
            return Workbook::open(openFile);
        return templatePath.isEmpty() ? Workbook::createBlank() : Workbook::open(templatePath);
    });
    if (!book) {
        messages.Error = OfficeTexts::badFile();
        messages.ErrorDetail = g_lastError;
        return;
    }
    if (fill)
        callFill([&] { fill(*book, messages, progress); }, messages);
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
