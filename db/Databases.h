#pragma once

#include "db/Database.h"

#include <QString>

/**
 * The program's three connections and their queries: the catalogue beside the program, the
 * settlement template and the project or settlement being worked on.
 */
class Databases {
public:
    Connection main;  ///< catalogue "baza.sqlite"
    Connection templ; ///< "Шаблон/наспункт/data.sqlite"
    Connection data;  ///< the current project or settlement folder's "data.sqlite"
    Query queryMain{&main};
    Query queryRef{&main};
    Query queryData{&data};
    Query queryData2{&data};

    /**
     * Opens the catalogue unless open; false with "Підключення до бази даних програми." and
     * the reason in `error`.
     */
    bool ConnectCatalogue(QString* error = nullptr);
    /**
     * Opens the template database unless open; false with "Підключення до бази даних
     * шаблону." and the reason in `error`.
     */
    bool ConnectTemplate(QString* error = nullptr);
    /** Always re-opens the project connection on the folder's database. */
    bool ConnectProject(const QString& folder, QString* error = nullptr);
    /** Closes the project connection (before its folder is deleted). */
    void CloseProject();
};

/**
 * The program's connections: one set for the whole run, created on first use and closed when
 * the program ends; no window owns them. The main window connects them and re-points the
 * project connection at each selected settlement.
 */
Databases& Db();

/** File name of the database in a project or settlement folder, and in the program folder. */
inline QString DataFileName() {
    return QStringLiteral("data.sqlite");
}
inline QString CatalogueFileName() {
    return QStringLiteral("baza.sqlite");
}
