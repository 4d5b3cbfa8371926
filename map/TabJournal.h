#pragma once

#include <QString>
#include <functional>

/**
 * The replace of a table's companion files (.tab, .dat, .map, .id, .ind, .wkt) by those of a new
 * table written beside it, recoverable at any instant as a database's hot journal is: before
 * the first rename a small journal naming both sets is written and flushed to the disk. A
 * replace cut short (a crash, a kill, a power cut) is finished or undone by the next opening
 * of the table or of its folder, so the table comes back whole, the old or the new, and the
 * leftovers are removed.
 */
namespace TabJournal {

/**
 * Puts the table written (whole and checked) at `temp` in place of the table at `path`,
 * which need not exist. False with the reason in `error`; the old table is then back in
 * place (or, when even that failed, the journal stays for the next opening to finish).
 */
bool Replace(const QString& temp, const QString& path, QString* error);

/** The journal of a replace of the table at `path`: ".~<name>.journal" beside it. */
QString JournalPath(const QString& path);

/**
 * Finishes or undoes an interrupted replace of the table at `path` and removes its
 * leftovers. True when the table is whole (also when no replace was interrupted).
 */
bool Recover(const QString& path, QString* error);

/**
 * Recover() for every interrupted replace in the folder, then removes the temporary tables
 * of writings cut short before their replace began. False with the reasons in `error`.
 */
bool RecoverFolder(const QString& folder, QString* error);

/**
 * A hidden name beside the table for a temporary or a set-aside set of files:
 * ".~<name>.<what>-<8 hex digits>"; it never begins like a layer name.
 */
QString AsideName(const QString& path, const QString& what);

/**
 * A seam for fault-injection tests: called after each step of a replace (1: the journal is
 * on the disk; then each rename; then the removal of the old files; last the removal of the
 * journal). A test kills its process there. None by default.
 */
void SetStepHook(std::function<void(int step)> hook);

} // namespace TabJournal
