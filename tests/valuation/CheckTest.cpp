// The check of the chain on a small settlement made in the test: two districts, each its own
// zone, one plot; what it finds when a stored value or the zoning disagrees.
#include "valuation/Check.h"

#include "tests/steps/support/StepDbTest.h"
#include "valuation/Settlement.h"

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
