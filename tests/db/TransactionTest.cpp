#include "db/Transaction.h"
#include "TempDatabase.h"

#include <sqlite3.h>

namespace {

class TransactionTest : public TempDatabase {
protected:
    void SetUp() override {
        TempDatabase::SetUp();
        run(QStringLiteral("CREATE TABLE показники (id AUTOINCREMENT, показник nvarchar (255), "
                           "значення nvarchar (255))"));
        run(QStringLiteral(
            "INSERT INTO показники (показник, значення) VALUES ('Назва','с. Нове')"));
    }
    void insert(const QString& value) {
        run(QStringLiteral("INSERT INTO показники (показник, значення) VALUES ('x','") + value +
            QStringLiteral("')"));
    }
    QStringList values() {
        return column(QStringLiteral("SELECT * FROM показники ORDER BY id"),
                      QStringLiteral("значення"));
    }
};

} // namespace

TEST_F(TransactionTest, CommitKeepsAndDestructionRollsBack) {
    {
        Transaction transaction(db);
        ASSERT_TRUE(transaction.ok());
        EXPECT_FALSE(transaction.nested());
        EXPECT_TRUE(db.inTransaction());
        run(QStringLiteral("DELETE FROM показники"));
        EXPECT_FALSE(
            RunQuery(q, QStringLiteral("INSERT INTO показники (немає) VALUES ('x')"), false));
    }
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(values(), QStringList({"с. Нове"}));
    {
        Transaction transaction(db);
        insert(QStringLiteral("1"));
        ASSERT_TRUE(transaction.commit());
        EXPECT_FALSE(transaction.commit());
        EXPECT_EQ(LastError(), QStringLiteral("Транзакцію вже завершено."));
    }
    EXPECT_EQ(values(), QStringList({"с. Нове", "1"}));
}

TEST_F(TransactionTest, NestedTransactionsAreSavepoints) {
    Transaction outer(db);
    ASSERT_TRUE(outer.ok());
    insert(QStringLiteral("outer"));
    {
        Transaction inner(db);
        ASSERT_TRUE(inner.ok());
        EXPECT_TRUE(inner.nested());
        insert(QStringLiteral("dropped"));
    }
    {
        Transaction inner(db);
        insert(QStringLiteral("kept"));
        {
            Transaction innermost(db);
            insert(QStringLiteral("dropped too"));
            EXPECT_TRUE(innermost.rollback());
        }
        ASSERT_TRUE(inner.commit());
    }
    EXPECT_TRUE(db.inTransaction());
    ASSERT_TRUE(outer.commit());
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(values(), QStringList({"с. Нове", "outer", "kept"}));

    // A committed savepoint is still undone with its enclosing transaction.
    {
        Transaction again(db);
        Transaction inner(db);
        insert(QStringLiteral("gone"));
        ASSERT_TRUE(inner.commit());
    }
    EXPECT_EQ(values(), QStringList({"с. Нове", "outer", "kept"}));
}

TEST_F(TransactionTest, FailuresAreReported) {
    // A closed connection.
    Connection closed;
    {
        Transaction transaction(closed);
        EXPECT_FALSE(transaction.ok());
        EXPECT_FALSE(LastError().isEmpty());
        EXPECT_FALSE(transaction.commit());
    }

    // Another connection holds the write lock: the begin fails at once, with the statement.
    Connection other;
    ASSERT_TRUE(other.open(path()));
    sqlite3_busy_timeout(other.handle(), 0);
    {
        Transaction holder(db);
        ASSERT_TRUE(holder.ok());
        Transaction blocked(other);
        EXPECT_FALSE(blocked.ok());
        EXPECT_EQ(LastError(),
                  QStringLiteral("базу даних заблоковано іншою програмою\rЗапит: BEGIN IMMEDIATE"));
        EXPECT_FALSE(blocked.commit());
        EXPECT_FALSE(other.inTransaction());
    }

    // A refused commit (a deferred foreign key) is reported and then rolled back.
    run(QStringLiteral("PRAGMA foreign_keys=ON"));
    run(QStringLiteral("CREATE TABLE зони (зона nvarchar (50) PRIMARY KEY)"));
    run(QStringLiteral("CREATE TABLE км2 (район nvarchar (50), зона nvarchar (50) REFERENCES "
                       "зони (зона) DEFERRABLE INITIALLY DEFERRED)"));
    {
        Transaction transaction(db);
        run(QStringLiteral("INSERT INTO км2 VALUES ('1','9')"));
        insert(QStringLiteral("with it"));
        EXPECT_FALSE(transaction.commit());
        EXPECT_EQ(LastError(), QStringLiteral("порушено зв'язок між таблицями\rЗапит: COMMIT"));
        EXPECT_TRUE(db.inTransaction());
    }
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM км2"), QStringLiteral("район")), QStringList());
    EXPECT_EQ(values(), QStringList({"с. Нове"}));
}

TEST_F(TransactionTest, ClosingTheConnectionEndsItsTransaction) {
    {
        Transaction transaction(db);
        insert(QStringLiteral("lost"));
        db.close();
        // Reopened on the same file, with its own work under way: it is not touched.
        ASSERT_TRUE(db.open(path()));
        run(QStringLiteral("BEGIN"));
        insert(QStringLiteral("other"));
        EXPECT_FALSE(transaction.commit());
    }
    EXPECT_TRUE(db.inTransaction());
    run(QStringLiteral("COMMIT"));
    EXPECT_EQ(values(), QStringList({"с. Нове", "other"}));
}
