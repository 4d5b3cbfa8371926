// "tamberon check" and "tamberon recalc" on a settlement of 999 districts, 41 questionnaire
// factors, 30 local factors and 5,000 quarter rows, and the step list's stale marks after
// selecting it. Prints the figures (milliseconds, best of five, wall clock and CPU).
#include "bench/QuietQt.h"
#include "common/FileUtils.h"
#include "common/TextUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "db/Transaction.h"
#include "valuation/Check.h"
#include "valuation/DataStamp.h"
#include "valuation/StepMarks.h"
#include "valuation/StepNames.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QStyle>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

constexpr int kDistricts = 999;
constexpr int kFactors = 41;
constexpr int kLocal = 30;
constexpr int kQuarters = 5000;

void Exec(Connection& db, const QString& sql) {
    Query q(&db);
    if (!RunQuery(q, sql, false))
        qFatal("%s", qPrintable(LastError()));
}

/** A settlement with every step stored, then made stale by a new Км1. */
void Fill(Connection& db) {
    Transaction t(db);
    const auto indicator = [&db](const QString& name, const QString& value) {
        Exec(db, QStringLiteral("DELETE FROM характеристика WHERE показник='%1'").arg(name));
        Exec(db, QStringLiteral("INSERT INTO характеристика (показник,значення) VALUES "
                                "('%1','%2')")
                     .arg(name, value));
    };
    indicator(QStringLiteral("Кількість районів"), QString::number(kDistricts));
    indicator(QStringLiteral("Оціночна територія"), QStringLiteral("5000"));
    indicator(QStringLiteral("Км1"), QStringLiteral("1.200"));
    indicator(QStringLiteral("Чисельність населення (тис. чол.)"), QStringLiteral("120"));
    indicator(QStringLiteral("Кількість зон"), QStringLiteral("10"));
    Exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS функціональне (id INTEGER PRIMARY KEY, "
                            "район TEXT, ф_1 TEXT, ф_2 TEXT, ф_13 TEXT)"));
    QStringList zoneDistricts[10];
    for (int d = 1; d <= kDistricts; ++d) {
        const QString n = QString::number(d);
        Exec(db, QStringLiteral("INSERT INTO характеристика (код,показник,значення) VALUES "
                                "('%1','Площі районів','%2')")
                     .arg(n, FormatFixed(5 + d % 7, 4)));
        const int zone = 1 + d % 10;
        zoneDistricts[zone - 1] << n;
        Exec(db, QStringLiteral("INSERT INTO км2 (район,площа,зона) VALUES ('%1','%2','%3')")
                     .arg(n, FormatFixed(5 + d % 7, 4))
                     .arg(zone));
        for (int f = 1; f <= kFactors; ++f)
            Exec(db, QStringLiteral("INSERT INTO анкета (район,фактор,оцінка) VALUES "
                                    "('%1','Фактор %2','%3')")
                         .arg(n)
                         .arg(f)
                         .arg(1 + (d * f) % 5));
        for (int k = 1; k <= kLocal; ++k)
            Exec(db, QStringLiteral("INSERT INTO локальні (район,фактор,коефіціент) VALUES "
                                    "('%1','%2','%3')")
                         .arg(n)
                         .arg(k)
                         .arg(FormatFixed(0.9 + ((d + k) % 20) / 100.0, 2)));
        Exec(db, QStringLiteral("INSERT INTO функціональне (район,ф_1,ф_2) VALUES "
                                "('%1','1.5','3.0')")
                     .arg(n));
    }
    for (int z = 1; z <= 10; ++z)
        Exec(db, QStringLiteral("INSERT INTO зони (зона,райони,опис) VALUES ('%1','%2','')")
                     .arg(z)
                     .arg(zoneDistricts[z - 1].join(QStringLiteral(", "))));
    for (int i = 1; i <= 60; ++i)
        Exec(db, QStringLiteral("INSERT INTO витрати (категорія,назва,первісна,відновлена,"
                                "кількість,всього) VALUES ('Водопостачання','Мережа %1','%2','',"
                                "'%3','')")
                     .arg(i)
                     .arg(FormatFixed(10 + i, 4))
                     .arg(i % 9));
    for (int r = 1; r <= kQuarters; ++r) {
        const int d = 1 + r % kDistricts;
        QStringList values{QString::number(r),
                           QString::number(1 + d % 10),
                           QString::number(d),
                           QStringLiteral("%1-%2").arg(r).arg(r + 2),
                           QStringLiteral("землі житлової забудови"),
                           QStringLiteral("1.00")};
        for (int k = 1; k <= kLocal; ++k)
            values << QStringLiteral("1.00");
        for (QString& v : values)
            v = u'\'' + v + u'\'';
        Exec(db,
             QStringLiteral("INSERT INTO відомість_кварталів VALUES (") + values.join(u',') + u')');
    }
    if (!t.commit())
        qFatal("commit");
}

/** The best of some runs: wall-clock and CPU milliseconds (the machine may be shared). */
struct Figure {
    double wall = 1e9;
    double cpu = 1e9;
};

double CpuMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

Figure BestOf(int runs, const std::function<void()>& before, const std::function<void()>& work) {
    Figure best;
    for (int i = 0; i < runs; ++i) {
        before();
        QElapsedTimer timer;
        timer.start();
        const double cpu = CpuMilliseconds();
        work();
        best.cpu = std::min(best.cpu, CpuMilliseconds() - cpu);
        best.wall = std::min(best.wall, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    bench::QuietQt();
    QApplication app(argc, argv);
    const QByteArray env = qgetenv("TAMBERON_APPDIR");
    const QString appDir =
        env.isEmpty() ? QStringLiteral(VALUATION_BENCH_APPDIR) : QString::fromLocal8Bit(env);
    QTemporaryDir dir;
    const QString stale = dir.filePath(QStringLiteral("stale.sqlite"));
    const QString work = dir.filePath(QStringLiteral("data.sqlite"));
    if (!QFile::copy(JoinPath(appDir, QStringLiteral("Шаблон/наспункт/data.sqlite")), stale))
        qFatal("no settlement template under %s", qPrintable(appDir));
    {
        Connection db;
        db.open(stale);
        Exec(
            db, QStringLiteral("CREATE TABLE IF NOT EXISTS відомість_кварталів (id int, зона "
                               "nvarchar (50), район nvarchar (50), квартали nvarchar (50), "
                               "назва nvarchar (50), функ nvarchar (50)") +
                    [] {
                        QString c;
                        for (int k = 1; k <= 30; ++k)
                            c += QStringLiteral(", лок_%1 nvarchar (10)").arg(k);
                        return c;
                    }() +
                    u')');
        Fill(db);
        // Everything computed once, then the valuer changes Км1 and one district's factor.
        valuation::CheckResult first;
        valuation::CheckSettlement(db, first);
        valuation::WriteRecalculated(db, first);
        Exec(db, QStringLiteral("UPDATE характеристика SET значення='1.300' WHERE показник='Км1'"));
        Exec(db, QStringLiteral("UPDATE локальні SET коефіціент='1.33' WHERE район='7'"));
    }
    Connection db;
    // Every run starts from the stale settlement.
    const auto fresh = [&] {
        db.close();
        QFile::remove(work);
        QFile::copy(stale, work);
        db.open(work);
    };

    valuation::CheckResult result;
    const Figure check = BestOf(5, fresh, [&] { valuation::CheckSettlement(db, result); });
    const size_t staleCount = result.stale.size();
    const Figure recalc = BestOf(5, fresh, [&] {
        valuation::CheckResult r;
        valuation::CheckSettlement(db, r);
        valuation::WriteRecalculated(db, r);
    });
    valuation::CheckResult after;
    valuation::CheckSettlement(db, after);

    // The step list after selecting the settlement: its marks (remembered since the last
    // check of the unchanged database, or found by a check) set on the 11 entries.
    QListWidget list;
    for (const valuation::Step s : valuation::Steps())
        list.addItem(valuation::StepCaption(s));
    const QString marksFolder = dir.filePath(QStringLiteral("marks"));
    const auto mark = [&] {
        valuation::StepMarks marks;
        valuation::StepMarksOf(db, marksFolder, marks);
        for (int i = 0; i < list.count(); ++i) {
            const valuation::Step step = valuation::Steps()[static_cast<size_t>(i)];
            list.item(i)->setIcon(QApplication::style()->standardIcon(
                marks.isStale(step) ? QStyle::SP_MessageBoxWarning : QStyle::SP_ArrowForward));
            list.item(i)->setToolTip(marks.reasonsOf(step).mid(0, 25).join(u'\n'));
        }
    };
    const Figure cold = BestOf(5, fresh, mark);
    const Figure warm = BestOf(
        5, [] {}, mark);
    // The data's stamp, made for each document and whenever the materials list is marked.
    QString stampText;
    const Figure stamp = BestOf(
        5, [] {}, [&] { valuation::DataStamp(db, stampText); });

    std::printf("settlement: %d districts, %d questionnaire factors, %d local factors, %d "
                "quarter rows; %zu stale values\n",
                kDistricts, kFactors, kLocal, kQuarters, staleCount);
    std::printf("(milliseconds, best of five: wall clock / CPU)\n");
    std::printf("check:            %8.1f / %6.1f\n", check.wall, check.cpu);
    std::printf("recalc:           %8.1f / %6.1f (check after it: %zu stale)\n", recalc.wall,
                recalc.cpu, after.stale.size());
    std::printf("step list marks:  %8.1f / %6.1f (database unchanged since its last check)\n",
                warm.wall, warm.cpu);
    std::printf("                  %8.1f / %6.1f (changed outside the program: checked anew)\n",
                cold.wall, cold.cpu);
    std::printf("data stamp:       %8.1f / %6.1f\n", stamp.wall, stamp.cpu);
    return 0;
}
