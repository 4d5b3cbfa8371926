#pragma once

#include "valuation/Districts.h"
#include "valuation/Formulas.h"
#include "valuation/Indicators.h"
#include "valuation/LandUse.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class Connection;

namespace valuation {

/** Orders zone numbers by their integer value; a number that is not one goes last. */
bool ZoneNumberBefore(const QString& a, const QString& b);

/** A row of "км2": one district of the zonal structuring, as stored (texts). */
struct Km2Row {
    QString district, area, sum, mean, weighted, si, ei, ui, ci, ii, km2, value, zone;
    /** The row's rowid, where a recalculation writes. */
    long long rowId = 0;
};

/** An economic-planning zone: its "зони" row and the values of its first "км2" row. */
struct Zone {
    QString number;
    /** The district numbers of "райони" ("1, 2, 10"). */
    QStringList districts;
    QString description;
    /** Km2 and the value of 1 sq m as stored; empty when the zone has no "км2" row. */
    QString km2;
    QString value;
    /** Whether "км2" has a row of this zone. */
    bool hasKm2Row = false;
};

/** A cell of the project's "локальні": a factor's coefficient in a district. */
struct LocalCell {
    QString district;
    int factor = 0;
    QString coefficient;
};

/**
 * What the valuation reads of a settlement, read at once in a few queries: the indicators,
 * the districts, the zonal results, the local coefficients and the functional use. The
 * steps' own tables (costs, soils, plots, quarters) are read by the check, which needs them.
 */
struct Settlement {
    Indicators indicators;
    /** The districts by number, as many as "Кількість районів" says. */
    std::vector<District> districts;
    /** "км2" in id order. */
    std::vector<Km2Row> km2;
    /** The zones in the order of their numbers (as the reports list them). */
    std::vector<Zone> zones;
    /** "локальні" of the project in id order. */
    std::vector<LocalCell> local;
    /** A column k of "функціональне" whose area is given and not 0, with that area. */
    struct LandUseArea {
        int column = 0;
        /** Hectares, as stored. */
        QString area;
    };
    /** Per district: its land-use areas, in the order of the categories. */
    QHash<QString, std::vector<LandUseArea>> functional;
    /** Whether the settlement has the table "функціональне". */
    bool hasFunctional = false;

    /** An indicator's value ("" when missing). */
    QString indicator(const QString& name) const { return indicators.value(name); }
    /** Цнм as stored and as a number (0 when it is not one). */
    QString averageValueText() const;
    double averageValue() const;

    /** The zone of a number; null when there is none. */
    const Zone* zone(const QString& number) const;
    /** The zone whose district list names the district (the first such); null when none. */
    const Zone* zoneOfDistrict(const QString& district) const;

    /** The cells of a district's local factors, in stored order (through the index). */
    std::vector<const LocalCell*> localCells(const QString& district) const;
    /** The coefficients of a district's local factors, in stored order. */
    QStringList localCoefficients(const QString& district) const;
    /** The coefficient of one factor in a district ("" when none). */
    QString localCoefficient(const QString& district, int factor) const;
    /** Km3 of a district. */
    Km3 km3(const QString& district) const;

    /**
     * The land-use categories of a district that carry a Kf, in column order; land for
     * housing (Kf 1) when it has none.
     */
    std::vector<const LandUseCategory*> landUse(const QString& district) const;

    /**
     * The area (ha, as stored) of a district's land of a category as landUse() lists it: its
     * column of "функціональне", or the district's whole area for the land for housing it is
     * taken for without any; "" when unknown.
     */
    QString landUseArea(const QString& district, int column) const;

    /** The value of 1 sq m of a district's land of a category: zone value x Kf x Km3. */
    std::optional<double> valuePerSqM(const QString& district, double kf) const;

private:
    friend bool ReadSettlement(Connection& project, Settlement& settlement, QString* error);
    QHash<QString, int> m_zoneByNumber;
    QHash<QString, int> m_zoneByDistrict;
    QHash<QString, std::vector<int>> m_localByDistrict;
    QHash<QString, int> m_districtByNumber;
};

/** A district's coefficients as a single plot takes them: both "0.00". */
struct DistrictCoefficients {
    /** Km2 of the district's first "км2" row; 1 when it has none or it is not a number. */
    QString km2;
    /** Km3 of its local coefficients; 1 without any. */
    QString km3;
};

/** Reads one district's coefficients (two small queries); both "1.00" when a read fails. */
DistrictCoefficients ReadDistrictCoefficients(Connection& project, const QString& district);

/**
 * Reads the settlement's shared data into `settlement`. A table a new settlement does not
 * have yet is read as empty. False with the reason in `error` when a read fails.
 */
bool ReadSettlement(Connection& project, Settlement& settlement, QString* error = nullptr);

/**
 * The cells of the project's "локальні" in stored order (none without the table); false with
 * the reason in `error`.
 */
bool ReadLocalCells(Connection& project, std::vector<LocalCell>& cells, QString* error = nullptr);

} // namespace valuation
