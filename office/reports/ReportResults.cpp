// The report's text where it names the settlement's facts and results: the title page's
// requisites, and В, Км1 and Цнм with the numbers put into their formulas.
#include "office/reports/ReportSections.h"

#include "common/TextUtils.h"
#include "db/QueryFunctions.h"

#include <QHash>
#include <algorithm>
#include <optional>

namespace reports::detail {

namespace {

/** The entries of the settlement information by name (the first of a name wins). */
QHash<QString, QString> ReadInformation(Connection* data) {
    QHash<QString, QString> facts;
    Query q(data);
    if (!RunQuery(q, QStringLiteral("SELECT показник, значення FROM показники ORDER BY id"), true))
        return facts;
    for (q.first(); !q.eof(); q.next()) {
        const QString name = q.text(0).trimmed();
        if (!facts.contains(name))
            facts.insert(name, q.text(1).trimmed());
    }
    q.close();
    return facts;
}

/** Writes a bookmark's text when the document has the bookmark and the text is not empty. */
void Put(WordDocument& document, const QString& bookmark, const QString& text) {
    if (!text.isEmpty() && document.hasBookmark(bookmark))
        document.setBookmarkText(bookmark, text);
}

/** The sum of the stored costs ("всього", thousands of hryvnias); nothing without costs. */
std::optional<double> TotalCosts(Connection* data) {
    Query q(data);
    if (!RunQuery(q, QStringLiteral("SELECT всього FROM витрати WHERE всього<>''"), true) ||
        q.eof())
        return std::nullopt;
    double total = 0;
    for (q.first(); !q.eof(); q.next())
        total += NumberOr0(q.text(0));
    q.close();
    return total;
}

/** "В = 1234.50 × 1000 / (52.3000 × 10 000) = 23.62 грн/м²", or less when data are missing. */
QString CostsFormula(const QString& cost, std::optional<double> total, const QString& area) {
    if (cost.isEmpty())
        return QString();
    QString text = QStringLiteral("В = ");
    if (total && ParseNumber(area))
        text +=
            Fixed2(*total) + QStringLiteral(" × 1000 / (") + area + QStringLiteral(" × 10 000) = ");
    return text + cost + QStringLiteral(" грн/м²");
}

/** "Цнм = 23.62 × 6 / 3 × 1.200 = 56.69 грн/м²", or less when data are missing. */
QString AverageFormula(const QString& cost, const QString& km1, const QString& average) {
    if (average.isEmpty())
        return QString();
    QString text = QStringLiteral("Цнм = ");
    if (!cost.isEmpty() && !km1.isEmpty())
        text += cost + QStringLiteral(" × 6 / 3 × ") + km1 + QStringLiteral(" = ");
    return text + average + QStringLiteral(" грн/м²");
}

/** "від 50.00 грн (зона 3) до 85.00 грн (зона 1)", or "" without zone values. */
QString ZoneValueRange(Connection* data) {
    Query q(data);
    const QHash<QString, ZoneValue> zones = ReadZoneValues(q);
    std::optional<std::pair<double, QString>> low, high;
    for (auto it = zones.cbegin(); it != zones.cend(); ++it) {
        const auto v = ParseNumber(it.value().value);
        if (!v || it.key().isEmpty())
            continue;
        if (!low || *v < low->first)
            low = std::pair{*v, it.key()};
        if (!high || *v > high->first)
            high = std::pair{*v, it.key()};
    }
    if (!low)
        return QString();
    if (low->first == high->first)
        return Fixed2(low->first) + QStringLiteral(" грн");
    return QStringLiteral("від %1 грн (зона %2) до %3 грн (зона %4)")
        .arg(Fixed2(low->first), low->second, Fixed2(high->first), high->second);
}

} // namespace

void FillTitlePage(WordDocument& document, const ReportContext& context) {
    if (!context.data)
        return;
    const QHash<QString, QString> facts = ReadInformation(context.data);
    Put(document, QStringLiteral("CLIENT"), facts.value(QStringLiteral("Замовник")));
    Put(document, QStringLiteral("CONTRACTOR"), facts.value(QStringLiteral("Виконавець")));
    Put(document, QStringLiteral("YEAR"), facts.value(QStringLiteral("Рік оцінки")));
    // "село, Демонстраційна сільська рада, Київська область": what of it is known.
    QStringList status;
    for (const char* name : {"Адміністративний статус", "Рада", "Район", "Область"}) {
        const QString value = facts.value(QString::fromUtf8(name));
        if (!value.isEmpty())
            status << value;
    }
    Put(document, QStringLiteral("STATUS"), status.join(QStringLiteral(", ")));
}

void FillKeyResults(WordDocument& document, const ReportContext& context) {
    if (!context.data)
        return;
    Query q(context.data);
    const QString cost = ReadIndicator(q, QStringLiteral("Витрати на освоювання")).trimmed();
    const QString km1 = ReadIndicator(q, QStringLiteral("Км1")).trimmed();
    const QString average = ReadIndicator(q, QStringLiteral("Середня вартість 1 кв м")).trimmed();
    const QString area = ReadIndicator(q, QStringLiteral("Оціночна територія")).trimmed();
    const QString costs = CostsFormula(cost, TotalCosts(context.data), area);
    const QString averageText = AverageFormula(cost, km1, average);
    Put(document, QStringLiteral("COSTS"), costs);
    Put(document, QStringLiteral("KM1"), km1);
    Put(document, QStringLiteral("AVERAGE"), averageText);

    const QString missing = QStringLiteral("не визначено");
    QString results = QStringLiteral("Основні показники оцінки: витрати на освоєння та "
                                     "облаштування території ") +
                      (cost.isEmpty() ? QStringLiteral("В ") + missing
                                      : QStringLiteral("В = ") + cost + QStringLiteral(" грн/м²")) +
                      QStringLiteral("; регіональний коефіцієнт Км1 ") +
                      (km1.isEmpty() ? missing : QStringLiteral("= ") + km1) +
                      QStringLiteral("; середня (базова) вартість 1 м² земель населеного пункту ") +
                      (averageText.isEmpty() ? QStringLiteral("Цнм ") + missing : averageText);
    const QString zones = ZoneValueRange(context.data);
    if (!zones.isEmpty())
        results += QStringLiteral("; вартість 1 м² земель в економіко-планувальних зонах ") + zones;
    Put(document, QStringLiteral("RESULTS"), results + u'.');
}

} // namespace reports::detail
