#include "steps/local/LocalOverlay.h"

#include "valuation/Formulas.h"
#include "valuation/Names.h"

#include "common/FileUtils.h"
#include "common/TextUtils.h"
#include "map/Layer.h"
#include "map/MapGlobal.h"
#include "steps/common/StepLayers.h"
#include "steps/local/LocalStep.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <set>

LocalOverlayResult CollectLocalFactors(const QString& folder, int catalogueSize,
                                       const OverlayProgress& progress) {
    LocalOverlayResult result;
    const QDir dir(folder);
    QString error;
    const auto districts =
        OpenOverlayLayer(dir.filePath(names::layer::Districts() + QStringLiteral(".tab")), &error);
    if (!districts) {
        result.error = QStringLiteral("Відкривання карти райони.tab. Помилка: ") + error;
        return result;
    }
    std::vector<std::unique_ptr<Layer>> owned;
    std::vector<int> layerFactor;
    for (const QString& file : ListFiles(folder, QStringLiteral("*.tab"), false)) {
        const QString name = LayerNameOf(file);
        if (!name.startsWith(QStringLiteral("лок")))
            continue;
        const int factor = LocalLayerFactor(name);
        if (factor <= 0) {
            result.badNames << file;
            continue;
        }
        if (factor > catalogueSize) {
            result.unknownFactors << file;
            continue;
        }
        auto layer = OpenOverlayLayer(dir.filePath(file), &error);
        if (!layer) {
            result.error =
                QStringLiteral("Відкривання карти ") + file + QStringLiteral(". Помилка: ") + error;
            return result;
        }
        owned.push_back(std::move(layer));
        layerFactor.push_back(factor);
    }

    std::vector<const Layer*> layers;
    std::vector<int> km3Field;
    for (const auto& layer : owned) {
        layers.push_back(layer.get());
        km3Field.push_back(layer->fieldIndex(names::field::Km3()));
    }
    const int raion = districts->fieldIndex(names::field::Raion());
    result.layers = FingerprintStepLayers(folder, valuation::Step::Local);
    std::set<int> found;
    result.stats = Overlay(
        *districts, layers, OverlayTest::Overlap,
        [&](const OverlayPair& pair, const Feature& district, const Feature& region) {
            const size_t l = static_cast<size_t>(pair.layer);
            const QString value =
                km3Field[l] < 0 ? QString() : region.values().value(km3Field[l]).trimmed();
            const QString number = raion < 0 ? QString() : district.values().value(raion).trimmed();
            // A coefficient that is not a number is refused, never taken as 0.
            if (!valuation::IsLocalCoefficient(value)) {
                result.refused << QStringLiteral("фактор %1, район %2: \"%3\"")
                                      .arg(layerFactor[l])
                                      .arg(number, value);
                return;
            }
            found.insert(layerFactor[l]);
            result.values.push_back(LocalOverlayValue{number, layerFactor[l], value});
        },
        progress);
    result.factors.assign(found.begin(), found.end());
    result.ok = true;
    return result;
}

QString LocalSkippedText(const LocalOverlayResult& result) {
    QStringList lines;
    if (!result.badNames.isEmpty())
        lines << QStringLiteral("Шари, у назві яких 4-й і 5-й символи не є номером фактора, "
                                "пропущено: ") +
                     result.badNames.join(QStringLiteral(", "));
    if (!result.unknownFactors.isEmpty())
        lines << QStringLiteral("Шари з номером фактора, якого немає в довіднику, пропущено: ") +
                     result.unknownFactors.join(QStringLiteral(", "));
    if (!result.refused.isEmpty())
        lines << QStringLiteral("Значення Km3, що не є числом більшим за 0, не занесено: ") +
                     result.refused.join(QStringLiteral("; "));
    return lines.join(u'\r');
}

QString LocalNoOverlapText() {
    return QStringLiteral("Жодного накладення локальних факторів на райони не знайдено!");
}

bool ApplyLocalOverlay(StringGrid& grid, const std::vector<LocalFactor>& catalogue,
                       const LocalOverlayResult& result, std::vector<WorkingItem>& items) {
    // Nothing found: what the valuer typed stays.
    if (result.factors.empty())
        return false;
    for (WorkingItem& item : items)
        item.checked = false;
    ClearLocalGrid(grid);
    for (const int factor : result.factors)
        for (WorkingItem& item : items)
            if (item.key == QString::number(factor))
                item.checked = true;
    ApplyWorkingFactors(grid, catalogue, items);

    QHash<QString, int> columnOf;
    for (int col = grid.colCount() - 1; col >= LocalGrid::FirstDistrictCol; --col)
        columnOf.insert(grid.at(0, col), col);
    QHash<int, int> rowOf;
    for (int row = grid.fixedRows(); row < Km3Row(grid); ++row)
        rowOf.insert(RowFactor(grid, row), row);
    for (const LocalOverlayValue& v : result.values) {
        const int col = columnOf.value(v.district, -1);
        const int row = rowOf.value(v.factor, -1);
        if (col >= 0 && row >= 0)
            grid.set(row, col, v.value);
    }
    ComputeKm3(grid);
    return true;
}

bool WriteKm3ToDistricts(Layer& districts, const StringGrid& grid, QString* error) {
    QHash<QString, int> columnOf;
    for (int col = grid.colCount() - 1; col >= LocalGrid::FirstDistrictCol; --col)
        columnOf.insert(grid.at(0, col), col);
    const int km3 = Km3Row(grid);
    const QString field = names::field::Km3Mean();
    const QStringList names = districts.fieldNames();
    const int raion = districts.fieldIndex(names::field::Raion());
    int target = districts.fieldIndex(field);

    std::vector<FieldDef> fields = districts.fields();
    std::shared_ptr<const QStringList> widened;
    if (target < 0) {
        fields.push_back(FieldDef{field, FieldKind::Char, 20, 0, false});
        widened = std::make_shared<const QStringList>(names + QStringList{field});
        target = static_cast<int>(names.size());
    }
    FeatureList features = districts.allFeatures();
    for (Feature& feature : features) {
        if (widened) {
            const QStringList values = feature.values();
            feature.setFields(widened);
            for (qsizetype i = 0; i < values.size(); ++i)
                feature.setValueAt(static_cast<int>(i), values[i]);
        }
        const int col =
            raion < 0 ? -1 : columnOf.value(feature.values().value(raion).trimmed(), -1);
        if (col >= 0)
            feature.setValueAt(target, grid.at(km3, col));
    }
    return widened ? districts.replaceAll(fields, features, error)
                   : districts.updateFeatures(features, error);
}
