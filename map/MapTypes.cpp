#include "map/MapTypes.h"

#include <algorithm>

double SquareMetresPerUnit(int areaUnit) {
    switch (areaUnit) {
    case AreaSquareMetre:
        return 1.0;
    case AreaHectare:
        return 10000.0;
    case AreaSquareKilometre:
        return 1000000.0;
    default:
        return 0.0;
    }
}

MapRect MapRect::united(const MapRect& other) const {
    if (other.isNull())
        return *this;
    if (isNull())
        return other;
    return {std::min(xMin, other.xMin), std::min(yMin, other.yMin), std::max(xMax, other.xMax),
            std::max(yMax, other.yMax)};
}

bool MapRect::intersects(const MapRect& other) const {
    if (isNull() || other.isNull())
        return false;
    return xMin <= other.xMax && other.xMin <= xMax && yMin <= other.yMax && other.yMin <= yMax;
}

bool MapRect::contains(const QPointF& p) const {
    return !isNull() && p.x() >= xMin && p.x() <= xMax && p.y() >= yMin && p.y() <= yMax;
}

int ColorValue(const QColor& color) {
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

QColor ColorFromValue(int value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}
