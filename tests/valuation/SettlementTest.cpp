#include "valuation/Settlement.h"

#include "tests/steps/support/StepDbTest.h"
#include "valuation/ZonalGrids.h"

using namespace valuation;

namespace {

class SettlementTest : public StepDbTest {
protected:
    void SetUp() override {
        StepDbTest::SetUp();
        setIndicator(QStringLiteral("Кількість районів"), QStringLiteral("3"));
        for (const char* d : {"10", "2", "1"})
            exec(QStringLiteral("INSERT INTO характеристика (код,показник,значення) VALUES "
                                "('%1','Площі районів','5')")
                     .arg(QString::fromUtf8(d)));
        setIndicator(QStringLiteral("Середня вартість 1 кв м"), QStringLiteral("57.41"));
        exec(QStringLiteral("INSERT INTO км2 (район,км2,вартість,зона) VALUES "
                            "('2','1.20','68.89','1'),('1','1.20','68.89','1'),"
                            "('10','0.90','51.67','2')"));
        exec(QStringLiteral("INSERT INTO зони (зона,райони,опис) VALUES ('2','10',''),"
                            "('1','1, 2','центр'),('3','','')"));
        exec(QStringLiteral("INSERT INTO локальні (район,фактор,коефіціент) VALUES "
                            "('1','1','1.10'),('1','2','0.95'),('2','1',''),('10','3','abc')"));
    }
};

} // namespace

TEST_F(SettlementTest, ReadsTheSharedDataOnce) {
    Settlement s;
    QString error;
    ASSERT_TRUE(ReadSettlement(project, s, &error)) << error.toStdString();
    ASSERT_EQ(s.districts.size(), 3u);
    EXPECT_EQ(s.districts[0].number, QStringLiteral("1"));
    EXPECT_EQ(s.districts[2].number, QStringLiteral("10"));
    EXPECT_DOUBLE_EQ(s.averageValue(), 57.41);

    // Zones in the order of their numbers; a zone without "км2" rows has no values.
    ASSERT_EQ(s.zones.size(), 3u);
    EXPECT_EQ(s.zones[0].number, QStringLiteral("1"));
    EXPECT_EQ(s.zones[0].districts, (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_EQ(s.zones[0].value, QStringLiteral("68.89"));
    EXPECT_FALSE(s.zones[2].hasKm2Row);
    EXPECT_EQ(s.zoneOfDistrict(QStringLiteral("10"))->number, QStringLiteral("2"));

    // Km3: the product of the numbers; a stored text that is not one is reported, not 0.
    EXPECT_NEAR(s.km3(QStringLiteral("1")).product, 1.045, 1e-12);
    EXPECT_FALSE(s.km3(QStringLiteral("2")).hasFactors());
    EXPECT_EQ(s.km3(QStringLiteral("10")).refused, QStringList{QStringLiteral("abc")});
    EXPECT_EQ(s.localCoefficient(QStringLiteral("1"), 2), QStringLiteral("0.95"));
    const std::vector<const LocalCell*> cells = s.localCells(QStringLiteral(" 1 "));
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[1]->factor, 2);
    EXPECT_TRUE(s.localCells(QStringLiteral("7")).empty());

    // Without functional use every district is land for housing (Kf 1).
    ASSERT_EQ(s.landUse(QStringLiteral("1")).size(), 1u);
    EXPECT_EQ(s.landUse(QStringLiteral("1"))[0]->kf, 1.0);
    // ... over the district's whole area; other land has none, nor has an unknown district.
    EXPECT_EQ(s.landUseArea(QStringLiteral("1"), ResidentialLandUse().column), QStringLiteral("5"));
    EXPECT_EQ(s.landUseArea(QStringLiteral("1"), 1), QString());
    EXPECT_EQ(s.landUseArea(QStringLiteral("7"), ResidentialLandUse().column), QString());
    // 68.89 x 2.5 x 1.05 (Km3 1.045 shown as 1.05).
    EXPECT_NEAR(*s.valuePerSqM(QStringLiteral("1"), 2.5), 180.83625, 1e-9);
    EXPECT_FALSE(s.valuePerSqM(QStringLiteral("7"), 1.0).has_value());
}

TEST_F(SettlementTest, FunctionalUseGivesTheDistrictsCategories) {
    exec(QStringLiteral("CREATE TABLE IF NOT EXISTS функціональне (id INTEGER PRIMARY KEY, "
                        "район TEXT, ф_1 TEXT, ф_2 TEXT, ф_10 TEXT, ф_13 TEXT)"));
    exec(QStringLiteral("DELETE FROM функціональне"));
    exec(QStringLiteral("INSERT INTO функціональне (район,ф_1,ф_2,ф_10,ф_13) VALUES "
                        "('1','2.5','0','4',NULL),('2',NULL,NULL,'3','1')"));
    Settlement s;
    ASSERT_TRUE(ReadSettlement(project, s));
    // An area typed as 0 is no such land; forests carry no Kf.
    ASSERT_EQ(s.landUse(QStringLiteral("1")).size(), 1u);
    EXPECT_EQ(s.landUse(QStringLiteral("1"))[0]->column, 1);
    ASSERT_EQ(s.landUse(QStringLiteral("2")).size(), 1u);
    EXPECT_EQ(s.landUse(QStringLiteral("2"))[0]->kf, 0.8);
    // The areas of those categories as stored; housing is not the whole district here.
    EXPECT_EQ(s.landUseArea(QStringLiteral("1"), 1), QStringLiteral("2.5"));
    EXPECT_EQ(s.landUseArea(QStringLiteral("1"), ResidentialLandUse().column), QString());
    EXPECT_EQ(s.landUseArea(QStringLiteral("2"), 13), QStringLiteral("1"));
}

TEST_F(SettlementTest, TheQuestionnaireGridTakesItsRecordsInAnyOrder) {
    Settlement s;
    ASSERT_TRUE(ReadSettlement(project, s));
    // Districts 1, 2, 10 (columns 2, 3, 4). Factor by factor, then district by district, then
    // a factor coming back, a number naming no district, " 1" (not "1") and a record without
    // a factor name; a later score of a cell replaces the earlier one.
    exec(QStringLiteral(
        "INSERT INTO анкета (район,фактор,оцінка) VALUES "
        "('1','А','1'),('2','А','2'),('10','А','3'),"
        "('1','Б','4'),('1','В','5'),('2','Б','1'),('2','В','2'),('10','Б','3'),('10','В','4'),"
        "('10','А','5'),('7','А','1'),(' 1','Б','2'),('1',NULL,'3'),('1','','3'),('2','В','')"));
    StringGrid grid;
    QStringList factors;
    ASSERT_TRUE(ReadAnketaGrid(project, s.districts, grid, &factors));
    EXPECT_EQ(factors,
              (QStringList{QStringLiteral("А"), QStringLiteral("Б"), QStringLiteral("В")}));
    const auto row = [&grid](int r) {
        return grid.rowTexts(r).mid(AnketaFirstDistrictCol).join(u',');
    };
    EXPECT_EQ(grid.at(1, AnketaNumberCol), QStringLiteral("1"));
    EXPECT_EQ(row(1), QStringLiteral("1,2,5"));
    EXPECT_EQ(row(2), QStringLiteral("4,1,3"));
    EXPECT_EQ(row(3), QStringLiteral("5,,4"));
}
