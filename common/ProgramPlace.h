#pragma once

#include <QString>

/**
 * Where the program keeps its data, found from the folder of its executable.
 *
 * A program folder holds the catalogue, "settings.dat", "Шаблон", "Проекти" and "Temp". The
 * program runs in its own folder when that folder is a writable program folder (the build's,
 * a copied one). An installed program keeps its data read-only in "../share/tamberon" beside
 * "bin" and works in the valuer's own program folder, made from that data on its first start.
 */
struct ProgramPlace {
    /** The program folder the run reads and writes. */
    QString folder;
    /** The read-only data `folder` is made and upgraded from; empty for a folder of its own. */
    QString shipped;
};

/** Whether a folder holds the program's data: its catalogue "baza.sqlite" and "Шаблон". */
bool HoldsProgramData(const QString& folder);
/** The shipped data of an installation whose executables lie in `executableDir`. */
QString InstalledDataFolder(const QString& executableDir);
/**
 * The valuer's own program folder: "tamberon" in $XDG_DATA_HOME when it names an absolute
 * path, else in "~/.local/share".
 */
QString UserProgramFolder();
/**
 * The place of a program whose executable lies in `executableDir`: that folder itself when it
 * is a writable program folder; the valuer's folder over the shipped data of an installation
 * ("../share/tamberon") or of a read-only program folder; otherwise `executableDir`, which
 * then lacks the data (the commands say what they miss).
 */
ProgramPlace LocateProgram(const QString& executableDir);
