// Golden folder of the check: the lines CheckSettlement gives for the demonstration settlement
// as generated and for copies of it each changed in one step's inputs or results, kept in
// tests/valuation/golden/check/<case>.txt (first line: what was changed; the findings; after
// "--- notes" the notes). Every step's check shows up in at least one case, so a change in the
// wording or order of its lines is seen here.
//
// To rewrite the golden files after a meant change: build valuation_tests, run
//   TAMBERON_UPDATE_GOLDEN=1 build/tests/valuation/valuation_tests --gtest_filter='*CheckGolden*'
// and review `git diff tests/valuation/golden` before committing.
#include "common/FileUtils.h"
#include "common/LastError.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "tests/support/DemoOnce.h"
#include "tests/support/Golden.h"
#include "tests/support/TestSupport.h"
#include "tools/demo/DemoSettlement.h"
#include "valuation/Check.h"
#include "valuation/Formulas.h"
#include "valuation/Names.h"
#include "valuation/Typed.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>
#include <gtest/gtest.h>

namespace {

/** One variant of the demonstration: its name (the golden file's) and what is changed. */
struct CheckCase {
    const char* name;
    const char* what;
    std::function<void(Connection&)> change;
};

void Exec(Connection& db, const QString& sql) {
    Query q(&db);
    ASSERT_TRUE(RunQuery(q, sql, false)) << LastError().toStdString() << ' ' << sql.toStdString();
}

QString Value(Connection& db, const QString& sql) {
    Query q(&db);
    return RunQuery(q, sql, true) && !q.eof() ? q.text(0) : QString();
}

void SetIndicator(Connection& db, const QString& name, const QString& value) {
    Exec(db, QStringLiteral("UPDATE характеристика SET значення='%1' WHERE показник='%2'")
                 .arg(value, name));
}

QString IndicatorOf(Connection& db, const QString& name) {
    return Value(db, QStringLiteral("SELECT значення FROM характеристика WHERE показник='%1' "
                                    "ORDER BY id")
                         .arg(name));
}

const std::vector<CheckCase>& Cases() {
    static const std::vector<CheckCase> cases{
        {"demonstration", "the demonstration as generated", [](Connection&) {}},
        {"population", "the population of the information list changed",
         [](Connection& db) {
             Exec(db, QStringLiteral("UPDATE показники SET значення='2.5' WHERE показник="
                                     "'Чисельність населення, тис. чол.'"));
         }},
        {"assessed-area", "the assessed territory typed over before marks were kept",
         [](Connection& db) {
             SetIndicator(db, names::ind::AssessedArea(), QStringLiteral("99.0000"));
         }},
        {"costs", "a cost item's quantity cleared and another's restored cost changed",
         [](Connection& db) {
             Exec(db,
                  QStringLiteral(
                      "UPDATE витрати SET кількість='' WHERE id=(SELECT min(id) FROM витрати)"));
             Exec(db, QStringLiteral("UPDATE витрати SET відновлена='1.0000' WHERE id=(SELECT "
                                     "max(id) FROM витрати)"));
         }},
        {"typed-restored-cost", "a restored cost typed over, then the coefficient line changed",
         [](Connection& db) {
             Exec(db, QStringLiteral("UPDATE витрати SET відновлена='5.0000' WHERE id=(SELECT "
                                     "min(id) FROM витрати)"));
             const QString initial =
                 Value(db, QStringLiteral("SELECT первісна FROM витрати ORDER BY id LIMIT 1"));
             QHash<QString, valuation::TypedMark> marks;
             marks.insert(valuation::MarkKey(QStringLiteral("1"), QStringLiteral("відновлена")),
                          valuation::TypedMark{{},
                                               {},
                                               {},
                                               QStringLiteral("5.0000"),
                                               initial,
                                               valuation::RestoredCostInputs(initial, 1.0)});
             ASSERT_TRUE(valuation::StoreTypedMarks(db, QStringLiteral("витрати"), marks));
             SetIndicator(db, names::ind::CostCoefficient(), QStringLiteral("* 1.500   - 2020"));
         }},
        {"stale-km1", "Км1 changed without its options",
         [](Connection& db) { SetIndicator(db, names::ind::Km1(), QStringLiteral("1.300")); }},
        {"km1-options", "the options of Км1 changed",
         [](Connection& db) {
             SetIndicator(db, names::ind::Km1Options(), QStringLiteral("3;No;6;No"));
         }},
        {"typed-average", "Цнм typed over, then Км1 changed",
         [](Connection& db) {
             const QString cost = IndicatorOf(db, names::ind::DevelopmentCost());
             const QString km1 = IndicatorOf(db, names::ind::Km1());
             SetIndicator(db, names::ind::AverageValue(), QStringLiteral("60.00"));
             ASSERT_TRUE(valuation::MarkIndicatorTyped(
                 db, names::ind::AverageValue(), QStringLiteral("60.00"), true,
                 valuation::AverageValue(cost, km1), valuation::AverageValueInputs(cost, km1)));
             SetIndicator(db, names::ind::Km1(), QStringLiteral("1.300"));
         }},
        {"zonal", "a district's Km2 row removed, another's values changed",
         [](Connection& db) {
             Exec(db, QStringLiteral("DELETE FROM км2 WHERE rowid=(SELECT max(rowid) FROM км2)"));
             Exec(db, QStringLiteral("UPDATE км2 SET км2='9.99', вартість='1.00' WHERE "
                                     "rowid=(SELECT min(rowid) FROM км2)"));
             Exec(db, QStringLiteral("UPDATE зони SET райони='' WHERE rowid=(SELECT min(rowid) "
                                     "FROM зони)"));
         }},
        {"local", "a local coefficient changed and another no number",
         [](Connection& db) {
             Exec(db, QStringLiteral("UPDATE локальні SET коефіціент='1.33' WHERE rowid=(SELECT "
                                     "min(rowid) FROM локальні)"));
             Exec(db, QStringLiteral("UPDATE локальні SET коефіціент='abc' WHERE rowid=(SELECT "
                                     "max(rowid) FROM локальні)"));
         }},
        {"quarters", "quarter statement cells changed, a row of an unknown district",
         [](Connection& db) {
             Exec(db, QStringLiteral("UPDATE відомість_кварталів SET функ='9.99', лок_1='7', "
                                     "зона='77' WHERE rowid=(SELECT min(rowid) FROM "
                                     "відомість_кварталів)"));
             Exec(db, QStringLiteral("UPDATE відомість_кварталів SET район='999' WHERE "
                                     "rowid=(SELECT max(rowid) FROM відомість_кварталів)"));
         }},
        {"soils", "a soil's score and a kind's indexed base value changed",
         [](Connection& db) {
             Exec(db, QStringLiteral("UPDATE угіддя SET бал_бонітету='50' WHERE rowid=(SELECT "
                                     "min(rowid) FROM угіддя WHERE тип NOT LIKE '%*')"));
             Exec(db, QStringLiteral("UPDATE угіддя SET до_індексації='1000', "
                                     "індексація='* 1.200   - 2020' WHERE rowid=(SELECT "
                                     "min(rowid) FROM угіддя WHERE тип LIKE '%*')"));
         }},
        {"plots", "the plots' Кф, areas and a household part changed",
         [](Connection& db) {
             Exec(db, QStringLiteral("UPDATE ділянки SET функц='2.00' WHERE номер='1'"));
             Exec(db, QStringLiteral("UPDATE ділянки SET площа='0.5000' WHERE номер='2'"));
             Exec(db, QStringLiteral("UPDATE ділянки SET площа='1.0000' WHERE номер='3' AND "
                                     "шифр<>''"));
         }},
    };
    return cases;
}

class CheckGolden : public ::testing::TestWithParam<size_t> {
protected:
    /** The demonstration, written once for the tests from the settlement templates. */
    static void SetUpTestSuite() { s_demo.write(); }
    static void TearDownTestSuite() { s_demo.clear(); }

    static inline DemoOnce s_demo;
};

QString CheckText(const CheckCase& c, Connection& db) {
    valuation::CheckResult result;
    QString error;
    EXPECT_TRUE(valuation::CheckSettlement(db, result, &error)) << error.toStdString();
    QString text = QStringLiteral("# ") + QString::fromUtf8(c.what) + u'\n';
    for (const QString& line : valuation::CheckLines(result))
        text += line + u'\n';
    text += QStringLiteral("--- notes\n");
    for (const QString& line : valuation::NoteLines(result))
        text += line + u'\n';
    return text;
}

} // namespace

TEST_P(CheckGolden, TheCheckGivesTheExpectedLines) {
    ASSERT_TRUE(s_demo.written()) << s_demo.error().toStdString();
    const CheckCase& c = Cases()[GetParam()];
    const QString source = s_demo.settlementFolder();
    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("data.sqlite"));
    ASSERT_TRUE(QFile::copy(JoinPath(source, QStringLiteral("data.sqlite")), database));
    Connection db;
    ASSERT_TRUE(db.open(database));
    c.change(db);
    ExpectGolden(
        JoinPath(QStringLiteral(GOLDEN_DIR),
                 QStringLiteral("check/") + QString::fromUtf8(c.name) + QStringLiteral(".txt")),
        CheckText(c, db));
}

INSTANTIATE_TEST_SUITE_P(Demonstration, CheckGolden, ::testing::Range<size_t>(0, Cases().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                             std::string name = Cases()[info.param].name;
                             for (char& ch : name)
                                 if (ch == '-')
                                     ch = '_';
                             return name;
                         });
