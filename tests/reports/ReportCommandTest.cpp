// "tamberon report FOLDER": its exit statuses and messages, in-process and as the real program
// started without any display.
#include "commands/ReportCommand.h"
#include "ReportFixtures.h"
#include "common/FileUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "office/CustomProperties.h"
#include "office/Document.h"
#include "reports/ReportRun.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"
#include "valuation/DataStamp.h"
#include "valuation/Indicators.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>
#include <csignal>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

Outcome Report(const QStringList& arguments, const QString& appDir) {
    Outcome o;
    QTextStream out(&o.out), err(&o.err);
    o.status = RunReportCommand(arguments, appDir, out, err);
    out.flush();
    err.flush();
    return o;
}

} // namespace

TEST(ReportCommand, ExitStatusesAndMessages) {
    RecordingMessages messages;
    TempAppDir app;
    const QString folder = app.file(QStringLiteral("Село"));

    Outcome o = Report({QStringLiteral("--help")}, app.path());
    EXPECT_EQ(o.status, 0);
    EXPECT_TRUE(o.out.contains(QStringLiteral("tamberon report ПАПКА")));
    EXPECT_TRUE(o.out.contains(QStringLiteral("Код завершення")));

    o = Report({}, app.path());
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(o.out.isEmpty());
    EXPECT_EQ(o.err.count(u'\n'), 1);

    o = Report({folder}, app.path());
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.err, QStringLiteral("Папки \"") + folder + QStringLiteral("\" немає.\n"));

    ASSERT_TRUE(QDir().mkpath(folder));
    o = Report({folder}, app.path());
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.err, QStringLiteral("У папці \"") + folder +
                         QStringLiteral("\" немає бази населеного пункту \"data.sqlite\".\n"));

    // Not a database at all, then a database cut short.
    const QString database = JoinPath(folder, QStringLiteral("data.sqlite"));
    WriteTextFile(database,
                  QStringLiteral("це не база даних, а просто текст, довший за заголовок"));
    o = Report({folder}, app.path());
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(o.err.contains(QStringLiteral("пошкоджена")));
    EXPECT_EQ(o.err.count(u'\n'), 1);
    ASSERT_TRUE(fixtures::CreateSettlement(app.path(), folder, QString()));
    {
        QFile file(database);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.resize(file.size() / 2);
    }
    o = Report({folder}, app.path());
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(o.err.contains(QStringLiteral("пошкоджена"))) << qPrintable(o.err);
    EXPECT_EQ(o.err.count(u'\n'), 1);

    // A project's database is not a settlement's.
    QFile::remove(database);
    {
        Connection db;
        ASSERT_TRUE(db.create(database));
        ASSERT_TRUE(
            fixtures::RunScript(db, fixtures::SourceFile(QStringLiteral("data/project.sql"))));
    }
    o = Report({folder}, app.path());
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(o.err.contains(QStringLiteral("не є базою населеного пункту")));

    // A settlement with nothing to calculate: the report only, the reasons for the rest.
    ASSERT_TRUE(fixtures::CreateSettlement(app.path(), folder, QString()));
    o = Report({folder}, app.path());
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, JoinPath(folder, QStringLiteral("Технічний звіт.docx")) + u'\n');
    EXPECT_EQ(o.err.count(QStringLiteral("Не збережено")), 2);
    // A relative folder is taken from the current one; the catalogue gives the name.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(app.path());
    o = Report({QStringLiteral("Село/")}, app.path());
    QDir::setCurrent(previous);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, JoinPath(folder, QStringLiteral("Технічний звіт.docx")) + u'\n');
    EXPECT_TRUE(messages.messages.empty());
}

TEST(ReportCommand, NameFromTheInformationOrTheFolder) {
    RecordingMessages messages;
    TempAppDir app;
    const QString folder = app.file(QStringLiteral("Вишневе"));
    ASSERT_TRUE(fixtures::CreateSettlement(
        app.path(), folder,
        QStringLiteral("UPDATE показники SET значення='с. Вишневе' WHERE показник='Назва';")));
    auto reportName = [&] {
        auto doc = WordDocument::open(JoinPath(folder, QStringLiteral("Технічний звіт.docx")));
        return doc->bookmarkText(QStringLiteral("NP"));
    };
    // The catalogue row of the folder wins.
    EXPECT_EQ(Report({folder}, app.path()).status, 1);
    EXPECT_EQ(reportName(), QStringLiteral("с. Тестове"));
    // Without it, the settlement's information; without that, the folder's name.
    Connection catalogue;
    ASSERT_TRUE(catalogue.open(app.file(QStringLiteral("baza.sqlite"))));
    Query q(&catalogue);
    ASSERT_TRUE(RunQuery(q, QStringLiteral("DELETE FROM projects"), false));
    catalogue.close();
    Report({folder}, app.path());
    EXPECT_EQ(reportName(), QStringLiteral("с. Вишневе"));
    {
        Connection db;
        ASSERT_TRUE(db.open(JoinPath(folder, QStringLiteral("data.sqlite"))));
        Query d(&db);
        ASSERT_TRUE(RunQuery(d, QStringLiteral("UPDATE показники SET значення=''"), false));
    }
    Report({folder}, app.path());
    EXPECT_EQ(reportName(), QStringLiteral("Вишневе"));
}

// A report run killed while it writes the report leaves the old report whole and its
// temporary files behind; a run on a full disk fails with nothing saved and nothing left; the
// next run of the same output removes what the killed one left.
TEST(ReportCommand, KilledOrOutOfDiskTheOldReportStaysAndLeftoversGo) {
    RecordingMessages messages;
    TempAppDir app;
    const QString folder = app.file(QStringLiteral("Село"));
    ASSERT_TRUE(fixtures::CreateSettlement(app.path(), folder, QString()));
    const QString report = JoinPath(folder, QStringLiteral("Технічний звіт.docx"));
    ASSERT_EQ(Report({folder}, app.path()).status, 1);
    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray before = file.readAll();
    file.close();
    ASSERT_GT(before.size(), 2048);
    // No automatic copy here: the size limit is for the report's own writing.
    ASSERT_TRUE(DeleteFolder(app.file(QStringLiteral("Temp/Копії"))));
    WriteTextFile(app.file(QStringLiteral("Temp/Копії")), QStringLiteral("не папка"));
    auto leftovers = [&] {
        return QDir(folder).entryList({QStringLiteral(".~*")}, QDir::Files | QDir::Hidden);
    };
    auto run = [&] { return Report({folder}, app.path()).out.isEmpty() ? 5 : 0; };
    // The run without its copy says so once, and goes on.
    const Outcome first = Report({folder}, app.path());
    EXPECT_EQ(first.out, report + u'\n');
    EXPECT_TRUE(first.err.startsWith(
        QStringLiteral("Автоматичні копії баз даних не вдається зберігати в папці")))
        << first.err.toStdString();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    before = file.readAll();
    file.close();

    const ChildOutcome killed = RunInChild(run, 1024, OverLimit::Kill);
    ASSERT_EQ(killed.signal, SIGXFSZ);
    EXPECT_FALSE(leftovers().isEmpty());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    file.close();

    const ChildOutcome full = RunInChild(run, 1024, OverLimit::Fail);
    ASSERT_TRUE(full.exited);
    EXPECT_EQ(full.status, 5); // nothing saved
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    file.close();
    EXPECT_TRUE(leftovers().isEmpty()); // the earlier ones removed, its own too

    const ChildOutcome killedAgain = RunInChild(run, 1024, OverLimit::Kill);
    ASSERT_EQ(killedAgain.signal, SIGXFSZ);
    EXPECT_FALSE(leftovers().isEmpty());
    const Outcome o = Report({folder}, app.path());
    EXPECT_EQ(o.out, report + u'\n');
    EXPECT_TRUE(leftovers().isEmpty());
}

// A sound settlement whose path is longer than SQLite opens: the message names the path's
// length as the cause and never calls the database damaged.
TEST(ReportCommand, APathTooLongIsNotADamagedDatabase) {
    RecordingMessages messages;
    TempAppDir app;
    const QString made = app.file(QStringLiteral("Село"));
    ASSERT_TRUE(fixtures::CreateSettlement(app.path(), made, QString()));
    QString parent = app.path();
    for (int i = 0; i < 3; ++i)
        parent += u'/' + QString(120, QChar(u'ж'));
    ASSERT_TRUE(QDir().mkpath(parent));
    const QString folder = parent + QStringLiteral("/Село");
    ASSERT_TRUE(QDir().rename(made, folder));
    const Outcome o = Report({folder}, app.path());
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(o.err.contains(QStringLiteral("\" не відкривається: Шлях до бази даних")))
        << o.err.toStdString();
    EXPECT_TRUE(o.err.contains(QStringLiteral("задовгий")));
    EXPECT_FALSE(o.err.contains(QStringLiteral("пошкоджена")));
}

TEST(ReportCommand, RealProgramNeedsNoDisplay) {
    const QString program = JoinPath(BuiltAppDir(), QStringLiteral("tamberon"));
    if (!QFileInfo::exists(program))
        GTEST_SKIP() << "the program is not built";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    auto run = [&](const QStringList& arguments) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, QStringList{QStringLiteral("report")} + arguments);
        EXPECT_TRUE(p.waitForFinished(60000));
        return std::make_tuple(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                               QString::fromUtf8(p.readAllStandardError()));
    };
    auto [status, out, err] = run({QStringLiteral("--help")});
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(out.contains(QStringLiteral("tamberon report ПАПКА")));
    QTemporaryDir missing;
    std::tie(status, out, err) = run({missing.filePath(QStringLiteral("немає"))});
    EXPECT_EQ(status, 2);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_EQ(err.count(u'\n'), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("немає.")));
}

TEST(ReportCommand, AStaleSettlementIsRefusedUnlessAnywayAndDocumentsCarryTheirDataState) {
    RecordingMessages messages;
    TempAppDir app;
    const QString folder = app.file(QStringLiteral("Село"));
    ASSERT_TRUE(fixtures::CreateSettlement(app.path(), folder, QString()));
    const QString report = JoinPath(folder, QStringLiteral("Технічний звіт.docx"));
    const QString workbookName = reports::ReportFiles()[1].outputName;
    const QString workbook = JoinPath(folder, workbookName);
    Connection db;
    ASSERT_TRUE(db.open(JoinPath(folder, QStringLiteral("data.sqlite"))));
    const auto listed = [&](const QString& name) {
        Query q(&db);
        return RunQuery(q,
                        QStringLiteral("SELECT id FROM data WHERE named='") + name +
                            QStringLiteral("'"),
                        true) &&
               !q.eof();
    };
    // Last run's workbook, listed, though there are no data to make it again.
    WriteTextFile(workbook, QStringLiteral("старий розрахунок"));
    ListEntry entry;
    ASSERT_EQ(
        reports::RegisterMaterial(db, folder, workbookName, reports::ReportFiles()[1].code, entry),
        reports::Registration::Added);

    Outcome o = Report({folder}, app.path());
    EXPECT_EQ(o.status, 1); // the workbooks have no data
    EXPECT_FALSE(QFileInfo::exists(workbook));
    EXPECT_FALSE(listed(workbookName));
    EXPECT_TRUE(o.err.contains(QStringLiteral("Видалено файл попереднього звіту \"") + workbook))
        << qPrintable(o.err);
    // The report carries the data's stamp: nothing is older than its data.
    QString stamp;
    ASSERT_TRUE(office::ReadCustomProperty(report, valuation::DataStampProperty(), stamp));
    EXPECT_FALSE(stamp.isEmpty());
    QStringList older;
    ASSERT_TRUE(reports::DocumentsOlderThanData(db, folder, older));
    EXPECT_TRUE(older.isEmpty()) << qPrintable(older.join(u'\n'));
    EXPECT_NE(WordDocument::open(report)->bookmarkText(reports::UncheckedBookmark()),
              reports::UncheckedText());

    // В and Км1 given, Цнм not recalculated: the settlement is stale, the report refused.
    ASSERT_TRUE(
        WriteIndicator(db, QStringLiteral("Витрати на освоювання"), QStringLiteral("10.00")));
    ASSERT_TRUE(WriteIndicator(db, QStringLiteral("Км1"), QStringLiteral("1.200")));
    ASSERT_TRUE(reports::DocumentsOlderThanData(db, folder, older));
    EXPECT_EQ(older, QStringList{QStringLiteral("Технічний звіт.docx складено до зміни даних; "
                                                "заповніть звіт знову")});
    o = Report({folder}, app.path());
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(o.out.contains(QStringLiteral("перераховано 24.00"))) << qPrintable(o.out);
    EXPECT_TRUE(o.err.contains(QStringLiteral("звіт не заповнено")));
    EXPECT_TRUE(o.err.contains(QStringLiteral("--anyway")));
    QString unchanged;
    ASSERT_TRUE(office::ReadCustomProperty(report, valuation::DataStampProperty(), unchanged));
    EXPECT_EQ(unchanged, stamp);

    // All the same: made, and its title page says so.
    o = Report({QStringLiteral("--anyway"), folder}, app.path());
    EXPECT_EQ(o.out, report + u'\n');
    EXPECT_TRUE(o.err.contains(QStringLiteral("розрахунок не перевірено")));
    EXPECT_EQ(WordDocument::open(report)->bookmarkText(reports::UncheckedBookmark()),
              QStringLiteral("розрахунок не перевірено"));
    ASSERT_TRUE(reports::DocumentsOlderThanData(db, folder, older));
    EXPECT_TRUE(older.isEmpty());
    EXPECT_TRUE(messages.messages.empty());
}
