#pragma once

#include "map/Layer.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

/** What makes a base region and an overlay region a pair. */
enum class OverlayTest {
    /** They have area in common; the pair carries that area (contact alone is no pair). */
    Area,
    /** They have area in common; the area is not measured. */
    Overlap,
    /** They have any point in common: contact along an edge or at a point counts. */
    Touch,
};

/** One pair found: where its two objects are, and the common area when measured. */
struct OverlayPair {
    int base = -1;   ///< position of the base object in the base layer's features()
    int layer = -1;  ///< position of the overlay layer in the list given
    int region = -1; ///< position of the overlay object in that layer's features()
    double area = 0; ///< square metres in common (OverlayTest::Area only)
};

/** A region that was not valid and was repaired for the overlay (its file is not changed). */
struct OverlayRepair {
    QString layer;  ///< the layer's name
    qint64 fid = 0; ///< the object's number in its table
    QString reason; ///< what was wrong with it
};

/** Counts of one overlay run. */
struct OverlayStats {
    qint64 candidates = 0; ///< pairs whose envelopes met
    qint64 pairs = 0;      ///< pairs that passed the test
    qint64 failed = 0;     ///< pairs the geometry library could not decide (skipped)
    bool stopped = false;  ///< stopped on request: the pairs visited are not all
    std::vector<OverlayRepair> repairs;
};

/**
 * Told how many of the base objects are done, between objects and from inside long geometry
 * operations (then at most every few milliseconds); returning false stops the overlay.
 */
using OverlayProgress = std::function<bool(qint64 done, qint64 total)>;

/** Receives each pair with both objects, for a step's own accumulation rule. */
using OverlayVisitor =
    std::function<void(const OverlayPair& pair, const Feature& base, const Feature& region)>;

/**
 * Overlays the regions of the layers on the regions of the base layer. Candidates come from
 * the overlay layers' spatial index. A candidate with a convex side is clipped against it;
 * the rest, and every contact or sliver the clipping cannot tell apart, are decided by GEOS
 * with the base region prepared once (a region wholly inside the base, or a base wholly
 * inside the region, needs no intersection). Pairs
 * are visited base object by base object in table order, within each by layer in the order
 * given, then by region in table order (the order of a loop over all pairs). Objects that
 * are not regions take no part. A pair the geometry library fails on is skipped and counted.
 * A region that is not valid (a self-intersection, a loose hole...) is first repaired with
 * GEOS's make-valid and listed in the stats' repairs. `progress` may stop the run.
 */
OverlayStats Overlay(const Layer& base, const std::vector<const Layer*>& layers, OverlayTest test,
                     const OverlayVisitor& visit, const OverlayProgress& progress = {});

/** The pairs of Overlay() as plain records, in the same order. */
std::vector<OverlayPair> OverlayPairs(const Layer& base, const std::vector<const Layer*>& layers,
                                      OverlayTest test, OverlayStats* stats = nullptr);

/**
 * The warning that names the repaired regions, one line each ("" when none): the overlay
 * used them repaired, their files are as they were.
 */
QString OverlayRepairsText(const std::vector<OverlayRepair>& repairs);

/**
 * Opens a table file for an overlay on its own, not on any map; the layer is named after the
 * file (LayerNameOf). Null with the reason in `error` when it cannot be read.
 */
std::unique_ptr<Layer> OpenOverlayLayer(const QString& path, QString* error);
