#include "catalogue/core/Catalogue.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "db/Databases.h"
#include "db/QueryFunctions.h"
#include "tests/catalogue/core/ScriptedQuestions.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace catalogue;

namespace {

/** A program folder copied from the build, with the catalogue connected. */
class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        Db().main.close();
        ASSERT_TRUE(Db().ConnectCatalogue(&error)) << qPrintable(error);
        // The shipped catalogue lists the demonstration project; these tests start empty.
        Query clear(&Db().main);
        ASSERT_TRUE(RunQuery(clear, QStringLiteral("DELETE FROM projects"), false));
    }
    void TearDown() override {
        // Whatever happened, the catalogue asked and told through its caller only.
        EXPECT_TRUE(messages.messages.empty()) << qPrintable(messages.texts().join(u'\n'));
        Db().CloseProject();
        Db().main.close();
    }
    /** Values of one column of a query on a database file. */
    static QStringList Column(const QString& dbPath, const QString& sql, const QString& field) {
        Connection c;
        EXPECT_TRUE(c.open(dbPath)) << qPrintable(dbPath);
        Query q(&c);
        EXPECT_TRUE(RunQuery(q, sql, true)) << qPrintable(LastError());
        QStringList values;
        for (q.first(); !q.eof(); q.next())
            values << q.text(field);
        return values;
    }
    QStringList Catalogue(const QString& field) {
        return Column(app.file(QStringLiteral("baza.sqlite")),
                      QStringLiteral("SELECT * FROM projects ORDER BY id"), field);
    }

    TempAppDir app{true};
    /** The catalogue functions never talk to the user: what they say comes back in `error`. */
    RecordingMessages messages;
    ScriptedQuestions ask;
    CatalogueContext context{Db(), ask};
    QString error;
};

NewProject TwoSettlements() {
    return {QStringLiteral("3222400000"),
            QStringLiteral("Києво-Святошинський район"),
            {QStringLiteral("с. Вишневе, 3222481201"), QStringLiteral("смт Глеваха, 3222455100")}};
}

} // namespace

TEST_F(CatalogueTest, CreatesProjectWithTwoSettlements) {
    ASSERT_EQ(CreateProject(context, TwoSettlements()), CreateOutcome::Written);
    const QString project = app.file(QStringLiteral("Проекти/Києво-Святошинський район"));
    EXPECT_EQ(Catalogue(QStringLiteral("named")),
              QStringList({"Києво-Святошинський район", "с. Вишневе", "смт Глеваха"}));
    const QStringList uids = Catalogue(QStringLiteral("uid"));
    EXPECT_EQ(Catalogue(QStringLiteral("part_uid")), QStringList({"", uids[0], uids[0]}));
    // Folders inside the projects root are kept relative to it.
    EXPECT_EQ(Catalogue(QStringLiteral("pathname")),
              QStringList({"Києво-Святошинський район", "Києво-Святошинський район/с. Вишневе",
                           "Києво-Святошинський район/смт Глеваха"}));
    EXPECT_EQ(Column(JoinPath(project, DataFileName()),
                     QStringLiteral("SELECT * FROM data ORDER BY id"), QStringLiteral("named")),
              QStringList({"3222400000", "с. Вишневе", "смт Глеваха"}));
    const QString village =
        JoinPath(JoinPath(project, QStringLiteral("с. Вишневе")), DataFileName());
    const QString town = JoinPath(JoinPath(project, QStringLiteral("смт Глеваха")), DataFileName());
    auto fact = [](const QString& db, const char* name) {
        return Column(db,
                      QStringLiteral("SELECT * FROM показники WHERE показник='") +
                          QString::fromUtf8(name) + u'\'',
                      QStringLiteral("значення"));
    };
    EXPECT_EQ(fact(village, "Назва"), QStringList({"с. Вишневе"}));
    EXPECT_EQ(fact(village, "Адміністративний статус"), QStringList({"село"}));
    EXPECT_EQ(fact(village, "Код коатуу"), QStringList({"3222481201"}));
    EXPECT_EQ(fact(town, "Адміністративний статус"), QStringList({"селище міського типу"}));
    // The settlement template brings the map workspace (registered) and the land statement.
    EXPECT_EQ(Column(town, QStringLiteral("SELECT * FROM data"), QStringLiteral("pathname")),
              QStringList({"карта.gwp", "Склад земель.xlsx"}));
    EXPECT_EQ(Column(town, QStringLiteral("SELECT * FROM data"), QStringLiteral("named")),
              QStringList({"карта", "Склад земель"}));
    // Every settlement folder starts with the standard map tables, the workspace and the
    // empty land statement.
    for (const char* file : {"межі.tab", "межі.map", "зони.tab", "райони.tab", "райони.dat",
                             "карта.gwp", "Склад земель.xlsx"})
        EXPECT_TRUE(QFileInfo::exists(
            JoinPath(JoinPath(project, QStringLiteral("смт Глеваха")), QString::fromUtf8(file))))
            << file;
}

TEST_F(CatalogueTest, ProjectWithoutSettlementsAndOddNames) {
    NewProject project{QStringLiteral("8000000000"), QStringLiteral("Київ: центр/схід 'нова'"), {}};
    ASSERT_EQ(CreateProject(context, project), CreateOutcome::Written);
    const QString folder = app.file(QStringLiteral("Проекти/Київ_ центр_схід `нова`"));
    EXPECT_TRUE(QFileInfo::exists(JoinPath(folder, DataFileName())));
    EXPECT_EQ(Catalogue(QStringLiteral("named")), QStringList({"Київ: центр/схід 'нова'"}));
    EXPECT_EQ(Column(JoinPath(folder, DataFileName()), QStringLiteral("SELECT * FROM data"),
                     QStringLiteral("code")),
              QStringList({"-1"}));

    // A name of dots never names the projects folder or its parent.
    ASSERT_EQ(CreateProject(context, {QString(), QStringLiteral(".."), {}}),
              CreateOutcome::Written);
    EXPECT_TRUE(QFileInfo::exists(app.file(QStringLiteral("Проекти/_/data.sqlite"))));
    EXPECT_FALSE(QFileInfo::exists(app.file(QStringLiteral("data.sqlite"))));
}

TEST_F(CatalogueTest, SettlementsWhoseNamesDifferInReplacedCharactersShareAFolder) {
    NewProject project{QStringLiteral("1"),
                       QStringLiteral("Рада"),
                       {QStringLiteral("с. Нове:1"), QStringLiteral("с. Нове/1")}};
    ask.answer({Answer::YesToAll});
    ASSERT_EQ(CreateProject(context, project), CreateOutcome::Written);
    EXPECT_EQ(Catalogue(QStringLiteral("pathname"))[1], Catalogue(QStringLiteral("pathname"))[2]);
    EXPECT_TRUE(Catalogue(QStringLiteral("pathname"))[1].endsWith(QStringLiteral("с. Нове_1")));
}

TEST_F(CatalogueTest, StatusWords) {
    EXPECT_EQ(SettlementStatusWord(QStringLiteral("с. Вишневе")), QStringLiteral("село"));
    EXPECT_EQ(SettlementStatusWord(QStringLiteral("смт Глеваха")),
              QStringLiteral("селище міського типу"));
    EXPECT_EQ(SettlementStatusWord(QStringLiteral("с-ще Нове")), QStringLiteral("селище"));
    EXPECT_EQ(SettlementStatusWord(QStringLiteral("м. Київ")), QStringLiteral("місто"));
    EXPECT_EQ(SettlementStatusWord(QStringLiteral("Хутір")), QString());
}

TEST_F(CatalogueTest, RegisteringAFolderTwiceAndAfterDeletingFromTheList) {
    ASSERT_EQ(CreateProject(context, TwoSettlements()), CreateOutcome::Written);
    const QString project = app.file(QStringLiteral("Проекти/Києво-Святошинський район"));
    TProjectItem item{Catalogue(QStringLiteral("uid"))[0], {}, {}, {}, project};
    ASSERT_TRUE(DeleteProjectRows(context, item));
    EXPECT_TRUE(Catalogue(QStringLiteral("named")).isEmpty());
    EXPECT_TRUE(QFileInfo::exists(project));

    ASSERT_TRUE(RegisterProjectFolder(context, project + u'/'));
    ASSERT_TRUE(RegisterProjectFolder(context, project));
    const QStringList names = Catalogue(QStringLiteral("named"));
    EXPECT_EQ(names, QStringList({"Києво-Святошинський район", "с. Вишневе", "смт Глеваха",
                                  "Києво-Святошинський район", "с. Вишневе", "смт Глеваха"}));
    const QStringList uids = Catalogue(QStringLiteral("uid"));
    EXPECT_NE(uids[0], uids[3]);
    EXPECT_EQ(Catalogue(QStringLiteral("part_uid"))[5], uids[3]);

    EXPECT_FALSE(RegisterProjectFolder(context, app.file(QStringLiteral("Temp")), &error));
    EXPECT_EQ(error, QStringLiteral("Завантаження проекту.\rПомилка: В папці не знайдені дані про "
                                    "проект грошової оцінки."));
    WriteTextFile(app.file(QStringLiteral("old/data.mdb")), QStringLiteral("x"));
    EXPECT_FALSE(RegisterProjectFolder(context, app.file(QStringLiteral("old")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("data.mdb")));
}

TEST_F(CatalogueTest, ProjectViewListsSettlementsAndFiles) {
    ASSERT_EQ(CreateProject(context, TwoSettlements()), CreateOutcome::Written);
    const QString project = app.file(QStringLiteral("Проекти/Києво-Святошинський район"));
    std::vector<ListEntry> settlements, files;
    ASSERT_TRUE(LoadProjectEntries(context, project, settlements, files));
    ASSERT_EQ(settlements.size(), 2u);
    EXPECT_EQ(settlements[1].caption, QStringLiteral("смт Глеваха"));
    EXPECT_EQ(settlements[1].path, JoinPath(project, QStringLiteral("смт Глеваха")));
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].kind, KindAddFile);

    EXPECT_FALSE(
        LoadProjectEntries(context, app.file(QStringLiteral("none")), settlements, files, &error));
    EXPECT_EQ(error, QStringLiteral("Завантаження бази даних проекту.\rПомилка: Папка \"") +
                         app.file(QStringLiteral("none")) + QStringLiteral("\" не існує."));
}

TEST_F(CatalogueTest, SettlementViewUpgradesOlderDatabasesOnce) {
    ASSERT_EQ(CreateProject(context, TwoSettlements()), CreateOutcome::Written);
    const QString village =
        app.file(QStringLiteral("Проекти/Києво-Святошинський район/с. Вишневе"));
    {
        Connection c;
        ASSERT_TRUE(c.open(JoinPath(village, DataFileName())));
        Query q(&c);
        ASSERT_TRUE(RunQuery(q, QStringLiteral("DROP TABLE км2"), false));
        ASSERT_TRUE(RunQuery(
            q,
            QStringLiteral(
                "CREATE TABLE км2 (id AUTOINCREMENT, район nvarchar (50), зона nvarchar (50))"),
            false));
    }
    std::vector<ListEntry> files;
    bool connected = false;
    ASSERT_TRUE(LoadSettlementEntries(context, village, files, &connected));
    EXPECT_TRUE(connected);
    ASSERT_TRUE(LoadSettlementEntries(context, village, files, &connected));
    const QString db = JoinPath(village, DataFileName());
    Connection c;
    ASSERT_TRUE(c.open(db));
    Query q(&c);
    ASSERT_TRUE(RunQuery(q, QStringLiteral("SELECT * FROM км2"), true));
    EXPECT_EQ(q.fields().size(), 7u);
    EXPECT_TRUE(q.hasField(QStringLiteral("ci")));
    q.close();
    // The tables the template lacks are made when the settlement connects.
    EXPECT_TRUE(TableExists(c, QStringLiteral("функціональне")));
    EXPECT_TRUE(TableExists(c, QStringLiteral("відомість_кварталів")));
    ASSERT_EQ(files.size(), 5u);
    EXPECT_EQ(files[0].caption, QStringLiteral("карта"));
    EXPECT_EQ(files[1].caption, QStringLiteral("Склад земель"));
    EXPECT_EQ(files[2].kind, KindFillReport);
    EXPECT_EQ(files[3].caption, QStringLiteral("Експорт матеріалів"));
    EXPECT_EQ(files[4].kind, KindOpenFolder);
}

TEST_F(CatalogueTest, AddingFilesReplacingRenamingAndCompanions) {
    ASSERT_EQ(CreateProject(context, TwoSettlements()), CreateOutcome::Written);
    const QString project = app.file(QStringLiteral("Проекти/Києво-Святошинський район"));
    ASSERT_TRUE(Db().ConnectProject(project));
    const QString source = app.file(QStringLiteral("incoming/Звіт.docx"));
    WriteTextFile(source, QStringLiteral("v1"));
    ListEntry added;
    ASSERT_TRUE(AddFileToFolder(context, source, project, {}, added));
    EXPECT_EQ(added.kind, KindWord);
    EXPECT_EQ(added.path, JoinPath(project, QStringLiteral("Звіт.docx")));

    // The same name again: replaced in place, no second entry.
    WriteTextFile(source, QStringLiteral("v2"));
    ask.answer({Answer::Yes});
    EXPECT_FALSE(AddFileToFolder(context, source, project, {QStringLiteral("Звіт.docx")}, added));
    EXPECT_EQ(ask.asked, QStringList{QStringLiteral("replaceFileInFolder: ") +
                                     JoinPath(project, QStringLiteral("Звіт.docx"))});
    EXPECT_EQ(ReadTextFile(JoinPath(project, QStringLiteral("Звіт.docx"))), QStringLiteral("v2"));
    // "No" keeps both.
    ask.answer({Answer::No});
    ASSERT_TRUE(AddFileToFolder(context, source, project, {QStringLiteral("Звіт.docx")}, added));
    EXPECT_EQ(added.caption, QStringLiteral("Звіт_2.docx"));
    ask.answer({Answer::Cancel});
    EXPECT_FALSE(AddFileToFolder(context, source, project, {}, added, &error));
    EXPECT_TRUE(error.isEmpty()); // cancelled: nothing to tell

    // A map table brings its companions; a missing one is no error.
    WriteTextFile(app.file(QStringLiteral("incoming/межі.tab")), QStringLiteral("tab"));
    WriteTextFile(app.file(QStringLiteral("incoming/межі.id")), QStringLiteral("id"));
    WriteTextFile(app.file(QStringLiteral("incoming/межі.DAT")), QStringLiteral("dat"));
    WriteTextFile(app.file(QStringLiteral("incoming/межі.wkt")), QStringLiteral("wkt"));
    ASSERT_TRUE(AddFileToFolder(context, app.file(QStringLiteral("incoming/межі.tab")), project, {},
                                added));
    EXPECT_EQ(added.kind, KindMap);
    EXPECT_TRUE(QFileInfo::exists(JoinPath(project, QStringLiteral("межі.id"))));
    EXPECT_TRUE(QFileInfo::exists(JoinPath(project, QStringLiteral("межі.DAT"))));
    EXPECT_TRUE(QFileInfo::exists(JoinPath(project, QStringLiteral("межі.wkt"))));
    EXPECT_FALSE(QFileInfo::exists(JoinPath(project, QStringLiteral("межі.map"))));

    std::vector<ListEntry> settlements, files;
    ASSERT_TRUE(LoadProjectEntries(context, project, settlements, files));
    ASSERT_EQ(files.size(), 4u);
    EXPECT_EQ(files[2].caption, QStringLiteral("межі.tab"));
    EXPECT_EQ(FileKind(QStringLiteral("a.XLS")), KindExcel);
    // A workspace added by hand is "any other file", which "Видалити файл" refuses.
    EXPECT_EQ(FileKind(QStringLiteral("a.gwp")), KindOtherFile);
    EXPECT_EQ(FileKind(QStringLiteral("a.pdf")), KindOtherFile);

    // Removing entries.
    EXPECT_TRUE(RemoveFileEntry(context, files[0]));
    const ListEntry report{QStringLiteral("Заповнити звіт"), KindFillReport, {}, {}};
    EXPECT_EQ(RemovalProblem(report), QStringLiteral("Цей запис видалити неможливо."));
    EXPECT_FALSE(RemoveFileEntry(context, report, &error));
    EXPECT_EQ(error, QStringLiteral("Цей запис видалити неможливо."));
    const ListEntry unlisted{QStringLiteral("x.docx"), KindWord, {}, {}};
    EXPECT_EQ(RemovalProblem(unlisted),
              QStringLiteral("Цей запис видалити неможливо. Завантажте список повторно."));
    EXPECT_FALSE(RemoveFileEntry(context, unlisted, &error));
    EXPECT_EQ(error, RemovalProblem(unlisted));
    EXPECT_TRUE(RemovalProblem(files[1]).isEmpty());
    ASSERT_TRUE(LoadProjectEntries(context, project, settlements, files));
    EXPECT_EQ(files.size(), 3u);
    EXPECT_TRUE(QFileInfo::exists(JoinPath(project, QStringLiteral("Звіт.docx"))));
}

TEST_F(CatalogueTest, DeletingFoldersStaysInsideTheProjectsRoot) {
    const QString outside = app.file(QStringLiteral("outside"));
    WriteTextFile(JoinPath(outside, QStringLiteral("keep.txt")), QStringLiteral("x"));
    const QString link = app.file(QStringLiteral("Проекти/link"));
    ASSERT_TRUE(QFile::link(outside, link));
    QString warning;
    EXPECT_FALSE(DeleteProjectFolder(link, &warning));
    EXPECT_EQ(warning, QStringLiteral("Папку \"") + link + QStringLiteral("\" не вилучено."));
    EXPECT_FALSE(DeleteProjectFolder(JoinPath(link, QStringLiteral("."))));
    EXPECT_TRUE(QFileInfo::exists(JoinPath(outside, QStringLiteral("keep.txt"))));
    EXPECT_FALSE(DeleteProjectFolder(QString()));
    EXPECT_FALSE(DeleteProjectFolder(GlobalVar().Settings.ProjectsDir));
    EXPECT_FALSE(DeleteProjectFolder(app.path()));
    EXPECT_TRUE(QFileInfo::exists(app.file(QStringLiteral("baza.sqlite"))));

    ASSERT_EQ(CreateProject(context, TwoSettlements()), CreateOutcome::Written);
    const QString project = app.file(QStringLiteral("Проекти/Києво-Святошинський район"));
    Db().CloseProject();
    EXPECT_TRUE(DeleteProjectFolder(project));
    EXPECT_FALSE(QFileInfo::exists(project));
}

TEST_F(CatalogueTest, ExportCopiesMaterialsAndAsksBeforeReplacing) {
    ASSERT_EQ(CreateProject(context, TwoSettlements()), CreateOutcome::Written);
    const QString village =
        app.file(QStringLiteral("Проекти/Києво-Святошинський район/с. Вишневе"));
    for (const char* n : {"райони.tab", "райони.dat", "райони.wkt", "Звіт.docx", "data.sqlite.bak"})
        WriteTextFile(JoinPath(village, QString::fromUtf8(n)), QStringLiteral("x"));
    const QString target = app.file(QStringLiteral("export"));
    QDir().mkpath(target);
    ASSERT_TRUE(ExportMaterials(ask, village, target, &error));
    EXPECT_TRUE(ask.asked.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(JoinPath(target, QStringLiteral("райони.dat"))));
    EXPECT_TRUE(QFileInfo::exists(JoinPath(target, QStringLiteral("райони.wkt"))));
    EXPECT_TRUE(QFileInfo::exists(JoinPath(target, QStringLiteral("Звіт.docx"))));
    EXPECT_FALSE(QFileInfo::exists(JoinPath(target, QStringLiteral("data.sqlite.bak"))));
    EXPECT_EQ(ExportFinishedText(), QStringLiteral("Завершено."));
    ask.answer({Answer::Cancel});
    EXPECT_FALSE(ExportMaterials(ask, village, target, &error));
    EXPECT_EQ(ask.asked, QStringList{QStringLiteral("replaceMaterials: ") + target});
    EXPECT_TRUE(error.isEmpty());
    // Replacing: the materials are copied over the earlier ones.
    WriteTextFile(JoinPath(village, QStringLiteral("Звіт.docx")), QStringLiteral("v2"));
    ask.answer({Answer::Ok});
    ASSERT_TRUE(ExportMaterials(ask, village, target, &error));
    EXPECT_EQ(ReadTextFile(JoinPath(target, QStringLiteral("Звіт.docx"))), QStringLiteral("v2"));
}

TEST_F(CatalogueTest, TreeRowsNestSettlementsUnderTheirProjects) {
    ASSERT_EQ(CreateProject(context, TwoSettlements()), CreateOutcome::Written);
    ASSERT_EQ(CreateProject(context, {QStringLiteral("1"),
                                      QStringLiteral("Друга"),
                                      {QStringLiteral("м. Біла Церква")}}),
              CreateOutcome::Written);
    // A settlement whose project is missing goes to the top level.
    Query q(&Db().main);
    ASSERT_TRUE(
        RunQuery(q,
                 QStringLiteral("INSERT INTO projects (uid, part_uid, named, pathname) VALUES "
                                "('1','999','Сирота','/x')"),
                 false));
    ProjectTreeRows rows;
    ASSERT_TRUE(LoadProjectRows(context, rows));
    ASSERT_EQ(rows.items.size(), 6u);
    EXPECT_EQ(rows.parents, std::vector<int>({-1, 0, 0, -1, 3, -1}));
    EXPECT_EQ(rows.items[5].named, QStringLiteral("Сирота"));
    EXPECT_GT(rows.items[5].id, rows.items[4].id);
}

TEST_F(CatalogueTest, AFailedCreationLeavesNoFolderAndNoRows) {
    // A catalogue that cannot be written: the folder this run made goes again.
    Query readOnly(&Db().main);
    ASSERT_TRUE(RunQuery(readOnly, QStringLiteral("PRAGMA query_only=ON"), false));
    EXPECT_EQ(CreateProject(context, TwoSettlements(), &error), CreateOutcome::NothingWritten);
    ASSERT_TRUE(RunQuery(readOnly, QStringLiteral("PRAGMA query_only=OFF"), false));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Додавання даних проект у базу.\rПомилка: ")));
    const QString project = app.file(QStringLiteral("Проекти/Києво-Святошинський район"));
    EXPECT_FALSE(QFileInfo::exists(project));
    EXPECT_TRUE(Catalogue(QStringLiteral("named")).isEmpty());

    // A folder that was there before is left as it was.
    WriteTextFile(JoinPath(project, QStringLiteral("нотатки.txt")), QStringLiteral("x"));
    ASSERT_TRUE(RunQuery(readOnly, QStringLiteral("PRAGMA query_only=ON"), false));
    EXPECT_EQ(CreateProject(context, TwoSettlements()), CreateOutcome::NothingWritten);
    ASSERT_TRUE(RunQuery(readOnly, QStringLiteral("PRAGMA query_only=OFF"), false));
    EXPECT_TRUE(QFileInfo::exists(JoinPath(project, QStringLiteral("нотатки.txt"))));
    ASSERT_TRUE(DeleteFolder(project));

    // The KOATUU code cannot be registered: the creation stops there, the catalogue row
    // already written is rolled back and the folders are removed.
    {
        Connection templ;
        ASSERT_TRUE(templ.open(app.file(QStringLiteral("Шаблон/проект/")) + DataFileName()));
        Query q(&templ);
        ASSERT_TRUE(RunQuery(q, QStringLiteral("DROP TABLE data"), false));
    }
    error.clear();
    EXPECT_EQ(CreateProject(context, TwoSettlements(), &error), CreateOutcome::NothingWritten);
    EXPECT_TRUE(error.startsWith(QStringLiteral("Додавання даних коатуу у проект.\rПомилка: ")));
    EXPECT_FALSE(QFileInfo::exists(project));
    EXPECT_TRUE(Catalogue(QStringLiteral("named")).isEmpty());
}

TEST_F(CatalogueTest, AMissingTemplateFolderIsNamedBeforeAnythingIsMade) {
    const QString settlementTemplate = app.file(QStringLiteral("Шаблон/наспункт"));
    ASSERT_TRUE(DeleteFolder(settlementTemplate));
    EXPECT_EQ(CreateProject(context, TwoSettlements(), &error), CreateOutcome::NothingWritten);
    EXPECT_EQ(error, QStringLiteral("Створення проекту.\rПомилка: Не знайдено папку шаблону \"") +
                         QDir::toNativeSeparators(settlementTemplate) + QStringLiteral("\"."));
    EXPECT_FALSE(QFileInfo::exists(app.file(QStringLiteral("Проекти/Києво-Святошинський район"))));
    // A project without settlements needs only the project template.
    EXPECT_EQ(CreateProject(context, {QStringLiteral("1"), QStringLiteral("Порожній"), {}}),
              CreateOutcome::Written);
}

TEST_F(CatalogueTest, AFileCopiedButNotRegisteredIsTold) {
    ASSERT_EQ(CreateProject(context, TwoSettlements()), CreateOutcome::Written);
    const QString project = app.file(QStringLiteral("Проекти/Києво-Святошинський район"));
    ASSERT_TRUE(Db().ConnectProject(project));
    const QString source = app.file(QStringLiteral("incoming/Опис.docx"));
    WriteTextFile(source, QStringLiteral("x"));
    Query readOnly(&Db().data);
    ASSERT_TRUE(RunQuery(readOnly, QStringLiteral("PRAGMA query_only=ON"), false));
    ListEntry added;
    EXPECT_FALSE(AddFileToFolder(context, source, project, {}, added, &error));
    ASSERT_TRUE(RunQuery(readOnly, QStringLiteral("PRAGMA query_only=OFF"), false));
    // The window shows the error: an empty one would show nothing while the list lacks the file.
    EXPECT_TRUE(error.contains(QStringLiteral("Опис.docx"))) << qPrintable(error);
    EXPECT_TRUE(error.contains(QStringLiteral("data"))) << qPrintable(error);
}

TEST_F(CatalogueTest, AWorkspaceAddedByHandIsAnyOtherFile) {
    ASSERT_EQ(CreateProject(context, TwoSettlements()), CreateOutcome::Written);
    const QString project = app.file(QStringLiteral("Проекти/Києво-Святошинський район"));
    ASSERT_TRUE(Db().ConnectProject(project));
    const QString source = app.file(QStringLiteral("incoming/огляд.gwp"));
    WriteTextFile(source, QStringLiteral("/LAYER File=x.tab"));
    ListEntry added;
    ASSERT_TRUE(AddFileToFolder(context, source, project, {}, added));
    EXPECT_EQ(added.kind, KindOtherFile);
    std::vector<ListEntry> settlements, files;
    ASSERT_TRUE(LoadProjectEntries(context, project, settlements, files));
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].kind, KindOtherFile);
    EXPECT_FALSE(RemoveFileEntry(context, files[0], &error));
    EXPECT_EQ(error, QStringLiteral("Цей запис видалити неможливо."));
}
