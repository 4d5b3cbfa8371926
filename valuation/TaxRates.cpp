#include "valuation/TaxRates.h"

#include "common/TextUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "valuation/Formulas.h"
#include "valuation/LandUse.h"
#include "valuation/PurposeBook.h"

namespace {

bool fail(QString* reason, const QString& text) {
    if (reason)
        *reason = text;
    return false;
}

/** The key of a code: a purpose code in the classifier's form, or a category's code. */
QString keyOf(const QString& code) {
    const QString purpose = NormalPurposeCode(code);
    if (!purpose.isEmpty())
        return purpose;
    const int category = FunctionalCategoryOf(code);
    if (category > 0)
        return FunctionalCategories()[static_cast<size_t>(category - 1)].code;
    return code.trimmed().toUpper();
}

} // namespace

void TaxRates::add(const QString& code, const QString& percent) {
    if (!code.trimmed().isEmpty())
        m_rates.insert(keyOf(code), percent.trimmed());
}

QString TaxRates::rateFor(const QString& purpose, const QString& category) const {
    const QString code = NormalPurposeCode(purpose);
    if (!code.isEmpty()) {
        if (m_rates.contains(code))
            return m_rates.value(code);
        const QString section = code.left(2) + QStringLiteral(".00");
        if (m_rates.contains(section))
            return m_rates.value(section);
    }
    if (!category.trimmed().isEmpty())
        return m_rates.value(keyOf(category));
    return QString();
}

bool LoadTaxRates(Connection& catalogue, TaxRates& rates, QString* error) {
    rates = TaxRates();
    Query q(&catalogue);
    if (!RunQuery(q, QStringLiteral("SELECT код, ставка FROM ставки_податку ORDER BY id"), true))
        return FailReading(error, QStringLiteral("ставки_податку"));
    for (q.first(); !q.eof(); q.next())
        rates.add(q.text(0), q.text(1));
    return true;
}

bool YearlyLandTax(const TaxRates& rates, const QString& purpose, const QString& category,
                   const QString& value, QString* tax, QString* reason) {
    const QString rate = rates.rateFor(purpose, category);
    if (rate.isEmpty())
        return fail(reason, QStringLiteral("Ставки земельного податку для призначення «%1» чи "
                                           "категорії «%2» у довіднику «ставки_податку» немає.")
                                .arg(purpose.trimmed(), category.trimmed()));
    const std::optional<double> percent = ParseNumber(QString(rate).replace(u',', u'.'));
    if (!percent || *percent < 0 || *percent > 100)
        return fail(reason, QStringLiteral("Ставка земельного податку «%1» не є відсотком від 0 "
                                           "до 100.")
                                .arg(rate));
    const std::optional<double> amount = ParseNumber(value);
    if (!amount)
        return fail(reason,
                    QStringLiteral("Вартість ділянки «%1» не є числом.").arg(value.trimmed()));
    if (tax)
        *tax = valuation::LandTax(*amount, *percent);
    return true;
}
