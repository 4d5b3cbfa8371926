#include "steps/zonal/WorkingFactors.h"

int ApplyWorkingFactors(StringGrid& anketa, const std::vector<WorkingItem>& factors) {
    const int checked = ApplyWorkingItems(anketa, AnketaFactorCol, factors);
    if (checked == 0)
        return 0;
    int number = 1;
    for (int row = anketa.fixedRows(); row < anketa.rowCount(); ++row)
        anketa.set(row, AnketaNumberCol, QString::number(number++));
    return checked;
}

QString NoFactorText() {
    return QStringLiteral("Не обрано жодного фактору.");
}
