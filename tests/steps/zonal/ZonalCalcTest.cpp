#include "steps/zonal/ScoreChecks.h"
#include "steps/zonal/WorkingFactors.h"
#include "tests/steps/zonal/ZonalTestData.h"

#include <gtest/gtest.h>

namespace {

const ResultColumns Weighted = ResultColumnsOf(ZonalVariant::Weighted);
const ResultColumns Grouped = ResultColumnsOf(ZonalVariant::Grouped);

/** A weighted result grid whose rows get (area, Іі, zone). */
StringGrid Km2Grid(const std::vector<std::tuple<QString, QString, QString>>& rows) {
    QStringList areas;
    for (const auto& row : rows)
        areas << std::get<0>(row);
    StringGrid grid = MakeResultGrid(ZonalVariant::Weighted, TestDistricts(areas));
    for (size_t i = 0; i < rows.size(); ++i) {
        const int row = 1 + static_cast<int>(i);
        grid.set(row, Weighted.ii, std::get<1>(rows[i]));
        grid.set(row, Weighted.zone, std::get<2>(rows[i]));
    }
    return grid;
}

} // namespace

TEST(ZonalScores, ScoresAreIntegersOrTheirLeadingDigits) {
    EXPECT_EQ(ScoreValue(QStringLiteral("5")), 5);
    EXPECT_EQ(ScoreValue(QStringLiteral(" 7 ")), 7);
    EXPECT_EQ(ScoreValue(QStringLiteral("-2")), -2);
    EXPECT_EQ(ScoreValue(QStringLiteral("4.5")), 4);
    EXPECT_EQ(ScoreValue(QStringLiteral("10 балів")), 10);
    EXPECT_EQ(ScoreValue(QStringLiteral("добре")), 0);
}

TEST(ZonalScores, StoredScoresStayWithinTheScale) {
    StringGrid anketa(4, 3, 1, 0);
    anketa.setRowTexts(1, {"1", "Фактор", "5", ""});
    anketa.setRowTexts(2, {"", "", "99", ""}); // a row without a number is not stored
    EXPECT_FALSE(CheckScores(anketa));
    for (const char* bad : {"-3", "99", "0", "4.5"}) {
        anketa.set(1, 3, QString::fromLatin1(bad));
        const StepCheck issue = CheckScores(anketa);
        ASSERT_TRUE(issue) << bad;
        EXPECT_EQ(std::make_pair(issue->row, issue->col), std::make_pair(1, 3));
        EXPECT_EQ(issue->text, QStringLiteral("Бал має бути цілим числом від 1 до 10."));
    }
}

TEST(ZonalScores, WeightedAverageGivesTheIndicesOfTheWorkedExample) {
    const auto districts = TestDistricts({"10", "30", "5"});
    // The third district has no score; blanks are no score either.
    const StringGrid anketa = TestAnketa(
        districts, {{QStringLiteral("А"), {"5", "3", ""}}, {QStringLiteral("Б"), {"4", "3", " "}}});
    StringGrid result = MakeResultGrid(ZonalVariant::Weighted, districts);
    result.set(3, Weighted.km2, QStringLiteral("старе"));
    EXPECT_EQ(ComputeScores(anketa, result), QString());
    EXPECT_EQ(DataColumn(result, 2), (QStringList{"9", "6", ""}));
    EXPECT_EQ(DataColumn(result, 3), (QStringList{"4.50", "3.00", ""}));
    EXPECT_EQ(DataColumn(result, 4), (QStringList{"3.90", "3.90", ""}));
    EXPECT_EQ(DataColumn(result, Weighted.ii), (QStringList{"1.15", "0.77", ""}));
    EXPECT_EQ(DataColumn(result, Weighted.km2), (QStringList{"", "", ""}));
}

TEST(ZonalScores, ScoresThatAreNotIntegersCountByTheirLeadingDigitsAndNoneWarns) {
    const auto districts = TestDistricts({"1", "1"});
    StringGrid result = MakeResultGrid(ZonalVariant::Weighted, districts);
    ComputeScores(TestAnketa(districts, {{QStringLiteral("А"), {"4.9", "так"}}}), result);
    // "так" counts as a score of 0: the mean of the second district is 0.
    EXPECT_EQ(DataColumn(result, 2), (QStringList{"4", "0"}));
    EXPECT_EQ(DataColumn(result, Weighted.ii), (QStringList{"1.00", "0.00"}));

    EXPECT_EQ(ComputeScores(TestAnketa(districts, {{QStringLiteral("А"), {"", ""}}}), result),
              QStringLiteral("Не уведено жодних пофакторних оцінок."));
    EXPECT_EQ(DataColumn(result, Weighted.ii), (QStringList{"", ""}));
}

TEST(ZonalScores, FactorsBelongToGroupsByTheBaseNamesTheyContain) {
    EXPECT_TRUE(FactorInGroup(QStringLiteral("Рівень газопостачання (магістральне)"), 3));
    EXPECT_FALSE(FactorInGroup(QStringLiteral("Рівень газопостачання (магістральне)"), 2));
    EXPECT_FALSE(FactorInGroup(QStringLiteral("рівень газопостачання"), 3)); // letter case counts
    EXPECT_TRUE(FactorInGroup(QStringLiteral("Доступність до центру населеного пункту"), 1));
    EXPECT_TRUE(FactorInGroup(QStringLiteral("Забезпеченість під'їзними шляхами"), 3));
    const QString both = QStringLiteral("Якість ґрунтів; Забезпечення аптеками");
    EXPECT_TRUE(FactorInGroup(both, 2));
    EXPECT_TRUE(FactorInGroup(both, 4));
    for (int g = 1; g <= FactorGroupCount; ++g)
        EXPECT_FALSE(FactorInGroup(QStringLiteral("Вид з вікна"), g));
    EXPECT_EQ(GroupBaseNames(1).size() + GroupBaseNames(2).size() + GroupBaseNames(3).size() +
                  GroupBaseNames(4).size(),
              30);
}

TEST(ZonalScores, FourGroupsGiveWeightedPartialIndicesAndTheComplexIndex) {
    // District 3 has no area, district 4 no score: neither gets an index.
    const auto districts = TestDistricts({"10", "30", "0", "5"});
    const StringGrid anketa = TestAnketa(
        districts,
        {{QStringLiteral("Доступність до центру населеного пункту"), {"5", "3", "4", ""}},
         {QStringLiteral("Рівень газопостачання (магістральне)"), {"4.7", "4", "4", ""}},
         {QStringLiteral("Вид з вікна"), {"1", "1", "1", ""}}});
    StringGrid result = MakeResultGrid(ZonalVariant::Grouped, districts);
    result.set(4, 9, QStringLiteral("старе"));
    const IntegralIndex index = ComputeIntegralIndex(anketa, result);
    EXPECT_EQ(index.warning, QString());

    // Group I: means 5 and 3 over 10 and 30 ha, weighted mean 140 / 40 = 3.50.
    EXPECT_EQ(DataColumn(result, 2), (QStringList{"5.00", "3.00", "", ""}));
    EXPECT_EQ(DataColumn(result, 3), (QStringList{"50.00", "90.00", "", ""}));
    EXPECT_EQ(DataColumn(result, 4), (QStringList{"3.50", "3.50", "", ""}));
    EXPECT_EQ(DataColumn(result, 5), (QStringList{"1.43", "0.86", "", ""}));
    EXPECT_EQ(index.groups[0].minimum, QStringLiteral("0.86"));
    EXPECT_EQ(index.groups[0].maximum, QStringLiteral("1.43"));
    // Group III: 4.7 counts as 4.
    EXPECT_EQ(DataColumn(result, 15), (QStringList{"1.00", "1.00", "", ""}));
    // Groups II and IV have no factor.
    EXPECT_EQ(DataColumn(result, 7), (QStringList{"", "", "", ""}));
    EXPECT_EQ(DataColumn(result, 9), (QStringList{"", "", "", ""}));
    EXPECT_EQ(index.groups[1].minimum, QString());
    EXPECT_EQ(index.groups[3].maximum, QString());

    // Weights 3.5 / 7.5 and 4 / 7.5.
    EXPECT_EQ(DataColumn(result, 6), (QStringList{"0.4667", "0.4667", "", ""}));
    EXPECT_EQ(DataColumn(result, 16), (QStringList{"0.5333", "0.5333", "", ""}));
    EXPECT_EQ(DataColumn(result, Grouped.ii), (QStringList{"1.20", "0.93", "", ""}));
    EXPECT_EQ(index.control, QStringLiteral("Контрольне = 1.0000"));
}

TEST(ZonalScores, GroupedWithoutAnyScoreWarnsAndLeavesTheColumnsEmpty) {
    const auto districts = TestDistricts({"10"});
    StringGrid result = MakeResultGrid(ZonalVariant::Grouped, districts);
    for (int col = 2; col <= 24; ++col)
        result.set(1, col, QStringLiteral("x"));
    const IntegralIndex index = ComputeIntegralIndex(
        TestAnketa(districts, {{QStringLiteral("Рівень зашумленості"), {""}}}), result);
    EXPECT_EQ(index.warning, QStringLiteral("Не уведено жодних пофакторних оцінок."));
    EXPECT_EQ(index.control, QString());
    EXPECT_EQ(result.rowTexts(1).mid(2, 23), QStringList(23, QString()));
}

TEST(ZonalKm2, PopulationBandsBoundKm2) {
    const std::vector<std::tuple<double, double, double>> bands = {
        {0, 0.75, 1.5},   {15, 0.75, 1.5},  {19.99, 0.75, 1.5}, {20, 0.5, 2.0},
        {49.9, 0.5, 2.0}, {50, 0.4, 2.5},   {100, 0.35, 3.0},   {250, 0.3, 3.5},
        {500, 0.25, 4.0}, {1000, 0.2, 5.0}, {1999, 0.2, 5.0},   {2000, 0.15, 7.0}};
    for (const auto& [population, lower, upper] : bands) {
        EXPECT_DOUBLE_EQ(Km2BoundsFor(population).lower, lower) << population;
        EXPECT_DOUBLE_EQ(Km2BoundsFor(population).upper, upper) << population;
    }

    StringGrid grid = Km2Grid({{"1", "2.31", "1"}});
    Km2Outcome out = ComputeKm2(grid, Weighted, QStringLiteral("49.9"), QStringLiteral("10"));
    EXPECT_EQ(out.warnings, QStringList{QStringLiteral(
                                "У зоні № 1  Км2=2.31 обмежено до 2.00 за кількістю населення")});
    EXPECT_EQ(grid.at(1, Weighted.km2), QStringLiteral("2.00"));
    out = ComputeKm2(grid, Weighted, QStringLiteral("50"), QStringLiteral("10"));
    EXPECT_TRUE(out.warnings.isEmpty());
    EXPECT_EQ(grid.at(1, Weighted.km2), QStringLiteral("2.31"));
}

TEST(ZonalKm2, ZonesAreAreaWeightedBoundedAndComparedAsText) {
    StringGrid grid = Km2Grid({{"10", "1.20", "1"},
                               {"30", "0.80", "1"},
                               {"5", "1.80", "2"},
                               {"7", "0.50", "01"},
                               {"8", "1.10", ""},
                               {"9", "", "2"},
                               {"abc", "1.00", "3"}});
    const Km2Outcome out =
        ComputeKm2(grid, Weighted, QStringLiteral("15"), QStringLiteral("30.62"));
    EXPECT_EQ(DataColumn(grid, Weighted.km2),
              (QStringList{"0.90", "0.90", "1.50", "0.75", "", "", ""}));
    EXPECT_EQ(DataColumn(grid, Weighted.value),
              (QStringList{"27.56", "27.56", "45.93", "22.97", "", "", ""}));
    EXPECT_EQ(out.warnings,
              (QStringList{
                  QStringLiteral("У зоні № 2  Км2=1.80 обмежено до 1.50 за кількістю населення"),
                  QStringLiteral("У зоні № 01  Км2=0.50 обмежено до 0.75 за кількістю населення"),
                  QStringLiteral("У зоні № 3  Км2 не визначено: площа районів зони 0")}));
    EXPECT_EQ(out.minimum, QStringLiteral("0.75"));
    EXPECT_EQ(out.maximum, QStringLiteral("1.50"));

    // Moving one district to another zone recomputes both.
    grid.set(2, Weighted.zone, QStringLiteral("2"));
    ComputeKm2(grid, Weighted, QStringLiteral("15"), QStringLiteral("30.62"));
    EXPECT_EQ(DataColumn(grid, Weighted.km2).mid(0, 3), (QStringList{"1.20", "0.94", "0.94"}));

    StringGrid none = Km2Grid({{"10", "1.00", ""}});
    const Km2Outcome empty = ComputeKm2(none, Weighted, QString(), QStringLiteral("1"));
    EXPECT_EQ(empty.minimum, QStringLiteral("0.00"));
    EXPECT_EQ(empty.maximum, QStringLiteral("0.00"));
}

TEST(ZonalKm2, ZoneListKeepsDescriptionsAddsNewZonesAndDropsUnusedOnes) {
    StringGrid result = Km2Grid({{"1", "1", "2"}, {"1", "1", "1"}, {"1", "1", "2"}, {"1", "", ""}});
    StringGrid zones = MakeZoneGrid(3);
    zones.setRowTexts(1, {"5", "7", "Стара зона"});
    zones.setRowTexts(2, {"2", "1", "Околиці \"за річкою\""});
    EXPECT_EQ(RebuildZoneList(result, Weighted, zones), 2);
    EXPECT_EQ(zones.rowCount(), 3);
    EXPECT_EQ(zones.rowTexts(1), (QStringList{"2", "1, 3", "Околиці \"за річкою\""}));
    EXPECT_EQ(zones.rowTexts(2), (QStringList{"1", "2", ""}));

    StringGrid noZones = Km2Grid({{"1", "1", ""}});
    EXPECT_EQ(RebuildZoneList(noZones, Weighted, zones), 0);
    EXPECT_TRUE(GridIsEmpty(zones));
}

TEST(ZonalFactors, UncheckingTheFirstRowEmptiesItAndANewFactorNeverTakesScores) {
    const auto districts = TestDistricts({"1", "1"});
    StringGrid anketa = TestAnketa(districts, {{QStringLiteral("А"), {"5", "4"}}});
    EXPECT_EQ(ApplyWorkingFactors(anketa, {{QStringLiteral("А"), false}}), 0);
    EXPECT_EQ(NoFactorText(), QStringLiteral("Не обрано жодного фактору."));
    EXPECT_TRUE(GridIsEmpty(anketa));
    EXPECT_EQ(anketa.rowTexts(1), QStringList(4, QString()));

    // Б has scores in row 1; А, earlier in the list, is checked anew and gets a row of its
    // own above, В a row below Б.
    anketa = TestAnketa(districts, {{QStringLiteral("Б"), {"3", "2"}}});
    EXPECT_EQ(ApplyWorkingFactors(anketa, {{QStringLiteral("А"), true},
                                           {QStringLiteral("Б"), true},
                                           {QStringLiteral("В"), true}}),
              3);
    EXPECT_EQ(DataColumn(anketa, AnketaFactorCol), (QStringList{"А", "Б", "В"}));
    EXPECT_EQ(DataColumn(anketa, AnketaNumberCol), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(DataColumn(anketa, AnketaFirstDistrictCol), (QStringList{"", "3", ""}));

    // Unchecking the first of several: the others keep their scores and are renumbered.
    anketa.set(1, AnketaFirstDistrictCol, QStringLiteral("5"));
    ApplyWorkingFactors(
        anketa,
        {{QStringLiteral("А"), false}, {QStringLiteral("Б"), true}, {QStringLiteral("В"), true}});
    EXPECT_EQ(DataColumn(anketa, AnketaFactorCol), (QStringList{"Б", "В"}));
    EXPECT_EQ(DataColumn(anketa, AnketaNumberCol), (QStringList{"1", "2"}));
    EXPECT_EQ(DataColumn(anketa, AnketaFirstDistrictCol), (QStringList{"3", ""}));
}
