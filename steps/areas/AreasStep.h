#pragma once

#include "common/StringGrid.h"
#include "steps/common/StepIssue.h"
#include "valuation/LayerFingerprints.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <vector>

class Connection;

/** A field of the areas window and the indicator of "характеристика" it shows. */
struct AreaField {
    /** The control's object name ("EZagalna"). */
    QString name;
    /** The caption beside the field. */
    QString caption;
    QString indicator;
    /** A part of the line above it, listed under "із них:". */
    bool sub = false;
};

/** Every field of the step in window order, "ERaions" (the district count) last. */
const std::vector<AreaField>& AreaFields();

/**
 * The key of AreasData's values for the part of the territory not counted that the land
 * statement adds without a line of its own: no field, carried from the statement or the
 * database to the store.
 */
inline QString NotCountedRestKey() {
    return QStringLiteral("ENoUsedRest");
}

/** Columns of the district grid. */
enum DistrictCol {
    ColDistrictNumber = 0,
    ColDistrictArea = 1,
    ColDistrictMapArea = 2,
    ColDistrictDescription = 3
};

/** An empty district grid: the heading row and one empty row of four columns. */
StringGrid MakeDistrictGrid();

/** What the step shows and stores: the field texts by object name and the district grid. */
struct AreasData {
    QHash<QString, QString> values;
    StringGrid districts = MakeDistrictGrid();
    /** Why the stored district count was not believed (above 999); "" when it was. */
    QString countProblem;
    /** The settlement's folder, whose layer "райони" the map areas come from. */
    QString folder;
    /** The layer read by "З мапи", fingerprinted then; empty when not read this time. */
    std::vector<valuation::LayerUse> mapLayers;

    QString value(const QString& name) const { return values.value(name); }
};

/**
 * Reads the indicators and the districts: "Кількість районів" gives the number of grid rows
 * (0 for a text that is not a number, then one empty row), the "Площі районів" rows fill
 * them in id order (number, area, and the map area and description split at "|"), every
 * field gets its indicator's value and "ERaions" the count. A stored count above 999 is
 * not believed: the stored district rows (at most 999) give the rows and the count, and
 * `countProblem` says so. False with `error` naming the table that could not be read.
 */
bool LoadAreas(Connection& project, AreasData& data, QString* error);

/**
 * Stores in one transaction: every field into its indicator (a missing row is created) and
 * the rest of the territory not counted; a land-structure sum or assessed territory other
 * than the one computed from its parts is marked as typed by the valuer, with the computed
 * value; then the district rows replaced by the grid's rows in order. A lone empty row under a
 * count of 0 is no district and is not stored. The layer the map areas came from is recorded
 * (StepLayers), and forgotten when no district has a map area any more. False with `error`
 * saying what failed; the database keeps its former content.
 */
bool StoreAreas(Connection& project, const AreasData& data, QString* error);

/**
 * The assessed territory computed from the fields (the label beside "Оціночна територія"):
 * built-up + household plots + other land, "0.0000"; a non-number in the last two counts as
 * 0. Empty unless the total area and the built-up territory are numbers.
 */
QString ComputedAssessedTerritory(const QString& total, const QString& builtUp,
                                  const QString& households, const QString& other);

/** The sums of the grid's "Площа, га" and "З карти, га" columns, "0.0000" each. */
std::pair<QString, QString> DistrictSums(const StringGrid& grid);

/**
 * Checks before storing: every area field is empty or a number not below 0 (a field of
 * `negativeAllowed`, which the land statement's arithmetic left below 0, may be any number);
 * in the grid a district number is empty or a positive integer used once, and the areas are
 * empty or numbers not below 0. The first fault is returned for the window to show.
 */
StepCheck CheckAreas(const AreasData& data, const QSet<QString>& negativeAllowed = {});

/** The fields below 0, as "caption value" ("Забудована територія, -1.5000"). */
QStringList NegativeAreas(const AreasData& data);
