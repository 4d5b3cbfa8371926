#include "steps/plots/PlotsStep.h"

#include "common/TextUtils.h"
#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "steps/common/DistrictCount.h"
#include "steps/common/StepRules.h"
#include "steps/common/StepStore.h"
#include "valuation/Formulas.h"
#include "valuation/Indicators.h"
#include "valuation/Names.h"
#include "valuation/Recompute.h"
#include "valuation/Settlement.h"

#include <QSet>
#include <cmath>
#include <optional>

namespace {

/** The columns of "ділянки" a store writes; a row leaves those it has no value for NULL. */
const QStringList& PlotColumns() {
    static const QStringList columns{
        QStringLiteral("номер"),        QStringLiteral("назва"),    QStringLiteral("функц"),
        QStringLiteral("район"),        QStringLiteral("площа"),    QStringLiteral("базова"),
        QStringLiteral("розрахункова"), QStringLiteral("загальна"), QStringLiteral("шифр")};
    return columns;
}

/** The stored rows of the plots: each plot's row, the household plot's summary and parts. */
std::vector<SqlRow> PlotRows(const PlotsData& data) {
    const SqlValue none = SqlValue::Null();
    std::vector<SqlRow> rows;
    for (int number = 1; number <= PlotCount; ++number) {
        const Plot& plot = data.plot(number);
        const QString n = QString::number(number);
        const bool household = number == HouseholdPlot;
        if (household)
            rows.push_back(
                {n, plot.name, none, none, plot.totalArea, none, none, plot.totalValue, none});
        // The household plot's built-up part is its row named "0".
        rows.push_back({n, household ? QStringLiteral("0") : plot.name, plot.kf, plot.district,
                        plot.area, plot.baseValue, plot.valuePerSqM, plot.value, none});
        if (!household)
            continue;
        for (int kind = 1; kind <= PlotPartCount; ++kind) {
            const PlotPart& part = plot.parts[static_cast<size_t>(kind - 1)];
            rows.push_back({n, QString::number(kind), none, none, part.area, part.valuePerHa, none,
                            part.value, part.code});
        }
    }
    return rows;
}

using valuation::Fixed;

bool ReadPlotRows(Connection& project, int number, Plot& plot, bool household) {
    Query query(&project);
    if (!RunQuery(query,
                  QStringLiteral("SELECT * FROM ділянки WHERE номер='") + QString::number(number) +
                      QStringLiteral("' ORDER BY id"),
                  true))
        return false;
    // Missing rows leave the fields empty.
    plot = Plot{};
    query.first();
    plot.name = query.text(QStringLiteral("назва"));
    if (household) {
        plot.totalArea = query.text(QStringLiteral("площа"));
        plot.totalValue = query.text(QStringLiteral("загальна"));
        query.next();
    }
    plot.kf = query.text(QStringLiteral("функц"));
    plot.area = query.text(QStringLiteral("площа"));
    plot.valuePerSqM = query.text(QStringLiteral("розрахункова"));
    plot.value = query.text(QStringLiteral("загальна"));
    plot.district = query.text(QStringLiteral("район"));
    if (!household)
        return true;
    for (query.next(); !query.eof(); query.next()) {
        const std::optional<long long> kind = ParseInteger(query.text(QStringLiteral("назва")));
        if (!kind || *kind < 1 || *kind > PlotPartCount)
            continue;
        PlotPart& part = plot.parts[static_cast<size_t>(*kind - 1)];
        part.area = query.text(QStringLiteral("площа"));
        part.value = query.text(QStringLiteral("загальна"));
        part.code = query.text(QStringLiteral("шифр"));
    }
    return true;
}

} // namespace

QString PresetKf(int number) {
    switch (number) {
    case 1:
        return QStringLiteral("2.50");
    case 2:
        return QStringLiteral("0.70");
    default:
        return QStringLiteral("1.00");
    }
}

QString PlotPartCaption(int kind) {
    switch (kind) {
    case 1:
        return QStringLiteral("рілля:");
    case 2:
        return QStringLiteral("багаторічні:");
    case 3:
        return QStringLiteral("сіножаті:");
    case 4:
        return QStringLiteral("пасовища:");
    default:
        return QString();
    }
}

void ComputePlot(Plot& plot, bool household) {
    plot.valuePerSqM.clear();
    plot.value.clear();
    if (household) {
        plot.totalValue.clear();
        plot.totalArea.clear();
        for (PlotPart& part : plot.parts)
            part.value.clear();
    }
    const std::optional<double> km2 = ParseNumber(plot.km2);
    const std::optional<double> km3 = ParseNumber(plot.km3);
    const std::optional<double> kf = ParseNumber(plot.kf);
    const std::optional<double> base = ParseNumber(plot.baseValue);
    const std::optional<double> area = ParseNumber(plot.area);
    if (!km2 || !km3 || !kf || !base || !area)
        return;

    std::vector<valuation::PlotPartInput> parts;
    if (household)
        for (const PlotPart& part : plot.parts)
            parts.push_back({part.code, part.valuePerHa, part.area});
    const valuation::PlotValues values =
        valuation::ComputePlotValues(*base, *km2, *kf, *km3, *area, household, parts);
    plot.valuePerSqM = values.valuePerSqM;
    plot.value = values.value;
    for (size_t i = 0; i < values.partValues.size(); ++i)
        plot.parts[i].value = values.partValues[i].value_or(QString());
    plot.totalValue = values.totalValue;
    plot.totalArea = values.totalArea;
}

void LookupDistrictCoefficients(Connection& project, Plot& plot) {
    plot.km2.clear();
    plot.km3.clear();
    if (plot.district.isEmpty())
        return;
    const valuation::DistrictCoefficients k =
        valuation::ReadDistrictCoefficients(project, plot.district);
    plot.km2 = k.km2;
    plot.km3 = k.km3;
}

void LookupSoilValue(Connection& project, int kind, PlotPart& part) {
    part.valuePerHa.clear();
    if (part.code.isEmpty())
        return;
    Query query(&project);
    if (RunQuery(query,
                 QStringLiteral("SELECT * FROM угіддя WHERE (шифр='") + QuoteSql(part.code) +
                     QStringLiteral("') AND (тип='") + QString::number(kind) +
                     QStringLiteral("') ORDER BY id"),
                 true) &&
        query.recordCount() > 0) {
        query.first();
        part.valuePerHa = query.text(QStringLiteral("вартість"));
    }
}

bool LoadPlots(Connection& project, PlotsData& data, QString* error) {
    std::vector<District> districts;
    if (!ReadDistricts(project, DistrictOrder::AsStored, districts, false, error))
        return false;
    data.districts.clear();
    for (const District& d : districts)
        data.districts << d.number;

    Query codes(&project);
    if (!RunQuery(codes, QStringLiteral("SELECT DISTINCT шифр FROM угіддя"), true))
        return FailReading(error, QStringLiteral("угіддя"));
    data.soilCodes.clear();
    QSet<QString> seen;
    for (codes.first(); !codes.eof(); codes.next()) {
        const QString code = codes.text(0);
        if (!code.isEmpty() && !seen.contains(code)) {
            seen.insert(code);
            data.soilCodes << code;
        }
    }
    data.averageValue = ReadIndicator(project, names::ind::AverageValue());

    for (int number = 1; number <= PlotCount; ++number) {
        Plot& plot = data.plot(number);
        const bool household = number == HouseholdPlot;
        if (!ReadPlotRows(project, number, plot, household))
            return FailReading(error, QStringLiteral("ділянки"));
        LookupDistrictCoefficients(project, plot);
        // Always the current average value, whatever was stored.
        plot.baseValue = data.averageValue;
        if (household)
            for (int kind = 1; kind <= PlotPartCount; ++kind)
                LookupSoilValue(project, kind, plot.parts[static_cast<size_t>(kind - 1)]);
        // The page opens valued with the current coefficients (when it can be valued).
        Plot valued = plot;
        ComputePlot(valued, household);
        if (valued.value.isEmpty())
            continue;
        if (valued.value != plot.value || valued.totalValue != plot.totalValue)
            data.changes << QStringLiteral("Ділянка №%1: вартість %2 → %3")
                                .arg(number)
                                .arg(plot.value.isEmpty() ? QStringLiteral("(порожньо)")
                                                          : plot.value,
                                     household ? valued.totalValue : valued.value);
        plot = valued;
    }
    return true;
}

bool StorePlots(Connection& project, const PlotsData& data, QString* error) {
    const std::vector<SqlRow> rows = PlotRows(data);
    return StoreInTransaction(
        &project,
        [&](QString* failed) {
            return ReplaceRows(project, QStringLiteral("ділянки"), {}, PlotColumns(),
                               static_cast<int>(rows.size()),
                               [&rows](int i) { return rows[static_cast<size_t>(i)]; }) ||
                   FailUpdating(failed);
        },
        error);
}

StepCheck CheckPlots(const PlotsData& data) {
    for (int n = 1; n <= PlotCount; ++n) {
        const Plot& plot = data.plot(n);
        const QString number = QString::number(n);
        const struct {
            const char* field;
            const QString& text;
            bool coefficient;
            const char* what;
        } fields[] = {
            {"EBazova", plot.baseValue, false, "Базова вартість"},
            {"EKf", plot.kf, true, "Кф"},
            {"EKm2", plot.km2, true, "Км2"},
            {"EKm3", plot.km3, true, "Км3"},
            {"ESq", plot.area, false, "Площа ділянки"},
        };
        for (const auto& f : fields) {
            const QString what = QString::fromUtf8(f.what);
            const QString text =
                f.coefficient ? rule::AboveZero(f.text, what) : rule::NotNegative(f.text, what);
            if (!text.isEmpty())
                return FieldIssue(QString::fromLatin1(f.field) + number, text);
        }
        if (n != HouseholdPlot)
            continue;
        for (int kind = 1; kind <= PlotPartCount; ++kind)
            if (const QString text = rule::NotNegative(
                    plot.parts[static_cast<size_t>(kind - 1)].area, QStringLiteral("Площа"));
                !text.isEmpty())
                return FieldIssue(QStringLiteral("EOsg%1Sq%2").arg(kind).arg(n), text);
    }
    return std::nullopt;
}

QString PlotsHint(const PlotsData& data) {
    const std::optional<double> average = ParseNumber(data.averageValue);
    if (!average || *average <= 0)
        return QStringLiteral("Спершу заповніть крок \"Середня вартість\": базова вартість "
                              "1 кв. м береться звідти.");
    if (data.districts.isEmpty())
        return QStringLiteral("Спершу задайте райони в кроці \"Визначення площ\", далі Км2 "
                              "(крок зонування) і Км3 (\"Локальні фактори\").");
    return QString();
}
