#include "app/StepRegistry.h"

#include "steps/agricultural/ui/FormOtsenkaUgodia.h"
#include "steps/areas/ui/FormOtsenkaPloszhi.h"
#include "steps/average/ui/FormOtsenkaSerednia.h"
#include "steps/costs/ui/FormOtsenkaVytraty.h"
#include "steps/functional/ui/FormOtsenkaFunk.h"
#include "steps/info/ui/FormOtsenkaInfo.h"
#include "steps/local/ui/FormOtsenkaLocalny.h"
#include "steps/localquarter/ui/FormOtsenkaLocalny2.h"
#include "steps/plots/ui/FormOtsenkaDilanky.h"
#include "steps/zonal/ui/FormOtsenkaZonalnist.h"
#include "steps/zonal/ui/FormOtsenkaZonalnistSEUC.h"

const std::vector<StepRegistration>& StepRegistry() {
    using valuation::Step;
    static const std::vector<StepRegistration> steps{
        {Step::Info, KindStepInfo, OpenStepInfo},
        {Step::Areas, KindStepAreas, OpenStepAreas},
        {Step::Costs, KindStepCosts, OpenStepCosts},
        {Step::Average, KindStepAverage, OpenStepAverage},
        {Step::ZonalWeighted, KindStepZonalWeighted, OpenStepZonalWeighted},
        {Step::ZonalGrouped, KindStepZonalSEUC, OpenStepZonalSEUC},
        {Step::Functional, KindStepFunctional, OpenStepFunctional},
        {Step::Local, KindStepLocal, OpenStepLocal},
        {Step::LocalByQuarter, KindStepLocalByQuarter, OpenStepLocalByQuarter},
        {Step::Agricultural, KindStepAgricultural, OpenStepAgricultural},
        // Opened from the list, no place is handed over.
        {Step::Plots, KindStepPlots,
         [](const StepContext& context, QWidget* parent) {
             return OpenStepPlots(context, parent);
         }},
    };
    return steps;
}

const StepRegistration* FindStep(int kind) {
    for (const StepRegistration& step : StepRegistry())
        if (step.kind == kind)
            return &step;
    return nullptr;
}

std::vector<ListEntry> StepListEntries() {
    std::vector<ListEntry> entries;
    for (const StepRegistration& step : StepRegistry())
        entries.push_back({step.caption(), step.kind, {}, {}});
    return entries;
}
