#pragma once

#include "common/StringGrid.h"

#include <QString>
#include <optional>
#include <vector>

class MapDocument;

/** A district as the map gives it: its number padded to 3 characters and its area in ha. */
struct MapDistrict {
    QString number;
    double hectares = 0;
};

/** What reading the district layer found. */
enum class MapDistrictsStatus {
    Ok,
    /** The layer "райони" is missing or has no objects. */
    NoDistricts,
    /** The layer's attribute table cannot be had. */
    NoDataset,
    /** The layer has no field "Raion" with the district numbers. */
    NoNumberField,
};

/** The message of a status that is not Ok (warnings, the dataset error an error). */
QString MapDistrictsMessage(MapDistrictsStatus status);

/**
 * The districts of the map layer "райони": for every object, its "Raion" value padded on the
 * left with "0" to 3 characters and its area (square metres) in hectares.
 */
MapDistrictsStatus ReadMapDistricts(MapDocument& map, std::vector<MapDistrict>& districts);

/**
 * Fills the district grid from the map: one row per district, sorted as the texts
 * "number*area 0.0000*area 0.00" sort; number without leading "0", "Площа, га" with 2
 * decimals, "З карти, га" with 4; a boundary description the grid held for the same
 * district number stays, the others are empty.
 */
void FillDistrictsFromMap(StringGrid& grid, const std::vector<MapDistrict>& districts);

/**
 * Whether replacing the district rows would lose a value: an area or a map area other than
 * 0, a boundary description, or a number other than the row's own place (what "Вручну"
 * writes).
 */
bool HasDistrictValues(const StringGrid& grid);

/** The district count typed for "Вручну": an integer from 1 to 999, else nothing. */
std::optional<int> ParseDistrictCount(const QString& text);

/** n empty districts numbered 1..n, each with "З карти, га" "0.0000". */
void FillDistrictsByHand(StringGrid& grid, int count);
