#pragma once

#include "map/Feature.h"

#include <QColor>
#include <QImage>
#include <QSizeF>
#include <QString>
#include <functional>
#include <vector>

/** How a region (or line) of a printed map is drawn. */
struct PrintSymbol {
    QColor fill = Qt::transparent;
    Qt::BrushStyle pattern = Qt::SolidPattern;
    QColor outline = Qt::black;
    /** Outline width on paper; 0 draws none. */
    double outlineMm = 0.15;
    Qt::PenStyle outlineStyle = Qt::SolidLine;
};

/** A layer of a printed map: its objects, how each is drawn and what its label says. */
struct PrintLayer {
    /** The objects, not owned; they outlive the rendering. */
    const FeatureList* features = nullptr;
    std::function<PrintSymbol(const Feature&)> symbol;
    /** An object's label ("" for none); "\n" starts a second line. May be unset. */
    std::function<QString(const Feature&)> label;
    double labelPt = 7;
    bool labelBold = false;
    QColor labelColor = Qt::black;
    /** Labels of a higher priority are placed first and win where labels would meet. */
    int labelPriority = 0;
};

/** A line of the legend: a sample of the symbol and what it means. */
struct LegendItem {
    PrintSymbol symbol;
    QString text;
};

/** A map printed as a page: its title, layers (the first drawn first) and legend. */
struct PrintMapPage {
    QString title;
    QString subtitle;
    std::vector<PrintLayer> layers;
    std::vector<LegendItem> legend;
    /** The picture's size on paper and its resolution. */
    QSizeF paperMm{165, 240};
    int dpi = 200;
    /** The part of the map to show; null shows every object of the layers. */
    MapRect extent = MapRect::null();
};

/** What a printed map came to: its picture and the scale it was drawn at. */
struct PrintedMap {
    QImage image;
    /** The scale's denominator (5000 for 1:5 000); 0 when there was nothing to draw. */
    int scale = 0;
    int labelsPlaced = 0;
    int labelsLeftOut = 0;
};

/**
 * Draws the page: the title on top, the map in a frame at the smallest round scale at which
 * all objects fit, with a north arrow and a scale bar, and the legend below. Labels that
 * would cover a label of the same or a higher priority are moved beside their object or
 * left out. Needs a QGuiApplication (for fonts).
 */
PrintedMap RenderPrintMap(const PrintMapPage& page);

/** The smallest round scale (1, 2, 2.5 or 5 times a power of ten, at least 500) >= `exact`. */
int RoundScale(double exact);

/** "1:5 000": a scale as printed on maps, thousands apart. */
QString ScaleText(int scale);
