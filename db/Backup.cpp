#include "db/Backup.h"

#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "common/WriteSteps.h"
#include "db/Database.h"
#include "db/SqliteHandle.h"
#include "db/SqliteMessage.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
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

/** The table inside every copy that says when it was made and what was being stored. */
const char* const kMetaTable = "копія_відомості";

/** Writes into the copy (a scratch file still) the time it was made and its label. */
QString WriteCopyMetadata(const QString& path, const QDateTime& time, const QString& label) {
    SqliteDb db;
    if (OpenDatabase(path.toUtf8().constData(), SQLITE_OPEN_READWRITE, db) != SQLITE_OK)
        return db ? SqliteMessage(sqlite3_errmsg(db.get())) : SqliteMessage(nullptr);
    const QByteArray sql =
        QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (час TEXT, мітка TEXT); DELETE FROM %1; "
                       "INSERT INTO %1 VALUES ('%2', '%3');")
            .arg(QString::fromUtf8(kMetaTable), time.toUTC().toString(Qt::ISODateWithMs),
                 QString(label).replace(u'\'', QStringLiteral("''")))
            .toUtf8();
    if (sqlite3_exec(db.get(), sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        return SqliteMessage(sqlite3_errmsg(db.get()));
    if (sqlite3_close(db.release()) != SQLITE_OK)
        return QStringLiteral("не вдається закрити копію.");
    return QString();
}

/** A copy as its own content tells it: whole and sound, its time and label. */
struct VerifiedCopy {
    QString path;
    QDateTime time; ///< from inside the copy; the name's for copies of older versions
    QString label;
    bool sound = false; ///< reads back whole ("PRAGMA quick_check") with a valid time
};

/** The time and label the name of a copy gives; an invalid time when it gives none. */
std::pair<QDateTime, QString> NameStamp(const QString& path) {
    const QRegularExpressionMatch m = CopyNamePattern().match(FileNameOf(path));
    if (!m.hasMatch())
        return {};
    return {QDateTime::fromString(m.captured(1), kStampFormat), m.captured(2)};
}

VerifiedCopy Verify(const QString& path) {
    VerifiedCopy copy{path, {}, {}, false};
    if (!LooksWhole(path) || !CheckCopy(path).isEmpty())
        return copy;
    SqliteDb db;
    if (OpenDatabase(path.toUtf8().constData(), SQLITE_OPEN_READONLY, db) != SQLITE_OK)
        return copy;
    const auto [nameTime, nameLabel] = NameStamp(path);
    SqliteStatement stmt;
    const QByteArray sql = QByteArrayLiteral("SELECT час, мітка FROM ") + kMetaTable;
    if (PrepareStatement(db.get(), sql.constData(), -1, stmt) == SQLITE_OK) {
        if (sqlite3_step(stmt.get()) == SQLITE_ROW) {
            auto text = [&stmt](int column) {
                const auto* t =
                    reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), column));
                return QString::fromUtf8(t ? t : "");
            };
            copy.time = QDateTime::fromString(text(0), Qt::ISODateWithMs).toLocalTime();
            copy.label = nameLabel; // as the name shows it, the same words
        }
    } else {
        // A copy of an older version: no table inside; its name's time, checked whole.
        copy.time = nameTime;
        copy.label = nameLabel;
    }
    copy.sound = copy.time.isValid();
    return copy;
}

/**
 * The sound copies of a folder, newest first by the time inside them. A copy dated ahead of
 * the clock was made while the clock was wrong: it counts as older than every copy dated
 * now or before, so a clock set back never makes new copies the first to go. Damaged
 * copies are listed in `damaged`.
 */
std::vector<VerifiedCopy> SoundCopies(const QString& folder, QStringList* damaged = nullptr) {
    std::vector<VerifiedCopy> sound;
    for (const QString& file : ListFiles(folder, kPrefix + u'*' + kSuffix, true)) {
        VerifiedCopy copy = Verify(file);
        if (copy.sound)
            sound.push_back(std::move(copy));
        else if (damaged)
            *damaged << file;
    }
    const QDateTime now = QDateTime::currentDateTime().addSecs(60);
    std::stable_sort(sound.begin(), sound.end(),
                     [&now](const VerifiedCopy& a, const VerifiedCopy& b) {
                         const bool aAhead = a.time > now, bAhead = b.time > now;
                         if (aAhead != bAhead)
                             return bAhead; // the one not ahead is the newer
                         return a.time != b.time ? a.time > b.time : a.path > b.path;
                     });
    return sound;
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
    WaitForRotations();
    QStringList copies;
    const std::vector<VerifiedCopy> sound = SoundCopies(folder);
    for (auto it = sound.crbegin(); it != sound.crend(); ++it)
        copies << it->path;
    return copies;
}

std::vector<CopyInfo> ListCopies(const QString& folder) {
    WaitForRotations();
    std::vector<CopyInfo> out;
    for (const VerifiedCopy& copy : SoundCopies(folder))
        out.push_back({copy.path, copy.time, QFileInfo(copy.path).size(), copy.label});
    return out;
}

namespace {

/**
 * Rotation by what the copies hold, never by their names: damaged ones go, the new copy
 * `newest` stays whatever the clock says, then the newest others up to `keep`.
 */
void Rotate(const QString& folder, const QString& newest, int keep) {
    QStringList damaged;
    std::vector<VerifiedCopy> copies = SoundCopies(folder, &damaged);
    for (const QString& file : damaged)
        QFile::remove(file);
    int kept = 1;
    for (const VerifiedCopy& copy : copies) {
        if (copy.path == newest)
            continue;
        if (kept < std::max(keep, 1))
            ++kept;
        else
            QFile::remove(copy.path);
    }
}

std::atomic<bool>& RotationInBackground() {
    static std::atomic<bool> background{false};
    return background;
}

/** One thread, so two rotations never meet; waited for when the program ends. */
QThreadPool& RotationPool() {
    static QThreadPool pool;
    pool.setMaxThreadCount(1);
    return pool;
}

} // namespace

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
    const QDateTime made = QDateTime::currentDateTime();
    const QString path = NewCopyPath(folder, label);
    const QString temp = TempCopyPath(path);
    QString reason;
    if (!writesteps::Reached("copy.write"))
        return fail(QStringLiteral("Не вдається записати копію \"%1\".")
                        .arg(QDir::toNativeSeparators(path)));
    if (!CopyDatabase(source.handle(), temp, &reason))
        return fail(reason);
    if (reason = WriteCopyMetadata(temp, made, label); !reason.isEmpty()) {
        QFile::remove(temp);
        return fail(reason);
    }
    if (const QString problem = CheckCopy(temp); !problem.isEmpty()) {
        QFile::remove(temp);
        return fail(QStringLiteral("копія не пройшла перевірку: ") + problem);
    }
    // On the disk before it takes its name, so a crash never leaves a copy cut short there.
    if (!writesteps::Reached("copy.rename") || !SyncFile(temp) || !QFile::rename(temp, path)) {
        QFile::remove(temp);
        return fail(QStringLiteral("Не вдається записати копію \"%1\".")
                        .arg(QDir::toNativeSeparators(path)));
    }
    SyncFolder(folder);
    if (RotationInBackground())
        RotationPool().start([folder, path, keep] { Rotate(folder, path, keep); });
    else
        Rotate(folder, path, keep);
    return path;
}

void SetRotationInBackground(bool background) {
    RotationInBackground() = background;
}

void WaitForRotations() {
    RotationPool().waitForDone();
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
    if (!AddRollingCopy(source, folder, KeepCopies, &error, label).isEmpty()) {
        // Copies work again: a later failure is news, and is told.
        Problem().toldRoots.remove(CopiesRoot());
        return true;
    }
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
    // What the copy said of itself is no part of the settlement.
    ForgetCopyRecord(settlement);
    return true;
}

void ForgetCopyRecord(const Connection& restored) {
    if (!restored.isOpen())
        return;
    const QByteArray drop = QByteArrayLiteral("DROP TABLE IF EXISTS ") + kMetaTable;
    sqlite3_exec(restored.handle(), drop.constData(), nullptr, nullptr, nullptr);
}

} // namespace backup
