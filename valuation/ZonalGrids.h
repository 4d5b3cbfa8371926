#pragma once

#include "common/StringGrid.h"
#include "valuation/Districts.h"

#include <QString>
#include <QStringList>
#include <vector>

/** The two ways of the zonal structuring: weighted average, or by Si, Ei, Ui, Ci. */
enum class ZonalVariant { Weighted, Grouped };

/**
 * Where a result grid keeps what both ways share: columns 0 and 1 are always the district
 * number and its area in hectares.
 */
/**
 * The way a stored "км2" table was made: the grouped way stores Si, Ei, Ui and Ci, the weighted
 * one leaves them empty. `anyGroupedIndex` is whether some row holds one of them.
 */
inline ZonalVariant StoredZonalVariant(bool anyGroupedIndex) {
    return anyGroupedIndex ? ZonalVariant::Grouped : ZonalVariant::Weighted;
}

struct ResultColumns {
    int ii = 0;    ///< "Іі"
    int km2 = 0;   ///< "Км2"
    int value = 0; ///< "Вартість 1 м2, грн"
    int zone = 0;  ///< "№ зони", the only column the user types into
    int count = 0; ///< columns of the grid
};

/** The columns of the result grid of a variant. */
ResultColumns ResultColumnsOf(ZonalVariant variant);

/** Column captions of the result grid, in column order. */
QStringList ResultCaptions(ZonalVariant variant);

/** A heading over a span of result columns (the four groups of Si, Ei, Ui, Ci). */
struct ResultGroupHeading {
    int firstCol = 0;
    int lastCol = 0;
    QString text;
};
/** The four group headings of the grouped result grid; none for the weighted one. */
std::vector<ResultGroupHeading> ResultGroupHeadings(ZonalVariant variant);

/** Questionnaire columns: row number, factor name, then one column per district. */
constexpr int AnketaNumberCol = 0;
constexpr int AnketaFactorCol = 1;
constexpr int AnketaFirstDistrictCol = 2;

/** Zone grid columns. */
constexpr int ZoneNumberCol = 0;
constexpr int ZoneDistrictsCol = 1;
constexpr int ZoneDescriptionCol = 2;

/**
 * The questionnaire: heading row "п/п", "Фактор / № оцін.р-ну" and the district numbers,
 * two fixed columns, `rows` data rows (at least one).
 */
StringGrid MakeAnketaGrid(const std::vector<District>& districts, int rows);

/** The result grid of a variant: one row per district with its number and area. */
StringGrid MakeResultGrid(ZonalVariant variant, const std::vector<District>& districts);

/** The zone grid: "№ зони", "Райони", "Опис зони"; `rows` data rows (at least one). */
StringGrid MakeZoneGrid(int rows);

/** The data rows of the questionnaire that hold a factor (a row number). */
int AnketaFactorRows(const StringGrid& anketa);

class Connection;

/**
 * Reads "анкета" (id order) into a questionnaire grid of the districts: one row per factor
 * in order of its first record, numbered 1, 2, ..., each score in its district's column
 * (scores of districts without a column and records without a factor are dropped).
 * `factors` gets the factor names in row order. False with `error` naming the table and the
 * reason.
 */
bool ReadAnketaGrid(Connection& project, const std::vector<District>& districts, StringGrid& anketa,
                    QStringList* factors = nullptr, QString* error = nullptr);
