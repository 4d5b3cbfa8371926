#include "catalogue/core/CataloguePaths.h"
#include "catalogue/core/Catalogue.h"
#include "catalogue/core/CatalogueOpen.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "db/Backup.h"
#include "db/Databases.h"
#include "db/QueryFunctions.h"
#include "tests/catalogue/core/ScriptedQuestions.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace catalogue;

namespace {

QStringList Pathnames(Connection& c) {
    Query q(&c);
    EXPECT_TRUE(RunQuery(q, QStringLiteral("SELECT pathname FROM projects ORDER BY id"), true));
    QStringList paths;
    for (q.first(); !q.eof(); q.next())
        paths << q.text(0);
    return paths;
}

void Exec(Connection& c, const QString& sql) {
    Query q(&c);
    ASSERT_TRUE(RunQuery(q, sql, false)) << LastError().toStdString();
}

/** A program folder from the build whose catalogue starts without projects. */
class CataloguePathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Db().main.close();
        ASSERT_TRUE(Db().main.open(app.file(QStringLiteral("baza.sqlite"))));
        Exec(Db().main, QStringLiteral("DELETE FROM projects"));
        // A catalogue of an earlier version: its paths were never changed.
        Exec(Db().main, QStringLiteral("DELETE FROM налаштування WHERE code='ШляхиВідносні'"));
        Db().main.close();
        root = GlobalVar().Settings.ProjectsDir;
    }
    void TearDown() override {
        Db().CloseProject();
        Db().main.close();
    }
    TempAppDir app{true};
    RecordingMessages messages;
    ScriptedQuestions ask;
    CatalogueContext context{Db(), ask};
    QString root;
};

const NewProject kProject{QStringLiteral("3222400000"),
                          QStringLiteral("Район"),
                          {QStringLiteral("с. Вишневе, 3222481201")}};

} // namespace

TEST_F(CataloguePathsTest, FoldersInsideTheRootAreKeptRelative) {
    EXPECT_EQ(StoredPath(root + QStringLiteral("/Район/с. Вишневе")),
              QStringLiteral("Район/с. Вишневе"));
    EXPECT_EQ(ResolvedPath(QStringLiteral("Район/с. Вишневе")),
              root + QStringLiteral("/Район/с. Вишневе"));
    // The root itself, its neighbours and folders elsewhere keep their full paths.
    EXPECT_EQ(StoredPath(root), root);
    EXPECT_EQ(StoredPath(root + QStringLiteral("2/x")), root + QStringLiteral("2/x"));
    EXPECT_EQ(StoredPath(root + QStringLiteral("/../Інше")), app.file(QStringLiteral("Інше")));
    EXPECT_FALSE(IsUnderProjectsRoot(app.file(QStringLiteral("Інше"))));
    EXPECT_TRUE(IsUnderProjectsRoot(root + QStringLiteral("/Район")));
    EXPECT_EQ(ResolvedPath(QStringLiteral("/elsewhere/x")), QStringLiteral("/elsewhere/x"));
}

TEST_F(CataloguePathsTest, ACopiedProgramFolderOpensAndDeletesItsOwnProjects) {
    ASSERT_EQ(CreateProject(context, kProject), CreateOutcome::Written);
    Db().CloseProject();
    Db().main.close();
    const QString original = JoinPath(root, QStringLiteral("Район"));

    TempAppDir copy;
    CopyTree(app.path(), copy.path());
    InitGlobalVar(copy.path());
    ProjectTreeRows rows;
    ASSERT_TRUE(LoadProjectRows(context, rows));
    ASSERT_EQ(rows.items.size(), 2u);
    const QString copied = copy.file(QStringLiteral("Проекти/Район"));
    EXPECT_EQ(rows.items[0].pathname, copied);
    EXPECT_EQ(rows.items[1].pathname, JoinPath(copied, QStringLiteral("с. Вишневе")));
    std::vector<ListEntry> settlements, files;
    ASSERT_TRUE(LoadProjectEntries(context, rows.items[0].pathname, settlements, files));
    ASSERT_EQ(settlements.size(), 1u);
    EXPECT_EQ(settlements[0].path, JoinPath(copied, QStringLiteral("с. Вишневе")));

    // Deleting with all data in the copy leaves the original alone.
    Db().CloseProject();
    ASSERT_TRUE(DeleteProjectRows(context, rows.items[0]));
    EXPECT_TRUE(DeleteProjectFolder(rows.items[0].pathname));
    EXPECT_FALSE(QFileInfo::exists(copied));
    EXPECT_TRUE(QFileInfo::exists(JoinPath(original, DataFileName())));
    EXPECT_TRUE(messages.messages.empty()) << messages.texts().join(u'\n').toStdString();
    Db().main.close();
    InitGlobalVar(app.path());
}

TEST_F(CataloguePathsTest, FullPathsAreChangedOnceInOneTransaction) {
    ASSERT_TRUE(QDir().mkpath(JoinPath(root, QStringLiteral("Тут"))));
    ASSERT_TRUE(QDir().mkpath(JoinPath(root, QStringLiteral("Переїхав/село"))));
    const QString outside = app.file(QStringLiteral("Інше/Проект"));
    ASSERT_TRUE(QDir().mkpath(outside));
    Connection& c = Db().main;
    ASSERT_TRUE(c.open(app.file(QStringLiteral("baza.sqlite"))));
    const QStringList before = {JoinPath(root, QStringLiteral("Тут")),
                                QStringLiteral("/old/place/Проекти/Переїхав/село"), outside,
                                QStringLiteral("/old/place/Проекти/Зник"), QString()};
    for (const QString& path : before)
        Exec(c, QStringLiteral("INSERT INTO projects (uid, named, pathname) VALUES ('1','x','%1')")
                    .arg(QuoteSql(path)));

    // A catalogue that cannot be written keeps every row as it was.
    Exec(c, QStringLiteral("PRAGMA query_only=ON"));
    QString error;
    EXPECT_FALSE(ConvertCataloguePaths(c, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Оновлення даних у базі даних.")))
        << error.toStdString();
    // The provider's reason and the statement follow the sentence.
    EXPECT_TRUE(error.contains(QStringLiteral("Запит: "))) << error.toStdString();
    Exec(c, QStringLiteral("PRAGMA query_only=OFF"));
    EXPECT_EQ(Pathnames(c), before);

    ASSERT_TRUE(ConvertCataloguePaths(c, &error)) << error.toStdString();
    const QStringList after = {QStringLiteral("Тут"), QStringLiteral("Переїхав/село"), outside,
                               QStringLiteral("/old/place/Проекти/Зник"), QString()};
    EXPECT_EQ(Pathnames(c), after);
    // Once only: a full path written later stays as it is.
    Exec(c, QStringLiteral("INSERT INTO projects (uid, named, pathname) VALUES ('2','y','%1')")
                .arg(QuoteSql(JoinPath(root, QStringLiteral("Тут")))));
    ASSERT_TRUE(ConvertCataloguePaths(c));
    EXPECT_EQ(Pathnames(c).last(), JoinPath(root, QStringLiteral("Тут")));
}

TEST_F(CataloguePathsTest, ADamagedCatalogueOffersItsLatestCopy) {
    ASSERT_TRUE(OpenCatalogue(context));
    const QStringList copies = backup::RollingCopies(backup::CatalogueCopiesFolder());
    ASSERT_EQ(copies.size(), 1);
    // One copy per run, however often the catalogue is opened.
    Db().main.close();
    ASSERT_TRUE(OpenCatalogue(context));
    EXPECT_EQ(backup::RollingCopies(backup::CatalogueCopiesFolder()).size(), 1);
    Db().main.close();

    const QString path = app.file(QStringLiteral("baza.sqlite"));
    const qint64 size = QFileInfo(path).size();
    ASSERT_TRUE(QFile::resize(path, size / 3));
    ask.answer({Answer::No});
    ProjectTreeRows rows;
    QString error;
    EXPECT_FALSE(LoadProjectRows(context, rows, &error));
    EXPECT_TRUE(error.isEmpty()); // declined: nothing more to tell
    ASSERT_EQ(ask.offers.size(), 1u);
    const RestoreOffer& offer = ask.offers[0];
    EXPECT_TRUE(offer.problem.startsWith(QStringLiteral("Каталог проектів \"") +
                                         QDir::toNativeSeparators(path) +
                                         QStringLiteral("\" не вдається прочитати.\rПомилка: ")));
    EXPECT_EQ(offer.copyTime, QFileInfo(copies[0]).lastModified());
    EXPECT_EQ(offer.keepName, QStringLiteral("baza пошкоджена.sqlite"));
    EXPECT_EQ(QFileInfo(path).size(), size / 3);

    ask.answer({Answer::Yes});
    EXPECT_TRUE(LoadProjectRows(context, rows, &error));
    // The copy's content; the page of the copy's record of itself stays free.
    EXPECT_GE(QFileInfo(path).size(), size);
    EXPECT_FALSE(TableExists(Db().main, QStringLiteral("копія_відомості")));
    EXPECT_EQ(QFileInfo(app.file(QStringLiteral("baza пошкоджена.sqlite"))).size(), size / 3);
    Query q(&Db().main);
    EXPECT_TRUE(RunQuery(q, QStringLiteral("SELECT count(*) FROM коатуу"), true));

    // Without a copy the message says where the catalogue is and why it cannot be read.
    Db().main.close();
    ASSERT_TRUE(DeleteFolder(backup::CatalogueCopiesFolder()));
    ASSERT_TRUE(QFile::resize(path, size / 3));
    ask.offers.clear();
    EXPECT_FALSE(LoadProjectRows(context, rows, &error));
    EXPECT_TRUE(ask.offers.empty());
    EXPECT_TRUE(
        error.startsWith(QStringLiteral("Каталог проектів \"") + QDir::toNativeSeparators(path)));
    // The catalogue asked and told through its caller only.
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_FALSE(Db().main.isOpen());
}
