#pragma once

#include "gis/LayerKinds.h"
#include "map/Feature.h"
#include "map/LayerTiling.h"

#include <QPointF>
#include <QString>
#include <QStringList>
#include <vector>

/**
 * The layers that must tile: districts and zones cover the settlement's boundary ("межі")
 * without overlaps and gaps, functional regions do not overlap, and every region lies inside
 * the boundary; pieces under the tolerance of TilingTolerance are slivers of the drawing.
 */

/** One piece of a layer that does not tile, for the valuer. */
struct TilingLine {
    LayerKind kind = LayerKind::Districts; ///< the layer the regions belong to
    TilingFault fault = TilingFault::Overlap;
    QString text; ///< one line: which regions, the area and a point
    QPointF point;
    GeometryPtr piece; ///< the piece itself, for the map
};

/** What the check found in a settlement's layers. */
struct SettlementTiling {
    std::vector<TilingLine> findings;
    /** What could not be checked and why (no boundary, for instance), one line each. */
    QStringList notes;
    /** Layers that are there but cannot be read, one line each; they count as not tiling. */
    QStringList unreadable;

    bool clean() const { return findings.empty() && unreadable.isEmpty(); }
    /** The unreadable layers, then the findings, one line each. */
    QStringList lines() const;
};

/** Whether a layer of that kind must tile (and so an import of it is checked). */
bool MustTile(LayerKind kind);

/** Checks the districts, zones and functional regions of the settlement's folder. */
void CheckSettlementTiling(const QString& folder, SettlementTiling& result);

/**
 * Checks the layer about to be imported as `target` in place of the folder's one: only what
 * it changes (its own regions; for a boundary, the other layers against it).
 */
void CheckImportTiling(const QString& folder, const LayerTarget& target,
                       const FeatureList& features, SettlementTiling& result);

/** The line of one finding among the regions of that kind of layer. */
QString TilingLineText(LayerKind kind, const TilingFinding& finding);
