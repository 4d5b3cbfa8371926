#pragma once

#include "common/StringGrid.h"
#include "valuation/Schema.h"

#include <QString>
#include <QStringList>
#include <vector>

class Connection;

/**
 * The statement of quarters: column 0 the row number, 1 the zone, 2 the district, 3 the
 * quarters, 4 the name, 5 the functional coefficient, then the value of catalogue factor k
 * in column 5 + k.
 */
namespace QuarterGrid {
constexpr int NumberCol = 0;
constexpr int ZoneCol = 1;
constexpr int DistrictCol = 2;
constexpr int QuartersCol = 3;
constexpr int NameCol = 4;
constexpr int FunctionalCol = 5;
/** The column of catalogue factor k (from 1). */
constexpr int factorCol(int k) {
    return FunctionalCol + k;
}
/** The rows a new statement opens with. */
constexpr int OpeningRows = 100;
/** The factors the table has columns for ("лок_1".."лок_30"). */
constexpr int StoredFactors = valuation::QuarterStoredFactors;
} // namespace QuarterGrid

/** An empty statement grid for a catalogue of `factors` factors: its heading and one row. */
StringGrid MakeQuarterGrid(int factors, const QStringList& factorNames = {});

/**
 * Reads "SELECT * FROM відомість_кварталів ORDER BY id": record n fills row n (its id in
 * column 0, the text columns, and "лок_k" in the column of factor k). The grid gets 100
 * numbered rows, or one row per record when there are more. False with `error` naming the
 * table that could not be read.
 */
bool LoadQuarterStatement(Connection& project, StringGrid& grid, QString* error);

/**
 * Replaces "відомість_кварталів" by every grid row whose number is neither empty nor "0",
 * naming the columns; factors 1 to 30 are written (a catalogue's further factors have no
 * column). All or nothing; false with `error` saying what failed.
 */
bool StoreQuarterStatement(Connection& project, const StringGrid& grid, QString* error);

/** What the Kf cell of a row offers: each land-use category with its Kf, and the Kf it stores. */
struct QuarterKfChoices {
    /** "2.50 — Землі комерційного використання", ... in the categories' order. */
    QStringList items;
    /** "2.50", ... */
    QStringList values;
    /** The category names, lower case as the pre-filling writes them. */
    QStringList names;
};
QuarterKfChoices QuarterKfChoicesOf();

/** Numbers column 0 of every data row from 1. */
void RenumberRows(StringGrid& grid);
/** "Додати рядок": an empty row at `row` (the rest move down), then renumbered. */
void AddStatementRow(StringGrid& grid, int row);
/** "Видалити рядок": the row goes (the only row is emptied), then renumbered. */
void DeleteStatementRow(StringGrid& grid, int row);
/** "Видалити значення всього рядка": columns 1 to last emptied. */
void ClearStatementRow(StringGrid& grid, int row);
/** "Вставити раніше скопійоване рядок": the copied row's columns 1 to last into `row`. */
void PasteStatementRow(StringGrid& grid, int row, const QStringList& copied);
