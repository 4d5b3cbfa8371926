#include "map/PrintMap.h"

#include "map/LabelPlacer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

/** Pixels of a length on paper. */
class Paper {
public:
    explicit Paper(int dpi) : m_dpi(dpi) {}
    double px(double mm) const { return mm * m_dpi / 25.4; }
    double mm(double px) const { return px * 25.4 / m_dpi; }
    QFont font(double pt, bool bold = false) const {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setStyleHint(QFont::SansSerif);
        f.setPixelSize(std::max(1, static_cast<int>(std::lround(pt * m_dpi / 72.0))));
        f.setBold(bold);
        f.setHintingPreference(QFont::PreferNoHinting);
        return f;
    }

private:
    int m_dpi;
};

QPen OutlinePen(const PrintSymbol& s, const Paper& paper) {
    if (s.outlineMm <= 0 || s.outline.alpha() == 0)
        return Qt::NoPen;
    // Mitred corners: round ones cost a curve at every vertex of thousands of outlines.
    QPen pen(s.outline, std::max(1.0, paper.px(s.outlineMm)), s.outlineStyle, Qt::FlatCap,
             Qt::MiterJoin);
    pen.setCosmetic(true);
    return pen;
}

QBrush FillBrush(const PrintSymbol& s) {
    if (s.fill.alpha() == 0 || s.pattern == Qt::NoBrush)
        return Qt::NoBrush;
    return QBrush(s.fill, s.pattern);
}

/** A label waiting for its place. */
struct PendingLabel {
    int priority = 0;
    size_t layer = 0;
    QPointF anchor;
    QStringList lines;
    QSizeF size;
};

/** A round length for the scale bar, near a quarter of the map's width. */
double BarLength(double groundWidth) {
    const double target = groundWidth / 4;
    const double power = std::pow(10.0, std::floor(std::log10(target)));
    for (double step : {5.0, 2.0, 1.0}) {
        if (step * power <= target)
            return step * power;
    }
    return power;
}

QString LengthText(double metres) {
    if (metres >= 1000)
        return QString::number(metres / 1000, 'g', 4) + QStringLiteral(" км");
    return QString::number(metres, 'g', 6) + QStringLiteral(" м");
}

/** Draws the scale text and bar in the lower left corner; returns the box it took. */
QRectF DrawScaleBar(QPainter& painter, const Paper& paper, const QRectF& inner, int scale,
                    double pxPerMetre) {
    const QFont font = paper.font(7);
    const QFontMetricsF metrics(font);
    const double groundWidth = inner.width() / pxPerMetre;
    const double length = BarLength(groundWidth);
    const double barPx = length * pxPerMetre;
    const double pad = paper.px(1.5);
    const double barHeight = paper.px(1.5);
    const QString scaleLine = QStringLiteral("Масштаб ") + ScaleText(scale);
    const QString end = LengthText(length);
    const double width =
        std::max(metrics.horizontalAdvance(scaleLine), barPx + metrics.horizontalAdvance(end)) +
        2 * pad;
    const double height = pad * 3 + metrics.height() * 2 + barHeight;
    const QRectF box(inner.left(), inner.bottom() - height, width, height);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QColor(255, 255, 255, 230));
    painter.drawRect(box);
    painter.setFont(font);
    painter.drawText(QPointF(box.left() + pad, box.top() + pad + metrics.ascent()), scaleLine);
    const double barTop = box.top() + pad * 2 + metrics.height();
    for (int i = 0; i < 4; ++i) {
        const QRectF segment(box.left() + pad + barPx * i / 4, barTop, barPx / 4, barHeight);
        painter.setBrush(i % 2 == 0 ? Qt::black : Qt::white);
        painter.drawRect(segment);
    }
    const double textBase = barTop + barHeight + metrics.ascent() + pad / 2;
    painter.drawText(
        QPointF(box.left() + pad - metrics.horizontalAdvance(QStringLiteral("0")) / 2, textBase),
        QStringLiteral("0"));
    painter.drawText(QPointF(box.left() + pad + barPx + pad / 2, barTop + barHeight), end);
    return box;
}

/** Draws the north arrow in the upper right corner; returns the box it took. */
QRectF DrawNorthArrow(QPainter& painter, const Paper& paper, const QRectF& inner) {
    const double w = paper.px(6);
    const double h = paper.px(11);
    const QFont font = paper.font(8, true);
    const QFontMetricsF metrics(font);
    const QRectF box(inner.right() - w - paper.px(1), inner.top(), w + paper.px(1),
                     h + metrics.height() + paper.px(1));
    const double cx = box.center().x();
    const double top = box.top() + metrics.height();
    QPolygonF left{{cx, top}, {cx - w / 2, top + h}, {cx, top + h * 0.72}};
    QPolygonF right{{cx, top}, {cx + w / 2, top + h}, {cx, top + h * 0.72}};
    painter.setPen(QPen(Qt::black, std::max(1.0, paper.px(0.2))));
    painter.setBrush(Qt::black);
    painter.drawPolygon(left);
    painter.setBrush(Qt::white);
    painter.drawPolygon(right);
    painter.setFont(font);
    const QString north = QStringLiteral("Пн");
    painter.drawText(
        QPointF(cx - metrics.horizontalAdvance(north) / 2, box.top() + metrics.ascent()), north);
    return box;
}

/** The legend laid out in columns under its heading; its height, or draws it at `top`. */
double Legend(QPainter* painter, const Paper& paper, const std::vector<LegendItem>& items,
              double width, double top) {
    if (items.empty())
        return 0;
    const QFont heading = paper.font(9, true);
    const QFont font = paper.font(8);
    const QFontMetricsF headingMetrics(heading);
    const double gap = paper.px(1.5);
    const double swatchW = paper.px(9);
    const double swatchH = paper.px(4.5);
    const int columns = items.size() > 8 ? 3 : 2;
    const double columnW = width / columns;
    const double textW = columnW - swatchW - 3 * gap;
    const QFontMetricsF metrics(font);
    double y = top + headingMetrics.height() + gap;
    if (painter) {
        painter->setFont(heading);
        painter->setPen(Qt::black);
        painter->drawText(QPointF(0, top + headingMetrics.ascent()),
                          QStringLiteral("Умовні позначення"));
    }
    for (size_t row = 0; row * columns < items.size(); ++row) {
        double rowHeight = swatchH;
        for (int c = 0; c < columns; ++c) {
            const size_t i = row * columns + static_cast<size_t>(c);
            if (i >= items.size())
                break;
            const QRectF textRect =
                metrics.boundingRect(QRectF(0, 0, textW, 10000), Qt::TextWordWrap, items[i].text);
            rowHeight = std::max(rowHeight, textRect.height());
            if (!painter)
                continue;
            const double x = c * columnW;
            const QRectF swatch(x + gap, y, swatchW, swatchH);
            const PrintSymbol& s = items[i].symbol;
            painter->setBrush(Qt::white);
            painter->setPen(Qt::NoPen);
            painter->drawRect(swatch);
            painter->setBrush(FillBrush(s));
            QPen pen = OutlinePen(s, paper);
            if (pen.style() == Qt::NoPen)
                pen = QPen(QColor(160, 160, 160), 1);
            pen.setCosmetic(true);
            painter->setPen(pen);
            painter->drawRect(swatch);
            painter->setFont(font);
            painter->setPen(Qt::black);
            painter->drawText(QRectF(x + swatchW + 2 * gap, y, textW, 10000), Qt::TextWordWrap,
                              items[i].text);
        }
        y += rowHeight + gap;
    }
    return y - top;
}

} // namespace

int RoundScale(double exact) {
    if (!(exact > 500))
        return 500;
    const double power = std::pow(10.0, std::floor(std::log10(exact)));
    for (double step : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (step * power >= exact * (1 - 1e-9))
            return static_cast<int>(std::lround(step * power));
    }
    return static_cast<int>(std::lround(10 * power));
}

QString ScaleText(int scale) {
    QString digits = QString::number(scale);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, u' ');
    return QStringLiteral("1:") + digits;
}

PrintedMap RenderPrintMap(const PrintMapPage& page) {
    const Paper paper(page.dpi);
    PrintedMap out;
    const int width = static_cast<int>(std::lround(paper.px(page.paperMm.width())));
    const int height = static_cast<int>(std::lround(paper.px(page.paperMm.height())));
    out.image = QImage(width, height, QImage::Format_RGB32);
    out.image.setDotsPerMeterX(static_cast<int>(std::lround(page.dpi / 0.0254)));
    out.image.setDotsPerMeterY(static_cast<int>(std::lround(page.dpi / 0.0254)));
    out.image.fill(Qt::white);
    QPainter painter(&out.image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    // Title and subtitle.
    const double gap = paper.px(3);
    const QFont titleFont = paper.font(12, true);
    const QFont subtitleFont = paper.font(9);
    painter.setPen(Qt::black);
    painter.setFont(titleFont);
    QRectF titleRect;
    painter.drawText(QRectF(0, 0, width, height), Qt::AlignHCenter | Qt::TextWordWrap, page.title,
                     &titleRect);
    double top = page.title.isEmpty() ? 0 : titleRect.bottom();
    if (!page.subtitle.isEmpty()) {
        QRectF subtitleRect;
        painter.setFont(subtitleFont);
        painter.drawText(QRectF(0, top + paper.px(1), width, height),
                         Qt::AlignHCenter | Qt::TextWordWrap, page.subtitle, &subtitleRect);
        top = subtitleRect.bottom();
    }

    // The legend at the bottom, the frame between.
    const double legendHeight = Legend(nullptr, paper, page.legend, width, 0);
    const QRectF frame(paper.px(0.5), top + gap, width - paper.px(1),
                       height - legendHeight - top - 2 * gap - paper.px(0.5));
    Legend(&painter, paper, page.legend, width, frame.bottom() + gap);
    const QRectF inner = frame.adjusted(paper.px(3), paper.px(3), -paper.px(3), -paper.px(3));

    MapRect extent = page.extent;
    for (const PrintLayer& layer : page.layers) {
        if (layer.features && page.extent.isNull())
            extent = extent.united(FeaturesBounds(*layer.features));
    }
    if (!extent.isNull() && inner.width() > 0 && inner.height() > 0) {
        const double metresPerMm = std::max(extent.width() / paper.mm(inner.width()),
                                            extent.height() / paper.mm(inner.height()));
        out.scale = RoundScale(metresPerMm * 1000);
        const double k = paper.px(1000.0 / out.scale); // pixels per metre
        const QPointF c = extent.centre();
        const QTransform world(k, 0, 0, -k, inner.center().x() - c.x() * k,
                               inner.center().y() + c.y() * k);
        painter.save();
        painter.setClipRect(frame);
        painter.setTransform(world);
        for (const PrintLayer& layer : page.layers) {
            if (!layer.features)
                continue;
            for (const Feature& f : *layer.features) {
                if (!f.geometry() || f.geometry()->isEmpty())
                    continue;
                if (f.kind() == FeatureKind::Point || f.kind() == FeatureKind::Text)
                    continue; // points and map texts carry nothing a printed scheme needs
                const PrintSymbol s = layer.symbol ? layer.symbol(f) : PrintSymbol{};
                // A path of its own for the drawing: Qt keeps a converted copy with each path
                // it draws, which on the layer's paths would stay for as long as the layer.
                QPainterPath path;
                path.setFillRule(f.geometry()->path().fillRule());
                path.addPath(f.geometry()->path());
                const QBrush brush =
                    f.kind() == FeatureKind::Region ? FillBrush(s) : QBrush(Qt::NoBrush);
                const QPen pen = OutlinePen(s, paper);
                // The fill without smoothing (several times faster), the solid outline
                // smoothed over its edge; a region without one keeps a smoothed fill.
                if (brush.style() != Qt::NoBrush && pen.style() == Qt::SolidLine) {
                    painter.setRenderHint(QPainter::Antialiasing, false);
                    painter.setPen(Qt::NoPen);
                    painter.setBrush(brush);
                    painter.drawPath(path);
                    painter.setRenderHint(QPainter::Antialiasing, true);
                    painter.setBrush(Qt::NoBrush);
                } else {
                    painter.setBrush(brush);
                }
                painter.setPen(pen);
                painter.drawPath(path);
            }
        }
        painter.restore();

        // Labels, highest priority first; where they would meet they move or stay out.
        std::vector<PendingLabel> labels;
        std::vector<QFont> fonts;
        for (size_t l = 0; l < page.layers.size(); ++l) {
            const PrintLayer& layer = page.layers[l];
            fonts.push_back(paper.font(layer.labelPt, layer.labelBold));
            if (!layer.features || !layer.label)
                continue;
            for (const Feature& f : *layer.features) {
                if (!f.geometry() || f.geometry()->isEmpty())
                    continue;
                const QString text = layer.label(f);
                if (text.isEmpty())
                    continue;
                PendingLabel label;
                label.priority = layer.labelPriority;
                label.layer = l;
                label.anchor = world.map(f.labelPoint());
                label.lines = text.split(u'\n');
                label.size = LabelSize(label.lines, fonts.back());
                labels.push_back(std::move(label));
            }
        }
        std::stable_sort(
            labels.begin(), labels.end(),
            [](const PendingLabel& a, const PendingLabel& b) { return a.priority > b.priority; });
        LabelPlacer placer(inner, paper.px(6));
        placer.block(DrawScaleBar(painter, paper, inner, out.scale, k));
        placer.block(DrawNorthArrow(painter, paper, inner));
        for (const PendingLabel& label : labels) {
            const std::vector<QRectF> places = LabelPlacer::around(label.anchor, label.size);
            const int at = placer.place(places);
            if (at < 0) {
                ++out.labelsLeftOut;
                continue;
            }
            ++out.labelsPlaced;
            const PrintLayer& layer = page.layers[label.layer];
            DrawLabel(painter, places[static_cast<size_t>(at)], label.lines, fonts[label.layer],
                      layer.labelColor);
        }
    } else {
        painter.setFont(paper.font(10));
        painter.drawText(frame, Qt::AlignCenter, QStringLiteral("На шарах немає об'єктів."));
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, std::max(1.0, paper.px(0.35))));
    painter.drawRect(frame);
    return out;
}
