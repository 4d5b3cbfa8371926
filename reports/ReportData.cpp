#include "reports/ReportData.h"

#include "reports/ReportContext.h"
#include "valuation/LocalCatalogue.h"

#include "common/TextUtils.h"
#include "db/QueryFunctions.h"
#include "valuation/Settlement.h"

namespace reports {

const std::array<ReportFile, 3>& ReportFiles() {
    static const std::array<ReportFile, 3> files{{
        {QStringLiteral("Технічний звіт.dotx"), QStringLiteral("Технічний звіт.docx"), 3},
        {QStringLiteral("Розрахунок грошової оцінки.xltx"),
         QStringLiteral("Розрахунок грошової оцінки.xlsx"), 4},
        {QStringLiteral("Розрахунок грошової оцінки з кварталами.xltx"),
         QStringLiteral("Розрахунок грошової оцінки з кварталами.xlsx"), 4},
    }};
    return files;
}

std::vector<LocalFactorName> ReadLocalFactorNames(Connection* catalogue) {
    std::vector<LocalFactorName> names;
    if (!catalogue || !catalogue->isOpen())
        return names;
    std::vector<LocalFactor> factors;
    if (!ReadLocalCatalogue(*catalogue, factors))
        return names;
    for (const LocalFactor& factor : factors)
        names.push_back({factor.fullName, factor.name});
    return names;
}

const valuation::Settlement* SettlementOf(const ReportContext& context, valuation::Settlement& own,
                                          QString* error) {
    if (context.settlement)
        return context.settlement;
    if (!context.data) {
        if (error)
            *error = QStringLiteral("Немає бази населеного пункту.");
        return nullptr;
    }
    return valuation::ReadSettlement(*context.data, own, error) ? &own : nullptr;
}

QString Fixed2(double value) {
    return FormatFixed(value, 2);
}

QString ZoneCaptionSuffix() {
    return QStringLiteral(" ЕКОНОМІКО-ПЛАНУВАЛЬНА ЗОНА");
}

} // namespace reports
