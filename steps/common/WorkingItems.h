#pragma once

#include "common/StringGrid.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

/** An item of a working-item list: its key as the grid shows it, and whether it is checked. */
struct WorkingItem {
    QString key;
    bool checked = false;
};

/**
 * Rebuilds the rows of a grid from a working-item list ("Встановити як робочі"), the rows
 * keyed by the text in column `keyCol`:
 * - an unchecked item loses its row (the first data row is emptied instead of removed, and
 *   dropped at the end only when it stayed empty while other rows remain);
 * - checked items keep their rows and their contents; an item without a row gets a new empty
 *   row directly below the row of the previous checked item in list order (at the top when
 *   it is the first), so another item's row and values are never taken over;
 * - `onNewRow(row, index)` fills a new row (index into `items`; the key is already written).
 * Rows from `lastRow` on (a totals row the caller keeps at the bottom) are left alone; -1 for
 * none. Returns the number of checked items.
 */
int ApplyWorkingItems(StringGrid& grid, int keyCol, const std::vector<WorkingItem>& items,
                      const std::function<void(int row, int index)>& onNewRow = {},
                      int lastRow = -1);

/** The first data row whose column `keyCol` equals the key; -1 when none. */
int FindKeyRow(const StringGrid& grid, int keyCol, const QString& key, int endRow = -1);

/**
 * The keys of the unchecked items whose rows hold a value in a column from `firstValueCol` on
 * (rows before `endRow`, -1 for all): what applying the list would drop, so the window can
 * ask first. Each key once, in list order.
 */
QStringList DroppedKeysWithValues(const StringGrid& grid, int keyCol,
                                  const std::vector<WorkingItem>& items, int firstValueCol,
                                  int endRow = -1);
