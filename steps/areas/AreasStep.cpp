#include "steps/areas/AreasStep.h"
#include "steps/common/StepLayers.h"

#include "valuation/Typed.h"

#include "valuation/Formulas.h"

#include "common/TextUtils.h"
#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "steps/common/DistrictCount.h"
#include "steps/common/StepRules.h"
#include "steps/common/StepStore.h"
#include "valuation/Indicators.h"
#include "valuation/LandStructure.h"
#include "valuation/Names.h"
#include "valuation/Recompute.h"

#include <QSet>

namespace {

AreaField Field(const char* name, const char* caption, const QString& indicator, bool sub = false) {
    return AreaField{QString::fromUtf8(name), QString::fromUtf8(caption), indicator, sub};
}

} // namespace

const std::vector<AreaField>& AreaFields() {
    static const std::vector<AreaField> fields = {
        Field("EZagalna", "Загальна площа населеного пункту га.", names::ind::TotalArea()),
        Field("EZabudovana", "Забудована територія, га.", names::ind::BuiltUp()),
        Field("EZabudovana1", "під житловою забудовою.......", names::ind::BuiltUpHousing(), true),
        Field("EZabudovana2", "землі промисловості..............", names::ind::BuiltUpIndustry(),
              true),
        Field("EZabudovana3", "землі комерційного викор......", names::ind::BuiltUpCommercial(),
              true),
        Field("EZabudovana4", "землі громадського признач...", names::ind::BuiltUpPublic(), true),
        Field("EZabudovana5", "землі транспорту і зв'язку.......", names::ind::BuiltUpTransport(),
              true),
        Field("EZabudovana6", "землі технічної інфраструктури", names::ind::BuiltUpInfrastructure(),
              true),
        Field("EZabudovana7", "землі змішаного користування", names::ind::BuiltUpMixed(), true),
        Field("EZabudovana8", "для відпочинку та інші відкриті", names::ind::BuiltUpRecreation(),
              true),
        Field("EOsg", "Присадібні ділянки для осг, га.", names::ind::HouseholdPlots()),
        Field("EInshi", "Iнші землі, га", names::ind::OtherLand()),
        Field("ENoUsed", "Територія, що не враховується, га.", names::ind::NotCounted()),
        Field("ENoUsed1", "сільськогосподарські землі (крім осг)", names::ind::NotCountedFarmland(),
              true),
        Field("ENoUsed2", "ліси та інші лісовкриті площі.............",
              names::ind::NotCountedForest(), true),
        Field("ENoUsed3", "відкриті землі без рослин. покриву...", names::ind::NotCountedOpen(),
              true),
        Field("ENoUsed4", "внутрішні води................................",
              names::ind::NotCountedWater(), true),
        Field("ENoUsed5", "смуга відводу залізниці....................",
              names::ind::NotCountedRailway(), true),
        Field("ENoUsed6", "під аеропортами та відп. спорудами", names::ind::NotCountedAirport(),
              true),
        Field("ENoUsed7", "вулиці............................................",
              names::ind::NotCountedStreets(), true),
        Field("EOcinochna", "Оціночна територія, га.", names::ind::AssessedArea()),
        Field("ERaions", "Чисельність районів", names::ind::DistrictCount()),
    };
    return fields;
}

StringGrid MakeDistrictGrid() {
    StringGrid grid(4, 2, 1, 0);
    grid.set(0, ColDistrictNumber, QStringLiteral("№ оцін.р-ну"));
    grid.set(0, ColDistrictArea, QStringLiteral("Площа, га"));
    grid.set(0, ColDistrictMapArea, QStringLiteral("З карти, га"));
    grid.set(0, ColDistrictDescription, QStringLiteral("Опис меж району"));
    return grid;
}

bool LoadAreas(Connection& project, AreasData& data, QString* error) {
    Indicators indicators;
    if (!indicators.read(project, error))
        return false;
    // A stored count above 999 is not believed: the stored district rows are shown instead.
    data.countProblem = DistrictCountProblem(project);
    std::vector<District> districts;
    if (!ReadDistricts(project, DistrictOrder::AsStored, districts, data.countProblem.isEmpty(),
                       error))
        return false;
    const int count = data.countProblem.isEmpty() ? ReadDistrictCount(project)
                                                  : static_cast<int>(districts.size());

    data.values.clear();
    for (const AreaField& field : AreaFields())
        data.values.insert(field.name, indicators.value(field.indicator));
    data.values.insert(QStringLiteral("ERaions"), QString::number(count));
    data.values.insert(NotCountedRestKey(), indicators.value(names::ind::NotCountedRest()));

    ClearGrid(data.districts, count);
    int row = data.districts.fixedRows();
    for (const District& d : districts) {
        data.districts.setRowTexts(row++, {d.number, d.area, d.mapArea, d.description});
    }
    return true;
}

bool StoreAreas(Connection& project, const AreasData& data, QString* error) {
    return StoreInTransaction(
        &project,
        [&](QString* failed) {
            for (const AreaField& field : AreaFields())
                if (!WriteIndicator(project, field.indicator, data.value(field.name), failed))
                    return false;
            if (!WriteIndicator(project, names::ind::NotCountedRest(),
                                data.value(NotCountedRestKey()), failed))
                return false;
            // A sum other than the one its parts make was typed by the valuer: marked with the
            // computed value, so the check tells it from a stale one.
            QHash<QString, QString> byIndicator;
            for (const AreaField& field : AreaFields())
                byIndicator.insert(field.indicator, data.value(field.name));
            byIndicator.insert(names::ind::NotCountedRest(), data.value(NotCountedRestKey()));
            const auto value = [&byIndicator](const QString& name) {
                return byIndicator.value(name);
            };
            for (const valuation::LandSum& sum : valuation::LandSums()) {
                const QString computed = valuation::LandSumOf(sum, value);
                const QString stored = value(sum.total);
                const bool typed = !computed.isEmpty() && !stored.trimmed().isEmpty() &&
                                   !valuation::LandSumAgrees(stored, computed);
                if (!valuation::MarkIndicatorTyped(project, sum.total, stored, typed, computed,
                                                   valuation::LandSumInputs(sum, value), failed))
                    return false;
            }
            // An assessed territory other than the computed one was typed by the valuer: marked
            // with the computed value, so the check sees when that changes.
            const QString built = data.value(QStringLiteral("EZabudovana"));
            const QString households = data.value(QStringLiteral("EOsg"));
            const QString other = data.value(QStringLiteral("EInshi"));
            const QString computed = valuation::AssessedTerritory(
                data.value(QStringLiteral("EZagalna")), built, households, other);
            const QString assessed = data.value(QStringLiteral("EOcinochna"));
            const bool typed = valuation::TypedOver(assessed, computed);
            if (!valuation::MarkIndicatorTyped(
                    project, names::ind::AssessedArea(), assessed, typed, computed,
                    valuation::AssessedTerritoryInputs(built, households, other), failed))
                return false;
            const StringGrid& grid = data.districts;
            bool fromMap = false;
            for (int row = grid.fixedRows(); row < grid.rowCount(); ++row)
                fromMap = fromMap || NumberOr0(grid.at(row, ColDistrictMapArea)) != 0;
            if (!RecordStepLayers(project, data.folder, valuation::Step::Areas, data.mapLayers,
                                  fromMap, failed))
                return false;
            const bool noDistricts = IntegerOr0(data.value(QStringLiteral("ERaions"))) <= 0;
            return ReplaceGridRows(
                       project, QStringLiteral("характеристика"),
                       QStringLiteral("показник='") + QuoteSql(names::ind::DistrictRows()) + u'\'',
                       {QStringLiteral("код"), QStringLiteral("показник"),
                        QStringLiteral("значення"), QStringLiteral("значення2")},
                       grid,
                       [&](int row) {
                           const QStringList cells = grid.rowTexts(row);
                           if (noDistricts && cells.join(QString()).trimmed().isEmpty())
                               return SqlRow();
                           return SqlRow{cells.value(ColDistrictNumber), names::ind::DistrictRows(),
                                         cells.value(ColDistrictArea),
                                         cells.value(ColDistrictMapArea) + u'|' +
                                             cells.value(ColDistrictDescription)};
                       }) ||
                   FailUpdating(failed);
        },
        error);
}

QString ComputedAssessedTerritory(const QString& total, const QString& builtUp,
                                  const QString& households, const QString& other) {
    return valuation::AssessedTerritory(total, builtUp, households, other);
}

std::pair<QString, QString> DistrictSums(const StringGrid& grid) {
    double area = 0;
    double mapArea = 0;
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
        area += NumberOr0(grid.at(row, ColDistrictArea));
        mapArea += NumberOr0(grid.at(row, ColDistrictMapArea));
    }
    return {FormatFixed(area, 4), FormatFixed(mapArea, 4)};
}

StepCheck CheckAreas(const AreasData& data, const QSet<QString>& negativeAllowed) {
    for (const AreaField& field : AreaFields()) {
        if (field.name == QStringLiteral("ERaions"))
            continue;
        const QString value = data.value(field.name);
        if (negativeAllowed.contains(field.name) && ParseNumber(value))
            continue;
        if (const QString text = rule::NotNegative(value, QStringLiteral("Площа")); !text.isEmpty())
            return FieldIssue(field.name, text);
    }
    const StringGrid& grid = data.districts;
    const QString gridName = QStringLiteral("GridRaions");
    QSet<long long> numbers;
    for (int row = grid.fixedRows(); row < grid.rowCount(); ++row) {
        const QString number = grid.at(row, ColDistrictNumber).trimmed();
        if (!number.isEmpty()) {
            const std::optional<long long> n = ParseInteger(number);
            if (!n || *n <= 0)
                return CellIssue(
                    gridName, row, ColDistrictNumber,
                    QStringLiteral("Номер району має бути цілим числом, більшим за 0."));
            if (numbers.contains(*n))
                return CellIssue(
                    gridName, row, ColDistrictNumber,
                    QStringLiteral("Район %1 вказано двічі.").arg(QString::number(*n)));
            numbers.insert(*n);
        }
    }
    return CheckGridCells(grid, gridName, {ColDistrictArea, ColDistrictMapArea},
                          [](const QString& text) {
                              return rule::NotNegative(text, QStringLiteral("Площа району"));
                          });
}

QStringList NegativeAreas(const AreasData& data) {
    QStringList found;
    for (const AreaField& field : AreaFields()) {
        const std::optional<double> value = ParseNumber(data.value(field.name));
        if (value && *value < 0 && field.name != QStringLiteral("ERaions"))
            found << QStringLiteral("%1 %2").arg(field.caption.section(u'.', 0, 0).trimmed(),
                                                 data.value(field.name));
    }
    return found;
}
