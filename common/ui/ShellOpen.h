#pragma once

#include <QString>
#include <QStringList>

/**
 * Opens a document, folder or map file through the shell (ShellOpenQuiet of common/Shell.h);
 * a failure (a result of 32 or less) is shown under the caption "Запуск" with the path and
 * the reason.
 */
int ShellOpen(const QString& path);

/** Shows each failure text of the shell under "Запуск". */
void ShowShellErrors(const QStringList& errors);
