#pragma once

#include "common/StringGrid.h"
#include "valuation/LocalCatalogue.h"

#include <QString>
#include <vector>

class Connection;

/** The factor numbers used in the project's "локальні" ("SELECT DISTINCT фактор"), ascending. */
bool ReadUsedFactors(Connection& project, std::vector<int>& used);

/**
 * The read-only grid of the coefficients per district: column 0 the row number, 1 the
 * district, then one column per used factor of the catalogue in catalogue order, headed by
 * its short name, filled from the project's "локальні". False with LastError().
 */
bool LoadDistrictFactorGrid(Connection& project, const std::vector<QString>& districts,
                            const std::vector<LocalFactor>& catalogue, const std::vector<int>& used,
                            StringGrid& grid);

/** The text shown once when the catalogue has more factors than the statement can store. */
QString QuarterTooManyFactorsText(int factors);
