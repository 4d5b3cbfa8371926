// Golden folders: each holds the settlement's input ("input.sql", optionally "catalogue.sql"
// for the catalogue) and what "tamberon report" makes of it: "command.txt" (exit status,
// output and the materials registered) and the dumps of the report and the two workbooks.
// A dump file is there exactly when its file must be saved. TAMBERON_UPDATE_GOLDEN=1 writes
// the dumps instead of comparing them.
#include "ReportFixtures.h"
#include "app/ReportCommand.h"
#include "common/FileUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <gtest/gtest.h>

namespace {

QString GoldenDir() {
    return QStringLiteral(GOLDEN_DIR);
}

bool Updating() {
    return qEnvironmentVariableIntValue("TAMBERON_UPDATE_GOLDEN") == 1;
}

/** Compares a dump with its golden file, showing the first line that differs. */
void Compare(const QString& goldenFile, const QString& actual) {
    if (Updating()) {
        WriteTextFile(goldenFile, actual);
        return;
    }
    const QString expected = ReadTextFile(goldenFile);
    if (expected == actual)
        return;
    const QStringList e = expected.split(u'\n'), a = actual.split(u'\n');
    for (qsizetype i = 0; i < std::max(e.size(), a.size()); ++i) {
        const QString el = i < e.size() ? e[i] : QStringLiteral("<none>");
        const QString al = i < a.size() ? a[i] : QStringLiteral("<none>");
        if (el != al) {
            ADD_FAILURE() << qPrintable(QFileInfo(goldenFile).fileName()) << " line " << i + 1
                          << "\n expected: " << qPrintable(el) << "\n   actual: " << qPrintable(al);
            return;
        }
    }
}

std::vector<std::string> GoldenCases() {
    std::vector<std::string> cases;
    for (const QString& name :
         QDir(GoldenDir()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        cases.push_back(name.toStdString());
    return cases;
}

class Golden : public ::testing::TestWithParam<std::string> {};

} // namespace

TEST_P(Golden, ReportCommandMakesTheExpectedFiles) {
    const QString dir = JoinPath(GoldenDir(), QString::fromStdString(GetParam()));
    RecordingMessages messages;
    TempAppDir app;
    fixtures::MakeTemplates(app.file(QStringLiteral("Шаблон")));
    const QString folder = app.file(QStringLiteral("Проекти/Проект/Село"));
    const QString database = JoinPath(folder, QStringLiteral("data.sqlite"));
    QString error;
    ASSERT_TRUE(fixtures::CreateSettlementDatabase(database, &error)) << qPrintable(error);
    {
        Connection db;
        ASSERT_TRUE(db.open(database));
        ASSERT_TRUE(fixtures::RunScript(
            db, ReadTextFile(JoinPath(dir, QStringLiteral("input.sql"))), &error))
            << qPrintable(error);
    }
    const QString cataloguePath = app.file(QStringLiteral("baza.sqlite"));
    ASSERT_TRUE(fixtures::CreateCatalogue(cataloguePath, 30, folder, QStringLiteral("с. Тестове")));
    if (QFileInfo::exists(JoinPath(dir, QStringLiteral("catalogue.sql")))) {
        Connection db;
        ASSERT_TRUE(db.open(cataloguePath));
        ASSERT_TRUE(fixtures::RunScript(
            db, ReadTextFile(JoinPath(dir, QStringLiteral("catalogue.sql"))), &error))
            << qPrintable(error);
    }

    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int status = RunReportCommand({folder}, app.path(), outStream, errStream);
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
    Compare(JoinPath(dir, QStringLiteral("command.txt")), command);

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
                Compare(golden, QFileInfo(output).suffix() == QLatin1String("docx")
                                    ? fixtures::DumpReport(output)
                                    : fixtures::DumpWorkbook(output));
            continue;
        }
        ASSERT_EQ(QFileInfo::exists(golden), QFileInfo::exists(output))
            << qPrintable(QString::fromUtf8(outputName));
        if (!QFileInfo::exists(output))
            continue;
        Compare(golden, QFileInfo(output).suffix() == QLatin1String("docx")
                            ? fixtures::DumpReport(output)
                            : fixtures::DumpWorkbook(output));
    }
}

INSTANTIATE_TEST_SUITE_P(Folders, Golden, ::testing::ValuesIn(GoldenCases()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });
