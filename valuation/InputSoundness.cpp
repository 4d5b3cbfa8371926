#include "valuation/InputSoundness.h"

#include "common/EngineMessages.h"
#include "common/LastError.h"
#include "common/TextUtils.h"
#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace valuation {

namespace {

/** The first line of the provider's message, without the statement. */
QString ShortReason(const QString& message) {
    return UkrainianEngineMessage(message.section(u'\n', 0, 0).trimmed());
}

/** Why a text written as a number cannot be one, or "" when it can (or is no number). */
QString UnsoundNumber(const QString& text) {
    static const QRegularExpression numeric(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    static const QRegularExpression special(QStringLiteral("^[+-]?(inf|infinity|nan)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return QString();
    if (special.match(trimmed).hasMatch())
        return QStringLiteral("не є скінченним числом");
    if (!numeric.match(trimmed).hasMatch())
        return QString();
    bool ok = false;
    const double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value) || std::abs(value) >= MaxStoredNumber)
        return QStringLiteral("поза межами (не більше %1 знаків до крапки)")
            .arg(std::log10(MaxStoredNumber));
    return QString();
}

} // namespace

const QStringList& ChainTables() {
    static const QStringList tables = {
        QStringLiteral("характеристика"), QStringLiteral("показники"), QStringLiteral("витрати"),
        QStringLiteral("анкета"),         QStringLiteral("км2"),       QStringLiteral("зони"),
        QStringLiteral("локальні"),       QStringLiteral("угіддя"),    QStringLiteral("ділянки")};
    return tables;
}

QStringList MissingChainTables(Connection& project) {
    QStringList missing;
    for (const QString& table : ChainTables()) {
        if (!TableExists(project, table)) {
            missing << table + QStringLiteral(" (немає)");
            continue;
        }
        Query probe(&project);
        if (!RunQuery(probe, QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" LIMIT 1"),
                      true))
            missing << table + QStringLiteral(" (не читається: ") + ShortReason(LastError()) + u')';
    }
    return missing;
}

bool FindUnsoundNumbers(Connection& project, QStringList& lines, QString* error, int limit) {
    int more = 0;
    for (const QString& table : ChainTables()) {
        if (!TableExists(project, table))
            continue;
        QStringList columns;
        {
            Query probe(&project);
            if (!RunQuery(probe,
                          QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" LIMIT 0"),
                          true)) {
                if (error)
                    *error = QStringLiteral("Таблиця \"%1\" не читається: %2")
                                 .arg(table, ShortReason(LastError()));
                return false;
            }
            for (const FieldInfo& f : probe.fields())
                columns << f.name;
        }
        long long row = 0;
        const bool read = ReadTextRows(
            project, QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY rowid"),
            [&](QStringList& cells) {
                ++row;
                for (qsizetype c = 0; c < cells.size(); ++c) {
                    const QString why = UnsoundNumber(cells[c]);
                    if (why.isEmpty())
                        continue;
                    if (lines.size() >= limit) {
                        ++more;
                        continue;
                    }
                    QString shown = cells[c].trimmed();
                    if (shown.size() > 24)
                        shown = shown.left(24) + QStringLiteral("...");
                    lines << QStringLiteral("таблиця \"%1\", рядок %2, стовпець \"%3\": число "
                                            "\"%4\" %5.")
                                 .arg(table)
                                 .arg(row)
                                 .arg(columns.value(c), shown, why);
                }
            });
        if (!read) {
            if (error)
                *error = QStringLiteral("Таблиця \"%1\" не читається: %2")
                             .arg(table, ShortReason(LastError()));
            return false;
        }
    }
    if (more > 0)
        lines << QStringLiteral("і ще %1 таких чисел.").arg(more);
    return true;
}

} // namespace valuation
