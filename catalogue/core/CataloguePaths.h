#pragma once

#include <QString>

class Connection;

/**
 * The folders of projects and settlements as the catalogue keeps them: a folder inside the
 * projects root relative to that root, so that a copied or moved program folder finds its
 * own projects; a folder registered from elsewhere with its full path.
 */
namespace catalogue {

/** Whether the folder lies inside the projects root (the root itself does not). */
bool IsUnderProjectsRoot(const QString& folder);
/** The form the catalogue stores for a folder. */
QString StoredPath(const QString& folder);
/** The folder a stored path names today: a relative one taken against the projects root. */
QString ResolvedPath(const QString& stored);

/** The name the catalogue gives the settlement whose folder this is; "" when none does. */
QString SettlementNameAt(Connection& catalogue, const QString& folder);

/**
 * The one-time change of a catalogue written with full paths: every folder inside the
 * projects root becomes relative to it, and so does a folder that no longer exists when the
 * same place under the current root does (a program folder moved before it was changed).
 * Runs in one transaction and marks the catalogue as changed; true when nothing was left to
 * do or the change was committed, false with the reason in `error` (nothing changed).
 */
bool ConvertCataloguePaths(Connection& catalogue, QString* error = nullptr);

} // namespace catalogue
