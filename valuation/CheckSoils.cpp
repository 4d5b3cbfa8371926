// The check of "Сільськогосподарські угіддя": the value of 1 ha of each soil.
#include "valuation/CheckRun.h"

#include "common/TextUtils.h"
#include "valuation/Formulas.h"

namespace valuation::check {

bool Soils(CheckRun& run, QString* error) {
    const QString table = QStringLiteral("угіддя");
    TableRows t;
    if (!ReadTableRows(run.db, table,
                       {QStringLiteral("тип"), QStringLiteral("шифр"),
                        QStringLiteral("бал_бонітету"), QStringLiteral("площа"),
                        QStringLiteral("вартість"), QStringLiteral("до_індексації"),
                        QStringLiteral("індексація")},
                       QStringLiteral("id"), t))
        return run.fail(error, table);
    QHash<QString, std::pair<QString, QString>> params; // kind -> base, average score
    for (size_t i = 0; i < t.rows.size(); ++i) {
        const QStringList& row = t.rows[i];
        if (!row[0].endsWith(u'*') || params.contains(row[0].chopped(1)))
            continue;
        // An indexed base value is its value before indexation x the line's factor.
        QString base = row[4];
        if (!row[6].trimmed().isEmpty() && ParseNumber(row[5])) {
            base = IndexedByLine(row[5], row[6]);
            run.cell(Step::Agricultural, table, t.ids[i], QStringLiteral("вартість"),
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
        run.cell(Step::Agricultural, table, t.ids[i], QStringLiteral("вартість"),
                 QStringLiteral("тип ") + row[0] + QStringLiteral(", шифр ") + row[1], row[4],
                 computed);
        const QString key = row[0] + u'\t' + row[1];
        if (!run.soilValue.contains(key))
            run.soilValue.insert(key, computed);
    }
    return true;
}

} // namespace valuation::check
