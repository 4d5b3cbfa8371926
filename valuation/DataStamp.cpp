#include "valuation/DataStamp.h"

#include "common/LastError.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "db/Utf8Rows.h"

#include <QCryptographicHash>
#include <QStringList>

namespace valuation {

bool DataStamp(Connection& project, QString& stamp, QString* error) {
    stamp.clear();
    const auto fail = [error](const QString& what) {
        if (error)
            *error = QStringLiteral("Вибірка із бази \"") + what +
                     QStringLiteral("\"\rПодробиці: ") + LastError();
        return false;
    };
    QStringList tables;
    {
        Query q(&project);
        if (!RunQuery(q,
                      QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND "
                                     "substr(name, 1, 7)<>'sqlite_' ORDER BY name"),
                      true))
            return fail(QStringLiteral("sqlite_master"));
        for (q.first(); !q.eof(); q.next())
            if (q.text(0) != QLatin1String("data"))
                tables << q.text(0);
    }
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QString& table : tables) {
        hash.addData(table.toUtf8());
        hash.addData(QByteArrayView("\x1e", 1));
        const bool read = ReadUtf8Rows(
            project, QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY rowid"),
            [&hash](const Utf8Row& row) {
                for (int i = 0; i < row.size(); ++i) {
                    hash.addData(row.at(i));
                    hash.addData(QByteArrayView("\x1f", 1));
                }
                hash.addData(QByteArrayView("\x1e", 1));
            });
        if (!read)
            return fail(table);
    }
    stamp = QString::fromLatin1(hash.result().toHex().left(16));
    return true;
}

QString DataStampProperty() {
    return QStringLiteral("TamberonDataStamp");
}

} // namespace valuation
