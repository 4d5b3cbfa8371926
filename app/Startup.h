#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QApplication;
class TFormMain;

/** What the start-up sequence takes from the running program; tests replace parts of it. */
struct StartupOptions {
    /** The program folder, which also names the single running instance. */
    QString appDir;
    /** An installation's read-only data the program folder is made from; empty for none. */
    QString shippedDir;
    /** Leave once the main window is up (see StartProbe). */
    bool exitAfterStart = false;
    /** The installed printers; sets the error text when the list cannot be read. */
    std::function<QStringList(QString& error)> printers;
};

/** The options of the running program: its place (RunningProgramPlace), the system's printers. */
StartupOptions ProgramStartupOptions();

/** The start-up checks and sequence; returns the program's exit code. */
int RunTamberon(QApplication& app, const StartupOptions& options = ProgramStartupOptions());

/** Gives a main window the program's own dialogs, steps and map view. */
void InstallProgramDialogs(TFormMain& window);
