#include "app/StepDispatch.h"

#include "app/MainWindow.h"
#include "app/StepRegistry.h"
#include "catalogue/refs/FormRefs.h"
#include "common/Messages.h"
#include "db/Backup.h"
#include "db/Databases.h"

void OpenStep(TFormMain& window, int kind) {
    const StepContext& context = window.stepContext();
    const StepRegistration* step = FindStep(kind);
    if (!step || !context.valid())
        return;
    // The copy before the step's store is labelled with the step.
    const backup::StoreLabel label(step->caption());
    step->open(context, &window);
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
