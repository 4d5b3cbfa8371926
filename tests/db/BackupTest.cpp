#include "db/Backup.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "steps/common/StepStore.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

int RowCount(const QString& path) {
    Connection c;
    if (!c.open(path))
        return -1;
    Query q(&c);
    if (!RunQuery(q, QStringLiteral("SELECT count(*) FROM t"), true))
        return -1;
    return q.text(0).toInt();
}

bool Insert(Connection& c, int value) {
    Query q(&c);
    return RunQuery(q, QStringLiteral("INSERT INTO t (v) VALUES (%1)").arg(value), false);
}

/** A settlement database "Проекти/Проект/с. Нове/data.sqlite" in a temporary program folder. */
class BackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = JoinPath(GlobalVar().Settings.ProjectsDir, QStringLiteral("Проект/с. Нове"));
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(db.create(JoinPath(folder, QStringLiteral("data.sqlite"))));
        Query q(&db);
        ASSERT_TRUE(RunQuery(q, QStringLiteral("CREATE TABLE t (v integer)"), false));
    }
    TempAppDir app;
    QString folder;
    Connection db;
};

} // namespace

TEST_F(BackupTest, RollingCopiesKeepTheNewestTen) {
    const QString copies = app.file(QStringLiteral("copies"));
    for (int i = 1; i <= 12; ++i) {
        ASSERT_TRUE(Insert(db, i));
        QString error;
        ASSERT_FALSE(backup::AddRollingCopy(db, copies, backup::KeepCopies, &error).isEmpty())
            << error.toStdString();
    }
    const QStringList kept = backup::RollingCopies(copies);
    ASSERT_EQ(kept.size(), 10);
    // Oldest first: the copies made after the 3rd to the 12th row.
    EXPECT_EQ(RowCount(kept.first()), 3);
    EXPECT_EQ(RowCount(kept.last()), 12);
    for (int i = 1; i < kept.size(); ++i)
        EXPECT_EQ(RowCount(kept[i]), RowCount(kept[i - 1]) + 1);

    QString error;
    EXPECT_FALSE(
        backup::CopyDatabase(db.handle(), app.file(QStringLiteral("no/such/x.sqlite")), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(app.file(QStringLiteral("no/such/x.sqlite"))));
}

TEST_F(BackupTest, EveryStoreFirstCopiesTheSettlementAsItWas) {
    const QString copies = backup::SettlementCopiesFolder(folder);
    EXPECT_EQ(copies, app.file(QStringLiteral("Temp/Копії/Проект/с. Нове")));
    ASSERT_TRUE(StoreInTransaction(&db, [this] { return Insert(db, 1); }));
    ASSERT_TRUE(StoreInTransaction(&db, [this] { return Insert(db, 2) && Insert(db, 3); }));
    // A failed store is rolled back; the copy before it is there all the same.
    EXPECT_FALSE(StoreInTransaction(&db, [this] { return Insert(db, 4) && false; }));
    const QStringList kept = backup::RollingCopies(copies);
    ASSERT_EQ(kept.size(), 3);
    EXPECT_EQ(RowCount(kept[0]), 0);
    EXPECT_EQ(RowCount(kept[1]), 1);
    EXPECT_EQ(RowCount(kept[2]), 3);
    EXPECT_EQ(RowCount(db.path()), 3);
}
