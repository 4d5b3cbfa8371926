#pragma once

class QCoreApplication;

/**
 * Loads Qt's own Ukrainian translation ("qtbase_uk" from Qt's translations folder), so the
 * standard buttons and dialogs read "Так", "Скасувати", "Повторити"... The program's own
 * captions are not translated. Installed once; false when the translation is not there.
 */
bool InstallQtTranslation(QCoreApplication& app);
