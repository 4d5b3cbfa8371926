#include "valuation/Indexation.h"

#include "db/Databases.h"
#include "db/QueryFunctions.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

/** The default coefficients 2005..lastYear (0 where a year has none); inflation is half. */
TDinArryOfKoef Table(int lastYear) {
    const double k[] = {1.035, 0, 1.028, 1.152, 1.059, 0};
    TDinArryOfKoef table;
    for (int year = 2005; year <= lastYear; ++year)
        table.push_back({year, k[year - 2005], k[year - 2005] / 2});
    return table;
}

} // namespace

TEST(IndexationFactorTest, ProductOfTheYearsBeforeToYear) {
    const TDinArryOfKoef table = Table(2010);
    EXPECT_DOUBLE_EQ(IndexationFactor(table, 2005, 2008, KindIndexation), 1.035 * 1.028);
    EXPECT_DOUBLE_EQ(IndexationFactor(table, 2005, 2008, KindInflation), 0.5175 * 0.514);
    EXPECT_DOUBLE_EQ(IndexationFactor(table, 2008, 2008, KindIndexation), 1.0);
    // A start before the first row starts at the first row.
    EXPECT_DOUBLE_EQ(IndexationFactor(table, 1990, 2006, KindIndexation), 1.035);
}

TEST(IndexationFactorTest, RunningOffTheEndRoundsToThreeDecimals) {
    EXPECT_DOUBLE_EQ(IndexationFactor(Table(2007), 2005, 2008, KindIndexation), 1.064);
    EXPECT_DOUBLE_EQ(IndexationFactor(Table(2007), 2020, 2030, KindIndexation), 1.0);
}

TEST(IndexationFactorTest, EmptyTableAndReversedYearsGiveOne) {
    EXPECT_DOUBLE_EQ(IndexationFactor(TDinArryOfKoef{}, 2005, 2008, KindIndexation), 1.0);
    EXPECT_DOUBLE_EQ(IndexationFactor(Table(2010), 2010, 2008, KindIndexation), 1.0);
}

TEST(IndexationFactorTest, ZeroAndNegativeCoefficientsAreSkippedNotStopping) {
    const TDinArryOfKoef table = {
        {2000, 2.0, 0}, {2001, 0, 0}, {2002, -3.0, 0}, {2003, 5.0, 0}, {2004, 1.0, 0}};
    EXPECT_DOUBLE_EQ(IndexationFactor(table, 2000, 2004, KindIndexation), 10.0);
    EXPECT_DOUBLE_EQ(IndexationFactor(table, 2000, 2004, KindInflation), 1.0);
}

TEST(LoadIndexationTest, ReadsIdOrderNonNumbersAsZeroAndFailsSilently) {
    TempAppDir app;
    RecordingMessages messages;
    {
        Connection c;
        ASSERT_TRUE(c.create(app.file(CatalogueFileName())));
        Query q(&c);
        ASSERT_TRUE(RunQuery(q,
                             QStringLiteral("CREATE TABLE індексація (id AUTOINCREMENT, рік "
                                            "nvarchar (10), індексація nvarchar (20), інфляція "
                                            "nvarchar (20))"),
                             false));
        ASSERT_TRUE(RunQuery(q,
                             QStringLiteral("INSERT INTO індексація VALUES (2, '2006', '', 'x'), "
                                            "(1, '2005', '1.035', '1.1'), (3, '2007', '1.028', "
                                            "'1.2')"),
                             false));
    }
    Db().main.close();
    ASSERT_TRUE(Db().ConnectCatalogue());
    TDinArryOfKoef t;
    LoadIndexation(Db().queryRef, t);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].year, 2005);
    EXPECT_DOUBLE_EQ(t[0].inflation, 1.1);
    EXPECT_EQ(t[1].year, 2006);
    EXPECT_DOUBLE_EQ(t[1].indexation, 0.0);
    EXPECT_DOUBLE_EQ(t[1].inflation, 0.0);
    EXPECT_DOUBLE_EQ(IndexationFactor(t, 2005, 2008, KindIndexation), 1.064);

    ASSERT_TRUE(RunQuery(Db().queryMain, QStringLiteral("DROP TABLE індексація"), false));
    LoadIndexation(Db().queryRef, t);
    EXPECT_TRUE(t.empty());
    EXPECT_TRUE(messages.messages.empty());
    Db().main.close();
}
