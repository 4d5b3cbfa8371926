#include "map/LabelPlacer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QStaticText>
#include <algorithm>
#include <cmath>

LabelPlacer::LabelPlacer(const QRectF& area, double cell) : m_area(area), m_cell(cell) {
    m_columns = std::max(1, static_cast<int>(std::ceil(area.width() / cell)));
    m_rows = std::max(1, static_cast<int>(std::ceil(area.height() / cell)));
    m_cells.resize(static_cast<size_t>(m_columns) * static_cast<size_t>(m_rows));
}

void LabelPlacer::cellRange(const QRectF& rect, int& x0, int& y0, int& x1, int& y1) const {
    auto clampTo = [](double v, int size) {
        return std::clamp(static_cast<int>(std::floor(v)), 0, size - 1);
    };
    x0 = clampTo((rect.left() - m_area.left()) / m_cell, m_columns);
    x1 = clampTo((rect.right() - m_area.left()) / m_cell, m_columns);
    y0 = clampTo((rect.top() - m_area.top()) / m_cell, m_rows);
    y1 = clampTo((rect.bottom() - m_area.top()) / m_cell, m_rows);
}

bool LabelPlacer::isFree(const QRectF& rect) const {
    if (!m_area.contains(rect))
        return false;
    int x0, y0, x1, y1;
    cellRange(rect, x0, y0, x1, y1);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            for (const QRectF& taken : m_cells[static_cast<size_t>(y * m_columns + x)]) {
                if (taken.intersects(rect))
                    return false;
            }
        }
    }
    return true;
}

void LabelPlacer::take(const QRectF& rect) {
    int x0, y0, x1, y1;
    cellRange(rect, x0, y0, x1, y1);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x)
            m_cells[static_cast<size_t>(y * m_columns + x)].push_back(rect);
    }
}

int LabelPlacer::place(const std::vector<QRectF>& candidates) {
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (isFree(candidates[i])) {
            take(candidates[i]);
            return static_cast<int>(i);
        }
    }
    return -1;
}

void LabelPlacer::block(const QRectF& rect) {
    if (rect.intersects(m_area))
        take(rect);
}

std::vector<QRectF> LabelPlacer::around(const QPointF& anchor, const QSizeF& size) {
    const double w = size.width();
    const double h = size.height();
    const QRectF centred(anchor.x() - w / 2, anchor.y() - h / 2, w, h);
    std::vector<QRectF> places{centred};
    const double dx = w / 2 + h / 2;
    for (const QPointF& shift :
         {QPointF(0, -h), QPointF(0, h), QPointF(dx, 0), QPointF(-dx, 0), QPointF(dx, -h),
          QPointF(-dx, -h), QPointF(dx, h), QPointF(-dx, h)})
        places.push_back(centred.translated(shift));
    return places;
}

void DrawLabel(QPainter& painter, const QRectF& rect, const QStringList& lines, const QFont& font,
               const QColor& color) {
    const QFontMetricsF metrics(font);
    const double size = font.pixelSize() > 0 ? font.pixelSize() : metrics.height();
    // The halo: the text drawn in white around its place (glyphs come from the cache, which
    // outlining each label's glyphs would not).
    const double r = std::max(1.0, size * 0.12);
    static const double ring[][2] = {{1, 0},  {0.7, 0.7},   {0, 1},  {-0.7, 0.7},
                                     {-1, 0}, {-0.7, -0.7}, {0, -1}, {0.7, -0.7}};
    painter.save();
    painter.setFont(font);
    double top = rect.top();
    for (const QString& line : lines) {
        // Laid out once and drawn nine times: shaping the text is most of a label's cost.
        QStaticText text(line);
        text.setTextFormat(Qt::PlainText);
        text.prepare(painter.transform(), font);
        const QPointF at(rect.center().x() - text.size().width() / 2, top);
        painter.setPen(Qt::white);
        for (const auto& d : ring)
            painter.drawStaticText(at + QPointF(d[0] * r, d[1] * r), text);
        painter.setPen(color);
        painter.drawStaticText(at, text);
        top += metrics.lineSpacing();
    }
    painter.restore();
}

QSizeF LabelSize(const QStringList& lines, const QFont& font) {
    const QFontMetricsF metrics(font);
    double width = 0;
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    return QSizeF(width + 2, metrics.lineSpacing() * static_cast<double>(lines.size()));
}
