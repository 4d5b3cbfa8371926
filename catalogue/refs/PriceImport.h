#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class Connection;

/** A price list as its file gives it: the rows of the first worksheet (or of the text file). */
struct PriceTable {
    std::vector<QStringList> rows;
    /** The widest row's number of cells. */
    int columnCount() const;
    QString at(int row, int col) const;
};

/**
 * Reads a price list: the first worksheet of a workbook (".xlsx" or ".xls") or a delimited
 * text file (".csv", ".txt": ";", tab or "," as its first line suggests; UTF-8, else
 * Windows-1251). False with the reason in `error` (the file named).
 */
bool ReadPriceTable(const QString& path, PriceTable& table, QString* error);

/** Which column holds what (from 0; -1 for none) and where the data begin (row from 0). */
struct PriceMapping {
    int category = -1;
    int name = -1;
    int unit = -1;
    int price = -1;
    int firstRow = 0;
};

/**
 * The columns named by the headings of the first rows ("Назва"/"Найменування",
 * "Од. виміру", "Ціна"/"Вартість", "Розділ"/"Категорія"); the data begin below the heading
 * row. Without headings: name, unit and price in the first three columns.
 */
PriceMapping GuessPriceMapping(const PriceTable& table);

/** A row of the price list to store. */
struct PriceRow {
    QString category;
    QString name;
    QString unit;
    /** The price as a plain number text ("12.5"). */
    QString price;
    /** The row of the file (from 1), for the report. */
    int sourceRow = 0;
};

/** A row of the file that is not taken, and why. */
struct SkippedPriceRow {
    int sourceRow = 0;
    QString reason;
};

struct PriceImport {
    std::vector<PriceRow> rows;
    std::vector<SkippedPriceRow> skipped;
};

/**
 * The rows to store from `firstRow` on. A price may have blanks between its digits and a
 * decimal comma. Wholly empty rows are passed over. A row without a name, without a price,
 * with a price that is not a number or is below 0 is skipped with its reason. Without a
 * category column, a row with a name only (no unit, no price) heads a section: the rows
 * below it take its name as their category. A category that names a section of the costs
 * step is written as the step writes it.
 */
PriceImport BuildPriceRows(const PriceTable& table, const PriceMapping& mapping);

/** The year of a price list's prices: a whole number from 1990 to 2100, else nothing. */
bool IsPriceYear(const QString& text);

/**
 * Stores the rows into the catalogue's "збірник_цін" with the year of their prices, in one
 * transaction; with `replace` the former rows go first. An older table is given the columns
 * "категорія" and "рік" first. False with the reason in `error`; the table keeps its rows.
 */
bool StorePriceRows(Connection& catalogue, const std::vector<PriceRow>& rows, const QString& year,
                    bool replace, QString* error);

/** The report of an import: how many rows were taken, and each row skipped with its reason. */
QString PriceImportReport(const PriceImport& import, int shownSkipped = 20);
