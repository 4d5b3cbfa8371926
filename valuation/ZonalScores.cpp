#include "valuation/ZonalScores.h"

#include "common/TextUtils.h"

#include <cmath>
#include <limits>
#include <vector>

long long ScoreValue(const QString& text) {
    if (const std::optional<long long> whole = ParseInteger(text))
        return *whole;
    long long value = 0;
    const QString trimmed = text.trimmed();
    for (const QChar c : trimmed) {
        if (c < u'0' || c > u'9')
            break;
        value = value * 10 + (c.unicode() - u'0');
        if (value > 1000000000000LL) // a score is small; a run of digits is not worth more
            break;
    }
    return value;
}

double NoIndex() {
    return std::numeric_limits<double>::quiet_NaN();
}

QString NoScoresText() {
    return QStringLiteral("Не уведено жодних пофакторних оцінок.");
}

namespace {

bool HasScore(const QString& text) {
    return !text.trimmed().isEmpty();
}

void ClearCols(StringGrid& grid, int first, int last) {
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row)
        for (int col = first; col <= last; ++col)
            grid.set(row, col, QString());
}

/** A value rounded to `decimals` as the grids show it, and that text read back. */
struct Rounded {
    QString text;
    double value = 0;
};
Rounded Round(double value, int decimals) {
    Rounded r{FormatFixed(value, decimals), 0};
    r.value = NumberOr0(r.text);
    return r;
}

/** District columns that have a result row: the k-th district is the k-th data row. */
int DistrictCount(const StringGrid& anketa, const StringGrid& result) {
    return std::min(anketa.colCount() - AnketaFirstDistrictCol,
                    result.rowCount() - result.fixedRows());
}

} // namespace

QString ComputeScores(const StringGrid& anketa, StringGrid& result) {
    const ResultColumns cols = ResultColumnsOf(ZonalVariant::Weighted);
    ClearCols(result, 2, cols.value);
    constexpr int SumCol = 2, MeanCol = 3, WeightedCol = 4;

    long long total = 0;
    double weighted = 0;
    const int districts = DistrictCount(anketa, result);
    for (int k = 0; k < districts; ++k) {
        const int col = AnketaFirstDistrictCol + k;
        long long sum = 0;
        int count = 0;
        for (int row = anketa.fixedRows(); row < anketa.rowCount(); ++row) {
            const QString text = anketa.at(row, col);
            if (!HasScore(text))
                continue;
            sum += ScoreValue(text);
            ++count;
        }
        if (count == 0)
            continue;
        const Rounded mean = Round(static_cast<double>(sum) / count, 2);
        const int row = result.fixedRows() + k;
        result.set(row, SumCol, QString::number(sum));
        result.set(row, MeanCol, mean.text);
        total += sum;
        weighted += static_cast<double>(sum) * mean.value;
    }
    if (total == 0)
        return NoScoresText();

    const double t = RoundTo(static_cast<double>(total), 4);
    const double w = RoundTo(weighted, 2);
    const double average = RoundTo(w / t, 2);
    const QString averageText = FormatFixed(average, 2);
    for (int row = result.fixedRows(); row < result.rowCount(); ++row) {
        if (result.at(row, SumCol).isEmpty())
            continue;
        result.set(row, WeightedCol, averageText);
        // An average that rounds to zero gives no index rather than a division by zero.
        if (average != 0)
            result.set(row, cols.ii, FormatFixed(NumberOr0(result.at(row, MeanCol)) / average, 2));
    }
    return QString();
}

const QStringList& GroupBaseNames(int group) {
    static const QStringList groups[FactorGroupCount] = {
        {QStringLiteral("Доступність до центру населеного пункту"),
         QStringLiteral("Доступність до концентрованих місць прикладання праці"),
         QStringLiteral("Доступність до місць масового відпочинку"),
         QStringLiteral("Доступність до зупинок суспільного транспорту"),
         QStringLiteral("Доступність до залізничних/авто вокзалів, станцій")},
        {QStringLiteral("Рівень чистоти повітря"), QStringLiteral("Рівень зашумленості"),
         QStringLiteral("Рівень забруднення поверхневих та ґрунтових вод"),
         QStringLiteral("Рівень забруднення ґрунтів"),
         QStringLiteral("Рівень електромагнітного забруднення"), QStringLiteral("Якість ґрунтів"),
         QStringLiteral("Підтоплення ґрунтовими водами"), QStringLiteral("Ускладнений рельєф")},
        {QStringLiteral("Рівень теплопостачання"), QStringLiteral("Рівень газопостачання"),
         QStringLiteral("Рівень водопостачання"), QStringLiteral("Рівень каналізації"),
         QStringLiteral("Рівень електропостачання"),
         QStringLiteral("Забезпеченість під'їзними шляхами"),
         QStringLiteral("Інженерна підготовка території"),
         QStringLiteral("Сприятливість інженерно-геологічних умов")},
        {QStringLiteral("Забезпечення магазинами"),
         QStringLiteral("Забезпечення закладами побутового обслуговування"),
         QStringLiteral("Забезпечення культурними та спортивними закладами"),
         QStringLiteral("Забезпечення школами"),
         QStringLiteral("Забезпечення дитячими садками - яслами"),
         QStringLiteral("Забезпечення поліклініками, лікарнями"),
         QStringLiteral("Забезпечення аптеками"),
         QStringLiteral("Рівень естетики забудови і середовища"),
         QStringLiteral("Рівень престижності")}};
    static const QStringList none;
    return group >= 1 && group <= FactorGroupCount ? groups[group - 1] : none;
}

bool FactorInGroup(const QString& factor, int group) {
    for (const QString& base : GroupBaseNames(group))
        if (factor.contains(base, Qt::CaseSensitive))
            return true;
    return false;
}

GroupIndex ComputeGroupIndex(const StringGrid& anketa, StringGrid& result, int group) {
    GroupIndex out;
    const int meanCol = 5 * group - 3, productCol = 5 * group - 2, weightedCol = 5 * group - 1,
              indexCol = 5 * group;
    out.indices.assign(static_cast<size_t>(std::max(result.rowCount() - result.fixedRows(), 0)),
                       NoIndex());

    std::vector<int> rows;
    for (int row = anketa.fixedRows(); row < anketa.rowCount(); ++row)
        if (FactorInGroup(anketa.at(row, AnketaFactorCol), group))
            rows.push_back(row);

    // The means of the districts that have one, by district.
    std::vector<double> means(out.indices.size(), NoIndex());
    double areaSum = 0, productSum = 0;
    const int districts = DistrictCount(anketa, result);
    for (int k = 0; k < districts; ++k) {
        const int col = AnketaFirstDistrictCol + k;
        long long sum = 0;
        int count = 0;
        for (const int row : rows) {
            const QString text = anketa.at(row, col);
            if (!HasScore(text))
                continue;
            sum += ScoreValue(text);
            ++count;
        }
        if (count == 0)
            continue;
        const int resultRow = result.fixedRows() + k;
        const double area = NumberOr0(result.at(resultRow, 1));
        if (area == 0)
            continue;
        const Rounded mean = Round(static_cast<double>(sum) / count, 2);
        const Rounded product = Round(mean.value * area, 2);
        result.set(resultRow, meanCol, mean.text);
        result.set(resultRow, productCol, product.text);
        means[static_cast<size_t>(k)] = mean.value;
        areaSum += area;
        productSum += product.value;
    }
    if (areaSum == 0)
        return out;
    areaSum = RoundTo(areaSum, 2);
    productSum = RoundTo(productSum, 2);
    if (areaSum == 0)
        return out;
    const Rounded weighted = Round(productSum / areaSum, 2);
    out.weightedMean = weighted.value;
    // Means that are all 0 give no index rather than a division by zero.
    if (out.weightedMean == 0)
        return out;

    double minimum = 9999, maximum = 0;
    for (size_t k = 0; k < means.size(); ++k) {
        if (std::isnan(means[k]))
            continue;
        const int row = result.fixedRows() + static_cast<int>(k);
        const Rounded index = Round(means[k] / out.weightedMean, 2);
        result.set(row, weightedCol, weighted.text);
        result.set(row, indexCol, index.text);
        out.indices[k] = index.value;
        minimum = std::min(minimum, index.value);
        maximum = std::max(maximum, index.value);
    }
    if (minimum != 9999)
        out.minimum = FormatFixed(minimum, 2);
    if (maximum != 0)
        out.maximum = FormatFixed(maximum, 2);
    return out;
}

IntegralIndex ComputeIntegralIndex(const StringGrid& anketa, StringGrid& result) {
    IntegralIndex out;
    const ResultColumns cols = ResultColumnsOf(ZonalVariant::Grouped);
    ClearCols(result, 2, cols.value);

    double total = 0;
    for (int g = 1; g <= FactorGroupCount; ++g) {
        out.groups[static_cast<size_t>(g - 1)] = ComputeGroupIndex(anketa, result, g);
        total += out.groups[static_cast<size_t>(g - 1)].weightedMean;
    }
    if (total == 0) {
        out.warning = NoScoresText();
        return out;
    }
    std::array<double, FactorGroupCount> weights{};
    std::array<QString, FactorGroupCount> weightTexts;
    for (size_t g = 0; g < FactorGroupCount; ++g) {
        weights[g] = out.groups[g].weightedMean / total;
        weightTexts[g] = FormatFixed(weights[g], 4);
    }

    for (int row = result.fixedRows(); row < result.rowCount(); ++row) {
        const size_t k = static_cast<size_t>(row - result.fixedRows());
        double ii = 0;
        bool scored = false;
        for (int g = 1; g <= FactorGroupCount; ++g) {
            const GroupIndex& group = out.groups[static_cast<size_t>(g - 1)];
            // The group applies where the district has a mean in it.
            if (result.at(row, 5 * g - 3).isEmpty())
                continue;
            const double index = std::isnan(group.indices[k]) ? 0 : group.indices[k];
            ii += index * weights[static_cast<size_t>(g - 1)];
            result.set(row, 5 * g + 1, weightTexts[static_cast<size_t>(g - 1)]);
            scored = true;
        }
        // A district without any score has no index, as in the weighted variant, so it
        // cannot pull its zone's Km2 down.
        if (scored)
            result.set(row, cols.ii, FormatFixed(ii, 2));
    }
    out.control = QStringLiteral("Контрольне = ") +
                  FormatFixed(weights[0] + weights[1] + weights[2] + weights[3], 4);
    return out;
}

IndexOutcome ComputeIndices(ZonalVariant variant, const StringGrid& anketa, StringGrid& result) {
    IndexOutcome out;
    if (variant == ZonalVariant::Weighted) {
        out.warning = ComputeScores(anketa, result);
    } else {
        out.integral = ComputeIntegralIndex(anketa, result);
        out.warning = out.integral.warning;
    }
    return out;
}
