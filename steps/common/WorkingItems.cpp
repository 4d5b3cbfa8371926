#include "steps/common/WorkingItems.h"

#include <QSet>
#include <algorithm>

int FindKeyRow(const StringGrid& grid, int keyCol, const QString& key, int endRow) {
    const int end = endRow < 0 ? grid.rowCount() : endRow;
    for (int row = grid.fixedRows(); row < end; ++row)
        if (grid.at(row, keyCol) == key)
            return row;
    return -1;
}

int ApplyWorkingItems(StringGrid& grid, int keyCol, const std::vector<WorkingItem>& items,
                      const std::function<void(int row, int index)>& onNewRow, int lastRow) {
    const int first = grid.fixedRows();
    // Rows below the data (a totals row) count from the end, so they stay put.
    const int tail = lastRow < 0 ? 0 : grid.rowCount() - lastRow;
    const auto dataEnd = [&] { return grid.rowCount() - tail; };
    const auto rowIsEmpty = [&](int row) {
        for (int col = 0; col < grid.colCount(); ++col)
            if (!grid.at(row, col).isEmpty())
                return false;
        return true;
    };

    for (const WorkingItem& item : items) {
        if (item.checked || item.key.isEmpty())
            continue;
        const int row = FindKeyRow(grid, keyCol, item.key, dataEnd());
        if (row < 0)
            continue;
        // The first data row is emptied rather than removed, as the window expects a row.
        if (row == first)
            grid.clearRow(row);
        else
            grid.removeRows(row);
    }

    int checked = 0;
    int previous = -1;
    for (int index = 0; index < static_cast<int>(items.size()); ++index) {
        const WorkingItem& item = items[static_cast<size_t>(index)];
        if (!item.checked)
            continue;
        ++checked;
        int row = FindKeyRow(grid, keyCol, item.key, dataEnd());
        if (row < 0) {
            row = previous < 0 ? first : previous + 1;
            // An empty row left where the new one goes (the emptied first row) is reused;
            // otherwise a row is made, so no other item's row is taken over.
            if (row >= dataEnd() || !rowIsEmpty(row))
                grid.insertRows(row);
            grid.set(row, keyCol, item.key);
            if (onNewRow)
                onNewRow(row, index);
        }
        previous = row;
    }
    // A first row emptied above and not reused would be an item without a name.
    if (dataEnd() - first > 1 && rowIsEmpty(first))
        grid.removeRows(first);
    return checked;
}

QStringList DroppedKeysWithValues(const StringGrid& grid, int keyCol,
                                  const std::vector<WorkingItem>& items, int firstValueCol,
                                  int endRow) {
    const int end = endRow < 0 ? grid.rowCount() : std::min(endRow, grid.rowCount());
    QSet<QString> withValues;
    for (int row = grid.fixedRows(); row < end; ++row)
        for (int col = firstValueCol; col < grid.colCount(); ++col)
            if (!grid.at(row, col).trimmed().isEmpty()) {
                withValues.insert(grid.at(row, keyCol));
                break;
            }
    QStringList keys;
    for (const WorkingItem& item : items)
        if (!item.checked && withValues.remove(item.key))
            keys << item.key;
    return keys;
}
