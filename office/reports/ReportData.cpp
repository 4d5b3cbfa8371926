#include "office/reports/ReportData.h"
#include "office/reports/ReportContext.h"

#include "common/TextUtils.h"
#include "db/QueryFunctions.h"

namespace reports {

const std::array<ReportFile, 3>& ReportFiles() {
    static const std::array<ReportFile, 3> files{{
        {QStringLiteral("Технічний звіт.dotx"), QStringLiteral("Технічний звіт.docx"), 3},
        {QStringLiteral("Розрахунок грошової оцінки.xltx"),
         QStringLiteral("Розрахунок грошової оцінки.xlsx"), 4},
        {QStringLiteral("Розрахунок грошової оцінки з кварталами.xltx"),
         QStringLiteral("Розрахунок грошової оцінки з кварталами.xlsx"), 4},
    }};
    return files;
}

QString ReadIndicator(Query& query, const QString& name) {
    if (!RunQuery(query,
                  QStringLiteral("SELECT значення FROM характеристика WHERE показник='") +
                      QuoteSql(name) + QStringLiteral("' ORDER BY id"),
                  true))
        return QString();
    const QString value = query.eof() ? QString() : query.text(0);
    query.close();
    return value;
}

QStringList ReadDistrictCodes(Query& query) {
    QStringList codes;
    if (!RunQuery(query,
                  QStringLiteral("SELECT код FROM характеристика WHERE показник='Площі районів' "
                                 "ORDER BY cint(код)"),
                  true))
        return codes;
    for (query.first(); !query.eof(); query.next())
        codes << query.text(0);
    query.close();
    return codes;
}

std::vector<LocalFactorName> ReadLocalFactorNames(Connection* catalogue) {
    std::vector<LocalFactorName> names;
    if (!catalogue || !catalogue->isOpen())
        return names;
    Query q(catalogue);
    if (!RunQuery(q, QStringLiteral("SELECT * FROM локальні ORDER BY id"), true))
        return names;
    const int full = q.fieldIndex(QStringLiteral("назва_фактору"));
    const int brief = q.fieldIndex(QStringLiteral("назва_коротко"));
    for (q.first(); !q.eof(); q.next())
        names.push_back({q.text(full), q.text(brief)});
    q.close();
    return names;
}

QHash<QString, ZoneValue> ReadZoneValues(Query& query) {
    QHash<QString, ZoneValue> zones;
    if (!RunQuery(query, QStringLiteral("SELECT * FROM км2 ORDER BY id"), true))
        return zones;
    const int zone = query.fieldIndex(QStringLiteral("зона"));
    const int km2 = query.fieldIndex(QStringLiteral("км2"));
    const int value = query.fieldIndex(QStringLiteral("вартість"));
    for (query.first(); !query.eof(); query.next()) {
        if (!zones.contains(query.text(zone)))
            zones.insert(query.text(zone), {query.text(km2), query.text(value)});
    }
    query.close();
    return zones;
}

QStringList SplitDistrictList(const QString& text) {
    QStringList districts;
    for (const QString& piece : text.split(u',')) {
        const QString district = piece.trimmed();
        if (!district.isEmpty())
            districts << district;
    }
    return districts;
}

bool NumberedBefore(const QString& a, const QString& b) {
    const auto na = ParseInteger(a), nb = ParseInteger(b);
    if (na && nb)
        return *na < *nb;
    if (na || nb)
        return bool(na);
    return a < b;
}

QString Fixed2(double value) {
    return FormatFixed(value, 2);
}

QString ZoneCaptionSuffix() {
    return QStringLiteral(" ЕКОНОМІКО-ПЛАНУВАЛЬНА ЗОНА");
}

} // namespace reports
