#pragma once

#include "common/FileUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"

#include <QDir>
#include <QStringList>
#include <gtest/gtest.h>

/** The rows a query gives, each row's values joined by "|", to compare a table with a list. */
inline QStringList QueryRows(Connection& c, const QString& sql) {
    Query q(&c);
    EXPECT_TRUE(RunQuery(q, sql, true)) << LastError().toStdString();
    QStringList rows;
    for (q.first(); !q.eof(); q.next())
        rows << q.texts().join(u'|');
    return rows;
}

inline QStringList QueryRows(const QString& database, const QString& sql) {
    Connection c;
    EXPECT_TRUE(c.open(database)) << c.errorText().toStdString();
    return QueryRows(c, sql);
}

/** Runs a statement that must succeed. */
inline void ExecSql(Connection& c, const QString& sql) {
    Query q(&c);
    ASSERT_TRUE(RunQuery(q, sql, false)) << LastError().toStdString();
}

/** Runs a statement on a database file, made with its folder when missing. */
inline void ExecSql(const QString& database, const QString& sql) {
    QDir().mkpath(FolderOf(database));
    Connection c;
    ASSERT_TRUE(c.open(database) || c.create(database)) << c.errorText().toStdString();
    ExecSql(c, sql);
}
