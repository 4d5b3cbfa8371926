#include "db/BulkStore.h"
#include "TempDatabase.h"
#include "common/StringGrid.h"
#include "db/Transaction.h"

namespace {

const QStringList Columns{QStringLiteral("район"), QStringLiteral("ф_1"), QStringLiteral("ф_2")};

class BulkStoreTest : public TempDatabase {
protected:
    void SetUp() override {
        TempDatabase::SetUp();
        run(QStringLiteral("CREATE TABLE функціональне (id AUTOINCREMENT, район nvarchar (50), "
                           "ф_1 nvarchar (50), ф_2 nvarchar (50))"));
        run(QStringLiteral("INSERT INTO функціональне (район, ф_1) VALUES ('1','старе')"));
        run(QStringLiteral("INSERT INTO функціональне (район, ф_1) VALUES ('2','старе')"));
        run(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON функціональне WHEN "
                           "NEW.ф_1 = 'зламане' BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    }
    /** The rows as "район|ф_1|ф_2", NULL as "<null>". */
    QStringList rows() {
        QStringList result;
        EXPECT_TRUE(RunQuery(q, QStringLiteral("SELECT * FROM функціональне ORDER BY id"), true));
        for (q.first(); !q.eof(); q.next()) {
            QStringList row;
            for (const QString& c : Columns)
                row << (q.isNull(c) ? QStringLiteral("<null>") : q.text(c));
            result << row.join(u'|');
        }
        q.close();
        return result;
    }
};

} // namespace

TEST_F(BulkStoreTest, ReplaceRowsStoresTextsNullsAndSkipsEmptyRows) {
    const std::vector<SqlRow> stored{
        {QStringLiteral("1"), QStringLiteral("Кам'янка"), SqlValue::Null()},
        {},
        {QStringLiteral("2"), QString(), NullIfEmpty(QString())},
        SqlRowOf({QStringLiteral("3"), QString(), QStringLiteral("0.5000")}, EmptyCell::Null),
    };
    ASSERT_TRUE(ReplaceRows(db, QStringLiteral("функціональне"), QString(), Columns,
                            static_cast<int>(stored.size()),
                            [&](int i) { return stored[static_cast<size_t>(i)]; }))
        << qPrintable(LastError());
    EXPECT_TRUE(LastError().isEmpty());
    EXPECT_EQ(rows(), QStringList({"1|Кам'янка|<null>", "2||<null>", "3|<null>|0.5000"}));
    EXPECT_FALSE(db.inTransaction());

    // Only the rows matching the condition are replaced.
    ASSERT_TRUE(ReplaceRows(
        db, QStringLiteral("функціональне"), QStringLiteral("район='2'"), Columns, 1, [](int) {
            return SqlRow{QStringLiteral("2"), QStringLiteral("нове"), QStringLiteral("")};
        }));
    EXPECT_EQ(rows(), QStringList({"1|Кам'янка|<null>", "3|<null>|0.5000", "2|нове|"}));
}

TEST_F(BulkStoreTest, ReplaceGridRowsWalksTheDataRows) {
    StringGrid grid(3, 4, 1, 0);
    grid.setRowTexts(0, {QStringLiteral("Район"), QStringLiteral("ф_1"), QStringLiteral("ф_2")});
    grid.setRowTexts(1, {QStringLiteral("7"), QStringLiteral("1.0000"), QString()});
    grid.setRowTexts(2, {QString(), QStringLiteral("без номера"), QString()});
    grid.setRowTexts(3, {QStringLiteral("8"), QString(), QStringLiteral("2.0000")});
    ASSERT_TRUE(ReplaceGridRows(db, QStringLiteral("функціональне"), QString(), Columns, grid,
                                [&](int row) {
                                    if (grid.at(row, 0).isEmpty())
                                        return SqlRow();
                                    return SqlRowOf(grid.rowTexts(row), EmptyCell::Null);
                                }));
    EXPECT_EQ(rows(), QStringList({"7|1.0000|<null>", "8|<null>|2.0000"}));
}

TEST_F(BulkStoreTest, AFailingRowLeavesTheTableAsItWas) {
    const QStringList before = rows();
    ASSERT_EQ(before.size(), 2);
    const std::vector<SqlRow> stored{
        {QStringLiteral("1"), QStringLiteral("добре"), QStringLiteral("x")},
        {QStringLiteral("2"), QStringLiteral("зламане"), SqlValue::Null()},
        {QStringLiteral("3"), QStringLiteral("не дійде"), QStringLiteral("x")},
    };
    int asked = 0;
    EXPECT_FALSE(
        ReplaceRows(db, QStringLiteral("функціональне"), QString(), Columns, 3, [&](int i) {
            ++asked;
            return stored[static_cast<size_t>(i)];
        }));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(LastError(), QStringLiteral("refused\rЗапит: INSERT INTO функціональне "
                                          "(район,ф_1,ф_2) VALUES ('2','зламане',NULL)"));
    EXPECT_EQ(rows(), before);
    EXPECT_FALSE(db.inTransaction());

    // A column that does not exist, and a row of the wrong width.
    EXPECT_FALSE(ReplaceRows(db, QStringLiteral("функціональне"), QString(),
                             {QStringLiteral("район"), QStringLiteral("немає")}, 1, [](int) {
                                 return SqlRow{QStringLiteral("1"), QStringLiteral("1")};
                             }));
    EXPECT_TRUE(LastError().startsWith(QStringLiteral("у таблиці функціональне немає стовпця "
                                                      "немає\rЗапит: INSERT INTO")));
    EXPECT_FALSE(ReplaceRows(db, QStringLiteral("функціональне"), QString(), Columns, 1,
                             [](int) { return SqlRow{QStringLiteral("1")}; }));
    EXPECT_TRUE(LastError().startsWith(QStringLiteral("Кількість значень (1)")));
    EXPECT_EQ(rows(), before);

    // A closed connection stores nothing and says why.
    Connection closed;
    EXPECT_FALSE(ReplaceRows(closed, QStringLiteral("функціональне"), QString(), Columns, 0,
                             [](int) { return SqlRow(); }));
    EXPECT_FALSE(LastError().isEmpty());
}

TEST_F(BulkStoreTest, InsideATransactionAFailureUndoesOnlyItsOwnTable) {
    run(QStringLiteral("CREATE TABLE зони (id AUTOINCREMENT, зона nvarchar (50))"));
    const QStringList before = rows();
    {
        Transaction transaction(db);
        ASSERT_TRUE(ReplaceRows(db, QStringLiteral("зони"), QString(), {QStringLiteral("зона")}, 2,
                                [](int i) { return SqlRow{QString::number(i + 1)}; }));
        EXPECT_FALSE(
            ReplaceRows(db, QStringLiteral("функціональне"), QString(), Columns, 1, [](int) {
                return SqlRow{QStringLiteral("1"), QStringLiteral("зламане"), QString()};
            }));
        EXPECT_TRUE(db.inTransaction());
        EXPECT_EQ(rows(), before);
        ASSERT_TRUE(transaction.commit());
    }
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM зони ORDER BY id"), QStringLiteral("зона")),
              QStringList({"1", "2"}));

    // The enclosing transaction's rollback undoes a successful replacement too.
    {
        Transaction transaction(db);
        ASSERT_TRUE(ReplaceRows(db, QStringLiteral("зони"), QString(), {QStringLiteral("зона")}, 0,
                                [](int) { return SqlRow(); }));
    }
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM зони ORDER BY id"), QStringLiteral("зона")),
              QStringList({"1", "2"}));
}

TEST_F(BulkStoreTest, BulkInsertBindsTextsAsLiteralsWould) {
    run(QStringLiteral("CREATE TABLE відомість_кварталів (id int, зона nvarchar (50))"));
    Transaction transaction(db);
    BulkInsert insert(db, QStringLiteral("відомість_кварталів"),
                      {QStringLiteral("id"), QStringLiteral("зона")});
    ASSERT_TRUE(insert.ok());
    // A number text in an int column is stored as the number, as the literal '7' would be.
    ASSERT_TRUE(insert.insert({QStringLiteral("7"), QStringLiteral("01")}));
    ASSERT_TRUE(insert.insert({QStringLiteral("x"), QString()}));
    EXPECT_EQ(insert.inserted(), 2);
    EXPECT_EQ(insert.literalSql({QStringLiteral("it's"), SqlValue::Null()}),
              QStringLiteral("INSERT INTO відомість_кварталів (id,зона) VALUES ('it''s',NULL)"));
    ASSERT_TRUE(transaction.commit());
    EXPECT_EQ(column(QStringLiteral("SELECT typeof(id) AS t FROM відомість_кварталів"),
                     QStringLiteral("t")),
              QStringList({"integer", "text"}));
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM відомість_кварталів WHERE id=7"),
                     QStringLiteral("зона")),
              QStringList({"01"}));
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM відомість_кварталів WHERE id='x'"),
                     QStringLiteral("зона")),
              QStringList({""}));
}

TEST_F(BulkStoreTest, APreparedUpdateAndARowReaderForManyRows) {
    {
        BulkStatement update(db,
                             QStringLiteral("UPDATE функціональне SET ф_2=? WHERE rowid=CAST(? AS "
                                            "INTEGER)"));
        ASSERT_TRUE(update.ok());
        EXPECT_TRUE(update.run({SqlValue(QStringLiteral("нове")), SqlValue(QStringLiteral("2"))}));
    }
    EXPECT_EQ(rows(), (QStringList{"1|старе|<null>", "2|старе|нове"}));
    QStringList read;
    ASSERT_TRUE(ReadTextRows(db, QStringLiteral("SELECT район, ф_2 FROM функціональне ORDER BY id"),
                             [&read](const QStringList& row) { read << row.join(u'|'); }));
    EXPECT_EQ(read, (QStringList{"1|", "2|нове"}));
    EXPECT_FALSE(ReadTextRows(db, QStringLiteral("SELECT немає FROM функціональне"),
                              [](const QStringList&) {}));
    EXPECT_TRUE(LastError().contains(QStringLiteral("немає")));
}
