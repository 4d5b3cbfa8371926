#pragma once

#include <QColor>
#include <QRectF>
#include <QStringList>
#include <vector>

class QFont;
class QPainter;

/**
 * Places labels so that none covers another: each label is tried at its candidate places in
 * turn and takes the first that lies inside the area and meets no label taken before. Taken
 * rectangles are kept in a grid of cells, so a map of thousands of labels is placed in
 * linear time.
 */
class LabelPlacer {
public:
    /** Labels go inside `area` (pixels); `cell` is the side of a grid cell. */
    explicit LabelPlacer(const QRectF& area, double cell = 64);

    /** The index of the candidate taken, or -1 when every one is blocked. */
    int place(const std::vector<QRectF>& candidates);
    /** Keeps labels off a rectangle (a legend box, the scale bar). */
    void block(const QRectF& rect);
    /** Whether a rectangle is inside the area and meets nothing taken. */
    bool isFree(const QRectF& rect) const;

    /**
     * The places to try for a label of `size` at `anchor`: centred on it first, then above,
     * below, right, left and the four corners, each a label's height or width away.
     */
    static std::vector<QRectF> around(const QPointF& anchor, const QSizeF& size);

private:
    void take(const QRectF& rect);
    /** The cells a rectangle covers, clamped to the grid. */
    void cellRange(const QRectF& rect, int& x0, int& y0, int& x1, int& y1) const;

    QRectF m_area;
    double m_cell;
    int m_columns = 1;
    int m_rows = 1;
    std::vector<std::vector<QRectF>> m_cells;
};

/** Draws label lines centred in a rectangle, with a white halo that keeps them readable. */
void DrawLabel(QPainter& painter, const QRectF& rect, const QStringList& lines, const QFont& font,
               const QColor& color);

/** The size of label lines in the font, as DrawLabel draws them. */
QSizeF LabelSize(const QStringList& lines, const QFont& font);
