// Golden folders: each holds the settlement's input ("input.sql", optionally "catalogue.sql"
// for the catalogue) and what "tamberon report" makes of it: "command.txt" (exit status,
// output and the materials registered) and the dumps of the report and the two workbooks.
// A dump file is there exactly when its file must be saved. TAMBERON_UPDATE_GOLDEN=1 writes
// the dumps instead of comparing them.
#include "GoldenCompare.h"
#include "ReportFixtures.h"
#include "commands/ReportCommand.h"
#include "common/FileUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <gtest/gtest.h>

QString GoldenDir() {
    return QStringLiteral(GOLDEN_DIR);
}

namespace {

bool Updating() {
    return qEnvironmentVariableIntValue("TAMBERON_UPDATE_GOLDEN") == 1;
}

} // namespace

/** Compares a dump with its golden file (or writes it when updating). */
void CompareWithGolden(const QString& goldenFile, const QString& actual) {
    if (Updating()) {
        WriteTextFile(goldenFile, actual);
        return;
    }
    const QString difference = fixtures::FirstDifference(ReadTextFile(goldenFile), actual);
    if (!difference.isEmpty())
        ADD_FAILURE() << qPrintable(QFileInfo(goldenFile).fileName()) << ' '
                      << qPrintable(difference);
}

namespace {

std::vector<std::string> GoldenCases() {
    std::vector<std::string> cases;
    for (const QString& name : QDir(JoinPath(GoldenDir(), QStringLiteral("cases")))
                                   .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        cases.push_back(name.toStdString());
    return cases;
}

class Golden : public ::testing::TestWithParam<std::string> {};

} // namespace

TEST_P(Golden, ReportCommandMakesTheExpectedFiles) {
    const QString dir =
        JoinPath(GoldenDir(), QStringLiteral("cases/") + QString::fromStdString(GetParam()));
    RecordingMessages messages;
    TempAppDir app;
    const QString folder = app.file(QStringLiteral("Проекти/Проект/Село"));
    const QString database = JoinPath(folder, QStringLiteral("data.sqlite"));
    QString error;
    ASSERT_TRUE(fixtures::CreateSettlement(
        app.path(), folder, ReadTextFile(JoinPath(dir, QStringLiteral("input.sql"))), &error))
        << qPrintable(error);
    const QString cataloguePath = app.file(QStringLiteral("baza.sqlite"));
    if (QFileInfo::exists(JoinPath(dir, QStringLiteral("catalogue.sql")))) {
        Connection db;
        ASSERT_TRUE(db.open(cataloguePath));
        ASSERT_TRUE(fixtures::RunScript(
            db, ReadTextFile(JoinPath(dir, QStringLiteral("catalogue.sql"))), &error))
            << qPrintable(error);
    }

    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    // The cases are made to exercise the fill, stale or not: the check does not stop them.
    const int status =
        RunReportCommand({QStringLiteral("--anyway"), folder}, app.path(), outStream, errStream);
    outStream.flush();
    errStream.flush();
    QString command = QStringLiteral("exit: %1\n--- stdout\n%2--- stderr\n%3--- data\n")
                          .arg(status)
                          .arg(out, err);
    {
        Connection db;
        ASSERT_TRUE(db.open(database));
        Query q(&db);
        ASSERT_TRUE(RunQuery(
            q, QStringLiteral("SELECT code, named, pathname FROM data ORDER BY id"), true));
        for (q.first(); !q.eof(); q.next())
            command += q.texts().join(QStringLiteral(" | ")) + u'\n';
    }
    command.replace(folder, QStringLiteral("FOLDER"));
    command.replace(app.path(), QStringLiteral("APP"));
    CompareWithGolden(JoinPath(dir, QStringLiteral("command.txt")), command);

    const std::pair<const char*, const char*> outputs[] = {
        {"report.txt", "Технічний звіт.docx"},
        {"district.txt", "Розрахунок грошової оцінки.xlsx"},
        {"quarter.txt", "Розрахунок грошової оцінки з кварталами.xlsx"},
    };
    for (const auto& [goldenName, outputName] : outputs) {
        const QString golden = JoinPath(dir, QString::fromUtf8(goldenName));
        const QString output = JoinPath(folder, QString::fromUtf8(outputName));
        if (Updating()) {
            QFile::remove(golden);
            if (QFileInfo::exists(output))
                CompareWithGolden(golden, QFileInfo(output).suffix() == QLatin1String("docx")
                                              ? fixtures::DumpReport(output)
                                              : fixtures::DumpWorkbook(output));
            continue;
        }
        ASSERT_EQ(QFileInfo::exists(golden), QFileInfo::exists(output))
            << qPrintable(QString::fromUtf8(outputName));
        if (!QFileInfo::exists(output))
            continue;
        CompareWithGolden(golden, QFileInfo(output).suffix() == QLatin1String("docx")
                                      ? fixtures::DumpReport(output)
                                      : fixtures::DumpWorkbook(output));
    }
}

INSTANTIATE_TEST_SUITE_P(Folders, Golden, ::testing::ValuesIn(GoldenCases()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });
