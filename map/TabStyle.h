#pragma once

#include "map/MapTypes.h"

#include <QString>

/** The OGR style text of a region style, and back (false when the text has no brush/pen). */
QString RegionStyleText(const RegionStyle& style);
bool ParseRegionStyle(const QString& text, RegionStyle& style);
/** The OGR label style of a text object, and back. */
QString TextStyleText(const QString& text, const TextStyle& style, double height);
bool ParseTextStyle(const QString& styleText, QString& text, TextStyle& style, double& height);
