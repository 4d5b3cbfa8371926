#include "widgets/GridView.h"

#include "widgets/GridDelegate.h"
#include "widgets/GridHeader.h"
#include "widgets/StringGridModel.h"

#include "common/Messages.h"
#include "common/TextUtils.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <algorithm>

GridView::GridView(QWidget* parent) : QTableView(parent) {
    m_header = new GridHeader(this);
    setHorizontalHeader(m_header);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(4);
    setItemDelegate(new GridDelegate(this));
    setWordWrap(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Tab leaves the grid for the window's buttons; arrows move between cells.
    setTabKeyNavigation(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { contextMenuAt(this, pos); });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int col, int, int size) {
        if (m_frozen && m_model && col < m_model->fixedCols()) {
            m_frozen->setColumnWidth(col, size);
            updateFrozenGeometry();
        }
    });
    m_ownGrid = std::make_unique<StringGrid>();
    setGrid(m_ownGrid.get());
}

GridView::~GridView() {
    // The model unhooks itself from the grid when it goes.
    delete m_frozen;
    m_frozen = nullptr;
    // Either may go first; the model goes before the view's own grid anyway.
    setModel(nullptr);
    delete m_model;
    m_model = nullptr;
}

StringGrid* GridView::grid() const {
    return m_model ? m_model->grid() : nullptr;
}

void GridView::setGrid(StringGrid* grid) {
    if (!grid)
        grid = m_ownGrid.get();
    if (m_model && grid == m_model->grid())
        return;
    delete m_frozen;
    m_frozen = nullptr;
    m_frozenHeader = nullptr;
    StringGridModel* old = m_model;
    m_model = new StringGridModel(grid, this);
    QItemSelectionModel* oldSelection = selectionModel();
    setModel(m_model);
    delete oldSelection;
    delete old;
    connect(m_model, &StringGridModel::cellEdited, this, &GridView::cellEdited);
    connect(m_model, &StringGridModel::editRefused, this, &GridView::editRefused);
    connect(m_model, &StringGridModel::comboItemChosen, this, &GridView::comboItemChosen);
    connect(m_model, &StringGridModel::columnsChanged, this, [this](int first, int last) {
        for (int c = first; c <= last; ++c)
            applyColumn(c);
        updateFrozen();
        fitFillColumn();
        m_header->invalidateHeight();
    });
    connect(m_model, &QAbstractItemModel::columnsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                for (int c = first; c <= last; ++c)
                    applyColumn(c);
                updateFrozen();
                m_header->invalidateHeight();
            });
    connect(m_model, &QAbstractItemModel::columnsRemoved, this, [this] {
        keepEditingState();
        updateFrozen();
        fitFillColumn();
        m_header->invalidateHeight();
        followGridCurrent();
    });
    connect(m_model, &QAbstractItemModel::headerDataChanged, this, [this] {
        m_header->invalidateHeight();
        if (m_frozenHeader)
            m_frozenHeader->invalidateHeight();
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, &GridView::modelWasReset);
    // Qt moves the view's current cell when rows go; the grid's rule wins.
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &GridView::followGridCurrent);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, [this] {
        keepEditingState();
        followGridCurrent();
    });
    connect(m_model, &StringGridModel::currentCellChanged, this, [this](int row, int col) {
        followGridCurrent();
        emit currentCellChanged(row, col);
    });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { viewCurrentChanged(current); });
    applyColumns();
    updateFrozen();
    horizontalHeader()->setVisible(grid->fixedRows() > 0);
    followGridCurrent();
}

void GridView::modelWasReset() {
    applyColumns();
    updateFrozen();
    fitFillColumn();
    horizontalHeader()->setVisible(m_model->fixedRows() > 0);
    m_header->invalidateHeight();
    if (m_frozenHeader)
        m_frozenHeader->invalidateHeight();
    followGridCurrent();
}

void GridView::keepEditingState() {
    // Qt drops the editing state after rows or columns go, though an editor elsewhere
    // stays open; the view must still know it edits.
    if (state() != EditingState && currentIndex().isValid() && indexWidget(currentIndex()))
        setState(EditingState);
}

void GridView::viewCurrentChanged(const QModelIndex& current) {
    // While rows come and go Qt moves its current cell by its own rule; the grid's
    // rule decides, and the view follows it once the change is done.
    if (!current.isValid() || m_model->isChangingShape() || !grid())
        return;
    grid()->setCurrent(m_model->gridRow(current.row()), current.column());
}

void GridView::followGridCurrent() {
    const StringGrid* g = grid();
    if (!g)
        return;
    const QModelIndex index = m_model->index(m_model->modelRow(g->currentRow()), g->currentCol());
    if (!index.isValid() || index == currentIndex())
        return;
    setCurrentIndex(index);
    scrollTo(index);
}

void GridView::setColumns(const QList<GridColumn>& columns) {
    if (m_model)
        m_model->setColumns(columns);
}

void GridView::setColumn(int col, const GridColumn& column) {
    if (m_model)
        m_model->setColumn(col, column);
}

const GridColumn& GridView::column(int col) const {
    static const GridColumn defaults;
    return m_model ? m_model->column(col) : defaults;
}

void GridView::setColWidth(int col, int width) {
    if (!m_model || col < 0)
        return;
    GridColumn c = m_model->column(col);
    c.width = width;
    c.caption = QString(); // keeps the caption the grid holds now
    m_model->setColumn(col, c);
}

int GridView::colWidth(int col) const {
    if (isColumnHidden(col))
        return 0;
    return columnWidth(col);
}

void GridView::applyColumn(int col) {
    if (!m_model)
        return;
    const GridColumn& c = m_model->column(col);
    setColumnHidden(col, c.width == 0);
    if (c.width > 0)
        setColumnWidth(col, c.width);
}

void GridView::applyColumns() {
    if (!m_model)
        return;
    for (int c = 0; c < m_model->columnCount(); ++c)
        applyColumn(c);
}

void GridView::setHeadingGroups(const QList<GridHeadingGroup>& groups) {
    m_groups = groups;
    m_header->setGroups(groups);
    if (m_frozenHeader)
        m_frozenHeader->setGroups(groups);
}

void GridView::setRowHeights(int height) {
    m_rowHeight = std::max(height, 4);
    verticalHeader()->setDefaultSectionSize(m_rowHeight);
    if (m_frozen)
        m_frozen->verticalHeader()->setDefaultSectionSize(m_rowHeight);
}

void GridView::setHeadingHeight(int height) {
    m_header->setFixedHeadingHeight(height);
    if (m_frozenHeader)
        m_frozenHeader->setFixedHeadingHeight(height);
}

void GridView::refresh() {
    if (m_model)
        m_model->flush();
}

void GridView::setCurrentCell(int row, int col) {
    StringGrid* g = grid();
    if (!g)
        return;
    g->setCurrent(row, col);
    // Also when the grid's cell stays: the view may have lost its current cell.
    followGridCurrent();
}

int GridView::currentGridRow() const {
    return grid() ? grid()->currentRow() : -1;
}
int GridView::currentGridCol() const {
    return grid() ? grid()->currentCol() : -1;
}

QRect GridView::globalCellRect(int row, int col) const {
    if (!m_model)
        return {};
    const QModelIndex index = m_model->index(m_model->modelRow(row), col);
    if (!index.isValid())
        return {};
    const QAbstractItemView* view = this;
    if (m_frozen && col < m_model->fixedCols())
        view = m_frozen;
    const QRect rect = view->visualRect(index);
    if (rect.isEmpty())
        return {};
    return QRect(view->viewport()->mapToGlobal(rect.topLeft()), rect.size());
}

bool GridView::isEditing() const {
    return state() == QAbstractItemView::EditingState;
}

void GridView::endEdit() {
    if (!isEditing())
        return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void GridView::cancelEdit() {
    if (!isEditing())
        return;
    if (QWidget* editor = indexWidget(currentIndex()))
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

void GridView::setPopupMenu(QMenu* menu) {
    m_popup = menu;
}

void GridView::contextMenuAt(QAbstractItemView* view, const QPoint& pos) {
    const QModelIndex index = view->indexAt(pos);
    m_mouseRow = index.isValid() ? m_model->gridRow(index.row()) : -1;
    m_mouseCol = index.isValid() ? index.column() : -1;
    const QPoint global = view->viewport()->mapToGlobal(pos);
    if (m_popup)
        m_popup->setEnabled(true);
    emit popupRequested(m_mouseRow, m_mouseCol, global);
    if (m_popup && m_popup->isEnabled())
        m_popup->exec(global);
}

void GridView::keyPressEvent(QKeyEvent* event) {
    // Enter edits or finishes editing the cell; it never reaches the window's default
    // button, which would close a step window in the middle of typing.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!isEditing() && currentIndex().isValid() &&
            (m_model->flags(currentIndex()) & Qt::ItemIsEditable))
            edit(currentIndex());
        event->accept();
        return;
    }
    if (!isEditing() && event->matches(QKeySequence::Copy)) {
        copyCell();
        event->accept();
        return;
    }
    if (!isEditing() && event->matches(QKeySequence::Paste)) {
        pasteCells(QGuiApplication::clipboard()->text());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void GridView::copyCell() {
    if (const StringGrid* g = grid())
        QGuiApplication::clipboard()->setText(g->at(currentGridRow(), currentGridCol()));
}

int GridView::pasteCells(const QString& text) {
    if (!m_model || !currentIndex().isValid() || text.isEmpty())
        return 0;
    // Rows of tab-separated cells, as spreadsheets copy them; the block starts at the
    // current cell and stops at the grid's edges. Read-only cells keep their text.
    QStringList lines = text.split(u'\n');
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    int stored = 0;
    bool removed = false;
    const QModelIndex start = currentIndex();
    for (int i = 0; i < lines.size(); ++i) {
        const int row = start.row() + i;
        if (row >= m_model->rowCount())
            break;
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QStringList cells = line.split(u'\t');
        int col = start.column();
        for (const QString& cell : cells) {
            while (col < m_model->columnCount() && isColumnHidden(col))
                ++col;
            if (col >= m_model->columnCount())
                break;
            const QModelIndex index = m_model->index(row, col);
            if (m_model->flags(index) & Qt::ItemIsEditable) {
                QString value = cell.trimmed();
                const GridColumn& column = m_model->column(col);
                if (column.numeric()) {
                    const FilterResult clean =
                        FilterNumberText(value, 0, column.intDigits, column.decimals);
                    removed = removed || clean.removed > 0;
                    value = clean.text;
                }
                if (m_model->setData(index, value))
                    ++stored;
            }
            ++col;
        }
    }
    if (removed)
        Beep();
    return stored;
}

// Fixed columns: a second view over the same model lies on the left edge and shows
// only them, the way the heading lies on the top edge.
int GridView::frozenWidth() const {
    if (!m_model)
        return 0;
    int width = 0;
    for (int c = 0; c < m_model->fixedCols() && c < m_model->columnCount(); ++c)
        if (!isColumnHidden(c))
            width += columnWidth(c);
    return width;
}

void GridView::updateFrozen() {
    const int fixed = m_model ? std::min(m_model->fixedCols(), m_model->columnCount()) : 0;
    if (fixed <= 0) {
        delete m_frozen;
        m_frozen = nullptr;
        m_frozenHeader = nullptr;
        return;
    }
    if (!m_frozen) {
        m_frozen = new QTableView(this);
        m_frozenHeader = new GridHeader(m_frozen);
        m_frozen->setHorizontalHeader(m_frozenHeader);
        m_frozen->setModel(m_model);
        m_frozen->setSelectionModel(selectionModel());
        m_frozen->setItemDelegate(itemDelegate());
        m_frozen->verticalHeader()->hide();
        m_frozen->verticalHeader()->setMinimumSectionSize(4);
        if (m_rowHeight > 0)
            m_frozen->verticalHeader()->setDefaultSectionSize(m_rowHeight);
        m_frozen->setFocusPolicy(Qt::NoFocus);
        m_frozen->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_frozen->setWordWrap(false);
        m_frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_frozen->setFrameShape(QFrame::NoFrame);
        m_frozen->setContextMenuPolicy(Qt::CustomContextMenu);
        m_frozenHeader->setGroups(m_groups);
        connect(m_frozen, &QWidget::customContextMenuRequested, this,
                [this](const QPoint& pos) { contextMenuAt(m_frozen, pos); });
        // Clicks on the fixed columns are clicks on the grid.
        connect(m_frozen, &QAbstractItemView::clicked, this, &QAbstractItemView::clicked);
        connect(m_frozen, &QAbstractItemView::doubleClicked, this,
                &QAbstractItemView::doubleClicked);
        connect(m_frozen->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
                &QAbstractSlider::setValue);
        connect(verticalScrollBar(), &QAbstractSlider::valueChanged, m_frozen->verticalScrollBar(),
                &QAbstractSlider::setValue);
        viewport()->stackUnder(m_frozen);
        m_frozen->show();
    }
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const bool hidden = c >= fixed || isColumnHidden(c);
        m_frozen->setColumnHidden(c, hidden);
        if (!hidden)
            m_frozen->setColumnWidth(c, columnWidth(c));
    }
    updateFrozenGeometry();
}

void GridView::updateFrozenGeometry() {
    if (!m_frozen)
        return;
    m_frozenHeader->setFixedHeight(horizontalHeader()->height());
    m_frozen->setGeometry(frameWidth(), frameWidth(), frozenWidth(),
                          viewport()->height() + horizontalHeader()->height());
}

void GridView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    fitFillColumn();
    updateFrozenGeometry();
}

void GridView::setFillColumn(int col, int margin) {
    m_fillCol = col;
    m_fillMargin = margin;
    fitFillColumn();
}

void GridView::fitFillColumn() {
    if (!m_model || m_fillCol < 0 || m_fillCol >= m_model->columnCount() ||
        isColumnHidden(m_fillCol))
        return;
    int others = 0;
    for (int c = 0; c < m_model->columnCount(); ++c)
        if (c != m_fillCol && !isColumnHidden(c))
            others += columnWidth(c);
    setColumnWidth(m_fillCol, std::max(width() - others - m_fillMargin, 1));
}

void GridView::setRowSelect(bool rows) {
    setSelectionBehavior(rows ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

void GridView::updateGeometries() {
    QTableView::updateGeometries();
    updateFrozenGeometry();
}

QModelIndex GridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex current = QTableView::moveCursor(action, modifiers);
    const int width = frozenWidth();
    if (m_frozen && current.isValid() && current.column() >= m_model->fixedCols()) {
        const int x = visualRect(current).left();
        if (x < width)
            horizontalScrollBar()->setValue(horizontalScrollBar()->value() + x - width);
    }
    return current;
}

void GridView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (m_frozen && index.isValid() && index.column() < m_model->fixedCols()) {
        // Only the rows scroll for a fixed column.
        const int h = horizontalScrollBar()->value();
        QTableView::scrollTo(index, hint);
        horizontalScrollBar()->setValue(h);
        return;
    }
    QTableView::scrollTo(index, hint);
}
