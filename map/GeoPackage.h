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
 * old file (or none) and never a half-written one; the leftovers of writings cut short
 * beside it are removed first. The file is marked as this program's (isOwn()).
 */
bool write(const QString& path, const std::vector<PackageLayer>& layers, QString* error);

/** Whether the file is a GeoPackage that write() made (and so may replace). */
bool isOwn(const QString& path);

/**
 * Removes the temporary files of writings into `folder` cut short by a kill or a crash
 * (".~<name>.<8 hex digits>.gpkg" with SQLite's companions). False when one stays.
 */
bool removeLeftovers(const QString& folder, const QString& baseName = QString());

} // namespace GeoPackage
