// The check of "Ділянки": the three plots and the household plot's parts.
#include "valuation/CheckRun.h"

#include "common/TextUtils.h"
#include "valuation/Recompute.h"

namespace valuation::check {

namespace {

/** Km2 of a plot's district: its first "км2" row (as recomputed); 1 without one. */
QString PlotKm2(const CheckRun& run, const QString& district) {
    const auto it = run.km2OfDistrict.constFind(district);
    if (it != run.km2OfDistrict.cend())
        return FormatFixed(ParseNumber(*it).value_or(1.0), 2);
    for (const Km2Row& r : run.s.km2)
        if (r.district == district)
            return FormatFixed(ParseNumber(r.km2).value_or(1.0), 2);
    return FormatFixed(1.0, 2);
}

void CheckPlot(CheckRun& run, const TableRows& t, int number, const std::vector<size_t>& rows,
               bool household) {
    const QString table = QStringLiteral("ділянки");
    const size_t main = household ? rows[1] : rows[0];
    const QStringList& r = t.rows[main];
    const QString what = QStringLiteral("ділянка ") + QString::number(number);
    if (run.average.isEmpty())
        return;
    run.cell(Step::Plots, table, t.ids[main], QStringLiteral("базова"), what, r[5], run.average);
    const QString district = r[3];
    if (district.isEmpty())
        return;
    const QString km2 = PlotKm2(run, district);
    const QString km3 = FormatFixed(run.s.km3(district).product, 2);
    const std::optional<double> kf = ParseNumber(r[2]);
    const std::optional<double> area = ParseNumber(r[4]);
    if (!kf || !area)
        return;
    // The parts of the household plot at their soil's value of 1 ha as recomputed.
    std::vector<PlotPartInput> parts;
    if (household)
        for (size_t j = 2; j < rows.size(); ++j) {
            const QStringList& part = t.rows[rows[j]];
            parts.push_back(
                {part[8], run.soilValue.value(part[1] + u'\t' + part[8], part[5]), part[4]});
        }
    const PlotValues values = ComputePlotValues(NumberOr0(run.average), NumberOr0(km2), *kf,
                                                NumberOr0(km3), *area, household, parts);
    if (values.valuePerSqM.isEmpty())
        return;
    run.cell(Step::Plots, table, t.ids[main], QStringLiteral("розрахункова"), what, r[6],
             values.valuePerSqM);
    run.cell(Step::Plots, table, t.ids[main], QStringLiteral("загальна"), what, r[7], values.value);
    if (!household || values.value.isEmpty())
        return;
    for (size_t j = 2; j < rows.size(); ++j) {
        const QStringList& part = t.rows[rows[j]];
        const QString partWhat = what + QStringLiteral(", частина № ") + part[1];
        if (!part[8].isEmpty())
            run.cell(Step::Plots, table, t.ids[rows[j]], QStringLiteral("базова"), partWhat,
                     part[5], parts[j - 2].valuePerHa);
        if (const std::optional<QString>& value = values.partValues[j - 2])
            run.cell(Step::Plots, table, t.ids[rows[j]], QStringLiteral("загальна"), partWhat,
                     part[7], *value);
    }
    const QStringList& summary = t.rows[rows[0]];
    const QString totals = what + QStringLiteral(", разом");
    run.cell(Step::Plots, table, t.ids[rows[0]], QStringLiteral("площа"), totals, summary[4],
             values.totalArea);
    run.cell(Step::Plots, table, t.ids[rows[0]], QStringLiteral("загальна"), totals, summary[7],
             values.totalValue);
}

} // namespace

bool Plots(CheckRun& run, QString* error) {
    const QString table = QStringLiteral("ділянки");
    TableRows t;
    if (!ReadTableRows(run.db, table,
                       {QStringLiteral("номер"), QStringLiteral("назва"), QStringLiteral("функц"),
                        QStringLiteral("район"), QStringLiteral("площа"), QStringLiteral("базова"),
                        QStringLiteral("розрахункова"), QStringLiteral("загальна"),
                        QStringLiteral("шифр")},
                       QStringLiteral("id"), t))
        return run.fail(error, table);
    for (int number = 1; number <= 3; ++number) {
        std::vector<size_t> rows;
        for (size_t i = 0; i < t.rows.size(); ++i)
            if (t.rows[i][0] == QString::number(number))
                rows.push_back(i);
        if (rows.empty())
            continue;
        const bool household = number == 3;
        if (household && rows.size() < 2)
            continue;
        CheckPlot(run, t, number, rows, household);
    }
    return true;
}

} // namespace valuation::check
