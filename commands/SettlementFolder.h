#pragma once

#include <QString>

class Connection;
class QTextStream;

/**
 * The settlement's name: its row in the catalogue (may be null), else "Назва" of its
 * information, else the folder's name.
 */
QString SettlementName(Connection* catalogue, Connection& data, const QString& folder);

/** Opens and checks a settlement's database; "" or the one-line reason it cannot be used. */
QString OpenSettlementDatabase(Connection& data, const QString& path);

/**
 * Opens the settlement database of the folder an argument names, after the folder's one
 * recovery (RecoverSettlementFolder): 0, or 2 after printing the reason to `err` (no folder,
 * a layer writing that cannot be finished or undone, no database, a damaged one). `folder`
 * gets the absolute path.
 */
int OpenSettlementFolder(const QString& argument, Connection& data, QString& folder,
                         QTextStream& err);
