#include "valuation/TaxRates.h"
#include "db/Database.h"
#include "tests/support/QueryRows.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

/** The tax of a plot, or the reason there is none. */
QString taxOrReason(const TaxRates& rates, const QString& purpose, const QString& category,
                    const QString& value) {
    QString tax;
    QString reason;
    return YearlyLandTax(rates, purpose, category, value, &tax, &reason) ? tax : reason;
}

} // namespace

TEST(TaxRates, ThePurposeCodeWinsOverItsSectionAndTheSectionOverTheCategory) {
    TaxRates rates;
    rates.add(QStringLiteral("02.01"), QStringLiteral("0.1"));
    rates.add(QStringLiteral("2"), QStringLiteral("0,5"));
    rates.add(QStringLiteral("к"), QStringLiteral("3"));
    EXPECT_EQ(taxOrReason(rates, QStringLiteral("02.01"), QStringLiteral("Ж"),
                          QStringLiteral("119700.00")),
              QStringLiteral("119.70"));
    EXPECT_EQ(taxOrReason(rates, QStringLiteral("02.03"), QStringLiteral("Ж"),
                          QStringLiteral("119700.00")),
              QStringLiteral("598.50"));
    EXPECT_EQ(
        taxOrReason(rates, QStringLiteral("03.07"), QStringLiteral("К"), QStringLiteral("1000.05")),
        QStringLiteral("30.00"));
    EXPECT_EQ(
        taxOrReason(rates, QStringLiteral("11.02"), QStringLiteral("П"), QStringLiteral("1000")),
        QStringLiteral("Ставки земельного податку для призначення «11.02» чи категорії «П» "
                       "у довіднику «ставки_податку» немає."));
}

TEST(TaxRates, ARateThatIsNoPercentIsRefused) {
    TaxRates rates;
    rates.add(QStringLiteral("Ж"), QStringLiteral("три"));
    rates.add(QStringLiteral("П"), QStringLiteral("120"));
    EXPECT_EQ(taxOrReason(rates, QString(), QStringLiteral("Ж"), QStringLiteral("10")),
              QStringLiteral("Ставка земельного податку «три» не є відсотком від 0 до 100."));
    EXPECT_EQ(taxOrReason(rates, QString(), QStringLiteral("П"), QStringLiteral("10")),
              QStringLiteral("Ставка земельного податку «120» не є відсотком від 0 до 100."));
}

TEST(TaxRates, AreReadFromTheCatalogue) {
    QTemporaryDir dir;
    Connection db;
    ASSERT_TRUE(db.create(dir.filePath(QStringLiteral("baza.sqlite"))));
    TaxRates rates;
    QString error;
    EXPECT_FALSE(LoadTaxRates(db, rates, &error));
    ExecSql(db, QStringLiteral("CREATE TABLE ставки_податку (id AUTOINCREMENT, код nvarchar (10), "
                               "ставка nvarchar (20))"));
    ExecSql(db, QStringLiteral("INSERT INTO ставки_податку (код, ставка) VALUES ('Ж', '1')"));
    ASSERT_TRUE(LoadTaxRates(db, rates, &error)) << error.toStdString();
    EXPECT_EQ(rates.rateFor(QStringLiteral("02.01"), QStringLiteral("ж")), QStringLiteral("1"));
}
