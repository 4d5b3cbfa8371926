#include "tools/demo/DemoAgriculture.h"

#include "steps/agricultural/AgriculturalStep.h"
#include "steps/plots/PlotsStep.h"

#include <algorithm>

namespace {

struct DemoSoil {
    const char* code;
    const char* score;
    const char* area;
};

struct DemoKind {
    const char* baseValue;
    const char* averageScore;
    std::vector<DemoSoil> soils;
};

} // namespace

bool WriteDemoAgriculture(Connection& settlement, QString* error) {
    // The soils of the village's soil layer; values of 1 ha of a base farm of the region.
    const DemoKind kinds[SoilKindCount] = {
        {"32450.00",
         "48",
         {{"13г", "40", "12.6000"},
          {"41г", "47", "35.2000"},
          {"41д", "54", "18.4000"},
          {"45г", "61", "6.1000"}}},
        {"61200.00", "48", {{"41г", "47", "3.2000"}, {"41д", "54", "1.7500"}}},
        {"8900.00", "31", {{"45г", "35", "4.5000"}}},
        {"5240.00", "29", {{"13г", "27", "9.3000"}, {"41д", "33", "5.8000"}}},
    };
    AgriculturalData data;
    for (size_t k = 0; k < std::size(kinds); ++k) {
        SoilKindData& kind = data.kinds[k];
        kind.baseValue = QString::fromUtf8(kinds[k].baseValue);
        kind.averageScore = QString::fromUtf8(kinds[k].averageScore);
        ClearGrid(kind.grid, static_cast<int>(kinds[k].soils.size()));
        int row = kind.grid.fixedRows();
        for (const DemoSoil& soil : kinds[k].soils) {
            const QString code = QString::fromUtf8(soil.code);
            kind.grid.setRowTexts(row++, {code, QString::fromUtf8(soil.score),
                                          QString::fromUtf8(soil.area), QString()});
            if (!data.workingCodes.contains(code))
                data.workingCodes << code;
        }
        ComputeSoilValues(kind.grid, kind.baseValue, kind.averageScore);
    }
    return StoreAgricultural(settlement, data, error);
}

bool WriteDemoPlots(Connection& settlement, int districts, QString* error) {
    PlotsData data;
    if (!LoadPlots(settlement, data, error))
        return false;
    const int count = std::max(districts, 1);
    const struct {
        const char* name;
        int district;
        const char* area;
    } plots[PlotCount] = {{"Магазин «Колос», вул. Центральна, 12", 1, "0.0850"},
                          {"Школа, вул. Шкільна, 3", std::max(1, (count + 1) / 2), "1.2000"},
                          {"Садиба, вул. Садова, 41", count, "0.2500"}};
    for (int number = 1; number <= PlotCount; ++number) {
        Plot& plot = data.plot(number);
        plot = Plot{};
        plot.name = QString::fromUtf8(plots[number - 1].name);
        plot.district = QString::number(plots[number - 1].district);
        plot.kf = PresetKf(number);
        plot.area = QString::fromUtf8(plots[number - 1].area);
        plot.baseValue = data.averageValue;
        LookupDistrictCoefficients(settlement, plot);
    }
    Plot& house = data.plot(HouseholdPlot);
    house.parts[0].code = QStringLiteral("41г");
    house.parts[0].area = QStringLiteral("0.3500");
    house.parts[3].code = QStringLiteral("13г");
    house.parts[3].area = QStringLiteral("0.1500");
    for (int kind = 1; kind <= PlotPartCount; ++kind)
        LookupSoilValue(settlement, kind, house.parts[static_cast<size_t>(kind - 1)]);
    for (int number = 1; number <= PlotCount; ++number)
        ComputePlot(data.plot(number), number == HouseholdPlot);
    return StorePlots(settlement, data, error);
}
