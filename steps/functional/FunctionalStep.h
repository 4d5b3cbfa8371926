#pragma once

#include "common/StringGrid.h"
#include "steps/common/DistrictCount.h"
#include "steps/common/StepIssue.h"
#include "valuation/LandUse.h"
#include "valuation/LayerFingerprints.h"
#include "valuation/Typed.h"

#include <QHash>

#include <QString>
#include <vector>

class Connection;

/**
 * The grid of the step: a heading row, then `rows` rows with the district numbers in column 0
 * (empty where there are fewer numbers than rows) and empty area columns 1..17.
 */
StringGrid MakeFunctionalGrid(const std::vector<QString>& districts, int rows);

/**
 * Fills the area columns from "SELECT * FROM функціональне ORDER BY id": each record goes to
 * the row of its district (skipped when there is none); at most as many records as the grid
 * has rows are read. False with `error` naming the table that could not be read.
 */
bool LoadFunctional(Connection& project, StringGrid& grid, QString* error);

/**
 * The areas the valuer typed, as marks for valuation::StoreTypedMarks (key: district, field
 * "ф_N"; the value is the cell's, possibly empty). With `fromMap` the areas of `base` are
 * those "З мапи" just gave: each cell that differs from the map's is typed, with the map's
 * area beside it. Without, `base` is the grid as read: the cells marked before whose value
 * still stands stay marked, and each cell that differs from `base` is typed.
 */
QHash<QString, valuation::TypedMark> TypedFunctionalMarks(const StringGrid& grid,
                                                          const StringGrid& base, bool fromMap,
                                                          const valuation::TypedValues& before);

/**
 * Replaces "функціональне" by one row per grid row with a district number: its number and
 * the typed areas, empty cells stored as NULL, with the layers the areas were measured on
 * (`mapLayers`, or, recorded first now, those of `folder`: StepLayers). With `typedBase` (the
 * grid "З мапи" gave when `mapLayers` are given, else the grid as read) the marks of the typed
 * areas are replaced too (TypedFunctionalMarks), so a recalculation that measures the map
 * again leaves them. All or nothing; false with `error` saying what failed.
 */
bool StoreFunctional(Connection& project, const StringGrid& grid, QString* error,
                     const QString& folder = {},
                     const std::vector<valuation::LayerUse>& mapLayers = {},
                     const StringGrid* typedBase = nullptr);

/** The areas of the grid must not be below 0; the issue names the cell of "GridFunks". */
StepCheck CheckFunctional(const StringGrid& grid);

/**
 * The districts whose functional areas add up to more than their own area (the "Площі
 * районів" area by number; a district without a numeric area is not compared), each as
 * "район N: сума S га, площа району A га".
 */
QStringList OversizedDistricts(const StringGrid& grid, const std::vector<District>& districts);
