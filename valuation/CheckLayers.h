#pragma once

#include "valuation/Check.h"
#include "valuation/LayerFingerprints.h"

class Connection;

namespace valuation {

/** The settlement's map layers as they are now (the caller reads the folder). */
class MapLayersNow {
public:
    virtual ~MapLayersNow() = default;
    /** The names of the folder's local factor layers ("лок1"...). */
    virtual QStringList localLayers() = 0;
    /**
     * Fills the fingerprint of each layer with its fields: empty for a missing layer, and for
     * a layer that is there but cannot be read, whose `error` then says why.
     */
    virtual void fingerprint(std::vector<LayerUse>& layers) = 0;
    /** Whether the layer is there and holds at least one object. */
    virtual bool holdsObjects(const QString& layer) = 0;
};

/**
 * Compares each step's recorded layers with the layers now: a value whose layer changed, went
 * missing, cannot be read or (for the local factors) was joined by a new layer is a finding in
 * `result.mapChanges`; a step that holds values from the map but has no fingerprint (made
 * before they were kept) is one note in `result.mapNotes`. Reads only. False with the reason
 * in `error` when the settlement cannot be read.
 */
bool CheckLayerUses(Connection& project, MapLayersNow& now, CheckResult& result,
                    QString* error = nullptr);

/**
 * The layers a step reads now (its fixed layers and, for the local factors, the folder's
 * local factor layers), with their fields, not yet fingerprinted.
 */
std::vector<LayerUse> LayersOfStep(Step step, const QStringList& localLayers);

} // namespace valuation
