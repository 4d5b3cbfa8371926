#include "valuation/Districts.h"

#include "common/TextUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "valuation/Indicators.h"
#include "valuation/Names.h"

int ReadDistrictCount(Connection& project) {
    const std::optional<long long> count =
        ParseInteger(ReadIndicator(project, names::ind::DistrictCount()));
    return count && *count > 0 && *count <= MaxDistrictCount ? static_cast<int>(*count) : 0;
}

QString DistrictCountProblem(Connection& project) {
    const QString text = ReadIndicator(project, names::ind::DistrictCount()).trimmed();
    const std::optional<long long> count = ParseInteger(text);
    if (!count || *count <= MaxDistrictCount)
        return QString();
    return QStringLiteral("Кількість районів у базі населеного пункту (%1) більша за %2. "
                          "Задайте райони знову в кроці \"Визначення площ\".")
        .arg(text)
        .arg(MaxDistrictCount);
}

bool ReadDistricts(Connection& project, DistrictOrder order, std::vector<District>& districts,
                   bool limit, QString* error) {
    districts.clear();
    // Never more rows than a district count may give, whatever the database says.
    const int count = limit ? ReadDistrictCount(project) : MaxDistrictCount;
    Query q(&project);
    if (!RunQuery(q,
                  QStringLiteral("SELECT * FROM характеристика WHERE показник='") +
                      names::ind::DistrictRows() +
                      (order == DistrictOrder::ByNumber ? QStringLiteral("' ORDER BY cint(код),id")
                                                        : QStringLiteral("' ORDER BY id")),
                  true))
        return FailReading(error, names::table::Indicators());
    const int code = q.fieldIndex(QStringLiteral("код"));
    const int value = q.fieldIndex(QStringLiteral("значення"));
    const int value2 = q.fieldIndex(QStringLiteral("значення2"));
    for (q.first(); !q.eof(); q.next()) {
        if (count >= 0 && static_cast<int>(districts.size()) >= count)
            break;
        const auto [mapArea, description] = SplitOnce(q.text(value2), QStringLiteral("|"));
        districts.push_back(District{q.text(code), q.text(value), mapArea, description});
    }
    return true;
}

std::vector<QString> DistrictNumbers(const std::vector<District>& districts) {
    std::vector<QString> numbers;
    numbers.reserve(districts.size());
    for (const District& d : districts)
        numbers.push_back(d.number);
    return numbers;
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
