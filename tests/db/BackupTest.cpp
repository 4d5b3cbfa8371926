#include "db/Backup.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "steps/common/StepStore.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
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
    ASSERT_TRUE(StoreInTransaction(
        &db, [this](QString*) { return Insert(db, 1); }, nullptr));
    ASSERT_TRUE(StoreInTransaction(
        &db, [this](QString*) { return Insert(db, 2) && Insert(db, 3); }, nullptr));
    // A failed store is rolled back; the copy before it is there all the same.
    EXPECT_FALSE(StoreInTransaction(
        &db, [this](QString*) { return Insert(db, 4) && false; }, nullptr));
    const QStringList kept = backup::RollingCopies(copies);
    ASSERT_EQ(kept.size(), 3);
    EXPECT_EQ(RowCount(kept[0]), 0);
    EXPECT_EQ(RowCount(kept[1]), 1);
    EXPECT_EQ(RowCount(kept[2]), 3);
    EXPECT_EQ(RowCount(db.path()), 3);
}

namespace {

/** Adds rows 0..n-1 to the table and as many 4 KB blobs to "pad", so a copy is long. */
void Fill(Connection& db, int rows) {
    Query q(&db);
    ASSERT_TRUE(RunQuery(q, QStringLiteral("CREATE TABLE IF NOT EXISTS pad (b)"), false));
    ASSERT_TRUE(RunQuery(q, QStringLiteral("BEGIN"), false));
    for (int i = 0; i < rows; ++i)
        ASSERT_TRUE(
            RunQuery(q, QStringLiteral("INSERT INTO t (v) VALUES (%1)").arg(i), false) &&
            RunQuery(q, QStringLiteral("INSERT INTO pad (b) VALUES (zeroblob(4000))"), false));
    ASSERT_TRUE(RunQuery(q, QStringLiteral("COMMIT"), false));
}

QStringList HiddenFiles(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
}

bool QuickCheckOk(const QString& path) {
    Connection c;
    if (!c.open(path))
        return false;
    Query q(&c);
    return RunQuery(q, QStringLiteral("PRAGMA quick_check"), true) && q.text(0) == "ok";
}

} // namespace

// Copies killed midway (the child is killed as its copy file passes a size limit) and a copy
// cut short by an older version under a copy's name: none is ever listed as a copy, and the
// next copy removes them, so rotation keeps whole copies only, never the broken ones in place
// of the good.
TEST_F(BackupTest, KilledCopiesAreNeverKeptAndRotationKeepsTheGoodOnes) {
    Fill(db, 200); // about 800 KB
    const QString copies = app.file(QStringLiteral("copies"));
    QString error;
    for (int i = 0; i < 3; ++i)
        ASSERT_FALSE(backup::AddRollingCopy(db, copies, backup::KeepCopies, &error).isEmpty());
    const QStringList good = backup::RollingCopies(copies);
    ASSERT_EQ(good.size(), 3);
    const qint64 size = QFileInfo(good.first()).size();
    for (int kill = 0; kill < 12; ++kill) {
        const ChildOutcome outcome =
            RunInChild([&] { return backup::AddRollingCopy(db, copies).isEmpty() ? 1 : 0; },
                       size / 2, OverLimit::Kill);
        ASSERT_EQ(outcome.signal, SIGXFSZ);
        // The copy cut short is no copy: the three good ones are the newest there are.
        EXPECT_EQ(backup::RollingCopies(copies), good);
    }
    EXPECT_FALSE(HiddenFiles(copies).isEmpty());
    // A copy cut short under a copy's name, as older versions left them.
    const QString legacy = JoinPath(copies, QStringLiteral("копія 2099-01-01 00-00-00-000.sqlite"));
    ASSERT_TRUE(QFile::copy(good.first(), legacy));
    ASSERT_TRUE(QFile::resize(legacy, size / 3));
    EXPECT_EQ(backup::RollingCopies(copies), good);

    for (int i = 0; i < backup::KeepCopies; ++i)
        ASSERT_FALSE(backup::AddRollingCopy(db, copies, backup::KeepCopies, &error).isEmpty());
    const QStringList kept = backup::RollingCopies(copies);
    EXPECT_EQ(kept.size(), backup::KeepCopies);
    for (const QString& copy : kept)
        EXPECT_TRUE(QuickCheckOk(copy)) << copy.toStdString();
    EXPECT_FALSE(QFileInfo::exists(legacy));
    EXPECT_TRUE(HiddenFiles(copies).isEmpty());
    EXPECT_EQ(ListFiles(copies, QStringLiteral("*"), false).size(), backup::KeepCopies);
}

// A disk that fills during the copy: the copy fails with a reason, leaves nothing, and the
// store it precedes goes on; the reason is told once in the run, not at every store.
TEST_F(BackupTest, ADiskFullCopyLeavesNothingAndIsToldOnce) {
    Fill(db, 200);
    const QString copies = backup::SettlementCopiesFolder(folder);
    const ChildOutcome outcome = RunInChild(
        [&] {
            QString error;
            return backup::AddRollingCopy(db, copies, backup::KeepCopies, &error).isEmpty() &&
                           !error.isEmpty()
                       ? 3
                       : 0;
        },
        100 * 1024);
    ASSERT_TRUE(outcome.exited);
    EXPECT_EQ(outcome.status, 3);
    EXPECT_TRUE(ListFiles(copies, QStringLiteral("*"), false).isEmpty());

    // The copies cannot be made at all: a file stands where their folder would be.
    ASSERT_TRUE(DeleteFolder(backup::CopiesRoot()));
    WriteTextFile(backup::CopiesRoot(), QStringLiteral("не папка"));
    ASSERT_TRUE(StoreInTransaction(
        &db, [this](QString*) { return Insert(db, 1); }, nullptr));
    ASSERT_TRUE(StoreInTransaction(
        &db, [this](QString*) { return Insert(db, 2); }, nullptr));
    EXPECT_EQ(RowCount(db.path()), 202);
    const QString told = backup::TakeUntoldProblem();
    EXPECT_TRUE(told.startsWith(QStringLiteral("Автоматичні копії баз даних не вдається "
                                               "зберігати в папці")))
        << told.toStdString();
    EXPECT_TRUE(backup::TakeUntoldProblem().isEmpty());
    QFile::remove(backup::CopiesRoot());
    // Copies work again, then fail again: the new failure is news, and is told.
    ASSERT_TRUE(StoreInTransaction(
        &db, [this](QString*) { return Insert(db, 3); }, nullptr));
    EXPECT_TRUE(backup::TakeUntoldProblem().isEmpty());
    ASSERT_TRUE(DeleteFolder(backup::CopiesRoot()));
    WriteTextFile(backup::CopiesRoot(), QStringLiteral("не папка"));
    ASSERT_TRUE(StoreInTransaction(
        &db, [this](QString*) { return Insert(db, 4); }, nullptr));
    EXPECT_FALSE(backup::TakeUntoldProblem().isEmpty());
    QFile::remove(backup::CopiesRoot());
}

// Settlements outside the program's projects folder keep their copies apart even when their
// folder and its parent are named alike; a link to the same folder shares them.
TEST_F(BackupTest, SettlementsElsewhereKeepTheirCopiesApart) {
    QTemporaryDir a, b;
    const QString first = JoinPath(a.path(), QStringLiteral("Проект/с. Нове"));
    const QString second = JoinPath(b.path(), QStringLiteral("Проект/с. Нове"));
    ASSERT_TRUE(QDir().mkpath(first) && QDir().mkpath(second));
    const QString one = backup::SettlementCopiesFolder(first);
    const QString two = backup::SettlementCopiesFolder(second);
    EXPECT_NE(one, two);
    EXPECT_NE(one, backup::SettlementCopiesFolder(folder));
    EXPECT_TRUE(one.startsWith(app.file(QStringLiteral("Temp/Копії/Проект/с. Нове #"))))
        << one.toStdString();
    const QString link = JoinPath(a.path(), QStringLiteral("посилання"));
    ASSERT_TRUE(QFile::link(JoinPath(a.path(), QStringLiteral("Проект")), link));
    EXPECT_EQ(backup::SettlementCopiesFolder(JoinPath(link, QStringLiteral("с. Нове"))), one);
    // Inside the projects folder the names alone still tell them apart.
    EXPECT_EQ(backup::SettlementCopiesFolder(folder),
              app.file(QStringLiteral("Temp/Копії/Проект/с. Нове")));
}

// The list of copies says when each was made, its size and what was being stored; restoring
// one keeps the current content as a copy first and puts the chosen one in place.
TEST_F(BackupTest, CopiesAreListedWithTheirStepAndOneIsRestored) {
    const QString copies = backup::SettlementCopiesFolder(folder);
    {
        const backup::StoreLabel label(QStringLiteral("Локальні фактори покварта-лам"));
        ASSERT_TRUE(StoreInTransaction(
            &db, [this](QString*) { return Insert(db, 1); }, nullptr));
    }
    {
        const backup::StoreLabel label(QStringLiteral("Вартість с/г земель"));
        ASSERT_TRUE(StoreInTransaction(
            &db, [this](QString*) { return Insert(db, 2) && Insert(db, 3); }, nullptr));
    }
    const std::vector<backup::CopyInfo> list = backup::ListCopies(copies);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].label, QStringLiteral("Вартість с-г земель")); // newest first
    EXPECT_EQ(list[1].label, QStringLiteral("Локальні фактори покварталам"));
    EXPECT_GT(list[0].size, 0);
    EXPECT_LE(std::abs(list[0].time.secsTo(QDateTime::currentDateTime())), 60);
    EXPECT_EQ(RowCount(list[0].path), 1);

    QString kept, error;
    ASSERT_TRUE(backup::RestoreCopy(db, list[0].path, copies, &kept, &error))
        << error.toStdString();
    EXPECT_EQ(RowCount(db.path()), 1);
    EXPECT_EQ(RowCount(kept), 3);
    EXPECT_EQ(backup::ListCopies(copies).front().label, QStringLiteral("перед відновленням"));
    ASSERT_TRUE(Insert(db, 9)); // the connection works on

    // A damaged copy restores nothing.
    const QString damaged =
        JoinPath(copies, QStringLiteral("копія 2001-01-01 00-00-00-000.sqlite"));
    ASSERT_TRUE(QFile::copy(kept, damaged));
    {
        QFile f(damaged);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(4096); // the table's page
        f.write(QByteArray(4096, '\x5a'));
    }
    EXPECT_FALSE(backup::RestoreCopy(db, damaged, copies, &kept, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("пошкоджена"))) << error.toStdString();
    EXPECT_EQ(RowCount(db.path()), 2);
}

// A restore killed while it writes (the database file passes a size limit as it grows) leaves
// the database whole and as it was: the restore is one transaction of its journal.
TEST_F(BackupTest, ARestoreKilledMidwayLeavesTheDatabaseAsItWas) {
    const QString copies = backup::SettlementCopiesFolder(folder);
    Fill(db, 300);
    ASSERT_FALSE(backup::AddRollingCopy(db, copies).isEmpty());
    const QString big = backup::RollingCopies(copies).last();
    Query q(&db);
    ASSERT_TRUE(RunQuery(q, QStringLiteral("DELETE FROM t WHERE v >= 10"), false));
    ASSERT_TRUE(RunQuery(q, QStringLiteral("DELETE FROM pad"), false));
    ASSERT_TRUE(RunQuery(q, QStringLiteral("VACUUM"), false));
    const qint64 small = QFileInfo(db.path()).size();
    ASSERT_LT(small * 4, QFileInfo(big).size());
    const ChildOutcome outcome = RunInChild(
        [&] {
            QString kept, error;
            return backup::RestoreCopy(db, big, copies, &kept, &error) ? 0 : 1;
        },
        QFileInfo(big).size() / 2, OverLimit::Kill);
    ASSERT_EQ(outcome.signal, SIGXFSZ);
    db.close();
    EXPECT_TRUE(QuickCheckOk(JoinPath(folder, QStringLiteral("data.sqlite"))));
    EXPECT_EQ(RowCount(JoinPath(folder, QStringLiteral("data.sqlite"))), 10);
}

namespace {

/** Damages the pages after the first of a database file, its header left whole. */
void Damage(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(4096);
    f.write(QByteArray(4096, '\x5a'));
}

/** Dates the copy's own record of its time `days` ahead, as a copy made under a wrong clock. */
void DateAhead(const QString& path, int days) {
    Connection c;
    ASSERT_TRUE(c.open(path));
    Query q(&c);
    ASSERT_TRUE(RunQuery(
        q,
        QStringLiteral("UPDATE копія_відомості SET час='%1'")
            .arg(QDateTime::currentDateTimeUtc().addDays(days).toString(Qt::ISODateWithMs)),
        false));
}

} // namespace

// Three damaged copies dated later by their names never push good ones out: rotation goes by
// what the copies hold, and the damaged ones go.
TEST_F(BackupTest, RotationGoesByTheCopiesContentNotTheirNames) {
    const QString copies = app.file(QStringLiteral("copies"));
    QString error;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(Insert(db, i));
        ASSERT_FALSE(backup::AddRollingCopy(db, copies, 5, &error).isEmpty());
    }
    const QStringList good = backup::RollingCopies(copies);
    ASSERT_EQ(good.size(), 4);
    for (int i = 1; i <= 3; ++i) {
        const QString damaged =
            JoinPath(copies, QStringLiteral("копія 2099-01-0%1 00-00-00-000.sqlite").arg(i));
        ASSERT_TRUE(QFile::copy(good.last(), damaged));
        Damage(damaged);
    }
    EXPECT_EQ(backup::RollingCopies(copies), good);
    ASSERT_TRUE(Insert(db, 9));
    const QString newest = backup::AddRollingCopy(db, copies, 5, &error);
    ASSERT_FALSE(newest.isEmpty()) << error.toStdString();
    EXPECT_EQ(backup::RollingCopies(copies), good + QStringList{newest});
    EXPECT_EQ(ListFiles(copies, QStringLiteral("*2099*"), false), QStringList());
    EXPECT_EQ(backup::ListCopies(copies).front().path, newest);
}

// Rotated beside the caller: each new copy is there at once, the removals follow, and a
// listing sees the folder as rotation leaves it, damaged copies gone.
TEST_F(BackupTest, CopiesRotatedInTheBackgroundEndAsRotatedOnTheSpot) {
    struct Background {
        Background() { backup::SetRotationInBackground(true); }
        ~Background() {
            backup::WaitForRotations();
            backup::SetRotationInBackground(false);
        }
    } background;
    const QString copies = app.file(QStringLiteral("copies"));
    QString error;
    ASSERT_TRUE(Insert(db, 0));
    const QString first = backup::AddRollingCopy(db, copies, 3, &error);
    ASSERT_FALSE(first.isEmpty()) << error.toStdString();
    const QString damaged =
        JoinPath(copies, QStringLiteral("копія 2099-01-01 00-00-00-000.sqlite"));
    ASSERT_TRUE(QFile::copy(first, damaged));
    Damage(damaged);
    QStringList made;
    for (int i = 1; i <= 5; ++i) {
        ASSERT_TRUE(Insert(db, i));
        made << backup::AddRollingCopy(db, copies, 3, &error);
        ASSERT_FALSE(made.last().isEmpty()) << error.toStdString();
        EXPECT_TRUE(QFileInfo::exists(made.last()));
    }
    EXPECT_EQ(backup::RollingCopies(copies), made.mid(2));
    EXPECT_FALSE(QFileInfo::exists(damaged));
    EXPECT_EQ(ListFiles(copies, QStringLiteral("*"), false).size(), 3);
}

// Copies dated ahead of the clock (a clock set back since) never make new copies disappear:
// each new copy stays, and those dated ahead are the first to go.
TEST_F(BackupTest, AClockBehindTheNewestCopyNeverDeletesNewCopies) {
    const QString copies = app.file(QStringLiteral("copies"));
    QString error;
    QStringList ahead;
    for (int i = 0; i < 3; ++i) {
        ahead << backup::AddRollingCopy(db, copies, 3, &error);
        ASSERT_FALSE(ahead.last().isEmpty()) << error.toStdString();
        DateAhead(ahead.last(), 365 + i);
    }
    QStringList made;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(Insert(db, i));
        made << backup::AddRollingCopy(db, copies, 3, &error);
        ASSERT_FALSE(made.last().isEmpty()) << error.toStdString();
        const QStringList kept = backup::RollingCopies(copies);
        ASSERT_EQ(kept.size(), 3);
        for (const QString& copy : made)
            EXPECT_TRUE(kept.contains(copy)) << i << copy.toStdString();
    }
    EXPECT_EQ(backup::RollingCopies(copies), made);
    // A restored copy brings nothing of its own record into the settlement.
    QString kept;
    ASSERT_TRUE(backup::RestoreCopy(db, made.first(), copies, &kept, &error))
        << error.toStdString();
    EXPECT_FALSE(TableExists(db, QStringLiteral("копія_відомості")));
}
