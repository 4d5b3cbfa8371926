#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

/**
 * Text and number helpers shared by every window. Numbers are written with "." as the
 * decimal separator and rounded half away from zero, the way the valuation tables expect.
 */

/** Field `index` (1-based) of text split at separator; -1 is the text after the last one. */
QString FieldOf(const QString& text, const QString& separator, const QString& defaultValue,
                int index);
/** Every occurrence of `from` replaced, left to right; with repeat, again while it occurs. */
QString ReplaceAll(const QString& text, const QString& from, const QString& to,
                   bool repeat = false);
QString PadText(const QString& text, int width, bool padLeft, bool cut, QChar fill = u' ');
/** The parts before and after the first separator; without one, the text and "". */
std::pair<QString, QString> SplitOnce(const QString& text, const QString& separator);
/** Removes characters of `set` from both ends. */
QString TrimChars(const QString& text, const QString& set);
/** The pieces; the last piece only when it is not empty. */
QStringList SplitList(const QString& text, const QString& separator);
/** The pieces; a text ending with the separator also gets a final empty piece. */
QStringList SplitArray(const QString& text, const QString& separator);
/** Lines joined by carriage returns, each trimmed when asked. */
QString MemoText(const QStringList& lines, bool trim);
/**
 * One line of a delimited text file split at `separator`; a field in double quotes may hold
 * the separator, and "" inside it is one quote.
 */
QStringList SplitCsvLine(const QString& line, QChar separator = u';');
/** A name in straight double quotes, as messages and check lists show names: "зони". */
QString Quoted(const QString& text);
/** Digits, an optional leading "-" and one inner ".". */
bool IsNumberText(const QString& text);
/** n digits from 0 to 8. */
QString RandomDigits(int n);

/** The number with exactly `decimals` decimals ("0.00" for 2), half away from zero. */
QString FormatFixed(double value, int decimals);
/** A number in "." notation, blanks around it allowed; nothing for any other text. */
std::optional<double> ParseNumber(const QString& text);
/** The number, or 0 for a text that is not one. */
double NumberOr0(const QString& text);
/** An integer (optional sign and digits, blanks around it allowed). */
std::optional<long long> ParseInteger(const QString& text);
/** The integer, or 0 for a text that is not one. */
long long IntegerOr0(const QString& text);
/** Rounded to `decimals` by formatting and parsing back. */
double RoundTo(double value, int decimals);
/** The shortest text that reads back as the same double ("12.5", "3"). */
QString ShortestNumberText(double value);

/** What a filter did to an edit's text. */
struct FilterResult {
    QString text;
    int caret = 0;
    int removed = 0;
};

/**
 * Cleans a number typed into an edit: "," becomes ".", at most intDigits digits before
 * the point and fracDigits after it, "-" only first, one ".". The caret moves left by one
 * for every removed character before it.
 */
FilterResult FilterNumberText(const QString& text, int caret, int intDigits, int fracDigits);
/** Keeps only the characters of `allowed`, with the same caret rule. */
FilterResult FilterCharsText(const QString& text, int caret, const QString& allowed);
