#include "widgets/StringGridModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <memory>
#include <vector>

/**
 * The grid's observer. It passes the news on to its model while the model lives; the
 * grid may keep pointing at it after that, so links are kept until the program ends.
 */
class GridLink final : public StringGridObserver {
public:
    StringGridModel* model = nullptr;
    void cellChanged(int row, int col) override {
        if (model)
            model->cellChanged(row, col);
    }
    void structureChanged() override {
        if (model)
            model->structureChanged();
    }
};

namespace {
GridLink* newLink() {
    static std::vector<std::unique_ptr<GridLink>> links;
    links.push_back(std::make_unique<GridLink>());
    return links.back().get();
}
} // namespace

StringGridModel::StringGridModel(StringGrid* grid, QObject* parent)
    : QAbstractTableModel(parent), m_grid(grid), m_link(newLink()) {
    Q_ASSERT(grid);
    m_rows = std::max(0, m_grid->rowCount() - m_grid->fixedRows());
    m_cols = m_grid->colCount();
    m_link->model = this;
    m_grid->setObserver(m_link);
}

StringGridModel::~StringGridModel() {
    m_link->model = nullptr;
}

void StringGridModel::setColumns(const QList<GridColumn>& columns) {
    if (m_grid->colCount() < columns.size())
        m_grid->setColCount(static_cast<int>(columns.size()));
    m_columns = columns;
    const int heading = m_grid->fixedRows() - 1;
    for (int c = 0; c < columns.size(); ++c)
        if (heading >= 0 && !columns[c].caption.isNull())
            m_grid->set(heading, c, columns[c].caption);
    flush();
    emit columnsChanged(0, std::max(static_cast<int>(columns.size()) - 1, 0));
    if (m_cols > 0)
        emit dataChanged(index(0, 0), index(std::max(m_rows - 1, 0), m_cols - 1));
}

void StringGridModel::setColumn(int col, const GridColumn& column) {
    if (col < 0)
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
}

const GridColumn& StringGridModel::column(int col) const {
    static const GridColumn defaults;
    if (col < 0 || col >= m_columns.size())
        return defaults;
    return m_columns[col];
}

QStringList StringGridModel::headingLines(int col) const {
    QStringList lines;
    for (int r = 0; r < m_grid->fixedRows(); ++r)
        lines << DisplayLines(m_grid->at(r, col));
    return lines;
}

int StringGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int StringGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_cols;
}

QVariant StringGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const int col = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_grid->at(gridRow(index.row()), col);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(column(col).cellAlignment());
    case Qt::BackgroundRole:
        if (col < m_grid->fixedCols())
            return QBrush(QGuiApplication::palette().color(QPalette::Button));
        if (column(col).shaded)
            return QBrush(QColor(0xE8, 0xE8, 0xE8));
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
    if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const int row = gridRow(index.row());
    const int col = index.column();
    const QString text = value.toString();
    const bool changed = m_grid->at(row, col) != text;
    m_grid->set(row, col, text);
    if (changed)
        emit dataChanged(index, index);
    // The step windows react to every stored edit, also to one that kept the text.
    emit cellEdited(row, col, text);
    return true;
}

Qt::ItemFlags StringGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const int col = index.column();
    if (col >= m_grid->fixedCols() && !column(col).readOnly)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant StringGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return gridRow(section);
    const QStringList lines = headingLines(section);
    return lines.isEmpty() ? QString() : lines.last();
}

void StringGridModel::cellChanged(int row, int col) {
    if (row < m_grid->fixedRows()) {
        m_headingPending = true;
    } else {
        const int r = modelRow(row);
        if (m_dirtyTop < 0) {
            m_dirtyTop = m_dirtyBottom = r;
            m_dirtyLeft = m_dirtyRight = col;
        } else {
            m_dirtyTop = std::min(m_dirtyTop, r);
            m_dirtyBottom = std::max(m_dirtyBottom, r);
            m_dirtyLeft = std::min(m_dirtyLeft, col);
            m_dirtyRight = std::max(m_dirtyRight, col);
        }
    }
    scheduleFlush();
}

void StringGridModel::structureChanged() {
    m_structurePending = true;
    scheduleFlush();
}

void StringGridModel::scheduleFlush() {
    if (m_flushScheduled)
        return;
    m_flushScheduled = true;
    QMetaObject::invokeMethod(this, &StringGridModel::flush, Qt::QueuedConnection);
}

void StringGridModel::flush() {
    m_flushScheduled = false;
    if (m_structurePending) {
        m_structurePending = false;
        // The grid has already changed; the views learn only the new counts, and the
        // rows themselves are re-read below.
        const int rows = std::max(0, m_grid->rowCount() - m_grid->fixedRows());
        const int cols = m_grid->colCount();
        if (cols > m_cols) {
            beginInsertColumns(QModelIndex(), m_cols, cols - 1);
            m_cols = cols;
            endInsertColumns();
        } else if (cols < m_cols) {
            beginRemoveColumns(QModelIndex(), cols, m_cols - 1);
            m_cols = cols;
            endRemoveColumns();
        }
        if (rows > m_rows) {
            beginInsertRows(QModelIndex(), m_rows, rows - 1);
            m_rows = rows;
            endInsertRows();
        } else if (rows < m_rows) {
            beginRemoveRows(QModelIndex(), rows, m_rows - 1);
            m_rows = rows;
            endRemoveRows();
        }
        m_dirtyTop = 0;
        m_dirtyBottom = m_rows - 1;
        m_dirtyLeft = 0;
        m_dirtyRight = m_cols - 1;
        m_headingPending = true;
    }
    if (m_dirtyTop >= 0) {
        const int bottom = std::min(m_dirtyBottom, m_rows - 1);
        const int right = std::min(m_dirtyRight, m_cols - 1);
        if (bottom >= m_dirtyTop && right >= m_dirtyLeft)
            emit dataChanged(index(m_dirtyTop, m_dirtyLeft), index(bottom, right));
        m_dirtyTop = m_dirtyBottom = m_dirtyLeft = m_dirtyRight = -1;
    }
    if (m_headingPending) {
        m_headingPending = false;
        if (m_cols > 0)
            emit headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
    }
}
