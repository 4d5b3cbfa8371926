#pragma once

#include <QString>
#include <QStringList>

/**
 * The state of the map layers the technical report's appendices show ("райони", "зони",
 * "функціональне", "грунти", "межі" and the local factor layers), as the report carries it:
 * "райони=<fingerprint>;зони=<fingerprint>..." for each layer present in the folder, each
 * fingerprinted over its geometry and the fields the maps label (map/LayerFingerprint).
 */
QString ReportLayerStamp(const QString& folder);

/** The layers of a stamp that changed since or are gone, by name, in the stamp's order. */
QStringList ChangedReportLayers(const QString& folder, const QString& stamp);

/** The name of the document property that carries it. */
QString ReportLayerStampProperty();
