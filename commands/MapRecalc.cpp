// The recalculation's side of the map: values taken from layers that changed, taken again.
#include "commands/MapRecalc.h"

#include "common/LastError.h"
#include "common/TextUtils.h"
#include "db/Database.h"
#include "db/Transaction.h"
#include "map/Layer.h"
#include "map/MapDocument.h"
#include "map/MapGlobal.h"
#include "steps/areas/AreasDistricts.h"
#include "steps/areas/AreasStep.h"
#include "steps/common/StepLayers.h"
#include "steps/functional/FunctionalOverlay.h"
#include "steps/functional/FunctionalStep.h"
#include "steps/local/LocalOverlay.h"
#include "steps/local/LocalStep.h"
#include "steps/zonal/ZonalMap.h"
#include "steps/zonal/ZonalStore.h"
#include "valuation/Districts.h"
#include "valuation/Names.h"
#include "valuation/Typed.h"

#include <QDir>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <memory>
#include <set>

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
    if (!LoadAreas(project, data, error))
        return false;
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
    return StoreAreas(project, data, error);
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
    if (!LoadFunctional(project, grid, error) || !typed.read(project, error))
        return false;
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
    return StoreFunctional(project, fresh, error, folder, measured.layers);
}

/** A local factor cell: "район 1, фактор 3". */
QString LocalCell(const QString& district, int factor) {
    return QStringLiteral("район ") + district + QStringLiteral(", фактор ") +
           QString::number(factor);
}

void SetLocalValue(StringGrid& grid, int factor, int col, const QString& value) {
    for (int row = grid.fixedRows(); row < Km3Row(grid); ++row)
        if (RowFactor(grid, row) == factor)
            grid.set(row, col, value);
}

bool RetakeLocal(Connection& project, const QString& folder, Connection& catalogueDb,
                 MapRecalcOutcome& out, QString* error) {
    const Step step = Step::Local;
    std::vector<LocalFactor> catalogue;
    if (!ReadLocalCatalogue(catalogueDb, catalogue))
        return FailWith(error, QStringLiteral("Вибірка з довідника \"локальні\"\rПодробиці: ") +
                                   LastError());
    const LocalOverlayResult found =
        CollectLocalFactors(folder, static_cast<int>(catalogue.size()));
    if (!found.ok)
        return FailWith(error, found.error);
    // Layers skipped and values refused: the values are taken without them, and the valuer told.
    if (const QString skipped = LocalSkippedText(found); !skipped.isEmpty())
        for (const QString& line : skipped.split(u'\r'))
            out.left << Head(step) + line;
    if (found.factors.empty()) {
        out.left << Head(step) + LocalNoOverlapText() +
                        QStringLiteral(" Локальні фактори не змінено.");
        return true;
    }
    std::vector<District> districts;
    if (!ReadDistricts(project, DistrictOrder::AsStored, districts, true, error))
        return false;
    StringGrid grid = MakeLocalGrid(DistrictNumbers(districts));
    valuation::TypedValues typed;
    if (!LoadLocalValues(project, catalogue, grid, error) || !typed.read(project, error))
        return false;

    // As "З мапи": the factors found become the working ones, with the map's values.
    StringGrid fresh = grid;
    std::vector<WorkingItem> items;
    for (const LocalFactor& factor : catalogue)
        items.push_back(WorkingItem{QString::number(factor.number), false});
    ApplyLocalOverlay(fresh, catalogue, found, items);

    // Every factor of either grid, cell by cell; a typed value keeps its row and its value.
    std::set<int> factors;
    for (const int factor : WorkingFactorNumbers(grid))
        factors.insert(factor);
    for (const int factor : WorkingFactorNumbers(fresh))
        factors.insert(factor);
    const QString table = LocalTypedTable();
    struct Kept {
        int factor, col;
        QString value;
    };
    std::vector<Kept> kept;
    QStringList changed;
    for (const int factor : factors) {
        for (int col = LocalGrid::FirstDistrictCol; col < grid.colCount(); ++col) {
            const QString district = grid.at(0, col);
            const QString old = FactorValue(grid, factor, col);
            const QString now = FactorValue(fresh, factor, col);
            if (valuation::SameValue(old, now))
                continue;
            const QString what = Head(step) + LocalCell(district, factor);
            // A coefficient the valuer typed (or emptied) stays.
            if (typed.isTyped(table, district, QString::number(factor), old.trimmed())) {
                kept.push_back(Kept{factor, col, old});
                out.typed << what + QStringLiteral(": уведено оцінювачем ") +
                                 valuation::ShownValue(old) + QStringLiteral(", з мапи тепер ") +
                                 valuation::ShownValue(now);
                continue;
            }
            changed << what + QStringLiteral(": ") + valuation::ShownValue(old) +
                           QStringLiteral(" → ") + valuation::ShownValue(now);
        }
    }
    if (!kept.empty()) {
        for (const Kept& k : kept)
            for (WorkingItem& item : items)
                if (item.key == QString::number(k.factor))
                    item.checked = true;
        ApplyWorkingFactors(fresh, catalogue, items);
        for (const Kept& k : kept)
            SetLocalValue(fresh, k.factor, k.col, k.value);
        ComputeKm3(fresh);
    }
    out.changed << changed;
    bool km3Changed = false;
    const int oldKm3 = Km3Row(grid);
    const int newKm3 = Km3Row(fresh);
    for (int col = LocalGrid::FirstDistrictCol; col < grid.colCount(); ++col) {
        const QString old = grid.at(oldKm3, col);
        const QString now = fresh.at(newKm3, col);
        if (valuation::SameValue(old, now))
            continue;
        km3Changed = true;
        out.changed << Head(step) + QStringLiteral("район ") + grid.at(0, col) +
                           QStringLiteral(": Км3 ") + valuation::ShownValue(old) +
                           QStringLiteral(" → ") + valuation::ShownValue(now);
    }
    if (!StoreLocalValues(project, fresh, error, folder, found.layers))
        return false;
    if (km3Changed)
        out.writes.local = fresh;
    return true;
}

/**
 * A map of the folder's layers as they are on disk now (what the retake read), never the
 * session's copies, which may predate an edit in another program.
 */
MapDocument* LayersMap(const QString& folder, std::unique_ptr<MapDocument>& own,
                       const QStringList& layers, QString* error) {
    if (!own)
        own = std::make_unique<MapDocument>();
    for (const QString& layer : layers)
        if (!GetLayer(*own, layer) &&
            !own->addLayerFromFile(QDir(folder).filePath(layer + QStringLiteral(".tab")), layer,
                                   false, error))
            return nullptr;
    return own.get();
}

/** The session map's copy of a layer written from the folder: read again, in its place. */
void ReopenLayer(MapDocument& map, const QString& name, MapRecalcOutcome& out) {
    for (int i = 0; i < map.layerCount(); ++i) {
        Layer* layer = map.layerAt(i);
        if (layer->name().compare(name, Qt::CaseInsensitive) != 0)
            continue;
        LayerInfo info;
        info.fileSpec = layer->filespec();
        info.name = layer->name();
        info.datasetName = layer->name();
        info.visible = layer->visible();
        map.removeLayer(layer);
        QString error;
        if (!map.addLayer(info, i + 1, &error))
            out.left << QStringLiteral("Шар \u00ab") + name +
                            QStringLiteral("\u00bb на мапі не показано заново: ") +
                            QString(error).replace(u'\r', u' ');
        return;
    }
}

/** The map messages of a zone layer built again, but its closing "Завершено.". */
QStringList MapMessages(const MapOutcome& outcome) {
    QStringList lines;
    for (const MapMessage& m : outcome.messages)
        if (m.kind != MapMessage::Info)
            lines << QString(m.text).replace(u'\r', u' ');
    return lines;
}

/** False when nothing was written. */
bool RebuildZones(Connection& project, const QString& folder, Step step,
                  std::unique_ptr<MapDocument>& own, MapRecalcOutcome& out) {
    const QString what = Head(step) + QStringLiteral("шар \u00ab") + names::layer::Zones() +
                         QStringLiteral("\u00bb не побудовано заново: ");
    ZonalSettlement settlement;
    ZonalTables tables;
    QString message;
    const ZonalVariant variant =
        step == Step::ZonalGrouped ? ZonalVariant::Grouped : ZonalVariant::Weighted;
    switch (ReadZonalSettlement(project, settlement, &message)) {
    case ZonalOpening::Refused:
        out.left << what + message;
        return false;
    case ZonalOpening::Failed:
        out.left << what + QString(message).replace(u'\r', u' ');
        return false;
    case ZonalOpening::Ready:
        break;
    }
    QString error;
    if (!LoadZonalTables(project, variant, settlement, tables, &error)) {
        out.left << what + QString(error).replace(u'\r', u' ');
        return false;
    }
    MapDocument* map =
        LayersMap(folder, own, {names::layer::Districts(), names::layer::Zones()}, &error);
    if (!map) {
        out.left << what + QString(error).replace(u'\r', u' ');
        return false;
    }
    const MapOutcome built = RebuildZoneLayer(map, tables.result, ResultColumnsOf(variant));
    if (!built.written) {
        out.left << what + MapMessages(built).join(QStringLiteral(" "));
        // The districts' "Zona" may be written though the zones were not.
        return true;
    }
    // A union that failed leaves a district as a piece of its own: said, the layer written.
    for (const QString& line : MapMessages(built))
        out.left << Head(step) + line;
    out.changed << Head(step) + QStringLiteral("шар \u00ab") + names::layer::Zones() +
                       QStringLiteral("\u00bb побудовано з районів заново");
    if (!RecordStepLayers(project, folder, step, FingerprintStepLayers(folder, step), true, &error))
        out.left << Head(step) +
                        QStringLiteral("не вдалося запам'ятати, з якого шару районів побудовано "
                                       "шар зон: ") +
                        QString(error).replace(u'\r', u' ');
    return true;
}

/** A layer of the steps to take again that is there but cannot be read; "" when none. */
QString UnreadableLayer(const QString& folder, const std::vector<Step>& steps) {
    for (const Step step : steps)
        for (const valuation::LayerUse& use : FingerprintStepLayers(folder, step))
            if (!use.error.isEmpty())
                return Head(step) + QStringLiteral("шар \u00ab") + use.layer +
                       QStringLiteral("\u00bb не вдається прочитати: ") + use.error +
                       QStringLiteral("\rНічого не змінено: виправте або замініть шар.");
    return QString();
}

} // namespace

bool RetakeFromMap(Connection& project, const QString& folder, const MapRecalcSources& sources,
                   const valuation::CheckResult& result, MapRecalcOutcome& outcome,
                   QString* error) {
    // Each step once, in the order the check found them; the local factors need the catalogue.
    std::vector<Step> steps;
    for (const valuation::Problem& change : result.mapChanges) {
        if (std::find(steps.begin(), steps.end(), change.step) != steps.end())
            continue;
        if (change.step == Step::Local && !sources.catalogue)
            continue;
        steps.push_back(change.step);
    }
    if (const QString unreadable = UnreadableLayer(folder, steps); !unreadable.isEmpty())
        return FailWith(error, unreadable);
    for (const Step step : steps) {
        switch (step) {
        case Step::Areas:
            if (!RetakeAreas(project, folder, outcome, error))
                return false;
            break;
        case Step::Functional:
            if (!RetakeFunctional(project, folder, outcome, error))
                return false;
            break;
        case Step::Local:
            if (!RetakeLocal(project, folder, *sources.catalogue, outcome, error))
                return false;
            break;
        case Step::ZonalWeighted:
        case Step::ZonalGrouped:
            // Built once the zones hold their recalculated values.
            outcome.writes.zones = step;
            break;
        default:
            break;
        }
    }
    // What recalc does not take again stays a finding, each line as the check said it.
    for (const valuation::Problem& change : result.mapChanges)
        if (std::find(steps.begin(), steps.end(), change.step) == steps.end())
            outcome.left << valuation::MapLine(change);
    return true;
}

void RewriteMapLayers(Connection& project, const QString& folder, const MapRecalcSources& sources,
                      MapRecalcOutcome& outcome) {
    std::unique_ptr<MapDocument> own;
    QStringList written;
    if (outcome.writes.local) {
        QString error;
        MapDocument* map = LayersMap(folder, own, {names::layer::Districts()}, &error);
        Layer* districts = map ? GetLayer(*map, names::layer::Districts()) : nullptr;
        if (!districts || !WriteKm3ToDistricts(*districts, *outcome.writes.local, &error))
            outcome.left << Head(Step::Local) +
                                QStringLiteral("Км3 районів на мапі не поновлено: ") +
                                QString(error).replace(u'\r', u' ');
        else
            written << names::layer::Districts();
    }
    if (outcome.writes.zones && RebuildZones(project, folder, *outcome.writes.zones, own, outcome))
        written << names::layer::Districts() << names::layer::Zones();
    outcome.writes = {};
    // The session's map shows the layers as written.
    if (sources.map) {
        written.removeDuplicates();
        for (const QString& layer : written)
            ReopenLayer(*sources.map, layer, outcome);
        if (!written.isEmpty())
            sources.map->notifyChanged();
    }
}

bool RecalcSettlement(Connection& project, const QString& folder, const MapRecalcSources& sources,
                      valuation::CheckResult& result, MapRecalcOutcome& outcome, QString* error) {
    Transaction transaction(project);
    const auto failed = [&] {
        transaction.rollback();
        return false;
    };
    if (!transaction.ok())
        return FailWith(error,
                        QStringLiteral("Оновлення даних у базі даних.\rПомилка: ") + LastError());
    if (!result.mapChanges.empty()) {
        if (!RetakeFromMap(project, folder, sources, result, outcome, error))
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
    // The layers that show the new values, written once the values are kept.
    RewriteMapLayers(project, folder, sources, outcome);
    return true;
}
