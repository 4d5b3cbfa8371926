#include "steps/functional/FunctionalOverlay.h"

#include "common/TextUtils.h"
#include "steps/common/StepLayers.h"
#include "steps/functional/FunctionalStep.h"
#include "valuation/Names.h"

#include <QDir>
#include <QHash>

std::vector<FunctionalArea> SumFunctionalAreas(const Layer& districts, const Layer& functional,
                                               OverlayStats* stats,
                                               const OverlayProgress& progress) {
    // Each object's number or code read once, codes numbered by their upper-case form.
    const int raion = districts.fieldIndex(names::field::Raion());
    const int codeField = functional.fieldIndex(names::field::Code());
    std::vector<QString> numbers;
    numbers.reserve(districts.features().size());
    for (const Feature& d : districts.features())
        numbers.push_back(raion < 0 ? QString() : d.values().value(raion).trimmed());
    QHash<QString, int> codeIds;
    std::vector<QString> codes; // as first met, by id
    std::vector<int> codeOf;    // id of each region's code; -1 for none
    codeOf.reserve(functional.features().size());
    for (const Feature& f : functional.features()) {
        const QString code = codeField < 0 ? QString() : f.values().value(codeField).trimmed();
        if (code.isEmpty()) {
            codeOf.push_back(-1);
            continue;
        }
        const auto it = codeIds.constFind(code.toUpper());
        if (it != codeIds.cend()) {
            codeOf.push_back(*it);
            continue;
        }
        codeOf.push_back(static_cast<int>(codes.size()));
        codeIds.insert(code.toUpper(), static_cast<int>(codes.size()));
        codes.push_back(code);
    }

    std::vector<FunctionalArea> areas;
    QHash<QString, int> numberIds; // districts of the same number share their sums
    QHash<qint64, size_t> index;   // (number id, code id) -> position in areas
    const OverlayStats run = Overlay(
        districts, {&functional}, OverlayTest::Area,
        [&](const OverlayPair& pair, const Feature&, const Feature&) {
            const int code = codeOf[static_cast<size_t>(pair.region)];
            if (code < 0)
                return;
            const QString& number = numbers[static_cast<size_t>(pair.base)];
            auto id = numberIds.constFind(number);
            if (id == numberIds.cend())
                id = numberIds.insert(number, static_cast<int>(numberIds.size()));
            const int numberId = *id;
            const qint64 key = (static_cast<qint64>(numberId) << 32) | code;
            const auto it = index.constFind(key);
            if (it != index.cend()) {
                areas[*it].areaM2 += pair.area;
                return;
            }
            index.insert(key, areas.size());
            areas.push_back(FunctionalArea{number, codes[static_cast<size_t>(code)], pair.area});
        },
        progress);
    if (stats)
        *stats = run;
    return areas;
}

FunctionalOverlayResult MeasureFunctionalAreas(const QString& folder,
                                               const OverlayProgress& progress) {
    FunctionalOverlayResult result;
    const QDir dir(folder);
    QString error;
    const auto functional =
        OpenOverlayLayer(dir.filePath(names::layer::Functional() + QStringLiteral(".tab")), &error);
    if (!functional) {
        result.error = QStringLiteral("Відкривання карти функціональне.tab. Помилка: ") + error;
        return result;
    }
    const auto districts =
        OpenOverlayLayer(dir.filePath(names::layer::Districts() + QStringLiteral(".tab")), &error);
    if (!districts) {
        result.error = QStringLiteral("Відкривання карти райони.tab. Помилка: ") + error;
        return result;
    }
    result.layers = FingerprintStepLayers(folder, valuation::Step::Functional);
    result.areas = SumFunctionalAreas(*districts, *functional, &result.stats, progress);
    result.ok = true;
    return result;
}

QString FunctionalNoOverlapText() {
    return QStringLiteral("Жодного накладення функціонального використання на райони не знайдено!");
}

bool ApplyFunctionalAreas(StringGrid& grid, const std::vector<FunctionalArea>& areas) {
    // Nothing measured: what the valuer typed stays.
    if (areas.empty())
        return false;
    const int categories = FunctionalCategoryCount();
    QHash<QString, int> rowOf;
    for (int row = grid.rowCount() - 1; row >= grid.fixedRows(); --row) {
        for (int k = 1; k <= categories; ++k)
            grid.set(row, k, QString());
        if (!grid.at(row, 0).isEmpty())
            rowOf.insert(grid.at(row, 0), row);
    }
    for (const FunctionalArea& area : areas) {
        const int row = rowOf.value(area.district, -1);
        const int k = FunctionalCategoryOf(area.code);
        if (row >= 0 && k > 0)
            grid.set(row, k, FormatFixed(area.areaM2 / 10000.0, 4));
    }
    return true;
}

bool HasFunctionalAreas(const StringGrid& grid) {
    const int categories = FunctionalCategoryCount();
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row)
        for (int k = 1; k <= categories && k < grid.colCount(); ++k)
            if (!grid.at(row, k).trimmed().isEmpty())
                return true;
    return false;
}
