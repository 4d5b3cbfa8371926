#pragma once

#include "common/StringGrid.h"
#include "steps/common/StepIssue.h"

#include <QString>

class Connection;

/** Names of the entries of "показники" that are checked and copied into indicators. */
QString InfoAreaName();
QString InfoPopulationName();

/** An empty name/value list: a heading row ("Показник", "Значення") and no data rows. */
StringGrid MakeInfoGrid();

/**
 * Reads "SELECT * FROM показники ORDER BY id" into the grid's data rows (name, value).
 * False with `error` naming the table that could not be read.
 */
bool LoadInfoRows(Connection& project, StringGrid& grid, QString* error);
/** The total area "Визначення площ" stored ("" when none), as the area row shows it. */
QString StoredInfoArea(Connection& project);

/**
 * Checks the area and population rows from the first row on: a number is rewritten with four
 * decimals; the first text that is not one is returned as the issue to show (its row becomes
 * current); earlier rows stay rewritten. Empty values pass.
 */
StepCheck ValidateInfoRows(StringGrid& grid);

/**
 * The total area belongs to "Визначення площ": once it has stored one (`storedArea`), a
 * different value in the area row is the issue (the valuer changes it in that step). Empty
 * rows and the stored value pass.
 */
StepCheck CheckInfoArea(const StringGrid& grid, const QString& storedArea);

/**
 * Replaces "показники" with the grid's rows (rows left wholly blank are skipped) and sets the
 * population indicator (the total area's only while it is empty: an empty row never wipes
 * it), creating their rows when missing, all or nothing. False with `error` saying what
 * failed; the database keeps its former content.
 */
bool StoreInfoRows(Connection& project, const StringGrid& grid, QString* error);
