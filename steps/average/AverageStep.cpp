#include "steps/average/AverageStep.h"

#include "common/TextUtils.h"
#include "steps/common/StepRules.h"
#include "steps/common/StepStore.h"
#include "valuation/Formulas.h"
#include "valuation/Indicators.h"
#include "valuation/Names.h"
#include "valuation/Recompute.h"
#include "valuation/Typed.h"

bool LoadAverage(Connection& project, AverageData& data, QString* error, AverageStored* stored) {
    Indicators indicators;
    if (!indicators.read(project, error))
        return false;
    data.developmentCost = indicators.value(names::ind::DevelopmentCost());
    data.km1 = indicators.value(names::ind::Km1());
    data.km1Options = indicators.value(names::ind::Km1Options());
    data.averageValue = indicators.value(names::ind::AverageValue());
    valuation::TypedValues marks;
    if (!marks.read(project, error))
        return false;
    const bool typed = marks.isTyped(names::table::Indicators(), names::ind::AverageValue(),
                                     QStringLiteral("значення"), data.averageValue);
    if (stored)
        *stored = AverageStored{data.averageValue, typed};
    // The window opens with Цнм of the current В and Км1, unless the valuer typed it.
    data.averageValue =
        valuation::AverageValueNow(data.averageValue, typed, data.developmentCost, data.km1);
    return true;
}

bool StoreAverage(Connection& project, const AverageData& data, QString* error) {
    return StoreInTransaction(
        &project,
        [&](QString* failed) {
            // Цнм that differs from В x 2 x Км1 was typed by the valuer: an input from now on.
            const QString computed = AverageValue(data.developmentCost, data.km1);
            const bool typed = !data.averageValue.isEmpty() && data.averageValue != computed;
            // Км1 other than the product of the chosen options was typed by the valuer.
            const QString km1 = valuation::Km1OfOptions(data.km1Options);
            const bool km1Typed = valuation::TypedOver(data.km1, km1);
            return valuation::MarkIndicatorTyped(project, names::ind::Km1(), data.km1, km1Typed,
                                                 km1, valuation::Km1OptionsInputs(data.km1Options),
                                                 failed) &&
                   WriteIndicator(project, names::ind::Km1(), data.km1, failed) &&
                   WriteIndicator(project, names::ind::Km1Options(), data.km1Options, failed) &&
                   WriteIndicator(project, names::ind::AverageValue(), data.averageValue, failed) &&
                   valuation::MarkIndicatorTyped(
                       project, names::ind::AverageValue(), data.averageValue, typed, computed,
                       valuation::AverageValueInputs(data.developmentCost, data.km1), failed);
        },
        error);
}

StepCheck CheckAverage(const AverageData& data) {
    const QString km1 = QStringLiteral("Км1");
    for (const QString& text : {rule::NotEmpty(data.km1, km1), rule::AboveZero(data.km1, km1)})
        if (!text.isEmpty())
            return FieldIssue(QStringLiteral("EKm1"), text);
    // Цнм is computed from В: without В the step to fill first is named.
    if (data.averageValue.trimmed().isEmpty())
        return FieldIssue(QStringLiteral("ESerednia"),
                          ParseNumber(data.developmentCost)
                              ? QStringLiteral("Вкажіть Цнм.")
                              : QStringLiteral("Цнм не обчислено: спершу заповніть крок "
                                               "\"Витрати на освоювання\"."));
    if (const QString text = rule::NotNegative(data.averageValue, QStringLiteral("Цнм"));
        !text.isEmpty())
        return FieldIssue(QStringLiteral("ESerednia"), text);
    return std::nullopt;
}

QString AverageHint(const AverageData& data) {
    if (!ParseNumber(data.developmentCost))
        return QStringLiteral("Спершу заповніть крок \"Витрати на освоювання\": з нього "
                              "береться В.");
    if (data.km1.trimmed().isEmpty())
        return QStringLiteral("Вкажіть Км1 або оберіть його за таблицями коефіцієнтів "
                              "(кнопка \"...\").");
    return QString();
}
