#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class Connection;

/** One valuation district: a "Площі районів" row of "характеристика". */
struct District {
    /** The district number as stored in `код` ("7"). */
    QString number;
    /** The area in hectares as typed (`значення`). */
    QString area;
    /** The area from the map and the boundary description (`значення2` split at "|"). */
    QString mapArea;
    QString description;
};

/** In which order the districts are read. */
enum class DistrictOrder {
    /** By the integer value of the number: "ORDER BY cint(код)". */
    ByNumber,
    /** As stored: "ORDER BY id". */
    AsStored,
};

/** The most districts a settlement may have (a typed count is 1 to 999). */
constexpr int MaxDistrictCount = 999;

/** "Кількість районів" as an integer from 1 to 999; 0 when missing, not a number or larger. */
int ReadDistrictCount(Connection& project);

/** The message for a stored count larger than 999; "" for any other count. */
QString DistrictCountProblem(Connection& project);

/**
 * The districts of the settlement: the "Площі районів" rows in the given order, at most as
 * many as "Кількість районів" says (with `limit` false all rows, at most 999). False with
 * `error` naming the table and the reason when the rows cannot be read.
 */
bool ReadDistricts(Connection& project, DistrictOrder order, std::vector<District>& districts,
                   bool limit = true, QString* error = nullptr);

/** The numbers of the districts, in their order. */
std::vector<QString> DistrictNumbers(const std::vector<District>& districts);

/** The district numbers of a zone's "райони" text ("1, 2, 10"); blanks around them dropped. */
QStringList SplitDistrictList(const QString& text);
