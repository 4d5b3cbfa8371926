// The one upgrade of a settlement's database: an old-shape database gets its missing tables
// and columns, keeps every row, and a second run changes nothing.
#include "valuation/Schema.h"
#include "common/LastError.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "tests/steps/support/StepDbTest.h"

namespace {

class SchemaTest : public StepDbTest {
protected:
    /** The database as an older version left it: narrower tables, two tables missing. */
    void makeOldShape() {
        exec(QStringLiteral("DROP TABLE км2"));
        exec(QStringLiteral("CREATE TABLE км2 (id AUTOINCREMENT, район nvarchar (50), площа "
                            "nvarchar (50), іі nvarchar (50), км2 nvarchar (50))"));
        exec(QStringLiteral("INSERT INTO км2 (район, км2) VALUES ('1', '1.20')"));
        exec(QStringLiteral("DROP TABLE угіддя"));
        exec(QStringLiteral("CREATE TABLE угіддя (id AUTOINCREMENT, тип nvarchar (10), шифр "
                            "nvarchar (50), вартість nvarchar (50))"));
        exec(QStringLiteral("INSERT INTO угіддя (тип, шифр, вартість) VALUES ('1', '53г', '9')"));
        exec(QStringLiteral("DROP TABLE анкета"));
        exec(QStringLiteral("CREATE TABLE анкета (id AUTOINCREMENT, район nvarchar (50), фактор "
                            "nvarchar (50), оцінка nvarchar (50))"));
        exec(QStringLiteral("INSERT INTO анкета (район, фактор, оцінка) VALUES ('1', 'Б', '5')"));
        exec(QStringLiteral("DROP TABLE IF EXISTS функціональне"));
        exec(QStringLiteral("DROP TABLE IF EXISTS відомість_кварталів"));
    }

    /** The columns of a table, in order. */
    QStringList columns(const QString& table) {
        return column(QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(table));
    }

    /** The declared size of "анкета"'s factor column. */
    int factorSize() {
        Query q(&project);
        if (!RunQuery(q, QStringLiteral("SELECT фактор FROM анкета WHERE id=0"), true) ||
            q.fields().empty())
            return -1;
        return q.fields().front().size;
    }

    /** Every table's statement, to compare two runs. */
    QStringList schema() {
        return column(QStringLiteral("SELECT sql FROM sqlite_master ORDER BY name"));
    }
};

} // namespace

TEST_F(SchemaTest, AnOldDatabaseGetsTheCurrentShapeAndKeepsItsRows) {
    makeOldShape();
    ASSERT_TRUE(valuation::UpgradeSettlementDatabase(project)) << LastError().toStdString();

    EXPECT_TRUE(TableExists(project, QStringLiteral("функціональне")));
    EXPECT_TRUE(TableExists(project, QStringLiteral("відомість_кварталів")));
    const QStringList functional = columns(QStringLiteral("функціональне"));
    EXPECT_EQ(functional.size(), 22); // id, район, ф_1..ф_20
    EXPECT_EQ(functional.last(), QStringLiteral("ф_20"));
    const QStringList quarters = columns(QStringLiteral("відомість_кварталів"));
    EXPECT_EQ(quarters.size(), 6 + valuation::QuarterStoredFactors);
    EXPECT_EQ(quarters.last(), QStringLiteral("лок_30"));
    EXPECT_EQ(columns(QStringLiteral("км2")).mid(5), (QStringList{"si", "ei", "ui", "ci"}));
    EXPECT_EQ(columns(QStringLiteral("угіддя")).mid(4),
              (QStringList{"до_індексації", "індексація"}));
    EXPECT_EQ(factorSize(), 150);

    // Nothing stored is lost or changed.
    // The added columns are empty texts, as the template declares them.
    EXPECT_EQ(column(QStringLiteral("SELECT район || '/' || км2 || '/' || ifnull(si, 'null') "
                                    "FROM км2")),
              QStringList{"1/1.20/"});
    EXPECT_EQ(column(QStringLiteral("SELECT шифр || '/' || вартість FROM угіддя")),
              QStringList{"53г/9"});
    EXPECT_EQ(column(QStringLiteral("SELECT фактор || '/' || оцінка FROM анкета")),
              QStringList{"Б/5"});
}

TEST_F(SchemaTest, ASecondRunAndACurrentDatabaseAreLeftAsTheyAre) {
    // The shipped template already has the current columns: only the two tables are made.
    const QStringList km2 = columns(QStringLiteral("км2"));
    ASSERT_TRUE(valuation::UpgradeSettlementDatabase(project)) << LastError().toStdString();
    EXPECT_EQ(columns(QStringLiteral("км2")), km2);
    exec(QStringLiteral("INSERT INTO функціональне (район, ф_1) VALUES ('1', '2.5000')"));
    const QStringList before = schema();
    ASSERT_TRUE(valuation::UpgradeSettlementDatabase(project)) << LastError().toStdString();
    EXPECT_EQ(schema(), before);
    EXPECT_EQ(column(QStringLiteral("SELECT район || '/' || ф_1 FROM функціональне")),
              QStringList{"1/2.5000"});

    makeOldShape();
    ASSERT_TRUE(valuation::UpgradeSettlementDatabase(project));
    const QStringList upgraded = schema();
    ASSERT_TRUE(valuation::UpgradeSettlementDatabase(project));
    EXPECT_EQ(schema(), upgraded);
}

TEST_F(SchemaTest, AFailingStepIsReportedAndTheOthersStillRun) {
    makeOldShape();
    // A view in the place of a table the upgrade makes: that table cannot be made.
    exec(QStringLiteral("CREATE VIEW функціональне AS SELECT 1 AS район"));
    QString error;
    EXPECT_FALSE(valuation::UpgradeSettlementDatabase(project, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("функціональне"))) << error.toStdString();
    EXPECT_TRUE(TableExists(project, QStringLiteral("відомість_кварталів")));
    EXPECT_EQ(columns(QStringLiteral("км2")).mid(5), (QStringList{"si", "ei", "ui", "ci"}));
    EXPECT_EQ(columns(QStringLiteral("угіддя")).mid(4),
              (QStringList{"до_індексації", "індексація"}));
    EXPECT_EQ(factorSize(), 150);
}
