#include "app/StepDispatch.h"

#include "app/MainWindow.h"
#include "catalogue/core/ProjectItem.h"
#include "catalogue/refs/FormRefs.h"
#include "common/Messages.h"
#include "db/Backup.h"
#include "db/Databases.h"
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

void OpenStep(TFormMain& window, int kind) {
    const StepContext& context = window.stepContext();
    if (!context.valid())
        return;
    // The copy before the step's store is labelled with the step.
    QString caption;
    for (const ListEntry& step : catalogue::StepEntries())
        if (step.kind == kind)
            caption = step.caption;
    const backup::StoreLabel label(caption);
    switch (kind) {
    case KindStepInfo:
        OpenStepInfo(context, &window);
        break;
    case KindStepAreas:
        OpenStepAreas(context, &window);
        break;
    case KindStepCosts:
        OpenStepCosts(context, &window);
        break;
    case KindStepAverage:
        OpenStepAverage(context, &window);
        break;
    case KindStepFunctional:
        OpenStepFunctional(context, &window);
        break;
    case KindStepLocal:
        OpenStepLocal(context, &window);
        break;
    case KindStepLocalByQuarter:
        OpenStepLocalByQuarter(context, &window);
        break;
    case KindStepAgricultural:
        OpenStepAgricultural(context, &window);
        break;
    case KindStepPlots:
        OpenStepPlots(context, &window);
        break;
    case KindStepZonalWeighted:
        OpenStepZonalWeighted(context, &window);
        break;
    case KindStepZonalSEUC:
        OpenStepZonalSEUC(context, &window);
        break;
    default:
        // The remaining steps arrive with their own windows.
        ShowInfo(QStringLiteral("Цей крок розрахунку ще не доступний у цій версії програми."));
        break;
    }
}

void OpenReferenceBooks(TFormMain& window, TFormRefs& refs) {
    QString error;
    if (!Db().ConnectCatalogue(&error) || !Db().ConnectTemplate(&error)) {
        ShowError(error);
        return;
    }
    refs.exec();
    window.LoadIndexation();
}
