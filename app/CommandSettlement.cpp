#include "app/CommandSettlement.h"

#include "common/FileUtils.h"
#include "common/LastError.h"
#include "db/Database.h"
#include "db/Databases.h"
#include "db/QueryFunctions.h"

#include <QDir>
#include <QFileInfo>

namespace {

/** Opens and checks the settlement's database; "" or the one-line reason it cannot be used. */
QString OpenSettlement(Connection& data, const QString& path) {
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

} // namespace

QString CommandFolder(const QString& given) {
    return ExcludeTrailingBackslashes(QDir::cleanPath(QDir(given).absolutePath()));
}

QString OpenCommandSettlement(const QString& given, Connection& data, QString* folder) {
    const QString path = CommandFolder(given);
    if (folder)
        *folder = path;
    if (!QFileInfo(path).isDir())
        return QStringLiteral("Папки \"") + path + QStringLiteral("\" немає.");
    const QString databasePath = JoinPath(path, DataFileName());
    if (!QFileInfo(databasePath).isFile())
        return QStringLiteral("У папці \"") + path +
               QStringLiteral("\" немає бази населеного пункту \"") + DataFileName() +
               QStringLiteral("\".");
    return OpenSettlement(data, databasePath);
}
