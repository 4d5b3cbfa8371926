#include "valuation/IndexationLines.h"

#include "common/TextUtils.h"

QString IndexationLine(double factor, int year) {
    return QStringLiteral("* ") + FormatFixed(factor, 3) + QStringLiteral("   - ") +
           QString::number(year);
}

QStringList IndexationLines(const TDinArryOfKoef& table, int toYear, int kind) {
    QStringList lines;
    for (const TKoefItem& item : table) {
        const double k = kind == KindInflation ? item.inflation : item.indexation;
        if (k != 0)
            lines << IndexationLine(IndexationFactor(table, item.year, toYear, kind), item.year);
    }
    return lines;
}

double IndexationLineFactor(const QString& line) {
    const QString before = line.section(u'-', 0, 0);
    const std::optional<double> k = ParseNumber(TrimChars(before, QStringLiteral(" *")));
    return k ? *k : 1.0;
}
