#include "steps/zonal/ui/FormOtsenkaZonalnist.h"

TFormOtsenkaZonalnist::TFormOtsenkaZonalnist(const StepContext& context, QWidget* parent)
    : TFormZonal(context, ZonalVariant::Weighted, parent) {
    setObjectName(QStringLiteral("FormOtsenkaZonalnist"));
}

bool OpenStepZonalWeighted(const StepContext& context, QWidget* parent) {
    return OpenZonalStep(context, ZonalVariant::Weighted, [&context, parent] {
        return std::make_unique<TFormOtsenkaZonalnist>(context, parent);
    });
}
