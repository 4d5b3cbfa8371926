#pragma once

#include "common/StringGrid.h"
#include "valuation/ZonalGrids.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

/**
 * The value of an expert's score: an integer as typed; any other text counts with the value
 * of its leading digits ("4.5" is 4, "5 балів" is 5), and 0 when it starts with none.
 */
long long ScoreValue(const QString& text);

/** The text of "Не уведено жодних пофакторних оцінок." */
QString NoScoresText();

/**
 * The weighted variant's indices ("Поновити розрахунки"): for every district column of the
 * questionnaire (the k-th district is result row k) the sum and mean of its scores; the
 * settlement's weighted average score A (district means weighted by their sums); Іі = mean
 * / A. Clears "Сума балів" to "Вартість 1 м2, грн" first. Returns the warning to show when
 * no score was typed (then nothing beyond sums and means is written), else "".
 */
QString ComputeScores(const StringGrid& anketa, StringGrid& result);

/** Number of the four groups of factors (Si, Ei, Ui, Ci). */
constexpr int FactorGroupCount = 4;

/** The fixed base names of a group (1 to 4). */
const QStringList& GroupBaseNames(int group);
/** Whether a factor counts in a group: its name contains one of the group's base names. */
bool FactorInGroup(const QString& factor, int group);

/** What one group's index left in its minimum and maximum fields, and its weighted mean. */
struct GroupIndex {
    double weightedMean = 0;
    QString minimum; ///< "" when no district has the index
    QString maximum;
    /** The index of each district (k-th data row) as shown; NoIndex() where it has none. */
    std::vector<double> indices;
};

/** The value that stands for "no index" (a quiet NaN). */
double NoIndex();

/**
 * Group g's partial index over the grouped result grid (columns 5g-3 to 5g): each district's
 * mean score of the group's rows and mean x area, the group's area-weighted mean M, and the
 * index = mean / M. A district without scores in the group, or of area 0, has none.
 */
GroupIndex ComputeGroupIndex(const StringGrid& anketa, StringGrid& result, int group);

/** What the grouped variant's computation shows beside its grid. */
struct IntegralIndex {
    std::array<GroupIndex, FactorGroupCount> groups;
    /** "Контрольне = 1.0000": the sum of the four weights; "" when nothing was computed. */
    QString control;
    /** The warning to show; "" when the indices were computed. */
    QString warning;
};

/**
 * The grouped variant's indices ("Поновити розрахунки"): clears columns 2 to 24, computes
 * the four groups, weighs each by its share of the sum of the group means, and gives every
 * district with scores Іі = sum of its groups' index x weight.
 */
IntegralIndex ComputeIntegralIndex(const StringGrid& anketa, StringGrid& result);

/** What a computation of the indices of either variant gave. */
struct IndexOutcome {
    QString warning;
    /** Grouped variant only. */
    IntegralIndex integral;
};

/** The variant's own computation of the indices. */
IndexOutcome ComputeIndices(ZonalVariant variant, const StringGrid& anketa, StringGrid& result);
