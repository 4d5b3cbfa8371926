// The map of a plot's extract: the plot over the zones, districts and local-factor regions.
#include "gis/PlaceLayers.h"
#include "gis/PlotExtract.h"
#include "gis/SettlementLayers.h"
#include "map/Layer.h"
#include "valuation/Names.h"
#include "valuation/Settlement.h"

#include <QFileInfo>
#include <QHash>

namespace {

/** Pale fills the zones are told apart by. */
QColor zoneColour(const QString& zone) {
    static const QColor colours[] = {QColor(0xFF, 0xF2, 0xCC), QColor(0xDD, 0xEB, 0xF7),
                                     QColor(0xE2, 0xF0, 0xD9), QColor(0xFC, 0xE4, 0xD6),
                                     QColor(0xED, 0xE2, 0xF6), QColor(0xD9, 0xF2, 0xF2)};
    bool ok = false;
    const int n = zone.toInt(&ok);
    const size_t count = sizeof(colours) / sizeof(colours[0]);
    return colours[(ok ? static_cast<size_t>(std::abs(n)) : qHash(zone)) % count];
}

/** Strong colours the factor layers' hatches are told apart by. */
QColor factorColour(int factor) {
    static const QColor colours[] = {QColor(0x1F, 0x77, 0xB4), QColor(0x2C, 0xA0, 0x2C),
                                     QColor(0x94, 0x67, 0xBD), QColor(0x8C, 0x56, 0x4B),
                                     QColor(0x17, 0xBE, 0xCF), QColor(0xBC, 0xBD, 0x22)};
    return colours[static_cast<size_t>(std::abs(factor)) % (sizeof(colours) / sizeof(colours[0]))];
}

QString fieldText(const Feature& f, const QString& field) {
    QString v;
    f.value(field, &v);
    return v.trimmed();
}

/** The objects of the layer whose envelope meets the rectangle (copies share the shapes). */
FeatureList objectsIn(const Layer& layer, const MapRect& rect) {
    FeatureList out;
    for (int i : layer.objectsIn(rect))
        out.push_back(layer.features()[static_cast<size_t>(i)]);
    return out;
}

/** The part of the map around the plot: its envelope with a margin, a square of 60 m at least. */
MapRect aroundPlot(const MapRect& plot) {
    const double side = std::max({plot.width(), plot.height(), 60.0});
    const double margin = side * 0.6;
    const QPointF c = plot.centre();
    const double half = side / 2 + margin;
    return {c.x() - half, c.y() - half * 0.7, c.x() + half, c.y() + half * 0.7};
}

} // namespace

std::shared_ptr<const Layer> ReadZoneLayer(const QString& folder) {
    const QString path = SettlementLayerPath(folder, names::layer::Zones());
    if (!QFileInfo::exists(path))
        return nullptr;
    return Layer::open(path, names::layer::Zones(), nullptr);
}

PrintedMap RenderExtractMap(const ExtractLayers& layers, const ExtractPlot& plot,
                            const valuation::Settlement* settlement) {
    PrintMapPage page;
    page.title = QStringLiteral("Земельна ділянка ") +
                 (plot.cadastral.isEmpty() ? QString() : plot.cadastral);
    page.subtitle = QStringLiteral("в економіко-планувальних зонах, оціночних районах і зонах дії "
                                   "локальних факторів");
    // Sharp enough on paper, small enough to draw a thousand maps in seconds.
    page.paperMm = QSizeF(165, 115);
    page.dpi = 130;
    FeatureList plotObjects;
    if (plot.shape) {
        Feature f;
        f.setGeometry(plot.shape);
        plotObjects.push_back(f);
        page.extent = aroundPlot(plot.shape->envelope());
    }
    const MapRect view = page.extent;

    // Each layer's objects near the plot, kept alive while the page is drawn.
    FeatureList zones;
    FeatureList districts;
    std::vector<std::pair<int, FeatureList>> factors;
    if (layers.zones && !view.isNull())
        zones = objectsIn(*layers.zones, view);
    if (layers.place && layers.place->districts() && !view.isNull())
        districts = objectsIn(*layers.place->districts(), view);
    if (layers.place && !view.isNull())
        for (const auto& [factor, layer] : layers.place->factorLayers()) {
            FeatureList near = objectsIn(*layer, view);
            if (!near.empty())
                factors.emplace_back(factor, std::move(near));
        }

    if (!zones.empty()) {
        PrintLayer z;
        z.features = &zones;
        z.symbol = [](const Feature& f) {
            PrintSymbol s;
            s.fill = zoneColour(fieldText(f, names::field::Zona()));
            s.outline = QColor(0x40, 0x40, 0x40);
            s.outlineMm = 0.4;
            return s;
        };
        z.label = [settlement](const Feature& f) {
            const QString zone = fieldText(f, names::field::Zona());
            const valuation::Zone* model = settlement ? settlement->zone(zone) : nullptr;
            QString text = QStringLiteral("Зона ") + zone;
            if (model && !model->value.isEmpty())
                text += QStringLiteral("\n") + model->value + QStringLiteral(" грн/м²");
            return text;
        };
        z.labelPt = 8;
        z.labelBold = true;
        z.labelPriority = 1;
        page.layers.push_back(z);
        PrintSymbol s;
        s.fill = zoneColour(QStringLiteral("1"));
        page.legend.push_back({s, QStringLiteral("Економіко-планувальні зони")});
    }
    for (const auto& [factor, objects] : factors) {
        PrintLayer l;
        l.features = &objects;
        const QColor colour = factorColour(factor);
        l.symbol = [colour](const Feature&) {
            PrintSymbol s;
            s.fill = colour;
            s.pattern = Qt::BDiagPattern;
            s.outline = colour;
            s.outlineMm = 0.3;
            return s;
        };
        l.label = [factor](const Feature& f) {
            return QStringLiteral("Ф%1: %2").arg(factor).arg(fieldText(f, names::field::Km3()));
        };
        l.labelPt = 6.5;
        l.labelColor = colour.darker(130);
        page.layers.push_back(l);
        PrintSymbol s;
        s.fill = colour;
        s.pattern = Qt::BDiagPattern;
        s.outline = colour;
        page.legend.push_back({s, QStringLiteral("Зона дії локального фактора %1").arg(factor)});
    }
    if (!districts.empty()) {
        PrintLayer d;
        d.features = &districts;
        d.symbol = [](const Feature&) {
            PrintSymbol s;
            s.outline = QColor(0x30, 0x30, 0x30);
            s.outlineMm = 0.25;
            s.outlineStyle = Qt::DashLine;
            return s;
        };
        d.label = [](const Feature& f) {
            return QStringLiteral("р-н ") + fieldText(f, names::field::Raion());
        };
        d.labelPt = 7;
        page.layers.push_back(d);
        PrintSymbol s;
        s.outlineStyle = Qt::DashLine;
        page.legend.push_back({s, QStringLiteral("Межі оціночних районів")});
    }
    if (!plotObjects.empty()) {
        PrintLayer p;
        p.features = &plotObjects;
        p.symbol = [](const Feature&) {
            PrintSymbol s;
            s.fill = QColor(0xE0, 0x20, 0x20, 0x40);
            s.outline = QColor(0xD0, 0x00, 0x00);
            s.outlineMm = 0.7;
            return s;
        };
        page.layers.push_back(p);
        PrintSymbol s;
        s.fill = QColor(0xE0, 0x20, 0x20, 0x40);
        s.outline = QColor(0xD0, 0x00, 0x00);
        s.outlineMm = 0.7;
        page.legend.push_back({s, QStringLiteral("Земельна ділянка")});
    }
    return RenderPrintMap(page);
}
