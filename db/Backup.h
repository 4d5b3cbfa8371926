#pragma once

#include <QString>
#include <QStringList>

class Connection;
struct sqlite3;

/**
 * Automatic copies of the databases, made with SQLite's online backup so that a copy is
 * consistent even while the database is open. Copies are kept in folders of the program's
 * temporary area, the newest few of each; nothing here shows a message.
 */
namespace backup {

/** How many copies a folder keeps. */
constexpr int KeepCopies = 10;

/** Copies the open database into a new file; false with the reason in `error`. */
bool CopyDatabase(sqlite3* source, const QString& targetPath, QString* error = nullptr);

/**
 * Writes a new copy of the open database into `folder` (created when missing), named by the
 * time of the copy, and removes the oldest copies beyond `keep`. Returns the new copy's path,
 * or "" with the reason in `error`.
 */
QString AddRollingCopy(const Connection& source, const QString& folder, int keep = KeepCopies,
                       QString* error = nullptr);
/** The copies in a folder, oldest first. */
QStringList RollingCopies(const QString& folder);

/** The folder of all automatic copies: "Копії" in the program's temporary folder. */
QString CopiesRoot();
/** The catalogue's copies. */
QString CatalogueCopiesFolder();
/**
 * The copies of a settlement whose folder is given: a folder named after the settlement,
 * inside one named after its project.
 */
QString SettlementCopiesFolder(const QString& settlementFolder);

/**
 * A copy of a settlement's database before it is changed. Does nothing when the program's
 * temporary folder is not set or the connection is closed; a failed copy never stops a store.
 */
void BeforeSettlementStore(const Connection& settlement);

} // namespace backup
