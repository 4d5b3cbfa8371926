#include "steps/functional/FunctionalOverlay.h"

#include "common/TextUtils.h"
#include "steps/functional/FunctionalStep.h"

#include <QDir>
#include <QHash>

namespace {

int FieldIndexOf(const Layer& layer, const QString& name) {
    const QStringList names = layer.fieldNames();
    for (qsizetype i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

} // namespace

std::vector<FunctionalArea> SumFunctionalAreas(const Layer& districts, const Layer& functional,
                                               OverlayStats* stats) {
    std::vector<FunctionalArea> areas;
    QHash<QString, size_t> index; // district + '\n' + upper-case code
    const int raion = FieldIndexOf(districts, QStringLiteral("Raion"));
    const int code = FieldIndexOf(functional, QStringLiteral("Code"));
    const OverlayStats run = Overlay(
        districts, {&functional}, OverlayTest::Area,
        [&](const OverlayPair& pair, const Feature& district, const Feature& region) {
            const QString regionCode = code < 0 ? QString() : region.values().value(code).trimmed();
            if (regionCode.isEmpty())
                return;
            const QString number = raion < 0 ? QString() : district.values().value(raion).trimmed();
            const QString key = number + u'\n' + regionCode.toUpper();
            const auto it = index.constFind(key);
            if (it != index.cend()) {
                areas[*it].areaM2 += pair.area;
                return;
            }
            index.insert(key, areas.size());
            areas.push_back(FunctionalArea{number, regionCode, pair.area});
        });
    if (stats)
        *stats = run;
    return areas;
}

FunctionalOverlayResult MeasureFunctionalAreas(const QString& folder) {
    FunctionalOverlayResult result;
    const QDir dir(folder);
    QString error;
    const auto functional =
        OpenOverlayLayer(dir.filePath(QStringLiteral("функціональне.tab")), &error);
    if (!functional) {
        result.error = QStringLiteral("Відкривання карти функціональне.tab. Помилка: ") + error;
        return result;
    }
    const auto districts = OpenOverlayLayer(dir.filePath(QStringLiteral("райони.tab")), &error);
    if (!districts) {
        result.error = QStringLiteral("Відкривання карти райони.tab. Помилка: ") + error;
        return result;
    }
    result.areas = SumFunctionalAreas(*districts, *functional, &result.stats);
    result.ok = true;
    return result;
}

QString FunctionalNoOverlapText() {
    return QStringLiteral("Жодного накладення функціонального використання на райони не знайдено!");
}

bool ApplyFunctionalAreas(StringGrid& grid, const std::vector<FunctionalArea>& areas) {
    const int categories = FunctionalCategoryCount();
    QHash<QString, int> rowOf;
    for (int row = grid.rowCount() - 1; row >= grid.fixedRows(); --row) {
        for (int k = 1; k <= categories; ++k)
            grid.set(row, k, QString());
        if (!grid.at(row, 0).isEmpty())
            rowOf.insert(grid.at(row, 0), row);
    }
    if (areas.empty())
        return false;
    for (const FunctionalArea& area : areas) {
        const int row = rowOf.value(area.district, -1);
        const int k = FunctionalCategoryOf(area.code);
        if (row >= 0 && k > 0)
            grid.set(row, k, FormatFixed(area.areaM2 / 10000.0, 4));
    }
    return true;
}
