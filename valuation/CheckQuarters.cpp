// The check of the quarter statement: its rows follow their districts.
#include "valuation/CheckRun.h"

#include "common/TextUtils.h"
#include "db/Utf8Rows.h"
#include "valuation/Formulas.h"
#include "valuation/Names.h"
#include "valuation/Recompute.h"

#include <QSet>
#include <array>

namespace valuation::check {

// The quarter statement carries its districts' local coefficients and Kf. Its tens of
// thousands of cells are compared as the database keeps them (UTF-8); a text is made
// only of a cell that differs.
bool Quarters(CheckRun& run, QString* error) {
    const QString table = QStringLiteral("відомість_кварталів");
    QStringList columns{QStringLiteral("id"), QStringLiteral("район"), QStringLiteral("назва"),
                        QStringLiteral("функ")};
    for (int k = 1; k <= 30; ++k)
        columns << QStringLiteral("лок_%1").arg(k);
    columns << names::column::Zone();
    constexpr int zoneAt = 35; // after rowid, id, район, назва, функ and лок_1..30
    QString sql;
    if (!TableRowsSql(run.db, table, columns, QStringLiteral("rowid"), sql))
        return run.fail(error, table);
    if (sql.isEmpty())
        return true;
    // Each known district's coefficient of factor k, as text and as stored bytes; a factor
    // whose coefficient the statement does not take is left as the statement has it.
    struct Coefficients {
        std::array<QString, 31> text;
        std::array<QByteArray, 31> utf8;
        std::array<bool, 31> left{};
    };
    QHash<QString, Coefficients> coefficients;
    QHash<QString, bool> known; // whether the district has local factors
    for (const District& d : run.s.districts)
        known.insert(d.number, false);
    for (const LocalCell& c : run.s.local) {
        Coefficients& entry = coefficients[c.district];
        if (c.factor >= 1 && c.factor <= 30) {
            const auto k = static_cast<size_t>(c.factor);
            const std::optional<QString> taken = StatementCoefficient(c.coefficient);
            entry.left[k] = !taken;
            entry.text[k] = taken.value_or(QString());
            entry.utf8[k] = entry.text[k].toUtf8();
        }
    }
    for (auto it = known.begin(); it != known.end(); ++it)
        *it = coefficients.contains(it.key());
    // The zone each district is in now, as text and bytes; the districts with rows.
    QHash<QString, std::pair<QString, QByteArray>> zoneOf;
    for (const District& d : run.s.districts)
        if (const Zone* z = run.s.zoneOfDistrict(d.number))
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
                run.result.problems.push_back(
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
            run.cell(Step::LocalByQuarter, table, id, names::column::Zone(), what(), r.text(zoneAt),
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
            } else if (!run.typed.isTyped(table, key, QStringLiteral("функ"), stored))
                run.cell(Step::LocalByQuarter, table, id, QStringLiteral("функ"), what(), stored,
                         kf->text);
            else
                run.typedValue(Step::LocalByQuarter,
                               table + QStringLiteral(", ") + what() + QStringLiteral(": функ"),
                               table, key, QStringLiteral("функ"), kf->text, r.text(3));
        }
        if (!found)
            return;
        for (int k = 1; k <= 30; ++k) {
            if (found->left[static_cast<size_t>(k)] ||
                r.at(4 + k) == found->utf8[static_cast<size_t>(k)])
                continue;
            const QString stored = r.text(4 + k);
            const QString& computed = found->text[static_cast<size_t>(k)];
            if (stored == computed)
                continue;
            const QString column = QStringLiteral("лок_%1").arg(k);
            if (!run.typed.isTyped(table, key, column, stored))
                run.cell(Step::LocalByQuarter, table, id, column, what(), stored, computed);
            else
                run.typedValue(Step::LocalByQuarter,
                               table + QStringLiteral(", ") + what() + QStringLiteral(": ") +
                                   column,
                               table, key, column, computed, QStringLiteral("район ") + district);
        }
    };
    if (!ReadUtf8Rows(run.db, sql, row))
        return run.fail(error, table);
    // A statement made before a district was added lacks its quarters.
    if (anyRow)
        for (const District& d : run.s.districts)
            if (!withRows.contains(d.number))
                run.result.problems.push_back(
                    {Step::LocalByQuarter, table + QStringLiteral(", район ") + d.number +
                                               QStringLiteral(": район не має рядків")});
    return true;
}

} // namespace valuation::check
