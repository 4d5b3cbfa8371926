#include "app/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

bool InstallQtTranslation(QCoreApplication& app) {
    static QPointer<QTranslator> installed;
    if (installed)
        return true;
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Ukrainian, QLocale::Ukraine), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    installed = translator;
    return true;
}
