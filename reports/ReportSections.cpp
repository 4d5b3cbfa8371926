#include "reports/ReportSections.h"

#include "valuation/Formulas.h"
#include "valuation/Names.h"
#include "valuation/Settlement.h"
#include "valuation/StepNames.h"

#include "common/TextUtils.h"

#include <QHash>
#include <QSet>
#include <optional>

namespace reports::detail {

namespace {

/** The largest and the smallest of the values of a column that read as numbers. */
class Extremes {
public:
    void add(const QString& text) {
        const auto v = ParseNumber(text);
        if (!v)
            return;
        m_max = m_max ? std::max(*m_max, *v) : *v;
        m_min = m_min ? std::min(*m_min, *v) : *v;
    }
    QString max() const { return m_max ? Fixed2(*m_max) : QString(); }
    QString min() const { return m_min ? Fixed2(*m_min) : QString(); }

private:
    std::optional<double> m_max;
    std::optional<double> m_min;
};

/**
 * Writes the "Максим." and "Мінім." rows below the data rows; `columns` are the table's
 * columns of the values, from `firstColumn` on.
 */
void WriteExtremes(WordTable& t, int row, int firstColumn, const std::vector<Extremes>& columns) {
    t.setCellText(row, 1, QStringLiteral("Максим."));
    t.setCellText(row + 1, 1, QStringLiteral("Мінім."));
    for (size_t i = 0; i < columns.size(); ++i) {
        const int column = firstColumn + static_cast<int>(i);
        t.setCellText(row, column, columns[i].max());
        t.setCellText(row + 1, column, columns[i].min());
    }
}

/** Indices of the named fields of the writer's query. */
std::vector<int> Fields(const Query& q, std::initializer_list<const char*> names) {
    std::vector<int> indices;
    for (const char* name : names)
        indices.push_back(q.fieldIndex(QString::fromUtf8(name)));
    return indices;
}

/** A table of one row per record: the listed fields into columns 1, 2, ... from row 3. */
void FillPlainRows(SectionWriter& w, WordTable& t, const QString& sql, const QString& table,
                   std::initializer_list<const char*> names) {
    if (!w.select(sql, table) || w.query.recordCount() == 0)
        return;
    Query& q = w.query;
    const std::vector<int> fields = Fields(q, names);
    w.insertRows(t, 3, q.recordCount() - 1);
    w.beginRows(q.recordCount());
    int row = 3;
    for (q.first(); !q.eof(); q.next(), ++row) {
        for (size_t i = 0; i < fields.size(); ++i)
            t.setCellText(row, static_cast<int>(i) + 1, q.text(fields[i]));
        if (w.rowDone())
            break;
    }
}

} // namespace

void FillGeneralData(SectionWriter& w, WordTable& t) {
    if (!w.select(QStringLiteral("SELECT * FROM показники ORDER BY id"),
                  QStringLiteral("показники")) ||
        w.query.recordCount() == 0)
        return;
    Query& q = w.query;
    const std::vector<int> f = Fields(q, {"показник", "значення"});
    w.insertRows(t, 3, q.recordCount() - 1);
    w.beginRows(q.recordCount());
    // The entries by name for the title page (the first of a name wins).
    QHash<QString, QString> information;
    int row = 3;
    bool stopped = false;
    for (q.first(); !q.eof(); q.next(), ++row) {
        const QString name = q.text(f[0]);
        const QString value = q.text(f[1]);
        if (!information.contains(name.trimmed()))
            information.insert(name.trimmed(), value.trimmed());
        if (stopped)
            continue;
        t.setCellText(row, 1, name);
        t.setCellText(row, 2, value);
        stopped = w.rowDone();
    }
    FillTitlePage(w.document, information);
}

void FillCosts(SectionWriter& w, WordTable& t) {
    if (!w.select(QStringLiteral("SELECT * FROM витрати WHERE всього<>'' ORDER BY id"),
                  QStringLiteral("витрати")) ||
        w.query.recordCount() == 0)
        return;
    Query& q = w.query;
    const std::vector<int> f =
        Fields(q, {"категорія", "назва", "од_виміру", "кількість", "всього"});
    // A category starts at every record whose category differs from the one before, so a
    // category that comes back later is a category of its own.
    std::vector<double> sums;
    double total = 0;
    QString previous;
    for (q.first(); !q.eof(); q.next()) {
        const QString category = q.text(f[0]);
        if (sums.empty() || category != previous)
            sums.push_back(0);
        previous = category;
        const double value = NumberOr0(q.text(f[4]));
        sums.back() += value;
        total += value;
    }
    const int extra = q.recordCount() - 1 + static_cast<int>(sums.size());
    w.insertRows(t, 4, extra);
    // The template's rows below the items: the total, then the cost of 1 sq m (В).
    const int totalRow = 5 + extra;
    if (totalRow <= t.rowCount()) {
        t.setCellText(totalRow, 4, Fixed2(total));
        t.setCellText(totalRow, 5, total > 0 ? Fixed2(100) : QString());
        for (int c : {4, 5})
            t.setCellBold(totalRow, c, true);
    }
    if (totalRow + 1 <= t.rowCount()) {
        t.setCellText(totalRow + 1, 4, w.settlement.indicator(names::ind::DevelopmentCost()));
        t.setCellBold(totalRow + 1, 4, true);
    }
    FillCostFormula(w.document, w.settlement, total);
    w.beginRows(q.recordCount());
    int row = 3;
    int category = -1;
    for (q.first(); !q.eof(); q.next()) {
        const QString name = q.text(f[0]);
        if (category < 0 || name != previous) {
            ++category;
            ++row;
            const double sum = sums[static_cast<size_t>(category)];
            t.setCellText(row, 1, name + u':');
            t.setCellBold(row, 1, true);
            t.setCellText(row, 4, Fixed2(sum));
            t.setCellText(row, 5, Fixed2(total > 0 ? sum * 100 / total : 0));
        }
        previous = name;
        ++row;
        for (int c = 1; c <= 4; ++c)
            t.setCellText(row, c, q.text(f[static_cast<size_t>(c)]));
        if (w.rowDone())
            break;
    }
}

void FillLandStructure(SectionWriter& w, WordTable& t) {
    static const QStringList rows{
        names::ind::TotalArea(),
        names::ind::AssessedArea(),
        names::ind::BuiltUp(),
        names::ind::BuiltUpHousing(),
        names::ind::BuiltUpIndustry(),
        names::ind::BuiltUpPublic(),
        names::ind::BuiltUpCommercial(),
        names::ind::BuiltUpTransport(),
        names::ind::BuiltUpInfrastructure(),
        names::ind::BuiltUpMixed(),
        names::ind::BuiltUpRecreation(),
        names::ind::HouseholdPlots(),
        names::ind::OtherLand(),
        names::ind::NotCounted(),
        names::ind::NotCountedFarmland(),
        names::ind::NotCountedForest(),
        names::ind::NotCountedOpen(),
        names::ind::NotCountedWater(),
        names::ind::NotCountedRailway(),
        names::ind::NotCountedAirport(),
    };
    // The indicators as the valuation model read them for the whole report.
    const Indicators& indicators = w.settlement.indicators;
    w.beginRows(static_cast<int>(rows.size()));
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (indicators.has(rows[i]))
            t.setCellText(static_cast<int>(i) + 3, 2, indicators.value(rows[i]));
        if (w.rowDone())
            break;
    }
}

void FillDistricts(SectionWriter& w, WordTable& t) {
    if (!w.select(QStringLiteral("SELECT * FROM характеристика WHERE показник='Площі районів' "
                                 "ORDER BY cint(код)"),
                  QStringLiteral("характеристика")) ||
        w.query.recordCount() == 0)
        return;
    Query& q = w.query;
    const std::vector<int> f = Fields(q, {"код", "значення", "значення2"});
    w.insertRows(t, 3, q.recordCount() - 1);
    w.beginRows(q.recordCount());
    int row = 3;
    for (q.first(); !q.eof(); q.next(), ++row) {
        t.setCellText(row, 1, q.text(f[0]));
        t.setCellText(row, 2, q.text(f[1]));
        t.setCellText(row, 3, FieldOf(q.text(f[2]), QStringLiteral("|"), QString(), 2));
        if (w.rowDone())
            break;
    }
}

namespace {

/**
 * The rows of "км2" by district when the settlement was structured by the weighted average
 * (`grouped` false: empty Si) or by Si, Ei, Ui, Ci (`grouped` true); false when the other
 * variant applies or there are no rows. The table of the other variant is not wanted in the
 * report, nor the grouped one when there is no zoning yet (the weighted one stays, empty).
 */
bool SelectIndexRows(SectionWriter& w, WordTable& t, bool grouped) {
    if (!w.select(QStringLiteral("SELECT * FROM км2 ORDER BY cint(район)"), QStringLiteral("км2")))
        return false;
    if (w.query.recordCount() == 0) {
        if (grouped)
            w.unused.push_back(t);
        return false;
    }
    w.query.first();
    const bool mine = w.query.text(QStringLiteral("si")).isEmpty() != grouped;
    if (!mine)
        w.unused.push_back(t);
    return mine;
}

} // namespace

void FillWeightedIndex(SectionWriter& w, WordTable& t) {
    if (!SelectIndexRows(w, t, false))
        return;
    Query& q = w.query;
    const std::vector<int> f = Fields(q, {"район", "сума", "середній", "іі", "середньозваж"});
    const int records = q.recordCount();
    w.insertRows(t, 3, records - 1);
    w.beginRows(records);
    int row = 3;
    QString weighted;
    for (q.first(); !q.eof(); q.next(), ++row) {
        for (int c = 1; c <= 4; ++c)
            t.setCellText(row, c, q.text(f[static_cast<size_t>(c - 1)]));
        weighted = q.text(f[4]);
        if (w.rowDone())
            break;
    }
    // The template's summary row below the data rows.
    t.setCellText(3 + records, 2, weighted);
}

void FillGroupedIndex(SectionWriter& w, WordTable& t) {
    if (!SelectIndexRows(w, t, true))
        return;
    Query& q = w.query;
    const std::vector<int> f = Fields(q, {"район", "si", "ei", "ui", "ci", "іі"});
    const int records = q.recordCount();
    w.insertRows(t, 3, records + 1);
    w.beginRows(records);
    std::vector<Extremes> extremes(5);
    int row = 3;
    for (q.first(); !q.eof(); q.next(), ++row) {
        for (int c = 1; c <= 6; ++c) {
            const QString text = q.text(f[static_cast<size_t>(c - 1)]);
            t.setCellText(row, c, text);
            if (c >= 2)
                extremes[static_cast<size_t>(c - 2)].add(text);
        }
        if (w.rowDone())
            break;
    }
    WriteExtremes(t, 3 + records, 2, extremes);
}

void FillZonalKm2(SectionWriter& w, WordTable& t) {
    if (!w.select(QStringLiteral("SELECT * FROM км2 ORDER BY cint(зона),cint(район)"),
                  QStringLiteral("км2")) ||
        w.query.recordCount() == 0)
        return;
    Query& q = w.query;
    const std::vector<int> f = Fields(q, {"зона", "район", "іі", "км2", "вартість"});
    const int records = q.recordCount();
    w.insertRows(t, 3, records + 1);
    w.beginRows(records);
    std::vector<Extremes> extremes(3);
    int row = 3;
    for (q.first(); !q.eof(); q.next(), ++row) {
        for (int c = 1; c <= 5; ++c) {
            const QString text = q.text(f[static_cast<size_t>(c - 1)]);
            t.setCellText(row, c, text);
            if (c >= 3)
                extremes[static_cast<size_t>(c - 3)].add(text);
        }
        if (w.rowDone())
            break;
    }
    WriteExtremes(t, 3 + records, 3, extremes);
}

void FillLocalFactors(SectionWriter& w, WordTable& t) {
    // A row per factor, in the order factors first appear, with the range of its coefficient
    // over the districts where it acts; the values district by district are the workbook's.
    // Tens of thousands of rows are read as the database keeps them: a few factors' texts made.
    struct Range {
        QString factor;
        Extremes values;
        QString firstText; // for a factor whose values are no numbers
    };
    std::vector<Range> ranges;
    QHash<QString, size_t> byFactor;
    ShortTextCache texts;
    int factor = -1, coefficient = -1;
    const auto take = [&](const Utf8Row& r) {
        if (factor < 0) {
            factor = r.columnIndex("фактор");
            coefficient = r.columnIndex("коефіціент");
        }
        const QString name = texts.value(r, factor);
        const QString value = texts.value(r, coefficient);
        auto found = byFactor.constFind(name);
        if (found == byFactor.constEnd()) {
            found = byFactor.insert(name, ranges.size());
            ranges.push_back({name, {}, value});
        }
        ranges[*found].values.add(value);
    };
    if (!w.readRows(QStringLiteral("SELECT фактор, коефіціент FROM локальні WHERE "
                                   "коефіціент<>'' ORDER BY id"),
                    QStringLiteral("локальні"), take) ||
        ranges.empty())
        return;
    w.insertRows(t, 3, static_cast<int>(ranges.size()) - 1);
    w.beginRows(static_cast<int>(ranges.size()));
    int row = 3;
    for (const Range& range : ranges) {
        // A number outside the catalogue gets no name; the row stays in its place.
        QString name;
        const auto n = ParseInteger(range.factor);
        if (n && *n >= 1 && *n <= static_cast<long long>(w.factorNames.size()))
            name = w.factorNames[static_cast<size_t>(*n - 1)].brief;
        t.setCellText(row, 1, name);
        const QString low = range.values.min();
        const QString high = range.values.max();
        t.setCellText(row, 2,
                      low.isEmpty() ? range.firstText
                      : low == high ? low
                                    : low + QStringLiteral("–") + high);
        ++row;
        if (w.rowDone())
            break;
    }
}

void FillFunctionalValues(SectionWriter& w, WordTable& t) {
    const valuation::Settlement& settlement = w.settlement;
    if (settlement.zones.empty())
        return;
    // The columns: commercial, industrial, housing, transport, public, technical, recreation.
    static const int columns[] = {1, 3, 2, 5, 4, 6, 7};
    const int count = static_cast<int>(settlement.zones.size());
    w.insertRows(t, 5, count - 1);
    w.beginRows(count);
    int row = 5;
    for (const valuation::Zone& zone : settlement.zones) {
        t.setCellText(row, 1, zone.number);
        t.setCellText(row, 2, zone.km2);
        t.setCellText(row, 3, zone.value);
        // A zone without Km2 gets no values rather than 0.00.
        const std::optional<double> value = ParseNumber(zone.value);
        int column = 4;
        for (int k : columns) {
            t.setCellText(row, column++,
                          value ? Fixed2(valuation::ValuePerSqM(
                                      *value, valuation::KfOfColumn(k).value_or(1.0), 1.0))
                                : QString());
        }
        ++row;
        if (w.rowDone())
            break;
    }
}

void FillZoneBorders(SectionWriter& w, WordTable& t) {
    FillPlainRows(w, t, QStringLiteral("SELECT * FROM зони ORDER BY cint(зона),райони"),
                  names::table::Zones(), {"зона", "райони", "опис"});
}

void FillPlots(SectionWriter& w, WordTable& t) {
    if (!w.select(QStringLiteral("SELECT * FROM ділянки ORDER BY id"), QStringLiteral("ділянки")) ||
        w.query.recordCount() == 0)
        return;
    Query& q = w.query;
    const std::vector<int> f = Fields(
        q, {"номер", "назва", "район", "шифр", "площа", "розрахункова", "базова", "загальна"});
    // Plot 3 as the step stores it: its summary row first (the plot's name), then the
    // built-up part "0" and the parts "1" to "4". Its first row is the summary then, whatever
    // its name; rows of an incomplete plot 3 go by their names alone.
    int plot3Rows = 0;
    for (q.first(); !q.eof(); q.next())
        plot3Rows += q.text(f[0]) == QLatin1String("3");
    bool firstOfPlot3 = true;
    w.beginRows(q.recordCount());
    for (q.first(); !q.eof(); q.next()) {
        const QString number = q.text(f[0]);
        const QString name = q.text(f[1]);
        int row = 0;
        if (number == QLatin1String("1"))
            row = 3;
        else if (number == QLatin1String("2"))
            row = 4;
        else if (number == QLatin1String("3")) {
            row = 5;
            static const QStringList parts{QStringLiteral("0"), QStringLiteral("1"),
                                           QStringLiteral("2"), QStringLiteral("3"),
                                           QStringLiteral("4")};
            const bool summary = firstOfPlot3 && plot3Rows >= 6;
            firstOfPlot3 = false;
            if (const qsizetype part = parts.indexOf(name); part >= 0 && !summary)
                row = 6 + static_cast<int>(part);
        }
        // The plots carry the names the valuer gave them.
        if (row >= 3 && row <= 5 && !name.trimmed().isEmpty() && t.rowCount() >= row) {
            t.setCellText(row, 2,
                          row == 5 ? name.trimmed() + QStringLiteral(", усього") : name.trimmed());
            if (row == 5)
                t.setCellBold(row, 2, true);
        }
        // A record of no known plot has no row of its own and is left out.
        if (row > 0) {
            const QString code = q.text(f[3]);
            t.setCellText(row, 3, q.text(f[2]));
            t.setCellText(row, 4, code);
            t.setCellText(row, 5, q.text(f[4]));
            if (code.isEmpty())
                t.setCellText(row, 6, q.text(f[5]));
            else
                t.setCellText(row, 7, q.text(f[6]));
            t.setCellText(row, 8, q.text(f[7]));
        }
        if (w.rowDone())
            break;
    }
}

} // namespace reports::detail
