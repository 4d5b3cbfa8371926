#pragma once

#include <QString>

class Connection;

/**
 * Opens the database of the settlement folder a command was given and checks it: the folder,
 * its "data.sqlite", a whole database with the settlement's tables. `folder` gets the
 * folder's absolute path. Returns "" when opened, else the one-line reason it cannot be used.
 */
QString OpenCommandSettlement(const QString& given, Connection& data, QString* folder);

/** The absolute, clean path of a folder given on a command line. */
QString CommandFolder(const QString& given);
