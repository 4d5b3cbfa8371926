#include "steps/common/Districts.h"

#include "common/Messages.h"

QString DistrictCountMissingText() {
    return QStringLiteral(
        "Кількість районів не зазначена. Зробить це в меню \"Вирахування площ\".");
}

bool RequireDistrictCount(Connection& project) {
    if (ReadDistrictCount(project) > 0)
        return true;
    ShowWarning(DistrictCountMissingText());
    return false;
}
