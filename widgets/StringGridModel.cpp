#include "widgets/StringGridModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <utility>

namespace {
/** Moves the span lo..hi of rows or columns as `change` moves them; empty spans get lo > hi. */
void shiftSpan(int& lo, int& hi, bool insert, int first, int count) {
    if (insert) {
        if (lo >= first)
            lo += count;
        if (hi >= first)
            hi += count;
        return;
    }
    const int end = first + count;
    lo = lo >= end ? lo - count : std::min(lo, first);
    hi = hi >= end ? hi - count : (hi >= first ? first - 1 : hi);
}
} // namespace

StringGridModel::StringGridModel(StringGrid* grid, QObject* parent)
    : QAbstractTableModel(parent), m_grid(grid) {
    Q_ASSERT(grid);
    m_grid->setObserver(this);
}

StringGridModel::~StringGridModel() {
    StringGrid* grid = std::exchange(m_grid, nullptr);
    if (grid && grid->observer() == this)
        grid->setObserver(nullptr);
}

void StringGridModel::setColumns(const QList<GridColumn>& columns) {
    if (!m_grid)
        return;
    if (m_grid->colCount() < columns.size())
        m_grid->setColCount(static_cast<int>(columns.size()));
    m_columns = columns;
    const int heading = m_grid->fixedRows() - 1;
    for (int c = 0; c < columns.size(); ++c)
        if (heading >= 0 && !columns[c].caption.isNull())
            m_grid->set(heading, c, columns[c].caption);
    flush();
    emit columnsChanged(0, std::max(static_cast<int>(columns.size()) - 1, 0));
    // Alignment, fonts and shading of every cell may have changed.
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void StringGridModel::setColumn(int col, const GridColumn& column) {
    if (col < 0 || !m_grid)
        return;
    if (m_grid->colCount() <= col)
        m_grid->setColCount(col + 1);
    if (m_columns.size() <= col)
        m_columns.resize(col + 1);
    m_columns[col] = column;
    if (m_grid->fixedRows() > 0 && !column.caption.isNull())
        m_grid->set(m_grid->fixedRows() - 1, col, column.caption);
    flush();
    emit columnsChanged(col, col);
    if (rowCount() > 0)
        emit dataChanged(index(0, col), index(rowCount() - 1, col));
}

const GridColumn& StringGridModel::column(int col) const {
    static const GridColumn defaults;
    if (col < 0 || col >= m_columns.size())
        return defaults;
    return m_columns[col];
}

QStringList StringGridModel::headingLines(int col) const {
    QStringList lines;
    for (int r = 0; r < fixedRows(); ++r)
        lines << DisplayLines(m_grid->at(r, col));
    return lines;
}

void StringGridModel::setCellHints(GridCellHints hints) {
    m_hints = std::move(hints);
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                         {Qt::BackgroundRole, Qt::ToolTipRole});
}

int StringGridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_grid)
        return 0;
    return std::max(0, m_grid->rowCount() - m_grid->fixedRows());
}

int StringGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_grid ? 0 : m_grid->colCount();
}

QVariant StringGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_grid)
        return {};
    const int col = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_grid->at(gridRow(index.row()), col);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(column(col).cellAlignment());
    case Qt::BackgroundRole:
        if (m_hints && col >= m_grid->fixedCols())
            if (const auto hint = m_hints(gridRow(index.row()), col);
                hint && hint->background.isValid())
                return QBrush(hint->background);
        if (col < m_grid->fixedCols())
            return QBrush(QGuiApplication::palette().color(QPalette::Button));
        if (column(col).shaded)
            return QBrush(QColor(0xE8, 0xE8, 0xE8));
        return {};
    case Qt::ToolTipRole:
        if (m_hints)
            if (const auto hint = m_hints(gridRow(index.row()), col))
                return hint->toolTip;
        return {};
    case Qt::FontRole:
        if (column(col).bold) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    default:
        return {};
    }
}

bool StringGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || !m_grid || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const int row = gridRow(index.row());
    const int col = index.column();
    QString text = value.toString();
    // A combo item's text stores its value; a column of items only refuses anything else.
    const GridColumn& c = column(col);
    int chosen = -1;
    if (!c.comboItems.isEmpty() && !text.isEmpty()) {
        chosen = static_cast<int>(c.comboItems.indexOf(text));
        const int item = chosen >= 0 ? chosen : c.comboItemOf(text);
        if (item >= 0)
            text = c.comboValue(item);
        else if (c.comboOnly) {
            emit editRefused(row, col, text);
            return false;
        }
    }
    const bool changed = m_grid->at(row, col) != text;
    m_grid->set(row, col, text);
    if (changed)
        emit dataChanged(index, index);
    if (chosen >= 0)
        emit comboItemChosen(row, col, chosen);
    // The step windows react to every stored edit, also to one that kept the text.
    emit cellEdited(row, col, text);
    return true;
}

Qt::ItemFlags StringGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || !m_grid)
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    const int col = index.column();
    if (col >= m_grid->fixedCols() && !column(col).readOnly)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant StringGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || !m_grid)
        return {};
    if (orientation == Qt::Vertical)
        return gridRow(section);
    const QStringList lines = headingLines(section);
    return lines.isEmpty() ? QString() : lines.last();
}

void StringGridModel::shapeAboutToChange(const GridShapeChange& change) {
    Q_ASSERT(!m_inShape);
    m_inShape = true;
    m_shapeBegun = false;
    const int fixed = m_grid->fixedRows();
    // Rows inserted or removed in the heading shift the data rows all the same: the
    // views see them come or go at the top.
    const int first = std::max(change.first - fixed, 0);
    switch (change.kind) {
    case GridShapeChange::InsertRows: {
        const int count = std::max(0, m_grid->rowCount() + change.count - fixed) - rowCount();
        if (count > 0) {
            beginInsertRows(QModelIndex(), first, first + count - 1);
            m_shapeBegun = true;
        }
        break;
    }
    case GridShapeChange::RemoveRows: {
        const int count = rowCount() - std::max(0, m_grid->rowCount() - change.count - fixed);
        if (count > 0) {
            beginRemoveRows(QModelIndex(), first, first + count - 1);
            m_shapeBegun = true;
        }
        break;
    }
    case GridShapeChange::InsertCols:
        beginInsertColumns(QModelIndex(), change.first, change.first + change.count - 1);
        m_shapeBegun = true;
        break;
    case GridShapeChange::RemoveCols:
        beginRemoveColumns(QModelIndex(), change.first, change.first + change.count - 1);
        m_shapeBegun = true;
        break;
    case GridShapeChange::Reset:
        beginResetModel();
        m_shapeBegun = true;
        break;
    }
}

void StringGridModel::shapeChanged(const GridShapeChange& change) {
    Q_ASSERT(m_inShape);
    const bool insert =
        change.kind == GridShapeChange::InsertRows || change.kind == GridShapeChange::InsertCols;
    switch (change.kind) {
    case GridShapeChange::InsertRows:
    case GridShapeChange::RemoveRows:
        if (m_dirtyTop >= 0)
            shiftSpan(m_dirtyTop, m_dirtyBottom, insert, change.first, change.count);
        if (m_dirtyTop > m_dirtyBottom)
            clearDirty();
        if (change.first < m_grid->fixedRows())
            markHeading(0, m_grid->colCount() - 1);
        if (m_shapeBegun)
            insert ? endInsertRows() : endRemoveRows();
        break;
    case GridShapeChange::InsertCols:
    case GridShapeChange::RemoveCols:
        if (m_dirtyTop >= 0)
            shiftSpan(m_dirtyLeft, m_dirtyRight, insert, change.first, change.count);
        if (m_dirtyLeft > m_dirtyRight)
            clearDirty();
        if (m_headingLeft >= 0)
            shiftSpan(m_headingLeft, m_headingRight, insert, change.first, change.count);
        if (m_headingLeft > m_headingRight)
            m_headingLeft = m_headingRight = -1;
        insert ? endInsertColumns() : endRemoveColumns();
        break;
    case GridShapeChange::Reset:
        // The views read everything afresh.
        clearDirty();
        m_headingLeft = m_headingRight = -1;
        endResetModel();
        break;
    }
    m_inShape = false;
    m_shapeBegun = false;
    if (m_headingLeft >= 0 || m_dirtyTop >= 0)
        scheduleFlush();
}

void StringGridModel::cellChanged(int row, int col) {
    if (row < m_grid->fixedRows()) {
        markHeading(col, col);
    } else if (m_dirtyTop < 0) {
        m_dirtyTop = m_dirtyBottom = row;
        m_dirtyLeft = m_dirtyRight = col;
    } else {
        m_dirtyTop = std::min(m_dirtyTop, row);
        m_dirtyBottom = std::max(m_dirtyBottom, row);
        m_dirtyLeft = std::min(m_dirtyLeft, col);
        m_dirtyRight = std::max(m_dirtyRight, col);
    }
    scheduleFlush();
}

void StringGridModel::currentChanged(int row, int col) {
    emit currentCellChanged(row, col);
}

void StringGridModel::gridDetached() {
    if (!m_grid)
        return;
    beginResetModel();
    m_grid = nullptr;
    clearDirty();
    m_headingLeft = m_headingRight = -1;
    m_inShape = false;
    endResetModel();
}

void StringGridModel::clearDirty() {
    m_dirtyTop = m_dirtyBottom = m_dirtyLeft = m_dirtyRight = -1;
}

void StringGridModel::markHeading(int first, int last) {
    m_headingLeft = m_headingLeft < 0 ? first : std::min(m_headingLeft, first);
    m_headingRight = std::max(m_headingRight, last);
}

void StringGridModel::scheduleFlush() {
    if (m_flushScheduled)
        return;
    m_flushScheduled = true;
    QMetaObject::invokeMethod(this, &StringGridModel::flush, Qt::QueuedConnection);
}

void StringGridModel::flush() {
    m_flushScheduled = false;
    if (!m_grid) {
        clearDirty();
        m_headingLeft = m_headingRight = -1;
        return;
    }
    if (m_dirtyTop >= 0) {
        const int top = std::max(modelRow(m_dirtyTop), 0);
        const int bottom = std::min(modelRow(m_dirtyBottom), rowCount() - 1);
        const int right = std::min(m_dirtyRight, columnCount() - 1);
        const int left = m_dirtyLeft;
        clearDirty();
        if (bottom >= top && right >= left)
            emit dataChanged(index(top, left), index(bottom, right));
    }
    if (m_headingLeft >= 0) {
        const int left = m_headingLeft;
        const int right = std::min(m_headingRight, columnCount() - 1);
        m_headingLeft = m_headingRight = -1;
        if (right >= left)
            emit headerDataChanged(Qt::Horizontal, left, right);
    }
}
