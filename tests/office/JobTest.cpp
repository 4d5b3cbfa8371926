#include "OfficeTestUtil.h"
#include "common/LastError.h"
#include "common/ui/Wait.h"
#include "office/OfficeCall.h"
#include "office/OfficeError.h"
#include "reports/ui/WordUtils.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <new>
#include <stdexcept>

namespace {

class JobTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetLastError(QStringLiteral("старе"));
        reportTemplate =
            PackTemplate(QStringLiteral("report"), app.file(QStringLiteral("звіт.dotx")));
        bookTemplate = PackTemplate(QStringLiteral("book"), app.file(QStringLiteral("книга.xltx")));
        output = app.file(QStringLiteral("Технічний звіт.docx"));
    }
    void openResultsOff() {
        WriteTextFile(app.file(QStringLiteral("settings.dat")),
                      QStringLiteral("[UPDATE]\nServerPath=\n[OFFICE]\nOpenResults=0\n"));
    }
    TempAppDir app;
    RecordingMessages messages;
    RecordingShell shell;
    QString reportTemplate, bookTemplate, output;
};

TEST_F(JobTest, MissingOrBrokenTemplateGivesTheFileError) {
    bool called = false;
    const QString missing = app.file(QStringLiteral("немає.dotx"));
    OfficeJobParams().WordTemplate = missing;
    RunWordJob([&](WordDocument&, TMessages&, JobProgress&) { called = true; }, output);
    EXPECT_FALSE(called);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.last().kind, QStringLiteral("error"));
    EXPECT_EQ(messages.last().caption, QStringLiteral("Word"));
    EXPECT_TRUE(messages.last().text.startsWith(OfficeTexts::badFile() + u'\r'));
    EXPECT_TRUE(messages.last().text.contains(missing));
    EXPECT_EQ(FormWait().ErrorText(), OfficeTexts::badFile());
    EXPECT_TRUE(OfficeJobParams().WordTemplate.isEmpty()); // parameters cleared

    // Not a zip at all, as an Excel template.
    WriteBytes(app.file(QStringLiteral("broken.xltx")), "PK but not really");
    OfficeJobParams().ExcelTemplate = app.file(QStringLiteral("broken.xltx"));
    RunExcelJob(
        QString(), [&](Workbook&, TMessages&, JobProgress&) { called = true; }, output);
    EXPECT_FALSE(called);
    EXPECT_EQ(messages.last().caption, QStringLiteral("Excel"));
    EXPECT_TRUE(messages.last().text.startsWith(OfficeTexts::badFile() + u'\r'));
    EXPECT_TRUE(messages.last().text.contains(QStringLiteral("zip")));
}

TEST_F(JobTest, MissingWorkbookToOpenIsNotFound) {
    const QString path = app.file(QStringLiteral("Склад земель.xls"));
    RunExcelJob(
        path, [](Workbook&, TMessages&, JobProgress&) {}, QString());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.last().caption, QStringLiteral("Excel"));
    EXPECT_EQ(messages.last().text, QStringLiteral("Файл не знайдено.\rНемає файлу \"") +
                                        QDir::toNativeSeparators(path) + QStringLiteral("\"."));
    EXPECT_EQ(FormWait().ErrorText(), QStringLiteral("Файл не знайдено."));
}

TEST_F(JobTest, OfficeCallTurnsWhatTheEngineThrowsIntoTheErrorText) {
    QString error = QStringLiteral("незмінне");
    EXPECT_TRUE(OfficeCall([] {}, &error));
    EXPECT_EQ(error, QStringLiteral("незмінне"));
    EXPECT_FALSE(OfficeCall([] { Workbook::createBlank()->worksheet(5); }, &error));
    EXPECT_EQ(error, QStringLiteral("Аркуша 5 у книзі немає."));
    EXPECT_FALSE(OfficeCall([] { throw std::bad_alloc(); }, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(OfficeCall([] { throw 1; }, &error));
    EXPECT_EQ(error, QStringLiteral("Невідома помилка."));
    EXPECT_FALSE(OfficeCall([] { throw OfficeError(QStringLiteral("без тексту")); }));
}

TEST_F(JobTest, ExceptionInFillBecomesTheJobError) {
    OfficeJobParams().WordTemplate = reportTemplate;
    RunWordJob(
        [](WordDocument& doc, TMessages&, JobProgress&) {
            doc.setBookmarkText(QStringLiteral("НЕМАЄ"), QStringLiteral("x"));
        },
        output);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.last().text, QStringLiteral("Закладку \"НЕМАЄ\" не знайдено.\r"));
    EXPECT_EQ(FormWait().ErrorText(), QStringLiteral("Закладку \"НЕМАЄ\" не знайдено."));
    EXPECT_EQ(LastError(), QStringLiteral("Закладку \"НЕМАЄ\" не знайдено."));
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_FALSE(QFile::exists(output));
}

TEST_F(JobTest, SavedResultIsOpenedAndTheWindowShowsProgress) {
    OfficeJobParams().WordTemplate = reportTemplate;
    QString startInfo;
    bool barHiddenAtStart = false;
    QString counter;
    RunWordJob(
        [&](WordDocument& doc, TMessages&, JobProgress& progress) {
            startInfo = FormWait().infoLabel()->text();
            barHiddenAtStart = FormWait().progressBar()->isHidden();
            progress.setInfo(QStringLiteral("Підготовка..."));
            progress.showProgressBar(true);
            progress.setProgress(10, 9);
            progress.stepProgress();
            progress.stepProgress(); // past the maximum: wraps to 0
            progress.stepProgress();
            counter = FormWait().counterLabel()->text();
            doc.setBookmarkText(QStringLiteral("NP"), QStringLiteral("Тамберон"));
            doc.saveAs(progress.outputPath());
        },
        output);
    EXPECT_EQ(startInfo, QStringLiteral("Запуск Word..."));
    EXPECT_TRUE(LastError().isEmpty());
    EXPECT_TRUE(barHiddenAtStart);
    EXPECT_EQ(counter, QStringLiteral("1 з 10"));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(FormWait().ErrorText().isEmpty());
    EXPECT_FALSE(FormWait().StopRequested());
    EXPECT_EQ(shell.opened, QStringList{output});
    EXPECT_EQ(WordDocument::open(output)->bookmarkText(QStringLiteral("NP")),
              QStringLiteral("Тамберон"));
}

TEST_F(JobTest, StopGivesTheWarningAndNothingIsOpenedWhenTurnedOff) {
    openResultsOff();
    OfficeJobParams().ExcelTemplate = bookTemplate;
    const QString out = app.file(QStringLiteral("Розрахунок.xlsx"));
    int rowsWritten = 0;
    RunExcelJob(
        QString(),
        [&](Workbook& book, TMessages& result, JobProgress& progress) {
            progress.enableStop(true);
            for (int row = 7; row < 1000; ++row) {
                book.worksheet(1).setCellValue(row, 1, QString::number(row));
                ++rowsWritten;
                if (row == 9)
                    QTest::mouseClick(FormWait().stopButton(), Qt::LeftButton);
                progress.processEvents();
                if (progress.stopRequested())
                    break;
            }
            book.saveCopyAs(progress.outputPath());
            if (progress.stopRequested())
                result.Warning = OfficeTexts::stopped();
        },
        out);
    EXPECT_EQ(rowsWritten, 3);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.last().kind, QStringLiteral("warning"));
    EXPECT_EQ(messages.last().text, QStringLiteral("Перервано користувачем."));
    EXPECT_TRUE(FormWait().StopRequested());
    EXPECT_EQ(FormWait().ResultText(), QStringLiteral("Перервано користувачем."));
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_EQ(Workbook::open(out)->worksheet(1).cellText(9, 1), QStringLiteral("9"));
}

TEST_F(JobTest, WorkbookJobClearsAndSetsLastErrorAsTheDocumentJobDoes) {
    OfficeJobParams().ExcelTemplate = bookTemplate;
    RunExcelJob(
        QString(),
        [](Workbook& book, TMessages&, JobProgress&) { book.worksheet(1).setCellValue(0, 1, {}); },
        QString());
    EXPECT_EQ(LastError(), QStringLiteral("Клітинки (0, 1) на аркуші не буває."));
    EXPECT_EQ(FormWait().ErrorText(), LastError());

    // A broken template: LastError holds why it could not be opened.
    WriteBytes(app.file(QStringLiteral("broken.xltx")), "not a zip");
    OfficeJobParams().ExcelTemplate = app.file(QStringLiteral("broken.xltx"));
    RunExcelJob(QString(), {}, QString());
    EXPECT_TRUE(LastError().contains(QStringLiteral("не є ні книгою Excel")))
        << LastError().toStdString();

    // A job that succeeds starts and ends with an empty LastError, windowed or not.
    OfficeJobParams().ExcelTemplate = bookTemplate;
    RunExcelJob(
        QString(), [](Workbook&, TMessages&, JobProgress&) {}, QString());
    EXPECT_TRUE(LastError().isEmpty());
    SetLastError(QStringLiteral("старе"));
    const TMessages headless = RunExcelJobHeadless(
        QString(), [](Workbook& book, TMessages&, JobProgress&) { book.worksheet(5); }, QString());
    EXPECT_EQ(LastError(), QStringLiteral("Аркуша 5 у книзі немає."));
    EXPECT_EQ(headless.Error, LastError());
}

TEST_F(JobTest, StatementOpenedForReadingFromXls) {
    const QString statement = app.file(QStringLiteral("Склад земель.xls"));
    QFile::copy(OfficeTestDir() + QStringLiteral("/data/statement.xls"), statement);
    QString total;
    RunExcelJob(
        statement,
        [&](Workbook& book, TMessages&, JobProgress&) {
            total = book.worksheet(1).cellText(13, 37);
            book.worksheet(1).setCellValue(1, 1, QStringLiteral("x")); // read-only: throws
        },
        QString());
    EXPECT_EQ(total, QStringLiteral("12.4456"));
    EXPECT_FALSE(FormWait().ErrorText().isEmpty());
}

TEST_F(JobTest, HeadlessJobNeverOpensAnything) {
    OfficeJobParams().WordTemplate = reportTemplate;
    const TMessages result =
        RunWordJobHeadless([](WordDocument& doc, TMessages&,
                              JobProgress& progress) { doc.saveAs(progress.outputPath()); },
                           output);
    EXPECT_TRUE(result.Error.isEmpty());
    EXPECT_TRUE(QFile::exists(output));
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_TRUE(messages.messages.empty());

    const TMessages missing =
        RunExcelJobHeadless(app.file(QStringLiteral("x.xlsx")), {}, QString());
    EXPECT_EQ(missing.Error, QStringLiteral("Файл не знайдено."));
}

TEST_F(JobTest, WindowCannotBeClosedWhileTheJobRuns) {
    TFormWait& wait = FormWait();
    wait.StartJob(TFormWait::NoMode, true, QStringLiteral("Готово."));
    bool stillOpen = false;
    wait.setJob([&](TMessages&) {
        wait.close();
        stillOpen = wait.isVisible();
    });
    wait.runModal();
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(wait.isVisible());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.last().kind, QStringLiteral("info"));
    EXPECT_EQ(messages.last().text, QStringLiteral("Готово."));
}

TEST_F(JobTest, ExceptionEscapingTheJobIsTheWindowsError) {
    TFormWait& wait = FormWait();
    wait.StartJob(TFormWait::ExcelMode, true, QString());
    wait.setJob([](TMessages&) { throw std::runtime_error("збій"); });
    wait.runModal();
    EXPECT_EQ(wait.ErrorText(), QStringLiteral("збій"));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.last().caption, QStringLiteral("Excel"));
    EXPECT_EQ(messages.last().text, QStringLiteral("збій\r"));

    // Without announcing, nothing is shown but the error is kept.
    wait.StartJob(TFormWait::WordMode, false, QStringLiteral("Готово."));
    wait.setJob([](TMessages& m) { m.Error = QStringLiteral("помилка"); });
    wait.runModal();
    EXPECT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(wait.ErrorText(), QStringLiteral("помилка"));
}

} // namespace

// A workbook filled before its job is the one the job fills and saves, and the saved file is
// opened as any job's; the job's parameters do not keep it for the next job.
TEST_F(JobTest, WorkbookFilledAheadIsTheJobsWorkbookAndOpenedWhenSaved) {
    std::unique_ptr<Workbook> filled = Workbook::open(bookTemplate);
    filled->worksheet(1).setCellValue(1, 1, QStringLiteral("заповнено заздалегідь"));
    const Workbook* handed = filled.get();
    OfficeJobParams().ExcelTemplate = bookTemplate;
    OfficeJobParams().OpenedWorkbook = std::move(filled);
    const QString saved = app.file(QStringLiteral("Розрахунок.xlsx"));
    const Workbook* given = nullptr;
    RunExcelJob(
        QString(),
        [&](Workbook& book, TMessages&, JobProgress& progress) {
            given = &book;
            book.saveCopyAs(progress.outputPath());
        },
        saved);
    EXPECT_EQ(given, handed);
    EXPECT_TRUE(FormWait().ErrorText().isEmpty());
    EXPECT_EQ(shell.opened, QStringList{saved});
    EXPECT_EQ(Workbook::open(saved)->worksheet(1).cellText(1, 1),
              QStringLiteral("заповнено заздалегідь"));
    EXPECT_FALSE(OfficeJobParams().OpenedWorkbook);

    // The next job opens its template again.
    OfficeJobParams().ExcelTemplate = bookTemplate;
    QString first;
    RunExcelJob(
        QString(),
        [&](Workbook& book, TMessages&, JobProgress&) { first = book.worksheet(1).cellText(1, 1); },
        QString());
    EXPECT_NE(first, QStringLiteral("заповнено заздалегідь"));
}
