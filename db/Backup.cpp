#include "db/Backup.h"

#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "db/Database.h"
#include "db/SqliteHandle.h"
#include "db/SqliteMessage.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <limits>
#include <sqlite3.h>
#include <utility>

namespace backup {

namespace {

const QString kSuffix = QStringLiteral(".sqlite");
const QString kPrefix = QStringLiteral("копія ");
const QString kStampFormat = QStringLiteral("yyyy-MM-dd HH-mm-ss-zzz");

/** "копія <stamp>[letter][ (label)].sqlite": the time and the label of a copy. */
const QRegularExpression& CopyNamePattern() {
    static const QRegularExpression pattern(
        QStringLiteral("^копія (\\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d-\\d{3})[a-z]?(?: "
                       "\\((.*)\\))?\\.sqlite$"));
    return pattern;
}

/** A label as part of a file name: one line, no separators, no parentheses. */
QString LabelForName(const QString& label) {
    QString text = label.simplified();
    // Hyphens that only break a long word in a list caption go ("покварта-лам").
    static const QRegularExpression wordBreak(QStringLiteral("(\\p{Ll})-(\\p{Ll})"));
    text.replace(wordBreak, QStringLiteral("\\1\\2"));
    text.replace(u'/', u'-');
    text.replace(u'(', u'[');
    text.replace(u')', u']');
    return SafeFileName(text).left(80);
}

/** A name that sorts by time: "копія 2025-03-01 09-15-02-125 (Середня вартість).sqlite". */
QString NewCopyPath(const QString& folder, const QString& label) {
    const QString stamp = QDateTime::currentDateTime().toString(kStampFormat);
    const QString tail =
        (label.isEmpty() ? QString() : QStringLiteral(" (") + LabelForName(label) + u')') + kSuffix;
    QString path = JoinPath(folder, kPrefix + stamp + tail);
    // Two copies within one millisecond: the later gets a letter that sorts after it.
    for (char c = 'a'; QFileInfo::exists(path) && c <= 'z'; ++c)
        path = JoinPath(folder, kPrefix + stamp + QLatin1Char(c) + tail);
    return path;
}

/** The temporary name a copy is written under; hidden, and never taken for a copy. */
QString TempCopyPath(const QString& finalPath) {
    return JoinPath(FolderOf(finalPath),
                    QStringLiteral(".~") + FileNameOf(finalPath) + QStringLiteral(".part"));
}

/** Removes what copies cut short left behind: temporary files, copies that are not whole. */
void RemoveLeftovers(const QString& folder) {
    for (const QString& file : ListFiles(folder, QStringLiteral(".~копія *"), true))
        QFile::remove(file);
    for (const QString& file : ListFiles(folder, kPrefix + u'*' + kSuffix, true))
        if (!LooksWhole(file))
            QFile::remove(file);
}

/** "" when the database file reads back sound, else the reason. */
QString CheckCopy(const QString& path) {
    SqliteDb db;
    if (OpenDatabase(path.toUtf8().constData(), SQLITE_OPEN_READONLY, db) != SQLITE_OK)
        return db ? SqliteMessage(sqlite3_errmsg(db.get())) : SqliteMessage(nullptr);
    SqliteStatement stmt;
    if (PrepareStatement(db.get(), "PRAGMA quick_check", -1, stmt) != SQLITE_OK ||
        sqlite3_step(stmt.get()) != SQLITE_ROW)
        return SqliteMessage(sqlite3_errmsg(db.get()));
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
    if (!text)
        return QStringLiteral("перевірка цілісності не вдалася");
    return qstrcmp(text, "ok") == 0 ? QString() : SqliteMessage(text);
}

QString& StoreLabelText() {
    static QString label;
    return label;
}

/** The reason not told yet, and the roots of copies whose trouble was told already. */
struct ProblemState {
    QString text;
    QSet<QString> toldRoots;
};

ProblemState& Problem() {
    static ProblemState state;
    return state;
}

void NoteProblem(const QString& folder, const QString& reason) {
    ProblemState& state = Problem();
    if (state.toldRoots.contains(CopiesRoot()) || !state.text.isEmpty())
        return;
    state.text = QStringLiteral("Автоматичні копії баз даних не вдається зберігати в папці "
                                "\"%1\".\rПричина: %2\rПрограма працює далі без них.")
                     .arg(QDir::toNativeSeparators(folder), reason.trimmed());
}

/** The path as the file system knows it (links resolved), or cleaned when it does not exist. */
QString IdentityOf(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QDir(path).absolutePath()) : canonical;
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
    SqliteDb opened;
    if (OpenDatabase(targetPath.toUtf8().constData(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                     opened) != SQLITE_OK) {
        const QString text =
            opened ? SqliteMessage(sqlite3_errmsg(opened.get())) : SqliteMessage(nullptr);
        opened.reset();
        QFile::remove(targetPath);
        return fail(text);
    }
    sqlite3* target = opened.get();
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
            text = SqliteMessage(sqlite3_errstr(rc));
    } else {
        text = SqliteMessage(sqlite3_errmsg(target));
    }
    // Closed here, not by the handle, to know that the copy was written whole.
    if (sqlite3_close(opened.release()) != SQLITE_OK && text.isEmpty())
        text = QStringLiteral("не вдається закрити копію.");
    if (!text.isEmpty()) {
        QFile::remove(targetPath);
        return fail(text);
    }
    return true;
}

bool LooksWhole(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return false;
    auto number = [&header](int at, int bytes) {
        quint32 v = 0;
        for (int i = 0; i < bytes; ++i)
            v = (v << 8) | static_cast<quint8>(header[at + i]);
        return v;
    };
    const quint32 pageSize = number(16, 2) == 1 ? 65536 : number(16, 2);
    const quint32 pages = number(28, 4);
    // The page count is trusted only when the header says it is current.
    if (pageSize < 512 || pages == 0 || number(92, 4) != number(24, 4))
        return file.size() >= static_cast<qint64>(pageSize);
    return file.size() >= static_cast<qint64>(pageSize) * pages;
}

QStringList RollingCopies(const QString& folder) {
    QStringList copies;
    for (const QString& file : ListFiles(folder, kPrefix + u'*' + kSuffix, true))
        if (LooksWhole(file))
            copies << file;
    std::sort(copies.begin(), copies.end()); // the names sort by the time of the copy
    return copies;
}

std::vector<CopyInfo> ListCopies(const QString& folder) {
    std::vector<CopyInfo> out;
    const QStringList copies = RollingCopies(folder);
    for (auto it = copies.crbegin(); it != copies.crend(); ++it) {
        const QFileInfo info(*it);
        CopyInfo copy{*it, info.lastModified(), info.size(), QString()};
        const QRegularExpressionMatch m = CopyNamePattern().match(info.fileName());
        if (m.hasMatch()) {
            const QDateTime stamp = QDateTime::fromString(m.captured(1), kStampFormat);
            if (stamp.isValid())
                copy.time = stamp;
            copy.label = m.captured(2);
        }
        out.push_back(copy);
    }
    return out;
}

QString AddRollingCopy(const Connection& source, const QString& folder, int keep, QString* error,
                       const QString& label) {
    auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        return QString();
    };
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("Не вдається створити папку \"%1\".")
                        .arg(QDir::toNativeSeparators(folder)));
    if (!QFileInfo(folder).isWritable())
        return fail(QStringLiteral("Папка \"%1\" недоступна для запису.")
                        .arg(QDir::toNativeSeparators(folder)));
    RemoveLeftovers(folder);
    const QString path = NewCopyPath(folder, label);
    const QString temp = TempCopyPath(path);
    QString reason;
    if (!CopyDatabase(source.handle(), temp, &reason))
        return fail(reason);
    if (const QString problem = CheckCopy(temp); !problem.isEmpty()) {
        QFile::remove(temp);
        return fail(QStringLiteral("копія не пройшла перевірку: ") + problem);
    }
    // On the disk before it takes its name, so a crash never leaves a copy cut short there.
    if (!SyncFile(temp) || !QFile::rename(temp, path)) {
        QFile::remove(temp);
        return fail(QStringLiteral("Не вдається записати копію \"%1\".")
                        .arg(QDir::toNativeSeparators(path)));
    }
    SyncFolder(folder);
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
    // The folder as the file system knows it, so a link to it shares its copies.
    const QFileInfo info(IdentityOf(settlementFolder));
    const QString identity = info.filePath();
    const QString settlement = SafeFileName(info.fileName());
    const QString project = SafeFileName(QFileInfo(info.path()).fileName());
    const QString projects = GlobalVar().Settings.ProjectsDir;
    // "<projects>/<project>/<settlement>": the names alone tell it apart.
    if (!projects.isEmpty() && QFileInfo(info.path()).path() == IdentityOf(projects))
        return JoinPath(JoinPath(root, project), settlement);
    const QString mark = QString::fromLatin1(
        QCryptographicHash::hash(identity.toUtf8(), QCryptographicHash::Sha1).toHex().left(8));
    return JoinPath(JoinPath(root, project), settlement + QStringLiteral(" #") + mark);
}

bool MakeAutomaticCopy(const Connection& source, const QString& folder, const QString& label) {
    QString error;
    if (!AddRollingCopy(source, folder, KeepCopies, &error, label).isEmpty())
        return true;
    NoteProblem(folder, error);
    return false;
}

void BeforeSettlementStore(const Connection& settlement) {
    if (!settlement.isOpen() || CopiesRoot().isEmpty())
        return;
    MakeAutomaticCopy(settlement, SettlementCopiesFolder(FolderOf(settlement.path())),
                      StoreLabelText());
}

StoreLabel::StoreLabel(const QString& what) : m_previous(StoreLabelText()) {
    StoreLabelText() = what;
}

StoreLabel::~StoreLabel() {
    StoreLabelText() = m_previous;
}

QString TakeUntoldProblem() {
    ProblemState& state = Problem();
    if (state.text.isEmpty())
        return QString();
    state.toldRoots.insert(CopiesRoot());
    return std::exchange(state.text, QString());
}

bool RestoreCopy(Connection& settlement, const QString& copyPath, const QString& folder,
                 QString* keptAs, QString* error) {
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (!settlement.isOpen())
        return fail(QStringLiteral("база даних населеного пункту не відкрита."));
    if (const QString problem = CheckCopy(copyPath); !problem.isEmpty())
        return fail(QStringLiteral("копія \"%1\" пошкоджена: %2")
                        .arg(QDir::toNativeSeparators(copyPath), problem));
    QString reason;
    const QString kept = AddRollingCopy(settlement, folder, std::numeric_limits<int>::max(),
                                        &reason, QStringLiteral("перед відновленням"));
    if (kept.isEmpty())
        return fail(QStringLiteral("поточну базу не вдалося зберегти як копію: ") + reason);
    if (keptAs)
        *keptAs = kept;
    SqliteDb copy;
    if (OpenDatabase(copyPath.toUtf8().constData(), SQLITE_OPEN_READONLY, copy) != SQLITE_OK)
        return fail(copy ? SqliteMessage(sqlite3_errmsg(copy.get())) : SqliteMessage(nullptr));
    // The backup writes the settlement's pages in one transaction of its own journal.
    int rc = SQLITE_ERROR;
    if (sqlite3_backup* restore =
            sqlite3_backup_init(settlement.handle(), "main", copy.get(), "main")) {
        rc = sqlite3_backup_step(restore, -1);
        sqlite3_backup_finish(restore);
        reason = SqliteMessage(sqlite3_errstr(rc));
    } else {
        reason = SqliteMessage(sqlite3_errmsg(settlement.handle()));
    }
    copy.reset();
    if (rc != SQLITE_DONE)
        return fail(reason);
    return true;
}

} // namespace backup
