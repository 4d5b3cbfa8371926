#pragma once

#include <QString>
#include <optional>
#include <vector>

/**
 * The rules by which a step works out its results from its inputs, shared by the step (when it
 * loads or stores) and by the check of the whole chain, so that both recompute the same value.
 */
namespace valuation {

/**
 * Whether a stored value stands in place of the computed one: both are given and unlike (the
 * same number written otherwise is alike). A step stores such a value as typed by the valuer;
 * the check takes one without a mark as typed before marks were kept.
 */
bool TypedOver(const QString& stored, const QString& computed);

/** A cost item as the current coefficient gives it. */
struct CostItemNow {
    /** The restored unit cost: initial cost x k, "0.0000", unless typed or no initial cost. */
    QString restored;
    /** Quantity x restored cost, "0.0000"; "" when either is no number (counts 0 in В). */
    QString total;
};

/**
 * Recomputes a cost item: its restored cost from the initial one with the coefficient `k`,
 * unless the valuer typed it or the initial cost is no number (then it stays as stored), and
 * its total from the quantity.
 */
CostItemNow RecomputeCostItem(const QString& initial, const QString& restored,
                              const QString& quantity, bool restoredTyped, double k);

/** Км1 as the product of the chosen options ("3;No;6;No"), "0.000"; "" without options. */
QString Km1OfOptions(const QString& options);
/** The inputs of that Км1 as a typed value's mark records them: "варіанти 3;No;6;No". */
QString Km1OptionsInputs(const QString& options);

/**
 * Цнм as the steps after it take it: the stored value when the valuer typed it or when
 * В x 2 x Км1 cannot be computed, otherwise that.
 */
QString AverageValueNow(const QString& stored, bool typed, const QString& developmentCost,
                        const QString& km1);

/**
 * A district's local coefficient as the quarter statement's rows take it; none for a stored
 * coefficient that is no number above 0 (Км3 leaves it out and the check names it), so the
 * statement keeps its own value instead of a text no one can compute with.
 */
std::optional<QString> StatementCoefficient(const QString& districtCoefficient);

/** A part of the household plot by kind of land: its soil, value of 1 ha and area. */
struct PlotPartInput {
    QString code;
    QString valuePerHa;
    QString area;
};

/** What a plot's values come to. */
struct PlotValues {
    /** Base value x Km2 rounded, x Кф x Км3, "0.00"; "" when it cannot be computed. */
    QString valuePerSqM;
    /** The value of the plot's area, UAH; "" without a value per sq m. */
    QString value;
    /** The household plot: each part's value, none for a part without soil, value or area. */
    std::vector<std::optional<QString>> partValues;
    /** The household plot with a value: the area "0.0000" and value "0.00" with its parts. */
    QString totalArea;
    QString totalValue;
};

/**
 * The values of a plot from the settlement's base value (Цнм), its district's Km2 and Км3,
 * its Кф and area (ha); for the household plot also its parts (valued at their soil's value
 * of 1 ha) and the totals, which are given whenever the built-up part has a value.
 */
PlotValues ComputePlotValues(double baseValue, double km2, double kf, double km3, double areaHa,
                             bool household, const std::vector<PlotPartInput>& parts);

} // namespace valuation
