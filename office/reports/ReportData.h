#pragma once

#include "common/LandUse.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

class Connection;
class Query;

namespace reports {

/**
 * The value of a named indicator of "характеристика" (its first row), or "" when there is
 * none. Unlike GetIndicator it never creates a row: the reports only read.
 */
QString ReadIndicator(Query& query, const QString& name);

/** The district numbers of the "Площі районів" rows in the order of their integer value. */
QStringList ReadDistrictCodes(Query& query);

/** A local factor of the catalogue; factor number n of a settlement is the n-th entry. */
struct LocalFactorName {
    QString full;
    QString brief;
};

/** "SELECT * FROM локальні ORDER BY id" of the catalogue; empty without a catalogue. */
std::vector<LocalFactorName> ReadLocalFactorNames(Connection* catalogue);

/** Km2 and the value of 1 sq m of a zone, as stored. */
struct ZoneValue {
    QString km2;
    QString value;
};

/** Each zone's Km2 and value: the first row of the zone in "км2" (by id); by zone number. */
QHash<QString, ZoneValue> ReadZoneValues(Query& query);

/** The district numbers of a zone's "райони" text ("1, 2, 10"); blanks around them dropped. */
QStringList SplitDistrictList(const QString& text);

/** The order of zone numbers and codes: numbers by their value, then other texts. */
bool NumberedBefore(const QString& a, const QString& b);

/** A number as the reports write it: two decimals. */
QString Fixed2(double value);

/** Caption of the zone rows of both workbooks, after the zone number. */
QString ZoneCaptionSuffix();

} // namespace reports
