#pragma once

#include "common/StringGrid.h"
#include "steps/common/StepIssue.h"
#include "valuation/CostSections.h"
#include "valuation/Indexation.h"

#include <QString>
#include <QStringList>

class Connection;

/** Columns of both cost grids (the full list and the items of the chosen section). */
enum CostCol {
    ColCostNumber = 0,
    ColCostCategory = 1,
    ColCostName = 2,
    ColCostUnit = 3,
    ColCostInitial = 4,
    ColCostRestored = 5,
    ColCostQuantity = 6,
    ColCostTotal = 7,
};

/** Columns of the price catalogue list (the section is not shown). */
enum PriceCol {
    ColPriceName = 0,
    ColPriceUnit = 1,
    ColPriceInitial = 2,
    ColPriceRestored = 3,
    ColPriceYear = 4,
    ColPriceCategory = 5,
};

/** A cost grid: the heading row with the eight captions and one empty row. */
StringGrid MakeCostGrid();
/** The price list: the heading row with its captions and no rows. */
StringGrid MakePriceGrid();

/**
 * The state of the costs window without its widgets. `full` holds every item, item number
 * r in row r (column 0 empty for a removed item); `visible` holds the items of `section`,
 * column 0 naming their rows in `full`.
 */
struct CostsSheet {
    StringGrid full = MakeCostGrid();
    StringGrid visible = MakeCostGrid();
    /** The chosen section; empty before one is chosen. */
    QString section;
    /** The number of the newest item (0 when the list has none). */
    int lastNumber = 0;
    /** The coefficient line, as "* 1.064   - 2008". */
    QString coefficient;
    /** The assessed territory, ha (as stored). */
    QString area;
    /** Results: total thousand UAH, "0.0000", and UAH per sq m, "0.00" (empty without area). */
    QString total;
    QString perSquareMetre;
    /** В as stored, and what loading recomputed in the items (for the bottom bar). */
    QString storedPerSquareMetre;
    QStringList changes;
};

/** The coefficient lines of the drop-down list: inflation from each year to `year`. */
QStringList CostCoefficientLines(const TDinArryOfKoef& table, int year);
/** The line shown when none is stored: "* 1.000   - " and the year. */
QString DefaultCoefficientLine(int year);
/**
 * The factor of catalogue prices as at the first of January of `pricesYear` (2005 unless the
 * catalogue row names its year) to `year`, rounded to 3 decimals.
 */
double CatalogueFactor(const TDinArryOfKoef& table, int year, int pricesYear = 2005);

/**
 * Reads the price catalogue "збірник_цін" in id order into the price list: name, unit, the
 * catalogue price as stored, the restored price (the catalogue price, 0 when not a number,
 * times CatalogueFactor from the row's year, "0.0000"; empty for an item without a price),
 * the year of its prices (2005 when it names none) and its section. A failed or empty read
 * leaves the list empty and reports nothing.
 */
void LoadPriceList(Connection& catalogue, const TDinArryOfKoef& table, int year,
                   StringGrid& prices);

/** The catalogue items of a section and those without one (all items for no section). */
StringGrid PricesOfSection(const StringGrid& prices, const QString& section);

/** The caption above the price list: the date of its prices, or that they differ by row. */
QString PriceListCaption(const StringGrid& prices);

/** A catalogue item as "Занести вартість" takes it. */
struct CatalogPrice {
    QString name;
    QString unit;
    /** The price brought to the current year; empty when the catalogue has no price. */
    QString restored;
};

/**
 * Reads "витрати" in id order into the full list (the k-th item numbered k), the assessed
 * territory and the stored coefficient line (DefaultCoefficientLine(year) when empty). Each
 * item is recomputed with the current coefficient (a restored cost the valuer typed stays);
 * what that changed is listed in `changes`.
 * False with `error` naming the table that could not be read.
 */
bool LoadCosts(Connection& project, int year, CostsSheet& sheet, QString* error);

/**
 * Stores in one transaction: "Витрати на освоювання" (the cost per sq m),
 * "Коефіціент для відновленої вартості" (the coefficient line) and the items of the full
 * list that keep their number, in list order; a restored cost other than initial x k is
 * recorded as typed by the valuer. False with `error` saying what failed; the database keeps
 * its former content.
 */
bool StoreCosts(Connection& project, const CostsSheet& sheet, QString* error);

/** The row of `full` an item number names; -1 for a text that names none. */
int CostItemRow(const CostsSheet& sheet, const QString& number);

/**
 * Shows the items of a section in the visible grid, in list order (one empty row when there
 * are none); the first becomes current. Returns the number of items shown.
 */
int SelectCostSection(CostsSheet& sheet, const QString& section);

/**
 * The calculation. With the edited cell's column and row (the visible grid's current row),
 * each visible item is handled as edited: a changed initial cost replaces the restored cost
 * by initial x k; otherwise the restored cost is used. With -1, -1 (full recalculation) an
 * empty restored cost is computed from the initial one. "Всього" = quantity x restored cost
 * where both are numbers, else empty (it then counts 0); every item is copied to the full
 * list; then the total over the full list and the cost per sq m of the assessed territory.
 */
void RecalcCosts(CostsSheet& sheet, int col, int row);

/**
 * A new coefficient line (another year): the restored costs computed from the initial ones
 * are computed anew with its k (those typed by hand stay), and everything is recalculated.
 */
void ChangeCostCoefficient(CostsSheet& sheet, const QString& line);

/**
 * An edit of a visible cell: a cell of a row without item number is cleared again (items are
 * only made by AddCostRow) and false returned; otherwise RecalcCosts(col, row).
 */
bool CostCellEdited(CostsSheet& sheet, int row, int col);

/**
 * "Додати строку": a new item of the section at the end of both lists, its number the row it
 * takes in the full list; the visible row is returned and made current (column "Назва"), and
 * everything recalculated. -1 without a section.
 */
int AddCostRow(CostsSheet& sheet);

/** "Вилучити строку": the current visible item goes; it is neither stored nor counted. */
bool RemoveCostRow(CostsSheet& sheet);

/** "Перерахувати відновну вартість": the current item's restored cost from initial x k. */
bool RecalcRestoredCost(CostsSheet& sheet);

/**
 * "Занести вартість": the current item gets the catalogue's restored price (its initial cost
 * cleared), and its name and unit when it has no name yet; then everything is recalculated.
 * False when there was nothing to take (no price, and the item is named already).
 */
bool PutCatalogPrice(CostsSheet& sheet, const CatalogPrice& price);

/** "Очистити усі витрати у розділах": both lists emptied, numbering starts again. */
void ClearAllCosts(CostsSheet& sheet);
/** Whether the sheet holds any item (so clearing it loses something). */
bool HasCostItems(const CostsSheet& sheet);

/** Whether the menu commands apply now. */
bool CanAddCostRow(const CostsSheet& sheet);
/** For a visible cell (row, col) under the mouse or current. */
bool CanRemoveCostRow(const CostsSheet& sheet, int row, int col);
bool CanPutCatalogPrice(const CostsSheet& sheet, bool priceSelected);

/**
 * What the bottom bar of the window says to do first: the assessed territory of "Визначення
 * площ" while it is missing, how to add items while there are none, how to fill the price
 * catalogue while it has no prices; "" once items are there.
 */
QString CostsHint(const CostsSheet& sheet, const StringGrid& prices);

/**
 * Checks before storing: no cost, quantity or total of a kept item is a number below 0.
 * The issue names the row of the full list (the window shows the item's section).
 */
StepCheck CheckCosts(const CostsSheet& sheet);
