#include "TempDatabase.h"
#include "db/SqlDialect.h"
#include "db/Transaction.h"

namespace {

/** A questionnaire table with an index on the column that is altered. */
class AlterColumnTest : public TempDatabase {
protected:
    void SetUp() override {
        TempDatabase::SetUp();
        run(QStringLiteral("CREATE TABLE анкета (id AUTOINCREMENT, район int, фактор nvarchar "
                           "(50) DEFAULT '', оцінка nvarchar (50))"));
        run(QStringLiteral("CREATE INDEX анкета_фактор ON анкета (фактор)"));
        Transaction transaction(db);
        for (int i = 1; i <= 300; ++i)
            run(QStringLiteral("INSERT INTO анкета (район, фактор, оцінка) VALUES (%1, '%2', "
                               "'%3')")
                    .arg(i % 7)
                    .arg(i % 2 ? QStringLiteral("Рівень газопостачання %1").arg(i)
                               : QString::number(i))
                    .arg(i % 5));
        ASSERT_TRUE(transaction.commit());
    }
    QString alter(const QString& column, const QString& type) {
        return QStringLiteral("ALTER TABLE анкета ALTER COLUMN ") + column + u' ' + type;
    }
    /** Reopens the file and checks it as a later start of the program would. */
    void expectSoundAfterReopen(int size) {
        db.close();
        ASSERT_TRUE(db.open(path())) << qPrintable(db.errorText());
        EXPECT_EQ(
            column(QStringLiteral("PRAGMA integrity_check"), QStringLiteral("integrity_check")),
            QStringList({"ok"}));
        ASSERT_TRUE(RunQuery(q, QStringLiteral("SELECT фактор FROM анкета WHERE id=0"), true));
        EXPECT_EQ(q.fields()[0].size, size);
        // The index still finds rows by text and by a number-like text.
        EXPECT_EQ(
            column(QStringLiteral("SELECT id FROM анкета WHERE фактор='42'"), QStringLiteral("id")),
            QStringList({"42"}));
        EXPECT_EQ(column(QStringLiteral("SELECT id FROM анкета WHERE фактор='Рівень "
                                        "газопостачання 41'"),
                         QStringLiteral("id")),
                  QStringList({"41"}));
        EXPECT_EQ(column(QStringLiteral("SELECT count(*) AS n FROM анкета"), QStringLiteral("n")),
                  QStringList({"300"}));
    }
};

} // namespace

TEST_F(AlterColumnTest, TextTypesAreAcceptedAndTheFileStaysSound) {
    const std::vector<std::pair<QString, int>> types{{QStringLiteral("TEXT(150)"), 150},
                                                     {QStringLiteral("varchar (80)"), 80},
                                                     {QStringLiteral("NVARCHAR(255);"), 255},
                                                     {QStringLiteral("CHAR(10)"), 10},
                                                     {QStringLiteral("TEXT"), 0},
                                                     {QStringLiteral("ntext"), 0},
                                                     {QStringLiteral("CHARACTER VARYING(40)"), 40}};
    for (const auto& [type, size] : types) {
        SCOPED_TRACE(qPrintable(type));
        ASSERT_TRUE(RunQuery(q, alter(QStringLiteral("фактор"), type), false))
            << qPrintable(LastError());
        expectSoundAfterReopen(size);
    }
    // The default and the index survived every rewrite.
    run(QStringLiteral("INSERT INTO анкета (район) VALUES (1)"));
    EXPECT_EQ(
        column(QStringLiteral("SELECT фактор FROM анкета WHERE id=301"), QStringLiteral("фактор")),
        QStringList({""}));
    EXPECT_EQ(column(QStringLiteral("SELECT name FROM sqlite_master WHERE type='index'"),
                     QStringLiteral("name")),
              QStringList({"анкета_фактор"}));
}

TEST_F(AlterColumnTest, RefusedAlterationsLeaveTheFileUnchanged) {
    const QByteArray before = fileBytes();
    ASSERT_FALSE(before.isEmpty());
    const std::vector<std::pair<QString, QString>> refused{
        {QStringLiteral("фактор"), QStringLiteral("TEXT(150")},
        {QStringLiteral("фактор"), QStringLiteral("INTEGER")},
        {QStringLiteral("фактор"), QStringLiteral("MEMO")},
        {QStringLiteral("фактор"), QStringLiteral("TEXT NOT NULL")},
        {QStringLiteral("фактор"), QStringLiteral("TEXT(150)) ; DROP TABLE анкета; --")},
        {QStringLiteral("фактор"), QStringLiteral("TEXT(0)")},
        {QStringLiteral("район"), QStringLiteral("TEXT(150)")}, // int: affinity would change
        {QStringLiteral("немає"), QStringLiteral("TEXT(150)")},
    };
    for (const auto& [name, type] : refused) {
        SCOPED_TRACE(qPrintable(type));
        EXPECT_FALSE(RunQuery(q, alter(name, type), false));
        EXPECT_TRUE(LastError().contains(QStringLiteral("\rЗапит: ALTER TABLE")));
        EXPECT_FALSE(db.inTransaction());
    }
    EXPECT_TRUE(LastError().startsWith(QStringLiteral("немає стовпця немає")));
    EXPECT_FALSE(RunQuery(q, alter(QStringLiteral("фактор"), QStringLiteral("TEXT(150")), false));
    EXPECT_TRUE(LastError().startsWith(QStringLiteral("Тип \"TEXT(150\" не підтримується")));
    EXPECT_EQ(fileBytes(), before);
    expectSoundAfterReopen(50);
    EXPECT_EQ(fileBytes(), before);
}

TEST_F(AlterColumnTest, ADefinitionTheProviderRejectsIsRefusedBeforeWriting) {
    // A strict table knows no sized text types: the in-memory trial refuses the change.
    run(QStringLiteral("CREATE TABLE строгі (id INTEGER PRIMARY KEY, назва TEXT) STRICT"));
    const QByteArray before = fileBytes();
    EXPECT_FALSE(
        RunQuery(q, QStringLiteral("ALTER TABLE строгі ALTER COLUMN назва TEXT(150)"), false));
    EXPECT_TRUE(LastError().startsWith(QStringLiteral("Нове визначення таблиці помилкове: ")));
    EXPECT_EQ(fileBytes(), before);
}

TEST_F(AlterColumnTest, ATableThatFailsItsCheckAfterTheRewriteIsRolledBack) {
    // A row that breaks its table's CHECK constraint: the check after the rewrite finds it.
    run(QStringLiteral("CREATE TABLE зони (зона nvarchar (50), опис nvarchar (50) "
                       "CHECK (length(опис) < 3))"));
    run(QStringLiteral("PRAGMA ignore_check_constraints=ON"));
    run(QStringLiteral("INSERT INTO зони VALUES ('1','довгий')"));
    run(QStringLiteral("PRAGMA ignore_check_constraints=OFF"));
    const QByteArray before = fileBytes();
    EXPECT_FALSE(
        RunQuery(q, QStringLiteral("ALTER TABLE зони ALTER COLUMN зона TEXT(150)"), false));
    EXPECT_TRUE(LastError().startsWith(
        QStringLiteral("Перевірка таблиці після зміни: не виконано умову перевірки")));
    EXPECT_FALSE(db.inTransaction());
    ASSERT_TRUE(RunQuery(q, QStringLiteral("SELECT зона FROM зони"), true));
    EXPECT_EQ(q.fields()[0].size, 50);
    EXPECT_EQ(fileBytes(), before);
}

TEST_F(AlterColumnTest, InsideATransactionTheChangeFollowsIt) {
    {
        Transaction transaction(db);
        run(alter(QStringLiteral("фактор"), QStringLiteral("TEXT(150)")));
        EXPECT_TRUE(db.inTransaction());
        ASSERT_TRUE(RunQuery(q, QStringLiteral("SELECT фактор FROM анкета WHERE id=0"), true));
        EXPECT_EQ(q.fields()[0].size, 150);
    }
    // The connection sees the former schema at once, not only after reopening.
    ASSERT_TRUE(RunQuery(q, QStringLiteral("SELECT фактор FROM анкета WHERE id=0"), true));
    EXPECT_EQ(q.fields()[0].size, 50);
    expectSoundAfterReopen(50);
    {
        Transaction transaction(db);
        run(alter(QStringLiteral("фактор"), QStringLiteral("TEXT(150)")));
        ASSERT_TRUE(transaction.commit());
    }
    expectSoundAfterReopen(150);
}

TEST(SqlDialect, TextColumnTypes) {
    using sqldialect::IsTextColumnType;
    for (const char* type : {"TEXT(150)", "text", " nvarchar (50) ", "VARCHAR(255)", "char(1)",
                             "NCHAR(2)", "NTEXT", "CHARACTER VARYING (10)", "CLOB"})
        EXPECT_TRUE(IsTextColumnType(QString::fromLatin1(type))) << type;
    for (const char* type :
         {"TEXT(150", "TEXT 150)", "INTEGER", "int", "MEMO", "STRING", "REAL", "", "TEXT(-1)",
          "TEXT(1,2)", "TEXT COLLATE NOCASE", "TEXT UNIQUE", "CHARINT(5)"})
        EXPECT_FALSE(IsTextColumnType(QString::fromLatin1(type))) << type;
    EXPECT_EQ(sqldialect::ColumnAffinity(QStringLiteral("nvarchar (50)")),
              sqldialect::Affinity::Text);
    EXPECT_EQ(sqldialect::ColumnAffinity(QStringLiteral("MEMO")), sqldialect::Affinity::Numeric);
}
