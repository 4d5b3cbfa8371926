#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>

/** Tool codes of the map control. */
enum MapTool : int {
    ToolPan = 1001,
    ToolZoomIn = 1003,
    ToolZoomOut = 1004,
    ToolSelect = 1007,
    /** The first code of tools added by the map's users: the control leaves clicks to them. */
    ToolCustom = 1100,
};

/** Area unit codes the map understands. */
enum AreaUnit : int {
    AreaSquareKilometre = 16,
    AreaSquareMetre = 21,
    AreaHectare = 30,
};

/** Square metres in one unit of the code; 0 for an unknown code. */
double SquareMetresPerUnit(int areaUnit);

/** Kinds of map objects. */
enum class FeatureKind { Region, Line, Point, Text, Other };

/** An axis-aligned rectangle in map coordinates (y grows upwards). */
struct MapRect {
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;

    double width() const { return xMax - xMin; }
    double height() const { return yMax - yMin; }
    QPointF centre() const { return {(xMin + xMax) / 2, (yMin + yMax) / 2}; }
    /** Whether the rectangle holds no point at all (made by the default constructor). */
    bool isNull() const { return xMin > xMax || yMin > yMax; }
    /** The smallest rectangle holding both; a null side is ignored. */
    MapRect united(const MapRect& other) const;
    bool intersects(const MapRect& other) const;
    bool contains(const QPointF& p) const;
    static MapRect null() { return {1, 1, 0, 0}; }
    bool operator==(const MapRect&) const = default;
};

/** A colour as the map stores it: red in the lowest byte, then green, then blue. */
int ColorValue(const QColor& color);
QColor ColorFromValue(int value);

/** How a region is filled and outlined (MapInfo brush and pen numbers). */
struct RegionStyle {
    int regionColor = 0xFFFFFF;     ///< fill colour value
    int regionPattern = 2;          ///< 1 none, 2 solid, higher numbers hatches
    int regionBorderColor = 0;      ///< outline colour value
    int regionBorderStyle = 2;      ///< 1 no outline, 2 solid
    int regionBorderWidth = 1;      ///< outline width in pixels
    bool regionTransparent = false; ///< hatches drawn without background
    bool operator==(const RegionStyle&) const = default;
};

/** Font and colour of a text object. */
struct TextStyle {
    QString family = QStringLiteral("Arial");
    double pointSize = 10;
    bool bold = false;
    bool italic = false;
    int color = 0; ///< colour value, red in the lowest byte
    bool operator==(const TextStyle&) const = default;
};
