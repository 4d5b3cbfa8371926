#include "db/QueryFunctions.h"
#include "db/Databases.h"
#include "tests/support/TestSupport.h"

#include "common/FileUtils.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

/** A settlement-like database opened as the program's project connection. */
class ProjectQueryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString folder = app.file(QStringLiteral("Проекти/п/с"));
        QDir().mkpath(folder);
        Connection c;
        ASSERT_TRUE(c.create(JoinPath(folder, DataFileName())));
        Query q(&c);
        ASSERT_TRUE(RunQuery(
            q,
            QStringLiteral("CREATE TABLE характеристика (id AUTOINCREMENT, код nvarchar (50), "
                           "показник nvarchar (255), значення nvarchar (255), значення2 ntext)"),
            false));
        c.close();
        ASSERT_TRUE(Db().ConnectProject(folder));
    }
    void TearDown() override { Db().CloseProject(); }

    TempAppDir app;
    RecordingMessages messages;
};

} // namespace

TEST(QuoteSql, DoublesEveryApostrophe) {
    EXPECT_EQ(QuoteSql(QStringLiteral("a'b''")), QStringLiteral("a''b''''"));
}

TEST_F(ProjectQueryTest, RunQueryConventions) {
    Query& q = Db().queryData2;
    EXPECT_FALSE(RunQuery(q, QStringLiteral("SELECT * FROM характеристика"), true, true));
    EXPECT_EQ(LastError(), QStringLiteral("Не знайдено записів згідно запиту."));
    EXPECT_FALSE(q.isOpen());
    EXPECT_EQ(MaxValue(q, QStringLiteral("характеристика"), QStringLiteral("id")), 0);
    EXPECT_EQ(MaxValue(q, QStringLiteral("немає"), QStringLiteral("id")), 0);
    EXPECT_TRUE(LastError().isEmpty());

    EXPECT_FALSE(RunQuery(q, QString(), true));
    EXPECT_TRUE(LastError().isEmpty());
    Query closed;
    EXPECT_FALSE(RunQuery(closed, QStringLiteral("SELECT 1"), true));
    EXPECT_TRUE(LastError().isEmpty());

    EXPECT_FALSE(RunQuery(q, QStringLiteral("SELECT * FROM немає"), true));
    EXPECT_TRUE(LastError().endsWith(QStringLiteral("\rЗапит: SELECT * FROM немає")));

    EXPECT_TRUE(FieldExists(q, QStringLiteral("SELECT * FROM характеристика WHERE id=0"),
                            QStringLiteral("значення2")));
    EXPECT_FALSE(FieldExists(q, QStringLiteral("SELECT * FROM характеристика WHERE id=0"),
                             QStringLiteral("si")));
    EXPECT_FALSE(q.isOpen());
    EXPECT_TRUE(TableExists(Db().data, QStringLiteral("ХАРАКТЕРИСТИКА")));
    EXPECT_FALSE(TableExists(Db().data, QStringLiteral("функціональне")));
}

TEST_F(ProjectQueryTest, LocateValueStaysWhenNothingMatches) {
    Query& q = Db().queryData2;
    ASSERT_TRUE(RunQuery(q,
                         QStringLiteral("INSERT INTO характеристика (показник) VALUES "
                                        "('a'),('b'),('c')"),
                         false));
    ASSERT_TRUE(RunQuery(q, QStringLiteral("SELECT * FROM характеристика ORDER BY id"), true));
    q.setRecNo(2);
    EXPECT_TRUE(LocateValue(QStringLiteral("3"), q, QStringLiteral("id")));
    EXPECT_EQ(q.recNo(), 3);
    EXPECT_FALSE(LocateValue(QStringLiteral("9"), q, QStringLiteral("id")));
    EXPECT_EQ(q.recNo(), 3);
    EXPECT_FALSE(LocateValue(QString(), q, QStringLiteral("id")));
    EXPECT_TRUE(HasCurrentRecord(q));
}

TEST(ColumnDef, Dialects) {
    EXPECT_EQ(ColumnDef(QStringLiteral("Microsoft.Jet.OLEDB.4.0"), QStringLiteral("si"),
                        FieldType::WideString, false, 50),
              QStringLiteral("si nvarchar (50) DEFAULT \"\""));
    EXPECT_EQ(
        ColumnDef(QStringLiteral("SQLOLEDB.1"), QStringLiteral("si"), FieldType::String, false, 50),
        QStringLiteral("si [nvarchar] (50) DEFAULT (N'')"));
    EXPECT_EQ(
        ColumnDef(QStringLiteral("PostgreSQL"), QStringLiteral("si"), FieldType::String, true, 50),
        QStringLiteral("\"si\" character varying (50) "));
    EXPECT_EQ(
        ColumnDef(QStringLiteral("PostgreSQL"), QStringLiteral("id"), FieldType::AutoInc, false, 0),
        QStringLiteral("\"id\" serial"));
    EXPECT_EQ(ColumnDef(QStringLiteral("SQLite"), QStringLiteral("m"), FieldType::Memo, false, 0),
              QStringLiteral("m ntext DEFAULT ''"));
    EXPECT_EQ(ColumnDef(QStringLiteral("SQLite"), QStringLiteral("x"), FieldType::Other, false, 0),
              QString());
}

TEST(CopyFolderFiles, AnswersDecideWhatIsOverwritten) {
    TempAppDir app;
    RecordingMessages messages;
    const QString from = app.file(QStringLiteral("from"));
    const QString to = app.file(QStringLiteral("to"));
    for (const char* n : {"a.tab", "b.dat", "data.sqlite"}) {
        WriteTextFile(JoinPath(from, QString::fromUtf8(n)), QStringLiteral("new"));
        WriteTextFile(JoinPath(to, QString::fromUtf8(n)), QStringLiteral("old"));
    }
    messages.answer({Answer::NoToAll});
    EXPECT_TRUE(CopyFolderFiles(from, to));
    EXPECT_EQ(messages.texts(QStringLiteral("confirm")).size(), 1);
    EXPECT_EQ(messages.texts().first(), QStringLiteral("Копіювання файлів: \rФайл \"") +
                                            JoinPath(to, QStringLiteral("a.tab")) +
                                            QStringLiteral("\" існує. Перезаписати його?"));
    EXPECT_EQ(ReadTextFile(JoinPath(to, QStringLiteral("b.dat"))), QStringLiteral("old"));

    messages.clear();
    messages.answer({Answer::No, Answer::YesToAll});
    EXPECT_TRUE(CopyFolderFiles(from, to));
    EXPECT_EQ(ReadTextFile(JoinPath(to, QStringLiteral("a.tab"))), QStringLiteral("old"));
    EXPECT_EQ(ReadTextFile(JoinPath(to, QStringLiteral("data.sqlite"))), QStringLiteral("new"));

    messages.clear();
    messages.answer({Answer::Cancel});
    EXPECT_FALSE(CopyFolderFiles(from, to));

    EXPECT_TRUE(CopyFolderFiles(app.file(QStringLiteral("empty")), to, {}, true));
    EXPECT_FALSE(CopyFolderFiles(app.file(QStringLiteral("empty")), to, {}, false));
    EXPECT_EQ(messages.texts(QStringLiteral("warning")),
              QStringList({"Немає файлів для копіювання."}));

    // Into a new folder with missing parents.
    EXPECT_TRUE(CopyFolderFiles(from, app.file(QStringLiteral("x/y/z"))));
    EXPECT_EQ(ReadTextFile(app.file(QStringLiteral("x/y/z/a.tab"))), QStringLiteral("new"));
}

TEST(Databases, ConnectionFailuresAreReported) {
    TempAppDir app;
    RecordingMessages messages;
    Databases dbs;
    EXPECT_FALSE(dbs.ConnectCatalogue());
    EXPECT_TRUE(messages.last().text.startsWith(
        QStringLiteral("Підключення до бази даних програми.\rПомилка: ")));
    EXPECT_FALSE(dbs.ConnectTemplate());
    EXPECT_TRUE(messages.last().text.startsWith(
        QStringLiteral("Підключення до бази даних шаблону.\rПомилка: ")));
    EXPECT_FALSE(dbs.ConnectProject(app.file(QStringLiteral("none"))));
    EXPECT_TRUE(messages.last().text.startsWith(
        QStringLiteral("Підключення до бази даних проекту.\rПомилка: ")));
}

TEST_F(ProjectQueryTest, LineBreaksInsideLiteralsAreKept) {
    Query& q = Db().queryData2;
    ASSERT_TRUE(RunQuery(q, QStringLiteral("INSERT INTO характеристика (показник) VALUES ('Опис')"),
                         false));
    ASSERT_TRUE(RunQuery(
        q,
        QStringLiteral(
            "UPDATE характеристика SET значення2='межа\rпо річці\nі дорозі' WHERE показник='Опис'"),
        false));
    ASSERT_TRUE(
        RunQuery(q, QStringLiteral("SELECT * FROM характеристика WHERE показник='Опис'"), true));
    EXPECT_EQ(q.text(QStringLiteral("значення2")), QStringLiteral("межа\rпо річці\nі дорозі"));
}
