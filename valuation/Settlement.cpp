#include "valuation/Settlement.h"

#include "common/LastError.h"
#include "common/TextUtils.h"
#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "db/Utf8Rows.h"
#include "valuation/Names.h"
#include "valuation/StepNames.h"
#include "valuation/TableRows.h"

#include <QSet>
#include <algorithm>

namespace valuation {

namespace {

bool ReadKm2(Connection& project, std::vector<Km2Row>& rows, QString* error) {
    TableRows t;
    if (!ReadTableRows(project, names::table::Km2(),
                       {QStringLiteral("район"), QStringLiteral("площа"), QStringLiteral("сума"),
                        QStringLiteral("середній"), QStringLiteral("середньозваж"),
                        QStringLiteral("si"), QStringLiteral("ei"), QStringLiteral("ui"),
                        QStringLiteral("ci"), QStringLiteral("іі"), QStringLiteral("км2"),
                        QStringLiteral("вартість"), QStringLiteral("зона")},
                       QStringLiteral("id"), t, error))
        return false;
    rows.reserve(t.rows.size());
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const QStringList& r = t.rows[i];
        rows.push_back({r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7], r[8], r[9], r[10], r[11],
                        r[12], t.ids[i]});
    }
    return true;
}

bool ReadZones(Connection& project, const std::vector<District>& existing,
               const std::vector<Km2Row>& km2, std::vector<Zone>& zones) {
    Query q(&project);
    if (!RunQuery(q, QStringLiteral("SELECT * FROM зони ORDER BY id"), true))
        return false;
    // A zone's values: its "км2" row of the smallest district number, of the districts that
    // exist (a row left over from a former district is never the zone's value).
    QSet<QString> known;
    for (const District& d : existing)
        known.insert(d.number.trimmed());
    QHash<QString, const Km2Row*> first;
    for (const Km2Row& row : km2) {
        if (!known.contains(row.district.trimmed()))
            continue;
        const Km2Row*& f = first[row.zone];
        if (!f || IntegerOr0(row.district) < IntegerOr0(f->district))
            f = &row;
    }
    const int zone = q.fieldIndex(names::column::Zone());
    const int districts = q.fieldIndex(names::column::ZoneDistricts());
    const int description = q.fieldIndex(names::column::Description());
    QHash<QString, bool> seen;
    for (q.first(); !q.eof(); q.next()) {
        Zone z;
        z.number = q.text(zone).trimmed();
        if (z.number.isEmpty() || seen.contains(z.number))
            continue;
        seen.insert(z.number, true);
        z.districts = SplitDistrictList(q.text(districts));
        z.description = q.text(description);
        if (const Km2Row* row = first.value(z.number)) {
            z.hasKm2Row = true;
            z.km2 = row->km2;
            z.value = row->value;
        }
        zones.push_back(std::move(z));
    }
    std::stable_sort(zones.begin(), zones.end(), [](const Zone& a, const Zone& b) {
        return ZoneNumberBefore(a.number, b.number);
    });
    return true;
}

bool ReadFunctional(Connection& project, Settlement& s) {
    s.hasFunctional = TableExists(project, names::table::Functional());
    if (!s.hasFunctional)
        return true;
    Query q(&project);
    if (!RunQuery(q, QStringLiteral("SELECT * FROM функціональне ORDER BY cint(район)"), true))
        return false;
    const int district = q.fieldIndex(QStringLiteral("район"));
    std::vector<std::pair<int, int>> columns; // field index, column k
    for (const LandUseCategory& c : LandUseCategories())
        if (const int field = q.fieldIndex(QStringLiteral("ф_%1").arg(c.column)); field >= 0)
            columns.emplace_back(field, c.column);
    for (q.first(); !q.eof(); q.next()) {
        auto& list = s.functional[q.text(district).trimmed()];
        for (const auto& [field, column] : columns) {
            const QString area = q.text(field).trimmed();
            // An area typed as 0 means the district has no such land.
            if (!area.isEmpty() && !(ParseNumber(area) == std::optional<double>(0.0)))
                list.push_back({column, area});
        }
    }
    return true;
}

} // namespace

bool ZoneNumberBefore(const QString& a, const QString& b) {
    const auto na = ParseInteger(a), nb = ParseInteger(b);
    if (na && nb)
        return *na < *nb;
    if (na || nb)
        return bool(na);
    return a < b;
}

QString Settlement::averageValueText() const {
    return indicator(names::ind::AverageValue());
}

double Settlement::averageValue() const {
    return NumberOr0(averageValueText());
}

const Zone* Settlement::zone(const QString& number) const {
    const auto it = m_zoneByNumber.constFind(number.trimmed());
    return it == m_zoneByNumber.cend() ? nullptr : &zones[static_cast<size_t>(*it)];
}

const Zone* Settlement::zoneOfDistrict(const QString& district) const {
    const auto it = m_zoneByDistrict.constFind(district.trimmed());
    return it == m_zoneByDistrict.cend() ? nullptr : &zones[static_cast<size_t>(*it)];
}

std::vector<const LocalCell*> Settlement::localCells(const QString& district) const {
    std::vector<const LocalCell*> cells;
    for (const int i : m_localByDistrict.value(district.trimmed()))
        cells.push_back(&local[static_cast<size_t>(i)]);
    return cells;
}

QStringList Settlement::localCoefficients(const QString& district) const {
    QStringList list;
    for (const int i : m_localByDistrict.value(district.trimmed()))
        list << local[static_cast<size_t>(i)].coefficient;
    return list;
}

QString Settlement::localCoefficient(const QString& district, int factor) const {
    QString found;
    for (const int i : m_localByDistrict.value(district.trimmed()))
        if (local[static_cast<size_t>(i)].factor == factor)
            found = local[static_cast<size_t>(i)].coefficient;
    return found;
}

Km3 Settlement::km3(const QString& district) const {
    return Km3Of(localCoefficients(district));
}

std::vector<const LandUseCategory*> Settlement::landUse(const QString& district) const {
    std::vector<const LandUseCategory*> list;
    if (const auto it = functional.constFind(district.trimmed()); it != functional.cend())
        for (const LandUseArea& area : *it)
            for (const LandUseCategory& c : LandUseCategories())
                if (c.column == area.column)
                    list.push_back(&c);
    if (list.empty())
        list.push_back(&ResidentialLandUse());
    return list;
}

QString Settlement::landUseArea(const QString& district, int column) const {
    const QString d = district.trimmed();
    if (const auto it = functional.constFind(d); it != functional.cend() && !it->empty()) {
        for (const LandUseArea& area : *it)
            if (area.column == column)
                return area.area;
        return QString();
    }
    if (column != ResidentialLandUse().column)
        return QString();
    const auto it = m_districtByNumber.constFind(d);
    return it == m_districtByNumber.cend() ? QString() : districts[static_cast<size_t>(*it)].area;
}

std::optional<double> Settlement::valuePerSqM(const QString& district, double kf) const {
    const Zone* z = zoneOfDistrict(district);
    if (!z || !z->hasKm2Row)
        return std::nullopt;
    const std::optional<double> value = ParseNumber(z->value);
    if (!value)
        return std::nullopt;
    return ValuePerSqM(*value, kf, km3(district).product);
}

DistrictCoefficients ReadDistrictCoefficients(Connection& project, const QString& district) {
    const QString where = QStringLiteral(" WHERE район='") + QuoteSql(district) + u'\'';
    double km2 = 1;
    Query query(&project);
    if (RunQuery(query,
                 QStringLiteral("SELECT км2 FROM км2") + where + QStringLiteral(" ORDER BY id"),
                 true) &&
        query.recordCount() > 0) {
        query.first();
        km2 = ParseNumber(query.text(0)).value_or(1.0);
    }
    QStringList coefficients;
    if (RunQuery(query, QStringLiteral("SELECT коефіціент FROM локальні") + where, true))
        for (query.first(); !query.eof(); query.next())
            coefficients << query.text(0);
    return {Fixed(km2, 2), Fixed(Km3Of(coefficients).product, 2)};
}

bool ReadLocalCells(Connection& project, std::vector<LocalCell>& cells, QString* error) {
    cells.clear();
    if (!TableExists(project, QStringLiteral("локальні")))
        return true;
    // Tens of thousands of cells of a few distinct texts: each text made once; a factor
    // number is read once per distinct text.
    ShortTextCache texts;
    QHash<QString, int> factorOf;
    if (!ReadUtf8Rows(
            project, QStringLiteral("SELECT район, фактор, коефіціент FROM локальні ORDER BY id"),
            [&](const Utf8Row& row) {
                const QString factor = texts.text(row.at(1));
                auto number = factorOf.constFind(factor);
                if (number == factorOf.cend())
                    number = factorOf.insert(factor, static_cast<int>(IntegerOr0(factor)));
                cells.push_back({texts.text(row.at(0)).trimmed(), *number, texts.text(row.at(2))});
            }))
        return FailReading(error, QStringLiteral("локальні"));
    return true;
}

bool ReadSettlement(Connection& project, Settlement& s, QString* error) {
    s = Settlement{};
    if (!s.indicators.read(project, error) ||
        !ReadDistricts(project, DistrictOrder::ByNumber, s.districts, true, error) ||
        !ReadKm2(project, s.km2, error))
        return false;
    if (!ReadZones(project, s.districts, s.km2, s.zones))
        return FailReading(error, names::table::Zones());
    if (!ReadLocalCells(project, s.local, error))
        return false;
    if (!ReadFunctional(project, s))
        return FailReading(error, names::table::Functional());
    for (int i = 0; i < static_cast<int>(s.zones.size()); ++i) {
        const Zone& z = s.zones[static_cast<size_t>(i)];
        s.m_zoneByNumber.insert(z.number, i);
        for (const QString& d : z.districts)
            if (!s.m_zoneByDistrict.contains(d))
                s.m_zoneByDistrict.insert(d, i);
    }
    for (int i = 0; i < static_cast<int>(s.local.size()); ++i)
        s.m_localByDistrict[s.local[static_cast<size_t>(i)].district].push_back(i);
    for (int i = 0; i < static_cast<int>(s.districts.size()); ++i)
        s.m_districtByNumber.insert(s.districts[static_cast<size_t>(i)].number.trimmed(), i);
    return true;
}

} // namespace valuation
