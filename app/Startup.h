#pragma once

class QApplication;
class TFormMain;

/** The start-up checks and sequence; returns the program's exit code. */
int RunTamberon(QApplication& app);

/** Gives a main window the program's own dialogs, steps and map view. */
void InstallProgramDialogs(TFormMain& window);
