#include "steps/common/ui/OverlayOutcome.h"

#include "common/Messages.h"

bool OverlayFinished(bool ok, const QString& error, const OverlayStats& stats) {
    if (!ok) {
        ShowError(error);
        return false;
    }
    if (stats.stopped)
        return false; // "Стоп": the grid stays as it was
    if (const QString repaired = OverlayRepairsText(stats.repairs); !repaired.isEmpty())
        ShowWarning(repaired);
    return true;
}
