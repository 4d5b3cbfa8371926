// "recalc", "report" and "plots" killed, or failed as on a full disk, at every step of their
// writes that decides what is on the disk: the database stays whole (its old results or its
// new ones), a document or a register is the last one or a whole new one, never half a file,
// nothing half-written is registered, and the command's exit and message say what happened.
// The steps are reached through the program's own seam (writesteps), not by timing.
#include "commands/ChainCommand.h"
#include "commands/PlotsCommand.h"
#include "commands/ReportCommand.h"
#include "common/FileUtils.h"
#include "common/WriteSteps.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "map/GeoPackage.h"
#include "map/TabFile.h"
#include "office/CustomProperties.h"
#include "office/Workbook.h"
#include "tests/gis/SourceFiles.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"
#include "valuation/DataStamp.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThreadPool>
#include <gtest/gtest.h>
#include <ogr_api.h>
#include <ogr_geometry.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>

namespace {

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

enum class Fault { Kill, Fail };

const char* Named(Fault fault) {
    return fault == Fault::Kill ? "kill" : "fail";
}

/** At the `nth` arrival at `step` the process is killed there, or the step fails. */
void FaultAt(const std::string& step, int nth, Fault fault) {
    auto count = std::make_shared<std::atomic<int>>(0);
    writesteps::SetHook([=](const char* reached) {
        if (step != reached || ++*count != nth)
            return true;
        if (fault == Fault::Kill)
            KillSelf();
        return false;
    });
}

/** The hidden files of a folder: what a writing leaves while it runs. */
QStringList Hidden(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral(".~*")},
                                  QDir::Files | QDir::Hidden | QDir::System);
}

QByteArray Hash(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
}

/** A document or workbook reads back whole: its package opens and says its data state. */
bool WholeDocument(const QString& path) {
    QString stamp, reason;
    return office::ReadCustomProperty(path, valuation::DataStampProperty(), stamp, &reason) &&
           !stamp.isEmpty();
}

class WriteFaults : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFileInfo(demo()).isDir())
            GTEST_SKIP() << "the program is not built";
    }
    void TearDown() override { writesteps::SetHook({}); }

    static QString demo() {
        return JoinPath(BuiltAppDir(),
                        QStringLiteral("Проекти/Демонстраційний проект/с. Демонстраційне"));
    }
    /** A fresh copy of the demonstration settlement. */
    QString settlement(const QString& name) {
        const QString folder = m_dir.filePath(name);
        CopyTree(demo(), folder);
        return folder;
    }
    static QString database(const QString& folder) {
        return JoinPath(folder, QStringLiteral("data.sqlite"));
    }
    static QString query(const QString& folder, const QString& sql) {
        Connection db;
        if (!db.open(database(folder)))
            return QStringLiteral("<not opened>");
        Query q(&db);
        return RunQuery(q, sql, true) && !q.eof() ? q.text(0) : QStringLiteral("<none>");
    }
    static void exec(const QString& folder, const QString& sql) {
        Connection db;
        ASSERT_TRUE(db.open(database(folder)));
        Query q(&db);
        ASSERT_TRUE(RunQuery(q, sql, false)) << LastError().toStdString();
    }
    /** Every stored value the chain writes, to compare before and after. */
    static QString stored(const QString& folder) {
        QString all;
        for (const char* sql : {"SELECT group_concat(значення, '|') FROM характеристика",
                                "SELECT group_concat(вартість || км2, '|') FROM км2",
                                "SELECT group_concat(загальна, '|') FROM ділянки"})
            all += query(folder, QString::fromUtf8(sql)) + u'\n';
        return all;
    }

    Outcome recalc(const QString& folder) {
        Outcome r;
        QTextStream out(&r.out), err(&r.err);
        r.status = RunRecalcCommand({folder}, m_app.path(), out, err);
        return r;
    }
    int check(const QString& folder) {
        QString text;
        QTextStream out(&text), err(&text);
        return RunCheckCommand({folder}, out, err);
    }
    Outcome report(const QString& folder) {
        Outcome r;
        QTextStream out(&r.out), err(&r.err);
        r.status = RunReportCommand({folder}, m_app.path(), out, err);
        return r;
    }
    Outcome plots(const QStringList& args) {
        Outcome r;
        QTextStream out(&r.out), err(&r.err);
        r.status = RunPlotsCommand(args, m_app.path(), out, err);
        return r;
    }
    /**
     * Runs `body` in a child killed at the step; false when it was not killed there. The
     * thread pool that draws the maps is emptied first: a child inherits no thread of it, so
     * a pool that believed in its parent's threads would wait for them for ever.
     */
    static bool KilledAt(const std::string& step, int nth, const std::function<int()>& body) {
        QThreadPool::globalInstance()->waitForDone();
        const ChildOutcome child = RunInChild([&] {
            FaultAt(step, nth, Fault::Kill);
            return body();
        });
        return !child.exited;
    }

    QTemporaryDir m_dir;
    TempAppDir m_app{true};
};

} // namespace

// recalc: the automatic copy written and renamed, the transaction begun and committed, each
// killed or failed; then sweeping kills through the database's own writes of the commit.
TEST_F(WriteFaults, RecalcKilledOrFailedAnywhereLeavesTheDatabaseWholeAndSaysSo) {
    const QString copies = m_app.file(QStringLiteral("Temp/Копії"));
    int experiments = 0;
    for (const char* step : {"copy.write", "copy.rename", "recalc.write", "recalc.commit"}) {
        for (Fault fault : {Fault::Kill, Fault::Fail}) {
            SCOPED_TRACE(std::string(step) + ' ' + Named(fault));
            const QString folder = settlement(
                QStringLiteral("р-%1-%2").arg(QString::fromLatin1(step)).arg(++experiments));
            exec(folder, QStringLiteral("UPDATE характеристика SET значення='1.300' WHERE "
                                        "показник='Км1'"));
            const QString before = stored(folder);
            const bool copyStep = QByteArray(step).startsWith("copy");
            if (fault == Fault::Kill) {
                ASSERT_TRUE(KilledAt(step, 1, [&] { return recalc(folder).status; }));
                EXPECT_EQ(stored(folder), before) << "killed before its commit";
                EXPECT_EQ(check(folder), 1);
            } else {
                FaultAt(step, 1, Fault::Fail);
                const Outcome r = recalc(folder);
                writesteps::SetHook({});
                if (copyStep) {
                    // Without its copy the recalculation goes on, and says so.
                    EXPECT_EQ(r.status, 0) << r.err.toStdString();
                    EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
                    EXPECT_TRUE(r.err.contains(QStringLiteral("копі"))) << r.err.toStdString();
                    EXPECT_FALSE(r.out.isEmpty());
                    EXPECT_EQ(check(folder), 0);
                } else {
                    EXPECT_EQ(r.status, 1);
                    EXPECT_TRUE(r.out.isEmpty()) << "nothing claimed changed";
                    EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
                    EXPECT_TRUE(r.err.startsWith(QStringLiteral("Оновлення даних у базі даних.")))
                        << r.err.toStdString();
                    EXPECT_EQ(stored(folder), before);
                    EXPECT_EQ(check(folder), 1);
                }
            }
            EXPECT_EQ(query(folder, QStringLiteral("PRAGMA quick_check")), QStringLiteral("ok"));
            // The next recalculation mends it; nothing is left over anywhere.
            const Outcome next = recalc(folder);
            EXPECT_EQ(next.status, 0) << next.err.toStdString();
            EXPECT_EQ(check(folder), 0);
            EXPECT_TRUE(Hidden(folder).isEmpty()) << Hidden(folder).join(u' ').toStdString();
            EXPECT_TRUE(Hidden(copies).isEmpty()) << Hidden(copies).join(u' ').toStdString();
        }
    }
    // Killed inside the database's commit: when a write of the child passes the size limit,
    // at offsets from the journal's first page to the database's last. No copy is made, so
    // the kills fall in the commit.
    const QString first = settlement(QStringLiteral("обсяг"));
    const qint64 size = QFileInfo(database(first)).size();
    int oldResults = 0, newResults = 0;
    for (qint64 limit :
         {qint64(512), qint64(4096), qint64(16384), size / 4, size / 2, size - 8192, size - 1024}) {
        SCOPED_TRACE(limit);
        const QString folder = settlement(QStringLiteral("обсяг-%1").arg(limit));
        exec(folder, QStringLiteral("UPDATE характеристика SET значення='1.300' WHERE "
                                    "показник='Км1'"));
        const QString before = stored(folder);
        const ChildOutcome child = RunInChild(
            [&] {
                FaultAt("copy.write", 1, Fault::Fail);
                return recalc(folder).status;
            },
            limit, OverLimit::Kill);
        ++experiments;
        EXPECT_EQ(query(folder, QStringLiteral("PRAGMA quick_check")), QStringLiteral("ok"));
        const int status = check(folder);
        EXPECT_TRUE(status == 0 || status == 1);
        if (status == 1) {
            EXPECT_EQ(stored(folder), before) << "the old results, all of them";
            ++oldResults;
        } else {
            EXPECT_TRUE(child.exited) << "the new results only once committed";
            ++newResults;
        }
        EXPECT_EQ(recalc(folder).status, 0);
        EXPECT_EQ(check(folder), 0);
    }
    EXPECT_GT(oldResults, 0) << "some kills fell inside the commit";
    RecordProperty("killed_in_commit_old_results", oldResults);
    RecordProperty("killed_in_commit_new_results", newResults);
    EXPECT_EQ(experiments, 15);
}

// report: each document's writing and renaming and its entry among the materials, killed on
// a folder without documents (nothing half-written registered, the next run makes all three)
// and failed on one with last run's documents (each is last run's or a whole new one).
TEST_F(WriteFaults, AReportKilledOrFailedAnywhereLeavesWholeDocumentsOnly) {
    const QStringList names{QStringLiteral("Технічний звіт.docx"),
                            QStringLiteral("Розрахунок грошової оцінки.xlsx"),
                            QStringLiteral("Розрахунок грошової оцінки з кварталами.xlsx")};
    const auto registered = [&](const QString& folder, const QString& name) {
        return query(folder, QStringLiteral("SELECT count(*) FROM data WHERE named='") + name +
                                 QStringLiteral("' AND code>=3 AND code<=6"))
            .toInt();
    };
    int experiments = 0;
    for (const char* step : {"document.write", "document.rename", "material.register"}) {
        for (int nth = 1; nth <= 3; ++nth) {
            SCOPED_TRACE(std::string(step) + ' ' + std::to_string(nth));
            // Killed on a folder without documents.
            const QString folder =
                settlement(QStringLiteral("з-%1-%2").arg(QString::fromLatin1(step)).arg(nth));
            for (const QString& name : names)
                ASSERT_FALSE(QFileInfo::exists(JoinPath(folder, name)));
            ASSERT_TRUE(KilledAt(step, nth, [&] { return report(folder).status; }));
            ++experiments;
            for (const QString& name : names) {
                const QString path = JoinPath(folder, name);
                if (QFileInfo::exists(path))
                    EXPECT_TRUE(WholeDocument(path)) << name.toStdString();
                else
                    EXPECT_EQ(registered(folder, name), 0) << name.toStdString();
            }
            Outcome r = report(folder);
            EXPECT_EQ(r.status, 0) << r.err.toStdString();
            for (const QString& name : names) {
                EXPECT_TRUE(WholeDocument(JoinPath(folder, name))) << name.toStdString();
                EXPECT_EQ(registered(folder, name), 1) << name.toStdString();
            }
            EXPECT_TRUE(Hidden(folder).isEmpty()) << Hidden(folder).join(u' ').toStdString();

            // Failed on a folder with last run's documents.
            QHash<QString, QByteArray> last;
            for (const QString& name : names)
                last.insert(name, Hash(JoinPath(folder, name)));
            FaultAt(step, nth, Fault::Fail);
            r = report(folder);
            writesteps::SetHook({});
            ++experiments;
            EXPECT_EQ(r.status, 1);
            EXPECT_TRUE(r.err.contains(names[nth - 1])) << r.err.toStdString();
            for (int i = 0; i < names.size(); ++i) {
                const QString path = JoinPath(folder, names[i]);
                EXPECT_TRUE(WholeDocument(path)) << names[i].toStdString();
                EXPECT_EQ(registered(folder, names[i]), 1);
                // The documents before the failing one are made anew, the failing one and
                // those after it are last run's, unless only their entry failed.
                const bool anew =
                    i < nth - 1 || (i == nth - 1 && QByteArray(step) == "material.register");
                if (!anew) {
                    EXPECT_EQ(Hash(path), last.value(names[i])) << names[i].toStdString();
                }
                if (i >= nth) {
                    EXPECT_FALSE(r.out.contains(names[i])) << "not claimed saved";
                }
            }
            EXPECT_TRUE(Hidden(folder).isEmpty()) << Hidden(folder).join(u' ').toStdString();
        }
    }
    EXPECT_EQ(experiments, 18);
}

// plots: the register workbook, the GeoPackage and the extracts (each a .docx and a PDF)
// written under hidden names and renamed; killed or failed at each, the last files stay or
// are replaced whole, a failure is told with a status that is not 0, and the next run leaves
// no hidden file behind.
TEST_F(WriteFaults, PlotsKilledOrFailedAnywhereLeaveNoHalfFile) {
    const QString folder = settlement(QStringLiteral("с. Демонстраційне"));
    // A 20 m square inside each of the first three districts.
    TableContent districts;
    ASSERT_TRUE(TabFile::read(JoinPath(folder, QStringLiteral("райони.tab")), districts, nullptr));
    std::vector<TestObject> objects;
    for (size_t i = 0; i < districts.features.size() && i < 3; ++i) {
        const QPointF inside = PointInside(districts.features[i]);
        const double x = inside.x(), y = inside.y();
        objects.push_back({SquareWkt(x - 10, y - 10, 20),
                           {QStringLiteral("1234567890:01:001:%1").arg(i + 1, 4, 10, QChar(u'0')),
                            QStringLiteral("02.01")}});
    }
    const QString source = m_dir.filePath(QStringLiteral("plots.gpkg"));
    WriteSourceFile(source, QStringLiteral("GPKG"), QStringLiteral("plots"), QString(),
                    {{QStringLiteral("CADNUM"), QStringLiteral("text")},
                     {QStringLiteral("KVCPZ"), QStringLiteral("text")}},
                    objects);
    const QString out = m_dir.filePath(QStringLiteral("вихід"));
    ASSERT_TRUE(QDir().mkpath(out));
    const QString book = JoinPath(out, QStringLiteral("реєстр.xlsx"));
    const QString package = JoinPath(out, QStringLiteral("реєстр.gpkg"));
    const QString extracts = JoinPath(out, QStringLiteral("витяги"));
    const QStringList args{folder,
                           source,
                           QStringLiteral("--use"),
                           QStringLiteral("Ж"),
                           QStringLiteral("--register"),
                           book,
                           QStringLiteral("--gpkg"),
                           package,
                           QStringLiteral("--extracts"),
                           extracts};
    Outcome r = plots(args);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList files = QDir(extracts).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 6) << files.join(u' ').toStdString();
    const auto whole = [&] {
        EXPECT_NO_THROW((void)Workbook::open(book)) << "the register";
        EXPECT_TRUE(GeoPackage::isOwn(package));
        EXPECT_EQ(QDir(extracts).entryList(QDir::Files), files);
        for (const QString& name : files) {
            QFile f(JoinPath(extracts, name));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            if (name.endsWith(QStringLiteral(".pdf")))
                EXPECT_TRUE(bytes.right(64).contains("%%EOF")) << name.toStdString();
            else
                EXPECT_TRUE(bytes.startsWith("PK")) << name.toStdString();
        }
    };
    struct Point {
        const char* step;
        int nth;
    };
    // The register's writing and renaming; the GeoPackage's renaming; an extract's .docx
    // writing and renaming and the renaming of its pair.
    int experiments = 0;
    for (const Point& p :
         {Point{"document.write", 1}, Point{"document.rename", 1}, Point{"package.rename", 1},
          Point{"document.write", 2}, Point{"document.rename", 3}, Point{"extract.rename", 2}}) {
        for (Fault fault : {Fault::Kill, Fault::Fail}) {
            SCOPED_TRACE(std::string(p.step) + ' ' + std::to_string(p.nth) + ' ' + Named(fault));
            ++experiments;
            if (fault == Fault::Kill) {
                ASSERT_TRUE(KilledAt(p.step, p.nth, [&] { return plots(args).status; }));
                whole();
            } else {
                FaultAt(p.step, p.nth, Fault::Fail);
                r = plots(args);
                writesteps::SetHook({});
                EXPECT_NE(r.status, 0);
                EXPECT_FALSE(r.err.trimmed().isEmpty());
                EXPECT_FALSE(r.err.contains(QStringLiteral("%1")));
                whole();
                for (const QString& folderOut : {out, extracts})
                    EXPECT_TRUE(Hidden(folderOut).isEmpty())
                        << Hidden(folderOut).join(u' ').toStdString();
            }
            r = plots(args);
            EXPECT_EQ(r.status, 0) << r.err.toStdString();
            whole();
            for (const QString& folderOut : {out, extracts})
                EXPECT_TRUE(Hidden(folderOut).isEmpty())
                    << Hidden(folderOut).join(u' ').toStdString();
        }
    }
    // Killed, or failed as on a full disk, when a file of the extracts passes a size: in the
    // middle of a .docx or of a PDF, which its writer does not report.
    const QStringList extractsOnly = args.mid(0, 4) + args.mid(8);
    qint64 largest = 0;
    for (const QString& name : files)
        largest = std::max(largest, QFileInfo(JoinPath(extracts, name)).size());
    for (qint64 limit : {largest / 4, largest / 2, largest * 3 / 4}) {
        for (Fault fault : {Fault::Kill, Fault::Fail}) {
            SCOPED_TRACE(std::to_string(limit) + ' ' + Named(fault));
            ++experiments;
            QThreadPool::globalInstance()->waitForDone();
            const ChildOutcome child =
                RunInChild([&] { return plots(extractsOnly).status; }, limit,
                           fault == Fault::Kill ? OverLimit::Kill : OverLimit::Fail);
            if (fault == Fault::Kill) {
                EXPECT_FALSE(child.exited);
            } else {
                EXPECT_TRUE(child.exited);
                EXPECT_EQ(child.status, 1) << "the extracts not written are told";
            }
            whole();
            EXPECT_EQ(plots(args).status, 0);
            whole();
            EXPECT_TRUE(Hidden(extracts).isEmpty()) << Hidden(extracts).join(u' ').toStdString();
        }
    }
    EXPECT_EQ(experiments, 18);
}
