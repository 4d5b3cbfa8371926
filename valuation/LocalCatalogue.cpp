#include "valuation/LocalCatalogue.h"

#include "common/TextUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"

bool LocalFactor::outOfRange(const QString& value) const {
    if (value.trimmed().isEmpty())
        return false;
    const std::optional<double> low = ParseNumber(min);
    const std::optional<double> high = ParseNumber(max);
    if (!low || !high)
        return false;
    const std::optional<double> number = ParseNumber(value);
    // Compared as the grid shows them, so "0.950" is not outside "0.95".
    return !number || RoundTo(*number, 6) < RoundTo(*low, 6) ||
           RoundTo(*number, 6) > RoundTo(*high, 6);
}

bool ReadLocalCatalogue(Connection& catalogue, std::vector<LocalFactor>& factors, QString* error) {
    factors.clear();
    Query query(&catalogue);
    if (!RunQuery(query, QStringLiteral("SELECT * FROM локальні ORDER BY id"), true))
        return FailReading(error, QStringLiteral("локальні"));
    const int name = query.fieldIndex(QStringLiteral("назва_коротко"));
    const int fullName = query.fieldIndex(QStringLiteral("назва_фактору"));
    const int min = query.fieldIndex(QStringLiteral("мин"));
    const int max = query.fieldIndex(QStringLiteral("макс"));
    int number = 0;
    for (query.first(); !query.eof(); query.next())
        factors.push_back(LocalFactor{++number, query.text(name), query.text(min), query.text(max),
                                      query.text(fullName)});
    return true;
}

const LocalFactor* FindLocalFactor(const std::vector<LocalFactor>& factors, int number) {
    if (number < 1 || number > static_cast<int>(factors.size()))
        return nullptr;
    return &factors[static_cast<size_t>(number - 1)];
}
