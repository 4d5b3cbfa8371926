#include "app/FillReports.h"

#include "app/MainWindow.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "common/Messages.h"
#include "common/ui/Wait.h"
#include "db/Backup.h"
#include "db/Databases.h"
#include "reports/ReportRun.h"
#include "reports/ui/WordUtils.h"
#include "steps/common/StepLayers.h"
#include "valuation/Check.h"

#include <QFileInfo>

namespace {

/** The jobs in the progress window: its "Стоп" and its error text tell how each ended. */
class WindowJobRunner final : public reports::ReportJobRunner {
public:
    reports::JobResult runWord(const QString& templatePath, const WordFillProc& fill,
                               const QString& outputPath) override {
        OfficeJobParams().WordTemplate = templatePath;
        RunWordJob(fill, outputPath);
        return outcome();
    }
    reports::JobResult runExcel(const QString& templatePath, const ExcelFillProc& fill,
                                const QString& outputPath) override {
        OfficeJobParams().ExcelTemplate = templatePath;
        RunExcelJob(QString(), fill, outputPath);
        return outcome();
    }

private:
    static reports::JobResult outcome() {
        const TFormWait& wait = FormWait();
        return {wait.StopRequested(), wait.ErrorText(), wait.Result().ErrorDetail};
    }
};

/** Asks the valuer before an earlier report is replaced. */
class AskingReportQuestions final : public reports::ReportQuestions {
public:
    bool replaceReport(const QString&) override {
        return AskConfirm(reports::ReportTexts::replaceReport(), Answer::Ok | Answer::Cancel) ==
               Answer::Ok;
    }
};

/** The run's error box, then its closing box, as the run gave them. */
void ShowReportRunMessages(const reports::ReportRunResult& result) {
    ShowError(result.error);
    if (result.closing.isEmpty())
        return;
    if (result.closingWarns)
        ShowWarning(result.closing);
    else
        ShowInfo(result.closing);
}

} // namespace

void FillReports(TFormMain& window) {
    if (!window.CurrentSettlement)
        return;
    const QString folder = window.CurrentSettlement->pathname;
    // The project connection is re-pointed at each use; make sure it is this settlement's.
    const QString database = JoinPath(folder, DataFileName());
    if (!Db().data.isOpen() ||
        QFileInfo(Db().data.path()).absoluteFilePath() != QFileInfo(database).absoluteFilePath()) {
        QString error;
        if (!Db().ConnectProject(folder, &error)) {
            ShowError(error);
            return;
        }
    }
    QString error;
    if (!Db().ConnectCatalogue(&error))
        ShowError(error);
    // The valuer was offered the recalculation before (the run's pre-check); what still
    // disagrees makes documents that say "розрахунок не перевірено" on their title page.
    valuation::CheckResult check;
    const bool unchecked = !valuation::CheckSettlement(Db().data, check) ||
                           !CheckStepLayers(Db().data, folder, check) || !check.agrees();
    reports::ReportContext context{&Db().data, Db().main.isOpen() ? &Db().main : nullptr,
                                   window.CurrentSettlement->named, folder};
    context.unchecked = unchecked;
    WindowJobRunner jobs;
    AskingReportQuestions questions;
    // The reports register their files in the settlement's database: a copy first.
    const backup::StoreLabel label(QStringLiteral("Заповнити звіт"));
    backup::BeforeSettlementStore(Db().data);
    const reports::ReportRunResult result =
        reports::RunReports(context, folder, GlobalVar().Settings.TemplateDir, jobs, &questions);
    ShowReportRunMessages(result);
    for (const ListEntry& entry : result.registered)
        window.AddMaterialEntry(entry);
}
