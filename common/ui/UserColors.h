#pragma once

#include <QString>

/** Loads the colour dialog's custom colours from a file; a missing or bad file is ignored. */
void LoadUserColors(const QString& path);
/** Saves the colour dialog's custom colours; a write error is ignored. */
void SaveUserColors(const QString& path);
/** The file the input dialog keeps them in: AppDir + "usercolors.dat". */
QString UserColorsPath();
