#include "gis/LandTax.h"

#include "common/LastError.h"
#include "common/TextUtils.h"
#include "valuation/Formulas.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

bool ReadTaxRates(const QString& path, TaxRates& rates, QString* error) {
    rates = TaxRates();
    QSet<QString> given;
    QFile file(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return FailWith(error, QStringLiteral("Файл ставок \"%1\" неможливо відкрити.").arg(shown));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        static const QRegularExpression separators(QStringLiteral("[;\\t]"));
        QStringList cells = line.split(separators);
        if (cells.size() == 1)
            cells = line.split(u',');
        QString rateText = cells.size() == 2 ? cells[1].trimmed() : QString();
        rateText.replace(u',', u'.');
        const QString code = cells[0].trimmed();
        const std::optional<double> rate = ParseNumber(rateText);
        if (cells.size() != 2 || code.isEmpty() || !rate) {
            if (n == 0 && cells.size() == 2)
                continue; // a heading
            return FailWith(error, QStringLiteral("Файл ставок \"%1\", рядок %2: очікується "
                                                  "\"КОД;СТАВКА\", а не \"%3\".")
                                       .arg(shown)
                                       .arg(n + 1)
                                       .arg(line));
        }
        if (*rate < 0 || *rate > 100)
            return FailWith(error, QStringLiteral("Файл ставок \"%1\", рядок %2: ставка %3 % "
                                                  "не лежить між 0 і 100.")
                                       .arg(shown)
                                       .arg(n + 1)
                                       .arg(rateText));
        if (const QString key = code.toUpper(); given.contains(key))
            return FailWith(error, QStringLiteral("Файл ставок \"%1\", рядок %2: ставку для "
                                                  "«%3» уже задано.")
                                       .arg(shown)
                                       .arg(n + 1)
                                       .arg(code));
        given.insert(code.toUpper());
        rates.add(code, rateText);
    }
    if (rates.isEmpty())
        return FailWith(error, QStringLiteral("У файлі ставок \"%1\" немає жодної ставки "
                                              "(рядки \"КОД;СТАВКА\").")
                                   .arg(shown));
    return true;
}

void ApplyLandTax(const TaxRates& rates, const std::vector<RegisterPlot>& plots,
                  std::vector<ValuedPlot>& valued) {
    for (size_t i = 0; i < plots.size() && i < valued.size(); ++i) {
        ValuedPlot& v = valued[i];
        if (!v.valued)
            continue;
        const QString& base =
            v.valuation.indexedValue.isEmpty() ? v.valuation.value : v.valuation.indexedValue;
        QString tax;
        if (!YearlyLandTax(rates, plots[i].purpose, v.valuation.use, base, &tax, nullptr))
            continue; // no rate for it: the register leaves its tax empty
        v.taxRate = valuation::Fixed(
            NumberOr0(rates.rateFor(plots[i].purpose, v.valuation.use).replace(u',', u'.')), 3);
        v.tax = tax;
    }
}
