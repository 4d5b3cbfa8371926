#pragma once

#include "valuation/Names.h"

#include <QString>
#include <vector>

/**
 * The valuation steps as the step list shows them, and which step owns (is the only writer
 * of) each stored value. The names of the shared data themselves are in common/Names.h.
 */
namespace valuation {

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
