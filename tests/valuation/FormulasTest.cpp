#include "valuation/Formulas.h"
#include "valuation/StepNames.h"

#include <QHash>
#include <gtest/gtest.h>

using namespace valuation;

TEST(Formulas, DevelopmentCostAndItems) {
    // 6384 thousand UAH over 100 ha: 6.38 UAH per sq m; no territory, no cost.
    EXPECT_EQ(DevelopmentCost(6384, QStringLiteral("100")), QStringLiteral("6.38"));
    EXPECT_EQ(DevelopmentCost(6384, QStringLiteral("0")), QString());
    EXPECT_EQ(DevelopmentCost(6384, QStringLiteral("abc")), QString());
    EXPECT_DOUBLE_EQ(RestoredCost(2, 1.064), 2.128);
    EXPECT_EQ(CostItemTotal(QStringLiteral("3"), QStringLiteral("2.1280")),
              QStringLiteral("6.3840"));
    // A missing quantity or cost leaves "Всього" empty, never a stale or zero total.
    EXPECT_EQ(CostItemTotal(QString(), QStringLiteral("2.1280")), QString());
    EXPECT_EQ(CostItemTotal(QStringLiteral("3"), QStringLiteral("x")), QString());
}

TEST(Formulas, AverageValueAndZoneValue) {
    EXPECT_EQ(AverageValue(QStringLiteral("6.38"), QStringLiteral("2.4")), QStringLiteral("30.62"));
    EXPECT_EQ(AverageValue(QStringLiteral("23.92"), QStringLiteral("1.200")),
              QStringLiteral("57.41"));
    EXPECT_EQ(AverageValue(QString(), QStringLiteral("1.2")), QString());
    EXPECT_DOUBLE_EQ(ZoneValue(30.62, 0.90), 27.56);
    EXPECT_DOUBLE_EQ(Km2BoundsFor(49.9).upper, 2.0);
    EXPECT_DOUBLE_EQ(Km2BoundsFor(50).lower, 0.4);
    EXPECT_DOUBLE_EQ(Km2BoundsFor(15).upper, 1.5);
}

TEST(Formulas, Km3RefusesWhatIsNotANumber) {
    const Km3 k = Km3Of({QStringLiteral("1.10"), QStringLiteral("0.95"), QStringLiteral("1.05")});
    EXPECT_NEAR(k.product, 1.09725, 1e-12);
    EXPECT_EQ(k.text(), QStringLiteral("1.10"));
    // Empty cells are no value; a text that is not a number is left out and reported.
    const Km3 refused = Km3Of({QStringLiteral("1.2"), QString(), QStringLiteral("abc")});
    EXPECT_DOUBLE_EQ(refused.product, 1.2);
    EXPECT_EQ(refused.refused, QStringList{QStringLiteral("abc")});
    const Km3 none = Km3Of({QString(), QStringLiteral(" ")});
    EXPECT_FALSE(none.hasFactors());
    EXPECT_EQ(none.text(), QString());
    EXPECT_DOUBLE_EQ(none.product, 1);
    EXPECT_TRUE(IsLocalCoefficient(QString()));
    EXPECT_TRUE(IsLocalCoefficient(QStringLiteral("0.95")));
    EXPECT_FALSE(IsLocalCoefficient(QStringLiteral("abc")));
    EXPECT_FALSE(IsLocalCoefficient(QStringLiteral("0")));
}

TEST(Formulas, KfOfColumnCodeAndName) {
    EXPECT_EQ(KfOfColumn(1), 2.5);
    EXPECT_EQ(KfOfColumn(13), 0.8);
    EXPECT_FALSE(KfOfColumn(10).has_value());
    EXPECT_EQ(KfOfCode(QStringLiteral("к")), 2.5);
    EXPECT_EQ(KfOfCode(QStringLiteral("П")), 1.2);
    EXPECT_FALSE(KfOfCode(QStringLiteral("Л")).has_value());
    EXPECT_FALSE(KfOfCode(QStringLiteral("X")).has_value());
    EXPECT_EQ(KfOfName(QStringLiteral("землі технічної інфраструктури")), 0.65);
}

TEST(Formulas, ValueOfOneSquareMetreSoilsPlotsIndexation) {
    // Zone value 59.15, commercial land, Km3 1.09725 taken as 1.10.
    EXPECT_NEAR(ValuePerSqM(59.15, 2.5, 1.09725), 162.6625, 1e-9);
    // A plot: base 120.00 x Km2 1.35 as the zone value, Kf 2.50, Km3 1.10.
    EXPECT_EQ(Fixed(ValuePerSqM(120.0 * 1.35, 2.5, 1.10), 2), QStringLiteral("445.50"));
    EXPECT_EQ(PlotValue(445.5, 0.15), QStringLiteral("668250.00"));
    EXPECT_EQ(PlotValue(1.005, 1), QStringLiteral("10100.00"));
    EXPECT_EQ(SoilValuePerHa(QStringLiteral("40"), QStringLiteral("12.5"), QStringLiteral("30000"),
                             QStringLiteral("50")),
              QStringLiteral("24000.00"));
    EXPECT_EQ(SoilValuePerHa(QStringLiteral("40"), QString(), QStringLiteral("30000"),
                             QStringLiteral("50")),
              QString());
    EXPECT_EQ(SoilValuePerHa(QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("30000"),
                             QStringLiteral("50")),
              QString());
    const TDinArryOfKoef table{{2005, 1.035, 0}, {2006, 0, 0}, {2007, 1.028, 0}, {2008, 1.152, 0}};
    // The factor as shown (1.035 x 1.028 = 1.06398 shown 1.064) is the one applied, so the
    // value follows from the numbers beside it; a coefficient line gives the same.
    EXPECT_DOUBLE_EQ(ShownIndexationFactor(table, 2005, 2008), 1.064);
    EXPECT_NEAR(IndexedValue(100, table, 2005, 2008), 106.4, 1e-9);
    EXPECT_EQ(IndexedByLine(QStringLiteral("100"), QStringLiteral("* 1.064   - 2005")),
              Fixed(IndexedValue(100, table, 2005, 2008), 2));
    EXPECT_DOUBLE_EQ(IndexedValue(100, table, 2010, 2008), 100);
}

TEST(Names, EveryStoredValueHasOneOwner) {
    QHash<QString, int> owners;
    for (const Ownership& o : Owners()) {
        for (const QString& n : o.indicators)
            ++owners[n];
        for (const QString& t : o.tables)
            ++owners[t];
    }
    for (auto it = owners.cbegin(); it != owners.cend(); ++it)
        EXPECT_EQ(it.value(), 1) << it.key().toStdString();
    Step step{};
    ASSERT_TRUE(OwnerOf(names::ind::AverageValue(), &step));
    EXPECT_EQ(StepCaption(step), QStringLiteral("Середня вартість"));
    ASSERT_TRUE(OwnerOf(names::ind::TotalArea(), &step));
    EXPECT_EQ(StepCaption(step), QStringLiteral("Визначення площ"));
    ASSERT_TRUE(OwnerOf(QStringLiteral("відомість_кварталів"), &step));
    EXPECT_EQ(StepCaption(step), QStringLiteral("Локальні фактори поквартально"));
}
