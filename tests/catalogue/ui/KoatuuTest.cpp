#include "catalogue/core/Koatuu.h"

#include <gtest/gtest.h>

using namespace koatuu;

TEST(Koatuu, RanksNestCouncilsUnderDistrictsAndVillagesUnderCouncils) {
    EXPECT_EQ(KoatuuRank(QStringLiteral("3222400000"), QStringLiteral("Києво-Святошинський р-н")),
              5);
    EXPECT_EQ(KoatuuRank(QStringLiteral("3222410000"), QStringLiteral("Міста районного значення")),
              6);
    EXPECT_EQ(KoatuuRank(QStringLiteral("3222481500"), QStringLiteral("СІЛЬРАДИ Київської обл")),
              6);
    EXPECT_EQ(KoatuuRank(QStringLiteral("3222481200"), QStringLiteral("Вишнева с.р.")), 8);
    EXPECT_EQ(KoatuuRank(QStringLiteral("3222455100"), QStringLiteral("смт Глеваха")), 8);
    EXPECT_EQ(KoatuuRank(QStringLiteral("3222410100"), QStringLiteral("м. Вишневе")), 8);
    EXPECT_EQ(KoatuuRank(QStringLiteral("3222481201"), QStringLiteral("с. Вишневе")), 10);
    EXPECT_EQ(KoatuuRank(QStringLiteral("3222481202"), QStringLiteral("с-ще Нове")), 10);
    EXPECT_EQ(KoatuuRank(QStringLiteral("8036300001"), QStringLiteral("Голосіївський р-н")), 9);
    EXPECT_EQ(KoatuuRank(QStringLiteral("3222481000"), QStringLiteral("Інше")), 7);
    EXPECT_EQ(KoatuuRank(QStringLiteral("3222481001"), QStringLiteral("Інше")), 5);
    // " С.Р." must end the title.
    EXPECT_EQ(KoatuuRank(QStringLiteral("3222481001"), QStringLiteral("Вишнева с.р. (стара)")), 5);
}

TEST(Koatuu, ChildPatternsAreTenCharacters) {
    EXPECT_EQ(ChildPattern(QStringLiteral("3200000000"), 0), QStringLiteral("32_0000000"));
    EXPECT_EQ(ChildPattern(QStringLiteral("3220000000"), 1), QStringLiteral("322__00000"));
    EXPECT_EQ(ChildPattern(QStringLiteral("3222400000"), 2), QStringLiteral("32224_____"));
}

TEST(Koatuu, SearchPrefixes) {
    const QString detail =
        QStringLiteral("Деталізуйте свій вибір до рівня міста/ради/населеного пункту.");
    EXPECT_EQ(PrefixFor(QStringLiteral("3200000000 - Київська область"), 0, false).warning, detail);
    EXPECT_EQ(PrefixFor(QStringLiteral("8000000000 - м.Київ"), 0, false).prefix,
              QStringLiteral("80"));
    EXPECT_EQ(PrefixFor(QStringLiteral("8500000000 - м.Севастополь"), 1, true).prefix,
              QStringLiteral("85"));
    EXPECT_EQ(PrefixFor(QStringLiteral("3210300000 - м. Біла Церква"), 2, false).prefix,
              QStringLiteral("32103"));
    EXPECT_EQ(PrefixFor(QStringLiteral("3222410100 - м. Вишневе"), 3, false).prefix,
              QStringLiteral("32224101"));
    EXPECT_EQ(PrefixFor(QStringLiteral("3222481200 - Вишнева с.р."), 3, false).prefix,
              QStringLiteral("32224812"));
    EXPECT_EQ(PrefixFor(QStringLiteral("3222400000 - Києво-Святошинський р-н"), 2, false).warning,
              detail);
    // A leaf that is itself a settlement searches its own code.
    EXPECT_EQ(PrefixFor(QStringLiteral("3222481201 - с. Вишневе"), 4, true).prefix,
              QStringLiteral("3222481201"));
    EXPECT_EQ(ProjectNameFor(QStringLiteral("3222481200 - Вишнева с.р.")),
              QStringLiteral("Вишнева сільська рада"));
    EXPECT_TRUE(SettlementsSql(QStringLiteral("32224812"))
                    .startsWith(QStringLiteral("select title,code from коатуу where (code like "
                                               "'32224812%')  and (title like 'с.%'")));
}

TEST(Koatuu, NestingByRankAndPastTheTop) {
    const std::vector<std::pair<QString, QString>> rows = {
        {QStringLiteral("3222410100"), QStringLiteral("м. Вишневе")},
        {QStringLiteral("3222481200"), QStringLiteral("Вишнева с.р.")},
        {QStringLiteral("3222481201"), QStringLiteral("с. Вишневе")},
        {QStringLiteral("3222481202"), QStringLiteral("с. Нове")},
        {QStringLiteral("3222455100"), QStringLiteral("смт Глеваха")},
    };
    const auto nested =
        NestByRank(QStringLiteral("3222400000"), QStringLiteral("Києво-Святошинський р-н"), rows);
    std::vector<int> parents;
    for (const NestedRow& r : nested)
        parents.push_back(r.parent);
    EXPECT_EQ(parents, std::vector<int>({-1, -1, 1, 1, -1}));
    // Under a node of the highest rank every entry climbs past the top: it stays under that node.
    const auto flat = NestByRank(QStringLiteral("3222481201"), QStringLiteral("с. Вишневе"),
                                 {{QStringLiteral("3222481202"), QStringLiteral("с. Нове")}});
    EXPECT_EQ(flat[0].parent, -1);
}

TEST(Koatuu, MovingItemsArriveInReverseOrder) {
    QStringList from = {"a", "b", "c", "d"};
    QStringList to = {"x"};
    EXPECT_EQ(MoveItems(from, to, {0, 2}), 0);
    EXPECT_EQ(to, QStringList({"x", "c", "a"}));
    EXPECT_EQ(from, QStringList({"b", "d"}));
    EXPECT_EQ(MoveItems(from, to, {1}), 0);
    EXPECT_EQ(MoveItems(from, to, {0}), -1);
    EXPECT_EQ(FindIgnoringCase({QStringLiteral("с. Нове")}, QStringLiteral("С. НОВЕ")), 0);
    EXPECT_EQ(FindIgnoringCase({QStringLiteral("с. Нове")}, QStringLiteral("С. НОВЕ"), 0), -1);
}
