#pragma once

#include "common/StringGrid.h"

#include <QObject>
#include <QString>
#include <functional>

class Query;

/** Names of the entries of "показники" that are checked and copied into indicators. */
QString InfoAreaName();
QString InfoPopulationName();
/** The indicators of "характеристика" those two entries are copied into. */
QString InfoAreaIndicator();
QString InfoPopulationIndicator();

/** An empty name/value list: a heading row ("Показник", "Значення") and no data rows. */
StringGrid MakeInfoGrid();

/**
 * Reads "SELECT * FROM показники ORDER BY id" into the grid's data rows (name, value).
 * A failed read shows "Вибірка із бази \"Показники\"..." and gives false.
 */
bool LoadInfoRows(Query& query, StringGrid& grid);

/**
 * Checks the area and population rows from the first row on: a number is rewritten with four
 * decimals; a text that is not one shows the warning balloon at `control`, makes that row
 * current (`showRow` lets a view follow before the balloon shows) and gives false; earlier
 * rows stay rewritten. Empty values pass.
 */
bool ValidateInfoRows(StringGrid& grid, QObject* control = nullptr,
                      const std::function<void(int row)>& showRow = {});

/**
 * Replaces "показники" of the project database with the grid's rows (rows left wholly blank
 * are skipped) and sets the two indicators, creating their rows when missing, in one
 * transaction. On a failure everything is rolled back and
 * "Оновлення даних у базі даних.\rПомилка: ..." is shown; false.
 */
bool StoreInfoRows(const StringGrid& grid);
