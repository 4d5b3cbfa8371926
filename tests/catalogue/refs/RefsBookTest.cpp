#include "db/Databases.h"
#include "db/QueryFunctions.h"
#include "tests/catalogue/refs/RefsTestData.h"

namespace {

const QString Soils = QStringLiteral("грунти");

QStringList L(std::initializer_list<const char*> items) {
    QStringList list;
    for (const char* item : items)
        list << QString::fromUtf8(item);
    return list;
}

} // namespace

TEST_F(RefsDbTest, EveryTableOfBothGroupsLoadsWithIdFirstThenTexts) {
    for (const RefsGroupInfo& group : RefsGroups())
        for (const QString& table : group.tables) {
            ASSERT_TRUE(book.selectTable(group.group, table, &said)) << table.toStdString();
            EXPECT_EQ(book.QueryValues().fields().front().name, QStringLiteral("id"));
            for (const FieldInfo& f : book.valueFields())
                EXPECT_TRUE(f.type == FieldType::WideString || f.type == FieldType::Memo)
                    << f.name.toStdString();
        }
}

TEST_F(RefsDbTest, AddingToAnEmptyTableGivesIdOne) {
    execMain(QStringLiteral("DELETE FROM грунти"));
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils, &said));
    input.answers = {L({"Ч1", "чорнозем"})};
    ASSERT_TRUE(book.ACT_ADDExecute(input, &said));
    EXPECT_EQ(input.titles, L({"Додавання запису"}));
    EXPECT_EQ(input.fields.size(), 2u);
    EXPECT_EQ(mainRows(), L({"1|Ч1|чорнозем"}));
    EXPECT_EQ(currentId(), QStringLiteral("1"));
}

TEST_F(RefsDbTest, CopiedApostropheIsStoredUnchanged) {
    execMain(QStringLiteral("DELETE FROM грунти"));
    execMain(QStringLiteral("INSERT INTO грунти VALUES (7, 'К''1', 'Кам''янистий ''ґрунт''')"));
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils, &said));
    ASSERT_TRUE(book.ACT_ADDCOPYExecute(&said));
    EXPECT_EQ(mainRows(), L({"7|К'1|Кам'янистий 'ґрунт'", "8|К'1|Кам'янистий 'ґрунт'"}));
    EXPECT_EQ(currentId(), QStringLiteral("8"));
}

TEST_F(RefsDbTest, EditShowsCurrentValuesAndKeepsMemoLines) {
    ASSERT_TRUE(book.selectTable(RefsGroup::General, QStringLiteral("локальні"), &said));
    book.QueryValues().setRecNo(2);
    const QString id = currentId();
    const QStringList current = book.QueryValues().texts().mid(1);
    input.answers = {L({"Рядок 1\rРядок 2", "Коротко", "0.8", "0.9"})};
    ASSERT_TRUE(book.ACT_EDITExecute(input, &said));
    EXPECT_EQ(input.titles, L({"Редагування запису"}));
    EXPECT_EQ(input.values, current);
    EXPECT_EQ(mainRows(QStringLiteral("локальні")).at(1),
              id + QStringLiteral("|Рядок 1\rРядок 2|Коротко|0.8|0.9"));
    EXPECT_EQ(currentId(), id);
}

TEST_F(RefsDbTest, DeletingAsksLeavesTheFirstRowAndEndsInAnEmptyGrid) {
    execMain(QStringLiteral("DELETE FROM грунти WHERE id > 2"));
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils, &said));
    book.QueryValues().setRecNo(2);
    input.deletions = {false, true, true};
    EXPECT_FALSE(book.ACT_DELETEExecute(input, &said));
    EXPECT_EQ(mainRows().size(), 2);
    EXPECT_TRUE(book.ACT_DELETEExecute(input, &said));
    EXPECT_EQ(currentId(), QStringLiteral("1"));
    EXPECT_TRUE(book.ACT_DELETEExecute(input, &said));
    EXPECT_EQ(mainRows(), QStringList());
    EXPECT_EQ(book.QueryValues().recordCount(), 0);
    EXPECT_EQ(input.deleteAsks, 3);
    EXPECT_TRUE(said.empty());
    // Without a row the commands only say so, and nothing is asked.
    EXPECT_FALSE(book.ACT_ADDCOPYExecute(&said));
    EXPECT_FALSE(book.ACT_EDITExecute(input, &said));
    EXPECT_FALSE(book.ACT_DELETEExecute(input, &said));
    EXPECT_EQ(input.deleteAsks, 3);
    ASSERT_EQ(said.size(), 3u);
    for (const RefsMessage& m : said) {
        EXPECT_EQ(m.kind, RefsMessage::Kind::Warning);
        EXPECT_EQ(m.text, QStringLiteral("Запис не виділений."));
    }
    // The book tells its caller; the window shows it.
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(RefsDbTest, FailingStatementsAreReportedWithTheirCaptions) {
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils, &said));
    for (const char* op : {"INSERT", "UPDATE", "DELETE"})
        execMain(QStringLiteral("CREATE TRIGGER no_%1 BEFORE %1 ON грунти BEGIN SELECT "
                                "RAISE(ABORT, 'no'); END")
                     .arg(QString::fromUtf8(op)));
    const QStringList before = mainRows();
    input.answers = {L({"x", "y"}), L({"x", "y"})};
    EXPECT_FALSE(book.ACT_ADDExecute(input, &said));
    EXPECT_FALSE(book.ACT_ADDCOPYExecute(&said));
    EXPECT_FALSE(book.ACT_EDITExecute(input, &said));
    EXPECT_FALSE(book.ACT_DELETEExecute(input, &said));
    EXPECT_EQ(mainRows(), before);
    execMain(QStringLiteral("DROP TABLE грунти"));
    EXPECT_FALSE(book.ReloadTable(&said));
    QStringList captions;
    for (const RefsMessage& m : said)
        if (m.kind == RefsMessage::Kind::Error && m.text.contains(QStringLiteral("Запит: ")))
            captions << m.caption;
    EXPECT_EQ(captions, L({"Додавання нового запису", "Додавання нового запису",
                           "Редагування запису", "Видалення запису", "Завантаження"}));
    EXPECT_TRUE(
        said.back().text.startsWith(QStringLiteral("Завантаження всіх записів\rПомилка: ")));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(RefsDbTest, SortingKeepsTheRowAndNoSortReturnsToIdOrder) {
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils, &said));
    book.QueryValues().setRecNo(2);
    const QString id = currentId();
    const auto column = [this](const QString& field) {
        QStringList texts;
        Query& q = book.QueryValues();
        for (q.first(); !q.eof(); q.next())
            texts << q.text(field);
        return texts;
    };
    ASSERT_TRUE(book.setSort(QStringLiteral("назва"), RefsSort::Descending, &said));
    EXPECT_EQ(book.lastSql(), QStringLiteral("SELECT * FROM грунти ORDER BY назва DESC"));
    EXPECT_EQ(currentId(), id);
    QStringList names = column(QStringLiteral("назва"));
    EXPECT_TRUE(std::is_sorted(names.rbegin(), names.rend()));
    ASSERT_TRUE(book.setSort(QString(), RefsSort::None, &said));
    EXPECT_EQ(book.lastSql(), QStringLiteral("SELECT * FROM грунти ORDER BY id"));
    const QStringList ids = column(QStringLiteral("id"));
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end(), [](const QString& a, const QString& b) {
        return a.toInt() < b.toInt();
    }));
}

TEST_F(RefsDbTest, SearchAsYouTypeStartsWithTheSecondCharacter) {
    execMain(QStringLiteral("DELETE FROM грунти"));
    execMain(QStringLiteral("INSERT INTO грунти VALUES (1, 'А', 'Пісок'), (2, 'Б', 'Чорнозем'), "
                            "(3, 'В', 'ЧОРНОЗЕМ опідзолений'), (4, 'Г', 'Глина')"));
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils, &said));
    book.QueryValues().setRecNo(4);
    book.ESearchTextChange(QStringLiteral("ч"), &said);
    EXPECT_EQ(currentId(), QStringLiteral("4")); // one character: no search
    book.ESearchTextChange(QStringLiteral("чо"), &said);
    EXPECT_EQ(currentId(), QStringLiteral("2")); // from the first row, ignoring case
    EXPECT_TRUE(book.BSearchClick(QStringLiteral("чо"), &said));
    EXPECT_EQ(currentId(), QStringLiteral("3"));
    EXPECT_FALSE(book.BSearchClick(QStringLiteral("ЧО"), &said));
    EXPECT_EQ(currentId(), QStringLiteral("3")); // back where it was
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said.back().kind, RefsMessage::Kind::NotFound);
    EXPECT_EQ(said.back().caption, QStringLiteral("Пошук"));
    EXPECT_EQ(said.back().text, QStringLiteral("\"чо\" не знайдено."));
    book.ESearchTextChange(QStringLiteral("4"), &said);
    EXPECT_FALSE(book.SearchContinues);
    EXPECT_TRUE(book.BSearchClick(QStringLiteral("4"), &said)); // the id is searched too
    EXPECT_EQ(currentId(), QStringLiteral("4"));
}
