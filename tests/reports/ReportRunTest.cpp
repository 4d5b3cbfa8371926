// The run of "Заповнити звіт" as a whole (order, confirmation, registration, messages) and the
// fill procedures' behaviour on a stop, a failing query and a workbook without a sheet.
#include "reports/ReportRun.h"
#include "GoldenCompare.h"
#include "ReportFixtures.h"
#include "common/FileUtils.h"
#include "common/LastError.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "office/Document.h"
#include "office/Workbook.h"
#include "reports/TechnicalReport.h"
#include "reports/Workbooks.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace reports;

namespace {

QString Weighted() {
    return ReadTextFile(GoldenDir() + QStringLiteral("/cases/weighted/input.sql"));
}

/** A progress that records its info lines and presses "Стоп" after `stopAfter` rows of a table. */
class ScriptedProgress final : public JobProgress {
public:
    ScriptedProgress(const QString& output, const QString& stopIn, int stopAfter)
        : m_output(output), m_stopIn(stopIn), m_stopAfter(stopAfter) {}
    void setProgress(int, int) override {}
    void stepProgress() override {
        if (!m_stopIn.isEmpty() && infos.last().contains(m_stopIn) && --m_stopAfter <= 0)
            m_stop = true;
    }
    void showProgressBar(bool) override {}
    void setInfo(const QString& text) override { infos << text; }
    void enableStop(bool enabled) override { stopEnabled = enabled; }
    bool stopRequested() const override { return m_stop; }
    void processEvents() override {}
    QString outputPath() const override { return m_output; }

    QStringList infos;
    bool stopEnabled = false;

private:
    QString m_output;
    QString m_stopIn;
    int m_stopAfter;
    bool m_stop = false;
};

class ReportRunTest : public ::testing::Test {
protected:
    void SetUp() override { create(Weighted()); }
    void create(const QString& script) {
        data.close();
        catalogue.close();
        QString error;
        ASSERT_TRUE(fixtures::CreateSettlement(app.path(), folder, script, &error))
            << qPrintable(error);
        ASSERT_TRUE(data.open(JoinPath(folder, QStringLiteral("data.sqlite"))));
        ASSERT_TRUE(catalogue.open(app.file(QStringLiteral("baza.sqlite"))));
    }
    ReportContext context() { return {&data, &catalogue, QStringLiteral("с. Тестове"), folder}; }
    /** A run as the window makes it (asking `ask`), or without a window. */
    ReportRunResult run(bool interactive = true) {
        HeadlessJobRunner jobs;
        return RunReports(context(), folder, templates(), jobs, interactive ? &ask : nullptr);
    }
    QString templates() const { return app.file(QStringLiteral("Шаблон")); }
    QString output(size_t i) const { return JoinPath(folder, ReportFiles()[i].outputName); }
    QStringList dataRows() {
        QStringList rows;
        Query q(&data);
        EXPECT_TRUE(RunQuery(
            q, QStringLiteral("SELECT code, named, pathname FROM data ORDER BY id"), true));
        for (q.first(); !q.eof(); q.next())
            rows << q.texts().join(u'|');
        return rows;
    }

    /** Answers the question to replace the report from a script and keeps what was asked. */
    struct ScriptedQuestions final : ReportQuestions {
        bool replaceReport(const QString& path) override {
            asked << path;
            return replace;
        }
        bool replace = true;
        QStringList asked;
    } ask;
    TempAppDir app;
    /** The run tells its caller everything: nothing goes to the messages. */
    RecordingMessages messages;
    QString folder = app.file(QStringLiteral("Проекти/Проект/Село"));
    Connection data;
    Connection catalogue;
};

} // namespace

TEST_F(ReportRunTest, SecondRunAsksAndAddsNoSecondRow) {
    ReportRunResult first = run();
    EXPECT_TRUE(first.allSaved());
    EXPECT_EQ(first.saved, QStringList({output(0), output(1), output(2)}));
    ASSERT_EQ(first.registered.size(), 3u);
    EXPECT_EQ(first.registered[0].caption, QStringLiteral("Технічний звіт.docx"));
    EXPECT_EQ(first.registered[0].kind, 3);
    EXPECT_EQ(first.registered[0].path, output(0));
    EXPECT_EQ(first.registered[2].kind, 4);
    EXPECT_FALSE(first.registered[2].id.isEmpty()); // so the entry can be removed at once
    // The quarter statement names zone 10, which has no Km2: its values stay empty and the
    // closing message says so.
    EXPECT_TRUE(first.error.isEmpty());
    EXPECT_TRUE(first.closingWarns);
    EXPECT_TRUE(first.closing.startsWith(QStringLiteral("Завершено.\r")));
    EXPECT_TRUE(first.closing.contains(QStringLiteral("зона 10 не має Км2")));
    EXPECT_EQ(first.notes.size(), 1);
    EXPECT_TRUE(ask.asked.isEmpty());
    const QStringList rows = dataRows();
    EXPECT_EQ(rows,
              QStringList({"3|Технічний звіт.docx|Технічний звіт.docx",
                           "4|Розрахунок грошової оцінки.xlsx|Розрахунок грошової оцінки.xlsx",
                           "4|Розрахунок грошової оцінки з кварталами.xlsx|Розрахунок "
                           "грошової оцінки з кварталами.xlsx"}));

    // Again: the question, the files replaced, no second row.
    QFile::remove(output(2));
    ReportRunResult second = run();
    EXPECT_EQ(ask.asked, QStringList{output(0)});
    EXPECT_EQ(ReportTexts::replaceReport(),
              QStringLiteral("Звіт уже було створено раніше. Ви дійсно бажаєте його поновити?"));
    EXPECT_TRUE(second.allSaved());
    EXPECT_TRUE(second.registered.empty());
    EXPECT_TRUE(QFileInfo::exists(output(2)));
    EXPECT_EQ(dataRows(), rows);

    // Cancel makes nothing, not even the workbooks.
    QFile::remove(output(1));
    ask.asked.clear();
    ask.replace = false;
    ReportRunResult third = run();
    EXPECT_TRUE(third.cancelled);
    EXPECT_TRUE(third.saved.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(output(1)));
    EXPECT_EQ(ask.asked.size(), 1);
    EXPECT_TRUE(third.error.isEmpty());
    EXPECT_TRUE(third.closing.isEmpty()); // declined: nothing more is said

    // Without a window nothing is asked and the files are replaced.
    ask.asked.clear();
    EXPECT_TRUE(run(false).allSaved());
    EXPECT_TRUE(ask.asked.isEmpty());
    EXPECT_EQ(dataRows(), rows);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(ReportRunTest, MissingTemplateStopsTheRun) {
    const QString reportTemplate = JoinPath(templates(), QStringLiteral("Технічний звіт.dotx"));
    const QString reportCopy = app.file(QStringLiteral("report.dotx"));
    ASSERT_TRUE(QFile::rename(reportTemplate, reportCopy));
    ReportRunResult result = run();
    EXPECT_EQ(result.error, QStringLiteral("Десь дівся файл звіту \"") + reportTemplate +
                                QStringLiteral("\". Пошукайте самі."));
    EXPECT_TRUE(result.closing.isEmpty());
    EXPECT_TRUE(result.saved.isEmpty());
    ASSERT_EQ(result.notSaved.size(), 3u);
    EXPECT_TRUE(result.notSaved[0].second.contains(reportTemplate));
    EXPECT_TRUE(dataRows().isEmpty());

    // The district workbook's template missing: the report stays made and registered.
    ASSERT_TRUE(QFile::rename(reportCopy, reportTemplate));
    const QString bookTemplate =
        JoinPath(templates(), QStringLiteral("Розрахунок грошової оцінки.xltx"));
    QFile::remove(bookTemplate);
    result = run();
    EXPECT_EQ(result.saved, QStringList({output(0)}));
    EXPECT_EQ(result.error, QStringLiteral("Десь дівся файл звіту \"") + bookTemplate +
                                QStringLiteral("\". Пошукайте самі."));
    EXPECT_FALSE(QFileInfo::exists(output(2)));
    EXPECT_EQ(dataRows().size(), 1);
}

TEST_F(ReportRunTest, WorkbookWithoutItsDataIsNeitherSavedNorRegistered) {
    create(Weighted() + QStringLiteral("UPDATE характеристика SET значення='' WHERE "
                                       "показник='Середня вартість 1 кв м';"));
    const ReportRunResult result = run();
    EXPECT_EQ(result.saved, QStringList({output(0)}));
    EXPECT_FALSE(QFileInfo::exists(output(1)));
    EXPECT_FALSE(QFileInfo::exists(output(2)));
    EXPECT_EQ(dataRows(), QStringList({"3|Технічний звіт.docx|Технічний звіт.docx"}));
    // One message names what is missing for each workbook.
    const QString missing = QStringLiteral(
        "\" не створено, бо немає даних: середня вартість 1 кв м (крок \"Середня вартість\").");
    EXPECT_EQ(result.closing,
              QStringLiteral("Завершено.\rФайл \"Розрахунок грошової оцінки.xlsx") + missing +
                  QStringLiteral("\rФайл \"Розрахунок грошової оцінки з кварталами.xlsx") +
                  missing);
    EXPECT_TRUE(result.closingWarns);
    EXPECT_TRUE(result.error.isEmpty());

    // Districts and zones missing too are named in the same message.
    create(QStringLiteral("UPDATE характеристика SET значення='150.00' WHERE показник='Середня "
                          "вартість 1 кв м';"));
    const ReportRunResult again = run();
    EXPECT_TRUE(again.closing.contains(
        QStringLiteral("\"Розрахунок грошової оцінки.xlsx\" не створено, бо немає даних: "
                       "кількість районів (крок \"Визначення площ\"), зони (крок "
                       "\"Земельно-оціночна структуризація середньо зважена\" або "
                       "\"Земельно-оціночна структуризація Si,Ci,Ei,Ui\").")));
    EXPECT_TRUE(again.closing.contains(
        QStringLiteral("\"Розрахунок грошової оцінки з кварталами.xlsx\" не створено, бо немає "
                       "даних: відомість кварталів (крок \"Локальні фактори поквартально\").")));
}

TEST_F(ReportRunTest, FailedSaveIsTheJobsError) {
    // A folder in the place of the district workbook: its copy cannot be written.
    ASSERT_TRUE(QDir().mkpath(output(1)));
    const ReportRunResult result = run(false);
    EXPECT_EQ(result.saved, QStringList({output(0)}));
    ASSERT_EQ(result.notSaved.size(), 2u);
    EXPECT_EQ(result.notSaved[0].first, output(1));
    EXPECT_FALSE(result.notSaved[0].second.isEmpty());
    EXPECT_FALSE(result.notSaved[0].second.startsWith(QStringLiteral("немає даних")));
    EXPECT_EQ(result.notSaved[1].second,
              QStringLiteral("не заповнювався, бо попередній файл не збережено"));
    EXPECT_EQ(dataRows().size(), 1);
}

TEST_F(ReportRunTest, StopInTheCostTableStillSavesTheReport) {
    auto document =
        WordDocument::open(JoinPath(templates(), QStringLiteral("Технічний звіт.dotx")));
    TMessages result;
    ScriptedProgress progress(output(0), QStringLiteral("Витрати"), 1);
    FillTechnicalReport(*document, result, progress, context());
    EXPECT_EQ(result.Warning, QStringLiteral("Перервано користувачем."));
    EXPECT_TRUE(progress.stopEnabled);
    EXPECT_EQ(progress.infos.first(), QStringLiteral("Підготовка..."));
    EXPECT_EQ(progress.infos.last(), QStringLiteral("Збереження..."));
    EXPECT_TRUE(progress.infos.contains(QStringLiteral("Експорт: Витрати на освоєння земель...")));
    // Every later table is still found and gets its first data row.
    CompareWithGolden(GoldenDir() + QStringLiteral("/stopped-report.txt"),
                      fixtures::DumpReport(output(0)));

    // In a run, a stop ends it before registering.
    class StoppedRunner final : public ReportJobRunner {
    public:
        JobResult runWord(const QString& t, const WordFillProc& fill, const QString& out) override {
            HeadlessJobRunner().runWord(t, fill, out);
            return {true, {}, {}};
        }
        JobResult runExcel(const QString&, const ExcelFillProc&, const QString&) override {
            ADD_FAILURE() << "no workbook after a stop";
            return {};
        }
    } stopped;
    QFile::remove(output(0));
    const ReportRunResult run = RunReports(context(), folder, templates(), stopped, &ask);
    EXPECT_TRUE(run.saved.isEmpty());
    EXPECT_TRUE(dataRows().isEmpty());
    EXPECT_TRUE(run.error.isEmpty());
    EXPECT_TRUE(run.closing.isEmpty());
}

TEST_F(ReportRunTest, FailingTableQueryFailsTheReportAndNothingHalfFilledIsSaved) {
    Query q(&data);
    ASSERT_TRUE(RunQuery(q, QStringLiteral("DROP TABLE анкета"), false));
    auto document =
        WordDocument::open(JoinPath(templates(), QStringLiteral("Технічний звіт.dotx")));
    TMessages result;
    SilentProgress progress(output(0));
    FillTechnicalReport(*document, result, progress, context());
    EXPECT_EQ(result.Error, QStringLiteral("Технічний звіт не заповнено."));
    EXPECT_TRUE(
        result.ErrorDetail.startsWith(QStringLiteral("Вибірка із бази \"анкета\"\rПодробиці: ")));
    EXPECT_FALSE(QFileInfo::exists(output(0)));
}

TEST_F(ReportRunTest, AFailedRegistrationIsAFailureNotAnEntryAlreadyListed) {
    ListEntry entry;
    EXPECT_EQ(RegisterMaterial(data, folder, QStringLiteral("a.docx"), 3, entry),
              Registration::Added);
    EXPECT_EQ(RegisterMaterial(data, folder, QStringLiteral("a.docx"), 3, entry),
              Registration::Listed);
    Query q(&data);
    ASSERT_TRUE(RunQuery(q,
                         QStringLiteral("CREATE TRIGGER full BEFORE INSERT ON data BEGIN "
                                        "SELECT RAISE(ABORT, 'database or disk is full'); END"),
                         false));
    QString error;
    EXPECT_EQ(RegisterMaterial(data, folder, QStringLiteral("b.docx"), 3, entry, &error),
              Registration::Failed);
    EXPECT_TRUE(error.contains(QStringLiteral("диск заповнено")));
}

TEST_F(ReportRunTest, AnEngineFailureInAFillReachesTheRunOnceWithItsText) {
    HeadlessJobRunner jobs;
    const JobResult job = jobs.runWord(
        JoinPath(templates(), QStringLiteral("Технічний звіт.dotx")),
        [](WordDocument& document, TMessages&, JobProgress&) {
            document.setBookmarkText(QStringLiteral("НЕМАЄ"), QStringLiteral("x"));
        },
        output(0));
    EXPECT_EQ(job.error, QStringLiteral("Закладку \"НЕМАЄ\" не знайдено."));
    EXPECT_TRUE(job.errorDetail.isEmpty());
    EXPECT_EQ(LastError(), job.error);
    EXPECT_FALSE(QFileInfo::exists(output(0)));

    // A template the engine cannot open: the file error, with the engine's reason once.
    const QString broken = app.file(QStringLiteral("broken.xltx"));
    WriteTextFile(broken, QStringLiteral("not a zip"));
    const JobResult open = jobs.runExcel(broken, {}, output(1));
    EXPECT_EQ(open.error, OfficeTexts::badFile());
    EXPECT_FALSE(open.errorDetail.isEmpty());
    EXPECT_EQ(LastError(), open.errorDetail);
    EXPECT_FALSE(open.errorDetail.contains(open.error));
}

TEST_F(ReportRunTest, WorkbookWithoutASheetIsTheSheetError) {
    auto blank = Workbook::createBlank();
    QByteArray xml = blank->package().partData(QStringLiteral("xl/workbook.xml"));
    const qsizetype from = xml.indexOf("<sheets>"), to = xml.indexOf("</sheets>");
    ASSERT_TRUE(from > 0 && to > from);
    xml.replace(from, to - from + 9, "<sheets/>");
    blank->package().setPartData(QStringLiteral("xl/workbook.xml"), xml);
    auto book = Workbook::openFromMemory(blank->package().saveToMemory());
    TMessages result;
    SilentProgress progress(output(1));
    WorkbookOutcome outcome;
    FillDistrictWorkbook(*book, result, progress, context(), outcome);
    EXPECT_EQ(result.Error, QStringLiteral("Помилка пошуку аркуша."));
    EXPECT_FALSE(result.ErrorDetail.isEmpty());
    EXPECT_FALSE(outcome.saved);
    EXPECT_FALSE(QFileInfo::exists(output(1)));
}

TEST_F(ReportRunTest, AZoneWithoutKm2IsNamedAndLeftWithoutValues) {
    Query q(&data);
    ASSERT_TRUE(RunQuery(q, QStringLiteral("SELECT min(зона) FROM зони"), true));
    const QString zone = q.text(0);
    ASSERT_TRUE(RunQuery(q, QStringLiteral("DELETE FROM км2 WHERE зона='") + zone + u'\'', false));
    const ReportRunResult result = run(false);
    ASSERT_FALSE(result.notes.isEmpty());
    EXPECT_TRUE(result.notes.first().contains(QStringLiteral("зона ") + zone +
                                              QStringLiteral(" не має Км2")))
        << result.notes.first().toStdString();
    auto book = Workbook::open(output(1));
    ASSERT_TRUE(book);
    Worksheet& sheet = book->worksheet(1);
    for (int row = 7; row < 400; ++row) {
        if (sheet.cellText(row, 2) == zone + QStringLiteral(" ЕКОНОМІКО-ПЛАНУВАЛЬНА ЗОНА")) {
            EXPECT_EQ(sheet.cellText(row + 1, 5), QString());
            EXPECT_EQ(sheet.cellText(row + 1, 39), QString());
            EXPECT_FALSE(sheet.cellText(row + 1, 1).isEmpty());
            return;
        }
    }
    ADD_FAILURE() << "the zone's rows were not found";
}

// The workbooks are filled and written aside while the report's maps are drawn, but each is
// put in place only in its turn: a report that is not saved leaves them unsaved and nothing of
// them beside, and a workbook filled for a job that never ran is kept for no later job.
TEST_F(ReportRunTest, WorkbooksFilledAheadAreSavedOnlyInTheirTurn) {
    // A layer for the maps to draw: without one nothing is filled ahead.
    QTemporaryDir demo;
    const QString demoFolder = CopyDemoSettlement(demo.path());
    if (demoFolder.isEmpty())
        GTEST_SKIP() << "the program folder is not built";
    for (const QString& name : QDir(demoFolder).entryList({QStringLiteral("межі.*")}))
        ASSERT_TRUE(QFile::copy(JoinPath(demoFolder, name), JoinPath(folder, name)));
    // A folder in the place of the report: it cannot be saved.
    ASSERT_TRUE(QDir().mkpath(output(0)));
    const ReportRunResult failed = run(false);
    EXPECT_TRUE(failed.saved.isEmpty());
    ASSERT_EQ(failed.notSaved.size(), 3u);
    EXPECT_EQ(failed.notSaved[2].second,
              QStringLiteral("не заповнювався, бо попередній файл не збережено"));
    EXPECT_FALSE(QFileInfo::exists(output(1)));
    EXPECT_FALSE(QFileInfo::exists(output(2)));
    EXPECT_TRUE(dataRows().isEmpty());
    // Nor is anything of theirs left beside: they were written under hidden names.
    EXPECT_TRUE(
        QDir(folder).entryList({QStringLiteral(".~*")}, QDir::Files | QDir::Hidden).isEmpty());
    ASSERT_TRUE(QDir(output(0)).removeRecursively());

    class NoWorkbookJobs final : public ReportJobRunner {
    public:
        JobResult runWord(const QString& t, const WordFillProc& fill, const QString& out) override {
            return HeadlessJobRunner().runWord(t, fill, out);
        }
        JobResult runExcel(const QString&, const ExcelFillProc&, const QString&) override {
            handed += OfficeJobParams().OpenedWorkbook != nullptr;
            return {};
        }
        int handed = 0;
    } jobs;
    const ReportRunResult report = RunReports(context(), folder, templates(), jobs, nullptr);
    EXPECT_EQ(report.saved, QStringList{output(0)});
    EXPECT_EQ(jobs.handed, 2); // both were filled while the maps were drawn
    EXPECT_FALSE(OfficeJobParams().OpenedWorkbook);
    EXPECT_FALSE(QFileInfo::exists(output(1)));
    EXPECT_TRUE(
        QDir(folder).entryList({QStringLiteral(".~*")}, QDir::Files | QDir::Hidden).isEmpty());
}
