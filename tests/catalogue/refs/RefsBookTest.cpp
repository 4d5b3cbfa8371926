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

TEST_F(RefsDbTest, EveryTableOfBothGroupsLoadsWithIdFirst) {
    ASSERT_EQ(RefsGroups().size(), 2u);
    EXPECT_EQ(RefsGroups()[0].caption, QStringLiteral("Загальні"));
    EXPECT_EQ(RefsGroups()[1].caption, QStringLiteral("За замовчуванням"));
    for (const RefsGroupInfo& group : RefsGroups()) {
        for (const QString& table : group.tables) {
            SCOPED_TRACE(table.toStdString());
            ASSERT_TRUE(book.selectTable(group.group, table));
            EXPECT_EQ(book.lastSql(),
                      QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY id"));
            ASSERT_FALSE(book.QueryValues().fields().empty());
            EXPECT_EQ(book.QueryValues().fields().front().name, QStringLiteral("id"));
            for (const FieldInfo& f : book.valueFields())
                EXPECT_TRUE(f.type == FieldType::WideString || f.type == FieldType::String ||
                            f.type == FieldType::Memo)
                    << f.name.toStdString();
        }
    }
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(RefsDbTest, StatementsQuoteEveryValue) {
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils));
    EXPECT_EQ(book.insertSql(5, L({"a", "b'c"})),
              QStringLiteral("INSERT INTO грунти VALUES (5,'a','b''c')"));
    EXPECT_EQ(book.updateSql(QStringLiteral("3"), L({"a", "b'c"})),
              QStringLiteral("UPDATE грунти SET шифр='a',назва='b''c' WHERE id=3"));
}

TEST_F(RefsDbTest, AddingToAnEmptyTableGivesIdOne) {
    execMain(QStringLiteral("DELETE FROM грунти"));
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils));
    input.answers.push_back(L({"Ч1", "чорнозем"}));
    ASSERT_TRUE(book.ACT_ADDExecute(input));
    EXPECT_EQ(input.titles, QStringList(QStringLiteral("Додавання запису")));
    ASSERT_EQ(input.askedFields.front().size(), 2u);
    EXPECT_EQ(input.askedFields.front()[0].name, QStringLiteral("шифр"));
    EXPECT_EQ(input.askedFields.front()[0].size, 20);
    EXPECT_EQ(mainRows(Soils), L({"1|Ч1|чорнозем"}));
    EXPECT_EQ(currentId(), QStringLiteral("1"));
}

TEST_F(RefsDbTest, CancelledDialogChangesNothing) {
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils));
    const QStringList before = mainRows(Soils);
    book.QueryValues().setRecNo(2);
    EXPECT_FALSE(book.ACT_ADDExecute(input));
    EXPECT_FALSE(book.ACT_EDITExecute(input));
    EXPECT_EQ(mainRows(Soils), before);
    EXPECT_EQ(book.QueryValues().recNo(), 2);
}

TEST_F(RefsDbTest, CopiedApostropheIsStoredUnchanged) {
    execMain(QStringLiteral("DELETE FROM грунти"));
    execMain(QStringLiteral("INSERT INTO грунти VALUES (7, 'К''1', 'Кам''янистий ''ґрунт''')"));
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils));
    ASSERT_TRUE(book.ACT_ADDCOPYExecute());
    EXPECT_EQ(mainRows(Soils), L({"7|К'1|Кам'янистий 'ґрунт'", "8|К'1|Кам'янистий 'ґрунт'"}));
    EXPECT_EQ(currentId(), QStringLiteral("8"));
}

TEST_F(RefsDbTest, EditShowsCurrentValuesAndKeepsMemoLines) {
    const QString table = QStringLiteral("локальні");
    ASSERT_TRUE(book.selectTable(RefsGroup::General, table));
    book.QueryValues().setRecNo(2);
    const QString id = currentId();
    const QStringList current = book.QueryValues().texts().mid(1);
    input.answers.push_back(L({"Рядок 1\rРядок 2", "Коротко", "0.8", "0.9"}));
    ASSERT_TRUE(book.ACT_EDITExecute(input));
    EXPECT_EQ(input.titles, QStringList(QStringLiteral("Редагування запису")));
    EXPECT_EQ(input.askedValues.front(), current);
    EXPECT_EQ(input.askedFields.front().front().type, FieldType::Memo);
    EXPECT_EQ(mainRows(table).at(1), id + QStringLiteral("|Рядок 1\rРядок 2|Коротко|0.8|0.9"));
    EXPECT_EQ(currentId(), id);
}

TEST_F(RefsDbTest, CommandsWithoutARecordWarn) {
    execMain(QStringLiteral("DELETE FROM грунти"));
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils));
    EXPECT_FALSE(book.ACT_ADDCOPYExecute());
    EXPECT_FALSE(book.ACT_EDITExecute(input));
    EXPECT_FALSE(book.ACT_DELETEExecute());
    EXPECT_EQ(messages.texts(QStringLiteral("warning")),
              QStringList(3, QStringLiteral("Запис не виділений.")));
    EXPECT_TRUE(input.titles.isEmpty());
}

TEST_F(RefsDbTest, DeletingTheLastRowLeavesAnEmptyGrid) {
    execMain(QStringLiteral("DELETE FROM грунти WHERE id > 1"));
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils));
    messages.answer({Answer::Cancel, Answer::Ok});
    EXPECT_FALSE(book.ACT_DELETEExecute());
    EXPECT_EQ(mainRows(Soils).size(), 1);
    EXPECT_TRUE(book.ACT_DELETEExecute());
    EXPECT_EQ(mainRows(Soils), QStringList());
    EXPECT_TRUE(book.QueryValues().isOpen());
    EXPECT_EQ(book.QueryValues().recordCount(), 0);
    EXPECT_EQ(messages.texts(QStringLiteral("confirm")),
              QStringList(2, QStringLiteral("Видалити поточний запис?")));
    EXPECT_EQ(messages.askedButtons.front(), Answer::Ok | Answer::Cancel);
    EXPECT_TRUE(messages.texts(QStringLiteral("error")).isEmpty());
}

TEST_F(RefsDbTest, DeleteLeavesTheFirstRowCurrent) {
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils));
    book.QueryValues().setRecNo(3);
    const QString deleted = currentId();
    messages.answer({Answer::Ok});
    ASSERT_TRUE(book.ACT_DELETEExecute());
    EXPECT_EQ(book.QueryValues().recNo(), 1);
    EXPECT_FALSE(mainRows(Soils).join(u'\n').contains(u'\n' + deleted + u'|'));
}

TEST_F(RefsDbTest, FailingStatementsAreReportedWithTheirCaptions) {
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils));
    execMain(QStringLiteral("CREATE TRIGGER no_add BEFORE INSERT ON грунти BEGIN SELECT "
                            "RAISE(ABORT, 'no add'); END"));
    execMain(QStringLiteral("CREATE TRIGGER no_edit BEFORE UPDATE ON грунти BEGIN SELECT "
                            "RAISE(ABORT, 'no edit'); END"));
    execMain(QStringLiteral("CREATE TRIGGER no_delete BEFORE DELETE ON грунти BEGIN SELECT "
                            "RAISE(ABORT, 'no delete'); END"));
    const QStringList before = mainRows(Soils);
    input.answers = {L({"x", "y"}), L({"x", "y"})};
    messages.answer({Answer::Ok});
    EXPECT_FALSE(book.ACT_ADDExecute(input));
    EXPECT_FALSE(book.ACT_ADDCOPYExecute());
    EXPECT_FALSE(book.ACT_EDITExecute(input));
    EXPECT_FALSE(book.ACT_DELETEExecute());
    ASSERT_EQ(messages.texts(QStringLiteral("error")).size(), 4);
    QStringList captions;
    for (const RecordedMessage& m : messages.messages)
        if (m.kind == QStringLiteral("error")) {
            captions << m.caption;
            EXPECT_TRUE(m.text.contains(QStringLiteral("Запрос: "))) << m.text.toStdString();
        }
    EXPECT_EQ(captions, L({"Додавання нового запису", "Додавання нового запису",
                           "Редагування запису", "Видалення запису"}));
    EXPECT_EQ(mainRows(Soils), before);
}

TEST_F(RefsDbTest, FailingReloadIsReported) {
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils));
    execMain(QStringLiteral("DROP TABLE грунти"));
    EXPECT_FALSE(book.ReloadTable());
    ASSERT_EQ(messages.texts(QStringLiteral("error")).size(), 1);
    EXPECT_EQ(messages.last().caption, QStringLiteral("Завантаження"));
    EXPECT_TRUE(messages.last().text.startsWith(QStringLiteral("Запис всіх записів\rОшибка: ")));
}

TEST_F(RefsDbTest, SortingAndNoSortReturnsToIdOrder) {
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils));
    const int count = book.QueryValues().recordCount();
    ASSERT_GT(count, 2);
    book.QueryValues().setRecNo(2);
    const QString id = currentId();
    ASSERT_TRUE(book.setSort(QStringLiteral("назва"), RefsSort::Descending));
    EXPECT_EQ(book.lastSql(), QStringLiteral("SELECT * FROM грунти ORDER BY назва DESC"));
    EXPECT_EQ(currentId(), id); // the same row stays current
    QStringList names;
    Query& q = book.QueryValues();
    for (q.first(); !q.eof(); q.next())
        names << q.text(QStringLiteral("назва"));
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end(), std::greater<QString>());
    EXPECT_EQ(names, sorted);

    ASSERT_TRUE(book.setSort(QStringLiteral("назва"), RefsSort::Ascending));
    EXPECT_EQ(book.lastSql(), QStringLiteral("SELECT * FROM грунти ORDER BY назва ASC"));
    ASSERT_TRUE(book.setSort(QString(), RefsSort::None));
    EXPECT_EQ(book.lastSql(), QStringLiteral("SELECT * FROM грунти ORDER BY id"));
    long long previous = 0;
    for (q.first(); !q.eof(); q.next()) {
        EXPECT_GT(q.integer(QStringLiteral("id")), previous);
        previous = q.integer(QStringLiteral("id"));
    }
    // Choosing a table again clears the sort.
    ASSERT_TRUE(book.setSort(QStringLiteral("назва"), RefsSort::Ascending));
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils));
    EXPECT_EQ(book.sort(), RefsSort::None);
}

TEST_F(RefsDbTest, SearchAsYouTypeStartsWithTheSecondCharacter) {
    execMain(QStringLiteral("DELETE FROM грунти"));
    execMain(QStringLiteral("INSERT INTO грунти VALUES (1, 'А', 'Пісок'), (2, 'Б', "
                            "'Чорнозем'), (3, 'В', 'ЧОРНОЗЕМ опідзолений'), (4, 'Г', 'Глина')"));
    ASSERT_TRUE(book.selectTable(RefsGroup::General, Soils));
    book.QueryValues().setRecNo(4);
    book.ESearchTextChange(QStringLiteral("ч"));
    EXPECT_EQ(currentId(), QStringLiteral("4")); // one character: no search
    book.ESearchTextChange(QStringLiteral("чо"));
    EXPECT_EQ(currentId(), QStringLiteral("2")); // from the first row, ignoring case
    EXPECT_TRUE(book.SearchContinues);
    EXPECT_TRUE(book.BSearchClick(QStringLiteral("чо")));
    EXPECT_EQ(currentId(), QStringLiteral("3"));
    EXPECT_TRUE(messages.messages.empty());

    EXPECT_FALSE(book.BSearchClick(QStringLiteral("ЧО")));
    EXPECT_EQ(currentId(), QStringLiteral("3")); // back where it was
    ASSERT_EQ(messages.texts(QStringLiteral("balloon")).size(), 1);
    EXPECT_EQ(messages.last().caption, QStringLiteral("Пошук"));
    EXPECT_EQ(messages.last().text, QStringLiteral("\"чо\" не знайдено."));

    book.ESearchTextChange(QStringLiteral("4"));
    EXPECT_FALSE(book.SearchContinues);
    EXPECT_TRUE(book.BSearchClick(QStringLiteral("4"))); // the id is searched too
    EXPECT_EQ(currentId(), QStringLiteral("4"));
}
