#pragma once

#include "common/StringGrid.h"
#include "steps/common/StepIssue.h"
#include "steps/common/WorkingItems.h"
#include "valuation/LayerFingerprints.h"
#include "valuation/LocalCatalogue.h"
#include "valuation/Typed.h"

#include <QHash>

#include <QString>
#include <vector>

class Connection;

/**
 * The grid of the local factors: a heading row; column 0 the factor's number, 1 its name,
 * 2 its range, then one column per district headed by its number. One row per working
 * factor, and last the Km3 row ("0", "Км3") with each district's Km3.
 */
namespace LocalGrid {
constexpr int NumberCol = 0;
constexpr int NameCol = 1;
constexpr int RangeCol = 2;
/** The first district column. */
constexpr int FirstDistrictCol = 3;
} // namespace LocalGrid

/** A grid of the districts' columns holding only the Km3 row. */
StringGrid MakeLocalGrid(const std::vector<QString>& districts);
/** Leaves only the Km3 row, with no values. */
void ClearLocalGrid(StringGrid& grid);
/** The Km3 row: the last row. */
int Km3Row(const StringGrid& grid);
/** The column headed by the district number; -1 when none. */
int DistrictColumn(const StringGrid& grid, const QString& district);
/** The factor of a row: its number in column 0; 0 for the Km3 row or a row without one. */
int RowFactor(const StringGrid& grid, int row);

/**
 * Km3 of every district column (valuation::Km3Of): the product of the numbers of its factor
 * cells, written "0.00" into the Km3 row; empty when the column has no value. A text that is
 * not a number is left out (the window refuses it where it is typed).
 */
void ComputeKm3(StringGrid& grid);

/** Whether a factor row holds a coefficient in some district (the Km3 row not counted). */
bool HasFactorValues(const StringGrid& grid);

/**
 * Reads the stored coefficients ("SELECT * FROM локальні ORDER BY id") into a grid made by
 * MakeLocalGrid: one row per stored factor in the order first met, with its catalogue name
 * and range (empty for a number the catalogue lacks, whose values are kept all the same);
 * each value in the column of its district (skipped when there is none). Computes Km3.
 * False with `error` naming the table that could not be read.
 */
bool LoadLocalValues(Connection& project, const std::vector<LocalFactor>& catalogue,
                     StringGrid& grid, QString* error);

/**
 * "Встановити як робочі": rows of unchecked factors go, checked factors without a row get an
 * empty one below the previous checked factor (number, name, range); the Km3 row stays last
 * and is recomputed. `items` are keyed by factor number. Returns the number checked.
 */
int ApplyWorkingFactors(StringGrid& grid, const std::vector<LocalFactor>& catalogue,
                        const std::vector<WorkingItem>& items);

/** The numbers of the factors that have a row, in row order. */
std::vector<int> WorkingFactorNumbers(const StringGrid& grid);
/** A factor's value in a district column; "" when the grid has no row of the factor. */
QString FactorValue(const StringGrid& grid, int factor, int col);

/** Copies a district's column (every row) into the other columns given; recomputes Km3. */
void CopyDistrictValues(StringGrid& grid, int fromCol, const std::vector<int>& toCols);
/** Empties a district's column; recomputes Km3. */
void ClearDistrictValues(StringGrid& grid, int col);

/** Where the marks of typed coefficients are kept: "локальні", keyed by district and factor. */
QString LocalTypedTable();

/**
 * The coefficients the valuer typed, as marks for valuation::StoreTypedMarks (key: district
 * and factor number; the value is the cell's, possibly empty). With `fromMap` the values of
 * `base` are those "З мапи" just gave: each cell that differs from the map's is typed, with
 * the map's value beside it. Without, `base` is the grid as read: the cells marked before
 * whose value still stands stay marked, and each cell that differs from `base` is typed.
 */
QHash<QString, valuation::TypedMark> TypedLocalMarks(const StringGrid& grid, const StringGrid& base,
                                                     bool fromMap,
                                                     const valuation::TypedValues& before);

/**
 * Replaces the project's "локальні" by one row per (factor row, district column), factor by
 * factor, district by district, empty cells as empty texts, with the layers the values were
 * taken from (`mapLayers`, or, recorded first now, those of `folder`: StepLayers). With
 * `typedBase` (the grid "З мапи" gave when `mapLayers` are given, else the grid as read) the
 * marks of the typed coefficients are replaced too (TypedLocalMarks), so a recalculation
 * that takes the factors from the map again leaves them. All or nothing; false with `error`
 * saying what failed.
 */
bool StoreLocalValues(Connection& project, const StringGrid& grid, QString* error,
                      const QString& folder = {},
                      const std::vector<valuation::LayerUse>& mapLayers = {},
                      const StringGrid* typedBase = nullptr);

/** Every coefficient typed must be a number above 0; the issue names the cell of "GridLocalny". */
StepCheck CheckLocalValues(const StringGrid& grid);

/**
 * The coefficients outside their factor's catalogue range, each as "<factor>, район N: value
 * (min - max)"; the ranges guide the valuer, so these are confirmed, not refused.
 */
QStringList OutOfRangeValues(const StringGrid& grid, const std::vector<LocalFactor>& catalogue);
