#include "valuation/ZonalKm2.h"

#include "common/TextUtils.h"
#include "common/WaitCursor.h"

#include <QHash>

using valuation::Km2Bounds;
using valuation::Km2BoundsFor;

namespace {

/** The districts of one zone with an Іі, and their sums. */
struct ZoneSums {
    QString zone;
    std::vector<int> rows;
    double area = 0;
    double weighted = 0;
};

QString BoundedLine(const QString& zone, double km2, double bound) {
    return QStringLiteral("У зоні № ") + zone + QStringLiteral("  Км2=") + FormatFixed(km2, 2) +
           QStringLiteral(" обмежено до ") + FormatFixed(bound, 2) +
           QStringLiteral(" за кількістю населення");
}

} // namespace

Km2Outcome ComputeKm2(StringGrid& result, const ResultColumns& cols, const QString& population,
                      const QString& averageValue) {
    WaitCursor wait;
    const Km2Bounds bounds = Km2BoundsFor(NumberOr0(population));
    const double average = NumberOr0(averageValue);

    // The zones in order of their first district, gathered in one pass.
    std::vector<ZoneSums> zones;
    QHash<QString, int> byText;
    for (int row = result.fixedRows(); row < result.rowCount(); ++row) {
        result.set(row, cols.km2, QString());
        result.set(row, cols.value, QString());
        const QString zone = result.at(row, cols.zone);
        const QString ii = result.at(row, cols.ii);
        if (zone.isEmpty() || ii.isEmpty())
            continue;
        auto it = byText.constFind(zone);
        if (it == byText.cend()) {
            it = byText.insert(zone, static_cast<int>(zones.size()));
            zones.push_back(ZoneSums{zone, {}, 0, 0});
        }
        ZoneSums& sums = zones[static_cast<size_t>(*it)];
        const double area = NumberOr0(result.at(row, 1));
        sums.rows.push_back(row);
        sums.area += area;
        sums.weighted += area * NumberOr0(ii);
    }

    Km2Outcome out;
    double minimum = 0, maximum = 0;
    for (const ZoneSums& z : zones) {
        const double area = RoundTo(z.area, 4);
        if (area == 0) {
            // No area to weigh by: the zone has no Km2 rather than a division by zero.
            out.warnings << QStringLiteral("У зоні № ") + z.zone +
                                QStringLiteral("  Км2 не визначено: площа районів зони 0");
            continue;
        }
        double km2 = RoundTo(RoundTo(z.weighted, 2) / area, 2);
        if (km2 != 0) {
            if (km2 < bounds.lower) {
                out.warnings << BoundedLine(z.zone, km2, bounds.lower);
                km2 = bounds.lower;
            }
            if (km2 > bounds.upper) {
                out.warnings << BoundedLine(z.zone, km2, bounds.upper);
                km2 = bounds.upper;
            }
            if (minimum == 0 || minimum > km2)
                minimum = km2;
            if (maximum == 0 || maximum < km2)
                maximum = km2;
        }
        const QString km2Text = FormatFixed(km2, 2);
        const QString valueText = FormatFixed(valuation::ZoneValue(average, km2), 2);
        for (const int row : z.rows) {
            result.set(row, cols.km2, km2Text);
            result.set(row, cols.value, valueText);
        }
    }
    out.minimum = FormatFixed(minimum, 2);
    out.maximum = FormatFixed(maximum, 2);
    return out;
}

int RebuildZoneList(const StringGrid& result, const ResultColumns& cols, StringGrid& zones) {
    struct Entry {
        QString zone;
        QStringList districts;
        QString description;
    };
    std::vector<Entry> entries;
    QHash<QString, int> byText;
    for (int row = zones.fixedRows(); row < zones.rowCount(); ++row) {
        const QString zone = zones.at(row, ZoneNumberCol);
        if (zone.isEmpty() || byText.contains(zone))
            continue;
        byText.insert(zone, static_cast<int>(entries.size()));
        entries.push_back(Entry{zone, {}, zones.at(row, ZoneDescriptionCol)});
    }
    for (int row = result.fixedRows(); row < result.rowCount(); ++row) {
        const QString zone = result.at(row, cols.zone);
        if (zone.isEmpty())
            continue;
        auto it = byText.constFind(zone);
        if (it == byText.cend()) {
            it = byText.insert(zone, static_cast<int>(entries.size()));
            entries.push_back(Entry{zone, {}, QString()});
        }
        entries[static_cast<size_t>(*it)].districts << result.at(row, 0);
    }

    int used = 0;
    for (const Entry& e : entries)
        used += e.districts.isEmpty() ? 0 : 1;
    ClearGrid(zones, used);
    int row = zones.fixedRows();
    for (const Entry& e : entries) {
        if (e.districts.isEmpty())
            continue;
        zones.setRowTexts(row++, {e.zone, e.districts.join(QStringLiteral(", ")), e.description});
    }
    return used;
}
