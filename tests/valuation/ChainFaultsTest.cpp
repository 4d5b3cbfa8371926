// "tamberon check" and "recalc" on damaged copies of the demonstration settlement, written by
// the demonstration generator for this run (not taken from the built program folder): a missing
// table, a number no valuation takes, an option for a folder, a copy that cannot be made.
// Each is refused or told; nothing stored is changed from a damaged settlement.
#include "commands/ChainCommand.h"
#include "common/FileUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "tests/support/DemoOnce.h"
#include "tests/support/TestSupport.h"
#include "tools/demo/DemoSettlement.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

class ChainFaults : public ::testing::Test {
protected:
    /** The demonstration, written once for the tests from the settlement templates. */
    static void SetUpTestSuite() { demo.write(); }
    static void TearDownTestSuite() { demo.clear(); }
    void SetUp() override {
        ASSERT_TRUE(demo.written()) << demo.error().toStdString();
        prepare(QStringLiteral("с. Демонстраційне"));
    }
    static QString source() { return demo.settlementFolder(); }
    static inline DemoOnce demo;

    /** A fresh copy of the demonstration settlement in `folder`, its database open. */
    void prepare(const QString& name) {
        db.close();
        folder = dir.filePath(name);
        QDir().mkpath(folder);
        for (const QString& file : QDir(source()).entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(JoinPath(source(), file), JoinPath(folder, file)));
        ASSERT_TRUE(db.open(JoinPath(folder, QStringLiteral("data.sqlite"))));
    }

    void exec(const QString& sql) {
        Query q(&db);
        ASSERT_TRUE(RunQuery(q, sql, false)) << LastError().toStdString();
    }
    QString value(const QString& sql) {
        Query q(&db);
        return RunQuery(q, sql, true) && !q.eof() ? q.text(0) : QStringLiteral("<none>");
    }
    /** Every stored value the chain writes, to compare before and after. */
    QString stored() {
        QString all;
        for (const char* sql :
             {"SELECT group_concat(значення, '|') FROM характеристика",
              "SELECT group_concat(вартість || км2, '|') FROM км2",
              "SELECT group_concat(всього, '|') FROM витрати", "SELECT count(*) FROM ділянки"})
            all += value(QString::fromUtf8(sql)) + u'\n';
        return all;
    }

    Outcome run(bool recalc, const QStringList& args) {
        Outcome r;
        QTextStream out(&r.out), err(&r.err);
        r.status =
            recalc ? RunRecalcCommand(args, app.path(), out, err) : RunCheckCommand(args, out, err);
        out.flush();
        err.flush();
        return r;
    }
    Outcome run(bool recalc) { return run(recalc, {folder}); }

    TempAppDir app;
    QTemporaryDir dir;
    QString folder;
    Connection db;
};

} // namespace

TEST_F(ChainFaults, AMissingTableIsNamedAndNothingIsComputedFromDefaults) {
    for (const char* table : {"км2", "локальні"}) {
        SCOPED_TRACE(table);
        prepare(QString::fromUtf8(table));
        exec(QStringLiteral("DROP TABLE ") + QString::fromUtf8(table));
        const QString before = stored();
        for (bool recalc : {false, true}) {
            const Outcome r = run(recalc);
            EXPECT_EQ(r.status, 2) << r.err.toStdString();
            EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
            EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
            EXPECT_TRUE(r.err.contains(QString::fromUtf8(table) + QStringLiteral(" (немає)")))
                << r.err.toStdString();
        }
        EXPECT_EQ(stored(), before);
    }
}

TEST_F(ChainFaults, ANumberNoValuationTakesIsAnInputErrorAndRecalcWritesNothing) {
    exec(QStringLiteral("UPDATE витрати SET кількість='1e308' WHERE rowid=(SELECT min(rowid) "
                        "FROM витрати WHERE кількість<>'')"));
    exec(QStringLiteral("UPDATE локальні SET коефіціент='inf' WHERE rowid=(SELECT min(rowid) "
                        "FROM локальні)"));
    const QString damaged = stored();
    Outcome r = run(false);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral("Вихідні дані: таблиця \"витрати\", рядок ")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("стовпець \"кількість\": число \"1e308\" поза "
                                              "межами")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("\"inf\" не є скінченним числом")))
        << r.out.toStdString();

    r = run(true);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_TRUE(r.err.endsWith(QStringLiteral("Нічого не змінено: виправте вихідні дані.\n")))
        << r.err.toStdString();
    EXPECT_EQ(stored(), damaged);
}

TEST_F(ChainFaults, AnOptionIsNeverTakenForTheFolder) {
    for (bool recalc : {false, true}) {
        for (const char* option : {"--json", "-q"}) {
            const Outcome r = run(recalc, {QString::fromLatin1(option)});
            EXPECT_EQ(r.status, 2) << option;
            EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
            EXPECT_TRUE(r.err.startsWith(QStringLiteral("Незрозумілий параметр \"") +
                                         QString::fromLatin1(option)))
                << r.err.toStdString();
        }
    }
}

TEST_F(ChainFaults, RecalcTellsThatItsAutomaticCopyFailed) {
    // The copies' folder cannot be made: a file stands in its place.
    QDir().mkpath(app.file(QStringLiteral("Temp")));
    WriteTextFile(app.file(QStringLiteral("Temp/Копії")), QStringLiteral("не папка"));
    exec(QStringLiteral("UPDATE характеристика SET значення='1.300' WHERE показник='Км1'"));
    const Outcome r = run(true);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_FALSE(r.out.isEmpty());
    const QStringList lines = r.err.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << r.err.toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("копі"), Qt::CaseInsensitive))
        << lines[0].toStdString();
}
