#include "steps/zonal/ZonalStore.h"
#include "common/LastError.h"
#include "db/QueryFunctions.h"
#include "steps/common/StepStore.h"
#include "steps/zonal/WorkingFactors.h"
#include "tests/steps/zonal/ZonalDbTest.h"
#include "tests/steps/zonal/ZonalTestData.h"

namespace {

using ZonalStoreTest = ZonalDbTest;

const QString Apostrophe = QStringLiteral("Кам'яність «старої» забудови");
const QString QuotedText = QStringLiteral("Зона \"Центр\" — вул. Лесі Українки, п'ять «будинків»");

/** Reads the settlement and the tables, failing the test when either fails. */
ZonalTables Load(Connection& project, ZonalVariant variant, ZonalSettlement* read = nullptr) {
    ZonalSettlement settlement;
    QString message;
    EXPECT_EQ(ReadZonalSettlement(project, settlement, &message), ZonalOpening::Ready)
        << message.toStdString();
    ZonalTables tables;
    QString failed;
    EXPECT_TRUE(LoadZonalTables(project, variant, settlement, tables, &failed))
        << failed.toStdString();
    if (read)
        *read = settlement;
    return tables;
}

/** Three working factors scored for the three districts, zones typed, zones described. */
ZonalTables Filled(Connection& project, ZonalVariant variant) {
    ZonalSettlement settlement;
    ZonalTables tables = Load(project, variant, &settlement);
    tables.factors.push_back(WorkingItem{Apostrophe, false});
    for (WorkingItem& item : tables.factors)
        item.checked = item.key == QStringLiteral("Рівень зашумленості") ||
                       item.key == QStringLiteral("Забезпечення школами") || item.key == Apostrophe;
    ApplyWorkingFactors(tables.anketa, tables.factors);
    const QStringList scores[] = {{"5", "3", "4"}, {"4", "", "2"}, {"1", "2", "3"}};
    for (int row = 1; row <= 3; ++row)
        for (int col = 0; col < 3; ++col)
            tables.anketa.set(row, AnketaFirstDistrictCol + col, scores[row - 1][col]);
    const ResultColumns cols = ResultColumnsOf(variant);
    ComputeIndices(variant, tables.anketa, tables.result);
    tables.result.set(1, cols.zone, QStringLiteral("1"));
    tables.result.set(2, cols.zone, QStringLiteral("1"));
    tables.result.set(3, cols.zone, QStringLiteral("2"));
    ComputeKm2(tables.result, cols, settlement.population, settlement.averageValue);
    RebuildZoneList(tables.result, cols, tables.zones);
    tables.zones.set(1, ZoneDescriptionCol, QuotedText);
    return tables;
}

} // namespace

TEST_F(ZonalStoreTest, OpeningIsRefusedWithTheWarningOfWhatIsMissingFirst) {
    const auto refusal = [this] {
        ZonalSettlement settlement;
        QString message;
        EXPECT_EQ(ReadZonalSettlement(project, settlement, &message), ZonalOpening::Refused);
        return message;
    };
    setIndicator(QStringLiteral("Чисельність населення (тис. чол.)"), QStringLiteral("0"));
    setIndicator(QStringLiteral("Середня вартість 1 кв м"), QStringLiteral("ні"));
    setIndicator(QStringLiteral("Кількість районів"), QStringLiteral("0"));
    EXPECT_EQ(refusal(), QStringLiteral("Кількість районів не зазначена. Зробіть це в кроці "
                                        "\"Визначення площ\"."));
    setIndicator(QStringLiteral("Кількість районів"), QStringLiteral("два"));
    EXPECT_EQ(refusal(), QStringLiteral("Кількість районів не зазначена. Зробіть це в кроці "
                                        "\"Визначення площ\"."));
    setIndicator(QStringLiteral("Кількість районів"), QStringLiteral("2"));
    EXPECT_EQ(refusal(), QStringLiteral("Середня вартість не зазначена. Зробіть це в кроці "
                                        "\"Середня вартість\"."));
    setIndicator(QStringLiteral("Середня вартість 1 кв м"), QStringLiteral("30.62"));
    EXPECT_EQ(refusal(), QStringLiteral("Чисельність населення не зазначена. Зробіть це в кроці "
                                        "\"Інформація\"."));
    setIndicator(QStringLiteral("Чисельність населення (тис. чол.)"), QStringLiteral("15"));
    setIndicator(QStringLiteral("Кількість зон"), QStringLiteral("x"));
    ZonalSettlement settlement;
    QString message;
    ASSERT_EQ(ReadZonalSettlement(project, settlement, &message), ZonalOpening::Ready);
    EXPECT_EQ(settlement.zoneCount, 0);
    // Districts by number, as many as counted.
    ASSERT_EQ(settlement.districts.size(), 2u);
    EXPECT_EQ(settlement.districts[1].number, QStringLiteral("2"));
    EXPECT_EQ(settlement.districts[1].area, QStringLiteral("30"));
}

TEST_F(ZonalStoreTest, BothVariantsRoundTripThroughTheFourTablesAndTheIndicators) {
    for (const ZonalVariant variant : {ZonalVariant::Weighted, ZonalVariant::Grouped}) {
        SCOPED_TRACE(variant == ZonalVariant::Weighted ? "weighted" : "grouped");
        const ZonalTables filled = Filled(project, variant);
        QString error;
        ASSERT_TRUE(StoreZonal(
            project, variant, filled.factors, filled.anketa, filled.result, filled.zones,
            ZonalIndicators{QStringLiteral("2"), QStringLiteral("0.75"), QStringLiteral("1.50")},
            &error))
            << error.toStdString();
        EXPECT_EQ(indicator(QStringLiteral("Кількість зон")), QStringLiteral("2"));
        EXPECT_EQ(indicator(QStringLiteral("Км2, мінімальний")), QStringLiteral("0.75"));
        EXPECT_EQ(indicator(QStringLiteral("Км2, максимальний")), QStringLiteral("1.50"));
        EXPECT_EQ(column(QStringLiteral("SELECT назва FROM експертні_фактори ORDER BY id")).last(),
                  Apostrophe);
        // Every cell of every numbered row, empty scores too, factor by factor.
        const QStringList anketa =
            rows(QStringLiteral("анкета"), QStringLiteral("район,фактор,оцінка"));
        ASSERT_EQ(anketa.size(), 9);
        EXPECT_EQ(anketa[3], QStringLiteral("1|Забезпечення школами|4"));
        EXPECT_EQ(anketa[4], QStringLiteral("2|Забезпечення школами|"));
        EXPECT_EQ(anketa[8], QStringLiteral("3|") + Apostrophe + QStringLiteral("|3"));
        EXPECT_EQ(rows(QStringLiteral("зони"), QStringLiteral("зона,райони,опис")),
                  (QStringList{QStringLiteral("1|1, 2|") + QuotedText, QStringLiteral("2|3|")}));
        const QStringList km2 =
            rows(QStringLiteral("км2"),
                 QStringLiteral("район,площа,сума,середній,середньозваж,si,ei,ui,ci,іі,км2,"
                                "вартість,зона"));
        ASSERT_EQ(km2.size(), 3);
        const QStringList first = km2[0].split(u'|');
        if (variant == ZonalVariant::Weighted) {
            EXPECT_EQ(first.mid(0, 5), (QStringList{"1", "10", "10", "3.33", "3.03"}));
            EXPECT_EQ(first.mid(5, 4), QStringList(4, QString()));
        } else {
            EXPECT_EQ(first.mid(2, 3), QStringList(3, QString()));
            EXPECT_EQ(first[6], QStringLiteral("1.40")); // Ei of "Рівень зашумленості"
            EXPECT_EQ(first[5], QString());              // no factor of group I
        }
        EXPECT_EQ(first[12], QStringLiteral("1"));

        const ZonalTables back = Load(project, variant);
        EXPECT_TRUE(back.hasAnketa);
        // Either window knows which way made the stored table, so the other one can say so.
        const ZonalVariant other =
            variant == ZonalVariant::Weighted ? ZonalVariant::Grouped : ZonalVariant::Weighted;
        EXPECT_EQ(back.storedVariant, variant);
        EXPECT_EQ(Load(project, other).storedVariant, variant);
        EXPECT_EQ(back.anketa.rowCount(), filled.anketa.rowCount());
        for (int row = 0; row < back.anketa.rowCount(); ++row)
            EXPECT_EQ(back.anketa.rowTexts(row), filled.anketa.rowTexts(row)) << row;
        for (int row = 0; row < back.result.rowCount(); ++row)
            EXPECT_EQ(back.result.rowTexts(row), filled.result.rowTexts(row)) << row;
        EXPECT_EQ(back.zones.rowTexts(1), filled.zones.rowTexts(1));
        ASSERT_EQ(back.factors.size(), filled.factors.size());
        for (size_t i = 0; i < back.factors.size(); ++i) {
            EXPECT_EQ(back.factors[i].key, filled.factors[i].key);
            EXPECT_EQ(back.factors[i].checked, filled.factors[i].checked) << i;
        }
    }
}

TEST_F(ZonalStoreTest, LoadingPutsEveryStoredValueWhereItBelongs) {
    exec(QStringLiteral("DELETE FROM експертні_фактори"));
    exec(QStringLiteral("INSERT INTO експертні_фактори (назва) VALUES ('А'),('Б')"));
    // Б's records come in two runs, one of a district the settlement lacks, one nameless.
    exec(QStringLiteral(
        "INSERT INTO анкета (район,фактор,оцінка) VALUES ('1','Б','5'),('2','Б','4'),"
        "('1','Поза списком','3'),('9','Б','1'),('3','Б','2'),('1','','7')"));
    // Km2 by district number, whatever the order of the rows.
    exec(QStringLiteral("INSERT INTO км2 (район,км2,вартість,зона) VALUES ('3','0.80','24.50','2'),"
                        "('1','1.20','36.74','1')"));
    setIndicator(QStringLiteral("Кількість зон"), QStringLiteral("1"));
    exec(QStringLiteral("INSERT INTO зони (зона,райони,опис) VALUES ('1','1','Центр'),"
                        "('2','3','Околиці')"));

    const ZonalTables tables = Load(project, ZonalVariant::Weighted);
    EXPECT_EQ(DataColumn(tables.anketa, AnketaFactorCol), (QStringList{"Б", "Поза списком"}));
    EXPECT_EQ(tables.anketa.rowTexts(1), (QStringList{"1", "Б", "5", "4", "2"}));
    ASSERT_EQ(tables.factors.size(), 3u);
    EXPECT_FALSE(tables.factors[0].checked);
    EXPECT_TRUE(tables.factors[1].checked);
    EXPECT_EQ(tables.factors[2].key, QStringLiteral("Поза списком"));
    EXPECT_TRUE(tables.factors[2].checked);
    // The indices were computed; Km2 and value are as stored until Km2 is computed again.
    const ResultColumns cols = ResultColumnsOf(ZonalVariant::Weighted);
    EXPECT_EQ(DataColumn(tables.result, cols.ii), (QStringList{"1.08", "1.08", "0.54"}));
    EXPECT_EQ(DataColumn(tables.result, cols.km2), (QStringList{"1.20", "", "0.80"}));
    EXPECT_EQ(DataColumn(tables.result, cols.zone), (QStringList{"1", "", "2"}));
    // Every stored zone is read, though "Кількість зон" says one.
    EXPECT_EQ(tables.zones.rowTexts(2), (QStringList{"2", "3", "Околиці"}));
}

TEST_F(ZonalStoreTest, AFailedStoreKeepsEveryTableAsItWas) {
    const ZonalTables filled = Filled(project, ZonalVariant::Weighted);
    ASSERT_TRUE(StoreZonal(project, ZonalVariant::Weighted, filled.factors, filled.anketa,
                           filled.result, filled.zones, ZonalIndicators{"2", "0.90", "1.20"},
                           nullptr));
    const QStringList anketa =
        rows(QStringLiteral("анкета"), QStringLiteral("район,фактор,оцінка"));
    ZonalTables changed = filled;
    changed.anketa.set(1, AnketaFirstDistrictCol, QStringLiteral("1"));
    changed.zones.set(1, ZoneDescriptionCol, QStringLiteral("нове"));
    // A refused DELETE fails the store as a refused INSERT does.
    for (const QString& table : {QStringLiteral("анкета"), QStringLiteral("зони")}) {
        SCOPED_TRACE(table.toStdString());
        breakTable(table);
        QString error;
        EXPECT_FALSE(StoreZonal(project, ZonalVariant::Weighted, changed.factors, changed.anketa,
                                changed.result, changed.zones, ZonalIndicators{"5", "0.10", "9.00"},
                                &error));
        EXPECT_TRUE(error.startsWith(StoreFailedText() + QStringLiteral("зламано")))
            << error.toStdString();
        EXPECT_EQ(rows(QStringLiteral("анкета"), QStringLiteral("район,фактор,оцінка")), anketa);
        EXPECT_EQ(rows(QStringLiteral("зони"), QStringLiteral("опис")).first(), QuotedText);
        EXPECT_EQ(indicator(QStringLiteral("Кількість зон")), QStringLiteral("2"));
        for (const char* when : {"INSERT", "UPDATE", "DELETE"})
            exec(QStringLiteral("DROP TRIGGER break_%1_%2")
                     .arg(QString::number(qHash(table)), QString::fromUtf8(when)));
    }
}

TEST_F(ZonalStoreTest, AFailedReadNamesItsTable) {
    exec(QStringLiteral("DROP TABLE км2"));
    ZonalSettlement settlement;
    QString message;
    ASSERT_EQ(ReadZonalSettlement(project, settlement, &message), ZonalOpening::Ready);
    ZonalTables tables;
    QString error;
    EXPECT_FALSE(LoadZonalTables(project, ZonalVariant::Weighted, settlement, tables, &error));
    EXPECT_TRUE(error.startsWith(LoadFailedText(QStringLiteral("км2")))) << error.toStdString();
}
