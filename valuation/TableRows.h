#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class Connection;

namespace valuation {

/** Rows of one table as texts: the rowid of each and the named columns in their order. */
struct TableRows {
    std::vector<long long> ids;
    std::vector<QStringList> rows;
};

/**
 * Reads the named columns of a table ("" for a column the table lacks, none for a table the
 * settlement lacks) in the given order, straight from the provider. False with `error` naming
 * the table and the reason.
 */
bool ReadTableRows(Connection& db, const QString& table, const QStringList& columns,
                   const QString& order, TableRows& out, QString* error = nullptr);

/**
 * The SELECT ReadTableRows runs: the rowid, then the named columns (NULL for one the table
 * lacks); "" for a table the settlement lacks. False with `error` naming the table when it
 * cannot be read.
 */
bool TableRowsSql(Connection& db, const QString& table, const QStringList& columns,
                  const QString& order, QString& sql, QString* error = nullptr);

} // namespace valuation
