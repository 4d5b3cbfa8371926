#pragma once

#include "widgets/GridColumn.h"

#include <QHeaderView>
#include <QList>

class StringGridModel;

/**
 * The frozen heading of a GridView: one band per fixed row of the grid, and above them
 * an optional band of group headings that span several columns. A column outside every
 * group shows its caption over the group band too.
 */
class GridHeader final : public QHeaderView {
    Q_OBJECT
public:
    explicit GridHeader(QWidget* parent = nullptr);

    void setGroups(const QList<GridHeadingGroup>& groups);
    const QList<GridHeadingGroup>& groups() const { return m_groups; }
    /** A fixed height for the heading; 0 sizes it to the captions. */
    void setFixedHeadingHeight(int height);
    /** Recomputes the height after captions or widths changed. */
    void invalidateHeight();
    /** The group band's height (0 without groups). */
    int groupBandHeight() const;
    /** The group that covers a column, or -1. */
    int groupOf(int col) const;

    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    StringGridModel* gridModel() const;
    void computeHeights() const;
    void paintCell(QPainter* painter, const QRect& cell, const QString& text, const QFont& font,
                   Qt::Alignment alignment) const;

    QList<GridHeadingGroup> m_groups;
    int m_fixedHeight = 0;
    mutable bool m_heightValid = false;
    bool m_remeasurePending = false;
    mutable int m_groupHeight = 0;
    mutable QList<int> m_bandHeights;
};
