#include "steps/info/InfoStep.h"

#include "db/Databases.h"
#include "db/QueryFunctions.h"
#include "tests/steps/info/InfoTestData.h"

namespace {

StringGrid Grid(const std::vector<std::pair<QString, QString>>& rows) {
    StringGrid grid = MakeInfoGrid();
    for (const auto& [name, value] : rows) {
        const int row = grid.rowCount();
        grid.setRowCount(row + 1);
        grid.set(row, 0, name);
        grid.set(row, 1, value);
    }
    return grid;
}

} // namespace

TEST(ValidateInfoRowsTest, NumbersAreRewrittenWithFourDecimals) {
    RecordingMessages messages;
    StringGrid grid = Grid({{QStringLiteral("Назва"), QStringLiteral("12,5")},
                            {InfoAreaName(), QStringLiteral(" 12,5 ")},
                            {InfoPopulationName(), QStringLiteral("3")}});
    EXPECT_TRUE(ValidateInfoRows(grid));
    EXPECT_EQ(grid.at(1, 1), QStringLiteral("12,5")); // other rows are free text
    EXPECT_EQ(grid.at(2, 1), QStringLiteral("12.5000"));
    EXPECT_EQ(grid.at(3, 1), QStringLiteral("3.0000"));
    EXPECT_TRUE(messages.messages.empty());
}

TEST(ValidateInfoRowsTest, EmptyValuesPassUnchanged) {
    RecordingMessages messages;
    StringGrid grid = Grid({{InfoAreaName(), QString()}, {InfoPopulationName(), QString()}});
    EXPECT_TRUE(ValidateInfoRows(grid));
    EXPECT_EQ(grid.at(1, 1), QString());
    EXPECT_EQ(grid.at(2, 1), QString());
}

TEST(ValidateInfoRowsTest, NotANumberStopsWithBalloonAfterEarlierRowsWereRewritten) {
    RecordingMessages messages;
    QObject control;
    StringGrid grid = Grid({{InfoAreaName(), QStringLiteral("7,25")},
                            {QStringLiteral("Рада"), QStringLiteral("x")},
                            {InfoPopulationName(), QStringLiteral("abc")},
                            {InfoAreaName(), QStringLiteral("1")}});
    EXPECT_FALSE(ValidateInfoRows(grid, &control));
    EXPECT_EQ(grid.at(1, 1), QStringLiteral("7.2500"));
    EXPECT_EQ(grid.at(3, 1), QStringLiteral("abc"));
    EXPECT_EQ(grid.at(4, 1), QStringLiteral("1")); // not reached
    EXPECT_EQ(grid.currentRow(), 3);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.last().kind, QStringLiteral("balloon"));
    EXPECT_EQ(messages.last().caption, QStringLiteral("Попередження"));
    EXPECT_EQ(messages.last().text,
              QStringLiteral("\"Чисельність населення, тис. чол.\" має бути числом."));
    EXPECT_EQ(messages.last().balloonKind, 2);
    EXPECT_EQ(messages.last().control, &control);
}

TEST_F(InfoDbTest, LoadReadsRowsInIdOrder) {
    StringGrid grid = MakeInfoGrid();
    ASSERT_TRUE(LoadInfoRows(Db().queryData, grid));
    ASSERT_EQ(grid.rowCount(), 4);
    EXPECT_EQ(grid.rowTexts(1), QStringList({QStringLiteral("Назва"), QStringLiteral("Липове")}));
    EXPECT_EQ(grid.rowTexts(3), QStringList({InfoPopulationName(), QStringLiteral("2.5")}));
}

TEST_F(InfoDbTest, LoadFailureIsReported) {
    exec(QStringLiteral("DROP TABLE показники"));
    StringGrid grid = MakeInfoGrid();
    EXPECT_FALSE(LoadInfoRows(Db().queryData, grid));
    ASSERT_EQ(messages.texts(QStringLiteral("error")).size(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(
        QStringLiteral("Вибірка із бази \"Показники\"\rПодробиці: ")));
}

TEST_F(InfoDbTest, StoreReplacesRowsAndSetsBothIndicators) {
    StringGrid grid = Grid({{QStringLiteral("Назва"), QStringLiteral("Кам'янка")},
                            {InfoAreaName(), QStringLiteral("12,5")},
                            {InfoPopulationName(), QString()},
                            {QStringLiteral("Нове"), QStringLiteral("так")},
                            {QString(), QString()}});
    ASSERT_TRUE(ValidateInfoRows(grid));
    ASSERT_TRUE(StoreInfoRows(grid));
    EXPECT_EQ(storedRows(), QStringList({QStringLiteral("Назва=Кам'янка"),
                                         InfoAreaName() + QStringLiteral("=12.5000"),
                                         InfoPopulationName() + u'=', QStringLiteral("Нове=так")}));
    EXPECT_EQ(indicator(InfoAreaIndicator()), QStringLiteral("12.5000"));
    EXPECT_EQ(indicator(InfoPopulationIndicator()), QString());
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_FALSE(Db().data.inTransaction());
}

TEST_F(InfoDbTest, FailingInsertRollsBackRowsAndIndicators) {
    exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON показники WHEN "
                        "NEW.показник = 'Зламаний' BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    const QStringList before = storedRows();
    StringGrid grid = Grid({{InfoAreaName(), QStringLiteral("99.0000")},
                            {InfoPopulationName(), QStringLiteral("7.0000")},
                            {QStringLiteral("Зламаний"), QStringLiteral("1")}});
    EXPECT_FALSE(StoreInfoRows(grid));
    EXPECT_EQ(storedRows(), before);
    EXPECT_EQ(indicator(InfoAreaIndicator()), QStringLiteral("10.0000"));
    EXPECT_EQ(indicator(InfoPopulationIndicator()), QStringLiteral("2.5000"));
    ASSERT_EQ(messages.texts(QStringLiteral("error")).size(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(
        QStringLiteral("Оновлення даних у базі даних.\rПомилка: ")));
    EXPECT_TRUE(messages.last().text.contains(QStringLiteral("refused")));
    EXPECT_FALSE(Db().data.inTransaction());
}

TEST_F(InfoDbTest, ClosedDatabaseIsReportedAndNothingHappens) {
    Db().CloseProject();
    EXPECT_FALSE(StoreInfoRows(Grid({{InfoAreaName(), QStringLiteral("1")}})));
    ASSERT_EQ(messages.texts(QStringLiteral("error")).size(), 1);
}

TEST_F(InfoDbTest, MissingIndicatorRowIsCreated) {
    exec(QStringLiteral("DELETE FROM характеристика WHERE показник='Чисельність населення "
                        "(тис. чол.)'"));
    ASSERT_TRUE(StoreInfoRows(Grid({{InfoPopulationName(), QStringLiteral("3.0000")}})));
    EXPECT_EQ(indicator(InfoPopulationIndicator()), QStringLiteral("3.0000"));
}

TEST(InfoTemplateTest, ShippedTemplateHoldsTheEntriesAndBothIndicators) {
    TempAppDir app(true);
    Connection c;
    ASSERT_TRUE(c.open(app.file(QStringLiteral("Шаблон/наспункт/") + DataFileName())));
    Query q(&c);
    for (const QString& name : {InfoAreaIndicator(), InfoPopulationIndicator()})
        EXPECT_TRUE(RunQuery(
            q, QStringLiteral("SELECT * FROM характеристика WHERE показник='") + name + u'\'', true,
            true))
            << name.toStdString();
    for (const QString& name : {InfoAreaName(), InfoPopulationName()})
        EXPECT_TRUE(
            RunQuery(q, QStringLiteral("SELECT * FROM показники WHERE показник='") + name + u'\'',
                     true, true))
            << name.toStdString();
}
