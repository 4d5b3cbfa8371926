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
            ASSERT_TRUE(book.selectTable(group.group, table)) << table.toStdString();
            EXPECT_EQ(book.QueryValues().fields().front().name, QStringLiteral("id"));
            for (const FieldInfo& f : book.valueFields())
                EXPECT_TRUE(f.type == FieldType::WideString || f.type == FieldType::Memo)
                    << f.name.toStdString();
        }
}

TEST_F(RefsDbTest, AddingToAnEmptyTableGivesIdOne) {
    execMain(QStringLiteral("DELETE FROM грунти"));
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils));
    input.answers = {L({"Ч1", "чорнозем"})};
    ASSERT_TRUE(book.ACT_ADDExecute(input));
    EXPECT_EQ(input.titles, L({"Додавання запису"}));
    EXPECT_EQ(input.fields.size(), 2u);
    EXPECT_EQ(mainRows(), L({"1|Ч1|чорнозем"}));
    EXPECT_EQ(currentId(), QStringLiteral("1"));
}

TEST_F(RefsDbTest, CopiedApostropheIsStoredUnchanged) {
    execMain(QStringLiteral("DELETE FROM грунти"));
    execMain(QStringLiteral("INSERT INTO грунти VALUES (7, 'К''1', 'Кам''янистий ''ґрунт''')"));
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils));
    ASSERT_TRUE(book.ACT_ADDCOPYExecute());
    EXPECT_EQ(mainRows(), L({"7|К'1|Кам'янистий 'ґрунт'", "8|К'1|Кам'янистий 'ґрунт'"}));
    EXPECT_EQ(currentId(), QStringLiteral("8"));
}

TEST_F(RefsDbTest, EditShowsCurrentValuesAndKeepsMemoLines) {
    ASSERT_TRUE(book.selectTable(RefsGroup::General, QStringLiteral("локальні")));
    book.QueryValues().setRecNo(2);
    const QString id = currentId();
    const QStringList current = book.QueryValues().texts().mid(1);
    input.answers = {L({"Рядок 1\rРядок 2", "Коротко", "0.8", "0.9"})};
    ASSERT_TRUE(book.ACT_EDITExecute(input));
    EXPECT_EQ(input.titles, L({"Редагування запису"}));
    EXPECT_EQ(input.values, current);
    EXPECT_EQ(mainRows(QStringLiteral("локальні")).at(1),
              id + QStringLiteral("|Рядок 1\rРядок 2|Коротко|0.8|0.9"));
    EXPECT_EQ(currentId(), id);
}

TEST_F(RefsDbTest, DeletingAsksLeavesTheFirstRowAndEndsInAnEmptyGrid) {
    execMain(QStringLiteral("DELETE FROM грунти WHERE id > 2"));
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils));
    book.QueryValues().setRecNo(2);
    messages.answer({Answer::Cancel, Answer::Ok, Answer::Ok});
    EXPECT_FALSE(book.ACT_DELETEExecute());
    EXPECT_EQ(mainRows().size(), 2);
    EXPECT_TRUE(book.ACT_DELETEExecute());
    EXPECT_EQ(currentId(), QStringLiteral("1"));
    EXPECT_TRUE(book.ACT_DELETEExecute());
    EXPECT_EQ(mainRows(), QStringList());
    EXPECT_EQ(book.QueryValues().recordCount(), 0);
    EXPECT_EQ(messages.askedButtons.front(), Answer::Ok | Answer::Cancel);
    EXPECT_TRUE(messages.texts(QStringLiteral("error")).isEmpty());
    // Without a row the commands only say so.
    EXPECT_FALSE(book.ACT_ADDCOPYExecute());
    EXPECT_FALSE(book.ACT_EDITExecute(input));
    EXPECT_FALSE(book.ACT_DELETEExecute());
    EXPECT_EQ(messages.texts(QStringLiteral("warning")),
              QStringList(3, QStringLiteral("Запис не виділений.")));
}

TEST_F(RefsDbTest, FailingStatementsAreReportedWithTheirCaptions) {
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils));
    for (const char* op : {"INSERT", "UPDATE", "DELETE"})
        execMain(QStringLiteral("CREATE TRIGGER no_%1 BEFORE %1 ON грунти BEGIN SELECT "
                                "RAISE(ABORT, 'no'); END")
                     .arg(QString::fromUtf8(op)));
    const QStringList before = mainRows();
    input.answers = {L({"x", "y"}), L({"x", "y"})};
    messages.answer({Answer::Ok});
    EXPECT_FALSE(book.ACT_ADDExecute(input));
    EXPECT_FALSE(book.ACT_ADDCOPYExecute());
    EXPECT_FALSE(book.ACT_EDITExecute(input));
    EXPECT_FALSE(book.ACT_DELETEExecute());
    EXPECT_EQ(mainRows(), before);
    execMain(QStringLiteral("DROP TABLE грунти"));
    EXPECT_FALSE(book.ReloadTable());
    QStringList captions;
    for (const RecordedMessage& m : messages.messages)
        if (m.kind == QStringLiteral("error") && m.text.contains(QStringLiteral("Запит: ")))
            captions << m.caption;
    EXPECT_EQ(captions, L({"Додавання нового запису", "Додавання нового запису",
                           "Редагування запису", "Видалення запису", "Завантаження"}));
    EXPECT_TRUE(
        messages.last().text.startsWith(QStringLiteral("Завантаження всіх записів\rПомилка: ")));
}

TEST_F(RefsDbTest, SortingKeepsTheRowAndNoSortReturnsToIdOrder) {
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils));
    book.QueryValues().setRecNo(2);
    const QString id = currentId();
    const auto column = [this](const QString& field) {
        QStringList texts;
        Query& q = book.QueryValues();
        for (q.first(); !q.eof(); q.next())
            texts << q.text(field);
        return texts;
    };
    ASSERT_TRUE(book.setSort(QStringLiteral("назва"), RefsSort::Descending));
    EXPECT_EQ(book.lastSql(), QStringLiteral("SELECT * FROM грунти ORDER BY назва DESC"));
    EXPECT_EQ(currentId(), id);
    QStringList names = column(QStringLiteral("назва"));
    EXPECT_TRUE(std::is_sorted(names.rbegin(), names.rend()));
    ASSERT_TRUE(book.setSort(QString(), RefsSort::None));
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
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils));
    book.QueryValues().setRecNo(4);
    book.ESearchTextChange(QStringLiteral("ч"));
    EXPECT_EQ(currentId(), QStringLiteral("4")); // one character: no search
    book.ESearchTextChange(QStringLiteral("чо"));
    EXPECT_EQ(currentId(), QStringLiteral("2")); // from the first row, ignoring case
    EXPECT_TRUE(book.BSearchClick(QStringLiteral("чо")));
    EXPECT_EQ(currentId(), QStringLiteral("3"));
    EXPECT_FALSE(book.BSearchClick(QStringLiteral("ЧО")));
    EXPECT_EQ(currentId(), QStringLiteral("3")); // back where it was
    ASSERT_EQ(messages.texts(QStringLiteral("balloon")), L({"\"чо\" не знайдено."}));
    EXPECT_EQ(messages.last().caption, QStringLiteral("Пошук"));
    book.ESearchTextChange(QStringLiteral("4"));
    EXPECT_FALSE(book.SearchContinues);
    EXPECT_TRUE(book.BSearchClick(QStringLiteral("4"))); // the id is searched too
    EXPECT_EQ(currentId(), QStringLiteral("4"));
}
