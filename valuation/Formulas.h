#pragma once

#include "valuation/Indexation.h"

#include <QString>
#include <QStringList>
#include <optional>

/**
 * The formulas of the valuation, each written once. Numbers come in as the texts the steps
 * store ("." as the decimal separator) or as doubles, and results go out as the texts the
 * steps store, rounded as the valuation rounds them ("0.00" money and Km, "0.0000" areas and
 * thousands). A result that cannot be computed is an empty text, never 0.
 */
namespace valuation {

/** A finite number with `decimals` decimals; "" for infinity or NaN. */
QString Fixed(double value, int decimals);

// --- Areas -------------------------------------------------------------------------------

/**
 * The assessed territory (ha): built-up land + household plots + other land, "0.0000"; ""
 * unless the total area and the built-up land are numbers (the others count as 0 when not).
 */
QString AssessedTerritory(const QString& total, const QString& builtUp, const QString& households,
                          const QString& other);

/** Its inputs as a typed value's mark records them. */
QString AssessedTerritoryInputs(const QString& builtUp, const QString& households,
                                const QString& other);

// --- Development costs (В) ---------------------------------------------------------------

/** The restored unit cost of an item: initial cost x k, rounded to 4 decimals. */
double RestoredCost(double initial, double k);

/**
 * "Всього" of a cost item: quantity x restored unit cost, "0.0000"; "" when either is
 * missing or not a number (such an item then counts as 0 in В).
 */
QString CostItemTotal(const QString& quantity, const QString& restored);

/**
 * В, the development cost per sq m: the total of the items (thousand UAH, rounded to 4
 * decimals) over the assessed territory (ha), in UAH per sq m, "0.00"; "" unless the
 * territory is a number above 0.
 */
QString DevelopmentCost(double totalThousands, const QString& assessedArea);

// --- Average value of 1 sq m (Цнм) and Km1 -----------------------------------------------

/** The ratio Нп/Нк = 6% / 3%. */
constexpr double AverageRatio = 2.0;

/** Цнм = В x 2 x Км1, "0.00"; "" unless both are numbers. */
QString AverageValue(const QString& developmentCost, const QString& km1);

/** The inputs of Цнм as a typed value's mark records them: "В 23.62, Км1 1.200". */
QString AverageValueInputs(const QString& developmentCost, const QString& km1);

/** The inputs of a restored cost: "первісна 12.5000, коефіцієнт 1.2345". */
QString RestoredCostInputs(const QString& initial, double k);

// --- Km2 and the zone value --------------------------------------------------------------

/** The smallest and largest Km2 a settlement of that population (thousands) allows. */
struct Km2Bounds {
    double lower = 0;
    double upper = 0;
};
Km2Bounds Km2BoundsFor(double populationThousands);

/** The value of 1 sq m in a zone: Цнм x Km2 rounded to 2 decimals. */
double ZoneValue(double averageValue, double km2);

// --- Km3 ----------------------------------------------------------------------------------

/**
 * Whether a local coefficient's text is acceptable where it is typed or read from a map
 * layer: empty (no value) or a number above 0. Anything else is refused.
 */
bool IsLocalCoefficient(const QString& text);

/** The local coefficient Km3 of a set of factor coefficients. */
struct Km3 {
    /** The product of the coefficients that are numbers; 1 when there are none. */
    double product = 1;
    /** How many coefficients entered the product. */
    int factors = 0;
    /** The non-empty texts that are not numbers: left out of the product, reported. */
    QStringList refused;

    bool hasFactors() const { return factors > 0; }
    /** "0.00"; "" when no coefficient entered the product. */
    QString text() const;
    /** The product rounded to 2 decimals, as the value of 1 sq m takes it. */
    double rounded() const;
};

/**
 * Km3 = the product of the coefficients that are numbers (empty texts are no value). A
 * non-empty text that is not a number never makes the product 0: it is left out and listed
 * in `refused` so the caller can refuse or report it.
 */
Km3 Km3Of(const QStringList& coefficients);

// --- Kf -----------------------------------------------------------------------------------

/**
 * Kf of a land-use category: by the column k of "функціональне" (ф_k), by the code of the
 * functional-use map ("К", "Ж", ..., letter case ignored) or by the category's name; nothing
 * when the category carries no coefficient.
 */
std::optional<double> KfOfColumn(int column);
std::optional<double> KfOfCode(const QString& code);
std::optional<double> KfOfName(const QString& name);

// --- The value of 1 sq m ------------------------------------------------------------------

/**
 * The value of 1 sq m of land: zone value x Kf x Km3, Km3 taken rounded to 2 decimals (as it
 * is shown). For a single plot the zone value is its base value x its Km2.
 */
double ValuePerSqM(double zoneValue, double kf, double km3);

/**
 * The value of 1 sq m of a single plot, from the value its zone is published at: base value
 * x Km2 rounded to the kopeck (ZoneValue), then x Kf x Km3 as ValuePerSqM; so a plot agrees
 * with the zone's value in the workbooks, the zone map and the value of a place.
 */
double PlotValuePerSqM(double baseValue, double km2, double kf, double km3);

// --- Agricultural land --------------------------------------------------------------------

/**
 * The value of 1 ha of a soil: score x base value / average score, "0.00"; "" unless the
 * base value and the average score are numbers above 0, the score and the area are both
 * given and the score is above 0.
 */
QString SoilValuePerHa(const QString& score, const QString& area, const QString& baseValue,
                       const QString& averageScore);

// --- Single plots -------------------------------------------------------------------------

/** A plot's value: its value of 1 sq m (taken rounded to 2 decimals) x 10000 x area (ha). */
QString PlotValue(double valuePerSqM, double areaHa);

// --- Indexation ---------------------------------------------------------------------------

/**
 * The indexation factor from `fromYear` to `toYear` as it is shown and applied: the product of
 * the indexation coefficients (kind 0) of the table, rounded to 3 decimals, as the coefficient
 * lines show it ("* 1.064   - 2008").
 */
double ShownIndexationFactor(const TDinArryOfKoef& table, int fromYear, int toYear);

/**
 * A value of `fromYear` brought to `toYear`: value x ShownIndexationFactor, so that the value
 * follows from the factor shown beside it.
 */
double IndexedValue(double value, const TDinArryOfKoef& table, int fromYear, int toYear);

/**
 * A base value indexed by a coefficient line ("* 1.064   - 2008"): value x the line's factor,
 * "0.00" (a value that is not a number counts as 0, a line without a number as 1).
 */
QString IndexedByLine(const QString& value, const QString& line);

// --- Land tax -----------------------------------------------------------------------------

/** The yearly land tax of a plot: its normative value x the council's rate in %, "0.00". */
QString LandTax(double value, double ratePercent);

} // namespace valuation
