#include "common/TextUtils.h"

#include <QLocale>
#include <QRandomGenerator>
#include <algorithm>
#include <cmath>
#include <iterator>

QString FieldOf(const QString& text, const QString& separator, const QString& defaultValue,
                int index) {
    if (text.isEmpty())
        return defaultValue;
    if (index == -1) {
        const qsizetype at = text.lastIndexOf(separator);
        return at < 0 ? text : text.mid(at + separator.size());
    }
    if (index < 1 || separator.isEmpty())
        return index == 1 ? text : defaultValue;
    qsizetype start = 0;
    for (int field = 1; field < index; ++field) {
        const qsizetype at = text.indexOf(separator, start);
        if (at < 0)
            return defaultValue;
        start = at + separator.size();
    }
    const qsizetype end = text.indexOf(separator, start);
    return end < 0 ? text.mid(start) : text.mid(start, end - start);
}

QString ReplaceAll(const QString& text, const QString& from, const QString& to, bool repeat) {
    if (from.isEmpty())
        return text;
    QString result = text;
    result.replace(from, to);
    // A replacement that itself contains the old text would never end.
    if (repeat && !to.contains(from)) {
        while (result.contains(from))
            result.replace(from, to);
    }
    return result;
}

QString PadText(const QString& text, int width, bool padLeft, bool cut, QChar fill) {
    if (text.size() < width) {
        const QString padding(width - text.size(), fill);
        return padLeft ? padding + text : text + padding;
    }
    return cut ? text.left(width) : text;
}

std::pair<QString, QString> SplitOnce(const QString& text, const QString& separator) {
    const qsizetype at = separator.isEmpty() ? -1 : text.indexOf(separator);
    if (at < 0)
        return {text, QString()};
    return {text.left(at), text.mid(at + separator.size())};
}

QString TrimChars(const QString& text, const QString& set) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && set.contains(text[begin]))
        ++begin;
    while (end > begin && set.contains(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

QStringList SplitList(const QString& text, const QString& separator) {
    QStringList pieces = text.split(separator);
    if (!pieces.isEmpty() && pieces.last().isEmpty())
        pieces.removeLast();
    return pieces;
}

QStringList SplitArray(const QString& text, const QString& separator) {
    if (text.isEmpty())
        return {};
    return text.split(separator);
}

QString MemoText(const QStringList& lines, bool trim) {
    if (!trim)
        return lines.join(u'\r');
    QStringList trimmed;
    trimmed.reserve(lines.size());
    for (const QString& line : lines)
        trimmed << line.trimmed();
    return trimmed.join(u'\r');
}

QString Quoted(const QString& text) {
    return u'"' + text + u'"';
}

bool IsNumberText(const QString& text) {
    if (text.isEmpty())
        return false;
    bool point = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128)
            continue;
        if (c == u'-' && i == 0)
            continue;
        if (c == u'.' && !point && i > 0 && i < text.size() - 1) {
            point = true;
            continue;
        }
        return false;
    }
    return text != QStringLiteral("-");
}

QString RandomDigits(int n) {
    QString digits;
    digits.reserve(n);
    for (int i = 0; i < n; ++i)
        digits += QChar(u'0' + QRandomGenerator::global()->bounded(100) % 9);
    return digits;
}

namespace {

/** Rounds a decimal digit string (no sign) at `decimals`, half away from zero. */
QString RoundDecimalText(const QString& digits, int decimals) {
    qsizetype point = digits.indexOf(u'.');
    QString whole = point < 0 ? digits : digits.left(point);
    QString frac = point < 0 ? QString() : digits.mid(point + 1);
    const bool roundUp = frac.size() > decimals && frac[decimals] >= u'5';
    frac = frac.left(decimals).leftJustified(decimals, u'0');
    QString all = whole + frac;
    if (roundUp) {
        qsizetype i = all.size() - 1;
        while (i >= 0 && all[i] == u'9') {
            all[i] = u'0';
            --i;
        }
        if (i < 0)
            all.prepend(u'1');
        else
            all[i] = QChar(all[i].unicode() + 1);
    }
    whole = all.left(all.size() - decimals);
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    return decimals > 0 ? whole + u'.' + all.right(decimals) : whole;
}

} // namespace

namespace {

constexpr double kPowersOf10[] = {1e0, 1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,
                                  1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17};
constexpr long long kWholePowersOf10[] = {1LL,
                                          10LL,
                                          100LL,
                                          1000LL,
                                          10000LL,
                                          100000LL,
                                          1000000LL,
                                          10000000LL,
                                          100000000LL,
                                          1000000000LL,
                                          10000000000LL,
                                          100000000000LL,
                                          1000000000000LL,
                                          10000000000000LL,
                                          100000000000000LL,
                                          1000000000000000LL,
                                          10000000000000000LL,
                                          100000000000000000LL};

/** The value's fifteen significant digits as text, then that text rounded. */
QString FormatFixedByText(double value, int decimals) {
    // Fifteen significant digits first, so 2.675 is seen as written, not as 2.67499999.
    QString text = QString::number(std::fabs(value), 'g', 15);
    if (text.contains(u'e'))
        text = QString::number(std::fabs(value), 'f', 15);
    QString rounded = RoundDecimalText(text, decimals);
    bool zero = true;
    for (QChar c : rounded)
        if (c != u'0' && c != u'.')
            zero = false;
    return (value < 0 && !zero) ? u'-' + rounded : rounded;
}

/**
 * The same result in integers for the values money and coefficients take (0.001 to 10^13,
 * up to 9 decimals), or nothing when the fifteenth digit is too close to call in binary.
 */
std::optional<QString> FormatFixedFast(double value, int decimals) {
    const double v = std::fabs(value);
    if (!(v >= 1e-3 && v < 1e13) || decimals < 0 || decimals > 9)
        return std::nullopt;
    // 10^e <= v < 10^(e+1); the fifteen digits are v * 10^(14 - e) rounded.
    int scale = 14 - std::clamp(static_cast<int>(std::floor(std::log10(v))), -3, 12);
    double scaled = v * kPowersOf10[scale];
    if (scaled < 1e14 && scale < 17)
        scaled = v * kPowersOf10[++scale];
    else if (scaled >= 1e15 && scale > 2)
        scaled = v * kPowersOf10[--scale];
    // Below 2^50 the product is within 1/16 of the exact one: away from a half and from the
    // ends of the fifteen digits, its rounding is the exact one.
    const double floor = std::floor(scaled);
    if (scaled < 1e14 + 1 || scaled > 1e15 - 1 || std::fabs(scaled - floor - 0.5) < 0.125)
        return std::nullopt;
    long long digits = static_cast<long long>(floor) + (scaled - floor > 0.5 ? 1 : 0);
    if (decimals < scale) {
        const int drop = scale - decimals;
        if (drop > 17)
            return std::nullopt;
        digits = (digits + kWholePowersOf10[drop] / 2) / kWholePowersOf10[drop];
    } else {
        const int pad = decimals - scale;
        if (pad > 17 || digits > 9'000'000'000'000'000'000LL / kWholePowersOf10[pad] / 10)
            return std::nullopt;
        digits *= kWholePowersOf10[pad];
    }
    const bool zero = digits == 0;
    // The digits from the last, then the sign.
    char16_t buffer[48];
    char16_t* end = buffer + std::size(buffer);
    char16_t* at = end;
    for (int i = 0; i < decimals; ++i, digits /= 10)
        *--at = static_cast<char16_t>(u'0' + digits % 10);
    if (decimals > 0)
        *--at = u'.';
    do {
        *--at = static_cast<char16_t>(u'0' + digits % 10);
        digits /= 10;
    } while (digits > 0);
    if (value < 0 && !zero)
        *--at = u'-';
    return QString(reinterpret_cast<const QChar*>(at), end - at);
}

/**
 * Plain "[-]digits[.digits]" of at most fifteen digits, read exactly: the digits and the power
 * of ten are both exact doubles, so their one division rounds as any correct reader does.
 */
std::optional<double> ParsePlainDecimal(const QString& text) {
    const qsizetype n = text.size();
    qsizetype i = 0;
    const bool negative = n > 0 && text[0] == u'-';
    if (negative)
        ++i;
    long long digits = 0;
    int count = 0, decimals = -1;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c >= u'0' && c <= u'9') {
            digits = digits * 10 + (c - u'0');
            if (++count > 15)
                return std::nullopt;
            if (decimals >= 0)
                ++decimals;
        } else if (c == u'.' && decimals < 0 && count > 0) {
            decimals = 0;
        } else {
            return std::nullopt;
        }
    }
    if (count == 0 || decimals == 0)
        return std::nullopt;
    double v = static_cast<double>(digits);
    if (decimals > 0)
        v /= kPowersOf10[decimals];
    return negative ? -v : v;
}

} // namespace

QString FormatFixed(double value, int decimals) {
    if (!std::isfinite(value))
        return QString::number(value, 'f', decimals);
    if (value == 0)
        return decimals > 0 ? QStringLiteral("0.") + QString(decimals, u'0') : QStringLiteral("0");
    if (std::optional<QString> fast = FormatFixedFast(value, decimals))
        return *std::move(fast);
    return FormatFixedByText(value, decimals);
}

QStringList SplitCsvLine(const QString& line, QChar separator) {
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == separator) {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

std::optional<double> ParseNumber(const QString& text) {
    if (std::optional<double> plain = ParsePlainDecimal(text))
        return plain;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    for (QChar c : trimmed) {
        // Only plain decimal notation with an optional exponent.
        if (!(c.isDigit() || c == u'.' || c == u'-' || c == u'+' || c == u'e' || c == u'E'))
            return std::nullopt;
    }
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double NumberOr0(const QString& text) {
    return ParseNumber(text).value_or(0.0);
}

std::optional<long long> ParseInteger(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed[i];
        if (!(c.isDigit() && c.unicode() < 128) && !(i == 0 && (c == u'-' || c == u'+')))
            return std::nullopt;
    }
    bool ok = false;
    const long long value = trimmed.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

long long IntegerOr0(const QString& text) {
    return ParseInteger(text).value_or(0);
}

double RoundTo(double value, int decimals) {
    return NumberOr0(FormatFixed(value, decimals));
}

QString ShortestNumberText(double value) {
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

FilterResult FilterNumberText(const QString& text, int caret, int intDigits, int fracDigits) {
    FilterResult result;
    result.caret = caret;
    bool point = false;
    int wholeDigits = 0;
    int fraction = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (c == u',')
            c = u'.';
        bool keep = false;
        if (c.isDigit() && c.unicode() < 128) {
            keep = point ? fraction < fracDigits : wholeDigits < intDigits;
            if (keep)
                ++(point ? fraction : wholeDigits);
        } else if (c == u'-') {
            keep = i == 0;
        } else if (c == u'.') {
            keep = !point && fracDigits > 0;
            point = point || keep;
        }
        if (keep) {
            result.text += c;
        } else {
            ++result.removed;
            if (i < caret)
                --result.caret;
        }
    }
    return result;
}

FilterResult FilterCharsText(const QString& text, int caret, const QString& allowed) {
    FilterResult result;
    result.caret = caret;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (allowed.contains(text[i])) {
            result.text += text[i];
        } else {
            ++result.removed;
            if (i < caret)
                --result.caret;
        }
    }
    return result;
}
