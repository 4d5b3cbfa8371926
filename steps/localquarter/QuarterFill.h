#pragma once

#include "common/StringGrid.h"
#include "valuation/LandUse.h"

#include <QString>
#include <vector>

class Connection;

/** What "Занести з районів" did. */
struct QuarterFillResult {
    /** False when data is missing; the grid is then left as it was. */
    bool ok = false;
    /** What is missing, as a sentence for the valuer. */
    QString missing;
    /** The rows made. */
    int rows = 0;
};

/**
 * "Занести з районів": builds the statement from the zones with their districts, each
 * district's functional-use categories with their Kf (land for housing with 1.00 when it has
 * none of them) and its local-factor values, one row per zone, district and category. The
 * grid's rows are replaced only when the districts, the average value of 1 sq m, the zones,
 * the local factors and the functional use are all there.
 */
QuarterFillResult FillStatementFromDistricts(Connection& project, StringGrid& grid);

/** What refreshing the statement from its districts found. */
struct StatementRefresh {
    /** The cells changed (or to change), as "рядок 3, лок_2: 1.05 → 1.10". */
    QStringList changed;
    /** The cells the valuer typed that differ from their district's values. */
    QStringList typed;
};

/**
 * Brings the statement's rows up to their districts: the local coefficients (лок_k) of every
 * row whose district has local factors and the Kf of a row named after a land-use category.
 * Cells the valuer typed (recorded when the statement was stored) are replaced only with
 * `replaceTyped`; they are listed in `typed` either way. False with `error` naming the table
 * when the settlement cannot be read.
 */
bool RefreshStatementFromDistricts(Connection& project, StringGrid& grid, bool replaceTyped,
                                   StatementRefresh& refresh, QString* error);

/**
 * Records the statement's cells that differ from their districts' values as typed by the
 * valuer (inputs the check and the recalculation keep). Meant to run inside the store's
 * transaction; false with `error` saying what failed.
 */
bool MarkTypedStatementCells(Connection& project, const StringGrid& grid, QString* error);
