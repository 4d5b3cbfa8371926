#pragma once

#include "common/StringGrid.h"
#include "steps/common/WorkingItems.h"

#include <QString>
#include <QStringList>
#include <array>

class Connection;

/** The kinds of agricultural land: 1 arable, 2 perennial plantings, 3 hayfields, 4 pastures. */
constexpr int SoilKindCount = 4;

/** The columns of a kind's soil grid. */
enum SoilColumn { ColSoilCode = 0, ColSoilScore = 1, ColSoilArea = 2, ColSoilValue = 3 };

/** The page caption of a kind (1 to 4): "Рілля", "Багаторічні насадження", ... */
QString SoilKindCaption(int kind);

/** An empty soil grid: the heading row ("Шифр", "Бал бонітету", ...) and one empty row. */
StringGrid MakeSoilGrid();

/** One kind of agricultural land as the window holds it. */
struct SoilKindData {
    /** The money value of 1 ha on the base enterprise's territory (`вартість` of "n*"). */
    QString baseValue;
    /** The base enterprise's average bonitet score (`бал_бонітету` of "n*"). */
    QString averageScore;
    /** Code, score, area and value of 1 ha of each soil group. */
    StringGrid grid = MakeSoilGrid();
    /**
     * The indexation coefficient line applied to the base value ("* 1.250   - 2015",
     * `індексація` of "n*"); empty when the base value is as typed.
     */
    QString indexation;
    /** The base value before that coefficient (`до_індексації` of "n*"); empty without one. */
    QString unindexedValue;
};

/**
 * Applies an indexation coefficient line to a kind's base value: the coefficient multiplies
 * the base value as it was before any coefficient, so a second choice replaces the first
 * instead of multiplying it; the line and that value are recorded with the kind.
 */
void ApplyIndexation(SoilKindData& kind, const QString& indexationLine);

/** The base value was typed: it is the one a coefficient applies to next. */
void ForgetIndexation(SoilKindData& kind);

/** What the step loads and stores: the working soil codes and the four kinds. */
struct AgriculturalData {
    /** The distinct stored codes, the checked items of the working list. */
    QStringList workingCodes;
    std::array<SoilKindData, SoilKindCount> kinds;
};

/**
 * Values 1 ha of each soil of a kind: column 3 is emptied; when the base value and the
 * average score are positive numbers, every row whose score and area are both filled and
 * whose score is positive gets score x base / average, "0.00".
 */
void ComputeSoilValues(StringGrid& grid, const QString& baseValue, const QString& averageScore);

/**
 * Rebuilds a kind's rows from the working soils (see ApplyWorkingItems, keyed by the code in
 * column 0). Every row of an unchecked code goes, also rows repeating a code.
 */
void ApplyWorkingSoils(StringGrid& grid, const std::vector<WorkingItem>& items);

/**
 * The base value multiplied by the coefficient of an indexation line ("* 1.250   - 2015"),
 * "0.00"; a base value that is not a number counts as 0.
 */
QString IndexedBaseValue(const QString& baseValue, const QString& indexationLine);

/**
 * The soil catalogue of the reference database as combo items "шифр - назва", in id order.
 * False with `error` naming the table that could not be read.
 */
bool LoadSoilCatalogue(Connection& catalogue, QStringList& items, QString* error = nullptr);

/**
 * Reads "угіддя": the distinct codes, each kind's soil rows in id order (one grid row per
 * stored row, values as stored) and its parameter row "n*". False with `error` naming the
 * table that could not be read.
 */
bool LoadAgricultural(Connection& project, AgriculturalData& data, QString* error);

/** The columns "угіддя" gained for the indexation of the base values. */
QStringList AgriculturalIndexationColumns();

/**
 * Replaces "угіддя" with the rows that carry a code and the four parameter rows "1*" to "4*"
 * (with the indexation applied to the base value; a table made before those columns gets
 * them), all or nothing. False with `error` saying what failed; the table keeps its former
 * content.
 */
bool StoreAgricultural(Connection& project, const AgriculturalData& data, QString* error);
