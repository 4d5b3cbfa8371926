#include "valuation/TableRows.h"

#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"

namespace valuation {

bool ReadTableRows(Connection& db, const QString& table, const QStringList& columns,
                   const QString& order, TableRows& out) {
    out = TableRows{};
    if (!TableExists(db, table))
        return true;
    QStringList select{QStringLiteral("rowid")};
    {
        Query probe(&db);
        if (!RunQuery(probe, QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" LIMIT 0"),
                      true))
            return false;
        for (const QString& c : columns)
            select << (probe.hasField(c) ? c : QStringLiteral("NULL"));
    }
    return ReadTextRows(db,
                        QStringLiteral("SELECT ") + select.join(u',') + QStringLiteral(" FROM ") +
                            table + QStringLiteral(" ORDER BY ") + order,
                        [&out](const QStringList& row) {
                            out.ids.push_back(row[0].toLongLong());
                            out.rows.push_back(row.mid(1));
                        });
}

} // namespace valuation
