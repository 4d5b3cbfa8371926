// The check of the chain on a small settlement made in the test: two districts, each its own
// zone, one plot; what it finds when a stored value or the zoning disagrees.
#include "valuation/Check.h"

#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "tests/steps/support/StepDbTest.h"
#include "valuation/DataStamp.h"
#include "valuation/Km1Tables.h"
#include "valuation/Names.h"
#include "valuation/Settlement.h"
#include "valuation/Typed.h"

#include <QTemporaryDir>

using namespace valuation;

namespace {

class CheckTest : public StepDbTest {
protected:
    void SetUp() override {
        StepDbTest::SetUp();
        // No cost items: Цнм is taken as stored.
        exec(QStringLiteral("DELETE FROM витрати"));
        setIndicator(QStringLiteral("Кількість районів"), QStringLiteral("2"));
        for (const char* d : {"1", "2"})
            exec(QStringLiteral("INSERT INTO характеристика (код,показник,значення) VALUES "
                                "('%1','Площі районів','10')")
                     .arg(QString::fromUtf8(d)));
        setIndicator(QStringLiteral("Чисельність населення (тис. чол.)"), QStringLiteral("1"));
        setIndicator(QStringLiteral("Середня вартість 1 кв м"), QStringLiteral("40.12"));
        // Zone 1 is published at 40.12 x 1.21 = 48.55, zone 2 at 40.12 x 0.90 = 36.11.
        exec(QStringLiteral("INSERT INTO км2 (район,площа,іі,км2,вартість,зона) VALUES "
                            "('1','10','1.21','1.21','48.55','1'),"
                            "('2','10','0.90','0.90','36.11','2')"));
        exec(
            QStringLiteral("INSERT INTO зони (зона,райони,опис) VALUES ('1','1',''),('2','2','')"));
        setIndicator(QStringLiteral("Кількість зон"), QStringLiteral("2"));
        setIndicator(QStringLiteral("Км2, мінімальний"), QStringLiteral("0.90"));
        setIndicator(QStringLiteral("Км2, максимальний"), QStringLiteral("1.21"));
        // A commercial plot in zone 1: 48.55 x 2.50 = 121.38 per sq m.
        exec(QStringLiteral("INSERT INTO ділянки (номер,назва,функц,район,площа,базова,"
                            "розрахункова,загальна) VALUES "
                            "('1','Крамниця','2.50','1','0.1000','40.12','121.38','121380.00')"));
    }

    QStringList check() {
        CheckResult result;
        QString error;
        EXPECT_TRUE(CheckSettlement(project, result, &error)) << error.toStdString();
        return CheckLines(result);
    }
};

} // namespace

TEST_F(CheckTest, APlotIsValuedFromItsZonesPublishedValue) {
    const QStringList lines = check();
    EXPECT_TRUE(lines.isEmpty()) << lines.join(u'\n').toStdString();
    // The value of Цнм x Km2 x Kf rounded once is stale.
    exec(QStringLiteral("UPDATE ділянки SET розрахункова='121.36', загальна='121360.00'"));
    const QString all = check().join(u'\n');
    EXPECT_TRUE(all.contains(QStringLiteral("розрахункова: збережено 121.36, перераховано 121.38")))
        << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("загальна: збережено 121360.00, перераховано "
                                            "121380.00")));
}

TEST_F(CheckTest, OrphanAndMissingKm2RowsAreFindingsAndNoZoneValueComesFromAnOrphan) {
    // District 2 is gone, district 3 is new: zone 2's only row is now an orphan's.
    exec(QStringLiteral("UPDATE характеристика SET код='3' WHERE показник='Площі районів' AND "
                        "код='2'"));
    exec(QStringLiteral("UPDATE км2 SET вартість='99.99' WHERE район='2'"));
    const QString all = check().join(u'\n');
    EXPECT_TRUE(all.contains(QStringLiteral("км2, район 2: рядок району, якого немає серед "
                                            "районів населеного пункту")))
        << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("км2, район 3: район не має рядка")));
    EXPECT_TRUE(all.contains(QStringLiteral("зональне структурування слід виконати знову")));

    Settlement s;
    ASSERT_TRUE(ReadSettlement(project, s));
    ASSERT_NE(s.zone(QStringLiteral("2")), nullptr);
    EXPECT_FALSE(s.zone(QStringLiteral("2"))->hasKm2Row);
    EXPECT_TRUE(s.zone(QStringLiteral("2"))->value.isEmpty());
    EXPECT_EQ(s.zone(QStringLiteral("1"))->value, QStringLiteral("48.55"));
}

TEST_F(CheckTest, ASoilsIndexedBaseValueFollowsItsValueBeforeIndexationAndItsLine) {
    exec(QStringLiteral("INSERT INTO угіддя (тип,шифр,бал_бонітету,площа,вартість) VALUES "
                        "('1','41г','40','12.5','27000.00')"));
    // 30000 x 1.080 = 32400.00 per ha of the average score 48; score 40 gives 27000.00.
    exec(QStringLiteral("INSERT INTO угіддя (тип,бал_бонітету,вартість,до_індексації,індексація) "
                        "VALUES ('1*','48','32400.00','30000','* 1.080 - 2015')"));
    QStringList lines = check();
    EXPECT_TRUE(lines.isEmpty()) << lines.join(u'\n').toStdString();
    // The line's factor changes: the base value and the soil's value follow.
    exec(QStringLiteral("UPDATE угіддя SET індексація='* 1.100 - 2015' WHERE тип='1*'"));
    CheckResult result;
    ASSERT_TRUE(CheckSettlement(project, result));
    const QString all = CheckLines(result).join(u'\n');
    EXPECT_TRUE(all.contains(QStringLiteral("тип 1, базова вартість 1 га: вартість: збережено "
                                            "32400.00, перераховано 33000.00")))
        << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("перераховано 27500.00")));
    ASSERT_TRUE(WriteRecalculated(project, result));
    EXPECT_TRUE(check().isEmpty());
}

TEST_F(CheckTest, TheAssessedTerritoryIsComputedAndATypedOneIsTheValuers) {
    setIndicator(names::ind::TotalArea(), QStringLiteral("500.0000"));
    setIndicator(names::ind::BuiltUp(), QStringLiteral("100.0000"));
    setIndicator(names::ind::HouseholdPlots(), QStringLiteral("20.0000"));
    setIndicator(names::ind::OtherLand(), QStringLiteral("5.0000"));
    setIndicator(names::ind::AssessedArea(), QStringLiteral("125.0000"));
    CheckResult result;
    ASSERT_TRUE(CheckSettlement(project, result));
    EXPECT_TRUE(result.typed.empty());
    // Typed before marks were kept: the valuer's, a note with the computed value beside it.
    setIndicator(names::ind::AssessedArea(), QStringLiteral("130.0000"));
    ASSERT_TRUE(CheckSettlement(project, result));
    EXPECT_TRUE(result.agrees());
    ASSERT_EQ(NoteLines(result).size(), 1);
    EXPECT_EQ(NoteLines(result).first(),
              QStringLiteral("примітка: \"Визначення площ\": показник \"Оціночна територія\": "
                             "уведено оцінювачем 130.0000, обчислене значення 125.0000 "
                             "(забудовані 100.0000, осг 20.0000, інші 5.0000)"));
    // Marked with the computed value it replaced: a change of the land structure is a finding.
    ASSERT_TRUE(MarkIndicatorTyped(project, names::ind::AssessedArea(), QStringLiteral("130.0000"),
                                   true, QStringLiteral("125.0000")));
    setIndicator(names::ind::BuiltUp(), QStringLiteral("110.0000"));
    ASSERT_TRUE(CheckSettlement(project, result));
    EXPECT_FALSE(result.agrees());
    EXPECT_TRUE(CheckLines(result).join(u'\n').contains(
        QStringLiteral("було 125.0000, тепер 135.0000 (забудовані 110.0000")))
        << CheckLines(result).join(u'\n').toStdString();
    // Nothing of it is written by a recalculation.
    ASSERT_TRUE(WriteRecalculated(project, result));
    EXPECT_EQ(indicator(names::ind::AssessedArea()), QStringLiteral("130.0000"));
}

TEST_F(CheckTest, Km1IsTheProductOfItsOptionsAndATypedOneIsTheValuers) {
    const QString first = Km1Text(ParseKm1Options(QStringLiteral("1")));
    const QString second = Km1Text(ParseKm1Options(QStringLiteral("2")));
    ASSERT_NE(first, second);
    setIndicator(names::ind::Km1Options(), QStringLiteral("1"));
    setIndicator(names::ind::Km1(), first);
    CheckResult result;
    ASSERT_TRUE(CheckSettlement(project, result));
    EXPECT_TRUE(result.typed.empty());
    setIndicator(names::ind::Km1(), QStringLiteral("1.777"));
    ASSERT_TRUE(CheckSettlement(project, result));
    EXPECT_TRUE(result.agrees());
    ASSERT_EQ(result.typed.size(), 1u);
    EXPECT_EQ(result.typed[0].computedNow, first);
    // Typed over the product of option 1; the options change: a finding.
    ASSERT_TRUE(
        MarkIndicatorTyped(project, names::ind::Km1(), QStringLiteral("1.777"), true, first));
    setIndicator(names::ind::Km1Options(), QStringLiteral("2"));
    ASSERT_TRUE(CheckSettlement(project, result));
    EXPECT_TRUE(result.typedChanged());
    EXPECT_EQ(result.typed[0].computedNow, second);
}

// Documents made earlier carry their stamp: the same data must give the same bytes hashed.
TEST(DataStampTest, TheStampOfKnownDataStaysWhatDocumentsCarry) {
    QTemporaryDir dir;
    Connection db;
    ASSERT_TRUE(db.create(dir.filePath(QStringLiteral("data.sqlite"))));
    for (const char* sql :
         {"CREATE TABLE zeta (id INTEGER PRIMARY KEY, a TEXT, b TEXT)",
          "INSERT INTO zeta VALUES (1, 'x', NULL), (2, '', 'y')",
          "CREATE TABLE км2 (id INTEGER PRIMARY KEY, вартість TEXT, зона TEXT)",
          "INSERT INTO км2 VALUES (1, '48.55', '1')", "CREATE TABLE порожня (id INTEGER)",
          "CREATE TABLE data (code INTEGER, named TEXT)", "INSERT INTO data VALUES (3, 'звіт')"}) {
        Query q(&db);
        ASSERT_TRUE(RunQuery(q, QString::fromUtf8(sql), false)) << sql;
    }
    QString stamp;
    ASSERT_TRUE(DataStamp(db, stamp));
    EXPECT_EQ(stamp, QStringLiteral("7a3eef33306c713a"));
}

TEST_F(CheckTest, TheDataStampFollowsTheDataAndNothingElse) {
    const auto stampOf = [&] {
        QString stamp;
        QString error;
        EXPECT_TRUE(DataStamp(project, stamp, &error)) << error.toStdString();
        return stamp;
    };
    const QString first = stampOf();
    EXPECT_EQ(first.size(), 16);
    EXPECT_EQ(stampOf(), first);
    // Registering a document, an empty table or an empty column an upgrade adds: the same.
    exec(QStringLiteral("INSERT INTO data (code, named, pathname) VALUES (3, 'звіт.docx', "
                        "'звіт.docx')"));
    exec(QStringLiteral("CREATE TABLE нова (id INTEGER PRIMARY KEY, поле TEXT)"));
    exec(QStringLiteral("ALTER TABLE ділянки ADD COLUMN примітка TEXT"));
    EXPECT_EQ(stampOf(), first);
    // A value changed, and changed back.
    exec(QStringLiteral("UPDATE км2 SET вартість='48.56' WHERE район='1'"));
    EXPECT_NE(stampOf(), first);
    exec(QStringLiteral("UPDATE км2 SET вартість='48.55' WHERE район='1'"));
    EXPECT_EQ(stampOf(), first);
}
