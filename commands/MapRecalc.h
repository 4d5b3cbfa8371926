#pragma once

#include "common/StringGrid.h"
#include "valuation/Check.h"

#include <QString>
#include <QStringList>
#include <optional>

class Connection;
class MapDocument;

/** What taking values from the map again needs besides the settlement's database and folder. */
struct MapRecalcSources {
    /**
     * The program's catalogue: its "локальні" decides which local factor layers count. Without
     * it the local factors are left to their step.
     */
    Connection* catalogue = nullptr;
    /**
     * The session's map: its copies of the layers recalc writes are read again afterwards, so
     * it shows them as written. Recalc itself reads and writes the layers' files as they are.
     */
    MapDocument* map = nullptr;
};

/** What taking values from the map again did. */
struct MapRecalcOutcome {
    /** The values rewritten: "«Визначення площ»: район 1: площа 3.00 → 3.24". */
    QStringList changed;
    /** Values the valuer typed whose map value now differs: listed, never touched. */
    QStringList typed;
    /** Steps whose values recalc cannot take again: the valuer does it in the step. */
    QStringList left;

    /** Map layers to write once the database holds the new values (RewriteMapLayers). */
    struct MapWrites {
        /** The local factors as taken again: their Km3 goes to the districts' "Km3_sr". */
        std::optional<StringGrid> local;
        /** The zonal step whose zone layer is to be built from the districts again. */
        std::optional<valuation::Step> zones;
    } writes;
};

/**
 * For each step whose layers changed since (`result.mapChanges`, from CheckStepLayers) reads
 * its layers in `folder` again, as its "З мапи" does, and writes the values the valuer did
 * not type with the layers' new fingerprints: the district areas from "райони" (a district
 * whose area differs from its former map area was typed: only its map area follows), the
 * functional areas of the districts, the local factors of the districts (the catalogue's
 * factors; a cell marked typed, keyed by district and factor number, stays). The zone layer
 * built from changed districts and the districts' Km3 on the map are left in
 * `outcome.writes` for RewriteMapLayers. A layer that is there but cannot be read refuses the
 * whole: nothing is taken. Meant to run inside the recalculation's transaction; false with
 * the reason in `error` (the caller rolls back).
 */
bool RetakeFromMap(Connection& project, const QString& folder, const MapRecalcSources& sources,
                   const valuation::CheckResult& result, MapRecalcOutcome& outcome,
                   QString* error = nullptr);

/**
 * Writes what RetakeFromMap left in `outcome.writes`, once the database holds the new values:
 * the districts' Km3 into "райони" ("Поновити км3 районів на мапі") and the zone layer built
 * again from the districts and the stored zones, as the zonal step does, with the districts'
 * fingerprint recorded for it. What cannot be written is a line of `outcome.left`; the
 * database keeps its values.
 */
void RewriteMapLayers(Connection& project, const QString& folder, const MapRecalcSources& sources,
                      MapRecalcOutcome& outcome);

/**
 * The whole recalculation in one transaction: the values of changed layers taken again
 * (RetakeFromMap), then every stale result the check then finds written
 * (valuation::WriteRecalculated); `result` becomes the check whose stale values were written.
 * Once committed, the map layers that follow are written (RewriteMapLayers). The caller makes
 * the automatic copy first. False with the reason in `error`; the database and the layers
 * then keep their former content.
 */
bool RecalcSettlement(Connection& project, const QString& folder, const MapRecalcSources& sources,
                      valuation::CheckResult& result, MapRecalcOutcome& outcome,
                      QString* error = nullptr);
