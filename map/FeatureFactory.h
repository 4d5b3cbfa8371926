#pragma once

#include "map/Feature.h"

#include <QPointF>
#include <QString>

class MapDocument;

/** What a geometric operation on two regions gave. */
enum class GeometryResult { Ok, Empty, Failed };

/**
 * The map's feature factory: union and intersection of regions (through GEOS) and text
 * objects. A failure gives GeometryResult::Failed with the reason in `error`; an
 * intersection with nothing in common gives GeometryResult::Empty.
 */
namespace FeatureFactory {

/**
 * The union of two regions. The result keeps the first feature's fid, values and style, so
 * it can replace that feature in its layer with Layer::updateFeature.
 */
GeometryResult combine(const Feature& a, const Feature& b, Feature& result, QString* error);
/** The common part of two regions as a region (lines and points of contact do not count). */
GeometryResult intersect(const Feature& a, const Feature& b, Feature& result, QString* error);
/**
 * A text object at a point. Its height in map units follows the font size at the map's
 * current scale, so it looks like that font size where it was placed.
 */
Feature createText(const MapDocument& map, const QPointF& at, const QString& text,
                   const TextStyle& style);
/** A region from one or more closed rings given as point lists (for tools and tests). */
Feature createRegion(const std::vector<std::vector<QPointF>>& rings);

} // namespace FeatureFactory
