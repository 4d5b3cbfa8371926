#include "common/TextUtils.h"

#include <QLocale>
#include <QRandomGenerator>
#include <cmath>

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

QString JoinLines(const QStringList& lines, const QString& separator) {
    return lines.join(separator);
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

QString FormatFixed(double value, int decimals) {
    if (!std::isfinite(value))
        return QString::number(value, 'f', decimals);
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
