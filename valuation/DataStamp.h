#pragma once

#include <QString>

class Connection;

namespace valuation {

/**
 * A fingerprint of the settlement's data: the content of every table but the list of
 * materials (which registering a document changes); empty tables and empty values do not
 * count, so an upgrade of the database that adds them changes nothing. Equal stamps mean the same
 * data; a document made from the data carries the stamp of that moment, so a later look can tell
 * whether the data changed since. False with the reason in `error` when a read fails.
 */
bool DataStamp(Connection& project, QString& stamp, QString* error = nullptr);

/** The name of the custom document property that carries the stamp. */
QString DataStampProperty();

} // namespace valuation
