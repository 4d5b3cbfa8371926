#include "db/Backup.h"

#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "db/Database.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <sqlite3.h>

namespace backup {

namespace {

const QString kSuffix = QStringLiteral(".sqlite");

/** A name that sorts by time: "копія 2025-03-01 09-15-02-125.sqlite". */
QString NewCopyPath(const QString& folder) {
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss-zzz"));
    QString path = JoinPath(folder, QStringLiteral("копія ") + stamp + kSuffix);
    // Two copies within one millisecond: the later gets a letter that sorts after it.
    for (char c = 'a'; QFileInfo::exists(path) && c <= 'z'; ++c)
        path = JoinPath(folder, QStringLiteral("копія ") + stamp + QLatin1Char(c) + kSuffix);
    return path;
}

} // namespace

bool CopyDatabase(sqlite3* source, const QString& targetPath, QString* error) {
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (!source)
        return fail(QStringLiteral("база даних не відкрита."));
    QFile::remove(targetPath);
    sqlite3* target = nullptr;
    if (sqlite3_open_v2(targetPath.toUtf8().constData(), &target,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        const QString text =
            target ? QString::fromUtf8(sqlite3_errmsg(target)) : QStringLiteral("out of memory");
        sqlite3_close(target);
        QFile::remove(targetPath);
        return fail(text);
    }
    // The copy is a scratch file until it is complete: no journal, no waiting for the disk.
    sqlite3_exec(target, "PRAGMA journal_mode=OFF", nullptr, nullptr, nullptr);
    sqlite3_exec(target, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    QString text;
    if (sqlite3_backup* copy = sqlite3_backup_init(target, "main", source, "main")) {
        int rc;
        // Every page in one step; a busy source is retried briefly.
        for (int attempt = 0;; ++attempt) {
            rc = sqlite3_backup_step(copy, -1);
            if ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && attempt < 20) {
                sqlite3_sleep(25);
                continue;
            }
            break;
        }
        sqlite3_backup_finish(copy);
        if (rc != SQLITE_DONE)
            text = QString::fromUtf8(sqlite3_errstr(rc));
    } else {
        text = QString::fromUtf8(sqlite3_errmsg(target));
    }
    sqlite3_close(target);
    if (!text.isEmpty()) {
        QFile::remove(targetPath);
        return fail(text);
    }
    return true;
}

QStringList RollingCopies(const QString& folder) {
    QStringList copies = ListFiles(folder, QStringLiteral("*") + kSuffix, true);
    std::sort(copies.begin(), copies.end()); // the names sort by the time of the copy
    return copies;
}

QString AddRollingCopy(const Connection& source, const QString& folder, int keep, QString* error) {
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("Не вдається створити папку \"%1\".")
                         .arg(QDir::toNativeSeparators(folder));
        return QString();
    }
    const QString path = NewCopyPath(folder);
    if (!CopyDatabase(source.handle(), path, error))
        return QString();
    QStringList copies = RollingCopies(folder);
    while (copies.size() > std::max(keep, 1))
        QFile::remove(copies.takeFirst());
    return path;
}

QString CopiesRoot() {
    const QString temp = GlobalVar().Settings.TempDir;
    return temp.isEmpty() ? QString() : JoinPath(temp, QStringLiteral("Копії"));
}

QString CatalogueCopiesFolder() {
    const QString root = CopiesRoot();
    return root.isEmpty() ? QString() : JoinPath(root, QStringLiteral("Каталог"));
}

QString SettlementCopiesFolder(const QString& settlementFolder) {
    const QString root = CopiesRoot();
    if (root.isEmpty())
        return QString();
    const QFileInfo info(QDir::cleanPath(QDir(settlementFolder).absolutePath()));
    const QString settlement = SafeFileName(info.fileName());
    const QString project = SafeFileName(QFileInfo(info.path()).fileName());
    return JoinPath(JoinPath(root, project), settlement);
}

void BeforeSettlementStore(const Connection& settlement) {
    if (!settlement.isOpen() || CopiesRoot().isEmpty())
        return;
    AddRollingCopy(settlement, SettlementCopiesFolder(FolderOf(settlement.path())));
}

} // namespace backup
