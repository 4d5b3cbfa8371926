#include "commands/SettlementFolder.h"

#include "catalogue/core/CataloguePaths.h"
#include "common/FileUtils.h"
#include "common/LastError.h"
#include "db/Database.h"
#include "db/Databases.h"
#include "db/QueryFunctions.h"
#include "gis/SettlementLayers.h"
#include "valuation/Indicators.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

QString SettlementName(Connection* catalogue, Connection& data, const QString& folder) {
    if (catalogue)
        if (const QString name = catalogue::SettlementNameAt(*catalogue, folder); !name.isEmpty())
            return name;
    if (const QString name = ReadSettlementFact(data, QStringLiteral("Назва")); !name.isEmpty())
        return name;
    return QFileInfo(folder).fileName();
}

/** Opens and checks the settlement's database; "" or the one-line reason it cannot be used. */
QString OpenSettlementDatabase(Connection& data, const QString& path) {
    if (!data.open(path))
        return QStringLiteral("База населеного пункту \"") + path +
               (data.openFailure() == OpenFailure::NotADatabase
                    ? QStringLiteral("\" пошкоджена: ")
                    : QStringLiteral("\" не відкривається: ")) +
               data.errorText();
    Query q(&data);
    if (!RunQuery(q, QStringLiteral("PRAGMA quick_check"), true) || q.eof() ||
        q.text(0) != QLatin1String("ok"))
        return QStringLiteral("База населеного пункту \"") + path +
               QStringLiteral("\" пошкоджена: ") +
               (LastError().isEmpty() ? q.text(0) : LastError()).simplified();
    q.close();
    for (const char* table : {"data", "характеристика"}) {
        if (!TableExists(data, QString::fromUtf8(table)))
            return QStringLiteral("\"") + path +
                   QStringLiteral("\" не є базою населеного пункту: у ній немає таблиці \"") +
                   QString::fromUtf8(table) + QStringLiteral("\".");
    }
    return QString();
}

int OpenSettlementFolder(const QString& argument, Connection& data, QString& folder,
                         QTextStream& err) {
    folder = ExcludeTrailingBackslashes(QDir::cleanPath(QDir(argument).absolutePath()));
    if (!QFileInfo(folder).isDir()) {
        err << QStringLiteral("Папки \"") << folder << QStringLiteral("\" немає.") << Qt::endl;
        return 2;
    }
    // Layers whose writing was cut short come back whole before anything reads the folder.
    if (QString problem; !RecoverSettlementFolder(folder, &problem)) {
        err << problem.replace(u'\r', u' ') << Qt::endl;
        return 2;
    }
    const QString databasePath = JoinPath(folder, DataFileName());
    if (!QFileInfo(databasePath).isFile()) {
        err << QStringLiteral("У папці \"") << folder
            << QStringLiteral("\" немає бази населеного пункту \"") << DataFileName()
            << QStringLiteral("\".") << Qt::endl;
        return 2;
    }
    if (const QString reason = OpenSettlementDatabase(data, databasePath); !reason.isEmpty()) {
        err << reason << Qt::endl;
        return 2;
    }
    return 0;
}
