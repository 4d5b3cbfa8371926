#pragma once

#include <vector>

class Query;

/** One year of the indexation table; a coefficient of 0 means the year has none. */
struct TKoefItem {
    int year = 0;
    double indexation = 0.0;
    double inflation = 0.0;
};

/** The indexation table in memory, rows in the catalogue's id order (earliest year first). */
using TDinArryOfKoef = std::vector<TKoefItem>;

/** Which coefficient IndexationFactor multiplies. */
enum IndexationKind { KindIndexation = 0, KindInflation = 1 };

/**
 * Reads "SELECT * FROM індексація ORDER BY id" through a query of the catalogue connection
 * into the table. A failed or empty read leaves the table empty and reports nothing.
 */
void LoadIndexation(Query& query, TDinArryOfKoef& table);

/**
 * The product of the coefficients of the years fromYear .. toYear - 1 (kind 0 indexation,
 * 1 inflation); 1 for an empty table or toYear < fromYear. Rounded to 3 decimals only when
 * the walk runs past the table's last row.
 */
double IndexationFactor(const TDinArryOfKoef& table, int fromYear, int toYear, int kind);
