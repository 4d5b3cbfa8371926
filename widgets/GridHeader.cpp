#include "widgets/GridHeader.h"

#include "widgets/StringGridModel.h"

#include <QPainter>
#include <QStyleOptionHeader>
#include <algorithm>

namespace {
constexpr int kPadX = 3;
constexpr int kPadY = 2;

int textHeight(const QFont& font, const QString& text, int width) {
    if (text.isEmpty())
        return QFontMetrics(font).height();
    const QRect r = QFontMetrics(font).boundingRect(
        QRect(0, 0, std::max(width - 2 * kPadX, 8), 10000), Qt::TextWordWrap, text);
    return r.height();
}
} // namespace

GridHeader::GridHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(false);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignCenter);
    connect(this, &QHeaderView::sectionResized, this, [this] {
        // A grid of a thousand columns gets its widths one by one: the heading is measured
        // again once after them, not once per column.
        m_heightValid = false;
        if (!m_remeasurePending) {
            m_remeasurePending = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_remeasurePending = false;
                    invalidateHeight();
                },
                Qt::QueuedConnection);
        }
        viewport()->update();
    });
}

StringGridModel* GridHeader::gridModel() const {
    return qobject_cast<StringGridModel*>(model());
}

void GridHeader::setGroups(const QList<GridHeadingGroup>& groups) {
    m_groups = groups;
    invalidateHeight();
}

void GridHeader::setFixedHeadingHeight(int height) {
    m_fixedHeight = std::max(0, height);
    invalidateHeight();
}

void GridHeader::invalidateHeight() {
    m_heightValid = false;
    updateGeometry();
    emit geometriesChanged();
    viewport()->update();
}

int GridHeader::groupOf(int col) const {
    for (int g = 0; g < m_groups.size(); ++g)
        if (col >= m_groups[g].firstCol && col <= m_groups[g].lastCol)
            return g;
    return -1;
}

int GridHeader::groupBandHeight() const {
    computeHeights();
    return m_groupHeight;
}

void GridHeader::computeHeights() const {
    if (m_heightValid)
        return;
    m_heightValid = true;
    const StringGridModel* grid = gridModel();
    const int rows = grid ? grid->fixedRows() : 1;
    const int lineHeight = QFontMetrics(font()).height() + 2 * kPadY;
    m_bandHeights = QList<int>(std::max(rows, 0), lineHeight);
    m_groupHeight = 0;
    if (grid) {
        for (int c = 0; c < grid->columnCount(); ++c) {
            const GridColumn& column = grid->column(c);
            if (column.width == 0)
                continue;
            const int width = sectionSize(c);
            const QFont f = column.headingFont.value_or(font());
            const QStringList lines = grid->headingLines(c);
            for (int r = 0; r < rows && r < lines.size(); ++r)
                m_bandHeights[r] =
                    std::max(m_bandHeights[r], textHeight(f, lines[r], width) + 2 * kPadY);
        }
    }
    for (const GridHeadingGroup& group : m_groups) {
        int width = 0;
        for (int c = group.firstCol; c <= group.lastCol && c < count(); ++c)
            width += isSectionHidden(c) ? 0 : sectionSize(c);
        m_groupHeight = std::max(m_groupHeight, textHeight(font(), group.text, width) + 2 * kPadY);
    }
    if (m_fixedHeight > 0 && rows > 0) {
        // A fixed height is shared out in proportion to the computed bands.
        int total = m_groupHeight;
        for (int h : m_bandHeights)
            total += h;
        const double scale = double(m_fixedHeight) / std::max(total, 1);
        m_groupHeight = int(m_groupHeight * scale);
        int used = m_groupHeight;
        for (int r = 0; r < rows; ++r) {
            m_bandHeights[r] = r + 1 < rows ? int(m_bandHeights[r] * scale) : m_fixedHeight - used;
            used += m_bandHeights[r];
        }
    }
}

QSize GridHeader::sizeHint() const {
    // Only cached texts are measured here: the heading is asked for its size while a
    // closing window hides its children, when the grid may be gone already.
    computeHeights();
    QSize size(length(), 0);
    int height = m_groupHeight;
    for (int h : m_bandHeights)
        height += h;
    if (m_fixedHeight > 0)
        height = m_fixedHeight;
    size.setHeight(std::max(height, 4));
    return size;
}

void GridHeader::paintCell(QPainter* painter, const QRect& cell, const QString& text,
                           const QFont& font, Qt::Alignment alignment) const {
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = cell;
    opt.section = 0;
    opt.position = QStyleOptionHeader::Middle;
    opt.text.clear();
    style()->drawControl(QStyle::CE_HeaderSection, &opt, painter, this);
    painter->setFont(font);
    painter->setPen(palette().color(QPalette::ButtonText));
    painter->drawText(cell.adjusted(kPadX, kPadY, -kPadX, -kPadY),
                      int(alignment) | Qt::TextWordWrap, text);
}

void GridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    computeHeights();
    const StringGridModel* grid = gridModel();
    if (!grid)
        return;
    painter->save();
    painter->setClipRect(rect);
    const GridColumn& column = grid->column(logicalIndex);
    const QFont captionFont = column.headingFont.value_or(font());
    const QStringList lines = grid->headingLines(logicalIndex);
    int top = rect.top();
    const int group = groupOf(logicalIndex);
    if (group >= 0) {
        // The group cell is drawn whole, clipped to this section; the neighbours draw
        // the rest of it.
        const GridHeadingGroup& g = m_groups[group];
        int left = -1;
        int right = -1;
        for (int c = g.firstCol; c <= g.lastCol && c < count(); ++c) {
            if (isSectionHidden(c) || sectionSize(c) == 0)
                continue;
            const int x = sectionViewportPosition(c);
            if (left < 0 || x < left)
                left = x;
            right = std::max(right, x + sectionSize(c));
        }
        paintCell(painter, QRect(left, top, right - left, m_groupHeight), g.text, font(),
                  Qt::AlignCenter);
        top += m_groupHeight;
    }
    for (int r = 0; r < m_bandHeights.size(); ++r) {
        int height = m_bandHeights[r];
        if (r == 0 && group < 0)
            height += m_groupHeight;
        if (r + 1 == m_bandHeights.size())
            height = rect.bottom() + 1 - top;
        const QString text = r < lines.size() ? lines[r] : QString();
        const bool caption = r + 1 == m_bandHeights.size();
        paintCell(painter, QRect(rect.left(), top, rect.width(), height), text,
                  caption ? captionFont : font(),
                  caption ? column.headingAlignment : Qt::Alignment(Qt::AlignCenter));
        top += height;
    }
    painter->restore();
}
