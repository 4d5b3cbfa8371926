#include "valuation/Check.h"

#include "common/LastError.h"
#include "common/Names.h"
#include "common/TextUtils.h"
#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "db/Transaction.h"
#include "db/Utf8Rows.h"
#include "valuation/Formulas.h"
#include "valuation/IndexationLines.h"
#include "valuation/Km1Tables.h"
#include "valuation/LandStructure.h"
#include "valuation/Settlement.h"
#include "valuation/TableRows.h"
#include "valuation/Typed.h"
#include "valuation/ZonalKm2.h"
#include "valuation/ZonalScores.h"

#include <QHash>
#include <QSet>
#include <array>
#include <cmath>
#include <map>
#include <memory>

namespace valuation {

namespace {

using Table = TableRows;

bool ReadTable(Connection& db, const QString& table, const QStringList& columns,
               const QString& order, Table& out) {
    return ReadTableRows(db, table, columns, order, out);
}

class Checker {
public:
    Checker(Connection& db, CheckResult& r) : m_db(db), m_r(r) {}

    bool run(QString* error) {
        if (!ReadSettlement(m_db, m_s, error))
            return false;
        if (!m_typed.read(m_db))
            return fail(error, TypedTable());
        CheckLandSums(m_s, m_typed, m_r);
        return info(error) && areas() && costs(error) && average() && zonal(error) && local() &&
               quarters(error) && soils(error) && plots(error);
    }

private:
    bool fail(QString* error, const QString& table) {
        if (error)
            *error = QStringLiteral("Вибірка із бази \"") + table +
                     QStringLiteral("\"\rПодробиці: ") + LastError();
        return false;
    }

    void indicator(Step step, const QString& name, const QString& computed) {
        const QString stored = m_s.indicator(name);
        if (SameValue(stored, computed))
            return;
        StaleValue v;
        v.step = step;
        v.what = QStringLiteral("показник ") + Quoted(name);
        v.stored = stored;
        v.computed = computed;
        v.indicator = name;
        m_r.stale.push_back(std::move(v));
    }

    void cell(Step step, const QString& table, long long rowId, const QString& column,
              const QString& what, const QString& stored, const QString& computed) {
        if (SameValue(stored, computed))
            return;
        StaleValue v;
        v.step = step;
        v.what = table + QStringLiteral(", ") + what + QStringLiteral(": ") + column;
        v.stored = stored;
        v.computed = computed;
        v.table = table;
        v.rowId = rowId;
        v.column = column;
        m_r.stale.push_back(std::move(v));
    }

    bool typedIndicator(const QString& name) const {
        return m_typed.isTyped(names::table::Indicators(), name, QStringLiteral("значення"),
                               m_s.indicator(name));
    }

    /** Records a typed value with what the model computes in its place now. */
    void typedValue(Step step, const QString& what, const QString& table, const QString& key,
                    const QString& field, const QString& computed, const QString& inputs) {
        const TypedMark* mark = m_typed.mark(table, key, field);
        if (!mark)
            return;
        TypedValue t;
        t.step = step;
        t.what = what;
        t.value = mark->value;
        t.computedThen = mark->computed;
        t.inputsThen = mark->inputs;
        t.computedNow = computed;
        t.inputsNow = inputs;
        t.changed = !mark->computed.isEmpty() && !SameValue(mark->computed, computed);
        m_r.typed.push_back(std::move(t));
    }

    // "Інформація" copies the population of its list into the indicator the steps read.
    bool info(QString* error) {
        Table t;
        if (!ReadTable(m_db, QStringLiteral("показники"),
                       {QStringLiteral("показник"), QStringLiteral("значення")},
                       QStringLiteral("id"), t))
            return fail(error, QStringLiteral("показники"));
        m_population = m_s.indicator(names::ind::Population());
        for (const QStringList& row : t.rows)
            if (row[0] == QStringLiteral("Чисельність населення, тис. чол.")) {
                if (!row[1].trimmed().isEmpty()) {
                    m_population = row[1];
                    indicator(Step::Info, names::ind::Population(), row[1]);
                }
                break;
            }
        return true;
    }

    // The assessed territory from the land structure. A value the step stored without a
    // mark and unlike the computed one was typed before marks were kept: the valuer's.
    bool areas() {
        const QString name = names::ind::AssessedArea();
        const QString built = m_s.indicator(names::ind::BuiltUp());
        const QString households = m_s.indicator(names::ind::HouseholdPlots());
        const QString other = m_s.indicator(names::ind::OtherLand());
        const QString computed =
            AssessedTerritory(m_s.indicator(names::ind::TotalArea()), built, households, other);
        const QString stored = m_s.indicator(name);
        if (computed.isEmpty() || stored.isEmpty() || SameValue(stored, computed))
            return true;
        const QString what = QStringLiteral("показник ") + Quoted(name);
        const QString inputs = AssessedTerritoryInputs(built, households, other);
        if (typedIndicator(name)) {
            typedValue(Step::Areas, what, names::table::Indicators(), name,
                       QStringLiteral("значення"), computed, inputs);
        } else {
            TypedValue t;
            t.step = Step::Areas;
            t.what = what;
            t.value = stored;
            t.computedNow = computed;
            t.inputsNow = inputs;
            m_r.typed.push_back(std::move(t));
        }
        return true;
    }

    // В: each item's restored cost (from its initial cost unless typed) and total, then the
    // cost per sq m of the assessed territory.
    bool costs(QString* error) {
        Table t;
        const QString table = QStringLiteral("витрати");
        if (!ReadTable(m_db, table,
                       {QStringLiteral("первісна"), QStringLiteral("відновлена"),
                        QStringLiteral("кількість"), QStringLiteral("всього"),
                        QStringLiteral("назва")},
                       QStringLiteral("id"), t))
            return fail(error, table);
        m_developmentCost = m_s.indicator(names::ind::DevelopmentCost());
        if (t.rows.empty())
            return true;
        const double k = IndexationLineFactor(m_s.indicator(names::ind::CostCoefficient()));
        double total = 0;
        for (size_t i = 0; i < t.rows.size(); ++i) {
            const QStringList& row = t.rows[i];
            const QString key = QString::number(i + 1);
            const QString what =
                QStringLiteral("рядок ") + key + QStringLiteral(" (") + row[4] + u')';
            QString restored = row[1];
            const std::optional<double> initial = ParseNumber(row[0]);
            if (initial && !m_typed.isTyped(table, key, QStringLiteral("відновлена"), row[1])) {
                restored = FormatFixed(RestoredCost(*initial, k), 4);
                cell(Step::Costs, table, t.ids[i], QStringLiteral("відновлена"), what, row[1],
                     restored);
            } else if (initial) {
                typedValue(Step::Costs,
                           table + QStringLiteral(", ") + what + QStringLiteral(": відновлена"),
                           table, key, QStringLiteral("відновлена"),
                           FormatFixed(RestoredCost(*initial, k), 4),
                           RestoredCostInputs(row[0], k));
            }
            const QString itemTotal = CostItemTotal(row[2], restored);
            cell(Step::Costs, table, t.ids[i], QStringLiteral("всього"), what, row[3], itemTotal);
            total += NumberOr0(itemTotal);
        }
        const QString computed = DevelopmentCost(total, m_s.indicator(names::ind::AssessedArea()));
        if (!computed.isEmpty()) {
            m_developmentCost = computed;
            indicator(Step::Costs, names::ind::DevelopmentCost(), computed);
        }
        return true;
    }

    // Км1 is the product of the chosen options; one typed instead is the valuer's (a note,
    // a finding once the options it was typed over change).
    void km1() {
        const QString name = names::ind::Km1();
        const QString options = m_s.indicator(names::ind::Km1Options());
        const QString stored = m_s.indicator(name);
        if (options.trimmed().isEmpty() || stored.isEmpty())
            return;
        const QString computed = Km1Text(ParseKm1Options(options));
        if (SameValue(stored, computed))
            return;
        const QString what = QStringLiteral("показник ") + Quoted(name);
        const QString inputs = QStringLiteral("варіанти ") + options;
        if (typedIndicator(name)) {
            typedValue(Step::Average, what, names::table::Indicators(), name,
                       QStringLiteral("значення"), computed, inputs);
            return;
        }
        TypedValue t;
        t.step = Step::Average;
        t.what = what;
        t.value = stored;
        t.computedNow = computed;
        t.inputsNow = inputs;
        m_r.typed.push_back(std::move(t));
    }

    // Цнм = В x 2 x Км1, unless the valuer typed it.
    bool average() {
        km1();
        m_average = m_s.averageValueText();
        const QString km1 = m_s.indicator(names::ind::Km1());
        const QString computed = AverageValue(m_developmentCost, km1);
        if (typedIndicator(names::ind::AverageValue())) {
            typedValue(
                Step::Average, QStringLiteral("показник ") + Quoted(names::ind::AverageValue()),
                names::table::Indicators(), names::ind::AverageValue(), QStringLiteral("значення"),
                computed, AverageValueInputs(m_developmentCost, km1));
            return true;
        }
        if (!computed.isEmpty()) {
            m_average = computed;
            indicator(Step::Average, names::ind::AverageValue(), computed);
        }
        return true;
    }

    bool zonal(QString* error) {
        if (m_s.districts.empty() || m_s.km2.empty())
            return true;
        bool grouped = false;
        for (const Km2Row& r : m_s.km2)
            grouped = grouped || !(r.si + r.ei + r.ui + r.ci).isEmpty();
        const ZonalVariant variant = StoredZonalVariant(grouped);
        const Step step = grouped ? Step::ZonalGrouped : Step::ZonalWeighted;
        const ResultColumns cols = ResultColumnsOf(variant);

        StringGrid anketa;
        QStringList factors;
        if (!ReadAnketaGrid(m_db, m_s.districts, anketa, &factors))
            return fail(error, QStringLiteral("анкета"));
        StringGrid result = MakeResultGrid(variant, m_s.districts);
        QHash<QString, int> rowOf;
        for (int row = result.fixedRows(); row < result.rowCount(); ++row)
            rowOf.insert(result.at(row, 0), row);
        if (!factors.isEmpty())
            ComputeIndices(variant, anketa, result);
        // The stored zone of each district (its first row); without a questionnaire the
        // stored indices are the inputs of Km2.
        QHash<QString, int> storedRow;
        for (int i = 0; i < static_cast<int>(m_s.km2.size()); ++i) {
            const Km2Row& r = m_s.km2[static_cast<size_t>(i)];
            const auto it = rowOf.constFind(r.district);
            if (it == rowOf.cend() || storedRow.contains(r.district))
                continue;
            storedRow.insert(r.district, i);
            result.set(*it, cols.zone, r.zone);
            if (factors.isEmpty())
                result.set(*it, cols.ii, r.ii);
        }
        const Km2Outcome outcome = ComputeKm2(result, cols, m_population, m_average);
        rowsWithoutDistrict(step, rowOf, storedRow);

        const QString table = names::table::Km2();
        for (const District& d : m_s.districts) {
            const auto it = storedRow.constFind(d.number);
            if (it == storedRow.cend())
                continue;
            const Km2Row& r = m_s.km2[static_cast<size_t>(it.value())];
            const long long id = r.rowId;
            const int row = rowOf.value(it.key());
            const QString what = QStringLiteral("район ") + it.key();
            const auto compare = [&](const char* column, const QString& stored, int col) {
                cell(step, table, id, QString::fromUtf8(column), what, stored, result.at(row, col));
            };
            compare("площа", r.area, 1);
            if (!factors.isEmpty()) {
                if (grouped) {
                    compare("si", r.si, 5);
                    compare("ei", r.ei, 10);
                    compare("ui", r.ui, 15);
                    compare("ci", r.ci, 20);
                } else {
                    compare("сума", r.sum, 2);
                    compare("середній", r.mean, 3);
                    compare("середньозваж", r.weighted, 4);
                }
                compare("іі", r.ii, cols.ii);
            }
            compare("км2", r.km2, cols.km2);
            compare("вартість", r.value, cols.value);
            m_km2OfDistrict.insert(it.key(), result.at(row, cols.km2));
        }
        // Districts stored again further down keep their first row's values for the plots.

        // The zone list, rebuilt from the zones the districts name (descriptions kept).
        StringGrid zones = MakeZoneGrid(static_cast<int>(m_s.zones.size()));
        Table zoneRows;
        if (!ReadTable(m_db, names::table::Zones(),
                       {names::column::Zone(), names::column::ZoneDistricts(),
                        names::column::Description()},
                       QStringLiteral("id"), zoneRows))
            return fail(error, names::table::Zones());
        zones = MakeZoneGrid(static_cast<int>(zoneRows.rows.size()));
        for (size_t i = 0; i < zoneRows.rows.size(); ++i)
            zones.setRowTexts(1 + static_cast<int>(i), zoneRows.rows[i]);
        const int used = RebuildZoneList(result, cols, zones);
        if (used == 0)
            return true;
        indicator(step, names::ind::ZoneCount(), QString::number(used));
        indicator(step, names::ind::Km2Min(), outcome.minimum);
        indicator(step, names::ind::Km2Max(), outcome.maximum);
        QStringList storedList, computedList;
        std::vector<QStringList> rebuilt;
        for (const QStringList& row : zoneRows.rows)
            if (!row[0].isEmpty())
                storedList << row[0] + QStringLiteral(": ") + row[1];
        for (int row = zones.fixedRows(); row < zones.rowCount(); ++row) {
            rebuilt.push_back(zones.rowTexts(row));
            computedList << zones.at(row, 0) + QStringLiteral(": ") + zones.at(row, 1);
        }
        if (storedList != computedList) {
            StaleValue v;
            v.step = step;
            v.what = QStringLiteral("зони: склад зон");
            v.stored = storedList.join(QStringLiteral("; "));
            v.computed = computedList.join(QStringLiteral("; "));
            v.table = names::table::Zones();
            v.rows = std::move(rebuilt);
            m_r.stale.push_back(std::move(v));
        }
        return true;
    }

    // A row of a district that no longer exists, and a district without a row, mean the
    // zoning was made for other districts: the valuer redoes it; recalc cannot.
    void rowsWithoutDistrict(Step step, const QHash<QString, int>& districtRows,
                             const QHash<QString, int>& storedRow) {
        const QString redo = QStringLiteral("; зональне структурування слід виконати знову");
        QSet<QString> orphans;
        for (const Km2Row& r : m_s.km2)
            if (!districtRows.contains(r.district) && !orphans.contains(r.district)) {
                orphans.insert(r.district);
                m_r.problems.push_back(
                    {step, names::table::Km2() + QStringLiteral(", район ") +
                               ShownValue(r.district) +
                               QStringLiteral(": рядок району, якого немає серед районів "
                                              "населеного пункту") +
                               redo});
            }
        for (const District& d : m_s.districts)
            if (!storedRow.contains(d.number))
                m_r.problems.push_back({step, names::table::Km2() + QStringLiteral(", район ") +
                                                  d.number +
                                                  QStringLiteral(": район не має рядка") + redo});
    }

    // Coefficients are refused where typed; one already stored is reported here.
    bool local() {
        for (const LocalCell& c : m_s.local)
            if (!IsLocalCoefficient(c.coefficient))
                m_r.problems.push_back(
                    {Step::Local, QStringLiteral("локальні, район ") + c.district +
                                      QStringLiteral(", фактор ") + QString::number(c.factor) +
                                      QStringLiteral(": коефіцієнт ") + Quoted(c.coefficient) +
                                      QStringLiteral(" не є числом більшим за 0, Км3 його не "
                                                     "враховує")});
        return true;
    }

    // The quarter statement carries its districts' local coefficients and Kf. Its tens of
    // thousands of cells are compared as the database keeps them (UTF-8); a text is made
    // only of a cell that differs.
    bool quarters(QString* error) {
        const QString table = QStringLiteral("відомість_кварталів");
        QStringList columns{QStringLiteral("id"), QStringLiteral("район"), QStringLiteral("назва"),
                            QStringLiteral("функ")};
        for (int k = 1; k <= 30; ++k)
            columns << QStringLiteral("лок_%1").arg(k);
        columns << names::column::Zone();
        constexpr int zoneAt = 35; // after rowid, id, район, назва, функ and лок_1..30
        QString sql;
        if (!TableRowsSql(m_db, table, columns, QStringLiteral("rowid"), sql))
            return fail(error, table);
        if (sql.isEmpty())
            return true;
        // Each known district's coefficient of factor k, as text and as stored bytes.
        struct Coefficients {
            std::array<QString, 31> text;
            std::array<QByteArray, 31> utf8;
        };
        QHash<QString, Coefficients> coefficients;
        QHash<QString, bool> known; // whether the district has local factors
        for (const District& d : m_s.districts)
            known.insert(d.number, false);
        for (const LocalCell& c : m_s.local) {
            Coefficients& entry = coefficients[c.district];
            if (c.factor >= 1 && c.factor <= 30) {
                entry.text[static_cast<size_t>(c.factor)] = c.coefficient;
                entry.utf8[static_cast<size_t>(c.factor)] = c.coefficient.toUtf8();
            }
        }
        for (auto it = known.begin(); it != known.end(); ++it)
            *it = coefficients.contains(it.key());
        // The zone each district is in now, as text and bytes; the districts with rows.
        QHash<QString, std::pair<QString, QByteArray>> zoneOf;
        for (const District& d : m_s.districts)
            if (const Zone* z = m_s.zoneOfDistrict(d.number))
                zoneOf.insert(d.number, {z->number, z->number.toUtf8()});
        const std::pair<QString, QByteArray>* districtZone = nullptr;
        QSet<QString> withRows, orphans;
        bool anyRow = false;
        // Kf of each name of land, worked out once: its text and bytes, or none.
        struct Kf {
            bool has = false;
            QString text;
            QByteArray utf8;
        };
        QHash<QByteArray, Kf> kfOfName;
        QByteArray lastName;
        const Kf* lastKf = nullptr;
        QByteArray lastDistrict;
        QString district;
        const Coefficients* found = nullptr;
        bool isKnown = false;
        const auto row = [&](const Utf8Row& r) {
            // Rows of one district often follow each other.
            if (r.at(2) != lastDistrict || lastDistrict.isNull()) {
                lastDistrict = r.at(2).toByteArray();
                if (lastDistrict.isNull())
                    lastDistrict = QByteArray("");
                district = QString::fromUtf8(lastDistrict).trimmed();
                const auto k = known.constFind(district);
                isKnown = k != known.cend();
                found = isKnown && *k ? &*coefficients.constFind(district) : nullptr;
                const auto z = zoneOf.constFind(district);
                districtZone = z == zoneOf.cend() ? nullptr : &*z;
                if (isKnown)
                    withRows.insert(district);
            }
            anyRow = anyRow || isKnown;
            if (!isKnown) {
                // A row of a district that no longer exists: once per district (a row
                // without a district is an unfilled one).
                if (!district.isEmpty() && !orphans.contains(district)) {
                    orphans.insert(district);
                    m_r.problems.push_back(
                        {Step::LocalByQuarter,
                         table + QStringLiteral(", район ") + ShownValue(district) +
                             QStringLiteral(": рядки району, якого немає серед районів "
                                            "населеного пункту")});
                }
                return;
            }
            const long long id = r.integer(0);
            const QString key = r.text(1);
            // Named only for a row that disagrees: most rows agree.
            const auto what = [&] {
                return QStringLiteral("рядок ") + key + QStringLiteral(", район ") + district;
            };
            // The row's zone is its district's zone in the current zoning.
            if (districtZone && r.at(zoneAt) != districtZone->second)
                cell(Step::LocalByQuarter, table, id, names::column::Zone(), what(), r.text(zoneAt),
                     districtZone->first);
            if (!lastKf || r.at(3) != lastName) {
                lastName = r.at(3).toByteArray();
                auto it = kfOfName.constFind(lastName);
                if (it == kfOfName.cend()) {
                    Kf made;
                    if (const std::optional<double> value = KfOfName(r.text(3))) {
                        made.has = true;
                        made.text = FormatFixed(*value, 2);
                        made.utf8 = made.text.toUtf8();
                    }
                    it = kfOfName.insert(lastName, made);
                }
                lastKf = &*it;
            }
            const Kf* kf = lastKf;
            if (kf->has && r.at(4) != kf->utf8) {
                const QString stored = r.text(4);
                if (SameValue(stored, kf->text)) {
                } else if (!m_typed.isTyped(table, key, QStringLiteral("функ"), stored))
                    cell(Step::LocalByQuarter, table, id, QStringLiteral("функ"), what(), stored,
                         kf->text);
                else
                    typedValue(Step::LocalByQuarter,
                               table + QStringLiteral(", ") + what() + QStringLiteral(": функ"),
                               table, key, QStringLiteral("функ"), kf->text, r.text(3));
            }
            if (!found)
                return;
            for (int k = 1; k <= 30; ++k) {
                if (r.at(4 + k) == found->utf8[static_cast<size_t>(k)])
                    continue;
                const QString stored = r.text(4 + k);
                const QString& computed = found->text[static_cast<size_t>(k)];
                if (stored == computed)
                    continue;
                const QString column = QStringLiteral("лок_%1").arg(k);
                if (!m_typed.isTyped(table, key, column, stored))
                    cell(Step::LocalByQuarter, table, id, column, what(), stored, computed);
                else
                    typedValue(Step::LocalByQuarter,
                               table + QStringLiteral(", ") + what() + QStringLiteral(": ") +
                                   column,
                               table, key, column, computed, QStringLiteral("район ") + district);
            }
        };
        if (!ReadUtf8Rows(m_db, sql, row))
            return fail(error, table);
        // A statement made before a district was added lacks its quarters.
        if (anyRow)
            for (const District& d : m_s.districts)
                if (!withRows.contains(d.number))
                    m_r.problems.push_back(
                        {Step::LocalByQuarter, table + QStringLiteral(", район ") + d.number +
                                                   QStringLiteral(": район не має рядків")});
        return true;
    }

    bool soils(QString* error) {
        const QString table = QStringLiteral("угіддя");
        Table t;
        if (!ReadTable(m_db, table,
                       {QStringLiteral("тип"), QStringLiteral("шифр"),
                        QStringLiteral("бал_бонітету"), QStringLiteral("площа"),
                        QStringLiteral("вартість"), QStringLiteral("до_індексації"),
                        QStringLiteral("індексація")},
                       QStringLiteral("id"), t))
            return fail(error, table);
        QHash<QString, std::pair<QString, QString>> params; // kind -> base, average score
        for (size_t i = 0; i < t.rows.size(); ++i) {
            const QStringList& row = t.rows[i];
            if (!row[0].endsWith(u'*') || params.contains(row[0].chopped(1)))
                continue;
            // An indexed base value is its value before indexation x the line's factor.
            QString base = row[4];
            if (!row[6].trimmed().isEmpty() && ParseNumber(row[5])) {
                base = IndexedByLine(row[5], row[6]);
                cell(Step::Agricultural, table, t.ids[i], QStringLiteral("вартість"),
                     QStringLiteral("тип ") + row[0].chopped(1) +
                         QStringLiteral(", базова вартість 1 га"),
                     row[4], base);
            }
            params.insert(row[0].chopped(1), {base, row[2]});
        }
        for (size_t i = 0; i < t.rows.size(); ++i) {
            const QStringList& row = t.rows[i];
            if (row[0].endsWith(u'*') || row[1].isEmpty())
                continue;
            const auto [base, score] = params.value(row[0]);
            const QString computed = SoilValuePerHa(row[2], row[3], base, score);
            cell(Step::Agricultural, table, t.ids[i], QStringLiteral("вартість"),
                 QStringLiteral("тип ") + row[0] + QStringLiteral(", шифр ") + row[1], row[4],
                 computed);
            const QString key = row[0] + u'\t' + row[1];
            if (!m_soilValue.contains(key))
                m_soilValue.insert(key, computed);
        }
        return true;
    }

    /** Km2 of a plot's district: its first "км2" row (as recomputed); 1 without one. */
    QString plotKm2(const QString& district) const {
        const auto it = m_km2OfDistrict.constFind(district);
        if (it != m_km2OfDistrict.cend())
            return FormatFixed(ParseNumber(*it).value_or(1.0), 2);
        for (const Km2Row& r : m_s.km2)
            if (r.district == district)
                return FormatFixed(ParseNumber(r.km2).value_or(1.0), 2);
        return FormatFixed(1.0, 2);
    }

    bool plots(QString* error) {
        const QString table = QStringLiteral("ділянки");
        Table t;
        if (!ReadTable(m_db, table,
                       {QStringLiteral("номер"), QStringLiteral("назва"), QStringLiteral("функц"),
                        QStringLiteral("район"), QStringLiteral("площа"), QStringLiteral("базова"),
                        QStringLiteral("розрахункова"), QStringLiteral("загальна"),
                        QStringLiteral("шифр")},
                       QStringLiteral("id"), t))
            return fail(error, table);
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
            plot(t, number, rows, household);
        }
        return true;
    }

    void plot(const Table& t, int number, const std::vector<size_t>& rows, bool household) {
        const QString table = QStringLiteral("ділянки");
        const size_t main = household ? rows[1] : rows[0];
        const QStringList& r = t.rows[main];
        const QString what = QStringLiteral("ділянка ") + QString::number(number);
        if (m_average.isEmpty())
            return;
        cell(Step::Plots, table, t.ids[main], QStringLiteral("базова"), what, r[5], m_average);
        const QString district = r[3];
        if (district.isEmpty())
            return;
        const QString km2 = plotKm2(district);
        const QString km3 = FormatFixed(m_s.km3(district).product, 2);
        const std::optional<double> kf = ParseNumber(r[2]);
        const std::optional<double> area = ParseNumber(r[4]);
        if (!kf || !area)
            return;
        const QString perSqM =
            Fixed(PlotValuePerSqM(NumberOr0(m_average), NumberOr0(km2), *kf, NumberOr0(km3)), 2);
        if (perSqM.isEmpty())
            return;
        const QString value = PlotValue(NumberOr0(perSqM), *area);
        cell(Step::Plots, table, t.ids[main], QStringLiteral("розрахункова"), what, r[6], perSqM);
        cell(Step::Plots, table, t.ids[main], QStringLiteral("загальна"), what, r[7], value);
        if (!household || value.isEmpty())
            return;
        double total = NumberOr0(value);
        double totalArea = *area;
        for (size_t j = 2; j < rows.size(); ++j) {
            const QStringList& part = t.rows[rows[j]];
            const QString kind = part[1];
            const QString partWhat = what + QStringLiteral(", частина ") + kind;
            const QString perHa = m_soilValue.value(kind + u'\t' + part[8], part[5]);
            if (!part[8].isEmpty())
                cell(Step::Plots, table, t.ids[rows[j]], QStringLiteral("базова"), partWhat,
                     part[5], perHa);
            const std::optional<double> ha = ParseNumber(perHa);
            const std::optional<double> partArea = ParseNumber(part[4]);
            if (part[8].isEmpty() || !ha || !partArea)
                continue;
            const QString partValue = Fixed(*ha * *partArea, 2);
            cell(Step::Plots, table, t.ids[rows[j]], QStringLiteral("загальна"), partWhat, part[7],
                 partValue);
            total += NumberOr0(partValue);
            totalArea += *partArea;
        }
        const QStringList& summary = t.rows[rows[0]];
        const QString totals = what + QStringLiteral(", разом");
        cell(Step::Plots, table, t.ids[rows[0]], QStringLiteral("площа"), totals, summary[4],
             Fixed(totalArea, 4));
        cell(Step::Plots, table, t.ids[rows[0]], QStringLiteral("загальна"), totals, summary[7],
             Fixed(total, 2));
    }

    Connection& m_db;
    CheckResult& m_r;
    Settlement m_s;
    TypedValues m_typed;
    QString m_population;
    QString m_developmentCost;
    QString m_average;
    QHash<QString, QString> m_km2OfDistrict;
    QHash<QString, QString> m_soilValue;
};

} // namespace

bool CheckSettlement(Connection& project, CheckResult& result, QString* error) {
    result = CheckResult{};
    Checker checker(project, result);
    return checker.run(error);
}

} // namespace valuation
