#include "steps/average/AverageStep.h"

#include "common/TextUtils.h"
#include "steps/common/Indicators.h"
#include "steps/common/StepRules.h"
#include "steps/common/StepStore.h"

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

bool LoadAverage(Connection& project, AverageData& data) {
    Indicators indicators;
    if (!indicators.read(project))
        return false;
    data.developmentCost = indicators.value(DevelopmentCostIndicator());
    data.km1 = indicators.value(Km1Indicator());
    data.km1Options = indicators.value(Km1OptionsIndicator());
    data.averageValue = indicators.value(AverageValueIndicator());
    return true;
}

bool StoreAverage(Connection& project, const AverageData& data) {
    return StoreInTransaction(&project, [&] {
        return WriteIndicator(project, Km1Indicator(), data.km1) &&
               WriteIndicator(project, Km1OptionsIndicator(), data.km1Options) &&
               WriteIndicator(project, AverageValueIndicator(), data.averageValue);
    });
}

QString AverageValue(const QString& developmentCost, const QString& km1) {
    const std::optional<double> cost = ParseNumber(developmentCost);
    const std::optional<double> k = ParseNumber(km1);
    if (!cost || !k)
        return QString();
    return FormatFixed(*cost * AverageRatio * *k, 2);
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
