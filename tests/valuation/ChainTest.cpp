// The check and the recalculation of the whole chain on copies of the demonstration
// settlement, written by the demonstration generator for this run (not taken from the built
// program folder): it agrees as generated; a changed input makes its dependants stale,
// recalc mends them, values typed by the valuer stay.
#include "commands/ChainCommand.h"
#include "common/FileUtils.h"
#include "common/TextUtils.h"
#include "db/Database.h"
#include "db/Databases.h"
#include "db/QueryFunctions.h"
#include "map/FeatureFactory.h"
#include "map/TabFile.h"
#include "tests/support/DemoOnce.h"
#include "tests/support/TestSupport.h"
#include "tools/demo/DemoSettlement.h"
#include "valuation/Check.h"
#include "valuation/Formulas.h"
#include "valuation/StepMarks.h"
#include "valuation/Typed.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <gtest/gtest.h>

namespace {

class ChainTest : public ::testing::Test {
protected:
    /** The demonstration, written once for the tests from the settlement templates. */
    static void SetUpTestSuite() { demo.write(); }
    static void TearDownTestSuite() { demo.clear(); }

    void SetUp() override {
        ASSERT_TRUE(demo.written()) << demo.error().toStdString();
        const QString source = demo.settlementFolder();
        ASSERT_TRUE(QFileInfo(source).isDir());
        folder = dir.filePath(QStringLiteral("с. Демонстраційне"));
        QDir().mkpath(folder);
        for (const QString& name : QDir(source).entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(JoinPath(source, name), JoinPath(folder, name)));
        ASSERT_TRUE(db.open(JoinPath(folder, QStringLiteral("data.sqlite"))));
    }

    void exec(const QString& sql) {
        Query q(&db);
        ASSERT_TRUE(RunQuery(q, sql, false)) << LastError().toStdString();
    }
    QString value(const QString& sql) {
        Query q(&db);
        return RunQuery(q, sql, true) && !q.eof() ? q.text(0) : QStringLiteral("<none>");
    }
    QString indicator(const QString& name) {
        return value(QStringLiteral("SELECT значення FROM характеристика WHERE показник='") + name +
                     QStringLiteral("' ORDER BY id"));
    }

    /** Runs a command; its exit status, and its output lines in `lines`. */
    int run(bool recalc, QStringList* lines = nullptr) {
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        const int status = recalc ? RunRecalcCommand({folder}, app.path(), out, err)
                                  : RunCheckCommand({folder}, out, err);
        out.flush();
        err.flush();
        if (lines)
            *lines = outText.split(u'\n', Qt::SkipEmptyParts);
        errors = errText;
        return status;
    }

    static inline DemoOnce demo;

    TempAppDir app;
    QTemporaryDir dir;
    QString folder;
    QString errors;
    Connection db;
};

} // namespace

TEST_F(ChainTest, TheDemonstrationAgreesAsBuilt) {
    QStringList lines;
    EXPECT_EQ(run(false, &lines), 0) << lines.join(u'\n').toStdString() << errors.toStdString();
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_EQ(run(true, &lines), 0);
    EXPECT_TRUE(lines.isEmpty());
}

TEST_F(ChainTest, ADistrictGrownOnTheMapIsFoundAndRecalcTakesItsAreasAgain) {
    // The first district of the layer 40 m wider all round, as another GIS may leave it.
    const QString path = JoinPath(folder, QStringLiteral("райони.tab"));
    TableContent content;
    QString error;
    ASSERT_TRUE(TabFile::read(path, content, &error)) << error.toStdString();
    ASSERT_FALSE(content.features.empty());
    Feature& first = content.features.front();
    const MapRect b = first.bounds();
    const Feature grown = FeatureFactory::createRegion({{{b.xMin - 40, b.yMin - 40},
                                                         {b.xMax + 40, b.yMin - 40},
                                                         {b.xMax + 40, b.yMax + 40},
                                                         {b.xMin - 40, b.yMax + 40}}});
    first.setGeometry(grown.geometry());
    ASSERT_TRUE(TabFile::replaceAll(path, content.fields, content.features, &error))
        << error.toStdString();

    QStringList lines;
    ASSERT_EQ(run(false, &lines), 1);
    const auto changed = [](const QString& step, const QString& taken) {
        return u'\u00ab' + step + QStringLiteral("\u00bb: ") + taken +
               QStringLiteral(" з шару «райони», який відтоді змінено");
    };
    const QString areas =
        changed(QStringLiteral("Визначення площ"), QStringLiteral("площі районів узято"));
    const QString functional =
        changed(QStringLiteral("Функціональне використання"),
                QStringLiteral("площі функціонального використання районів узято"));
    const QString local = changed(QStringLiteral("Локальні фактори"),
                                  QStringLiteral("локальні фактори районів узято"));
    const QString zones = changed(QStringLiteral("Земельно-оціночна структуризація Si,Ci,Ei,Ui"),
                                  QStringLiteral("шар «зони» побудовано"));
    for (const QString& line : {areas, functional, local, zones})
        EXPECT_TRUE(lines.contains(line)) << line.toStdString() << "\n"
                                          << lines.join(u'\n').toStdString();

    // Recalc takes the areas and the local factors (by the program's catalogue) again, and
    // builds the zone layer again from the grown districts.
    ASSERT_TRUE(QFile::copy(JoinPath(demo.appDir(), CatalogueFileName()),
                            JoinPath(app.path(), CatalogueFileName())));
    EXPECT_EQ(run(true, &lines), 0) << errors.toStdString();
    EXPECT_TRUE(lines.join(u'\n').contains(QStringLiteral("«Визначення площ»: район ")))
        << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.join(u'\n').contains(QStringLiteral("«Локальні фактори»: район 1: Км3 ")));
    EXPECT_TRUE(lines.contains(QStringLiteral("«Земельно-оціночна структуризація Si,Ci,Ei,Ui»: "
                                              "шар «зони» побудовано з районів заново")))
        << lines.join(u'\n').toStdString();
    for (const QString& line : {areas, functional, local, zones})
        EXPECT_FALSE(errors.contains(line)) << errors.toStdString();
    ASSERT_EQ(run(false, &lines), 1);
    // The grown district still overlaps its neighbours: only the tiling's lines are left.
    EXPECT_TRUE(lines.filter(QRegularExpression(QStringLiteral("^\u00ab"))).isEmpty())
        << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.join(u'\n').contains(QStringLiteral("перекриваються")));
}

TEST_F(ChainTest, AChangedKm1MakesItsDependantsStaleAndRecalcMendsThem) {
    const QString cost = indicator(QStringLiteral("Витрати на освоювання"));
    exec(QStringLiteral("UPDATE характеристика SET значення='1.300' WHERE показник='Км1'"));
    QStringList lines;
    ASSERT_EQ(run(false, &lines), 1);
    const QString expected = valuation::AverageValue(cost, QStringLiteral("1.300"));
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("\"Середня вартість\": показник "
                                                        "\"Середня вартість 1 кв м\"")))
        << lines.first().toStdString();
    EXPECT_TRUE(lines.first().endsWith(QStringLiteral("перераховано ") + expected));
    EXPECT_TRUE(lines.join(u'\n').contains(QStringLiteral("км2, район 1: вартість")));
    EXPECT_TRUE(lines.join(u'\n').contains(QStringLiteral("\"Оцінка ділянок\"")));

    ASSERT_EQ(run(true, &lines), 0) << errors.toStdString();
    EXPECT_TRUE(lines.first().contains(QStringLiteral(" → ") + expected));
    EXPECT_EQ(run(false), 0);
    EXPECT_EQ(indicator(QStringLiteral("Середня вартість 1 кв м")), expected);
    // Every zone value is Цнм x Km2 again.
    Query q(&db);
    ASSERT_TRUE(RunQuery(q, QStringLiteral("SELECT км2, вартість FROM км2 WHERE км2<>''"), true));
    for (q.first(); !q.eof(); q.next())
        EXPECT_EQ(q.text(1),
                  FormatFixed(valuation::ZoneValue(NumberOr0(expected), NumberOr0(q.text(0))), 2));
}

TEST_F(ChainTest, ATypedAverageValueIsAnInputAndSaysWhenItsComputedValueChanges) {
    const QString cost = indicator(QStringLiteral("Витрати на освоювання"));
    const QString km1 = indicator(QStringLiteral("Км1"));
    const QString computed = valuation::AverageValue(cost, km1);
    exec(QStringLiteral("UPDATE характеристика SET значення='60.00' WHERE показник='Середня "
                        "вартість 1 кв м'"));
    ASSERT_TRUE(valuation::MarkIndicatorTyped(db, QStringLiteral("Середня вартість 1 кв м"),
                                              QStringLiteral("60.00"), true, computed,
                                              valuation::AverageValueInputs(cost, km1)));
    QStringList lines;
    ASSERT_EQ(run(false, &lines), 1);
    QString all = lines.join(u'\n');
    EXPECT_FALSE(all.contains(QStringLiteral("показник \"Середня вартість 1 кв м\": збережено")));
    // Listed as a note, with the computed value beside it.
    EXPECT_TRUE(all.contains(QStringLiteral("примітка: \"Середня вартість\": показник \"Середня "
                                            "вартість 1 кв м\": уведено оцінювачем 60.00, "
                                            "обчислене значення ") +
                             computed + QStringLiteral(" (В ") + cost))
        << all.toStdString();
    ASSERT_EQ(run(true), 0) << errors.toStdString();
    EXPECT_EQ(indicator(QStringLiteral("Середня вартість 1 кв м")), QStringLiteral("60.00"));
    EXPECT_EQ(run(false), 0);

    // Км1 changes: the typed value stays, but the check says its computed value changed.
    exec(QStringLiteral("UPDATE характеристика SET значення='1.300' WHERE показник='Км1'"));
    const QString now = valuation::AverageValue(cost, QStringLiteral("1.300"));
    ASSERT_EQ(run(false, &lines), 1);
    all = lines.join(u'\n');
    EXPECT_TRUE(all.contains(QStringLiteral("уведено оцінювачем 60.00; обчислене значення "
                                            "змінилося: було ") +
                             computed))
        << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("тепер ") + now + QStringLiteral(" (В ") + cost +
                             QStringLiteral(", Км1 1.300)")));
    // Recalc leaves it to the valuer, and says so.
    EXPECT_EQ(run(true), 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("обчислене значення змінилося")));
    EXPECT_EQ(indicator(QStringLiteral("Середня вартість 1 кв м")), QStringLiteral("60.00"));
    // --typed lists the typed values alone.
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    EXPECT_EQ(RunCheckCommand({QStringLiteral("--typed"), folder}, out, err), 1);
    out.flush();
    // Км1 typed over its options is one too.
    EXPECT_EQ(outText.trimmed().count(u'\n'), 1) << outText.toStdString();
    EXPECT_TRUE(outText.contains(QStringLiteral("уведено оцінювачем 60.00")));
    EXPECT_TRUE(outText.contains(QStringLiteral("показник \"Км1\": уведено оцінювачем 1.300")));
    EXPECT_FALSE(outText.contains(QStringLiteral("примітка")));

    // A later different value is no longer the typed one: it is stale again.
    exec(QStringLiteral("UPDATE характеристика SET значення='61.00' WHERE показник='Середня "
                        "вартість 1 кв м'"));
    ASSERT_EQ(run(false, &lines), 1);
    EXPECT_TRUE(lines.first().contains(QStringLiteral("збережено 61.00")));
}

TEST_F(ChainTest, CostsAndLocalFactorsReachTheirDependants) {
    // An item without quantity has no total; В follows.
    exec(QStringLiteral("UPDATE витрати SET кількість='' WHERE id=(SELECT min(id) FROM витрати)"));
    // A district's coefficient changes: the quarters of that district follow it.
    exec(QStringLiteral("UPDATE локальні SET коефіціент='1.33' WHERE rowid=(SELECT min(rowid) "
                        "FROM локальні WHERE коефіціент<>'')"));
    QStringList lines;
    ASSERT_EQ(run(false, &lines), 1);
    const QString all = lines.join(u'\n');
    EXPECT_TRUE(all.contains(QStringLiteral("\"Витрати на освоювання\": витрати, рядок 1")));
    EXPECT_TRUE(all.contains(QStringLiteral("перераховано (порожньо)")));
    EXPECT_TRUE(all.contains(QStringLiteral("\"Локальні фактори поквартально\"")));
    EXPECT_TRUE(all.contains(QStringLiteral("перераховано 1.33")));
    ASSERT_EQ(run(true), 0) << errors.toStdString();
    EXPECT_EQ(run(false), 0);
    EXPECT_EQ(value(QStringLiteral("SELECT всього FROM витрати ORDER BY id")), QString());
}

TEST_F(ChainTest, ACoefficientThatIsNoNumberIsReportedAndWrongUseRefused) {
    exec(QStringLiteral("UPDATE локальні SET коефіціент='abc' WHERE rowid=(SELECT min(rowid) "
                        "FROM локальні)"));
    QStringList lines;
    EXPECT_EQ(run(false, &lines), 1);
    EXPECT_TRUE(lines.join(u'\n').contains(QStringLiteral("\"abc\" не є числом")));

    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    EXPECT_EQ(RunCheckCommand({}, out, err), 2);
    EXPECT_EQ(RunCheckCommand({dir.filePath(QStringLiteral("немає"))}, out, err), 2);
    EXPECT_EQ(RunRecalcCommand({QStringLiteral("--help")}, app.path(), out, err), 0);
    out.flush();
    EXPECT_TRUE(outText.contains(QStringLiteral("tamberon recalc ПАПКА")));
}

TEST_F(ChainTest, TheStepListsMarksAreRememberedWhileTheDatabaseIsUnchanged) {
    const QString cache = dir.filePath(QStringLiteral("marks"));
    valuation::StepMarks marks;
    bool checked = false;
    ASSERT_TRUE(valuation::StepMarksOf(db, cache, marks, &checked));
    EXPECT_TRUE(checked);
    EXPECT_TRUE(marks.reasons.isEmpty());
    ASSERT_TRUE(valuation::StepMarksOf(db, cache, marks, &checked));
    EXPECT_FALSE(checked); // remembered
    // A store changes the file: the marks are found anew and name the stale step.
    QThread::msleep(20);
    exec(QStringLiteral("UPDATE характеристика SET значення='1.300' WHERE показник='Км1'"));
    ASSERT_TRUE(valuation::StepMarksOf(db, cache, marks, &checked));
    EXPECT_TRUE(checked);
    EXPECT_TRUE(marks.isStale(valuation::Step::Average));
    EXPECT_FALSE(marks.isStale(valuation::Step::Costs));
    EXPECT_TRUE(marks.reasonsOf(valuation::Step::Average)
                    .first()
                    .startsWith(QStringLiteral("показник \"Середня вартість 1 кв м\"")));
}

// The land structure's totals follow from their parts: a total edited in the database is
// stale and recalc rewrites it; one the valuer typed over its parts is a note and stays, as
// do the totals of areas stored before the parts were kept apart.
TEST_F(ChainTest, ALandStructureTotalFollowsItsParts) {
    const QString builtUp = QStringLiteral("Забудована територія");
    const QString notCounted = QStringLiteral("Територія, що не враховується");
    const QString sum = indicator(builtUp);
    const QString assessed = indicator(QStringLiteral("Оціночна територія"));
    ASSERT_GT(NumberOr0(sum), 1);
    const auto set = [&](const QString& name, const QString& text) {
        exec(QStringLiteral("UPDATE характеристика SET значення='") + text +
             QStringLiteral("' WHERE показник='") + name + u'\'');
    };
    set(builtUp, QStringLiteral("1.5000"));
    QStringList lines;
    ASSERT_EQ(run(false, &lines), 1);
    EXPECT_EQ(lines.value(0), QStringLiteral("\"Визначення площ\": показник \"Забудована "
                                             "територія\": збережено 1.5000, перераховано ") +
                                  sum)
        << lines.join(u'\n').toStdString();
    // The assessed territory follows the recomputed total, so it is no finding of its own.
    EXPECT_FALSE(lines.join(u'\n').contains(QStringLiteral("Оціночна територія")));
    ASSERT_EQ(run(true, &lines), 0) << errors.toStdString();
    EXPECT_EQ(lines.value(0), QStringLiteral("\"Визначення площ\": показник \"Забудована "
                                             "територія\": 1.5000 → ") +
                                  sum);
    EXPECT_EQ(indicator(builtUp), sum);
    EXPECT_EQ(indicator(QStringLiteral("Оціночна територія")), assessed);
    EXPECT_EQ(run(false), 0);

    // The statement's rest of the territory not counted is one of its parts.
    const QString all = indicator(notCounted);
    set(QStringLiteral("Територія, що не враховується, інша"), QStringLiteral("2.5"));
    ASSERT_EQ(run(true, &lines), 0) << errors.toStdString();
    EXPECT_EQ(indicator(notCounted), FormatFixed(NumberOr0(all) + 2.5, 4));

    // Typed over its parts by the valuer: a note, kept by recalc.
    set(builtUp, QStringLiteral("7.0000"));
    ASSERT_TRUE(valuation::MarkIndicatorTyped(db, builtUp, QStringLiteral("7.0000"), true, sum));
    ASSERT_EQ(run(false, &lines), 0) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.join(u'\n').contains(
        QStringLiteral("примітка: \"Визначення площ\": показник \"Забудована територія\": "
                       "уведено оцінювачем 7.0000, обчислене значення ") +
        sum))
        << lines.join(u'\n').toStdString();
    // Its parts change since: a finding, still not rewritten.
    exec(QStringLiteral("UPDATE характеристика SET значення=значення+1 WHERE показник="
                        "'Забудована територія, землі промисловості'"));
    EXPECT_EQ(run(false, &lines), 1);
    EXPECT_TRUE(lines.join(u'\n').contains(QStringLiteral("обчислене значення змінилося")));
    EXPECT_EQ(run(true), 1);
    EXPECT_EQ(indicator(builtUp), QStringLiteral("7.0000"));

    // Areas stored before the rest was kept: a total unlike its parts was the valuer's.
    ASSERT_TRUE(valuation::MarkIndicatorTyped(db, builtUp, QStringLiteral("7.0000"), false));
    exec(QStringLiteral("DELETE FROM характеристика WHERE показник='Територія, що не "
                        "враховується, інша'"));
    set(notCounted, QStringLiteral("1.0000"));
    ASSERT_EQ(run(true, &lines), 0) << errors.toStdString();
    EXPECT_EQ(indicator(builtUp), QStringLiteral("7.0000"));
    EXPECT_EQ(indicator(notCounted), QStringLiteral("1.0000"));
}
