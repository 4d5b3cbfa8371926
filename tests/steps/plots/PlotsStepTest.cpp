#include "steps/plots/PlotsStep.h"

#include "steps/common/StepStore.h"
#include "tests/steps/support/StepTestSupport.h"
#include "valuation/Formulas.h"

namespace {

Plot Valued(const char* base, const char* kf, const char* km2, const char* km3, const char* area) {
    Plot plot;
    plot.baseValue = QString::fromUtf8(base);
    plot.kf = QString::fromUtf8(kf);
    plot.km2 = QString::fromUtf8(km2);
    plot.km3 = QString::fromUtf8(km3);
    plot.area = QString::fromUtf8(area);
    return plot;
}

PlotPart Part(const char* code, const char* perHa, const char* area) {
    return PlotPart{QString::fromUtf8(code), QString::fromUtf8(perHa), QString::fromUtf8(area), {}};
}

class PlotsDbTest : public StepDbTest {
protected:
    void SetUp() override {
        StepDbTest::SetUp();
        for (const char* district : {"3", "5", "8"})
            exec(QStringLiteral("INSERT INTO характеристика (код,показник,значення) VALUES "
                                "('%1','Площі районів','10')")
                     .arg(QString::fromUtf8(district)));
        setIndicator(QStringLiteral("Середня вартість 1 кв м"), QStringLiteral("120.00"));
        exec(QStringLiteral(
            "INSERT INTO км2 (район,км2) VALUES ('3','1.35'),('3','9'),('5','abc')"));
        exec(QStringLiteral("INSERT INTO локальні (район,фактор,коефіціент) VALUES "
                            "('3','1','1.10'),('3','5',''),('5','2','0.90'),('5','7','1.20')"));
        exec(QStringLiteral("INSERT INTO угіддя (тип,шифр,бал_бонітету,площа,вартість) VALUES "
                            "('1','41г','40','12.5','24000.00'),('2','41г','40','1','18000.00'),"
                            "('2','53г','45','1','20250.00')"));
    }

    /** The rows of "ділянки" in id order, their columns joined by "|". */
    QStringList stored() {
        return column(QStringLiteral(
            "SELECT номер||'|'||ifnull(назва,'')||'|'||ifnull(функц,'')||'|'||ifnull(район,'')||"
            "'|'||ifnull(площа,'')||'|'||ifnull(базова,'')||'|'||ifnull(розрахункова,'')||'|'||"
            "ifnull(загальна,'')||'|'||ifnull(шифр,'') FROM ділянки ORDER BY id"));
    }
};

} // namespace

TEST(ComputePlot, ValuesOneSquareMetreAndThePlot) {
    Plot plot = Valued("120.00", "2.50", "1.35", "1.10", "0.1500");
    ComputePlot(plot, false);
    EXPECT_EQ(plot.valuePerSqM, QStringLiteral("445.50"));
    EXPECT_EQ(plot.value, QStringLiteral("668250.00"));

    // The plot value takes the value of 1 sq m rounded: 1.005 x 1 ha is 10100.00, not 10050.
    Plot rounded = Valued("1.005", "1", "1", "1", "1");
    ComputePlot(rounded, false);
    EXPECT_EQ(rounded.valuePerSqM, QStringLiteral("1.01"));
    EXPECT_EQ(rounded.value, QStringLiteral("10100.00"));
}

TEST(ComputePlot, OneSquareMetreStartsFromTheZonesPublishedValue) {
    // Цнм 40.12 x Km2 1.21 is published as 48.55; a commercial plot there is 48.55 x 2.50,
    // not 40.12 x 1.21 x 2.50 rounded once (121.36).
    Plot plot = Valued("40.12", "2.50", "1.21", "1.00", "0.1000");
    ComputePlot(plot, false);
    EXPECT_EQ(plot.valuePerSqM, QStringLiteral("121.38"));
    EXPECT_EQ(plot.value, QStringLiteral("121380.00"));
    EXPECT_EQ(valuation::Fixed(valuation::ZoneValue(40.12, 1.21), 2), QStringLiteral("48.55"));
    // Km3 still enters rounded to 2 decimals.
    Plot local = Valued("40.12", "2.50", "1.21", "1.096", "1");
    ComputePlot(local, false);
    EXPECT_EQ(local.valuePerSqM, valuation::Fixed(48.55 * 2.5 * 1.10, 2));
}

TEST(ComputePlot, AnythingNotANumberLeavesTheResultsEmpty) {
    for (int field = 0; field < 5; ++field) {
        Plot plot = Valued("120", "2.5", "1.35", "1.1", "0.15");
        QString* texts[] = {&plot.baseValue, &plot.kf, &plot.km2, &plot.km3, &plot.area};
        *texts[field] = field % 2 ? QStringLiteral("abc") : QString();
        plot.valuePerSqM = QStringLiteral("old");
        plot.value = QStringLiteral("old");
        ComputePlot(plot, false);
        EXPECT_TRUE(plot.valuePerSqM.isEmpty()) << field;
        EXPECT_TRUE(plot.value.isEmpty()) << field;
    }
    // Numbers past what a double holds give no result rather than "inf".
    Plot huge = Valued("1e300", "1e300", "1", "1", "1");
    ComputePlot(huge, false);
    EXPECT_TRUE(huge.valuePerSqM.isEmpty());
    Plot wide = Valued("999999999999999", "999999999999999", "1", "1", "999999999999999");
    ComputePlot(wide, true);
    EXPECT_FALSE(wide.value.isEmpty());
}

TEST(CheckPlots, CoefficientsAboveZeroAreasAndValuesNotBelow) {
    PlotsData data;
    data.plot(1).kf = QStringLiteral("2.50");
    data.plot(1).area = QStringLiteral("0.15");
    EXPECT_FALSE(CheckPlots(data));
    data.plot(2).area = QStringLiteral("-0.1");
    EXPECT_EQ(CheckPlots(data)->field, QStringLiteral("ESq2"));
    EXPECT_EQ(CheckPlots(data)->text,
              QStringLiteral("Площа ділянки має бути числом, не меншим за 0."));
    data.plot(2).area.clear();
    data.plot(1).km2 = QStringLiteral("0");
    EXPECT_EQ(CheckPlots(data)->field, QStringLiteral("EKm21"));
    data.plot(1).km2.clear();
    data.plot(3).parts[1].area = QStringLiteral("-1");
    EXPECT_EQ(CheckPlots(data)->field, QStringLiteral("EOsg2Sq3"));
}

TEST(ComputePlot, TheHouseholdPlotAddsItsPartsToTheTotals) {
    Plot plot = Valued("100", "1.00", "1.00", "1.00", "0.1000");
    plot.parts[0] = Part("41г", "24000.00", "0.2500");
    plot.parts[1] = Part("", "18000.00", "1");      // no soil: not a part
    plot.parts[2] = Part("53г", "", "1");           // no value of 1 ha
    plot.parts[3] = Part("53г", "20250.00", "abc"); // no area
    ComputePlot(plot, true);
    EXPECT_EQ(plot.value, QStringLiteral("100000.00"));
    EXPECT_EQ(plot.parts[0].value, QStringLiteral("6000.00"));
    EXPECT_TRUE(plot.parts[1].value.isEmpty() && plot.parts[2].value.isEmpty() &&
                plot.parts[3].value.isEmpty());
    EXPECT_EQ(plot.totalValue, QStringLiteral("106000.00"));
    EXPECT_EQ(plot.totalArea, QStringLiteral("0.3500"));

    // Without parts, or with a last part worth 0, the built-up part still gives the totals.
    Plot alone = Valued("100", "1", "1", "1", "0.1");
    ComputePlot(alone, true);
    EXPECT_EQ(alone.totalValue, QStringLiteral("100000.00"));
    EXPECT_EQ(alone.totalArea, QStringLiteral("0.1000"));
    alone.parts[3] = Part("41г", "24000.00", "0");
    ComputePlot(alone, true);
    EXPECT_EQ(alone.parts[3].value, QStringLiteral("0.00"));
    EXPECT_EQ(alone.totalValue, QStringLiteral("100000.00"));

    // The other plots have no totals.
    Plot single = Valued("100", "1", "1", "1", "0.1");
    ComputePlot(single, false);
    EXPECT_TRUE(single.totalValue.isEmpty());
}

TEST_F(PlotsDbTest, DistrictsGetTheirKm2AndKm3AndOneOrNoneWithoutRows) {
    const auto lookup = [this](const char* district) {
        Plot plot;
        plot.district = QString::fromUtf8(district);
        plot.km2 = QStringLiteral("old");
        LookupDistrictCoefficients(project, plot);
        return plot.km2 + u'/' + plot.km3;
    };
    EXPECT_EQ(lookup("3"), QStringLiteral("1.35/1.10"));  // first row; empty factor skipped
    EXPECT_EQ(lookup("5"), QStringLiteral("1.00/1.08"));  // Km2 not a number
    EXPECT_EQ(lookup("8"), QStringLiteral("1.00/1.00"));  // no rows at all
    EXPECT_EQ(lookup("9'"), QStringLiteral("1.00/1.00")); // quoted, no rows
    EXPECT_EQ(lookup(""), QStringLiteral("/"));
}

TEST_F(PlotsDbTest, SoilsGetTheirValueOfOneHectareByKind) {
    const auto lookup = [this](int kind, const char* code) {
        PlotPart part;
        part.code = QString::fromUtf8(code);
        part.valuePerHa = QStringLiteral("old");
        LookupSoilValue(project, kind, part);
        return part.valuePerHa;
    };
    EXPECT_EQ(lookup(1, "41г"), QStringLiteral("24000.00"));
    EXPECT_EQ(lookup(2, "41г"), QStringLiteral("18000.00"));
    EXPECT_TRUE(lookup(1, "53г").isEmpty());
    EXPECT_TRUE(lookup(4, "99х").isEmpty());
    EXPECT_TRUE(lookup(1, "").isEmpty());
}

TEST_F(PlotsDbTest, EightRowsRoundTripAndTheBaseIsTheCurrentAverage) {
    PlotsData data;
    data.plot(1) = Valued("120.00", "2.50", "1.35", "1.10", "0.1500");
    data.plot(1).name = QStringLiteral("Магазин");
    data.plot(1).district = QStringLiteral("3");
    ComputePlot(data.plot(1), false);
    data.plot(2).name = QStringLiteral("Школа'");
    Plot& house = data.plot(3);
    house = Valued("120.00", "1.00", "1.00", "1.00", "0.1000");
    house.name = QStringLiteral("Садиба");
    house.district = QStringLiteral("8");
    house.parts[0] = Part("41г", "24000.00", "0.2500");
    house.parts[2] = Part("99х", "", "0.1");
    ComputePlot(house, true);
    QString error;
    ASSERT_TRUE(StorePlots(project, data, &error)) << error.toStdString();
    EXPECT_EQ(stored(), QStringList({"1|Магазин|2.50|3|0.1500|120.00|445.50|668250.00|",
                                     "2|Школа'|||||||", "3|Садиба|||0.3500|||126000.00|",
                                     "3|0|1.00|8|0.1000|120.00|120.00|120000.00|",
                                     "3|1|||0.2500|24000.00||6000.00|41г", "3|2|||||||",
                                     "3|3|||0.1||||99х", "3|4|||||||"}));
    // A row's own columns keep even an empty text; the columns it has no value for stay NULL
    // (функц, район, базова, розрахункова, шифр).
    EXPECT_EQ(column(QStringLiteral("SELECT (функц IS NULL)||(район IS NULL)||(базова IS NULL)||"
                                    "(розрахункова IS NULL)||(шифр IS NULL)||(назва IS NULL) FROM "
                                    "ділянки ORDER BY id")),
              QStringList({"000010", "000010", "111110", "000010", "110100", "110100", "110100",
                           "110100"}));

    // The base value is always the current average, and every plot that can be valued opens
    // valued anew with it; what changed is listed.
    exec(QStringLiteral("UPDATE ділянки SET загальна='1.00', базова='1' WHERE номер='1'"));
    setIndicator(QStringLiteral("Середня вартість 1 кв м"), QStringLiteral("150.00"));
    PlotsData loaded;
    ASSERT_TRUE(LoadPlots(project, loaded, nullptr));
    EXPECT_EQ(loaded.districts, QStringList({"3", "5", "8"}));
    EXPECT_EQ(loaded.soilCodes, QStringList({"41г", "53г"}));
    EXPECT_EQ(loaded.plot(1).name, QStringLiteral("Магазин"));
    EXPECT_EQ(loaded.plot(1).baseValue, QStringLiteral("150.00"));
    Plot valued = loaded.plot(1);
    ComputePlot(valued, false);
    EXPECT_EQ(loaded.plot(1).value, valued.value);
    EXPECT_NE(loaded.plot(1).value, QStringLiteral("1.00"));
    ASSERT_EQ(loaded.changes.size(), 2);
    EXPECT_TRUE(loaded.changes[0].startsWith(QStringLiteral("Ділянка №1: вартість 1.00 → ")));
    EXPECT_EQ(loaded.plot(1).km2, QStringLiteral("1.35"));
    EXPECT_EQ(loaded.plot(1).km3, QStringLiteral("1.10"));
    EXPECT_EQ(loaded.plot(2).name, QStringLiteral("Школа'"));
    EXPECT_TRUE(loaded.plot(2).km2.isEmpty());
    EXPECT_EQ(loaded.plot(2).baseValue, QStringLiteral("150.00"));
    const Plot& back = loaded.plot(3);
    EXPECT_EQ(back.name, QStringLiteral("Садиба"));
    // 150.00 x Kf 1.00 x Km2 1.00 x Km3 1.00 on 0.1 ha, and the arable part's 6000.00.
    EXPECT_EQ(back.totalValue, QStringLiteral("156000.00"));
    EXPECT_EQ(back.totalArea, QStringLiteral("0.3500"));
    EXPECT_EQ(back.value, QStringLiteral("150000.00"));
    EXPECT_EQ(back.km2, QStringLiteral("1.00"));
    EXPECT_EQ(back.parts[0].code, QStringLiteral("41г"));
    EXPECT_EQ(back.parts[0].valuePerHa, QStringLiteral("24000.00"));
    EXPECT_EQ(back.parts[0].value, QStringLiteral("6000.00"));
    // A soil code missing from "угіддя" has no value of 1 ha.
    EXPECT_EQ(back.parts[2].code, QStringLiteral("99х"));
    EXPECT_TRUE(back.parts[2].valuePerHa.isEmpty());
}

TEST_F(PlotsDbTest, MissingRowsLeaveTheFieldsEmptyAndFailuresChangeNothing) {
    PlotsData loaded;
    ASSERT_TRUE(LoadPlots(project, loaded, nullptr));
    for (int number = 1; number <= PlotCount; ++number) {
        EXPECT_TRUE(loaded.plot(number).kf.isEmpty());
        EXPECT_TRUE(loaded.plot(number).district.isEmpty());
        EXPECT_EQ(loaded.plot(number).baseValue, QStringLiteral("120.00"));
    }
    // Even an empty window stores one row for each of plots 1 and 2 and six for plot 3.
    ASSERT_TRUE(StorePlots(project, loaded, nullptr));
    EXPECT_EQ(
        column(QStringLiteral("SELECT номер||'/'||ifnull(назва,'') FROM ділянки ORDER BY id")),
        QStringList({"1/", "2/", "3/", "3/0", "3/1", "3/2", "3/3", "3/4"}));

    const QStringList before = stored();
    breakTable(QStringLiteral("ділянки"));
    loaded.plot(1).name = QStringLiteral("Нова");
    QString error;
    EXPECT_FALSE(StorePlots(project, loaded, &error));
    EXPECT_TRUE(error.startsWith(StoreFailedText() + QStringLiteral("зламано")))
        << error.toStdString();
    EXPECT_EQ(stored(), before);

    exec(QStringLiteral("DROP TABLE ділянки"));
    EXPECT_FALSE(LoadPlots(project, loaded, &error));
    EXPECT_TRUE(error.startsWith(LoadFailedText(QStringLiteral("ділянки")))) << error.toStdString();
}
