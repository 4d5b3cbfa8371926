// The check of the values taken from the map against the layers as they are now.
#include "valuation/CheckLayers.h"

#include "common/TextUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "valuation/Names.h"
#include "valuation/Settlement.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <optional>

namespace valuation {

namespace {

QString UseKey(const LayerUse& use) {
    return use.layer + u'\x1f' + use.fields.join(u',');
}

QString InQuotes(const QString& text) {
    return u'\u00ab' + text + u'\u00bb';
}

/** Whether the database can tell that a step's values may have come from the map. */
bool ToldByData(Step step) {
    return step == Step::Areas || step == Step::Functional || step == Step::Local ||
           step == Step::ZonalWeighted || step == Step::ZonalGrouped;
}

/** The zonal step whose results are stored (their Si, Ei, Ui, Ci tell the grouped way). */
Step StoredZonalStep(const Settlement& s) {
    for (const Km2Row& r : s.km2)
        if (!(r.si + r.ei + r.ui + r.ci).isEmpty())
            return Step::ZonalGrouped;
    return Step::ZonalWeighted;
}

bool IsZonal(Step step) {
    return step == Step::ZonalWeighted || step == Step::ZonalGrouped;
}

/**
 * Whether the settlement holds values the step takes from the map. The zone layer is built
 * only on request: the zonal step counts when its zones are stored (and, as the caller
 * sees first, the folder's zone layer holds objects).
 */
bool HoldsMapValues(const Settlement& s, Step step) {
    switch (step) {
    case Step::Areas:
        for (const District& d : s.districts)
            if (NumberOr0(d.mapArea) != 0)
                return true;
        return false;
    case Step::Functional:
        return !s.functional.isEmpty();
    case Step::Local:
        return !s.local.empty();
    case Step::ZonalWeighted:
    case Step::ZonalGrouped:
        return StoredZonalStep(s) == step &&
               std::any_of(s.km2.begin(), s.km2.end(),
                           [](const Km2Row& r) { return !r.zone.trimmed().isEmpty(); });
    default:
        return false;
    }
}

/** How a layer that no longer gives its recorded fingerprint is now. */
QString LayerNow(const LayerUse& now) {
    if (!now.error.isEmpty())
        return QStringLiteral(", який не вдається прочитати: ") + now.error;
    if (now.fingerprint.isEmpty())
        return QStringLiteral(", якого тепер немає");
    return QStringLiteral(", який відтоді змінено");
}

} // namespace

std::vector<LayerUse> LayersOfStep(Step step, const QStringList& localLayers) {
    std::vector<LayerUse> layers;
    const MapSource* source = MapSourceOf(step);
    if (!source)
        return layers;
    for (const QString& layer : source->layers)
        layers.push_back(LayerUse{layer, LayerFields(layer), {}, {}});
    if (source->localLayers)
        for (const QString& layer : localLayers)
            layers.push_back(LayerUse{layer, LayerFields(layer), {}, {}});
    return layers;
}

bool CheckLayerUses(Connection& project, MapLayersNow& now, CheckResult& result, QString* error) {
    std::vector<StepLayers> recorded;
    if (!ReadLayerUses(project, recorded, error))
        return false;
    // The steps with values from the map but no record: known only from the settlement.
    // The zone layer, built by either zonal step, counts once, and only when it holds zones.
    const auto isRecorded = [&](Step step) {
        return std::any_of(recorded.begin(), recorded.end(), [&](const StepLayers& s) {
            return s.step == step || (IsZonal(step) && IsZonal(s.step));
        });
    };
    std::optional<bool> zonesBuilt;
    std::vector<Step> unrecorded;
    for (const MapSource& source : MapSources()) {
        if (isRecorded(source.step) || !ToldByData(source.step))
            continue;
        if (IsZonal(source.step)) {
            if (!zonesBuilt)
                zonesBuilt = now.holdsObjects(names::layer::Zones());
            if (!*zonesBuilt)
                continue;
        }
        unrecorded.push_back(source.step);
    }
    Settlement settlement;
    if (!unrecorded.empty() && !ReadSettlement(project, settlement, error))
        return false;
    std::vector<Step> legacy;
    for (const Step step : unrecorded)
        if (HoldsMapValues(settlement, step))
            legacy.push_back(step);

    // Every layer wanted, each with its fields once, fingerprinted at one go.
    const QStringList local = now.localLayers();
    std::vector<LayerUse> wanted;
    QHash<QString, size_t> at;
    const auto want = [&](const LayerUse& use) {
        const QString key = UseKey(use);
        if (!at.contains(key)) {
            at.insert(key, wanted.size());
            wanted.push_back(LayerUse{use.layer, use.fields, {}, {}});
        }
    };
    for (const StepLayers& s : recorded)
        for (const LayerUse& use : s.layers)
            want(use);
    for (const Step step : legacy)
        for (const LayerUse& use : LayersOfStep(step, {}))
            want(use);
    now.fingerprint(wanted);
    const auto current = [&](const LayerUse& use) -> const LayerUse& {
        return wanted[at.value(UseKey(use))];
    };

    for (const StepLayers& s : recorded) {
        const MapSource* source = MapSourceOf(s.step);
        if (!source)
            continue;
        QSet<QString> layers;
        for (const LayerUse& use : s.layers) {
            layers.insert(use.layer);
            const LayerUse& layer = current(use);
            if (layer.fingerprint == use.fingerprint)
                continue;
            result.mapChanges.push_back({s.step, source->taken + QStringLiteral(" з шару ") +
                                                     InQuotes(use.layer) + LayerNow(layer)});
        }
        if (source->localLayers)
            for (const QString& layer : local)
                if (!layers.contains(layer))
                    result.mapChanges.push_back(
                        {s.step, source->taken + QStringLiteral(" без шару ") + InQuotes(layer) +
                                     QStringLiteral(", який відтоді додано")});
    }
    // Values from before fingerprints were kept: said once per step, while its layers are
    // there to compare with (a settlement valued without a map has none).
    for (const Step step : legacy) {
        bool there = true;
        for (const LayerUse& use : LayersOfStep(step, {}))
            there = there && !current(use).fingerprint.isEmpty();
        if (there && (step != Step::Local || !local.isEmpty()))
            result.mapNotes.push_back({step, MapSourceOf(step)->taken.section(u' ', 0, -2) +
                                                 QStringLiteral(": не перевірено з мапою")});
    }
    return true;
}

} // namespace valuation
