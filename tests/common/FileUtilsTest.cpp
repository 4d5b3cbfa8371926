#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(FileUtils, SafeFileNameReplacesAndMendsDotNames) {
    EXPECT_EQ(SafeFileName(QStringLiteral("a:b/c*d?e\\f|g")), QStringLiteral("a_b_c_d_e_f_g"));
    EXPECT_EQ(SafeFileName(QStringLiteral("Кам'янка \"Нова\" <1>")),
              QStringLiteral("Кам`янка `Нова` <1>"));
    EXPECT_EQ(SafeFileName(QString()), QStringLiteral("_"));
    EXPECT_EQ(SafeFileName(QStringLiteral(".")), QStringLiteral("_"));
    EXPECT_EQ(SafeFileName(QStringLiteral("..")), QStringLiteral("_"));
    EXPECT_EQ(SafeFileName(QStringLiteral(" . . ")), QStringLiteral("_"));
    EXPECT_EQ(SafeFileName(QStringLiteral("v.1")), QStringLiteral("v.1"));
}

TEST(FileUtils, UniqueFileNameCountsFromTwo) {
    QTemporaryDir dir;
    const QString path = JoinPath(dir.path(), QStringLiteral("Склад земель.xlsx"));
    WriteTextFile(path, QStringLiteral("x"));
    EXPECT_EQ(UniqueFileName(path, QStringLiteral("_")),
              JoinPath(dir.path(), QStringLiteral("Склад земель_2.xlsx")));
    WriteTextFile(JoinPath(dir.path(), QStringLiteral("Склад земель_2.xlsx")), QStringLiteral("x"));
    EXPECT_EQ(UniqueFileName(path, QStringLiteral("_")),
              JoinPath(dir.path(), QStringLiteral("Склад земель_3.xlsx")));
    EXPECT_EQ(UniqueFileName(JoinPath(dir.path(), QStringLiteral("readme")), QStringLiteral("_")),
              JoinPath(dir.path(), QStringLiteral("readme_2")));
}

TEST(FileUtils, ListFilesMatchesMasksSorted) {
    QTemporaryDir dir;
    for (const char* name : {"b.gwp", "a.GWP", "c.tab", "d.txt"})
        WriteTextFile(JoinPath(dir.path(), QString::fromUtf8(name)), QStringLiteral("x"));
    QDir(dir.path()).mkdir(QStringLiteral("sub.gwp"));
    EXPECT_EQ(ListFiles(dir.path(), QStringLiteral("*.gwp;*.tab"), false),
              QStringList({"a.GWP", "b.gwp", "c.tab"}));
    EXPECT_EQ(ListFiles(dir.path(), QStringLiteral("*.txt"), true),
              QStringList({JoinPath(dir.path(), QStringLiteral("d.txt"))}));
    EXPECT_TRUE(ListFiles(JoinPath(dir.path(), QStringLiteral("none")), QStringLiteral("*.*"), true)
                    .isEmpty());
}

TEST(FileUtils, DeleteFolderRemovesTreeButNeverFollowsLinks) {
    QTemporaryDir dir;
    const QString outside = JoinPath(dir.path(), QStringLiteral("outside"));
    WriteTextFile(JoinPath(outside, QStringLiteral("keep.txt")), QStringLiteral("keep"));
    const QString victim = JoinPath(dir.path(), QStringLiteral("проект"));
    WriteTextFile(JoinPath(victim, QStringLiteral("sub/deep/a.txt")), QStringLiteral("a"));
    WriteTextFile(JoinPath(victim, QStringLiteral(".hidden")), QStringLiteral("h"));
    WriteTextFile(JoinPath(victim, QStringLiteral("..a")), QStringLiteral("dots"));
    QFile(JoinPath(victim, QStringLiteral("sub/deep/a.txt"))).setPermissions(QFile::ReadOwner);
    ASSERT_TRUE(QFile::link(outside, JoinPath(victim, QStringLiteral("link"))));

    EXPECT_TRUE(DeleteFolder(victim));
    EXPECT_FALSE(QFileInfo::exists(victim));
    EXPECT_TRUE(QFileInfo::exists(JoinPath(outside, QStringLiteral("keep.txt"))));
    EXPECT_TRUE(DeleteFolder(JoinPath(dir.path(), QStringLiteral("missing"))));
    EXPECT_FALSE(DeleteFolder(QString()));

    // A link given as the folder itself is removed as a link.
    const QString link = JoinPath(dir.path(), QStringLiteral("link2"));
    ASSERT_TRUE(QFile::link(outside, link));
    EXPECT_TRUE(DeleteFolder(link));
    EXPECT_TRUE(QFileInfo::exists(JoinPath(outside, QStringLiteral("keep.txt"))));
}

TEST(FileUtils, IniReadAndNameFunctions) {
    TempAppDir app;
    WriteTextFile(app.file(QStringLiteral("settings.dat")),
                  QStringLiteral(
                      "[UPDATE]\nServerPath=/srv/upd\nVersion = 1.3.1\n[OFFICE]\nOpenResults=0\n"));
    EXPECT_EQ(IniRead(QStringLiteral("settings.dat"), QStringLiteral("update"),
                      QStringLiteral("ServerPath")),
              QStringLiteral("/srv/upd"));
    EXPECT_EQ(IniRead(GlobalVar().Settings.SettingsFile, QStringLiteral("UPDATE"),
                      QStringLiteral("Version")),
              QStringLiteral("1.3.1"));
    EXPECT_EQ(IniRead(QStringLiteral("settings.dat"), QStringLiteral("OFFICE"),
                      QStringLiteral("Missing"), QStringLiteral("d")),
              QStringLiteral("d"));
    EXPECT_EQ(IniRead(QStringLiteral("none.dat"), QStringLiteral("A"), QStringLiteral("B"),
                      QStringLiteral("d")),
              QStringLiteral("d"));

    EXPECT_EQ(FileNameNoExt(QStringLiteral("/a/Карта.GWP")), QStringLiteral("карта"));
    EXPECT_EQ(FileNameNoExt(QStringLiteral("/a/Карта.GWP"), true), QStringLiteral("Карта"));
    EXPECT_EQ(FileExtLower(QStringLiteral("/a.b/c.TAB")), QStringLiteral(".tab"));
    EXPECT_EQ(FileExtLower(QStringLiteral("/a.b/c")), QString());
    EXPECT_EQ(FileBaseName(QStringLiteral("/x/a.tar.gz")), QStringLiteral("/x/a.tar"));
    EXPECT_EQ(ExcludeTrailingBackslashes(QStringLiteral("/a/b//")), QStringLiteral("/a/b"));
    EXPECT_EQ(IncludeTrailingBackslash(QStringLiteral("/a")), QStringLiteral("/a/"));
    EXPECT_EQ(IncludeTrailingBackslash(QString()), QString());
}
