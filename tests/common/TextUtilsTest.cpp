#include "common/TextUtils.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {

/** Rounds the digits `all` (no point) half up to their first `cut`; the point moves on a carry. */
void RoundHalfUp(std::string& all, size_t& point, size_t cut) {
    if (all.size() <= cut) {
        all.resize(cut, '0');
        return;
    }
    const bool up = all[cut] >= '5';
    all.resize(cut);
    for (size_t i = cut; up && i-- > 0;) {
        if (all[i] != '9') {
            ++all[i];
            return;
        }
        all[i] = '0';
    }
    if (up) {
        all.insert(all.begin(), '1');
        ++point;
    }
}

/**
 * An independent rounding from the exact decimal expansion of the double: fifteen significant
 * digits (fifteen decimals below 10^-4 and from 10^15) half up, then `decimals` half up.
 */
std::string ReferenceFixed(double value, int decimals) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.90f", std::abs(value));
    const std::string exact = buffer;
    const size_t dot = exact.find('.');
    std::string all = exact.substr(0, dot) + exact.substr(dot + 1);
    size_t point = dot;
    const size_t first = all.find_first_not_of('0');
    if (first == std::string::npos)
        return decimals > 0 ? "0." + std::string(static_cast<size_t>(decimals), '0') : "0";
    std::string significant = all;
    size_t significantPoint = point;
    RoundHalfUp(significant, significantPoint, first + 15);
    // Where fifteen digits would be written with an exponent, fifteen decimals instead.
    const size_t lead = significant.find_first_not_of('0');
    if (lead >= significantPoint + 4 || significantPoint - std::min(lead, significantPoint) > 15)
        RoundHalfUp(all, point, point + 15);
    else {
        all = significant;
        point = significantPoint;
    }
    RoundHalfUp(all, point, point + static_cast<size_t>(decimals));
    std::string whole = all.substr(0, point);
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size() - 1));
    std::string result = decimals > 0 ? whole + '.' + all.substr(point) : whole;
    if (value < 0 && result.find_first_not_of("0.") != std::string::npos)
        result.insert(result.begin(), '-');
    return result;
}

} // namespace

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
    EXPECT_EQ(FormatFixed(0.125, 2), QStringLiteral("0.13"));
    EXPECT_EQ(FormatFixed(999999999999.995, 2), QStringLiteral("1000000000000.00"));
    EXPECT_EQ(FormatFixed(1e20, 1), QStringLiteral("100000000000000000000.0"));
    EXPECT_EQ(FormatFixed(0.00004999, 4), QStringLiteral("0.0000"));
}

TEST(TextUtils, FormattingAgreesWithTheWrittenDigitsEverywhere) {
    // Money, coefficients and areas as typed (few decimals, many exactly half-way in
    // writing), and arbitrary doubles of every size.
    std::mt19937_64 random(20261209);
    std::uniform_int_distribution<long long> cents(-100000000000, 100000000000);
    std::uniform_int_distribution<int> places(0, 6), shift(0, 7);
    std::uniform_real_distribution<double> exponent(-6, 16);
    for (int i = 0; i < 200000; ++i) {
        const int decimals = places(random);
        const double typed = static_cast<double>(cents(random)) / std::pow(10.0, shift(random));
        const double any = std::pow(10.0, exponent(random)) * (i % 2 ? 1 : -1);
        for (const double value : {typed, any, typed * 1.064, any / 3})
            ASSERT_EQ(FormatFixed(value, decimals).toStdString(), ReferenceFixed(value, decimals))
                << value << " to " << decimals;
    }
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
    EXPECT_FALSE(ParseNumber(QStringLiteral("-")));
    EXPECT_FALSE(ParseNumber(QStringLiteral("1.2.3")));
    EXPECT_FALSE(ParseNumber(QStringLiteral("٣")));
    EXPECT_TRUE(std::signbit(*ParseNumber(QStringLiteral("-0"))));
}

TEST(TextUtils, ParsingReadsEveryDecimalAsTheCLibraryDoes) {
    std::mt19937_64 random(9122026);
    std::uniform_int_distribution<long long> digits(0, 9999999999999999LL);
    std::uniform_int_distribution<int> point(0, 18);
    for (int i = 0; i < 200000; ++i) {
        std::string text = std::to_string(digits(random));
        const int at = point(random);
        if (at > 0 && at < static_cast<int>(text.size()))
            text.insert(text.size() - static_cast<size_t>(at), ".");
        if (i % 3 == 0)
            text.insert(text.begin(), '-');
        const std::optional<double> read = ParseNumber(QString::fromStdString(text));
        ASSERT_TRUE(read) << text;
        ASSERT_EQ(*read, std::strtod(text.c_str(), nullptr)) << text;
    }
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
