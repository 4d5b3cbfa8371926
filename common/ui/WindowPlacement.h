#pragma once

#include <QRect>
#include <QString>
#include <memory>

class QSettings;
class QWidget;

/**
 * The main window's place when none is remembered: most of the screen's free area (at most
 * 1440 × 900), centred, so the lists and the map with its whole tool bar fit.
 */
QRect DefaultMainWindowRect(const QRect& available);

/**
 * Gives the window its remembered size and place from the settings, or the default one on its
 * screen when nothing usable is remembered. Call before the window is shown.
 */
void RestoreMainWindowPlacement(QWidget& window, QSettings& settings);

/** Remembers the window's size and place (maximised included) in the settings. */
void SaveMainWindowPlacement(const QWidget& window, QSettings& settings);

/**
 * Gives a window the size and place remembered under its name ("FormOtsenkaVytraty");
 * false when nothing usable is remembered.
 */
bool RestoreWindowPlacement(QWidget& window, QSettings& settings, const QString& name);
/** Remembers a window's size and place under its name. */
void SaveWindowPlacement(const QWidget& window, QSettings& settings, const QString& name);

/**
 * The size of a window that wants `extra` more pixels than `size` (its grids' hidden
 * columns), kept within the free area of the screen, never smaller than `size` unless the
 * screen is smaller.
 */
QSize GrownWindowSize(const QSize& size, const QSize& extra, const QRect& available);

/**
 * The user's own settings of the program, in the user's configuration folder. Tests switch
 * QStandardPaths to its test mode before the first use, so they never touch the real ones.
 */
std::unique_ptr<QSettings> UserSettings();
