#include "catalogue/core/ProgramFolder.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "db/Backup.h"
#include "tests/support/QueryRows.h"
#include "tests/support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace catalogue;

namespace {

/** Moves a shipped file's time on, as an installation of a newer version does. */
void Touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
}

/** Rewrites a shipped file as a newer version would. */
void Ship(const QString& path, const QString& text) {
    WriteTextFile(path, text);
    Touch(path);
}

/**
 * An installation's read-only data (a small catalogue, settings, templates, a document and a
 * demonstration project) and the valuer's program folder made from it.
 */
class ProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousAppDir = GlobalVar().Settings.AppDir;
        const QString catalogue = shipped(QStringLiteral("baza.sqlite"));
        ExecSql(catalogue, QStringLiteral("CREATE TABLE projects (id AUTOINCREMENT, named nvarchar "
                                          "(255), pathname nvarchar (255))"));
        ExecSql(catalogue, QStringLiteral("CREATE TABLE індексація (id AUTOINCREMENT, рік nvarchar "
                                          "(10), індексація nvarchar (20))"));
        ExecSql(catalogue, QStringLiteral("INSERT INTO індексація (рік, індексація) VALUES "
                                          "('2024','1.12')"));
        ExecSql(catalogue, QStringLiteral("INSERT INTO projects (named, pathname) VALUES "
                                          "('Демонстраційний проект', 'Демо')"));
        WriteTextFile(shipped(QStringLiteral("settings.dat")), QStringLiteral("[OFFICE]\n"));
        ExecSql(shipped(QStringLiteral("Шаблон/наспункт/data.sqlite")),
                QStringLiteral("CREATE TABLE кф (id AUTOINCREMENT, код nvarchar (10))"));
        ExecSql(shipped(QStringLiteral("Шаблон/проект/data.sqlite")),
                QStringLiteral("CREATE TABLE data (id AUTOINCREMENT, named nvarchar (255))"));
        WriteTextFile(shipped(QStringLiteral("Шаблон/Технічний звіт.dotx")), QStringLiteral("1"));
        WriteTextFile(shipped(QStringLiteral("Шаблон/Розрахунок.xltx")), QStringLiteral("1"));
        WriteTextFile(shipped(QStringLiteral("data/курортні.htm")), QStringLiteral("1"));
        WriteTextFile(shipped(QStringLiteral("Проекти/Демо/с. Демо/карта.gwp")),
                      QStringLiteral("1"));
        // The program's paths point at the valuer's folder, so the copies go there.
        InitGlobalVar(place.folder);
    }
    void TearDown() override { InitGlobalVar(previousAppDir); }

    QString shipped(const QString& relative) const { return JoinPath(place.shipped, relative); }
    QString own(const QString& relative) const { return JoinPath(place.folder, relative); }
    bool Prepare(QString* error = nullptr) {
        notes.clear();
        return PrepareProgramFolder(place, &notes, error);
    }

    QTemporaryDir dir;
    ProgramPlace place{dir.filePath(QStringLiteral("xdg/tamberon")),
                       dir.filePath(QStringLiteral("usr/share/tamberon"))};
    QStringList notes;
    QString previousAppDir;
};

} // namespace

TEST_F(ProgramFolderTest, TheFirstStartMakesTheFolderAndTheNextKeepsTheValuersChanges) {
    ASSERT_TRUE(Prepare()) << LastError().toStdString();
    for (const char* file :
         {"baza.sqlite", "settings.dat", "Шаблон/наспункт/data.sqlite", "Шаблон/проект/data.sqlite",
          "Шаблон/Технічний звіт.dotx", "data/курортні.htm", "Проекти/Демо/с. Демо/карта.gwp"})
        EXPECT_TRUE(QFileInfo::exists(own(QString::fromUtf8(file)))) << file;
    EXPECT_TRUE(QFileInfo(own(QStringLiteral("Temp"))).isDir());
    EXPECT_EQ(notes, QStringList({QStringLiteral("Ваші проекти, каталог і шаблони зберігаються "
                                                 "в папці \"%1\".")
                                      .arg(QDir::toNativeSeparators(place.folder))}));

    // The valuer's work: settings, a template, a project of their own, the demonstration gone.
    WriteTextFile(own(QStringLiteral("settings.dat")), QStringLiteral("[OFFICE]\nOpenResults=0\n"));
    WriteTextFile(own(QStringLiteral("Шаблон/Технічний звіт.dotx")), QStringLiteral("мій"));
    ExecSql(own(QStringLiteral("baza.sqlite")),
            QStringLiteral("INSERT INTO projects (named, pathname) VALUES ('Мій', 'Мій')"));
    ASSERT_TRUE(DeleteFolder(own(QStringLiteral("Проекти/Демо"))));
    ASSERT_TRUE(Prepare());
    EXPECT_TRUE(notes.isEmpty()) << notes.join(u'\n').toStdString();
    EXPECT_EQ(ReadTextFile(own(QStringLiteral("settings.dat"))),
              QStringLiteral("[OFFICE]\nOpenResults=0\n"));
    EXPECT_EQ(ReadTextFile(own(QStringLiteral("Шаблон/Технічний звіт.dotx"))),
              QStringLiteral("мій"));
    EXPECT_EQ(
        QueryRows(own(QStringLiteral("baza.sqlite")), QStringLiteral("SELECT named FROM projects")),
        QStringList({"Демонстраційний проект", "Мій"}));
    EXPECT_FALSE(QFileInfo::exists(own(QStringLiteral("Проекти/Демо"))));

    // A file the program cannot do without comes back; nothing else is touched.
    ASSERT_TRUE(QFile::remove(own(QStringLiteral("Шаблон/проект/data.sqlite"))));
    ASSERT_TRUE(Prepare());
    EXPECT_TRUE(QFileInfo::exists(own(QStringLiteral("Шаблон/проект/data.sqlite"))));
    EXPECT_EQ(ReadTextFile(own(QStringLiteral("Шаблон/Технічний звіт.dotx"))),
              QStringLiteral("мій"));
    EXPECT_FALSE(QFileInfo::exists(own(QStringLiteral("Проекти/Демо"))));
}

// A newer version: the reference tables are upgraded in place, the files the valuer never
// changed are replaced, the valuer's own versions, settings and projects stay.
TEST_F(ProgramFolderTest, ANewerVersionUpgradesWhatTheValuerDidNotChange) {
    ASSERT_TRUE(Prepare());
    WriteTextFile(own(QStringLiteral("Шаблон/Технічний звіт.dotx")), QStringLiteral("мій"));
    ExecSql(own(QStringLiteral("Шаблон/наспункт/data.sqlite")),
            QStringLiteral("INSERT INTO кф (код) VALUES ('мій')"));
    ExecSql(own(QStringLiteral("baza.sqlite")),
            QStringLiteral("INSERT INTO projects (named, pathname) VALUES ('Мій', 'Мій')"));
    WriteTextFile(own(QStringLiteral("Проекти/Мій/data.sqlite")), QStringLiteral("проект"));

    Ship(shipped(QStringLiteral("Шаблон/Технічний звіт.dotx")), QStringLiteral("2"));
    Ship(shipped(QStringLiteral("Шаблон/Розрахунок.xltx")), QStringLiteral("2"));
    Ship(shipped(QStringLiteral("settings.dat")), QStringLiteral("[OFFICE]\nOpenResults=1\n"));
    Ship(shipped(QStringLiteral("Проекти/Демо/с. Демо/карта.gwp")), QStringLiteral("2"));
    ExecSql(shipped(QStringLiteral("baza.sqlite")),
            QStringLiteral("INSERT INTO індексація (рік, індексація) VALUES ('2025','1.08')"));
    ExecSql(shipped(QStringLiteral("Шаблон/наспункт/data.sqlite")),
            QStringLiteral("CREATE TABLE нова (id AUTOINCREMENT)"));
    Touch(shipped(QStringLiteral("baza.sqlite")));

    ASSERT_TRUE(Prepare()) << LastError().toStdString();
    EXPECT_EQ(ReadTextFile(own(QStringLiteral("Шаблон/Розрахунок.xltx"))), QStringLiteral("2"));
    EXPECT_EQ(ReadTextFile(own(QStringLiteral("Шаблон/Технічний звіт.dotx"))),
              QStringLiteral("мій"));
    EXPECT_EQ(ReadTextFile(own(QStringLiteral("settings.dat"))), QStringLiteral("[OFFICE]\n"));
    EXPECT_EQ(ReadTextFile(own(QStringLiteral("Проекти/Демо/с. Демо/карта.gwp"))),
              QStringLiteral("1"));
    EXPECT_EQ(ReadTextFile(own(QStringLiteral("Проекти/Мій/data.sqlite"))),
              QStringLiteral("проект"));
    EXPECT_EQ(QueryRows(own(QStringLiteral("baza.sqlite")),
                        QStringLiteral("SELECT рік FROM індексація ORDER BY id")),
              QStringList({"2024", "2025"}));
    EXPECT_EQ(
        QueryRows(own(QStringLiteral("baza.sqlite")), QStringLiteral("SELECT named FROM projects")),
        QStringList({"Демонстраційний проект", "Мій"}));
    // The valuer's defaults stay and get the tables every settlement needs now.
    const QString templ = own(QStringLiteral("Шаблон/наспункт/data.sqlite"));
    EXPECT_EQ(QueryRows(templ, QStringLiteral("SELECT код FROM кф")), QStringList({"мій"}));
    EXPECT_EQ(QueryRows(templ, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE "
                                              "name='функціональне'")),
              QStringList({"1"}));
    // The catalogue was copied before it was changed.
    EXPECT_EQ(backup::RollingCopies(backup::CatalogueCopiesFolder()).size(), 1);
    EXPECT_EQ(notes.value(0),
              QStringLiteral("Дані програми оновлено до версії %1.").arg(GlobalVar().AppVersion));
    EXPECT_TRUE(notes.contains(QStringLiteral("Довідник \"індексація\" оновлено (записів: 2).")))
        << notes.join(u'\n').toStdString();
    EXPECT_TRUE(notes.contains(
        QStringLiteral("Файл \"%1\" ви змінювали, тому його залишено; нова версія - \"%2\".")
            .arg(QDir::toNativeSeparators(QStringLiteral("Шаблон/Технічний звіт.dotx")),
                 QDir::toNativeSeparators(shipped(QStringLiteral("Шаблон/Технічний звіт.dotx"))))))
        << notes.join(u'\n').toStdString();

    // The same installation again: nothing to do, nothing said.
    ASSERT_TRUE(Prepare());
    EXPECT_TRUE(notes.isEmpty()) << notes.join(u'\n').toStdString();
    // A version that changes another file says nothing more of the valuer's template.
    Ship(shipped(QStringLiteral("data/курортні.htm")), QStringLiteral("2"));
    ASSERT_TRUE(Prepare());
    EXPECT_EQ(ReadTextFile(own(QStringLiteral("data/курортні.htm"))), QStringLiteral("2"));
    EXPECT_EQ(
        notes,
        QStringList(
            {QStringLiteral("Дані програми оновлено до версії %1.").arg(GlobalVar().AppVersion)}));
    // A version with a newer template again: the valuer's is still the valuer's, and told.
    Ship(shipped(QStringLiteral("Шаблон/Технічний звіт.dotx")), QStringLiteral("3"));
    ASSERT_TRUE(Prepare());
    EXPECT_EQ(ReadTextFile(own(QStringLiteral("Шаблон/Технічний звіт.dotx"))),
              QStringLiteral("мій"));
    EXPECT_EQ(notes.size(), 2) << notes.join(u'\n').toStdString();
}

TEST_F(ProgramFolderTest, AFolderThatCannotBeMadeIsNamedAndAFolderOfItsOwnNeedsNothing) {
    WriteTextFile(dir.filePath(QStringLiteral("файл")), QStringLiteral("x"));
    const ProgramPlace blocked{dir.filePath(QStringLiteral("файл/tamberon")), place.shipped};
    QString error;
    EXPECT_FALSE(PrepareProgramFolder(blocked, nullptr, &error));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(blocked.folder))) << error.toStdString();

    const ProgramPlace ownFolder{dir.filePath(QStringLiteral("програма")), QString()};
    EXPECT_TRUE(PrepareProgramFolder(ownFolder, nullptr, &error));
    EXPECT_FALSE(QFileInfo::exists(ownFolder.folder));
}
