#include "reports/ReportRun.h"

#include "common/FileUtils.h"
#include "common/LastError.h"
#include "common/WriteSteps.h"
#include "db/QueryFunctions.h"
#include "office/CustomProperties.h"
#include "reports/ReportData.h"
#include "reports/ReportLayers.h"
#include "reports/ReportMaps.h"
#include "reports/TechnicalReport.h"
#include "reports/Workbooks.h"
#include "valuation/DataStamp.h"
#include "valuation/Settlement.h"

#include <QFile>
#include <array>
#include <memory>

namespace reports {

QString ReportTexts::missingTemplate(const QString& path) {
    return QStringLiteral("Десь дівся файл звіту \"") + path +
           QStringLiteral("\". Пошукайте самі.");
}

QString ReportTexts::replaceReport() {
    return QStringLiteral("Звіт уже було створено раніше. Ви дійсно бажаєте його поновити?");
}

QString ReportTexts::finished() {
    return QStringLiteral("Завершено.");
}

JobResult HeadlessJobRunner::runWord(const QString& templatePath, const WordFillProc& fill,
                                     const QString& outputPath) {
    OfficeJobParams().WordTemplate = templatePath;
    const TMessages m = RunWordJobHeadless(fill, outputPath);
    return {false, m.Error, m.ErrorDetail};
}

JobResult HeadlessJobRunner::runExcel(const QString& templatePath, const ExcelFillProc& fill,
                                      const QString& outputPath) {
    OfficeJobParams().ExcelTemplate = templatePath;
    const TMessages m = RunExcelJobHeadless(QString(), fill, outputPath);
    return {false, m.Error, m.ErrorDetail};
}

Registration RegisterMaterial(Connection& data, const QString& folder, const QString& fileName,
                              int code, ListEntry& added, QString* error) {
    Query q(&data);
    const QString quoted = u'\'' + QuoteSql(fileName) + u'\'';
    const auto failed = [error] {
        FailWith(error, LastError());
        return Registration::Failed;
    };
    if (!writesteps::Reached("material.register")) {
        FailWith(error, QStringLiteral("на диску немає місця"));
        return Registration::Failed;
    }
    // The materials list shows the file entries (codes 3 to 6) by name.
    if (!RunQuery(q,
                  QStringLiteral("SELECT id FROM data WHERE named=") + quoted +
                      QStringLiteral(" AND code>=3 AND code<=6"),
                  true))
        return failed();
    const bool listed = q.recordCount() > 0;
    q.close();
    if (listed)
        return Registration::Listed;
    if (!RunQuery(q,
                  QStringLiteral("INSERT INTO data (code, named, pathname) VALUES (") +
                      QString::number(code) + u',' + quoted + u',' + quoted + u')',
                  false))
        return failed();
    added = {fileName, code, JoinPath(folder, fileName),
             QString::number(MaxValue(q, QStringLiteral("data"), QStringLiteral("id")))};
    return Registration::Added;
}

bool UnregisterMaterial(Connection& data, const QString& fileName, QString* error) {
    Query q(&data);
    return RunQuery(q,
                    QStringLiteral("DELETE FROM data WHERE named='") + QuoteSql(fileName) +
                        QStringLiteral("' AND code>=3 AND code<=6"),
                    false) ||
           FailWith(error, LastError());
}

namespace {

/**
 * The layers a document's maps show that changed since it was made; none for a document
 * that carries no layer stamp (made before it was kept, or a workbook, which shows no map).
 */
QStringList ChangedLayers(const QString& path, const QString& settlementFolder) {
    QString stamp;
    if (!office::ReadCustomProperty(path, ReportLayerStampProperty(), stamp) || stamp.isEmpty())
        return {};
    return ChangedReportLayers(settlementFolder, stamp);
}

} // namespace

bool DocumentsOlderThanData(Connection& data, const QString& settlementFolder, QStringList& lines,
                            QString* error) {
    lines.clear();
    QString stamp;
    for (const ReportFile& file : ReportFiles()) {
        const QString path = JoinPath(settlementFolder, file.outputName);
        if (!FileExistsQuiet(path))
            continue;
        // The data are read once, and only when there is a document to compare.
        if (stamp.isEmpty() && !valuation::DataStamp(data, stamp, error))
            return false;
        QString made;
        QString reason;
        if (!office::ReadCustomProperty(path, valuation::DataStampProperty(), made, &reason))
            lines << file.outputName + QStringLiteral(" не читається: ") + OneLine(reason);
        else if (made.isEmpty())
            lines << file.outputName +
                         QStringLiteral(" не позначено станом даних, з яких його складено; "
                                        "заповніть звіт знову");
        else if (made != stamp)
            lines << file.outputName + QStringLiteral(" складено до зміни даних; заповніть звіт "
                                                      "знову");
        else if (const QStringList changed = ChangedLayers(path, settlementFolder);
                 !changed.isEmpty())
            lines << file.outputName + QStringLiteral(" складено до зміни ") +
                         (changed.size() == 1 ? QStringLiteral("шару ")
                                              : QStringLiteral("шарів ")) +
                         u'\u00ab' + changed.join(QStringLiteral("\u00bb, \u00ab")) +
                         QStringLiteral("\u00bb; заповніть звіт знову");
    }
    return true;
}

QString OneLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    // Line breaks and every other control character (a stored BLOB's NUL bytes) as spaces.
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control)
            c = u' ';
    return text.trimmed();
}

ReportRunResult RunReports(const ReportContext& given, const QString& settlementFolder,
                           const QString& templateDir, ReportJobRunner& jobs,
                           ReportQuestions* ask) {
    ReportContext context = given;
    if (context.folder.isEmpty())
        context.folder = settlementFolder;
    ReportRunResult result;
    const auto& files = ReportFiles();
    // The question about the report comes first: nothing is read or drawn for a report the
    // valuer keeps.
    const QString reportTemplate = JoinPath(templateDir, files[0].templateName);
    const QString reportOutput = JoinPath(settlementFolder, files[0].outputName);
    const bool reportTemplateThere = FileExistsQuiet(reportTemplate);
    if (reportTemplateThere && ask && FileExistsQuiet(reportOutput) &&
        !ask->replaceReport(reportOutput)) {
        result.cancelled = true;
        return result;
    }
    // The three documents read the settlement once; a failed read is left to each of them,
    // which then fails with the reason.
    valuation::Settlement settlement;
    if (!context.settlement && context.data && valuation::ReadSettlement(*context.data, settlement))
        context.settlement = &settlement;
    // The maps are the longest work: they are drawn on the other cores from now on, while
    // this thread reads the data's stamp and fills the report's text.
    std::unique_ptr<AppendixMapDrawing> maps;
    if (reportTemplateThere && context.settlement && !context.folder.isEmpty())
        maps = std::make_unique<AppendixMapDrawing>(context, *context.settlement, true);
    // Each document carries the state of the data it was made from.
    if (context.dataStamp.isEmpty() && context.data) {
        valuation::DataStamp(*context.data, context.dataStamp);
        // The pages the stamp read go back before the documents are filled.
        context.data->releaseCache();
    }
    if (context.layerStamp.isEmpty() && !context.folder.isEmpty())
        context.layerStamp = ReportLayerStamp(context.folder);
    // While the other cores draw the maps, the report fills the workbooks' cells and has them
    // written beside their files; each is still put in place in its turn, after the report,
    // and only if the report is saved. Without a layer to draw there is nothing to overlap,
    // and the workbooks are made in their turn, one at a time in memory.
    std::array<WorkbookAhead, 2> ahead;
    const auto calculation = [](size_t i) {
        return i == 2 ? CalculationWorkbook::Quarters : CalculationWorkbook::Districts;
    };
    if (maps && context.data && !context.layerStamp.isEmpty())
        context.beforeMapsTaken = [&](JobProgress& progress) {
            for (size_t i = 1; i < files.size() && !progress.stopRequested(); ++i) {
                const QString path = JoinPath(templateDir, files[i].templateName);
                if (FileExistsQuiet(path))
                    ahead[i - 1] = FillWorkbookAhead(
                        calculation(i), path, JoinPath(settlementFolder, files[i].outputName),
                        progress, context);
            }
        };
    QStringList notMade; // the workbooks left out for lack of data, for the closing message
    bool reachedEnd = true;
    auto giveUp = [&](size_t from, const QString& reason) {
        for (size_t i = from; i < files.size(); ++i)
            result.notSaved.emplace_back(
                JoinPath(settlementFolder, files[i].outputName),
                i == from ? reason
                          : QStringLiteral("не заповнювався, бо попередній файл не збережено"));
        reachedEnd = false;
    };

    for (size_t i = 0; i < files.size(); ++i) {
        const QString templatePath = JoinPath(templateDir, files[i].templateName);
        const QString output = JoinPath(settlementFolder, files[i].outputName);
        if (!FileExistsQuiet(templatePath)) {
            result.error = ReportTexts::missingTemplate(templatePath);
            giveUp(i, QStringLiteral("немає шаблону \"") + templatePath + u'"');
            break;
        }

        WorkbookOutcome outcome;
        JobResult job;
        if (i == 0) {
            context.maps = maps.get();
            job = jobs.runWord(
                templatePath,
                [&context](WordDocument& document, TMessages& messages, JobProgress& progress) {
                    FillTechnicalReport(document, messages, progress, context);
                },
                output);
        } else {
            const CalculationWorkbook which = calculation(i);
            WorkbookAhead* filled = &ahead[i - 1];
            // Written beside its file first: the job may end it without a fill.
            filled->waitForWriting();
            OfficeJobParams().OpenedWorkbook = std::move(filled->book);
            job = jobs.runExcel(
                templatePath,
                [&context, &outcome, which, filled](Workbook& book, TMessages& messages,
                                                    JobProgress& progress) {
                    FillWorkbook(which, filled, book, messages, progress, context, outcome);
                },
                output);
            // A runner that ran no job leaves the workbook to no later job.
            OfficeJobParams().OpenedWorkbook.reset();
        }
        // The maps' pictures are in the report or no longer wanted.
        maps.reset();
        context.maps = nullptr;
        context.beforeMapsTaken = nullptr;
        if (!job.error.isEmpty()) {
            giveUp(i, OneLine(job.errorDetail.isEmpty() ? job.error
                                                        : job.error + u' ' + job.errorDetail));
            break;
        }
        if (job.stopped) {
            giveUp(i, QStringLiteral("заповнення зупинено"));
            break;
        }
        if (i > 0 && !outcome.saved) {
            // Nothing to calculate yet: the file is neither made nor registered, and last
            // run's file, which would show other data, goes with its entry.
            const QString missing = outcome.missing.join(QStringLiteral(", "));
            result.notSaved.emplace_back(output, QStringLiteral("немає даних: ") + missing);
            notMade << QStringLiteral("Файл \"") + files[i].outputName +
                           QStringLiteral("\" не створено, бо немає даних: ") + missing + u'.';
            if (FileExistsQuiet(output)) {
                if (QFile::remove(output))
                    result.removed << output;
                else
                    result.failures << QStringLiteral("Файл попереднього звіту \"") + output +
                                           QStringLiteral("\" не видалено");
            }
            QString why;
            if (context.data && !FileExistsQuiet(output) &&
                !UnregisterMaterial(*context.data, files[i].outputName, &why))
                result.failures << QStringLiteral("Файл \"") + files[i].outputName +
                                       QStringLiteral("\" не вилучено з матеріалів: ") +
                                       OneLine(why);
            continue;
        }
        result.saved << output;
        for (const QString& note : outcome.notes)
            result.notes << files[i].outputName + QStringLiteral(": ") + note;
        ListEntry entry;
        QString why;
        const Registration registration =
            context.data ? RegisterMaterial(*context.data, settlementFolder, files[i].outputName,
                                            files[i].code, entry, &why)
                         : Registration::Listed;
        if (registration == Registration::Added)
            result.registered.push_back(entry);
        if (registration == Registration::Failed) {
            // Saved but not among the materials: the run failed, and says why.
            result.failures << QStringLiteral("Файл \"") + output +
                                   QStringLiteral("\" збережено, але не внесено до матеріалів: ") +
                                   OneLine(why);
            result.error = QStringLiteral("Файл \"") + files[i].outputName +
                           QStringLiteral("\" не внесено до матеріалів.\rПодробиці: ") + why;
            reachedEnd = false;
            break;
        }
    }

    notMade << result.notes;
    if (reachedEnd && notMade.isEmpty()) {
        result.closing = ReportTexts::finished();
    } else if (!notMade.isEmpty()) {
        result.closing =
            (reachedEnd ? ReportTexts::finished() + u'\r' : QString()) + notMade.join(u'\r');
        result.closingWarns = true;
    }
    return result;
}

} // namespace reports
