#include "tools/demo/DemoStatement.h"

#include "common/FileUtils.h"
#include "common/LastError.h"
#include "map/TabFile.h"
#include "office/OfficeCall.h"
#include "office/Workbook.h"
#include "valuation/Names.h"

#include <QFileInfo>
#include <array>
#include <cmath>
#include <map>

namespace {

// Columns of the land statement that the areas step reads.
constexpr int kTotal = 4;           // D: all land
constexpr int kAgricultural = 5;    // E: agricultural land, household plots included
constexpr int kHousehold = 16;      // P: household plots
constexpr int kForest = 23;         // W
constexpr int kResidential = 37;    // AK
constexpr int kIndustry = 39;       // AM
constexpr int kCommercial = 44;     // AR
constexpr int kPublic = 45;         // AS
constexpr int kTransport = 47;      // AU: transport, railways included
constexpr int kRailway = 49;        // AW
constexpr int kInfrastructure = 52; // AZ
constexpr int kRecreation = 57;     // BE: recreation and open land, streets included
constexpr int kStreets = 63;        // BK
constexpr int kBare = 65;           // BM
constexpr int kWater = 74;          // BV
constexpr int kLastColumn = 74;
constexpr int kFirstRow = 11;

/** Owners and land users, each with the functional-use codes of the land it holds. */
struct Owner {
    const char* name;
    std::vector<const char*> codes;
};

const std::array<Owner, 5> kOwners = {{
    {"Землі запасу та загального користування", {"Д", "Р", "В", "Н", "Л"}},
    {"Громадяни: присадибні ділянки, осг", {"Ж", "О"}},
    {"Сільськогосподарські підприємства", {"Рі", "Сі", "Ба", "Па"}},
    {"Промислові, транспортні та інші підприємства", {"П", "Т", "З", "І", "К"}},
    {"Установи освіти, охорони здоров'я, культури, органи влади", {"Г"}},
}};

/** The statement columns a functional-use code adds its area to. */
std::vector<int> ColumnsOf(const QString& code) {
    static const std::map<QString, std::vector<int>> columns = {
        {QStringLiteral("Ж"), {kResidential}},
        {QStringLiteral("П"), {kIndustry}},
        {QStringLiteral("К"), {kCommercial}},
        {QStringLiteral("Г"), {kPublic}},
        {QStringLiteral("Т"), {kTransport}},
        {QStringLiteral("З"), {kTransport, kRailway}},
        {QStringLiteral("І"), {kInfrastructure}},
        {QStringLiteral("Р"), {kRecreation}},
        {QStringLiteral("Д"), {kRecreation, kStreets}},
        {QStringLiteral("О"), {kAgricultural, kHousehold}},
        {QStringLiteral("Рі"), {kAgricultural}},
        {QStringLiteral("Сі"), {kAgricultural}},
        {QStringLiteral("Ба"), {kAgricultural}},
        {QStringLiteral("Па"), {kAgricultural}},
        {QStringLiteral("Л"), {kForest}},
        {QStringLiteral("Н"), {kBare}},
        {QStringLiteral("В"), {kWater}},
    };
    const auto it = columns.find(code);
    return it == columns.end() ? std::vector<int>{} : it->second;
}

/** Hectares kept to four decimals as whole ten-thousandths, so sums stay exact. */
qint64 Units(double squareMetres) {
    return std::llround(squareMetres); // 1 m² = 0.0001 ha
}

QString Hectares(qint64 units) {
    return QString::number(units / 10000) + u'.' +
           QStringLiteral("%1").arg(units % 10000, 4, 10, QChar(u'0'));
}

} // namespace

bool DemoLandTotals(const QString& folder, DemoLand& land, QString* error) {
    TableContent boundary, functional;
    if (!TabFile::read(JoinPath(folder, names::layer::Boundary() + QStringLiteral(".tab")),
                       boundary, error) ||
        !TabFile::read(JoinPath(folder, names::layer::Functional() + QStringLiteral(".tab")),
                       functional, error))
        return false;
    land = {};
    for (const Feature& f : boundary.features)
        land.boundaryUnits += Units(f.areaSquareMetres());
    for (const Feature& f : functional.features) {
        QString code;
        f.value(names::field::Code(), &code);
        land.byCode[code] += Units(f.areaSquareMetres());
    }
    return true;
}

bool WriteDemoStatement(const QString& folder, QString* error) {
    DemoLand land;
    if (!DemoLandTotals(folder, land, error))
        return false;
    // The parcels and the boundary were measured apart: the few square metres between them
    // go to the residential land, so the statement's total is the boundary's area.
    qint64 parcels = 0;
    for (const auto& [code, units] : land.byCode)
        parcels += units;
    land.byCode[QStringLiteral("Ж")] += land.boundaryUnits - parcels;

    // Rows: one per owner, then the totals.
    std::vector<std::map<int, qint64>> rows;
    std::map<int, qint64> totals;
    for (const Owner& owner : kOwners) {
        std::map<int, qint64> row;
        for (const char* c : owner.codes) {
            const QString code = QString::fromUtf8(c);
            const qint64 units = land.byCode[code];
            row[kTotal] += units;
            for (int column : ColumnsOf(code))
                row[column] += units;
        }
        for (const auto& [column, units] : row)
            totals[column] += units;
        rows.push_back(row);
    }

    const QString path = JoinPath(folder, QStringLiteral("Склад земель.xlsx"));
    if (!QFileInfo::exists(path))
        return FailWith(error, QStringLiteral("У папці немає відомості \"%1\".").arg(path));
    return OfficeCall(
        [&] {
            auto book = Workbook::open(path);
            Worksheet& sheet = book->worksheet(1);
            auto writeRow = [&sheet](int r, const QString& number, const QString& name,
                                     const QString& code, const std::map<int, qint64>& values,
                                     bool bold) {
                sheet.setCellValue(r, 1, number);
                sheet.setCellString(r, 2, name);
                sheet.setCellString(r, 3, code);
                for (int c = kTotal; c <= kLastColumn; ++c) {
                    const auto it = values.find(c);
                    sheet.setCellValue(
                        r, c, it == values.end() ? QStringLiteral("0") : Hectares(it->second));
                }
                for (int c = 1; c <= kLastColumn; ++c)
                    sheet.setCellBold(r, c, bold);
            };
            int r = kFirstRow;
            for (size_t i = 0; i < rows.size(); ++i, ++r)
                writeRow(r, QString::number(i + 1), QString::fromUtf8(kOwners[i].name),
                         QStringLiteral("%1").arg(i + 1, 2, 10, QChar(u'0')), rows[i], false);
            writeRow(r, QString(), QStringLiteral("Разом"), QString(), totals, true);
            book->saveCopyAs(path);
        },
        error);
}
