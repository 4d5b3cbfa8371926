#pragma once

#include <QString>
#include <QStringList>

/** File and folder helpers. Paths use "/"; names of files and folders are kept as given. */

bool FolderExistsQuiet(const QString& path);
bool FileExistsQuiet(const QString& path);
/** Plain files of `folder` matching any of the ";"-separated masks, sorted by name. */
QStringList ListFiles(const QString& folder, const QString& masks, bool fullPaths);
/**
 * Removes a folder with everything in it; true when it is gone (also when it never
 * existed). Symbolic links are removed, never followed.
 */
bool DeleteFolder(const QString& folder);
/** folder/base + separator + N + ext for the first N = 2, 3, ... that does not exist. */
QString UniqueFileName(const QString& path, const QString& separator);
/**
 * A name usable as one folder or file name: * / : ? \ | become "_", quotes and
 * apostrophes "`"; a name made only of dots and blanks becomes "_".
 */
QString SafeFileName(const QString& text);
/** Reads an ini value; a name without a folder is taken from AppDir. */
QString IniRead(const QString& file, const QString& section, const QString& key,
                const QString& defaultValue = QString());
/** The name without its last extension. */
QString FileBaseName(const QString& name);
/** The file name without folder and extension, lower-cased unless keepCase. */
QString FileNameNoExt(const QString& path, bool keepCase = false);
/** The extension with its dot, lower-cased ("" for none). */
QString FileExtLower(const QString& path);
/** The file name without its folder. */
QString FileNameOf(const QString& path);
/** The folder of a path, without trailing separator. */
QString FolderOf(const QString& path);
QString ExcludeTrailingBackslashes(const QString& path);
QString IncludeTrailingBackslash(const QString& path);
/** folder + separator + name. */
QString JoinPath(const QString& folder, const QString& name);
/** Copies a file, replacing the target; false when the copy failed. */
bool CopyFileReplacing(const QString& source, const QString& target);
/**
 * Flushes a file's contents to the disk, so that a rename after it never leaves an empty or
 * partial file under the new name after a crash; false when it cannot be opened or flushed.
 */
bool SyncFile(const QString& path);
/** Flushes a folder's entries (files created, renamed or removed in it) to the disk. */
bool SyncFolder(const QString& folder);
