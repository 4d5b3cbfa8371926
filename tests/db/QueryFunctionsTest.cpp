#include "db/QueryFunctions.h"
#include "db/Databases.h"
#include "tests/support/TestSupport.h"

#include "common/FileUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <deque>
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

namespace {

/** Answers a folder copy's questions from a script (Cancel when it runs out) and keeps them. */
class ScriptedCopyQuestions final : public CopyQuestions {
public:
    Answer replaceExisting(const QString& target) override { return next(target); }
    Answer copyFailed(const QString& target) override { return next(QStringLiteral("!") + target); }

    std::deque<Answer> answers;
    QStringList asked; ///< the targets asked about; a failed copy's with "!" before it

private:
    Answer next(const QString& question) {
        asked << question;
        if (answers.empty())
            return Answer::Cancel;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
};

} // namespace

TEST(CopyFolderFiles, AnswersDecideWhatIsOverwritten) {
    TempAppDir app;
    RecordingMessages messages;
    ScriptedCopyQuestions ask;
    const QString from = app.file(QStringLiteral("from"));
    const QString to = app.file(QStringLiteral("to"));
    for (const char* n : {"a.tab", "b.dat", "data.sqlite"}) {
        WriteTextFile(JoinPath(from, QString::fromUtf8(n)), QStringLiteral("new"));
        WriteTextFile(JoinPath(to, QString::fromUtf8(n)), QStringLiteral("old"));
    }
    ask.answers = {Answer::NoToAll};
    EXPECT_TRUE(CopyFolderFiles(from, to, ask));
    EXPECT_EQ(ask.asked, QStringList{JoinPath(to, QStringLiteral("a.tab"))});
    EXPECT_EQ(ReadTextFile(JoinPath(to, QStringLiteral("b.dat"))), QStringLiteral("old"));

    ask.asked.clear();
    ask.answers = {Answer::No, Answer::YesToAll};
    EXPECT_TRUE(CopyFolderFiles(from, to, ask));
    EXPECT_EQ(ask.asked.size(), 2);
    EXPECT_EQ(ReadTextFile(JoinPath(to, QStringLiteral("a.tab"))), QStringLiteral("old"));
    EXPECT_EQ(ReadTextFile(JoinPath(to, QStringLiteral("data.sqlite"))), QStringLiteral("new"));

    QString error;
    ask.answers = {Answer::Cancel};
    EXPECT_FALSE(CopyFolderFiles(from, to, ask, &error));
    EXPECT_TRUE(error.isEmpty()); // the user cancelled: nothing to tell

    EXPECT_TRUE(CopyFolderFiles(app.file(QStringLiteral("empty")), to, ask, &error, {}, true));
    EXPECT_FALSE(CopyFolderFiles(app.file(QStringLiteral("empty")), to, ask, &error, {}, false));
    EXPECT_EQ(error, QStringLiteral("Немає файлів для копіювання."));

    // Into a new folder with missing parents.
    EXPECT_TRUE(CopyFolderFiles(from, app.file(QStringLiteral("x/y/z")), ask));
    EXPECT_EQ(ReadTextFile(app.file(QStringLiteral("x/y/z/a.tab"))), QStringLiteral("new"));
    // The core itself never talks to the user.
    EXPECT_TRUE(messages.messages.empty()) << qPrintable(messages.texts().join(u'\n'));
}

TEST(CopyFolderFiles, AFailedCopyIsRetriedIgnoredOrAborted) {
    TempAppDir app;
    ScriptedCopyQuestions ask;
    const QString from = app.file(QStringLiteral("from"));
    const QString to = app.file(QStringLiteral("to"));
    for (const char* n : {"a.tab", "b.dat"})
        WriteTextFile(JoinPath(from, QString::fromUtf8(n)), QStringLiteral("new"));
    // A folder in the place of a.tab: its copy fails however often it is retried.
    ASSERT_TRUE(QDir().mkpath(JoinPath(to, QStringLiteral("a.tab"))));
    const QString blocked = JoinPath(to, QStringLiteral("a.tab"));

    ask.answers = {Answer::YesToAll, Answer::Retry, Answer::Ignore};
    EXPECT_TRUE(CopyFolderFiles(from, to, ask));
    EXPECT_EQ(ask.asked, QStringList({blocked, u'!' + blocked, u'!' + blocked}));
    EXPECT_EQ(ReadTextFile(JoinPath(to, QStringLiteral("b.dat"))), QStringLiteral("new"));

    QFile::remove(JoinPath(to, QStringLiteral("b.dat")));
    ask.asked.clear();
    ask.answers = {Answer::YesToAll, Answer::Abort};
    EXPECT_FALSE(CopyFolderFiles(from, to, ask));
    EXPECT_FALSE(QFileInfo::exists(JoinPath(to, QStringLiteral("b.dat"))));
}

TEST(Databases, ConnectionFailuresAreReported) {
    TempAppDir app;
    RecordingMessages messages;
    Databases dbs;
    QString error;
    EXPECT_FALSE(dbs.ConnectCatalogue(&error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Підключення до бази даних програми.\rПомилка: ")));
    EXPECT_FALSE(dbs.ConnectTemplate(&error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Підключення до бази даних шаблону.\rПомилка: ")));
    EXPECT_FALSE(dbs.ConnectProject(app.file(QStringLiteral("none")), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Підключення до бази даних проекту.\rПомилка: ")));
    // The caller shows them: the database layer says nothing itself.
    EXPECT_TRUE(messages.messages.empty());
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
