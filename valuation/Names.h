#pragma once

#include <QString>
#include <QStringList>

/**
 * The names a settlement's files and database share, written once: the standard map layers
 * and their fields, the tables and columns several parts read, and the indicators of
 * "характеристика". Stored files rely on them, so they never change.
 */
namespace names {

/** The standard map layers (table files "<name>.tab" of the settlement's folder). */
namespace layer {
inline QString Boundary() {
    return QStringLiteral("межі");
}
inline QString Districts() {
    return QStringLiteral("райони");
}
inline QString Zones() {
    return QStringLiteral("зони");
}
inline QString Functional() {
    return QStringLiteral("функціональне");
}
inline QString Soils() {
    return QStringLiteral("грунти");
}
} // namespace layer

/** Fields of the standard layers. */
namespace field {
/** The district number ("райони") */
inline QString Raion() {
    return QStringLiteral("Raion");
}
/** The zone number ("райони", "зони") */
inline QString Zona() {
    return QStringLiteral("Zona");
}
/** A district's Km3 ("райони") */
inline QString Km3Mean() {
    return QStringLiteral("Km3_sr");
}
/** A zone's value of 1 sq m ("зони") */
inline QString Price() {
    return QStringLiteral("Cena_1m2");
}
/** A zone's Km2 ("зони") */
inline QString Km2() {
    return QStringLiteral("Km2");
}
/** The code of a region: its land use ("функціональне"), its agrogroup ("грунти") */
inline QString Code() {
    return QStringLiteral("Code");
}
/** A local factor's coefficient ("лок…") */
inline QString Km3() {
    return QStringLiteral("Km3");
}
} // namespace field

/** Tables of the settlement's database. */
namespace table {
inline QString Indicators() {
    return QStringLiteral("характеристика");
}
inline QString Zones() {
    return QStringLiteral("зони");
}
inline QString Km2() {
    return QStringLiteral("км2");
}
inline QString Functional() {
    return QStringLiteral("функціональне");
}
} // namespace table

/** Columns of the table "зони". */
namespace column {
inline QString Zone() {
    return QStringLiteral("зона");
}
inline QString ZoneDistricts() {
    return QStringLiteral("райони");
}
inline QString Description() {
    return QStringLiteral("опис");
}
} // namespace column

/** Indicators of "характеристика" (the value of the row whose "показник" is the name). */
namespace ind {
inline QString TotalArea() {
    return QStringLiteral("Загальна площа населеного пункту");
}
inline QString Population() {
    return QStringLiteral("Чисельність населення (тис. чол.)");
}
inline QString AssessedArea() {
    return QStringLiteral("Оціночна територія");
}
inline QString DistrictCount() {
    return QStringLiteral("Кількість районів");
}
/** The name every district's row carries ("код" the number, "значення" the area). */
inline QString DistrictRows() {
    return QStringLiteral("Площі районів");
}
/** В, the development cost per sq m */
inline QString DevelopmentCost() {
    return QStringLiteral("Витрати на освоювання");
}
inline QString CostCoefficient() {
    return QStringLiteral("Коефіціент для відновленої вартості");
}
inline QString Km1() {
    return QStringLiteral("Км1");
}
inline QString Km1Options() {
    return QStringLiteral("Км1, добуток");
}
/** Цнм, the average value of 1 sq m */
inline QString AverageValue() {
    return QStringLiteral("Середня вартість 1 кв м");
}
inline QString ZoneCount() {
    return QStringLiteral("Кількість зон");
}
inline QString Km2Min() {
    return QStringLiteral("Км2, мінімальний");
}
inline QString Km2Max() {
    return QStringLiteral("Км2, максимальний");
}

/** The land structure: the areas (ha) of the kinds of land the areas step stores. */
inline QString BuiltUp() {
    return QStringLiteral("Забудована територія");
}
inline QString BuiltUpHousing() {
    return QStringLiteral("Забудована територія, під житловою забудовою");
}
inline QString BuiltUpIndustry() {
    return QStringLiteral("Забудована територія, землі промисловості");
}
inline QString BuiltUpCommercial() {
    return QStringLiteral("Забудована територія, землі комерційні");
}
inline QString BuiltUpPublic() {
    return QStringLiteral("Забудована територія, землі громадського призначення");
}
inline QString BuiltUpTransport() {
    return QStringLiteral("Забудована територія, землі транспорту і зв'язку");
}
inline QString BuiltUpInfrastructure() {
    return QStringLiteral("Забудована територія, землі технічної інфраструктури");
}
inline QString BuiltUpMixed() {
    return QStringLiteral("Забудована територія, землі змішаного використання");
}
inline QString BuiltUpRecreation() {
    return QStringLiteral("Забудована територія, землі для відпочинку");
}
inline QString HouseholdPlots() {
    return QStringLiteral("Присадібні ділянки для осг");
}
inline QString OtherLand() {
    return QStringLiteral("Інші землі");
}
inline QString NotCounted() {
    return QStringLiteral("Територія, що не враховується");
}
inline QString NotCountedFarmland() {
    return QStringLiteral("Територія, що не враховується, с/г");
}
inline QString NotCountedForest() {
    return QStringLiteral("Територія, що не враховується, ліси");
}
inline QString NotCountedOpen() {
    return QStringLiteral("Територія, що не враховується, відкриті землі");
}
inline QString NotCountedWater() {
    return QStringLiteral("Територія, що не враховується, вода");
}
inline QString NotCountedRailway() {
    return QStringLiteral("Територія, що не враховується, смуга залізниці");
}
inline QString NotCountedAirport() {
    return QStringLiteral("Територія, що не враховується, аеропорт");
}
inline QString NotCountedStreets() {
    return QStringLiteral("Територія, що не враховується, вулиці");
}
/**
 * The part of the territory not counted that the land statement adds without a line of its
 * own (its column BL), kept so that the total still follows from its parts.
 */
inline QString NotCountedRest() {
    return QStringLiteral("Територія, що не враховується, інша");
}
/** The land structure's areas above, in the order the areas step lists them. */
inline QStringList LandAreas() {
    return {BuiltUp(),
            BuiltUpHousing(),
            BuiltUpIndustry(),
            BuiltUpCommercial(),
            BuiltUpPublic(),
            BuiltUpTransport(),
            BuiltUpInfrastructure(),
            BuiltUpMixed(),
            BuiltUpRecreation(),
            HouseholdPlots(),
            OtherLand(),
            NotCounted(),
            NotCountedFarmland(),
            NotCountedForest(),
            NotCountedOpen(),
            NotCountedWater(),
            NotCountedRailway(),
            NotCountedAirport(),
            NotCountedStreets()};
}
} // namespace ind

} // namespace names
