#pragma once

#include <QString>
#include <vector>

/**
 * The names of a settlement's shared data, written once: the indicators of
 * "характеристика", the step tables, the valuation steps as the step list shows them, and
 * which step owns (is the only writer of) each stored value.
 */
namespace valuation {

/** Indicators of "характеристика". */
namespace ind {
QString TotalArea();       ///< "Загальна площа населеного пункту"
QString Population();      ///< "Чисельність населення (тис. чол.)"
QString AssessedArea();    ///< "Оціночна територія"
QString DevelopmentCost(); ///< "Витрати на освоювання" (В)
QString CostCoefficient(); ///< "Коефіціент для відновленої вартості"
QString Km1();             ///< "Км1"
QString Km1Options();      ///< "Км1, добуток"
QString AverageValue();    ///< "Середня вартість 1 кв м" (Цнм)
QString ZoneCount();       ///< "Кількість зон"
QString Km2Min();          ///< "Км2, мінімальний"
QString Km2Max();          ///< "Км2, максимальний"
} // namespace ind

/** The valuation steps, in the order of the step list. */
enum class Step {
    Info,
    Areas,
    Costs,
    Average,
    ZonalWeighted,
    ZonalGrouped,
    Functional,
    Local,
    LocalByQuarter,
    Agricultural,
    Plots,
};

/** Every step, in list order. */
const std::vector<Step>& Steps();

/** The step's caption exactly as the step list shows it ("Середня вартість"). */
QString StepCaption(Step step);

/**
 * What a step owns: the indicators and tables it alone writes. A step that shows another
 * step's value shows it read-only or writes it back unchanged.
 */
struct Ownership {
    Step step;
    /** Indicator names (of "характеристика"); "Площі районів" stands for all its rows. */
    std::vector<QString> indicators;
    /** Tables of the settlement's database. */
    std::vector<QString> tables;
};

/** The owner table, one entry per step in list order. */
const std::vector<Ownership>& Owners();

/**
 * The step that owns an indicator or a table (looked up among both); std::nullopt-like
 * false when nobody owns it.
 */
bool OwnerOf(const QString& indicatorOrTable, Step* step);

} // namespace valuation
