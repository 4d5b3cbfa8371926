#pragma once

#include "gis/LayerKinds.h"
#include "map/Feature.h"
#include "map/VectorSource.h"

#include <QString>
#include <QStringList>

/** What the valuer asks to import. */
struct ImportRequest {
    QString folder; ///< the settlement's folder
    QString source; ///< a vector file of any format GDAL reads
    QString layer;  ///< the source's layer; "" for its only one
    LayerTarget target;
    /** Source field of each target field; an empty mapping is guessed. */
    FieldMapping mapping;
    /**
     * The settlement's coordinate system as typed ("EPSG:6384"...), used only when its layers
     * name none yet; "" for none given.
     */
    QString crs;
};

/** A checked layer ready to be written, or the reasons it cannot be. */
struct ImportResult {
    /** Why the layer cannot serve, one line each; nothing is written while there are any. */
    QStringList refusals;
    /** What was changed or left out on the way (repaired shapes, objects without area). */
    QStringList warnings;
    /** What was done: the coordinate systems, the counts. */
    QStringList notes;
    SourceSummary source;
    FieldMapping mapping; ///< the mapping used
    QString path;         ///< the ".tab" to write
    bool exists = false;  ///< the settlement already has that layer
    QString crsWkt;       ///< the system the layer is written in ("" numeric)
    std::vector<FieldDef> fields;
    FeatureList features;

    bool ok() const { return refusals.isEmpty(); }
};

/**
 * Reads the source, maps its fields, brings its shapes into the settlement's coordinate
 * system, repairs invalid regions and checks the values the steps need. Writes nothing.
 * False (with the reason in `error`) only when the source or the request cannot be read;
 * a source that cannot serve gives true with refusals.
 */
bool PrepareImport(const ImportRequest& request, ImportResult& result, QString* error);

/**
 * Writes a prepared layer as the settlement's ".tab" in one writing. An existing layer is
 * replaced only with `replace`, and only after its files were copied into a new folder of
 * `copiesFolder` (its path in `copiedTo`); the newest 10 copies of each layer are kept.
 */
bool WriteImport(ImportResult& result, bool replace, const QString& copiesFolder, QString* copiedTo,
                 QString* error);

/** Where the old files of replaced layers are copied for a settlement folder. */
QString LayerCopiesFolder(const QString& settlementFolder);
