#include "steps/areas/AreasDistricts.h"

#include "common/TextUtils.h"
#include "map/MapGlobal.h"
#include "map/MapTypes.h"
#include "steps/areas/AreasStep.h"
#include "valuation/Names.h"

#include <QHash>
#include <algorithm>

namespace {

const QString& LayerName() {
    static const QString name = names::layer::Districts();
    return name;
}

const QString& NumberField() {
    static const QString name = names::field::Raion();
    return name;
}

} // namespace

QString MapDistrictsMessage(MapDistrictsStatus status) {
    switch (status) {
    case MapDistrictsStatus::Ok:
        return QString();
    case MapDistrictsStatus::NoDistricts:
        return QStringLiteral("На мапі не знайдено районів.");
    case MapDistrictsStatus::NoDataset:
        return QStringLiteral("Помилка пошуку даних карти (TableDataset = nil).");
    case MapDistrictsStatus::NoNumberField:
        return QStringLiteral("Шар \"райони\" не має поля \"Raion\" з номерами районів, тож "
                              "номери районів з мапи взяти не можна.");
    }
    return QString();
}

MapDistrictsStatus ReadMapDistricts(MapDocument& map, std::vector<MapDistrict>& districts) {
    districts.clear();
    const std::optional<FeatureList> features = GetLayerFeatures(map, LayerName());
    if (!features || features->empty())
        return MapDistrictsStatus::NoDistricts;
    const std::optional<Dataset> dataset = GetLayerDataset(map, LayerName());
    if (!dataset)
        return MapDistrictsStatus::NoDataset;
    if (!dataset->fieldNames().contains(NumberField(), Qt::CaseInsensitive))
        return MapDistrictsStatus::NoNumberField;
    districts.reserve(features->size());
    for (const Feature& feature : *features) {
        const QString number = FeatureValue(&*dataset, feature, NumberField()).trimmed();
        districts.push_back(MapDistrict{PadText(number, 3, true, false, u'0'),
                                        FeatureArea(feature, map, AreaSquareMetre) / 10000});
    }
    return MapDistrictsStatus::Ok;
}

void FillDistrictsFromMap(StringGrid& grid, const std::vector<MapDistrict>& districts) {
    struct Entry {
        QString key;
        QString number;
        QString area2;
        QString area4;
    };
    std::vector<Entry> entries;
    entries.reserve(districts.size());
    for (const MapDistrict& d : districts) {
        Entry e{QString(), d.number, FormatFixed(d.hectares, 2), FormatFixed(d.hectares, 4)};
        e.key = e.number + u'*' + e.area4 + u'*' + e.area2;
        entries.push_back(std::move(e));
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.key < b.key; });

    // The boundary descriptions typed stay with their districts' numbers.
    QHash<QString, QString> descriptions;
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row)
        if (const QString d = grid.at(row, ColDistrictDescription); !d.isEmpty())
            descriptions.insert(grid.at(row, ColDistrictNumber).trimmed(), d);

    ClearGrid(grid, static_cast<int>(entries.size()));
    int row = grid.fixedRows();
    for (const Entry& e : entries) {
        qsizetype zeros = 0;
        while (zeros < e.number.size() && e.number[zeros] == u'0')
            ++zeros;
        const QString number = e.number.mid(zeros);
        grid.setRowTexts(row++, {number, e.area2, e.area4, descriptions.value(number)});
    }
}

bool HasDistrictValues(const StringGrid& grid) {
    // "0.0000" is what "Вручну" writes for the map area: no value.
    auto isValue = [](const QString& text) {
        const QString t = text.trimmed();
        return !t.isEmpty() && ParseNumber(t).value_or(1) != 0;
    };
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
        const QString number = grid.at(row, ColDistrictNumber).trimmed();
        if (!number.isEmpty() && number != QString::number(row - grid.fixedRows() + 1))
            return true;
        if (isValue(grid.at(row, ColDistrictArea)) || isValue(grid.at(row, ColDistrictMapArea)) ||
            !grid.at(row, ColDistrictDescription).trimmed().isEmpty())
            return true;
    }
    return false;
}

std::optional<int> ParseDistrictCount(const QString& text) {
    const std::optional<long long> n = ParseInteger(text);
    if (!n || *n <= 0 || *n >= 1000)
        return std::nullopt;
    return static_cast<int>(*n);
}

void FillDistrictsByHand(StringGrid& grid, int count) {
    ClearGrid(grid, count);
    for (int k = 1; k <= count; ++k)
        grid.setRowTexts(grid.fixedRows() + k - 1,
                         {QString::number(k), QString(), QStringLiteral("0.0000"), QString()});
}
