#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class Connection;

/** Bringing a valuer's catalogue up to the one a newer version of the program ships. */
namespace catalogue {

/**
 * The content of a table as one hash: every row in the order of its "id", each column's value
 * under its name (so the order of the columns does not matter). "" when it cannot be read.
 * `schema` names an attached database ("main" for the connection's own).
 */
QString TableContentHash(Connection& db, const QString& table,
                         const QString& schema = QStringLiteral("main"));

/** The hashes of the shipped catalogue's reference tables, by table. */
using TableHashes = QHash<QString, QString>;
/** The hashes of the reference tables of a catalogue as it was shipped. */
TableHashes ReferenceTableHashes(Connection& shipped);

/** What an upgrade of the catalogue did and what it remembers for the next one. */
struct CatalogueUpgrade {
    /** In: the reference tables as they were last shipped; out: as they are shipped now. */
    TableHashes shipped;
    /** Ukrainian lines for the valuer: what was added, replaced, kept. */
    QStringList notes;
};

/**
 * Upgrades the catalogue in place from the shipped one at `shippedPath`, in one transaction:
 * the tables, columns and indexes it lacks are added (a new table with its shipped rows); a
 * reference table (KOATUU, indexation, soils, local factors, prices, purposes) the valuer has
 * not changed since it was last shipped takes the shipped rows, one the valuer changed keeps
 * every row and gains the shipped rows whose key it lacks. The registered projects and the
 * settings rows are never touched. False with the reason in `error`; the catalogue is then as
 * it was.
 */
bool UpgradeCatalogue(Connection& catalogue, const QString& shippedPath, CatalogueUpgrade& upgrade,
                      QString* error = nullptr);

} // namespace catalogue
