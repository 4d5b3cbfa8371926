#include "valuation/DataStamp.h"

#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "db/Utf8Rows.h"

#include <QCryptographicHash>
#include <QStringList>

namespace valuation {

bool DataStamp(Connection& project, QString& stamp, QString* error) {
    stamp.clear();
    const auto fail = [error](const QString& what) { return FailReading(error, what); };
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
    // Only what is there counts: an empty table or an empty column an upgrade of the
    // database adds leaves the stamp as it was.
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QString& table : tables) {
        const QByteArray name = table.toUtf8();
        bool named = false;
        const bool read = ReadUtf8Rows(
            project, QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY rowid"),
            [&](const Utf8Row& row) {
                if (!named) {
                    hash.addData(name);
                    hash.addData(QByteArrayView("\x1c", 1));
                    named = true;
                }
                hash.addData(QByteArrayView("\x1e", 1));
                for (int i = 0; i < row.size(); ++i) {
                    if (row.at(i).isEmpty())
                        continue;
                    const QByteArray index = QByteArray::number(i);
                    hash.addData(index);
                    hash.addData(QByteArrayView("\x1d", 1));
                    hash.addData(row.at(i));
                    hash.addData(QByteArrayView("\x1f", 1));
                }
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
