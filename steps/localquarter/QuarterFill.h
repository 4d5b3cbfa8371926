#pragma once

#include "common/LandUse.h"
#include "common/StringGrid.h"

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
