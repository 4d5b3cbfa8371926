#include "steps/average/AverageStep.h"

#include "common/TextUtils.h"
#include "steps/common/Indicators.h"
#include "steps/common/StepStore.h"
#include "valuation/Typed.h"

QString DevelopmentCostIndicator() {
    return QStringLiteral("Витрати на освоювання");
}
QString Km1Indicator() {
    return QStringLiteral("Км1");
}
QString Km1OptionsIndicator() {
    return QStringLiteral("Км1, добуток");
}
QString AverageValueIndicator() {
    return QStringLiteral("Середня вартість 1 кв м");
}

bool LoadAverage(Connection& project, AverageData& data, AverageStored* stored) {
    Indicators indicators;
    if (!indicators.read(project))
        return false;
    data.developmentCost = indicators.value(DevelopmentCostIndicator());
    data.km1 = indicators.value(Km1Indicator());
    data.km1Options = indicators.value(Km1OptionsIndicator());
    data.averageValue = indicators.value(AverageValueIndicator());
    valuation::TypedValues marks;
    if (!marks.read(project))
        return false;
    const bool typed = marks.isTyped(valuation::IndicatorTable(), AverageValueIndicator(),
                                     QStringLiteral("значення"), data.averageValue);
    if (stored)
        *stored = AverageStored{data.averageValue, typed};
    // The window opens with Цнм of the current В and Км1, unless the valuer typed it.
    const QString computed = AverageValue(data.developmentCost, data.km1);
    if (!typed && !computed.isEmpty())
        data.averageValue = computed;
    return true;
}

bool StoreAverage(Connection& project, const AverageData& data) {
    return StoreInTransaction(&project, [&] {
        // Цнм that differs from В x 2 x Км1 was typed by the valuer: an input from now on.
        const QString computed = AverageValue(data.developmentCost, data.km1);
        const bool typed = !data.averageValue.isEmpty() && data.averageValue != computed;
        return WriteIndicator(project, Km1Indicator(), data.km1) &&
               WriteIndicator(project, Km1OptionsIndicator(), data.km1Options) &&
               WriteIndicator(project, AverageValueIndicator(), data.averageValue) &&
               valuation::MarkIndicatorTyped(project, AverageValueIndicator(), data.averageValue,
                                             typed);
    });
}

StepCheck CheckAverage(const AverageData& data) {
    const auto issue = [](const char* field, const QString& text) {
        return StepIssue{QString::fromLatin1(field), -1, -1, QStringLiteral("Попередження"), text};
    };
    if (!data.km1.trimmed().isEmpty()) {
        const std::optional<double> km1 = ParseNumber(data.km1);
        if (!km1 || *km1 <= 0)
            return issue("EKm1", QStringLiteral("Км1 має бути числом, більшим за 0."));
    }
    if (!data.averageValue.trimmed().isEmpty()) {
        const std::optional<double> value = ParseNumber(data.averageValue);
        if (!value || *value < 0)
            return issue("ESerednia",
                         QStringLiteral("Середня вартість має бути числом, не меншим за 0."));
    }
    return std::nullopt;
}
