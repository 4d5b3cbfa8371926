// The recalculation's side of the map: values taken from layers that changed, taken again.
#include "commands/MapRecalc.h"

#include "common/LastError.h"
#include "common/Names.h"
#include "common/TextUtils.h"
#include "db/Database.h"
#include "db/Transaction.h"
#include "map/MapDocument.h"
#include "steps/areas/AreasDistricts.h"
#include "steps/areas/AreasStep.h"
#include "steps/common/StepLayers.h"
#include "steps/functional/FunctionalOverlay.h"
#include "steps/functional/FunctionalStep.h"
#include "valuation/Districts.h"
#include "valuation/Typed.h"

#include <QDir>
#include <QHash>
#include <QSet>
#include <cmath>

namespace {

using valuation::Step;

QString Head(Step step) {
    return u'\u00ab' + valuation::StepCaption(step) + QStringLiteral("\u00bb: ");
}

bool RetakeAreas(Connection& project, const QString& folder, MapRecalcOutcome& out,
                 QString* error) {
    const Step step = Step::Areas;
    // The fingerprint of what is about to be read.
    std::vector<valuation::LayerUse> layers = FingerprintStepLayers(folder, step);
    MapDocument map;
    QString openError;
    if (!map.addLayerFromFile(
            QDir(folder).filePath(names::layer::Districts() + QStringLiteral(".tab")),
            names::layer::Districts(), false, &openError))
        return FailWith(error, openError);
    std::vector<MapDistrict> found;
    if (const MapDistrictsStatus status = ReadMapDistricts(map, found);
        status != MapDistrictsStatus::Ok)
        return FailWith(error, MapDistrictsMessage(status));
    StringGrid fresh = MakeDistrictGrid();
    FillDistrictsFromMap(fresh, found);
    QHash<QString, int> freshRow;
    for (int row = fresh.fixedRows(); row < fresh.rowCount(); ++row)
        freshRow.insert(fresh.at(row, ColDistrictNumber), row);

    AreasData data;
    if (!LoadAreas(project, data))
        return FailWith(error, QStringLiteral("Вибірка із бази \"характеристика\"\rПодробиці: ") +
                                   LastError());
    StringGrid& grid = data.districts;
    QSet<QString> stored;
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
        const QString number = grid.at(row, ColDistrictNumber).trimmed();
        if (number.isEmpty())
            continue;
        stored.insert(number);
        const QString what = Head(step) + QStringLiteral("район ") + number;
        const int at = freshRow.value(number, -1);
        if (at < 0) {
            out.left << what + QStringLiteral(": на мапі району немає, площі не змінено");
            continue;
        }
        const QString oldMap = grid.at(row, ColDistrictMapArea);
        const QString newMap = fresh.at(at, ColDistrictMapArea);
        if (valuation::SameValue(oldMap, newMap))
            continue;
        const QString area = grid.at(row, ColDistrictArea);
        const QString newArea = fresh.at(at, ColDistrictArea);
        // The area was the map's when it is the former map area as the step rounds it.
        const std::optional<double> oldMapNumber = ParseNumber(oldMap);
        const bool typed =
            !oldMapNumber || !valuation::SameValue(area, FormatFixed(*oldMapNumber, 2));
        grid.set(row, ColDistrictMapArea, newMap);
        out.changed << what + QStringLiteral(": площа з мапи ") + valuation::ShownValue(oldMap) +
                           QStringLiteral(" → ") + newMap;
        if (typed) {
            out.typed << what + QStringLiteral(": площа уведена оцінювачем ") +
                             valuation::ShownValue(area) + QStringLiteral(", з мапи тепер ") +
                             newArea;
            continue;
        }
        if (!valuation::SameValue(area, newArea)) {
            grid.set(row, ColDistrictArea, newArea);
            out.changed << what + QStringLiteral(": площа ") + valuation::ShownValue(area) +
                               QStringLiteral(" → ") + newArea;
        }
    }
    for (int row = fresh.fixedRows(); row < fresh.rowCount(); ++row)
        if (!stored.contains(fresh.at(row, ColDistrictNumber)))
            out.left << Head(step) + QStringLiteral("район ") + fresh.at(row, ColDistrictNumber) +
                            QStringLiteral(": є на мапі, але не серед районів кроку");
    data.folder = folder;
    data.mapLayers = std::move(layers);
    if (!StoreAreas(project, data))
        return FailWith(error,
                        QStringLiteral("Оновлення даних у базі даних.\rПомилка: ") + LastError());
    return true;
}

bool RetakeFunctional(Connection& project, const QString& folder, MapRecalcOutcome& out,
                      QString* error) {
    const Step step = Step::Functional;
    const FunctionalOverlayResult measured = MeasureFunctionalAreas(folder);
    if (!measured.ok)
        return FailWith(error, measured.error);
    if (measured.areas.empty()) {
        out.left << Head(step) + FunctionalNoOverlapText() +
                        QStringLiteral(" Площі функціонального використання не змінено.");
        return true;
    }
    std::vector<District> districts;
    if (!ReadDistricts(project, DistrictOrder::AsStored, districts, true, error))
        return false;
    StringGrid grid = MakeFunctionalGrid(DistrictNumbers(districts), ReadDistrictCount(project));
    valuation::TypedValues typed;
    if (!LoadFunctional(project, grid) || !typed.read(project))
        return FailWith(error, QStringLiteral("Вибірка із бази \"") + names::table::Functional() +
                                   QStringLiteral("\"\rПодробиці: ") + LastError());
    StringGrid fresh = grid;
    ApplyFunctionalAreas(fresh, measured.areas);
    const QString table = names::table::Functional();
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
        const QString district = grid.at(row, 0);
        if (district.isEmpty())
            continue;
        for (int k = 1; k <= FunctionalCategoryCount(); ++k) {
            const QString old = grid.at(row, k);
            const QString now = fresh.at(row, k);
            if (valuation::SameValue(old, now))
                continue;
            const QString field = QStringLiteral("ф_%1").arg(k);
            const QString what =
                Head(step) + QStringLiteral("район ") + district + QStringLiteral(", ") + field;
            if (typed.isTyped(table, district, field, old)) {
                fresh.set(row, k, old);
                out.typed << what + QStringLiteral(": уведено оцінювачем ") +
                                 valuation::ShownValue(old) + QStringLiteral(", з мапи тепер ") +
                                 valuation::ShownValue(now);
                continue;
            }
            out.changed << what + QStringLiteral(": ") + valuation::ShownValue(old) +
                               QStringLiteral(" → ") + valuation::ShownValue(now);
        }
    }
    if (!StoreFunctional(project, fresh, folder, measured.layers))
        return FailWith(error,
                        QStringLiteral("Оновлення даних у базі даних.\rПомилка: ") + LastError());
    return true;
}

} // namespace

bool RetakeFromMap(Connection& project, const QString& folder, const valuation::CheckResult& result,
                   MapRecalcOutcome& outcome, QString* error) {
    QSet<int> done;
    for (const valuation::Problem& change : result.mapChanges) {
        if (done.contains(static_cast<int>(change.step)))
            continue;
        done.insert(static_cast<int>(change.step));
        switch (change.step) {
        case Step::Areas:
            if (!RetakeAreas(project, folder, outcome, error))
                return false;
            break;
        case Step::Functional:
            if (!RetakeFunctional(project, folder, outcome, error))
                return false;
            break;
        default:
            break;
        }
    }
    // What recalc does not take again stays a finding, each line as the check said it.
    for (const valuation::Problem& change : result.mapChanges)
        if (change.step != Step::Areas && change.step != Step::Functional)
            outcome.left << valuation::MapLine(change);
    return true;
}

bool RecalcSettlement(Connection& project, const QString& folder, valuation::CheckResult& result,
                      MapRecalcOutcome& outcome, QString* error) {
    Transaction transaction(project);
    const auto failed = [&] {
        transaction.rollback();
        return false;
    };
    if (!transaction.ok())
        return FailWith(error,
                        QStringLiteral("Оновлення даних у базі даних.\rПомилка: ") + LastError());
    if (!result.mapChanges.empty()) {
        if (!RetakeFromMap(project, folder, result, outcome, error))
            return failed();
        // The values that follow from the map's are computed from the new ones.
        if (!outcome.changed.isEmpty() && !valuation::CheckSettlement(project, result, error))
            return failed();
    }
    if (!valuation::WriteRecalculated(project, result, error))
        return failed();
    if (!transaction.commit()) {
        FailWith(error, QStringLiteral("Оновлення даних у базі даних.\rПомилка: ") + LastError());
        return failed();
    }
    return true;
}
