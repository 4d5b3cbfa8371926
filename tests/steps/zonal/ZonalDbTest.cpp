#include "tests/steps/zonal/ZonalDbTest.h"

#include "db/QueryFunctions.h"

void ZonalDbTest::SetUp() {
    StepDbTest::SetUp();
    for (const char* row : {"('2','Площі районів','30','')", "('1','Площі районів','10','')",
                            "('3','Площі районів','5','')"})
        exec(
            QStringLiteral("INSERT INTO характеристика (код,показник,значення,значення2) VALUES ") +
            QString::fromUtf8(row));
    setIndicator(QStringLiteral("Кількість районів"), QStringLiteral("3"));
    setIndicator(QStringLiteral("Середня вартість 1 кв м"), QStringLiteral("30.62"));
    setIndicator(QStringLiteral("Чисельність населення (тис. чол.)"), QStringLiteral("15"));
}

QStringList ZonalDbTest::rows(const QString& table, const QString& columns) {
    QString joined = columns;
    joined.replace(u',', QStringLiteral("||'|'||"));
    return column(QStringLiteral("SELECT ") + joined + QStringLiteral(" FROM ") + table +
                  QStringLiteral(" ORDER BY id"));
}
