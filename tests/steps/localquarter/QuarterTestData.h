#pragma once

#include "db/QueryFunctions.h"
#include "tests/steps/support/StepTestSupport.h"
#include "valuation/Schema.h"

/**
 * A settlement ready for the statement of quarters: districts 1 to 3, the average value,
 * zone 1 of districts 1 and 2 and zone 2 of districts 2 and 3, functional use (district 1
 * commercial and housing, district 2 forest only, district 3 no row) and local factors
 * (factor 2 in district 1, factor 12 in district 2).
 */
class QuarterDbTest : public StepDbTest {
protected:
    void SetUp() override {
        StepDbTest::SetUp();
        setIndicator(QStringLiteral("Кількість районів"), QStringLiteral("3"));
        for (const char* d : {"3", "1", "2"})
            exec(QStringLiteral("INSERT INTO характеристика (код, показник, значення) VALUES "
                                "('%1', 'Площі районів', '1.0000')")
                     .arg(QString::fromLatin1(d)));
        setIndicator(QStringLiteral("Середня вартість 1 кв м"), QStringLiteral("150.00"));
        setIndicator(QStringLiteral("Кількість зон"), QStringLiteral("2"));
        exec(QStringLiteral("INSERT INTO зони (зона, райони) VALUES ('2', '2, 3')"));
        exec(QStringLiteral("INSERT INTO зони (зона, райони) VALUES ('1', '1, 2')"));
        for (const char* row :
             {"'1','1.50','180.00','1'", "'2','1.50','180.00','1'", "'3','0.90','120.00','2'"})
            exec(QStringLiteral("INSERT INTO км2 (район, км2, вартість, зона) VALUES (%1)")
                     .arg(QString::fromLatin1(row)));
        exec(QStringLiteral(
            "CREATE TABLE функціональне (id AUTOINCREMENT, район nvarchar (50), ф_1 nvarchar (50), "
            "ф_2 nvarchar (50), ф_3 nvarchar (50), ф_10 nvarchar (50), ф_13 nvarchar (50))"));
        exec(QStringLiteral("INSERT INTO функціональне (район, ф_1, ф_2, ф_3) VALUES ('1', "
                            "'0.5000', '2.0000', '0')"));
        exec(QStringLiteral("INSERT INTO функціональне (район, ф_10) VALUES ('2', '3.0000')"));
        for (const char* row : {"'1','2','0.95'", "'2','2',''", "'1','12',''", "'2','12','1.07'"})
            exec(QStringLiteral("INSERT INTO локальні (район,фактор,коефіціент) VALUES (%1)")
                     .arg(QString::fromLatin1(row)));
        // As when the settlement connects: "відомість_кварталів" is made then.
        ASSERT_TRUE(valuation::UpgradeSettlementDatabase(project));
    }

    /** Adds catalogue factors up to `count`. */
    void growCatalogue(int count) {
        Query q(&catalogue);
        for (int k = 18; k <= count; ++k)
            ASSERT_TRUE(RunQuery(q,
                                 QStringLiteral("INSERT INTO локальні (назва_коротко, мин, макс) "
                                                "VALUES ('Фактор %1', '0.9', '1.1')")
                                     .arg(k),
                                 false));
    }
};
