#include "office/reports/Workbooks.h"

#include "common/TextUtils.h"
#include "db/QueryFunctions.h"
#include "office/OfficeError.h"
#include "office/OfficeJob.h"
#include "office/Workbook.h"
#include "office/reports/ReportData.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cmath>

namespace reports {

namespace {

/** Local-factor columns of both workbooks: factor n sits in column n + 7 or n + 8. */
constexpr int kFactorColumns = 30;

QString MissingDistricts() {
    return QStringLiteral("кількість районів (крок \"Визначення площ\")");
}
QString MissingAverage() {
    return QStringLiteral("середня вартість 1 кв м (крок \"Середня вартість\")");
}
QString MissingZones() {
    return QStringLiteral("зони (крок \"Земельно-оціночна структуризація середньо зважена\" або "
                          "\"Земельно-оціночна структуризація Si,Ci,Ei,Ui\")");
}
QString MissingStatement() {
    return QStringLiteral("відомість кварталів (крок \"Локальні фактори поквартально\")");
}

/**
 * The common start: the progress window prepared and the settlement's name written into the
 * first worksheet; null (with the job's error set) when there is no first worksheet.
 */
Worksheet* BeginWorkbook(Workbook& book, TMessages& messages, JobProgress& progress,
                         const QString& name, int nameColumn) {
    progress.setInfo(QStringLiteral("Підготовка..."));
    progress.showProgressBar(false);
    progress.enableStop(true);
    try {
        Worksheet& sheet = book.worksheet(1);
        sheet.setCellValue(1, nameColumn, name);
        return &sheet;
    } catch (const OfficeError& e) {
        messages.Error = QStringLiteral("Помилка пошуку аркуша.");
        messages.ErrorDetail = e.message();
    } catch (const std::exception& e) {
        messages.Error = QStringLiteral("Помилка пошуку аркуша.");
        messages.ErrorDetail = QString::fromLocal8Bit(e.what());
    }
    return nullptr;
}

/** The common end: the bar hidden and a stop reported. */
void EndWorkbook(TMessages& messages, JobProgress& progress) {
    progress.showProgressBar(false);
    if (progress.stopRequested())
        messages.Warning = OfficeTexts::stopped();
}

/**
 * Hides the columns of the local factors the settlement does not use (none of its district
 * factors and none of `used`) and numbers the visible columns in row 6 from `firstColumn` to
 * `lastColumn` (the factor columns and those after them).
 */
void HideUnusedFactors(Worksheet& sheet, Connection* data, int firstColumn, int lastColumn,
                       QSet<long long> used = {}) {
    Query q(data);
    if (RunQuery(q, QStringLiteral("SELECT DISTINCT фактор FROM локальні"), true)) {
        for (q.first(); !q.eof(); q.next()) {
            if (const auto n = ParseInteger(q.text(0)))
                used.insert(*n);
        }
        q.close();
        for (int n = 1; n <= kFactorColumns; ++n) {
            if (!used.contains(n))
                sheet.setColumnWidth(firstColumn + n - 1, 0);
        }
    }
    int number = firstColumn;
    for (int c = firstColumn; c <= lastColumn; ++c) {
        if (sheet.columnWidth(c) != 0)
            sheet.setCellValue(6, c, QString::number(number++));
    }
}

/** Writes a cell unless the value is empty (the template's rows below the heading are empty). */
void Put(Worksheet& sheet, int row, int column, const QString& text) {
    if (!text.isEmpty())
        sheet.setCellValue(row, column, text);
}

/**
 * Makes a row high enough for the wrapped text of a cell: the sheet's text columns wrap, and a
 * spreadsheet does not grow a written row by itself. Widths are in characters of the default
 * font's digits; capitals take about a quarter more.
 */
void FitRowToText(Worksheet& sheet, int row, int column, const QString& text) {
    const double width = sheet.columnWidth(column);
    if (width <= 1)
        return;
    double length = 0;
    for (const QChar c : text)
        length += c.isUpper() ? 1.25 : 1.0;
    const int lines = static_cast<int>(std::ceil(length / (width - 1)));
    if (lines > 1)
        sheet.setRowHeight(row, 12.75 * lines);
}

void Save(Workbook& book, JobProgress& progress, WorkbookOutcome& outcome) {
    book.setDisplayAlerts(false);
    book.saveCopyAs(progress.outputPath());
    outcome.saved = true;
}

/** A zone of the district workbook: its Km2, its value of 1 sq m and its districts. */
struct ZoneInfo {
    QString zone;
    QString km2Text;
    QString valueText;
    double value = 0;
    QStringList districts;
};

/** The first row of each zone of "зони" joined with "км2". */
std::vector<ZoneInfo> ReadZones(Query& q) {
    std::vector<ZoneInfo> zones;
    if (!RunQuery(q,
                  QStringLiteral("SELECT зони.*, км2.км2, км2.вартість FROM зони LEFT JOIN км2 ON "
                                 "зони.зона=км2.зона ORDER BY cint(км2.зона),cint(км2.район)"),
                  true))
        return zones;
    const int zone = q.fieldIndex(QStringLiteral("зона"));
    const int districts = q.fieldIndex(QStringLiteral("райони"));
    const int km2 = q.fieldIndex(QStringLiteral("км2"));
    const int value = q.fieldIndex(QStringLiteral("вартість"));
    QSet<QString> seen;
    for (q.first(); !q.eof(); q.next()) {
        const QString name = q.text(zone);
        if (seen.contains(name))
            continue;
        seen.insert(name);
        zones.push_back({name, q.text(km2), q.text(value), NumberOr0(q.text(value)),
                         SplitDistrictList(q.text(districts))});
    }
    q.close();
    return zones;
}

/** A district's local-factor cells (factor number, coefficient) and its Km3. */
struct DistrictFactors {
    std::vector<std::pair<long long, QString>> cells;
    double km3 = 1;
};

QHash<QString, DistrictFactors> ReadDistrictFactors(Query& q) {
    QHash<QString, DistrictFactors> factors;
    if (!RunQuery(q, QStringLiteral("SELECT * FROM локальні ORDER BY id"), true))
        return factors;
    const int district = q.fieldIndex(QStringLiteral("район"));
    const int factor = q.fieldIndex(QStringLiteral("фактор"));
    const int coefficient = q.fieldIndex(QStringLiteral("коефіціент"));
    for (q.first(); !q.eof(); q.next()) {
        DistrictFactors& d = factors[q.text(district)];
        const QString text = q.text(coefficient);
        d.cells.emplace_back(IntegerOr0(q.text(factor)), text);
        if (const auto v = ParseNumber(text))
            d.km3 *= *v;
    }
    q.close();
    return factors;
}

/** A functional-use row of a district: its label in capitals, its Kf and its area (ha). */
struct FunkInfo {
    QString label;
    double kf = 1;
    QString area;
};

QHash<QString, std::vector<FunkInfo>> ReadFunctionalUse(Query& q) {
    QHash<QString, std::vector<FunkInfo>> funks;
    if (!RunQuery(q, QStringLiteral("SELECT * FROM функціональне ORDER BY cint(район)"), true))
        return funks;
    const int district = q.fieldIndex(QStringLiteral("район"));
    std::vector<std::pair<int, FunkInfo>> columns;
    for (const LandUseCategory& c : LandUseCategories()) {
        const int index = q.fieldIndex(QStringLiteral("ф_") + QString::number(c.column));
        if (index >= 0)
            columns.push_back({index, {c.name.toUpper(), c.kf, QString()}});
    }
    for (q.first(); !q.eof(); q.next()) {
        for (const auto& [index, funk] : columns) {
            if (q.text(index).isEmpty())
                continue;
            FunkInfo withArea = funk;
            withArea.area = q.text(index);
            funks[q.text(district)].push_back(withArea);
        }
    }
    q.close();
    return funks;
}

/** The area (ha, as stored) of each district of "Площі районів", by district number. */
QHash<QString, QString> ReadDistrictAreas(Query& q) {
    QHash<QString, QString> areas;
    if (!RunQuery(q,
                  QStringLiteral("SELECT код, значення FROM характеристика WHERE "
                                 "показник='Площі районів'"),
                  true))
        return areas;
    for (q.first(); !q.eof(); q.next())
        areas.insert(q.text(0), q.text(1));
    q.close();
    return areas;
}

/** The district workbook's columns of the area and of the value of the land of a row. */
constexpr int kAreaColumn = 40;
constexpr int kValueColumn = 41;

/** The running sums of a zone or of the settlement: area in ha, value in hryvnias. */
struct Totals {
    double area = 0;
    double value = 0;
    void add(const Totals& other) {
        area += other.area;
        value += other.value;
    }
};

/** A bold row of totals: its caption in column 2, the area and the value. */
void PutTotals(Worksheet& sheet, int row, const QString& caption, const Totals& totals) {
    sheet.setCellValue(row, 2, caption);
    sheet.setCellValue(row, kAreaColumn, FormatFixed(totals.area, 4));
    sheet.setCellValue(row, kValueColumn, Fixed2(totals.value));
    for (int column : {2, kAreaColumn, kValueColumn})
        sheet.setCellBold(row, column, true);
}

} // namespace

void FillDistrictWorkbook(Workbook& workbook, TMessages& messages, JobProgress& progress,
                          const ReportContext& context, WorkbookOutcome& outcome) {
    Worksheet* sheetPointer =
        BeginWorkbook(workbook, messages, progress, context.settlementName, 13);
    if (!sheetPointer)
        return;
    Worksheet& sheet = *sheetPointer;
    Query q(context.data);
    // A count no step can give (above 999) is no count: nothing is sized by it.
    long long districtCount = IntegerOr0(ReadIndicator(q, QStringLiteral("Кількість районів")));
    if (districtCount < 0 || districtCount > 999)
        districtCount = 0;
    const QStringList districtCodes = ReadDistrictCodes(q);
    const QString averageText = ReadIndicator(q, QStringLiteral("Середня вартість 1 кв м"));
    const double average = NumberOr0(averageText);
    const long long zoneCount = IntegerOr0(ReadIndicator(q, QStringLiteral("Кількість зон")));
    std::vector<ZoneInfo> zones;
    if (districtCount != 0 && average > 0 && zoneCount != 0)
        zones = ReadZones(q);
    if (districtCount == 0)
        outcome.missing << MissingDistricts();
    if (average <= 0)
        outcome.missing << MissingAverage();
    if (zoneCount == 0 || (districtCount != 0 && average > 0 && zones.empty()))
        outcome.missing << MissingZones();
    if (!outcome.missing.isEmpty()) {
        EndWorkbook(messages, progress);
        return;
    }

    HideUnusedFactors(sheet, context.data, 8, kValueColumn);
    // A settlement where no local factor acts still gets its rows, with Km3 = 1.
    const QHash<QString, DistrictFactors> factors = ReadDistrictFactors(q);
    QHash<QString, std::vector<FunkInfo>> funks = ReadFunctionalUse(q);
    // A district without functional use is residential land over its whole area.
    const QHash<QString, QString> districtAreas = ReadDistrictAreas(q);
    auto residential = [&districtAreas](const QString& code) {
        return FunkInfo{ResidentialLandUse().name.toUpper(), 1.0, districtAreas.value(code)};
    };
    for (const QString& code : districtCodes) {
        if (!funks.contains(code))
            funks[code].push_back(residential(code));
    }
    for (const ZoneInfo& zone : zones) {
        for (const QString& code : zone.districts) {
            if (!funks.contains(code))
                funks[code].push_back(residential(code));
        }
    }

    const DistrictFactors none;
    int row = 6;
    Totals settlement;
    for (const ZoneInfo& zone : zones) {
        ++row;
        sheet.setCellValue(row, 2, zone.zone + ZoneCaptionSuffix());
        sheet.setCellBold(row, 2, true);
        FitRowToText(sheet, row, 2, zone.zone + ZoneCaptionSuffix());
        const double zoneValue = NumberOr0(zone.valueText);
        Totals zoneTotals;
        for (const QString& code : zone.districts) {
            const auto found = factors.constFind(code);
            const DistrictFactors& district = found == factors.constEnd() ? none : *found;
            const QString km3Text = Fixed2(district.km3);
            const double km3 = RoundTo(district.km3, 2);
            for (const FunkInfo& funk : funks.value(code)) {
                ++row;
                Put(sheet, row, 1, code);
                Put(sheet, row, 2, funk.label);
                FitRowToText(sheet, row, 2, funk.label);
                Put(sheet, row, 3, averageText);
                Put(sheet, row, 4, zone.km2Text);
                Put(sheet, row, 5, zone.valueText);
                Put(sheet, row, 6, Fixed2(funk.kf));
                Put(sheet, row, 7, Fixed2(zone.value * funk.kf));
                // A factor number without a column of its own still counts in Km3.
                for (const auto& [factor, coefficient] : district.cells) {
                    if (factor >= 1 && factor <= kFactorColumns)
                        Put(sheet, row, static_cast<int>(factor) + 7, coefficient);
                }
                Put(sheet, row, 38, km3Text);
                const double valueOfSqM = RoundTo(km3 * zoneValue * funk.kf, 2);
                Put(sheet, row, 39, Fixed2(valueOfSqM));
                // The land of the row: its area and its value (1 ha is 10,000 sq m).
                if (const auto area = ParseNumber(funk.area)) {
                    const double value = RoundTo(valueOfSqM * *area * 10000, 2);
                    Put(sheet, row, kAreaColumn, FormatFixed(*area, 4));
                    Put(sheet, row, kValueColumn, Fixed2(value));
                    zoneTotals.add({*area, value});
                }
            }
        }
        ++row;
        PutTotals(sheet, row, QStringLiteral("Разом по зоні ") + zone.zone, zoneTotals);
        settlement.add(zoneTotals);
    }
    ++row;
    PutTotals(sheet, row, QStringLiteral("Разом по населеному пункту"), settlement);
    Save(workbook, progress, outcome);
    EndWorkbook(messages, progress);
}

void FillQuarterWorkbook(Workbook& workbook, TMessages& messages, JobProgress& progress,
                         const ReportContext& context, WorkbookOutcome& outcome) {
    Worksheet* sheetPointer =
        BeginWorkbook(workbook, messages, progress, context.settlementName, 14);
    if (!sheetPointer)
        return;
    Worksheet& sheet = *sheetPointer;
    Query q(context.data);
    const QString averageText = ReadIndicator(q, QStringLiteral("Середня вартість 1 кв м"));
    if (NumberOr0(averageText) <= 0)
        outcome.missing << MissingAverage();

    // The statement, grouped by zone in the table's order.
    QStringList zones;
    QHash<QString, std::vector<QStringList>> rowsByZone;
    if (outcome.missing.isEmpty() &&
        RunQuery(q, QStringLiteral("SELECT * FROM відомість_кварталів"), true)) {
        std::vector<int> columns;
        for (const char* name : {"зона", "район", "квартали", "назва", "функ"})
            columns.push_back(q.fieldIndex(QString::fromUtf8(name)));
        for (int n = 1; n <= kFactorColumns; ++n)
            columns.push_back(q.fieldIndex(QStringLiteral("лок_") + QString::number(n)));
        for (q.first(); !q.eof(); q.next()) {
            const QString zone = q.text(columns[0]);
            if (zone.isEmpty())
                continue;
            QStringList values;
            values.reserve(static_cast<qsizetype>(columns.size()));
            for (int index : columns)
                values << q.text(index);
            auto& rows = rowsByZone[zone];
            if (rows.empty())
                zones << zone;
            rows.push_back(std::move(values));
        }
        q.close();
        // Zones in the order of their numbers.
        std::stable_sort(zones.begin(), zones.end(), NumberedBefore);
    }
    if (outcome.missing.isEmpty() && zones.isEmpty())
        outcome.missing << MissingStatement();
    if (!outcome.missing.isEmpty()) {
        EndWorkbook(messages, progress);
        return;
    }

    // Km2 and the value of 1 sq m of each zone: its first row of "км2".
    const QHash<QString, ZoneValue> zoneValues = ReadZoneValues(q);

    // A factor valued in the statement keeps its column, even when no district has it.
    QSet<long long> valued;
    for (const auto& rows : std::as_const(rowsByZone)) {
        for (const QStringList& values : rows) {
            for (int n = 1; n <= kFactorColumns; ++n) {
                if (!values[4 + n].isEmpty())
                    valued.insert(n);
            }
        }
    }
    HideUnusedFactors(sheet, context.data, 9, 40, valued);
    int row = 6;
    for (const QString& zone : zones) {
        ++row;
        sheet.setCellValue(row, 3, zone + ZoneCaptionSuffix());
        sheet.setCellBold(row, 3, true);
        FitRowToText(sheet, row, 3, zone + ZoneCaptionSuffix());
        const ZoneValue stored = zoneValues.value(zone);
        const QString& km2Text = stored.km2;
        const QString& valueText = stored.value;
        const double zoneValue = NumberOr0(valueText);
        for (const QStringList& values : rowsByZone.value(zone)) {
            ++row;
            const double kf = NumberOr0(values[4]);
            Put(sheet, row, 1, values[1]);
            Put(sheet, row, 2, values[2]);
            Put(sheet, row, 3, values[3]);
            FitRowToText(sheet, row, 3, values[3]);
            Put(sheet, row, 4, averageText);
            Put(sheet, row, 5, km2Text);
            Put(sheet, row, 6, valueText);
            Put(sheet, row, 7, values[4]);
            Put(sheet, row, 8, Fixed2(zoneValue * kf));
            double km3 = 1;
            for (int n = 1; n <= kFactorColumns; ++n) {
                const QString& text = values[4 + n];
                Put(sheet, row, n + 8, text);
                if (const auto v = ParseNumber(text))
                    km3 *= *v;
            }
            Put(sheet, row, 39, Fixed2(km3));
            Put(sheet, row, 40, Fixed2(RoundTo(km3, 2) * zoneValue * kf));
        }
    }
    Save(workbook, progress, outcome);
    EndWorkbook(messages, progress);
}

} // namespace reports
