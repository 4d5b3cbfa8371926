// The model's reads and writes of a damaged settlement: each says what failed, in `error`.
#include "db/QueryFunctions.h"
#include "tests/steps/support/StepDbTest.h"
#include "valuation/Districts.h"
#include "valuation/Indicators.h"
#include "valuation/LayerFingerprints.h"
#include "valuation/LocalCatalogue.h"
#include "valuation/Names.h"
#include "valuation/Settlement.h"
#include "valuation/TableRows.h"
#include "valuation/Typed.h"
#include "valuation/ZonalGrids.h"

namespace {

QString ReadFailed(const QString& table) {
    return QStringLiteral("Вибірка із бази \"") + table + QStringLiteral("\"\rПодробиці: ");
}

const QString UpdateFailed = QStringLiteral("Оновлення даних у базі даних.\rПомилка: ");

class ModelErrorsTest : public StepDbTest {};

} // namespace

TEST_F(ModelErrorsTest, AFailedReadNamesTheTableAndTheProvidersReason) {
    const QString indicators = names::table::Indicators();
    exec(QStringLiteral("ALTER TABLE характеристика RENAME TO характеристика_стара"));
    QString error;
    Indicators all;
    EXPECT_FALSE(all.read(project, &error));
    EXPECT_TRUE(error.startsWith(ReadFailed(indicators))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("характеристика"))) << error.toStdString();

    error.clear();
    std::vector<District> districts;
    EXPECT_FALSE(ReadDistricts(project, DistrictOrder::ByNumber, districts, true, &error));
    EXPECT_TRUE(error.startsWith(ReadFailed(indicators))) << error.toStdString();

    error.clear();
    valuation::Settlement settlement;
    EXPECT_FALSE(valuation::ReadSettlement(project, settlement, &error));
    EXPECT_TRUE(error.startsWith(ReadFailed(indicators))) << error.toStdString();
    exec(QStringLiteral("ALTER TABLE характеристика_стара RENAME TO характеристика"));

    // A table that exists but cannot be read as the model reads it.
    exec(QStringLiteral("DROP TABLE IF EXISTS км2"));
    exec(QStringLiteral("CREATE TABLE км2 (район TEXT PRIMARY KEY) WITHOUT ROWID"));
    error.clear();
    valuation::TableRows rows;
    EXPECT_FALSE(valuation::ReadTableRows(project, names::table::Km2(), {QStringLiteral("район")},
                                          QStringLiteral("rowid"), rows, &error));
    EXPECT_TRUE(error.startsWith(ReadFailed(names::table::Km2()))) << error.toStdString();
    error.clear();
    EXPECT_FALSE(valuation::ReadSettlement(project, settlement, &error));
    EXPECT_TRUE(error.startsWith(ReadFailed(names::table::Km2()))) << error.toStdString();

    exec(QStringLiteral("DROP TABLE IF EXISTS анкета"));
    error.clear();
    StringGrid anketa;
    EXPECT_FALSE(ReadAnketaGrid(project, districts, anketa, nullptr, &error));
    EXPECT_TRUE(error.startsWith(ReadFailed(QStringLiteral("анкета")))) << error.toStdString();

    exec(QStringLiteral("DROP TABLE IF EXISTS шари_кроків"));
    exec(QStringLiteral("CREATE TABLE шари_кроків (id INTEGER)"));
    error.clear();
    std::vector<valuation::StepLayers> uses;
    EXPECT_FALSE(valuation::ReadLayerUses(project, uses, &error));
    EXPECT_TRUE(error.startsWith(ReadFailed(valuation::LayerUsesTable()))) << error.toStdString();
    bool has = true;
    error.clear();
    EXPECT_FALSE(valuation::HasLayerUses(project, valuation::Step::Areas, has, &error));
    EXPECT_TRUE(error.startsWith(ReadFailed(valuation::LayerUsesTable()))) << error.toStdString();

    Query q(&catalogue);
    ASSERT_TRUE(
        RunQuery(q, QStringLiteral("ALTER TABLE локальні RENAME TO локальні_старі"), false));
    error.clear();
    std::vector<LocalFactor> factors;
    EXPECT_FALSE(ReadLocalCatalogue(catalogue, factors, &error));
    EXPECT_TRUE(error.startsWith(ReadFailed(QStringLiteral("локальні")))) << error.toStdString();
    ASSERT_TRUE(
        RunQuery(q, QStringLiteral("ALTER TABLE локальні_старі RENAME TO локальні"), false));
}

TEST_F(ModelErrorsTest, AFailedWriteSaysTheDatabaseRefusedAndWhy) {
    breakTable(names::table::Indicators());
    QString error;
    EXPECT_FALSE(WriteIndicator(project, names::ind::Km1(), QStringLiteral("1.000"), &error));
    EXPECT_TRUE(error.startsWith(UpdateFailed)) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("зламано"))) << error.toStdString();

    exec(QStringLiteral("CREATE TABLE IF NOT EXISTS введено_вручну (id INTEGER PRIMARY KEY "
                        "AUTOINCREMENT, таблиця TEXT, ключ TEXT, поле TEXT, значення TEXT, "
                        "обчислено TEXT, вхідні TEXT)"));
    breakTable(valuation::TypedTable());
    error.clear();
    EXPECT_FALSE(valuation::MarkIndicatorTyped(project, names::ind::Km1(), QStringLiteral("1.1"),
                                               true, QString(), QString(), &error));
    EXPECT_TRUE(error.startsWith(UpdateFailed)) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("зламано"))) << error.toStdString();

    exec(valuation::LayerUsesTableSql().replace(QStringLiteral("CREATE TABLE"),
                                                QStringLiteral("CREATE TABLE IF NOT EXISTS")));
    breakTable(valuation::LayerUsesTable());
    error.clear();
    EXPECT_FALSE(valuation::StoreLayerUses(
        project, valuation::Step::Areas,
        {valuation::LayerUse{QStringLiteral("райони"), {QStringLiteral("Raion")}, {}}}, &error));
    EXPECT_TRUE(error.startsWith(UpdateFailed)) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("зламано"))) << error.toStdString();
}
