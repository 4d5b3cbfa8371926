#pragma once

#include "map/Feature.h"
#include "map/TabFile.h"

#include <QString>
#include <vector>

/** One layer of a GeoPackage to write. */
struct PackageLayer {
    QString name;
    /** Text fields become text columns, whole numbers integer ones, the rest real ones. */
    std::vector<FieldDef> fields;
    /** Values by field name; an empty value of a number column is stored as NULL. */
    FeatureList features;
    /** The coordinate system as WKT; "" for none (an undefined plane). */
    QString crsWkt;
};

namespace GeoPackage {

/**
 * Writes the layers into a new GeoPackage in place of any file at the path. It is written
 * under a temporary name beside it and moved in place once whole, so a failure leaves the
 * old file (or none) and never a half-written one.
 */
bool write(const QString& path, const std::vector<PackageLayer>& layers, QString* error);

} // namespace GeoPackage
