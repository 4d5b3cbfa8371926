#include "db/QueryFunctions.h"
#include "db/SqlDialect.h"
#include "db/Utf8Rows.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

/** A fresh database file with the statements run. */
class ProviderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(db.create(dir.path() + QStringLiteral("/data.sqlite")));
    }
    void run(const QString& sql) {
        ASSERT_TRUE(RunQuery(q, sql, false)) << qPrintable(LastError());
    }
    QStringList column(const QString& sql, const QString& field) {
        QStringList values;
        EXPECT_TRUE(RunQuery(q, sql, true)) << qPrintable(LastError());
        for (q.first(); !q.eof(); q.next())
            values << q.text(field);
        return values;
    }

    QTemporaryDir dir;
    Connection db;
    Query q{&db};
};

} // namespace

TEST_F(ProviderTest, JetTableDefinitionsAreAcceptedVerbatim) {
    run(QStringLiteral(
        "CREATE TABLE функціональне (id AUTOINCREMENT, район nvarchar (50), ф_1 nvarchar (50), "
        "ф_2 nvarchar (50))"));
    run(QStringLiteral(
        "CREATE TABLE відомість_кварталів (id int, зона nvarchar (50), лок_1 nvarchar (10))"));
    run(QStringLiteral("INSERT INTO функціональне (район) VALUES ('1')"));
    run(QStringLiteral("INSERT INTO функціональне (район) VALUES ('2')"));
    EXPECT_EQ(
        column(QStringLiteral("SELECT * FROM функціональне ORDER BY id"), QStringLiteral("id")),
        QStringList({"1", "2"}));
    // Without a column list.
    run(QStringLiteral("INSERT INTO відомість_кварталів VALUES (7,'1','1.05')"));
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM відомість_кварталів"), QStringLiteral("лок_1")),
              QStringList({"1.05"}));
    ASSERT_TRUE(RunQuery(q, QStringLiteral("SELECT * FROM відомість_кварталів"), true));
    EXPECT_EQ(q.fields()[q.fieldIndex(QStringLiteral("лок_1"))].size, 10);
    EXPECT_EQ(q.fields()[0].type, FieldType::Integer);
}

TEST_F(ProviderTest, LikeIgnoresCyrillicCaseAndUnderscoreIsOneCharacter) {
    run(QStringLiteral(
        "CREATE TABLE коатуу (id AUTOINCREMENT, code nvarchar (10), title nvarchar (255))"));
    run(QStringLiteral("INSERT INTO коатуу (code, title) VALUES ('3222481201','С.ВИШНЕВЕ')"));
    run(QStringLiteral(
        "INSERT INTO коатуу (code, title) VALUES ('3222400000','Києво-Святошинський р-н')"));
    run(QStringLiteral("INSERT INTO коатуу (code, title) VALUES ('3222481200','Вишнева с.р.')"));
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM коатуу WHERE title LIKE 'с.%'"),
                     QStringLiteral("title")),
              QStringList({"С.ВИШНЕВЕ"}));
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM коатуу WHERE code LIKE '32224_____' AND code <> "
                                    "'3222400000' ORDER BY id"),
                     QStringLiteral("code")),
              QStringList({"3222481201", "3222481200"}));
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM коатуу WHERE code LIKE '%00000'"),
                     QStringLiteral("code")),
              QStringList({"3222400000"}));
    // One Cyrillic letter is one "_", not two bytes.
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM коатуу WHERE title LIKE 'С._ИШНЕВЕ'"),
                     QStringLiteral("code")),
              QStringList({"3222481201"}));
    EXPECT_TRUE(sqldialect::LikeMatch(QStringLiteral("%ще%"), QStringLiteral("С-ЩЕ Нове")));
    EXPECT_FALSE(sqldialect::LikeMatch(QStringLiteral("с._"), QStringLiteral("с.")));
    EXPECT_TRUE(sqldialect::LikeMatch(QStringLiteral("a%b%c"), QStringLiteral("axxbyyc")));
}

TEST_F(ProviderTest, CintOrdersTextNumbersAndJoinsWork) {
    run(QStringLiteral("CREATE TABLE км2 (id AUTOINCREMENT, район nvarchar (50), км2 nvarchar "
                       "(50), зона nvarchar (50))"));
    run(QStringLiteral("CREATE TABLE зони (id AUTOINCREMENT, зона nvarchar (50), райони ntext)"));
    for (const char* row : {"'10','1.20','2'", "'2','0.80','1'", "'1','0.90','1'", "'','',''"})
        run(QStringLiteral("INSERT INTO км2 (район, км2, зона) VALUES (") + QString::fromUtf8(row) +
            u')');
    run(QStringLiteral("INSERT INTO зони (зона, райони) VALUES ('1','1, 2')"));
    run(QStringLiteral("INSERT INTO зони (зона, райони) VALUES ('2','10')"));
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM км2 WHERE район<>'' ORDER BY cint(район)"),
                     QStringLiteral("район")),
              QStringList({"1", "2", "10"}));
    // A missing column fails with the provider's text, a line break and the statement.
    EXPECT_FALSE(RunQuery(q, QStringLiteral("SELECT км2.вартість FROM км2"), true));
    EXPECT_TRUE(LastError().contains(QStringLiteral("Запит: ")));
    EXPECT_EQ(column(QStringLiteral("SELECT зони.*, км2.км2 FROM зони LEFT JOIN км2 ON "
                                    "зони.зона=км2.зона ORDER BY cint(км2.зона),cint(км2.район)"),
                     QStringLiteral("км2")),
              QStringList({"0.90", "0.80", "1.20"}));
    EXPECT_EQ(column(QStringLiteral("SELECT DISTINCT зона FROM км2 WHERE зона<>'' ORDER BY зона"),
                     QStringLiteral("зона")),
              QStringList({"1", "2"}));
    EXPECT_EQ(column(QStringLiteral("SELECT cint('2.5') AS a"), QStringLiteral("a")),
              QStringList({"2"}));
    EXPECT_EQ(column(QStringLiteral("SELECT cint('x') AS a"), QStringLiteral("a")),
              QStringList({""}));
}

TEST_F(ProviderTest, AlterTableAddsAndWidensColumnsKeepingData) {
    run(QStringLiteral("CREATE TABLE анкета (id AUTOINCREMENT, район nvarchar (50), фактор "
                       "nvarchar (50), оцінка nvarchar (50))"));
    run(QStringLiteral(
        "INSERT INTO анкета (район, фактор, оцінка) VALUES ('1','Рівень газопостачання','5')"));
    ASSERT_TRUE(RunQuery(q, QStringLiteral("SELECT фактор FROM анкета WHERE id=0"), true));
    EXPECT_EQ(q.fields()[0].size, 50);
    run(QStringLiteral("ALTER TABLE анкета ALTER COLUMN фактор TEXT(150)"));
    ASSERT_TRUE(RunQuery(q, QStringLiteral("SELECT фактор FROM анкета WHERE id=0"), true));
    EXPECT_EQ(q.fields()[0].size, 150);
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM анкета"), QStringLiteral("фактор")),
              QStringList({"Рівень газопостачання"}));
    run(QStringLiteral("INSERT INTO анкета (район, фактор, оцінка) VALUES ('2','x','4')"));
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM анкета ORDER BY id"), QStringLiteral("id")),
              QStringList({"1", "2"}));

    run(QStringLiteral("ALTER TABLE анкета ADD COLUMN ") +
        ColumnDef(db, QStringLiteral("si"), FieldType::WideString, false, 50));
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM анкета ORDER BY id"), QStringLiteral("si")),
              QStringList({"", ""}));
    EXPECT_FALSE(
        RunQuery(q, QStringLiteral("ALTER TABLE анкета ALTER COLUMN немає TEXT(150)"), false));
}

TEST_F(ProviderTest, FieldsAreFoundByNameIgnoringCase) {
    run(QStringLiteral("CREATE TABLE зони (id AUTOINCREMENT, зона nvarchar (50), Опис ntext)"));
    run(QStringLiteral(
        "CREATE TABLE км2 (id AUTOINCREMENT, зона nvarchar (50), км2 nvarchar (50))"));
    run(QStringLiteral("INSERT INTO зони (зона, Опис) VALUES ('1','центр')"));
    run(QStringLiteral("INSERT INTO км2 (зона, км2) VALUES ('1','1.20')"));
    ASSERT_TRUE(RunQuery(
        q,
        QStringLiteral("SELECT зони.*, км2.*, 'x' AS ЗОНА2, 'y' AS зона2 FROM зони LEFT JOIN "
                       "км2 ON зони.зона=км2.зона"),
        true));
    // A repeated name (also in another letter case) is the first field of it.
    EXPECT_EQ(q.fieldIndex(QStringLiteral("id")), 0);
    EXPECT_EQ(q.fieldIndex(QStringLiteral("ЗОНА")), 1);
    EXPECT_EQ(q.fieldIndex(QStringLiteral("опис")), 2);
    EXPECT_EQ(q.fieldIndex(QStringLiteral("КМ2")), 5);
    EXPECT_EQ(q.fieldIndex(QStringLiteral("зона2")), 6);
    EXPECT_EQ(q.fieldIndex(QStringLiteral("немає")), -1);
    EXPECT_EQ(q.text(QStringLiteral("Опис")), QStringLiteral("центр"));
    // A new result has its own names.
    ASSERT_TRUE(RunQuery(q, QStringLiteral("SELECT км2 AS опис FROM км2"), true));
    EXPECT_EQ(q.fieldIndex(QStringLiteral("опис")), 0);
    EXPECT_EQ(q.fieldIndex(QStringLiteral("зона")), -1);
    q.close();
    EXPECT_EQ(q.fieldIndex(QStringLiteral("опис")), -1);
}

TEST(Provider, OpeningMissingOrGarbageFilesFails) {
    QTemporaryDir dir;
    Connection db;
    EXPECT_FALSE(db.open(dir.path() + QStringLiteral("/none.sqlite")));
    EXPECT_FALSE(db.isOpen());
    QFile garbage(dir.path() + QStringLiteral("/bad.sqlite"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, 'x'));
    garbage.close();
    EXPECT_FALSE(db.open(garbage.fileName()));
    EXPECT_FALSE(db.errorText().isEmpty());
    EXPECT_EQ(db.openFailure(), OpenFailure::NotADatabase);
    EXPECT_FALSE(db.open(dir.path() + QStringLiteral("/none.sqlite")));
    EXPECT_EQ(db.openFailure(), OpenFailure::Missing);
}

// A sound database at a path longer than SQLite opens is reported as such, never as damaged.
TEST(Provider, APathTooLongIsNamedAsTheCause) {
    QTemporaryDir dir;
    const QString shortPath = dir.filePath(QStringLiteral("data.sqlite"));
    {
        Connection db;
        ASSERT_TRUE(db.create(shortPath));
        Query q(&db);
        ASSERT_TRUE(RunQuery(q, QStringLiteral("CREATE TABLE t (v)"), false));
    }
    // Three folders of 120 Cyrillic letters: 720 bytes of path.
    QString folder = dir.path();
    for (int i = 0; i < 3; ++i)
        folder += u'/' + QString(120, QChar(u'ж'));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString longPath = folder + QStringLiteral("/data.sqlite");
    ASSERT_TRUE(QFile::rename(shortPath, longPath));
    Connection db;
    EXPECT_FALSE(db.open(longPath));
    EXPECT_EQ(db.openFailure(), OpenFailure::PathTooLong);
    EXPECT_TRUE(db.errorText().contains(QStringLiteral("задовгий")))
        << db.errorText().toStdString();
    EXPECT_FALSE(db.errorText().contains(QStringLiteral("пошкоджен")));
    EXPECT_TRUE(QFile::rename(longPath, shortPath));
    EXPECT_TRUE(db.open(shortPath));
}

TEST(SqlDialect, DeclaredTypes) {
    using sqldialect::DeclaredField;
    EXPECT_EQ(DeclaredField(QStringLiteral("a"), QStringLiteral("nvarchar (50)")).type,
              FieldType::WideString);
    EXPECT_EQ(DeclaredField(QStringLiteral("a"), QStringLiteral("ntext")).type, FieldType::Memo);
    EXPECT_EQ(DeclaredField(QStringLiteral("a"), QStringLiteral("TEXT(150)")).size, 150);
    EXPECT_EQ(
        DeclaredField(QStringLiteral("a"), QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"))
            .type,
        FieldType::AutoInc);
    EXPECT_EQ(sqldialect::RewriteAutoIncrement(QStringLiteral("SELECT 'x AUTOINCREMENT'")),
              QStringLiteral("SELECT 'x AUTOINCREMENT'"));
}

TEST_F(ProviderTest, UkrainianOrderOfTitles) {
    run(QStringLiteral("CREATE TABLE t (id AUTOINCREMENT, title nvarchar (255) COLLATE UKR)"));
    for (const char* title : {"с. Ясне", "с. Іванівка", "с. Їжаківка", "с. Гаї", "с. Ґалаґани",
                              "с. Євминка", "с. Дубки", "с. Жуки", "с. иванівка"})
        run(QStringLiteral("INSERT INTO t (title) VALUES ('") + QString::fromUtf8(title) +
            QStringLiteral("')"));
    EXPECT_EQ(column(QStringLiteral("SELECT title FROM t ORDER BY title"), QStringLiteral("title")),
              QStringList({"с. Гаї", "с. Ґалаґани", "с. Дубки", "с. Євминка", "с. Жуки",
                           "с. иванівка", "с. Іванівка", "с. Їжаківка", "с. Ясне"}));
}

// Rows read as the database keeps them give the texts a Query gives, whatever the stored
// type: a real number in its shortest form, NULL as no text; repeated values share a text.
TEST_F(ProviderTest, RowsReadAsStoredGiveTheTextsAQueryGives) {
    run(QStringLiteral("CREATE TABLE t (id int, a, b nvarchar (10))"));
    run(QStringLiteral("INSERT INTO t VALUES (1, 1.0, '1.00'), (2, 0.1, 'слово довше за сім'), "
                       "(3, NULL, ''), (4, 12, '1.00'), (5, 2.5e-7, NULL)"));
    const QString sql = QStringLiteral("SELECT * FROM t ORDER BY id");
    ASSERT_TRUE(RunQuery(q, sql, true)) << qPrintable(LastError());
    ShortTextCache cache;
    int a = -1, b = -1, row = 0;
    QString previousB;
    ASSERT_TRUE(ReadUtf8Rows(db, sql, [&](const Utf8Row& r) {
        a = r.columnIndex("a");
        b = r.columnIndex("b");
        EXPECT_EQ(r.columnIndex("немає"), -1);
        q.setRecNo(++row);
        EXPECT_EQ(cache.value(r, a), q.text(QStringLiteral("a"))) << row;
        EXPECT_EQ(cache.value(r, b), q.text(QStringLiteral("b"))) << row;
        EXPECT_EQ(cache.value(r, a).isNull(), q.isNull(QStringLiteral("a"))) << row;
        if (row == 4) { // the same short text as row 1's
            EXPECT_TRUE(cache.value(r, b).isSharedWith(previousB));
        }
        if (row == 1)
            previousB = cache.value(r, b);
    }));
    EXPECT_EQ(row, 5);
}
