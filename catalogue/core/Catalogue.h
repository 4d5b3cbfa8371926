#pragma once

#include "catalogue/core/CatalogueContext.h"
#include "catalogue/core/ProjectItem.h"

#include <QString>
#include <QStringList>

/**
 * Projects and settlements: their rows in the catalogue, their folders filled from the
 * templates and the file entries of each folder's "data" table. No windows here: each
 * function works on the connections of its context, asks its questions through the context,
 * and gives a failure's message in `error` (empty when there is nothing to tell, as after a
 * declined question); the window shows it and refreshes its tree and lists.
 */
namespace catalogue {

/** Reads "projects" and nests settlements under their projects; false when the read failed. */
bool LoadProjectRows(const CatalogueContext& context, ProjectTreeRows& rows,
                     QString* error = nullptr);

/** The entries of a project folder: settlements (list 1) and files (list 2, "Додати файл" last). */
bool LoadProjectEntries(const CatalogueContext& context, const QString& folder,
                        std::vector<ListEntry>& settlements, std::vector<ListEntry>& files,
                        QString* error = nullptr);
/**
 * The file entries of a settlement folder (and the report, export and folder entries).
 * `connected` tells whether its database could be opened (the steps are then listed).
 */
bool LoadSettlementEntries(const CatalogueContext& context, const QString& folder,
                           std::vector<ListEntry>& files, bool* connected = nullptr,
                           QString* error = nullptr);

/** "село", "селище міського типу", "селище", "місто" or "" by the settlement's name. */
QString SettlementStatusWord(const QString& name);

/** What the new-project wizard gathered. */
struct NewProject {
    QString coatuu;
    QString name;
    QStringList settlementEntries; ///< "name, code" or a name typed by hand
};

/** How creating a project ended: nothing left behind, or all of it made. */
enum class CreateOutcome { NothingWritten, Written };
/**
 * Creates the project folder, its settlements and their catalogue rows. It is all or nothing:
 * at the first failure (its message in `error`) the catalogue rows are rolled back and the
 * folders this run made are removed. A missing template folder is named before anything is
 * made.
 */
CreateOutcome CreateProject(const CatalogueContext& context, const NewProject& project,
                            QString* error = nullptr);

/**
 * Registers an existing project folder and its settlements; true when the project row exists.
 * A settlement that could not be registered leaves its message in `error` although the result
 * is true.
 */
bool RegisterProjectFolder(const CatalogueContext& context, const QString& folder,
                           QString* error = nullptr);

/** Removes the node's catalogue rows (a project's with its settlements'). */
bool DeleteProjectRows(const CatalogueContext& context, const TProjectItem& item,
                       QString* error = nullptr);
/**
 * Deletes a node's folder with all data. A link is never followed out of the projects root,
 * and the root, the program folder, the home folder and their parents are never deleted:
 * false (nothing deleted, the warning's text in `warning`) for those.
 */
bool DeleteProjectFolder(const QString& pathname, QString* warning = nullptr);

/** The kind of a file by its extension: 3 Word, 4 workbook, 5 map table, 6 any other. */
int FileKind(const QString& path);

/**
 * Copies a file into a folder (asking before replacing; "No" keeps both under a new name), with
 * a map table's companions, and registers it unless an entry of that name is listed already.
 * Returns true when an entry was added to `added`; a failed copy or registration gives its
 * message in `error` (empty only when the valuer cancelled or the entry was listed already).
 * The copy works on the project connection of the context, which shows the folder.
 */
bool AddFileToFolder(const CatalogueContext& context, const QString& source, const QString& folder,
                     const QStringList& listedCaptions, ListEntry& added, QString* error = nullptr);
/** The warning for an entry that cannot be removed; "" for a removable one. */
QString RemovalProblem(const ListEntry& entry);
/**
 * Removes a file entry (kinds 3, 4, 5 only) from the folder's "data" table; false with
 * RemovalProblem() or the failure in `error`.
 */
bool RemoveFileEntry(const CatalogueContext& context, const ListEntry& entry,
                     QString* error = nullptr);
/**
 * Copies a settlement's map tables, documents and workbooks into a folder, asking before
 * replacing materials there. False when declined (`error` empty) or with the failed copy.
 */
bool ExportMaterials(Questions& ask, const QString& settlementFolder, const QString& targetFolder,
                     QString* error = nullptr);
/** The message after a finished export: "Завершено.". */
QString ExportFinishedText();

/** The project folder for a project name: ProjectsDir + SafeFileName(name). */
QString ProjectFolderFor(const QString& projectName);

} // namespace catalogue
