#pragma once

#include <optional>

#include "common/StringGrid.h"
#include "steps/common/DistrictCount.h"
#include "steps/common/WorkingItems.h"
#include "steps/zonal/ScoreChecks.h"
#include "valuation/ZonalGrids.h"

#include <QString>
#include <vector>

class Connection;

/** What the zonal steps take from the earlier steps, read before any window is made. */
struct ZonalSettlement {
    std::vector<District> districts;
    int zoneCount = 0;
    QString averageValue; ///< Цнм as stored
    QString population;   ///< thousands of inhabitants as stored
    QString km2Min;
    QString km2Max;
};

/** How reading the settlement ended. */
enum class ZonalOpening { Ready, Refused, Failed };

/**
 * Reads the district count and list, the zone count, Цнм and the population, and checks
 * them in the order the step does: no districts, no average value, no population each refuse
 * with their warning in `message`. Failed when the settlement cannot be read, with `message`
 * naming the table and the reason.
 */
ZonalOpening ReadZonalSettlement(Connection& project, ZonalSettlement& settlement,
                                 QString* message);

/** The step's tables as the window shows them. */
struct ZonalTables {
    /** "експертні_фактори" in id order; checked = the factor has questionnaire rows. */
    std::vector<WorkingItem> factors;
    StringGrid anketa;
    StringGrid result;
    StringGrid zones;
    /** Whether "анкета" held any factor (then the indices and Km2 are computed). */
    bool hasAnketa = false;
    /** The way the stored "км2" rows were made; empty when none is stored. */
    std::optional<ZonalVariant> storedVariant;
    /** What computing the indices on opening gave (only when hasAnketa). */
    IndexOutcome indices;
};

/**
 * Reads "експертні_фактори", "анкета" (widening its factor column from 50 to 150
 * characters first), "км2" and "зони" into the grids, computing the indices when the
 * questionnaire has rows. Scores of districts that have no column are dropped; a factor of
 * the questionnaire missing from the factor list is added to it, checked; Km2, value and zone
 * of "км2" go to the row of their district. False with `error` naming the table that could
 * not be read.
 */
bool LoadZonalTables(Connection& project, ZonalVariant variant, const ZonalSettlement& settlement,
                     ZonalTables& tables, QString* error);

/** The three indicators the step stores. */
struct ZonalIndicators {
    QString zoneCount;
    QString km2Min;
    QString km2Max;
};

/**
 * Replaces "експертні_фактори" (every item in list order), "анкета" (every numbered row,
 * every district column), "км2" (every row with a district number, in the variant's columns)
 * and "зони" (every row with a zone number) and sets the three indicators, in one
 * transaction: all or nothing. False with `error` saying what failed.
 */
bool StoreZonal(Connection& project, ZonalVariant variant, const std::vector<WorkingItem>& factors,
                const StringGrid& anketa, const StringGrid& result, const StringGrid& zones,
                const ZonalIndicators& indicators, QString* error);
