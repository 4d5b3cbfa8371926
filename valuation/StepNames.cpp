#include "valuation/StepNames.h"

namespace valuation {

const std::vector<Step>& Steps() {
    static const std::vector<Step> steps{
        Step::Info,           Step::Areas,        Step::Costs,      Step::Average,
        Step::ZonalWeighted,  Step::ZonalGrouped, Step::Functional, Step::Local,
        Step::LocalByQuarter, Step::Agricultural, Step::Plots,
    };
    return steps;
}

QString StepCaption(Step step) {
    switch (step) {
    case Step::Info:
        return QStringLiteral("Інформація");
    case Step::Areas:
        return QStringLiteral("Визначення площ");
    case Step::Costs:
        return QStringLiteral("Витрати на освоювання");
    case Step::Average:
        return QStringLiteral("Середня вартість");
    case Step::ZonalWeighted:
        return QStringLiteral("Земельно-оціночна структуризація середньо зважена");
    case Step::ZonalGrouped:
        return QStringLiteral("Земельно-оціночна структуризація Si,Ci,Ei,Ui");
    case Step::Functional:
        return QStringLiteral("Функціональне використання");
    case Step::Local:
        return QStringLiteral("Локальні фактори");
    case Step::LocalByQuarter:
        return QStringLiteral("Локальні фактори поквартально");
    case Step::Agricultural:
        return QStringLiteral("Вартість с/г земель");
    case Step::Plots:
        return QStringLiteral("Оцінка ділянок");
    }
    return QString();
}

const std::vector<Ownership>& Owners() {
    static const std::vector<Ownership> owners = [] {
        const auto s = [](const char* text) { return QString::fromUtf8(text); };
        std::vector<Ownership> o;
        o.push_back({Step::Info, {names::ind::Population()}, {s("показники")}});
        // The areas step measures the land: the total area is its field, filled from the
        // land statement; "Інформація" shows it and fills it only while it is empty.
        std::vector<QString> areas{names::ind::TotalArea(), names::ind::AssessedArea(),
                                   names::ind::DistrictCount(), names::ind::DistrictRows()};
        for (const QString& name : names::ind::LandAreas())
            areas.push_back(name);
        areas.push_back(names::ind::NotCountedRest());
        o.push_back({Step::Areas, areas, {}});
        o.push_back({Step::Costs,
                     {names::ind::DevelopmentCost(), names::ind::CostCoefficient()},
                     {s("витрати")}});
        o.push_back({Step::Average,
                     {names::ind::Km1(), names::ind::Km1Options(), names::ind::AverageValue()},
                     {}});
        // Both zonal structurings store into the same tables; the one used last owns them.
        o.push_back(
            {Step::ZonalWeighted,
             {names::ind::ZoneCount(), names::ind::Km2Min(), names::ind::Km2Max()},
             {s("експертні_фактори"), s("анкета"), names::table::Km2(), names::table::Zones()}});
        o.push_back({Step::ZonalGrouped, {}, {}});
        o.push_back({Step::Functional, {}, {names::table::Functional()}});
        o.push_back({Step::Local, {}, {s("локальні")}});
        o.push_back({Step::LocalByQuarter, {}, {s("відомість_кварталів")}});
        o.push_back({Step::Agricultural, {}, {s("угіддя")}});
        o.push_back({Step::Plots, {}, {s("ділянки")}});
        return o;
    }();
    return owners;
}

bool OwnerOf(const QString& name, Step* step) {
    for (const Ownership& o : Owners()) {
        for (const QString& n : o.indicators)
            if (n == name) {
                if (step)
                    *step = o.step;
                return true;
            }
        for (const QString& t : o.tables)
            if (t == name) {
                if (step)
                    *step = o.step;
                return true;
            }
    }
    return false;
}

} // namespace valuation
