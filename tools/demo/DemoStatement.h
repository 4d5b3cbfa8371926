#pragma once

#include <QString>
#include <map>

/** Areas of the demonstration map in whole square metres (ten-thousandths of a hectare). */
struct DemoLand {
    qint64 boundaryUnits = 0;         ///< the area inside the boundary
    std::map<QString, qint64> byCode; ///< functional-use regions by their code
};

/** Measures the boundary and the functional-use regions of the layers in the folder. */
bool DemoLandTotals(const QString& folder, DemoLand& land, QString* error);

/**
 * Fills the folder's "Склад земель.xlsx" (the settlement template's empty statement) with
 * the demonstration village's land by owners and land users, from its functional-use
 * layer: one row per owner from row 11, then the totals row, whose total area is the area
 * inside the boundary.
 */
bool WriteDemoStatement(const QString& folder, QString* error);
