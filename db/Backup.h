#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

class Connection;
struct sqlite3;

/**
 * Automatic copies of the databases, made with SQLite's online backup so that a copy is
 * consistent even while the database is open. A copy is written under a temporary name,
 * checked and only then given its name, so a copy under its name is always whole. Copies are
 * kept in folders of the program's temporary area, the newest few of each; nothing here
 * shows a message.
 */
namespace backup {

/** How many copies a folder keeps. */
constexpr int KeepCopies = 10;

/** One automatic copy: where it is, when it was made, its size and what was being stored. */
struct CopyInfo {
    QString path;
    QDateTime time;
    qint64 size = 0;
    QString label; ///< the step or operation being stored; "" when the copy does not say
};

/** Copies the open database into a new file; false with the reason in `error`. */
bool CopyDatabase(sqlite3* source, const QString& targetPath, QString* error = nullptr);

/**
 * Writes a new copy of the open database into `folder` (created when missing), named by the
 * time of the copy and `label`: under a temporary name, checked with "PRAGMA quick_check",
 * then renamed. Then removes the leftovers of copies cut short and the oldest whole copies
 * beyond `keep`. Returns the new copy's path, or "" with the reason in `error`.
 */
QString AddRollingCopy(const Connection& source, const QString& folder, int keep = KeepCopies,
                       QString* error = nullptr, const QString& label = QString());
/**
 * Whether AddRollingCopy() leaves the removal of old and damaged copies to a thread of its
 * own (off by default): the program's window turns it on, so that the copy a start makes
 * does not hold the window back while every older copy is checked.
 */
void SetRotationInBackground(bool background);
/** Waits until the removals left to that thread are done; the listings below wait too. */
void WaitForRotations();

/** The whole copies in a folder, oldest first (a file cut short is not listed). */
QStringList RollingCopies(const QString& folder);
/** The whole copies in a folder, newest first, with their time, size and label. */
std::vector<CopyInfo> ListCopies(const QString& folder);
/**
 * Whether the file is a whole database as far as its header tells: the SQLite signature and
 * at least as many bytes as the pages the header counts. Cheap: no page is read.
 */
bool LooksWhole(const QString& path);

/** The folder of all automatic copies: "Копії" in the program's temporary folder. */
QString CopiesRoot();
/** The catalogue's copies. */
QString CatalogueCopiesFolder();
/**
 * The copies of a settlement whose folder is given: for a settlement of the program's
 * projects folder, a folder named after the settlement inside one named after its project;
 * for a settlement elsewhere the same names with a mark of the folder's own place, so two
 * settlements of the same names in different places never share their copies.
 */
QString SettlementCopiesFolder(const QString& settlementFolder);

/**
 * AddRollingCopy() into `folder` keeping KeepCopies; a failure is kept for
 * TakeUntoldProblem(). True when the copy was made.
 */
bool MakeAutomaticCopy(const Connection& source, const QString& folder,
                       const QString& label = QString());

/**
 * A copy of a settlement's database before it is changed, labelled with the current
 * StoreLabel. Does nothing when the program's temporary folder is not set or the connection
 * is closed; a failed copy never stops a store (its reason is kept for TakeUntoldProblem).
 */
void BeforeSettlementStore(const Connection& settlement);

/** While it lives, the copies before a store are labelled with what is being stored. */
class StoreLabel {
public:
    explicit StoreLabel(const QString& what);
    ~StoreLabel();
    StoreLabel(const StoreLabel&) = delete;
    StoreLabel& operator=(const StoreLabel&) = delete;

private:
    QString m_previous;
};

/**
 * The first reason in this run why an automatic copy could not be made, once for the
 * program's folder of copies: later calls return "" (the program says it once, not at every
 * store) until a copy is made there again; a failure after that is told anew.
 */
QString TakeUntoldProblem();

/**
 * Removes from a database put back from a copy the record the copy kept of itself (when
 * it was made); the database is then as it was copied. Nothing when there is none.
 */
void ForgetCopyRecord(const Connection& restored);

/**
 * Puts the content of the copy in place of the open settlement database, in one transaction
 * of that database, so a crash leaves it as it was or restored, never between. The copy is
 * checked first and the current content kept as a copy labelled "перед відновленням" in
 * `folder` (its path in `keptAs`). False with the reason in `error`; the database is then
 * unchanged.
 */
bool RestoreCopy(Connection& settlement, const QString& copyPath, const QString& folder,
                 QString* keptAs, QString* error);

} // namespace backup
