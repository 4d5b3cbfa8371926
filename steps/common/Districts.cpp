#include "steps/common/Districts.h"

#include "common/Messages.h"

QString DistrictCountMissingText() {
    return QStringLiteral(
        "Кількість районів не зазначена. Зробіть це в кроці \"Визначення площ\".");
}

bool RequireDistrictCount(Connection& project) {
    if (ReadDistrictCount(project) > 0)
        return true;
    const QString problem = DistrictCountProblem(project);
    ShowWarning(problem.isEmpty() ? DistrictCountMissingText() : problem);
    return false;
}
