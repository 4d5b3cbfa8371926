// Every indicator is written by its owning step only: each step's store, run on what it
// loaded, writes no other step's indicator (a trigger logs every write).
#include "steps/areas/AreasStep.h"
#include "steps/average/AverageStep.h"
#include "steps/costs/CostsStep.h"
#include "steps/info/InfoStep.h"
#include "steps/zonal/ZonalStore.h"
#include "tests/steps/support/StepDbTest.h"
#include "valuation/StepNames.h"

using namespace valuation;

namespace {

class OwnersTest : public StepDbTest {
protected:
    void SetUp() override {
        StepDbTest::SetUp();
        setIndicator(QStringLiteral("Кількість районів"), QStringLiteral("2"));
        for (const char* d : {"1", "2"})
            exec(QStringLiteral("INSERT INTO характеристика (код,показник,значення) VALUES "
                                "('%1','Площі районів','10')")
                     .arg(QString::fromUtf8(d)));
        setIndicator(names::ind::TotalArea(), QStringLiteral("40.0000"));
        setIndicator(names::ind::AssessedArea(), QStringLiteral("20.0000"));
        setIndicator(names::ind::Population(), QStringLiteral("1.5000"));
        setIndicator(names::ind::DevelopmentCost(), QStringLiteral("6.38"));
        setIndicator(names::ind::Km1(), QStringLiteral("1.200"));
        setIndicator(names::ind::AverageValue(), QStringLiteral("15.31"));
        exec(QStringLiteral("CREATE TABLE written (показник TEXT)"));
        exec(QStringLiteral("CREATE TRIGGER w1 AFTER UPDATE ON характеристика BEGIN INSERT INTO "
                            "written VALUES (NEW.показник); END"));
        exec(QStringLiteral("CREATE TRIGGER w2 AFTER INSERT ON характеристика BEGIN INSERT INTO "
                            "written VALUES (NEW.показник); END"));
    }

    /** The indicators written since the last call that `step` does not own, joined. */
    std::string foreignWrites(Step step) {
        QStringList foreign;
        for (const QString& name :
             column(QStringLiteral("SELECT DISTINCT показник FROM written"))) {
            Step owner{};
            if (!OwnerOf(name, &owner) || owner != step)
                foreign << name;
        }
        exec(QStringLiteral("DELETE FROM written"));
        return foreign.join(QStringLiteral("; ")).toStdString();
    }
};

} // namespace

TEST_F(OwnersTest, EachStepWritesOnlyTheIndicatorsItOwns) {
    StringGrid info = MakeInfoGrid();
    ASSERT_TRUE(LoadInfoRows(project, info, nullptr));
    ASSERT_TRUE(StoreInfoRows(project, info, nullptr));
    EXPECT_EQ(foreignWrites(Step::Info), std::string());

    AreasData areas;
    ASSERT_TRUE(LoadAreas(project, areas, nullptr));
    ASSERT_TRUE(StoreAreas(project, areas, nullptr));
    EXPECT_EQ(foreignWrites(Step::Areas), std::string());

    CostsSheet costs;
    ASSERT_TRUE(LoadCosts(project, 2024, costs, nullptr));
    RecalcCosts(costs, -1, -1);
    ASSERT_TRUE(StoreCosts(project, costs, nullptr));
    EXPECT_EQ(foreignWrites(Step::Costs), std::string());

    AverageData average;
    ASSERT_TRUE(LoadAverage(project, average, nullptr));
    ASSERT_TRUE(StoreAverage(project, average, nullptr));
    EXPECT_EQ(foreignWrites(Step::Average), std::string());

    // The zonal steps need a positive Цнм (the empty cost list above made it 0.00).
    setIndicator(names::ind::AverageValue(), QStringLiteral("15.31"));
    exec(QStringLiteral("DELETE FROM written"));
    ZonalSettlement settlement;
    QString message;
    ASSERT_EQ(ReadZonalSettlement(project, settlement, &message), ZonalOpening::Ready)
        << message.toStdString();
    ZonalTables tables;
    QString error;
    ASSERT_TRUE(LoadZonalTables(project, ZonalVariant::Weighted, settlement, tables, &error))
        << error.toStdString();
    ASSERT_TRUE(StoreZonal(project, ZonalVariant::Weighted, tables.factors, tables.anketa,
                           tables.result, tables.zones, {QStringLiteral("0"), {}, {}}, &error))
        << error.toStdString();
    EXPECT_EQ(foreignWrites(Step::ZonalWeighted), std::string());

    // Nobody wrote over the values of the others.
    EXPECT_EQ(indicator(names::ind::TotalArea()), QStringLiteral("40.0000"));
    EXPECT_EQ(indicator(names::ind::Population()), QStringLiteral("1.5000"));
    EXPECT_EQ(indicator(names::ind::AssessedArea()), QStringLiteral("20.0000"));
}
