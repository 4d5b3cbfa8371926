// Fault injection on the replace of a whole table: a child process rewrites the table and is
// killed after each step of the replace in turn (or runs out of disk); afterwards our reader
// and OGR's ogrinfo must find one whole table, the old or the new, and no leftover file.
#include "MapTestUtil.h"

#include "map/TabJournal.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <csignal>

namespace {

const QStringList kFields{"Raion", "Zona"};

// A table of `count` squares whose "Zona" is `value`.
std::vector<std::pair<Feature, QStringList>> Squares(int count, const QString& value) {
    std::vector<std::pair<Feature, QStringList>> out;
    for (int i = 0; i < count; ++i)
        out.push_back({Square(i * 10.0, 0, 10), {QString::number(i + 1), value}});
    return out;
}

QStringList FileNames(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// What a table holds as our reader sees it: "<count> <Zona of every object>", or the error.
QString Contents(const QString& path) {
    TableContent content;
    QString error;
    if (!TabFile::read(path, content, &error))
        return QStringLiteral("error: ") + error;
    QStringList zones;
    for (const Feature& f : content.features)
        zones << f.values().value(1);
    return QString::number(content.features.size()) + u' ' + zones.join(u',');
}

// The feature count ogrinfo reports for the table; -1 when it cannot open it.
int OgrinfoCount(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("ogrinfo"),
            {QStringLiteral("-ro"), QStringLiteral("-al"), QStringLiteral("-so"), path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return -1;
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const qsizetype at = out.indexOf(QStringLiteral("Feature Count: "));
    return at < 0 ? -1 : out.mid(at + 15).section(u'\n', 0, 0).trimmed().toInt();
}

bool HaveOgrinfo() {
    return !QStandardPaths::findExecutable(QStringLiteral("ogrinfo")).isEmpty();
}

const QString kOld = QStringLiteral("3 old,old,old");
const QString kNew = QStringLiteral("5 new,new,new,new,new");

// The child: replaces the 3 old objects by 5 new ones, killed after step `killAt`.
int ReplaceInChild(const QString& path, int killAt) {
    TabJournal::SetStepHook([killAt](int step) {
        if (step == killAt)
            KillSelf();
    });
    FeatureList features = WithValues(kFields, Squares(5, "new"));
    QString error;
    return TabFile::replaceAll(path, CharFields(kFields), features, &error) ? 0 : 1;
}

} // namespace

// The rewrite of "зони.tab" killed after each of its steps (the journal on the disk, each of
// the 8 renames, the removal of the old files, the removal of the journal): opening the table
// afterwards gives the old or the new table whole, ogrinfo agrees, and nothing is left over.
// The kills before every old file is set aside come back old, the later ones new.
TEST(TabJournal, KilledAtEveryStepOfAReplaceLeavesOneWholeTable) {
    const bool ogrinfo = HaveOgrinfo();
    int kills = 0, cameBackOld = 0, cameBackNew = 0;
    for (int killAt = 1;; ++killAt) {
        ASSERT_LT(killAt, 30) << "the replace never ended";
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("зони.tab"));
        WriteTable(path, kFields, Squares(3, "old"));
        const QStringList files = FileNames(dir.path());
        ASSERT_EQ(files.size(), 4);

        const ChildOutcome outcome = RunInChild([&] { return ReplaceInChild(path, killAt); });
        if (outcome.exited) {
            // Past the last step: the replace ended by itself.
            EXPECT_EQ(outcome.status, 0);
            EXPECT_EQ(Contents(path), kNew);
            EXPECT_EQ(FileNames(dir.path()), files);
            break;
        }
        ASSERT_EQ(outcome.signal, SIGKILL) << "step " << killAt;
        ++kills;

        const QString contents = Contents(path);
        EXPECT_TRUE(contents == kOld || contents == kNew)
            << "step " << killAt << ": " << contents.toStdString();
        (contents == kOld ? cameBackOld : cameBackNew)++;
        EXPECT_EQ(FileNames(dir.path()), files) << "step " << killAt;
        if (ogrinfo) {
            EXPECT_EQ(OgrinfoCount(path), contents == kOld ? 3 : 5) << "step " << killAt;
        }
        // The table recovered takes the next replace as usual.
        EXPECT_EQ(ReplaceInChild(path, -1), 0);
        EXPECT_EQ(Contents(path), kNew);
        TabJournal::SetStepHook(nullptr);
    }
    EXPECT_EQ(kills, 11);
    EXPECT_EQ(cameBackOld, 4); // the journal, then 1..3 of the 4 old files set aside
    EXPECT_EQ(cameBackNew, 7);
}

// Opening the settlement's folder finishes every interrupted replace in it (not only those of
// the tables shown) and removes the temporary files of a writing killed before its journal.
TEST(TabJournal, OpeningTheFolderRecoversEveryTableAndRemovesLeftovers) {
    QTemporaryDir dir;
    const QString zones = dir.filePath(QStringLiteral("зони.tab"));
    const QString local = dir.filePath(QStringLiteral("лок01.tab"));
    WriteTable(zones, kFields, Squares(3, "old"));
    WriteTable(local, kFields, Squares(3, "old"));
    const QStringList files = FileNames(dir.path());
    // Killed after its 3rd rename (old files partly set aside), and after its 7th (new ones
    // partly in place).
    ASSERT_EQ(RunInChild([&] { return ReplaceInChild(zones, 4); }).signal, SIGKILL);
    ASSERT_EQ(RunInChild([&] { return ReplaceInChild(local, 8); }).signal, SIGKILL);
    // A writing killed before its replace: a temporary table with no journal.
    WriteTable(dir.filePath(QStringLiteral(".~райони.new-0123abcd.tab")), kFields, Squares(2, "x"));
    // A journal cut short as it was written: nothing was moved, its new files go.
    WriteTable(dir.filePath(QStringLiteral(".~межі.new-89abcdef.tab")), kFields, Squares(2, "x"));
    WriteTextFile(TabJournal::JournalPath(dir.filePath(QStringLiteral("межі.tab"))),
                  QStringLiteral("tamberon table replace 1\ntable\t%D0%BC"));
    ASSERT_GT(FileNames(dir.path()).size(), files.size());

    QString error;
    ASSERT_TRUE(TabFile::recoverFolder(dir.path(), &error)) << error.toStdString();
    EXPECT_EQ(FileNames(dir.path()), files);
    EXPECT_EQ(Contents(zones), kOld);
    EXPECT_EQ(Contents(local), kNew);
    if (HaveOgrinfo()) {
        EXPECT_EQ(OgrinfoCount(zones), 3);
        EXPECT_EQ(OgrinfoCount(local), 5);
    }
}

// A disk that fills while the new table is written (a file-size limit in the child): the
// replace fails with a reason, the old table stays byte for byte, nothing is left over.
TEST(TabJournal, DiskFullWhileWritingKeepsTheOldTable) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("райони.tab"));
    WriteTable(path, kFields, Squares(3, "old"));
    const QStringList files = FileNames(dir.path());
    QFile map(dir.filePath(QStringLiteral("райони.map")));
    const ChildOutcome outcome = RunInChild(
        [&] {
            FeatureList features = WithValues(kFields, Squares(3000, "new"));
            QString error;
            return TabFile::replaceAll(path, CharFields(kFields), features, &error) ||
                           error.isEmpty()
                       ? 0
                       : 3;
        },
        64 * 1024);
    ASSERT_TRUE(outcome.exited);
    EXPECT_EQ(outcome.status, 3);
    EXPECT_EQ(Contents(path), kOld);
    EXPECT_EQ(FileNames(dir.path()), files);
}

// A journal that cannot be carried out (here a folder stands where a file must go) makes the
// table unreadable with a reason that says so, rather than showing a half-replaced table;
// once the way is clear the next opening finishes the replace.
TEST(TabJournal, AJournalThatCannotBeCarriedOutIsReported) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("зони.tab"));
    WriteTable(path, kFields, Squares(3, "old"));
    // Killed with the old files set aside and the new ".tab" and ".dat" in place.
    ASSERT_EQ(RunInChild([&] { return ReplaceInChild(path, 7); }).signal, SIGKILL);
    const QString blocker = dir.filePath(QStringLiteral("зони.map"));
    ASSERT_TRUE(QDir().mkpath(blocker + QStringLiteral("/x")));
    const QString contents = Contents(path);
    EXPECT_TRUE(contents.startsWith(QStringLiteral("error: Запис таблиці \"")))
        << contents.toStdString();
    EXPECT_TRUE(contents.contains(QStringLiteral("було перервано")));
    ASSERT_TRUE(QDir(blocker).removeRecursively());
    EXPECT_EQ(Contents(path), kNew);
}
