#include "tools/demo/DemoSteps.h"

#include "common/FileUtils.h"
#include "common/LastError.h"
#include "common/TextUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "map/MapGlobal.h"
#include "reports/OfficeJob.h"
#include "steps/areas/AreasDistricts.h"
#include "steps/areas/AreasStatement.h"
#include "steps/areas/AreasStep.h"
#include "steps/average/AverageStep.h"
#include "steps/common/StepLayers.h"
#include "steps/costs/CostsStep.h"
#include "valuation/Km1Tables.h"
#include "valuation/Names.h"

#include <QFileInfo>

namespace {

/** The land structure as shares of the total area, the way a village is built up. */
QHash<QString, QString> StructureOfShares(double total) {
    struct Share {
        const char* field;
        double share;
    };
    static const Share shares[] = {
        {"EZabudovana1", 0.210}, {"EZabudovana2", 0.030}, {"EZabudovana3", 0.012},
        {"EZabudovana4", 0.015}, {"EZabudovana5", 0.035}, {"EZabudovana6", 0.006},
        {"EZabudovana7", 0.008}, {"EZabudovana8", 0.045}, {"EOsg", 0.240},
        {"EInshi", 0.040},       {"ENoUsed1", 0.190},     {"ENoUsed2", 0.060},
        {"ENoUsed3", 0.020},     {"ENoUsed4", 0.025},     {"ENoUsed5", 0.0},
        {"ENoUsed6", 0.0},       {"ENoUsed7", 0.064},
    };
    QHash<QString, double> area;
    for (const Share& s : shares)
        area.insert(QString::fromLatin1(s.field), RoundTo(total * s.share, 4));
    const auto a = [&area](const char* name) { return area.value(QString::fromLatin1(name)); };
    // Public land and technical infrastructure are shown but not added, as in the statement.
    const double builtUp = a("EZabudovana1") + a("EZabudovana2") + a("EZabudovana3") +
                           a("EZabudovana5") + a("EZabudovana7") + a("EZabudovana8");
    area.insert(QStringLiteral("EZabudovana"), builtUp);
    area.insert(QStringLiteral("ENoUsed"), a("ENoUsed1") + a("ENoUsed2") + a("ENoUsed3") +
                                               a("ENoUsed4") + a("ENoUsed5") + a("ENoUsed6") +
                                               a("ENoUsed7"));
    area.insert(QStringLiteral("EOcinochna"), builtUp + a("EOsg") + a("EInshi"));
    area.insert(QStringLiteral("EZagalna"), total);
    QHash<QString, QString> fields;
    for (auto it = area.cbegin(); it != area.cend(); ++it)
        fields.insert(it.key(), FormatFixed(it.value(), 4));
    return fields;
}

/** The statement's fields when the folder has a readable one with areas; else nothing. */
QHash<QString, QString> StructureOfStatement(const QString& folder) {
    const QString path = StatementPath(folder);
    if (!QFileInfo::exists(path))
        return {};
    QHash<QString, QString> fields;
    const TMessages messages = RunExcelJobHeadless(
        path,
        [&fields](Workbook& book, TMessages& m, JobProgress& progress) {
            ReadStatementJob(book, m, progress, fields);
        },
        QString());
    return messages.Error.isEmpty() ? fields : QHash<QString, QString>();
}

bool WriteAreas(const QString& folder, Connection& db, QString& assessed, QString* error) {
    MapDocument map;
    for (const char* name : {"межі.tab", "райони.tab"})
        if (!AddLayer(map, JoinPath(folder, QString::fromUtf8(name)), false))
            return FailWith(error, LastError());
    double total = 0;
    if (const std::optional<FeatureList> bounds = GetLayerFeatures(map, names::layer::Boundary()))
        for (const Feature& f : *bounds)
            total += FeatureArea(f, map, AreaSquareMetre) / 10000;

    AreasData data;
    if (!LoadAreas(db, data, error))
        return false;
    QHash<QString, QString> fields = StructureOfStatement(folder);
    if (fields.isEmpty())
        fields = StructureOfShares(total);
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        data.values.insert(it.key(), it.value());

    std::vector<MapDistrict> districts;
    if (ReadMapDistricts(map, districts) != MapDistrictsStatus::Ok)
        return FailWith(error, QStringLiteral("У демонстраційному шарі \"райони\" немає районів."));
    // The typed areas are those of the map to hundredths, as "З мапи" fills them.
    FillDistrictsFromMap(data.districts, districts);
    data.values.insert(QStringLiteral("ERaions"), QString::number(districts.size()));
    data.folder = folder;
    data.mapLayers = FingerprintStepLayers(folder, valuation::Step::Areas);
    if (!StoreAreas(db, data, error))
        return false;
    // The settlement's facts show the same total area.
    Query q(&db);
    RunQuery(q,
             QStringLiteral("UPDATE показники SET значення='") +
                 QuoteSql(data.value(QStringLiteral("EZagalna"))) +
                 QStringLiteral("' WHERE показник='Загальна площа, га'"),
             false);
    assessed = data.value(QStringLiteral("EOcinochna"));
    return true;
}

bool WriteCosts(Connection& db, QString& perSquareMetre, QString* error) {
    struct Item {
        int section; // index in CostSections()
        const char* name;
        const char* unit;
        const char* cost; // thousand UAH per unit, 2025
        const char* quantity;
    };
    static const Item items[] = {
        {1, "Водопровідні мережі з поліетиленових труб", "км", "2450.0000", "11.0"},
        {1, "Водонапірна башта з артезіанською свердловиною", "шт", "5200.0000", "1"},
        {4, "Розподільні газопроводи низького тиску", "км", "760.0000", "7.0"},
        {5, "Повітряні лінії електропередачі 0,4 кВ", "км", "820.0000", "9.5"},
        {6, "Вуличне освітлення на світлодіодних світильниках", "км", "310.0000", "8.0"},
        {11, "Озеленення вулиць і скверів", "га", "260.0000", "3.5"},
        {14, "Вулиці з асфальтобетонним покриттям", "км", "2150.0000", "12.0"},
        {14, "Тротуари з бетонної плитки", "км", "640.0000", "5.0"},
    };
    CostsSheet sheet;
    if (!LoadCosts(db, 2025, sheet, error))
        return false;
    sheet.coefficient = DefaultCoefficientLine(2025);
    for (const Item& item : items) {
        SelectCostSection(sheet, CostSections().at(item.section));
        const int row = AddCostRow(sheet);
        sheet.visible.set(row, ColCostName, QString::fromUtf8(item.name));
        sheet.visible.set(row, ColCostUnit, QString::fromUtf8(item.unit));
        sheet.visible.set(row, ColCostInitial, QString::fromLatin1(item.cost));
        sheet.visible.set(row, ColCostQuantity, QString::fromLatin1(item.quantity));
        RecalcCosts(sheet, -1, -1);
    }
    if (!StoreCosts(db, sheet, error))
        return false;
    perSquareMetre = sheet.perSquareMetre;
    return true;
}

} // namespace

bool WriteDemoSteps(const QString& folder, Connection& settlement, QString* error) {
    QString assessed;
    QString perSquareMetre;
    if (!WriteAreas(folder, settlement, assessed, error) ||
        !WriteCosts(settlement, perSquareMetre, error))
        return false;
    // A village in the suburban zone of a city of 250-500 thousand people.
    const Km1Options options = {Km1NoOption(), QStringLiteral("2"), Km1NoOption(), Km1NoOption()};
    AverageData average;
    average.developmentCost = perSquareMetre;
    average.km1 = Km1Text(options);
    average.km1Options = Km1OptionsText(options);
    average.averageValue = AverageValue(average.developmentCost, average.km1);
    return StoreAverage(settlement, average, error);
}
