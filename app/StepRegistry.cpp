#include "app/StepRegistry.h"

#include "steps/agricultural/FormOtsenkaUgodia.h"
#include "steps/areas/FormOtsenkaPloszhi.h"
#include "steps/average/FormOtsenkaSerednia.h"
#include "steps/costs/FormOtsenkaVytraty.h"
#include "steps/functional/FormOtsenkaFunk.h"
#include "steps/info/FormOtsenkaInfo.h"
#include "steps/local/FormOtsenkaLocalny.h"
#include "steps/localquarter/FormOtsenkaLocalny2.h"
#include "steps/plots/FormOtsenkaDilanky.h"
#include "steps/zonal/FormOtsenkaZonalnist.h"
#include "steps/zonal/FormOtsenkaZonalnistSEUC.h"

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
