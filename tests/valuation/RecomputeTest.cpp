// The rules a step and the check both recompute by: the cost items, Км1, Цнм, the plots.
#include "valuation/Recompute.h"

#include <gtest/gtest.h>

using namespace valuation;

TEST(Recompute, AValueUnlikeTheComputedOneIsTypedOverIt) {
    EXPECT_TRUE(TypedOver(QStringLiteral("60.00"), QStringLiteral("56.69")));
    EXPECT_TRUE(TypedOver(QStringLiteral("abc"), QStringLiteral("1.000")));
    // The same number written otherwise, or nothing to compare, is no typed value.
    EXPECT_FALSE(TypedOver(QStringLiteral(" 1.2"), QStringLiteral("1.200")));
    EXPECT_FALSE(TypedOver(QString(), QStringLiteral("1.200")));
    EXPECT_FALSE(TypedOver(QStringLiteral("1.3"), QString()));
}

TEST(Recompute, ACostItemKeepsATypedOrUnderivableRestoredCost) {
    // From the initial cost with k, rounded to 4 decimals, and the total from the quantity.
    CostItemNow now = RecomputeCostItem(QStringLiteral("12.5"), QStringLiteral("1"),
                                        QStringLiteral("3"), false, 1.23456);
    EXPECT_EQ(now.restored, QStringLiteral("15.4320"));
    EXPECT_EQ(now.total, QStringLiteral("46.2960"));
    // Typed by the valuer, or without an initial cost: as stored, the total follows it.
    now = RecomputeCostItem(QStringLiteral("12.5"), QStringLiteral("20"), QStringLiteral("3"), true,
                            1.23456);
    EXPECT_EQ(now.restored, QStringLiteral("20"));
    EXPECT_EQ(now.total, QStringLiteral("60.0000"));
    now = RecomputeCostItem(QStringLiteral("—"), QStringLiteral("7.5"), QStringLiteral("2"), false,
                            2);
    EXPECT_EQ(now.restored, QStringLiteral("7.5"));
    EXPECT_EQ(now.total, QStringLiteral("15.0000"));
    // No quantity: no total (it counts 0), never an old one.
    EXPECT_EQ(RecomputeCostItem(QStringLiteral("1"), QString(), QString(), false, 1).total,
              QString());
}

TEST(Recompute, Km1AndTheAverageValueFollowTheirInputsUnlessTyped) {
    EXPECT_EQ(Km1OfOptions(QStringLiteral("  ")), QString());
    EXPECT_EQ(Km1OfOptions(QStringLiteral("3;No;6;No")), QStringLiteral("2.400"));
    // Options no table has count as none.
    EXPECT_EQ(Km1OfOptions(QStringLiteral("x;y")), QStringLiteral("1.000"));
    EXPECT_EQ(Km1OptionsInputs(QStringLiteral("3;No;6;No")), QStringLiteral("варіанти 3;No;6;No"));

    EXPECT_EQ(AverageValueNow(QStringLiteral("1.00"), false, QStringLiteral("23.62"),
                              QStringLiteral("1.200")),
              QStringLiteral("56.69"));
    EXPECT_EQ(AverageValueNow(QStringLiteral("60.00"), true, QStringLiteral("23.62"),
                              QStringLiteral("1.200")),
              QStringLiteral("60.00"));
    // Without В the stored value stands: nothing to compute it from.
    EXPECT_EQ(AverageValueNow(QStringLiteral("60.00"), false, QString(), QStringLiteral("1.2")),
              QStringLiteral("60.00"));
}

TEST(Recompute, APlotIsValuedFromItsZoneValueAndTheHouseholdPlotWithItsParts) {
    // 40.12 x 1.21 = 48.55 per sq m in the zone, x 2.50 = 121.38; 0.1 ha.
    PlotValues v = ComputePlotValues(40.12, 1.21, 2.5, 1.0, 0.1, false, {});
    EXPECT_EQ(v.valuePerSqM, QStringLiteral("121.38"));
    EXPECT_EQ(v.value, QStringLiteral("121380.00"));
    EXPECT_TRUE(v.partValues.empty());
    EXPECT_TRUE(v.totalValue.isEmpty());

    // Parts without soil, or with a value or area that is no number, are left out.
    v = ComputePlotValues(40.12, 1.0, 1.0, 1.0, 0.25, true,
                          {{QStringLiteral("13г"), QStringLiteral("30000"), QStringLiteral("0.5")},
                           {QString(), QStringLiteral("20000"), QStringLiteral("0.2")},
                           {QStringLiteral("41д"), QStringLiteral("abc"), QStringLiteral("0.1")},
                           {QStringLiteral("45г"), QStringLiteral("1000"), QStringLiteral("0.3")}});
    EXPECT_EQ(v.value, QStringLiteral("100300.00"));
    ASSERT_EQ(v.partValues.size(), 4u);
    EXPECT_EQ(v.partValues[0], QStringLiteral("15000.00"));
    EXPECT_FALSE(v.partValues[1]);
    EXPECT_FALSE(v.partValues[2]);
    EXPECT_EQ(v.partValues[3], QStringLiteral("300.00"));
    EXPECT_EQ(v.totalValue, QStringLiteral("115600.00"));
    EXPECT_EQ(v.totalArea, QStringLiteral("1.0500"));
}
