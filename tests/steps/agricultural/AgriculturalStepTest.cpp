#include "steps/agricultural/AgriculturalStep.h"
#include "steps/agricultural/SoilCodes.h"

#include "common/LastError.h"
#include "tests/steps/support/StepTestSupport.h"

namespace {

/** A soil grid with the rows (code, score, area, value). */
StringGrid Soils(const std::vector<QStringList>& rows) {
    StringGrid grid = MakeSoilGrid();
    ClearGrid(grid, static_cast<int>(rows.size()));
    int row = 1;
    for (const QStringList& texts : rows)
        grid.setRowTexts(row++, texts);
    return grid;
}

QStringList Values(const StringGrid& grid) {
    return grid.colTexts(ColSoilValue).mid(1);
}

QStringList Codes(const StringGrid& grid) {
    return grid.colTexts(ColSoilCode).mid(1);
}

class AgriculturalDbTest : public StepDbTest {
protected:
    /** The rows of "угіддя" in id order as "тип|шифр|бал|площа|вартість". */
    QStringList stored() {
        return column(QStringLiteral("SELECT тип||'|'||ifnull(шифр,'')||'|'||ifnull(бал_бонітету,"
                                     "'')||'|'||ifnull(площа,'')||'|'||ifnull(вартість,'') FROM "
                                     "угіддя ORDER BY id"));
    }
};

} // namespace

TEST(ComputeSoilValues, ScalesTheBaseValueByTheScoreWhenScoreAndAreaAreGiven) {
    StringGrid grid = Soils({{"41г", "40", "12.5", "old"},
                             {"41д", "40", "", "old"},
                             {"45г", "0", "3", ""},
                             {"13г", "abc", "1", ""},
                             {"53г", "62.5", "0", ""}});
    ComputeSoilValues(grid, QStringLiteral("30000.00"), QStringLiteral("50"));
    // The area takes no part in the value; an empty one leaves it empty; score 0 gives nothing.
    EXPECT_EQ(Values(grid), QStringList({"24000.00", "", "", "", "37500.00"}));
}

TEST(ComputeSoilValues, EmptiesTheValuesWithoutAPositiveBaseOrAverage) {
    for (const auto& [base, average] :
         {std::pair{"", "50"}, std::pair{"30000", ""}, std::pair{"30000", "0"},
          std::pair{"-1", "50"}, std::pair{"abc", "50"}}) {
        StringGrid grid = Soils({{"41г", "40", "12.5", "24000.00"}});
        ComputeSoilValues(grid, QString::fromUtf8(base), QString::fromUtf8(average));
        EXPECT_EQ(Values(grid), QStringList({""})) << base << " / " << average;
    }
}

TEST(IndexedBaseValue, MultipliesByTheLinesCoefficient) {
    EXPECT_EQ(IndexedBaseValue(QStringLiteral("30000"), QStringLiteral("* 1.250   - 2015")),
              QStringLiteral("37500.00"));
    EXPECT_EQ(IndexedBaseValue(QStringLiteral("abc"), QStringLiteral("* 1.250   - 2015")),
              QStringLiteral("0.00"));
    EXPECT_EQ(IndexedBaseValue(QStringLiteral("100"), QStringLiteral("* x   - 2015")),
              QStringLiteral("100.00"));
}

TEST(ApplyIndexation, ASecondCoefficientReplacesTheFirstUntilABaseValueIsTyped) {
    SoilKindData kind;
    kind.baseValue = QStringLiteral("32450");
    ApplyIndexation(kind, QStringLiteral("* 1.080   - 2015"));
    EXPECT_EQ(kind.baseValue, QStringLiteral("35046.00"));
    ApplyIndexation(kind, QStringLiteral("* 1.080   - 2015"));
    EXPECT_EQ(kind.baseValue, QStringLiteral("35046.00")); // not 37849.68
    ApplyIndexation(kind, QStringLiteral("* 1.250   - 2012"));
    EXPECT_EQ(kind.baseValue, QStringLiteral("40562.50"));
    EXPECT_EQ(kind.unindexedValue, QStringLiteral("32450"));
    EXPECT_EQ(kind.indexation, QStringLiteral("* 1.250 - 2012"));

    kind.baseValue = QStringLiteral("10000");
    ForgetIndexation(kind);
    ApplyIndexation(kind, QStringLiteral("* 1.080   - 2015"));
    EXPECT_EQ(kind.baseValue, QStringLiteral("10800.00"));
}

TEST(SoilCodeChoicesOf, OffersTheCatalogueThenTheWorkingCodesItLacksOnce) {
    const SoilCodeChoices choices = SoilCodeChoicesOf(
        {QStringLiteral("41г - Чорноземи"), QStringLiteral("45г - Темно-сірі"),
         QStringLiteral("41Г - повтор")},
        {QStringLiteral("45Г"), QStringLiteral("53.2г"), QStringLiteral("53.2Г")});
    EXPECT_EQ(choices.codes, QStringList({"41г", "45г", "53.2г"}));
    EXPECT_EQ(choices.items, QStringList({"41г - Чорноземи", "45г - Темно-сірі", "53.2г"}));
}

TEST(SoilCodes, ComposeSplitAndCompareIgnoringCase) {
    EXPECT_EQ(ComposeSoilCode(QStringLiteral(" 53 "), QStringLiteral(".2"),
                              QStringLiteral("г  - легкосуглинковий")),
              QStringLiteral("53.2г"));
    EXPECT_EQ(
        ComposeSoilCode(QStringLiteral("121"), QString(), QStringLiteral("л -  легкоглинистий")),
        QStringLiteral("121л"));
    EXPECT_EQ(SoilTextureItems().size(), 13);
    EXPECT_EQ(SoilSlopeItems().last(), QStringLiteral(".9"));

    // A catalogue code comes back whole when added from its two fields.
    const SoilCodeParts sloped = SplitCatalogueSoil(QStringLiteral("53.2г - Чорноземи типові"));
    EXPECT_EQ(sloped.group, QStringLiteral("53"));
    EXPECT_EQ(sloped.slope, QStringLiteral(".2г"));
    EXPECT_EQ(ComposeSoilCode(sloped.group, sloped.slope, QString()), QStringLiteral("53.2г"));
    const SoilCodeParts plain = SplitCatalogueSoil(QStringLiteral("2 - Дерново-підзолисті"));
    EXPECT_EQ(plain.group, QStringLiteral("2"));
    EXPECT_TRUE(plain.slope.isEmpty());

    EXPECT_EQ(
        FindSoilCode({QStringLiteral("41г"), QStringLiteral("53.2Г")}, QStringLiteral("53.2г")), 1);
    EXPECT_EQ(FindSoilCode({QStringLiteral("53.2г")}, QStringLiteral("53.3г")), -1);
    EXPECT_EQ(SoilItemCode(QStringLiteral("41г - Чорноземи")), QStringLiteral("41г"));
}

TEST(ApplyWorkingSoils, DropsEveryRowOfAnUncheckedCodeAndKeepsRepeatsOfCheckedOnes) {
    StringGrid grid = Soils({{"41г", "40", "1", "1"},
                             {"45г", "45", "2", "2"},
                             {"41г", "41", "3", "3"},
                             {"45г", "46", "4", "4"}});
    ApplyWorkingSoils(grid, {{QStringLiteral("41г"), false},
                             {QStringLiteral("45г"), true},
                             {QStringLiteral("13г"), true}});
    EXPECT_EQ(Codes(grid), QStringList({"45г", "13г", "45г"}));
    EXPECT_EQ(grid.at(1, ColSoilScore), QStringLiteral("45"));
    EXPECT_EQ(grid.at(3, ColSoilScore), QStringLiteral("46"));

    StringGrid empty = MakeSoilGrid();
    ApplyWorkingSoils(empty, {{QStringLiteral("41г"), true}, {QStringLiteral("45г"), true}});
    EXPECT_EQ(Codes(empty), QStringList({"41г", "45г"}));
}

TEST_F(AgriculturalDbTest, RepeatedCodesKeepTheirRowsThroughLoadAndStore) {
    exec(QStringLiteral("INSERT INTO угіддя (тип,шифр,бал_бонітету,площа,вартість) VALUES "
                        "('1','41г','40','2','24000.00'),('1','45г','45','1.5','x'),"
                        "('1','41г','42','3',''),('1*','','50','','30000.00'),"
                        "('4','53г','38','7','')"));
    AgriculturalData data;
    QString error;
    ASSERT_TRUE(LoadAgricultural(project, data, &error)) << error.toStdString();
    EXPECT_EQ(data.workingCodes, QStringList({"41г", "45г", "53г"}));
    EXPECT_EQ(Codes(data.kinds[0].grid), QStringList({"41г", "45г", "41г"}));
    // Stored values are shown as stored.
    EXPECT_EQ(Values(data.kinds[0].grid), QStringList({"24000.00", "x", ""}));
    EXPECT_EQ(data.kinds[0].baseValue, QStringLiteral("30000.00"));
    EXPECT_EQ(data.kinds[0].averageScore, QStringLiteral("50"));
    EXPECT_TRUE(GridIsEmpty(data.kinds[1].grid));
    EXPECT_TRUE(data.kinds[3].baseValue.isEmpty());

    ASSERT_TRUE(StoreAgricultural(project, data, &error)) << error.toStdString();
    EXPECT_EQ(stored(),
              QStringList({"1|41г|40|2|24000.00", "1|45г|45|1.5|x", "1|41г|42|3|",
                           "1*||50||30000.00", "2*||||", "3*||||", "4|53г|38|7|", "4*||||"}));
}

TEST_F(AgriculturalDbTest, RowsWithoutACodeAreNotStoredAndAFailedStoreChangesNothing) {
    AgriculturalData data;
    data.kinds[1].grid = Soils({{"", "40", "1", ""}, {"13г", "35", "", ""}});
    data.kinds[1].baseValue = QStringLiteral("12000.5");
    data.kinds[1].averageScore = QStringLiteral("it's");
    ASSERT_TRUE(StoreAgricultural(project, data, nullptr));
    const QStringList before = stored();
    EXPECT_EQ(before,
              QStringList({"1*||||", "2|13г|35||", "2*||it's||12000.5", "3*||||", "4*||||"}));

    breakTable(QStringLiteral("угіддя"));
    data.kinds[1].baseValue = QStringLiteral("1");
    QString error;
    EXPECT_FALSE(StoreAgricultural(project, data, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("зламано")));
    EXPECT_EQ(stored(), before);
}

TEST_F(AgriculturalDbTest, TheAppliedIndexationIsStoredAndATableWithoutItsColumnsGetsThem) {
    // A settlement stored before the indexation was recorded.
    exec(QStringLiteral("DROP TABLE угіддя"));
    exec(QStringLiteral("CREATE TABLE угіддя (id INTEGER PRIMARY KEY AUTOINCREMENT, тип TEXT, "
                        "шифр TEXT, бал_бонітету TEXT, площа TEXT, вартість TEXT)"));
    exec(QStringLiteral("INSERT INTO угіддя (тип,шифр,бал_бонітету,площа,вартість) VALUES "
                        "('1','41г','40','2',''),('1*','','50','','30000.00')"));
    AgriculturalData data;
    QString error;
    ASSERT_TRUE(LoadAgricultural(project, data, &error)) << error.toStdString();
    EXPECT_EQ(data.kinds[0].baseValue, QStringLiteral("30000.00"));
    EXPECT_TRUE(data.kinds[0].indexation.isEmpty());

    ApplyIndexation(data.kinds[0], QStringLiteral("* 1.250   - 2015"));
    ASSERT_TRUE(StoreAgricultural(project, data, &error)) << error.toStdString();
    EXPECT_EQ(column(QStringLiteral("SELECT ifnull(до_індексації,'')||'|'||ifnull(індексація,'') "
                                    "FROM угіддя WHERE тип='1*'")),
              QStringList({"30000.00|* 1.250 - 2015"}));

    // Reopened, a second coefficient still applies to the value before the first.
    AgriculturalData again;
    ASSERT_TRUE(LoadAgricultural(project, again, &error)) << error.toStdString();
    EXPECT_EQ(again.kinds[0].baseValue, QStringLiteral("37500.00"));
    ApplyIndexation(again.kinds[0], QStringLiteral("* 1.100   - 2018"));
    EXPECT_EQ(again.kinds[0].baseValue, QStringLiteral("33000.00"));
}

TEST_F(AgriculturalDbTest, TheShippedCatalogueOffersItsSoilsAndAMissingTableFailsTheLoad) {
    QStringList items;
    ASSERT_TRUE(LoadSoilCatalogue(catalogue, items));
    ASSERT_FALSE(items.isEmpty());
    EXPECT_TRUE(items.contains(QStringLiteral(
        "53г - Чорноземи типові малогумусні та чорноземи сильнореградовані легкосуглинкові")));

    exec(QStringLiteral("DROP TABLE угіддя"));
    AgriculturalData data;
    QString error;
    EXPECT_FALSE(LoadAgricultural(project, data, &error));
    EXPECT_FALSE(error.isEmpty());
}
