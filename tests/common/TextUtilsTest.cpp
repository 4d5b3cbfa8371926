#include "common/TextUtils.h"

#include <gtest/gtest.h>

TEST(TextUtils, FieldOfSettlementEntry) {
    const QString entry = QStringLiteral("с. Вишневе, 3222481201");
    EXPECT_EQ(FieldOf(entry, QStringLiteral(","), QStringLiteral("x"), 1),
              QStringLiteral("с. Вишневе"));
    // The code keeps its leading blank; callers trim it.
    EXPECT_EQ(FieldOf(entry, QStringLiteral(","), QStringLiteral("x"), 2),
              QStringLiteral(" 3222481201"));
    EXPECT_EQ(FieldOf(entry, QStringLiteral(","), QStringLiteral("x"), 3), QStringLiteral("x"));
    EXPECT_EQ(FieldOf(QString(), QStringLiteral(","), QStringLiteral("d"), 1), QStringLiteral("d"));
    EXPECT_EQ(FieldOf(QStringLiteral("a - b - c"), QStringLiteral(" - "), QString(), -1),
              QStringLiteral("c"));
    EXPECT_EQ(FieldOf(QStringLiteral("abc"), QStringLiteral(" - "), QString(), -1),
              QStringLiteral("abc"));
    EXPECT_EQ(FieldOf(QStringLiteral("a;b;c"), QStringLiteral(";"), QString(), 2),
              QStringLiteral("b"));
}

TEST(TextUtils, SplittingAndTrimming) {
    EXPECT_EQ(SplitOnce(QStringLiteral("1.5"), QStringLiteral(".")),
              std::make_pair(QStringLiteral("1"), QStringLiteral("5")));
    EXPECT_EQ(SplitOnce(QStringLiteral("15"), QStringLiteral(".")),
              std::make_pair(QStringLiteral("15"), QString()));
    EXPECT_EQ(TrimChars(QStringLiteral(" * 1.064  "), QStringLiteral(" *")),
              QStringLiteral("1.064"));
    EXPECT_EQ(TrimChars(QStringLiteral("***"), QStringLiteral("*")), QString());
    EXPECT_EQ(SplitList(QStringLiteral("a,b,"), QStringLiteral(",")), QStringList({"a", "b"}));
    EXPECT_EQ(SplitArray(QStringLiteral("a,b,"), QStringLiteral(",")), QStringList({"a", "b", ""}));
    EXPECT_EQ(
        ReplaceAll(QStringLiteral("a  b   c"), QStringLiteral("  "), QStringLiteral(" "), true),
        QStringLiteral("a b c"));
    EXPECT_EQ(ReplaceAll(QStringLiteral("aaa"), QString(), QStringLiteral("b")),
              QStringLiteral("aaa"));
    EXPECT_EQ(PadText(QStringLiteral("7"), 3, true, false, u'0'), QStringLiteral("007"));
    EXPECT_EQ(PadText(QStringLiteral("12345"), 3, true, true, u'0'), QStringLiteral("123"));
    EXPECT_EQ(MemoText({QStringLiteral(" a "), QStringLiteral("b")}, true), QStringLiteral("a\rb"));
}

TEST(TextUtils, NumberTextChecks) {
    EXPECT_TRUE(IsNumberText(QStringLiteral("-12.5")));
    EXPECT_FALSE(IsNumberText(QStringLiteral(".5")));
    EXPECT_FALSE(IsNumberText(QStringLiteral("5.")));
    EXPECT_FALSE(IsNumberText(QStringLiteral("1.2.3")));
    EXPECT_FALSE(IsNumberText(QStringLiteral("1-2")));
    EXPECT_FALSE(IsNumberText(QString()));
    const QString digits = RandomDigits(20);
    EXPECT_EQ(digits.size(), 20);
    for (QChar c : digits)
        EXPECT_TRUE(c >= u'0' && c <= u'8');
}

TEST(TextUtils, FormattingRoundsHalfAwayFromZero) {
    EXPECT_EQ(FormatFixed(12.5, 4), QStringLiteral("12.5000"));
    EXPECT_EQ(FormatFixed(2.675, 2), QStringLiteral("2.68"));
    EXPECT_EQ(FormatFixed(1.09725, 2), QStringLiteral("1.10"));
    EXPECT_EQ(FormatFixed(1.06398, 3), QStringLiteral("1.064"));
    EXPECT_EQ(FormatFixed(-0.004, 2), QStringLiteral("0.00"));
    EXPECT_EQ(FormatFixed(-1.005, 2), QStringLiteral("-1.01"));
    EXPECT_EQ(FormatFixed(9.999, 2), QStringLiteral("10.00"));
    EXPECT_EQ(FormatFixed(6.38 * 2 * 2.4, 2), QStringLiteral("30.62"));
    EXPECT_EQ(FormatFixed(0, 0), QStringLiteral("0"));
    EXPECT_DOUBLE_EQ(RoundTo(58.5 / 15.0, 2), 3.9);
}

TEST(TextUtils, ParsingAcceptsOnlyPointNotation) {
    EXPECT_EQ(ParseNumber(QStringLiteral(" 12.5 ")), 12.5);
    EXPECT_EQ(ParseNumber(QStringLiteral("1e3")), 1000.0);
    EXPECT_FALSE(ParseNumber(QStringLiteral("12,5")));
    EXPECT_FALSE(ParseNumber(QStringLiteral("abc")));
    EXPECT_FALSE(ParseNumber(QString()));
    EXPECT_FALSE(ParseNumber(QStringLiteral("inf")));
    EXPECT_EQ(NumberOr0(QStringLiteral("x")), 0.0);
    EXPECT_EQ(ParseInteger(QStringLiteral("007")), 7);
    EXPECT_FALSE(ParseInteger(QStringLiteral("7.0")));
    EXPECT_EQ(ShortestNumberText(12.5), QStringLiteral("12.5"));
    EXPECT_EQ(ShortestNumberText(1e6), QStringLiteral("1000000"));
}

TEST(TextUtils, NumberFilterKeepsLimitsAndCaret) {
    // A typed comma becomes a point.
    FilterResult r = FilterNumberText(QStringLiteral("12,5"), 4, 12, 4);
    EXPECT_EQ(r.text, QStringLiteral("12.5"));
    EXPECT_EQ(r.removed, 0);
    // A fifth digit after the point is dropped, caret follows.
    r = FilterNumberText(QStringLiteral("1.23456"), 7, 12, 4);
    EXPECT_EQ(r.text, QStringLiteral("1.2345"));
    EXPECT_EQ(r.removed, 1);
    EXPECT_EQ(r.caret, 6);
    // A leading minus stays; one typed after a digit goes.
    EXPECT_EQ(FilterNumberText(QStringLiteral("-5"), 2, 12, 4).text, QStringLiteral("-5"));
    r = FilterNumberText(QStringLiteral("5-"), 2, 12, 4);
    EXPECT_EQ(r.text, QStringLiteral("5"));
    EXPECT_EQ(r.caret, 1);
    // Only the first point; letters go; caret moves left for removals before it only.
    r = FilterNumberText(QStringLiteral("1a.2.3"), 2, 12, 4);
    EXPECT_EQ(r.text, QStringLiteral("1.23"));
    EXPECT_EQ(r.caret, 1);
    EXPECT_EQ(FilterNumberText(QStringLiteral("1234"), 4, 3, 2).text, QStringLiteral("123"));
    r = FilterCharsText(QStringLiteral("1a2:3"), 5, QStringLiteral("0123456789:"));
    EXPECT_EQ(r.text, QStringLiteral("12:3"));
    EXPECT_EQ(r.caret, 4);
}
