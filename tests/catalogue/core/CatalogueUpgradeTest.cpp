#include "catalogue/core/CatalogueUpgrade.h"
#include "tests/support/QueryRows.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace catalogue;

namespace {

/** A catalogue as a version ships it: projects, settings and two reference tables. */
void MakeCatalogue(Connection& c, const QString& path) {
    ASSERT_TRUE(c.create(path));
    ExecSql(c, QStringLiteral("CREATE TABLE projects (id AUTOINCREMENT, named nvarchar (255), "
                              "pathname nvarchar (255))"));
    ExecSql(c, QStringLiteral("CREATE TABLE налаштування (id AUTOINCREMENT, code nvarchar (50), "
                              "value nvarchar (255))"));
    ExecSql(c, QStringLiteral("CREATE TABLE індексація (id AUTOINCREMENT, рік nvarchar (10), "
                              "індексація nvarchar (20))"));
    ExecSql(c, QStringLiteral("CREATE TABLE грунти (id AUTOINCREMENT, шифр nvarchar (20), "
                              "назва nvarchar (255))"));
    ExecSql(c, QStringLiteral("INSERT INTO індексація (рік, індексація) VALUES ('2023','1.051'), "
                              "('2024','1.12')"));
    ExecSql(c, QStringLiteral("INSERT INTO грунти (шифр, назва) VALUES ('1','Чорноземи')"));
}

/**
 * The valuer's catalogue made from one version (with a registered project) and the catalogue
 * the next version ships.
 */
class CatalogueUpgradeTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeCatalogue(own, dir.filePath(QStringLiteral("baza.sqlite")));
        shippedBefore = ReferenceTableHashes(own);
        ExecSql(own, QStringLiteral("INSERT INTO projects (named, pathname) VALUES ('Проект', "
                                    "'Проект')"));
        ExecSql(own, QStringLiteral("INSERT INTO налаштування (code, value) VALUES ('Моє', '1')"));
        MakeCatalogue(next, dir.filePath(QStringLiteral("shipped.sqlite")));
    }
    bool Upgrade(QString* error = nullptr) {
        upgrade.shipped = shippedBefore;
        next.close();
        return UpgradeCatalogue(own, dir.filePath(QStringLiteral("shipped.sqlite")), upgrade,
                                error);
    }
    QTemporaryDir dir;
    Connection own;
    Connection next;
    TableHashes shippedBefore;
    CatalogueUpgrade upgrade;
};

} // namespace

// The hash names the content, whatever order the columns were added in.
TEST_F(CatalogueUpgradeTest, TheHashNamesTheRowsNotTheColumnOrder) {
    ExecSql(next, QStringLiteral("CREATE TABLE другий (id AUTOINCREMENT, назва nvarchar (255), "
                                 "шифр nvarchar (20))"));
    ExecSql(next, QStringLiteral("INSERT INTO другий (id, шифр, назва) SELECT id, шифр, назва FROM "
                                 "грунти"));
    EXPECT_EQ(TableContentHash(next, QStringLiteral("другий")),
              TableContentHash(next, QStringLiteral("грунти")));
    EXPECT_EQ(TableContentHash(next, QStringLiteral("грунти")),
              TableContentHash(own, QStringLiteral("грунти")));
    ExecSql(next, QStringLiteral("UPDATE грунти SET назва='Чорноземи типові'"));
    EXPECT_NE(TableContentHash(next, QStringLiteral("грунти")),
              TableContentHash(own, QStringLiteral("грунти")));
    EXPECT_TRUE(TableContentHash(next, QStringLiteral("немає")).isEmpty());
}

// A table the valuer never changed takes the new rows; one the valuer changed keeps them and
// gains only what is new; projects and settings stay.
TEST_F(CatalogueUpgradeTest, NewerReferenceRowsComeInWithoutTouchingTheValuersOwn) {
    ExecSql(next,
            QStringLiteral("INSERT INTO індексація (рік, індексація) VALUES ('2025','1.08')"));
    ExecSql(next, QStringLiteral("INSERT INTO грунти (шифр, назва) VALUES ('2','Сірі лісові')"));
    ExecSql(next, QStringLiteral("UPDATE грунти SET назва='Чорноземи типові' WHERE шифр='1'"));
    // The valuer typed a soil of their own and renamed the shipped one.
    ExecSql(own, QStringLiteral("INSERT INTO грунти (шифр, назва) VALUES ('9','Мій ґрунт')"));
    ExecSql(own, QStringLiteral("UPDATE грунти SET назва='Чорнозем мій' WHERE шифр='1'"));

    ASSERT_TRUE(Upgrade()) << LastError().toStdString();
    EXPECT_EQ(QueryRows(own, QStringLiteral("SELECT рік, індексація FROM індексація ORDER BY id")),
              QStringList({"2023|1.051", "2024|1.12", "2025|1.08"}));
    EXPECT_EQ(QueryRows(own, QStringLiteral("SELECT шифр, назва FROM грунти ORDER BY id")),
              QStringList({"1|Чорнозем мій", "9|Мій ґрунт", "2|Сірі лісові"}));
    EXPECT_EQ(QueryRows(own, QStringLiteral("SELECT named, pathname FROM projects")),
              QStringList({"Проект|Проект"}));
    EXPECT_EQ(QueryRows(own, QStringLiteral("SELECT code, value FROM налаштування")),
              QStringList({"Моє|1"}));
    EXPECT_EQ(upgrade.notes,
              QStringList({"Довідник \"індексація\" оновлено (записів: 3).",
                           "Довідник \"грунти\" ви змінювали, тому ваші записи в ньому "
                           "залишено; додано нових записів: 1."}));
    // What is remembered is the shipped content, so the valuer's soils stay theirs next time.
    EXPECT_NE(upgrade.shipped.value(QStringLiteral("грунти")),
              TableContentHash(own, QStringLiteral("грунти")));
    EXPECT_EQ(upgrade.shipped.value(QStringLiteral("індексація")),
              TableContentHash(own, QStringLiteral("індексація")));
}

// When nothing new is shipped, whatever the valuer changed or deleted stays so.
TEST_F(CatalogueUpgradeTest, AnUnchangedShippedTableLeavesTheValuersEditsAlone) {
    ExecSql(own, QStringLiteral("DELETE FROM індексація WHERE рік='2023'"));
    ASSERT_TRUE(Upgrade());
    EXPECT_EQ(QueryRows(own, QStringLiteral("SELECT рік FROM індексація")), QStringList({"2024"}));
    EXPECT_TRUE(upgrade.notes.isEmpty()) << upgrade.notes.join(u'\n').toStdString();
}

// A later version's new table, column and index arrive; the valuer's tables start empty.
TEST_F(CatalogueUpgradeTest, NewTablesColumnsAndIndexesArrive) {
    ExecSql(next, QStringLiteral("ALTER TABLE індексація ADD COLUMN інфляція nvarchar (20)"));
    ExecSql(next, QStringLiteral("UPDATE індексація SET інфляція='1.1'"));
    ExecSql(next, QStringLiteral("CREATE INDEX грунти_шифр ON грунти (шифр)"));
    ExecSql(next, QStringLiteral("CREATE TABLE локальні (id AUTOINCREMENT, назва_коротко "
                                 "nvarchar (100), мин nvarchar (20))"));
    ExecSql(next,
            QStringLiteral("INSERT INTO локальні (назва_коротко, мин) VALUES ('Яри', '0.9')"));
    ExecSql(own, QStringLiteral("DROP TABLE налаштування"));
    ASSERT_TRUE(Upgrade()) << LastError().toStdString();
    EXPECT_EQ(QueryRows(own, QStringLiteral("SELECT рік, інфляція FROM індексація ORDER BY id")),
              QStringList({"2023|1.1", "2024|1.1"}));
    EXPECT_EQ(QueryRows(own, QStringLiteral("SELECT назва_коротко, мин FROM локальні")),
              QStringList({"Яри|0.9"}));
    EXPECT_EQ(QueryRows(own, QStringLiteral("SELECT name FROM sqlite_master WHERE type='index' AND "
                                            "name='грунти_шифр'")),
              QStringList({"грунти_шифр"}));
    EXPECT_TRUE(QueryRows(own, QStringLiteral("SELECT * FROM налаштування")).isEmpty());
    EXPECT_TRUE(upgrade.notes.contains(QStringLiteral("Додано довідник \"локальні\".")));
}

// A file that is not a catalogue changes nothing and says why.
TEST_F(CatalogueUpgradeTest, ANonCatalogueChangesNothing) {
    ExecSql(next, QStringLiteral("DROP TABLE projects"));
    ExecSql(next,
            QStringLiteral("INSERT INTO індексація (рік, індексація) VALUES ('2025','1.08')"));
    QString error;
    EXPECT_FALSE(Upgrade(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("не є каталогом проектів"))) << error.toStdString();
    EXPECT_EQ(QueryRows(own, QStringLiteral("SELECT рік FROM індексація")),
              QStringList({"2023", "2024"}));
    // The shipped catalogue is no longer attached: the next upgrade can attach it again.
    EXPECT_FALSE(QueryRows(own, QStringLiteral("PRAGMA database_list"))
                     .join(u' ')
                     .contains(QStringLiteral("shipped")));
}

// The book of purposes comes in with its rows; later, a category the valuer set stays and
// only the codes the book lacks are added.
TEST_F(CatalogueUpgradeTest, ThePurposeBookKeepsTheValuersCategoriesAndGainsNewCodes) {
    const QString create = QStringLiteral("CREATE TABLE призначення (id AUTOINCREMENT, код "
                                          "nvarchar (10), назва nvarchar (255), категорія "
                                          "nvarchar (10))");
    ExecSql(next, create);
    ExecSql(next, QStringLiteral("INSERT INTO призначення (код, назва, категорія) VALUES "
                                 "('02.01','Присадибна','Ж'), ('02.09','Паркінги','')"));
    ASSERT_TRUE(Upgrade());
    EXPECT_EQ(QueryRows(own, QStringLiteral("SELECT код, категорія FROM призначення ORDER BY id")),
              (QStringList{QStringLiteral("02.01|Ж"), QStringLiteral("02.09|")}));

    // The valuer maps the parkings; the next version adds a code.
    const TableHashes shipped = upgrade.shipped;
    ExecSql(own, QStringLiteral("UPDATE призначення SET категорія='Т' WHERE код='02.09'"));
    ASSERT_TRUE(next.open(dir.filePath(QStringLiteral("shipped.sqlite"))));
    ExecSql(next, QStringLiteral("INSERT INTO призначення (код, назва, категорія) VALUES "
                                 "('19.00','Угіддя','')"));
    shippedBefore = shipped;
    ASSERT_TRUE(Upgrade());
    EXPECT_EQ(QueryRows(own, QStringLiteral("SELECT код, категорія FROM призначення ORDER BY id")),
              (QStringList{QStringLiteral("02.01|Ж"), QStringLiteral("02.09|Т"),
                           QStringLiteral("19.00|")}));
}
