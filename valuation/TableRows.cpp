#include "valuation/TableRows.h"

#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"

namespace valuation {

bool TableRowsSql(Connection& db, const QString& table, const QStringList& columns,
                  const QString& order, QString& sql, QString* error) {
    sql.clear();
    if (!TableExists(db, table))
        return true;
    QStringList select{QStringLiteral("rowid")};
    {
        Query probe(&db);
        if (!RunQuery(probe, QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" LIMIT 0"),
                      true))
            return FailReading(error, table);
        for (const QString& c : columns)
            select << (probe.hasField(c) ? c : QStringLiteral("NULL"));
    }
    sql = QStringLiteral("SELECT ") + select.join(u',') + QStringLiteral(" FROM ") + table +
          QStringLiteral(" ORDER BY ") + order;
    return true;
}

bool ReadTableRows(Connection& db, const QString& table, const QStringList& columns,
                   const QString& order, TableRows& out, QString* error) {
    out = TableRows{};
    QString sql;
    if (!TableRowsSql(db, table, columns, order, sql, error))
        return false;
    return sql.isEmpty() ||
           ReadTextRows(db, sql,
                        [&out](QStringList& row) {
                            out.ids.push_back(row[0].toLongLong());
                            row.removeFirst();
                            out.rows.push_back(std::move(row));
                        }) ||
           FailReading(error, table);
}

} // namespace valuation
