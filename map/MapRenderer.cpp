#include "map/MapRenderer.h"

#include "map/LabelPlacer.h"
#include "map/MapDocument.h"

#include <QFont>
#include <QPainter>

namespace {

Qt::BrushStyle brushStyle(int pattern) {
    switch (pattern) {
    case 1:
        return Qt::NoBrush;
    case 2:
        return Qt::SolidPattern;
    case 3:
        return Qt::HorPattern;
    case 4:
        return Qt::VerPattern;
    case 5:
        return Qt::BDiagPattern;
    case 6:
        return Qt::FDiagPattern;
    case 7:
        return Qt::CrossPattern;
    case 8:
        return Qt::DiagCrossPattern;
    default:
        return pattern > 8 ? Qt::Dense5Pattern : Qt::SolidPattern;
    }
}

QPen regionPen(const RegionStyle& s) {
    if (s.regionBorderStyle == 1)
        return Qt::NoPen;
    QPen pen(ColorFromValue(s.regionBorderColor));
    pen.setCosmetic(true);
    pen.setWidthF(std::max(1, s.regionBorderWidth));
    return pen;
}

void drawText(QPainter& painter, const MapDocument& map, const Feature& f, bool selected) {
    const double pixels = f.textHeight() / map.unitsPerPixel();
    if (pixels < 2 || f.text().isEmpty())
        return;
    const QPointF at = map.toScreen(f.centre());
    const TextStyle& s = f.textStyle();
    QFont font(s.family);
    font.setPixelSize(std::max(2, static_cast<int>(pixels + 0.5)));
    font.setBold(s.bold);
    font.setItalic(s.italic);
    painter.save();
    painter.resetTransform();
    painter.setFont(font);
    painter.setPen(selected ? QColor(Qt::cyan).darker() : ColorFromValue(s.color));
    painter.drawText(at, f.text());
    painter.restore();
}

/** The labels of the visible layers in view, rule by rule; a label never covers another. */
void drawLabels(const MapDocument& map, QPainter& painter, const MapLabels& labels) {
    const QSize size = map.viewportSize();
    LabelPlacer placer(QRectF(0, 0, size.width(), size.height()), 48);
    for (const LayerLabels& rule : labels) {
        if (!rule.text)
            continue;
        for (int i = 0; i < map.layerCount(); ++i) {
            const Layer* layer = map.layerAt(i);
            if (!layer->visible() || layer->name().compare(rule.layer, Qt::CaseInsensitive) != 0)
                continue;
            for (const int index : layer->objectsIn(map.bounds())) {
                const Feature& f = layer->features()[static_cast<size_t>(index)];
                const QString text = rule.text(f);
                if (text.isEmpty())
                    continue;
                const QStringList lines{text};
                const std::vector<QRectF> places =
                    LabelPlacer::around(map.toScreen(f.labelPoint()), LabelSize(lines, rule.font));
                const int at = placer.place(places);
                if (at >= 0)
                    DrawLabel(painter, places[static_cast<size_t>(at)], lines, rule.font,
                              rule.colour);
            }
        }
    }
}

} // namespace

void RenderMap(const MapDocument& map, QPainter& painter, const MapLabels& labels) {
    const QSize size = map.viewportSize();
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    const MapRect view = map.bounds();
    const double k = 1.0 / map.unitsPerPixel();
    // World to screen: y grows upwards on the map and downwards on the screen.
    const QTransform world(k, 0, 0, -k, -view.xMin * k, view.yMax * k);
    const double pixel = map.unitsPerPixel();
    QPen selectPen(QColor(0, 160, 255));
    selectPen.setCosmetic(true);
    selectPen.setWidth(3);
    const QBrush selectBrush(QColor(0, 160, 255, 110));
    QPen linePen(Qt::black);
    linePen.setCosmetic(true);

    for (int i = map.layerCount() - 1; i >= 0; --i) {
        const Layer* layer = map.layerAt(i);
        if (!layer->visible())
            continue;
        const bool anySelected = layer->selectionCount() > 0;
        painter.setTransform(world);
        for (const int index : layer->objectsIn(view)) {
            const Feature& f = layer->features()[static_cast<size_t>(index)];
            const MapRect b = f.bounds();
            const bool selected = anySelected && layer->isSelected(f.fid());
            switch (f.kind()) {
            case FeatureKind::Region: {
                const RegionStyle s = f.hasRegionStyle() ? f.regionStyle() : RegionStyle{};
                painter.setPen(selected ? selectPen : regionPen(s));
                if (b.width() < pixel && b.height() < pixel) {
                    // Smaller than a pixel: a dot is enough.
                    painter.drawPoint(b.centre());
                    break;
                }
                QBrush brush(ColorFromValue(s.regionColor), brushStyle(s.regionPattern));
                painter.setBrush(brush);
                painter.drawPath(f.geometry()->path());
                if (selected) {
                    painter.setBrush(selectBrush);
                    painter.drawPath(f.geometry()->path());
                }
                break;
            }
            case FeatureKind::Line:
                painter.setPen(selected ? selectPen : linePen);
                painter.setBrush(Qt::NoBrush);
                painter.drawPath(f.geometry()->path());
                break;
            case FeatureKind::Text:
                drawText(painter, map, f, selected);
                painter.setTransform(world);
                break;
            case FeatureKind::Point: {
                painter.save();
                painter.resetTransform();
                painter.setPen(selected ? selectPen : QPen(Qt::black));
                painter.setBrush(selected ? QColor(0, 160, 255) : QColor(Qt::red));
                painter.drawEllipse(map.toScreen(f.centre()), 3, 3);
                painter.restore();
                break;
            }
            case FeatureKind::Other:
                painter.setPen(linePen);
                painter.setBrush(Qt::NoBrush);
                painter.drawPath(f.geometry() ? f.geometry()->path() : QPainterPath());
                break;
            }
        }
    }
    painter.resetTransform();
    if (!labels.empty())
        drawLabels(map, painter, labels);
}
