#pragma once

#include "gis/LayerKinds.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

/** One ".tab" layer of a settlement folder as the layer list tells it. */
struct SettlementLayer {
    QString name; ///< the file name without extension, lower case
    QString path;
    std::optional<LayerTarget> target; ///< its kind; nothing for a layer of no known kind
    qint64 features = 0;
    QStringList fields;
    QString crsWkt; ///< "" for the numeric system or none
    QString error;  ///< why it could not be read ("" when it was)
};

/**
 * The ".tab" layers of the folder: the kinds in their usual order (межі, райони, зони,
 * функціональне, грунти, then the local factors by number), then the others by name.
 */
std::vector<SettlementLayer> ListSettlementLayers(const QString& folder);

/**
 * The settlement's coordinate system: that of its first layer, in the order above, that
 * names an earth system; "" when none does. `layerName` gets that layer's name.
 */
QString SettlementCrs(const QString& folder, QString* layerName = nullptr);

/** The ".tab" files of the folder the map shows when the settlement opens: межі, зони, райони. */
QStringList SettlementMapPaths(const QString& folder);

/** The path of the layer's ".tab" in the folder (the file as found, else a new name). */
QString SettlementLayerPath(const QString& folder, const QString& layerName);

/**
 * The one recovery of a settlement folder, run by every command and by the window before
 * they read or write it: a layer replace cut short is finished or undone by its journal,
 * and the leftovers of killed layer writings, exports and documents (hidden temporary and
 * set-aside files) are removed. False with the reasons, one line each, in `error`.
 */
bool RecoverSettlementFolder(const QString& folder, QString* error);
