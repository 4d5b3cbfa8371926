#pragma once

#include "catalogue/core/ProjectItem.h"

#include <QString>
#include <QStringList>

/**
 * Projects and settlements: their rows in the catalogue, their folders filled from the
 * templates and the file entries of each folder's "data" table. No windows here: failures
 * are reported through the messages and the caller refreshes its tree and lists.
 */
namespace catalogue {

/** Reads "projects" and nests settlements under their projects; false when the read failed. */
bool LoadProjectRows(ProjectTreeRows& rows);

/** The entries of a project folder: settlements (list 1) and files (list 2, "Додати файл" last). */
bool LoadProjectEntries(const QString& folder, std::vector<ListEntry>& settlements,
                        std::vector<ListEntry>& files);
/**
 * The file entries of a settlement folder (and the report, export and folder entries).
 * `connected` tells whether its database could be opened (the steps are then listed).
 */
bool LoadSettlementEntries(const QString& folder, std::vector<ListEntry>& files,
                           bool* connected = nullptr);

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
 * at the first failure (reported here) the catalogue rows are rolled back and the folders
 * this run made are removed. A missing template folder is named before anything is made.
 */
CreateOutcome CreateProject(const NewProject& project);

/** Registers an existing project folder and its settlements; true when the project row exists. */
bool RegisterProjectFolder(const QString& folder);

/** Removes the node's catalogue rows (a project's with its settlements'). */
bool DeleteProjectRows(const TProjectItem& item);
/**
 * Deletes a node's folder with all data. A link is never followed out of the projects root,
 * and the root, the program folder, the home folder and their parents are never deleted:
 * false (nothing deleted, a warning shown) for those.
 */
bool DeleteProjectFolder(const QString& pathname);

/** The kind of a file by its extension: 3 Word, 4 workbook, 5 map table, 6 any other. */
int FileKind(const QString& path);

/**
 * Copies a file into a folder (asking before replacing; "No" keeps both under a new name), with
 * a map table's companions, and registers it unless an entry of that name is listed already.
 * Returns true when an entry was added to `added`.
 */
bool AddFileToFolder(const QString& source, const QString& folder,
                     const QStringList& listedCaptions, ListEntry& added);
/** Removes a file entry (kinds 3, 4, 5 only) from the folder's "data" table. */
bool RemoveFileEntry(const ListEntry& entry);
/** Copies a settlement's map tables, documents and workbooks into a folder. */
bool ExportMaterials(const QString& settlementFolder, const QString& targetFolder);

/** The project folder for a project name: ProjectsDir + SafeFileName(name). */
QString ProjectFolderFor(const QString& projectName);

} // namespace catalogue
