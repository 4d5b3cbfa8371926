// The register's grid without a window: the cells as the register writes them, sorting
// numbers as numbers, the filter of plots not valued, and where a register may be written.
#include "gis/RegisterTable.h"
#include "tests/gis/SourceFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

RegisterPlot plot(const QString& cadastral, double statedHa = 0) {
    RegisterPlot p;
    p.cadastral = cadastral;
    p.purpose = QStringLiteral("02.01");
    p.statedHa = statedHa;
    p.source = QStringLiteral("plots.gpkg, об'єкт ") + cadastral.right(1);
    return p;
}

ValuedPlot valued(const QString& value, const QString& perSqM) {
    ValuedPlot v;
    v.valued = true;
    v.drawnHa = QStringLiteral("0.0400");
    v.areaHa = v.drawnHa;
    v.valuation.plot = true;
    v.valuation.use = QStringLiteral("Ж");
    v.valuation.useName = QStringLiteral("житлова забудова");
    v.valuation.kf = QStringLiteral("1.00");
    v.valuation.areaHa = v.drawnHa;
    v.valuation.value = value;
    PlaceFigures part;
    part.valuePerSqM = perSqM;
    part.areaHa = v.drawnHa;
    part.value = value;
    v.valuation.parts.push_back(part);
    return v;
}

ValuedPlot notValued(const QString& reason) {
    ValuedPlot v;
    v.reason = reason;
    return v;
}

/** Four plots whose values sort differently as texts and as numbers; one not valued. */
RegisterData fourPlots() {
    RegisterData d;
    d.plots = {plot(QStringLiteral("1:01:001:0001"), 0.041), plot(QStringLiteral("1:01:001:0002")),
               plot(QStringLiteral("1:01:001:0003")), plot(QStringLiteral("1:01:001:0004"))};
    d.valued = {valued(QStringLiteral("900.00"), QStringLiteral("2.25")),
                valued(QStringLiteral("10000.00"), QStringLiteral("25.00")),
                notValued(QStringLiteral("Коду 99.99 немає в довіднику.")),
                valued(QStringLiteral("2500.50"), QStringLiteral("6.25"))};
    d.valued[0].areaDiffers = true;
    d.valued[0].drawnHa = QStringLiteral("0.0400");
    d.purposeName = [](const QString& code) {
        return code == QLatin1String("02.01") ? QStringLiteral("Для будівництва житла") : QString();
    };
    return d;
}

QStringList column(const QAbstractItemModel& model, int column) {
    QStringList texts;
    for (int r = 0; r < model.rowCount(); ++r)
        texts << model.index(r, column).data().toString();
    return texts;
}

} // namespace

TEST(RegisterTable, CellsShowTheRegistersNumbersAndReasons) {
    RegisterTableModel model;
    model.setRegister(fourPlots());
    ASSERT_EQ(model.rowCount(), 4);
    ASSERT_EQ(model.columnCount(), RegisterColumnCount);
    EXPECT_EQ(column(model, ColCadastral).at(1), QStringLiteral("1:01:001:0002"));
    EXPECT_EQ(column(model, ColStatedHa), QStringList({"0.0410", "", "", ""}));
    EXPECT_EQ(column(model, ColValue), QStringList({"900.00", "10000.00", "", "2500.50"}));
    EXPECT_EQ(column(model, ColValuePerSqM), QStringList({"2.25", "25.00", "", "6.25"}));
    EXPECT_EQ(column(model, ColCategory), QStringList({"Ж", "Ж", "", "Ж"}));
    // A plot not valued has its reason; a valued one whose areas disagree says so.
    EXPECT_EQ(column(model, ColReason).at(2), QStringLiteral("Коду 99.99 немає в довіднику."));
    EXPECT_TRUE(column(model, ColReason).at(0).contains(QStringLiteral("більш як на 1 %")));
    EXPECT_TRUE(column(model, ColReason).at(1).isEmpty());
    const QString hint = model.index(0, ColValue).data(Qt::ToolTipRole).toString();
    EXPECT_TRUE(hint.contains(QStringLiteral("02.01 Для будівництва житла"))) << hint.toStdString();
    EXPECT_TRUE(hint.contains(QStringLiteral("plots.gpkg"))) << hint.toStdString();
    EXPECT_EQ(model.headerData(ColValue, Qt::Horizontal).toString(),
              QStringLiteral("Вартість, грн"));
    EXPECT_EQ(RegisterSummary(model.data()),
              QStringLiteral("Ділянок: 4; оцінено: 3; не оцінено: 1. Разом 13400.50 грн."));

    // A model given fewer valuations than plots shows the rest as not valued, never reads past.
    RegisterData short_ = fourPlots();
    short_.valued.resize(1);
    model.setRegister(short_);
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_FALSE(model.isValued(3));
    EXPECT_TRUE(model.index(3, ColValue).data().toString().isEmpty());
}

TEST(RegisterTable, NumbersSortAsNumbersAndTheFilterKeepsThePlotsNotValued) {
    RegisterTableModel model;
    model.setRegister(fourPlots());
    RegisterFilterModel rows;
    rows.setSourceModel(&model);
    rows.sort(ColValue, Qt::AscendingOrder);
    // As texts 10000.00 would come before 2500.50 and 900.00; a plot without a value first.
    EXPECT_EQ(column(rows, ColValue), QStringList({"", "900.00", "2500.50", "10000.00"}));
    EXPECT_EQ(rows.plotOf(3), 1);
    rows.sort(ColValuePerSqM, Qt::DescendingOrder);
    EXPECT_EQ(column(rows, ColValuePerSqM), QStringList({"25.00", "6.25", "2.25", ""}));
    rows.sort(ColCadastral, Qt::DescendingOrder);
    EXPECT_EQ(column(rows, ColCadastral).front(), QStringLiteral("1:01:001:0004"));

    rows.setNotValuedOnly(true);
    ASSERT_EQ(rows.rowCount(), 1);
    EXPECT_EQ(rows.plotOf(0), 2);
    EXPECT_EQ(rows.index(0, ColReason).data().toString(),
              QStringLiteral("Коду 99.99 немає в довіднику."));
    // A new register is filtered as the old one was.
    RegisterData all = fourPlots();
    all.valued[0] = notValued(QStringLiteral("Оцінку зупинено."));
    model.setRegister(all);
    EXPECT_EQ(rows.rowCount(), 2);
    rows.setNotValuedOnly(false);
    EXPECT_EQ(rows.rowCount(), 4);
    EXPECT_EQ(rows.plotOf(7), -1);
}

TEST(RegisterTable, AnExtractTakesThePlotsNumbersAndItsOwnShape) {
    RegisterData d = fourPlots();
    d.plots[0].address = QStringLiteral("вул. Садова 1");
    d.plots[0].geometry.reset(); // no region: no map
    const ExtractPlot e = ExtractPlotOf(d.plots[0], d.valued[0], d.purposeName);
    EXPECT_EQ(e.cadastral, QStringLiteral("1:01:001:0001"));
    EXPECT_EQ(e.address, QStringLiteral("вул. Садова 1"));
    EXPECT_EQ(e.purposeName, QStringLiteral("Для будівництва житла"));
    EXPECT_EQ(e.statedAreaHa, QStringLiteral("0.0410"));
    EXPECT_EQ(e.valuation.value, QStringLiteral("900.00"));
    EXPECT_FALSE(e.shape);
    EXPECT_TRUE(ExtractPlotOf(d.plots[1], d.valued[1], {}).purposeName.isEmpty());
}

TEST(RegisterTable, ARegisterReplacesNeitherASourceNorASettlementsFile) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("село"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString source = dir.filePath(QStringLiteral("plots.gpkg"));
    ASSERT_TRUE(QFile(source).open(QIODevice::WriteOnly));
    const QString kept = QDir(folder).filePath(QStringLiteral("реєстр.xlsx"));
    ASSERT_TRUE(QFile(kept).open(QIODevice::WriteOnly));

    EXPECT_TRUE(
        RegisterOutputProblem(source, folder, {source}).contains(QStringLiteral("джерело")));
    // The same file named another way is still the source.
    EXPECT_FALSE(
        RegisterOutputProblem(dir.filePath(QStringLiteral("./plots.gpkg")), folder, {source})
            .isEmpty());
    EXPECT_TRUE(RegisterOutputProblem(kept, folder, {source}).contains(QStringLiteral("уже є")));
    EXPECT_TRUE(RegisterOutputProblem(folder, folder, {}).contains(QStringLiteral("іншу папку")));
    // A new file in the settlement's folder, or any file elsewhere, may be written.
    EXPECT_EQ(RegisterOutputProblem(QDir(folder).filePath(QStringLiteral("новий.xlsx")), folder,
                                    {source}),
              QString());
    EXPECT_EQ(RegisterOutputProblem(dir.filePath(QStringLiteral("реєстр.xlsx")), folder, {source}),
              QString());
    EXPECT_EQ(RegisterOutputProblem(kept, QString(), {}), QString());
}
