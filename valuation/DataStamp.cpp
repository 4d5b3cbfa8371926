#include "valuation/DataStamp.h"

#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "db/Utf8Rows.h"

#include <QCryptographicHash>
#include <QStringList>
#include <vector>

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
    // The bytes go to the hash in large blocks: a call per value would cost more than the
    // hashing of hundreds of thousands of short values.
    QCryptographicHash hash(QCryptographicHash::Sha1);
    QByteArray block;
    block.reserve(1 << 16);
    std::vector<QByteArray> indexes; // a column's number as text, made once
    Utf8Row::Digits digits;
    for (const QString& table : tables) {
        const QByteArray name = table.toUtf8();
        bool named = false;
        const bool read = ReadUtf8Rows(
            project, QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY rowid"),
            [&](const Utf8Row& row) {
                if (!named) {
                    block.append(name);
                    block.append('\x1c');
                    named = true;
                }
                block.append('\x1e');
                for (int i = 0; i < row.size(); ++i) {
                    const QByteArrayView value = row.at(i, digits);
                    if (value.isEmpty())
                        continue;
                    while (indexes.size() <= static_cast<size_t>(i))
                        indexes.push_back(QByteArray::number(static_cast<int>(indexes.size())));
                    block.append(indexes[static_cast<size_t>(i)]);
                    block.append('\x1d');
                    block.append(value);
                    block.append('\x1f');
                }
                if (block.size() >= (1 << 16)) {
                    hash.addData(block);
                    block.resize(0);
                }
            });
        if (!read)
            return fail(table);
    }
    hash.addData(block);
    stamp = QString::fromLatin1(hash.result().toHex().left(16));
    return true;
}

QString DataStampProperty() {
    return QStringLiteral("TamberonDataStamp");
}

} // namespace valuation
