#pragma once

#include "catalogue/core/ProjectItem.h"
#include "valuation/StepNames.h"

#include <vector>

class QWidget;
struct StepContext;

/**
 * A valuation step as the program lists and opens it. Its caption is the valuation model's
 * (valuation::StepCaption), so the step list, the check and the copies name it alike.
 */
struct StepRegistration {
    valuation::Step step;
    /** The kind (and icon) of its entry in the step list. */
    ItemKind kind;
    /** Opens the step's window over the context; true when it stored. */
    bool (*open)(const StepContext& context, QWidget* parent);

    QString caption() const { return valuation::StepCaption(step); }
};

/** Every step, in the order of the step list: the one place a step is added. */
const std::vector<StepRegistration>& StepRegistry();

/** The step of a list entry's kind; null for an entry that is not a step. */
const StepRegistration* FindStep(int kind);

/** The step list's entries (caption and kind), in list order. */
std::vector<ListEntry> StepListEntries();
