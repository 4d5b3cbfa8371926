#pragma once

#include "common/StringGrid.h"
#include "valuation/LocalCatalogue.h"

#include <QString>
#include <vector>

class Connection;

/** The factor numbers used in the project's "локальні" ("SELECT DISTINCT фактор"), ascending. */
/** False with `error` naming the table that could not be read. */
bool ReadUsedFactors(Connection& project, std::vector<int>& used, QString* error);

/**
 * The read-only grid of the coefficients per district: column 0 the row number, 1 the
 * district, then one column per used factor of the catalogue in catalogue order, headed by
 * its short name, filled from the project's "локальні". False with `error` naming the table
 * that could not be read.
 */
bool LoadDistrictFactorGrid(Connection& project, const std::vector<QString>& districts,
                            const std::vector<LocalFactor>& catalogue, const std::vector<int>& used,
                            StringGrid& grid, QString* error);

/** The text shown once when the catalogue has more factors than the statement can store. */
QString QuarterTooManyFactorsText(int factors);
