#pragma once

#include "steps/zonal/ui/FormZonal.h"

/**
 * The window of "Земельно-оціночна структуризація середньо зважена": the district indices
 * from the settlement's weighted average score.
 */
class TFormOtsenkaZonalnist : public TFormZonal {
    Q_OBJECT
public:
    explicit TFormOtsenkaZonalnist(const StepContext& context, QWidget* parent = nullptr);
};

/** Opens the weighted-average zonal step (see OpenZonalStep). True when stored. */
bool OpenStepZonalWeighted(const StepContext& context, QWidget* parent);
