#pragma once

#include "steps/common/DistrictCount.h"
#include "valuation/ZonalGrids.h"

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

/** Districts "1", "2", ... with the given areas. */
std::vector<District> TestDistricts(const QStringList& areas);

/** A questionnaire over the districts: one numbered row per (factor, scores). */
StringGrid TestAnketa(const std::vector<District>& districts,
                      const std::vector<std::pair<QString, QStringList>>& rows);

/** A column's data texts (below the heading). */
QStringList DataColumn(const StringGrid& grid, int col);
