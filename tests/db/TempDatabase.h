#pragma once

#include "db/QueryFunctions.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

/** A fresh database file in a temporary folder, with helpers to run and read statements. */
class TempDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(db.create(path()));
    }
    QString path() const { return dir.path() + QStringLiteral("/data.sqlite"); }
    void run(const QString& sql) {
        ASSERT_TRUE(RunQuery(q, sql, false)) << qPrintable(LastError());
    }
    /** One column of a result, NULL shown as "<null>". */
    QStringList column(const QString& sql, const QString& field) {
        QStringList values;
        EXPECT_TRUE(RunQuery(q, sql, true)) << qPrintable(LastError());
        for (q.first(); !q.eof(); q.next())
            values << (q.isNull(field) ? QStringLiteral("<null>") : q.text(field));
        q.close();
        return values;
    }
    QByteArray fileBytes() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    Connection db;
    Query q{&db};
};
