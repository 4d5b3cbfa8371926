#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class OGRGeometry;

/**
 * Reads a plot from a vector file of any format GDAL reads: the union of the regions of its
 * layer ("" for the only one), brought into the settlement's coordinate system (`crsWkt`, ""
 * for the numeric one) when the file names another. `notes` get what was done (the system,
 * objects without area left out). False with a one-line reason when the file holds no region
 * or cannot be read or moved into the settlement's system.
 */
bool ReadPlot(const QString& path, const QString& layer, const QString& crsWkt,
              std::unique_ptr<OGRGeometry>& plot, QStringList& notes, QString* error);
