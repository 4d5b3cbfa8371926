#pragma once

#include <QString>
#include <functional>

class Connection;

/** The sentence of every failed store: the error text follows it. */
QString StoreFailedText();
/** The sentence of a failed read of a step's table (quoted name), the error text follows. */
QString LoadFailedText(const QString& table);
/** The reason of a failed read from the catalogue of projects when none is open. */
QString CatalogueClosedText();

/**
 * Runs `body` in one transaction on the settlement's database: committed when it returns
 * true, rolled back otherwise, so the database keeps its former content. An automatic copy
 * of the database is made first. `body` says why it failed in its error argument; false with
 * that text (or, from the transaction, StoreFailedText() and the reason) in `error`. Nothing
 * is shown here (the step window shows it).
 */
bool StoreInTransaction(Connection* project, const std::function<bool(QString* error)>& body,
                        QString* error);
