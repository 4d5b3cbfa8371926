#include "app/StepDispatch.h"

#include "app/MainWindow.h"
#include "catalogue/core/ProjectItem.h"
#include "catalogue/refs/FormRefs.h"
#include "common/Messages.h"
#include "db/Databases.h"
#include "steps/indexation/Indexation.h"
#include "steps/info/FormOtsenkaInfo.h"

void OpenStep(TFormMain& window, int kind) {
    switch (kind) {
    case KindStepInfo:
        OpenStepInfo(&window);
        break;
    default:
        // The remaining steps arrive with their own windows.
        ShowInfo(QStringLiteral("Цей крок розрахунку ще не доступний у цій версії програми."));
        break;
    }
}

void OpenReferenceBooks(TFormRefs& refs) {
    if (!Db().ConnectCatalogue() || !Db().ConnectTemplate())
        return;
    refs.exec();
    LoadIndexation();
}

void LoadProgramIndexation() {
    LoadIndexation();
}
