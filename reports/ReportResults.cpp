// The report's text where it names the settlement's facts and results: the title page's
// requisites, and В, Км1 and Цнм with the numbers put into their formulas.
#include "reports/ReportSections.h"

#include "common/TextUtils.h"
#include "valuation/Formulas.h"
#include "valuation/StepNames.h"

#include <optional>

namespace reports::detail {

namespace {

/** Writes a bookmark's text when the document has the bookmark and the text is not empty. */
void Put(WordDocument& document, const QString& bookmark, const QString& text) {
    if (!text.isEmpty() && document.hasBookmark(bookmark))
        document.setBookmarkText(bookmark, text);
}

/**
 * "Цнм = 23.62 × 6 / 3 × 1.200 = 56.69 грн/м²"; the value alone when В or Км1 is missing;
 * a value typed over the computed one says so, with the computed value beside it.
 */
QString AverageFormula(const QString& cost, const QString& km1, const QString& average) {
    if (average.isEmpty())
        return QString();
    const QString numbers = cost + QStringLiteral(" × 6 / 3 × ") + km1 + QStringLiteral(" = ");
    const QString computed =
        cost.isEmpty() || km1.isEmpty() ? QString() : valuation::AverageValue(cost, km1);
    if (computed.isEmpty())
        return QStringLiteral("Цнм = ") + average + QStringLiteral(" грн/м²");
    if (ParseNumber(computed) == ParseNumber(average))
        return QStringLiteral("Цнм = ") + numbers + average + QStringLiteral(" грн/м²");
    return QStringLiteral("Цнм = ") + average +
           QStringLiteral(" грн/м² (уведено оцінювачем; за формулою Цнм = ") + numbers + computed +
           QStringLiteral(" грн/м²)");
}

/** "від 50.00 грн (зона 3) до 85.00 грн (зона 1)", or "" without zone values. */
QString ZoneValueRange(const valuation::Settlement& settlement) {
    const valuation::Zone* low = nullptr;
    const valuation::Zone* high = nullptr;
    for (const valuation::Zone& zone : settlement.zones) {
        const std::optional<double> v = ParseNumber(zone.value);
        if (!v)
            continue;
        if (!low || *v < NumberOr0(low->value))
            low = &zone;
        if (!high || *v > NumberOr0(high->value))
            high = &zone;
    }
    if (!low)
        return QString();
    if (low == high || NumberOr0(low->value) == NumberOr0(high->value))
        return low->value + QStringLiteral(" грн");
    return QStringLiteral("від %1 грн (зона %2) до %3 грн (зона %4)")
        .arg(low->value, low->number, high->value, high->number);
}

} // namespace

void FillTitlePage(WordDocument& document, const QHash<QString, QString>& information) {
    Put(document, QStringLiteral("CLIENT"), information.value(QStringLiteral("Замовник")));
    Put(document, QStringLiteral("CONTRACTOR"), information.value(QStringLiteral("Виконавець")));
    Put(document, QStringLiteral("YEAR"), information.value(QStringLiteral("Рік оцінки")));
    // "село, Демонстраційна сільська рада, Київська область": what of it is known.
    QStringList status;
    for (const char* name : {"Адміністративний статус", "Рада", "Район", "Область"}) {
        const QString value = information.value(QString::fromUtf8(name));
        if (!value.isEmpty())
            status << value;
    }
    Put(document, QStringLiteral("STATUS"), status.join(QStringLiteral(", ")));
}

void FillCostFormula(WordDocument& document, const valuation::Settlement& settlement,
                     double totalThousands) {
    const QString cost = settlement.indicator(names::ind::DevelopmentCost()).trimmed();
    const QString area = settlement.indicator(names::ind::AssessedArea()).trimmed();
    if (cost.isEmpty())
        return;
    // The formula as the text explains it, then the numbers put into it.
    QString text = QStringLiteral("В = Вз × 1000 / (Sот × 10 000) = ");
    const QString numbers = Fixed2(totalThousands) + QStringLiteral(" × 1000 / (") + area +
                            QStringLiteral(" × 10 000) = ");
    const QString computed = valuation::DevelopmentCost(totalThousands, area);
    if (ParseNumber(computed) == ParseNumber(cost)) {
        text += numbers + cost;
    } else {
        // The costs changed since В was stored: the stored value, and what they give now.
        text += cost;
        if (!computed.isEmpty())
            text +=
                QStringLiteral(" грн/м² (за статтями витрат тепер ") + numbers + computed + u')';
    }
    Put(document, QStringLiteral("COSTS"), text + QStringLiteral(" грн/м²"));
}

void FillKeyResults(WordDocument& document, const valuation::Settlement& settlement) {
    const QString cost = settlement.indicator(names::ind::DevelopmentCost()).trimmed();
    const QString km1 = settlement.indicator(names::ind::Km1()).trimmed();
    const QString average = settlement.averageValueText().trimmed();
    const QString averageText = AverageFormula(cost, km1, average);
    Put(document, QStringLiteral("KM1"), km1);
    Put(document, QStringLiteral("AVERAGE"), averageText);

    const QString missing = QStringLiteral("не визначено");
    QString results =
        QStringLiteral("Основні показники оцінки: витрати на освоєння та облаштування "
                       "території ") +
        (cost.isEmpty() ? QStringLiteral("В ") + missing
                        : QStringLiteral("В = ") + cost + QStringLiteral(" грн/м²")) +
        QStringLiteral("; регіональний коефіцієнт Км1 ") +
        (km1.isEmpty() ? missing : QStringLiteral("= ") + km1) +
        QStringLiteral("; середня (базова) вартість 1 м² земель населеного пункту ") +
        (averageText.isEmpty() ? QStringLiteral("Цнм ") + missing : averageText);
    const QString zones = ZoneValueRange(settlement);
    if (!zones.isEmpty())
        results += QStringLiteral("; вартість 1 м² земель в економіко-планувальних зонах ") + zones;
    Put(document, QStringLiteral("RESULTS"), results + u'.');
}

} // namespace reports::detail
