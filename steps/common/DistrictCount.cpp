#include "steps/common/DistrictCount.h"

#include "common/LastError.h"

QString DistrictCountMissingText() {
    return QStringLiteral(
        "Кількість районів не зазначена. Зробіть це в кроці \"Визначення площ\".");
}

bool RequireDistrictCount(Connection& project, QString* warning) {
    if (ReadDistrictCount(project) > 0)
        return true;
    const QString problem = DistrictCountProblem(project);
    return FailWith(warning, problem.isEmpty() ? DistrictCountMissingText() : problem);
}
