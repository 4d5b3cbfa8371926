#include "steps/indexation/Indexation.h"

#include "common/FileUtils.h"
#include "db/Databases.h"
#include "db/QueryFunctions.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

/** The default list of indexation coefficients, years without one as 0. */
TDinArryOfKoef DefaultList(int lastYear) {
    const std::vector<std::pair<int, double>> list = {
        {1996, 1.703}, {1997, 1.059}, {1998, 1.006}, {1999, 1.127}, {2000, 1.182},
        {2001, 1.02},  {2002, 0},     {2003, 0},     {2004, 0},     {2005, 1.035},
        {2006, 0},     {2007, 1.028}, {2008, 1.152}, {2009, 1.059}, {2010, 0}};
    TDinArryOfKoef table;
    for (const auto& [year, k] : list)
        if (year <= lastYear)
            table.push_back({year, k, k / 2});
    return table;
}

} // namespace

TEST(IndexationFactorTest, ProductStopsBeforeToYearUnrounded) {
    const TDinArryOfKoef table = DefaultList(2010);
    EXPECT_DOUBLE_EQ(IndexationFactor(table, 2005, 2008, KindIndexation), 1.035 * 1.028);
    EXPECT_DOUBLE_EQ(IndexationFactor(table, 2005, 2008, KindInflation), 0.5175 * 0.514);
    // The year toYear itself never counts.
    EXPECT_DOUBLE_EQ(IndexationFactor(table, 2008, 2009, KindIndexation), 1.152);
    EXPECT_DOUBLE_EQ(IndexationFactor(table, 2008, 2008, KindIndexation), 1.0);
}

TEST(IndexationFactorTest, RunningOffTheEndRoundsToThreeDecimals) {
    const TDinArryOfKoef table = DefaultList(2007);
    EXPECT_DOUBLE_EQ(IndexationFactor(table, 2005, 2008, KindIndexation), 1.064);
    // A start year the table does not hold: nothing multiplied, rounded 1.
    EXPECT_DOUBLE_EQ(IndexationFactor(table, 2020, 2030, KindIndexation), 1.0);
}

TEST(IndexationFactorTest, EmptyTableAndReversedYearsGiveOne) {
    EXPECT_DOUBLE_EQ(IndexationFactor(TDinArryOfKoef{}, 2005, 2008, KindIndexation), 1.0);
    EXPECT_DOUBLE_EQ(IndexationFactor(TDinArryOfKoef{}, 2010, 2008, KindInflation), 1.0);
    EXPECT_DOUBLE_EQ(IndexationFactor(DefaultList(2010), 2010, 2008, KindIndexation), 1.0);
}

TEST(IndexationFactorTest, StartBeforeFirstRowStartsAtTheFirstRow) {
    const TDinArryOfKoef table = DefaultList(2010);
    EXPECT_DOUBLE_EQ(IndexationFactor(table, 1990, 1998, KindIndexation), 1.703 * 1.059);
}

TEST(IndexationFactorTest, ZeroAndNegativeCoefficientsAreSkippedNotStopping) {
    TDinArryOfKoef table = {
        {2000, 2.0, 0}, {2001, 0, 0}, {2002, -3.0, 0}, {2003, 5.0, 0}, {2004, 1.0, 0}};
    EXPECT_DOUBLE_EQ(IndexationFactor(table, 2000, 2004, KindIndexation), 10.0);
    EXPECT_DOUBLE_EQ(IndexationFactor(table, 2000, 2004, KindInflation), 1.0);
}

/** A catalogue with the indexation table, opened as the program's catalogue. */
class LoadIndexationTest : public ::testing::Test {
protected:
    void SetUp() override {
        Connection c;
        ASSERT_TRUE(c.create(app.file(CatalogueFileName())));
        Query q(&c);
        ASSERT_TRUE(RunQuery(q,
                             QStringLiteral("CREATE TABLE індексація (id AUTOINCREMENT, рік "
                                            "nvarchar (10), індексація nvarchar (20), "
                                            "інфляція nvarchar (20))"),
                             false));
        ASSERT_TRUE(RunQuery(q,
                             QStringLiteral("INSERT INTO індексація VALUES (2, '2006', '', "
                                            "'x'), (1, '2005', '1.035', '1.1'), (3, '2007', "
                                            "'1.028', '1.2')"),
                             false));
        c.close();
        Db().main.close();
        ASSERT_TRUE(Db().ConnectCatalogue());
    }
    void TearDown() override {
        Db().main.close();
        IndexationTable().clear();
    }

    TempAppDir app;
    RecordingMessages messages;
};

TEST_F(LoadIndexationTest, ReadsRowsInIdOrderAndNonNumbersAsZero) {
    LoadIndexation();
    const TDinArryOfKoef& t = IndexationTable();
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].year, 2005);
    EXPECT_DOUBLE_EQ(t[0].indexation, 1.035);
    EXPECT_DOUBLE_EQ(t[0].inflation, 1.1);
    EXPECT_EQ(t[1].year, 2006);
    EXPECT_DOUBLE_EQ(t[1].indexation, 0.0);
    EXPECT_DOUBLE_EQ(t[1].inflation, 0.0);
    EXPECT_DOUBLE_EQ(IndexationFactor(2005, 2008, KindIndexation), 1.064);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(LoadIndexationTest, EmptyOrMissingTableLeavesTheArrayEmptySilently) {
    LoadIndexation();
    ASSERT_FALSE(IndexationTable().empty());
    ASSERT_TRUE(RunQuery(Db().queryMain, QStringLiteral("DELETE FROM індексація"), false));
    LoadIndexation();
    EXPECT_TRUE(IndexationTable().empty());
    ASSERT_TRUE(RunQuery(Db().queryMain, QStringLiteral("DROP TABLE індексація"), false));
    IndexationTable().push_back({2000, 1, 1});
    LoadIndexation();
    EXPECT_TRUE(IndexationTable().empty());
    EXPECT_TRUE(messages.messages.empty());
}
