#include "reports/Workbooks.h"

#include "common/TextUtils.h"
#include "db/QueryFunctions.h"
#include "db/Utf8Rows.h"
#include "office/CustomProperties.h"
#include "office/OfficeCall.h"
#include "office/Workbook.h"
#include "reports/OfficeJob.h"
#include "reports/ReportData.h"
#include "valuation/DataStamp.h"
#include "valuation/Formulas.h"
#include "valuation/Settlement.h"
#include "valuation/StepNames.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <future>

namespace reports {

namespace {

using Filling = WorkbookFilling;

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
    Worksheet* sheet = nullptr;
    QString why;
    if (OfficeCall(
            [&] {
                sheet = &book.worksheet(1);
                sheet->setCellValue(1, nameColumn, name);
            },
            &why))
        return sheet;
    messages.Error = QStringLiteral("Помилка пошуку аркуша.");
    messages.ErrorDetail = why;
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
void HideUnusedFactors(Worksheet& sheet, const valuation::Settlement& settlement, int firstColumn,
                       int lastColumn, QSet<long long> used = {}) {
    for (const valuation::LocalCell& cell : settlement.local)
        used.insert(cell.factor);
    for (int n = 1; n <= kFactorColumns; ++n) {
        if (!used.contains(n))
            sheet.setColumnWidth(firstColumn + n - 1, 0);
    }
    int number = firstColumn;
    for (int c = firstColumn; c <= lastColumn; ++c) {
        if (sheet.columnWidth(c) != 0)
            sheet.setCellValue(6, c, QString::number(number++));
    }
}

/** The run's settlement, or read through the model into `own`; null with the job's error set. */
const valuation::Settlement* ReadModel(const ReportContext& context, TMessages& messages,
                                       valuation::Settlement& own) {
    QString error;
    if (const valuation::Settlement* settlement = SettlementOf(context, own, &error))
        return settlement;
    messages.Error = QStringLiteral("Розрахунок не заповнено.");
    messages.ErrorDetail = error;
    return nullptr;
}

/** The note of a zone without a "км2" row, whose value cells stay empty. */
QString ZoneWithoutKm2(const QString& zone) {
    return QStringLiteral("зона ") + zone +
           QStringLiteral(" не має Км2 (немає її рядка у \"км2\"), її вартості не заповнено");
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
    sheet.setCellValue(row, kAreaColumn, valuation::Fixed(totals.area, 4));
    sheet.setCellValue(row, kValueColumn, Fixed2(totals.value));
    for (int column : {2, kAreaColumn, kValueColumn})
        sheet.setCellBold(row, column, true);
}

/** What a workbook carries when saved: alerts off and the state of the data it shows. */
void MarkForSaving(Workbook& book, const ReportContext& context) {
    book.setDisplayAlerts(false);
    // The state of the data the workbook shows, for a later look at whether it changed.
    if (!context.dataStamp.isEmpty())
        office::SetCustomProperty(book.package(), valuation::DataStampProperty(),
                                  context.dataStamp);
}

void Save(Workbook& book, JobProgress& progress, WorkbookOutcome& outcome,
          const ReportContext& context) {
    MarkForSaving(book, context);
    book.saveCopyAs(progress.outputPath());
    outcome.saved = true;
}

Filling FillDistrictCells(Workbook& workbook, TMessages& messages, JobProgress& progress,
                          const ReportContext& context, WorkbookOutcome& outcome) {
    Worksheet* sheetPointer =
        BeginWorkbook(workbook, messages, progress, context.settlementName, 13);
    if (!sheetPointer)
        return Filling::Failed;
    Worksheet& sheet = *sheetPointer;
    valuation::Settlement own;
    const valuation::Settlement* read = ReadModel(context, messages, own);
    if (!read)
        return Filling::Failed;
    const valuation::Settlement& settlement = *read;
    // A count no step can give (above 999) is no count: nothing is sized by it.
    const long long districtCount = ReadDistrictCount(*context.data);
    const QString averageText = settlement.averageValueText();
    const double average = settlement.averageValue();
    const long long zoneCount = IntegerOr0(settlement.indicator(names::ind::ZoneCount()));
    if (districtCount == 0)
        outcome.missing << MissingDistricts();
    if (average <= 0)
        outcome.missing << MissingAverage();
    if (zoneCount == 0 || (districtCount != 0 && average > 0 && settlement.zones.empty()))
        outcome.missing << MissingZones();
    if (!outcome.missing.isEmpty())
        return Filling::Missing;

    HideUnusedFactors(sheet, settlement, 8, kValueColumn);
    int row = 6;
    Totals settlementTotals;
    for (const valuation::Zone& zone : settlement.zones) {
        ++row;
        sheet.setCellValue(row, 2, zone.number + ZoneCaptionSuffix());
        sheet.setCellBold(row, 2, true);
        FitRowToText(sheet, row, 2, zone.number + ZoneCaptionSuffix());
        Totals zoneTotals;
        const std::optional<double> zoneValue = ParseNumber(zone.value);
        if (!zone.hasKm2Row)
            outcome.notes << ZoneWithoutKm2(zone.number);
        for (const QString& code : zone.districts) {
            // A settlement where no local factor acts still gets its rows, with Km3 = 1.
            const valuation::Km3 km3 = settlement.km3(code);
            const std::vector<const valuation::LocalCell*> cells = settlement.localCells(code);
            for (const LandUseCategory* category : settlement.landUse(code)) {
                ++row;
                Put(sheet, row, 1, code);
                Put(sheet, row, 2, category->name.toUpper());
                FitRowToText(sheet, row, 2, category->name.toUpper());
                Put(sheet, row, 3, averageText);
                Put(sheet, row, 4, zone.km2);
                Put(sheet, row, 5, zone.value);
                Put(sheet, row, 6, Fixed2(category->kf));
                // A factor number without a column of its own still counts in Km3.
                for (const valuation::LocalCell* cell : cells) {
                    if (cell->factor >= 1 && cell->factor <= kFactorColumns)
                        Put(sheet, row, cell->factor + 7, cell->coefficient);
                }
                Put(sheet, row, 38, Fixed2(km3.product));
                const std::optional<double> area =
                    ParseNumber(settlement.landUseArea(code, category->column));
                if (area)
                    Put(sheet, row, kAreaColumn, valuation::Fixed(*area, 4));
                if (zoneValue) {
                    Put(sheet, row, 7, Fixed2(valuation::ValuePerSqM(*zoneValue, category->kf, 1)));
                    const double valueOfSqM =
                        valuation::ValuePerSqM(*zoneValue, category->kf, km3.product);
                    Put(sheet, row, 39, Fixed2(valueOfSqM));
                    // The land of the row: its area and its value.
                    if (area) {
                        const QString value = valuation::PlotValue(valueOfSqM, *area);
                        Put(sheet, row, kValueColumn, value);
                        zoneTotals.add({*area, NumberOr0(value)});
                    }
                }
            }
        }
        ++row;
        PutTotals(sheet, row, QStringLiteral("Разом по зоні ") + zone.number, zoneTotals);
        settlementTotals.add(zoneTotals);
    }
    ++row;
    PutTotals(sheet, row, QStringLiteral("Разом по населеному пункту"), settlementTotals);
    return Filling::Filled;
}

Filling FillQuarterCells(Workbook& workbook, TMessages& messages, JobProgress& progress,
                         const ReportContext& context, WorkbookOutcome& outcome) {
    Worksheet* sheetPointer =
        BeginWorkbook(workbook, messages, progress, context.settlementName, 14);
    if (!sheetPointer)
        return Filling::Failed;
    Worksheet& sheet = *sheetPointer;
    valuation::Settlement own;
    const valuation::Settlement* read = ReadModel(context, messages, own);
    if (!read)
        return Filling::Failed;
    const valuation::Settlement& settlement = *read;
    const QString averageText = settlement.averageValueText();
    if (NumberOr0(averageText) <= 0)
        outcome.missing << MissingAverage();

    // The statement, grouped by zone in the table's order.
    QStringList zones;
    QHash<QString, std::vector<QStringList>> rowsByZone;
    // Read as the database keeps it: the repeated short values ("1.00") are one text each.
    ShortTextCache texts;
    std::vector<int> columns;
    const auto takeRow = [&](const Utf8Row& r) {
        if (columns.empty()) {
            for (const char* name : {"зона", "район", "квартали", "назва", "функ"})
                columns.push_back(r.columnIndex(name));
            for (int n = 1; n <= kFactorColumns; ++n)
                columns.push_back(r.columnIndex(QByteArray("лок_") + QByteArray::number(n)));
        }
        const QString zone = texts.value(r, columns[0]);
        if (zone.isEmpty())
            return;
        QStringList values;
        values.reserve(static_cast<qsizetype>(columns.size()));
        for (int index : columns)
            values << texts.value(r, index);
        auto& rows = rowsByZone[zone];
        if (rows.empty())
            zones << zone;
        rows.push_back(std::move(values));
    };
    if (outcome.missing.isEmpty() &&
        ReadUtf8Rows(*context.data, QStringLiteral("SELECT * FROM відомість_кварталів"), takeRow)) {
        // Zones in the order of their numbers.
        std::stable_sort(zones.begin(), zones.end(), valuation::ZoneNumberBefore);
        // The statement is held now: the pages cached while reading it go back before the
        // sheet, the biggest of the three files, is written.
        context.data->releaseCache();
    }
    if (outcome.missing.isEmpty() && zones.isEmpty())
        outcome.missing << MissingStatement();
    if (!outcome.missing.isEmpty())
        return Filling::Missing;

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
    HideUnusedFactors(sheet, settlement, 9, 40, valued);
    int row = 6;
    for (const QString& zone : zones) {
        ++row;
        sheet.setCellValue(row, 3, zone + ZoneCaptionSuffix());
        sheet.setCellBold(row, 3, true);
        FitRowToText(sheet, row, 3, zone + ZoneCaptionSuffix());
        const valuation::Zone* model = settlement.zone(zone);
        const QString km2Text = model ? model->km2 : QString();
        const QString valueText = model ? model->value : QString();
        const std::optional<double> zoneValue = ParseNumber(valueText);
        if (!model || !model->hasKm2Row)
            outcome.notes << ZoneWithoutKm2(zone);
        // A zone's rows go once written: the sheet's cells take their place.
        const std::vector<QStringList> zoneRows = rowsByZone.take(zone);
        for (const QStringList& values : zoneRows) {
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
            for (int n = 1; n <= kFactorColumns; ++n)
                Put(sheet, row, n + 8, values[4 + n]);
            const valuation::Km3 km3 = valuation::Km3Of(values.mid(5, kFactorColumns));
            Put(sheet, row, 39, Fixed2(km3.product));
            if (zoneValue) {
                Put(sheet, row, 8, Fixed2(valuation::ValuePerSqM(*zoneValue, kf, 1)));
                Put(sheet, row, 40, Fixed2(valuation::ValuePerSqM(*zoneValue, kf, km3.product)));
            }
        }
    }
    return Filling::Filled;
}

Filling FillCells(CalculationWorkbook which, Workbook& workbook, TMessages& messages,
                  JobProgress& progress, const ReportContext& context, WorkbookOutcome& outcome) {
    return which == CalculationWorkbook::Districts
               ? FillDistrictCells(workbook, messages, progress, context, outcome)
               : FillQuarterCells(workbook, messages, progress, context, outcome);
}

/** The end of a workbook's job once its cells are filled: saved when they were, then ended. */
void SaveFilled(Filling filling, Workbook& workbook, TMessages& messages, JobProgress& progress,
                const ReportContext& context, WorkbookOutcome& outcome) {
    if (filling == Filling::Failed)
        return;
    if (filling == Filling::Filled)
        Save(workbook, progress, outcome, context);
    EndWorkbook(messages, progress);
}

/** Forwards only "Стоп" and the events: a workbook filled ahead leaves the window as it is. */
class QuietProgress final : public JobProgress {
public:
    explicit QuietProgress(JobProgress& shown) : m_shown(shown) {}
    void setProgress(int, int) override {}
    void stepProgress() override {}
    void showProgressBar(bool) override {}
    void setInfo(const QString&) override {}
    void enableStop(bool) override {}
    bool stopRequested() const override { return m_shown.stopRequested(); }
    void processEvents() override { m_shown.processEvents(); }
    QString outputPath() const override { return QString(); }

private:
    JobProgress& m_shown;
};

} // namespace

void FillDistrictWorkbook(Workbook& workbook, TMessages& messages, JobProgress& progress,
                          const ReportContext& context, WorkbookOutcome& outcome) {
    FillWorkbook(CalculationWorkbook::Districts, nullptr, workbook, messages, progress, context,
                 outcome);
}

void FillQuarterWorkbook(Workbook& workbook, TMessages& messages, JobProgress& progress,
                         const ReportContext& context, WorkbookOutcome& outcome) {
    FillWorkbook(CalculationWorkbook::Quarters, nullptr, workbook, messages, progress, context,
                 outcome);
}

WorkbookAhead::WorkbookAhead() = default;
WorkbookAhead::~WorkbookAhead() = default;
WorkbookAhead::WorkbookAhead(WorkbookAhead&&) noexcept = default;
WorkbookAhead& WorkbookAhead::operator=(WorkbookAhead&&) noexcept = default;

void WorkbookAhead::waitForWriting() {
    if (writing.valid())
        written = writing.get();
}

WorkbookAhead FillWorkbookAhead(CalculationWorkbook which, const QString& templatePath,
                                const QString& outputPath, JobProgress& progress,
                                const ReportContext& context) {
    WorkbookAhead ahead;
    std::unique_ptr<Workbook> book;
    // A template that does not open is opened again in the workbook's turn, whose job says why.
    if (!OfficeCall([&] { book = Workbook::open(templatePath); }))
        return ahead;
    QuietProgress quiet(progress);
    Filling filling = Filling::Failed;
    if (!OfficeCall([&] {
            filling = FillCells(which, *book, ahead.messages, quiet, context, ahead.outcome);
        }))
        return WorkbookAhead(); // the engine's failure comes again, and is told, in its turn
    // Written beside its file on a thread of its own while the report is finished; a failure
    // there leaves it to be saved in its turn, which tells why.
    if (filling == Filling::Filled && !outputPath.isEmpty() &&
        OfficeCall([&] { MarkForSaving(*book, context); })) {
        Workbook* filled = book.get();
        ahead.writing = std::async(std::launch::async, [filled, outputPath] {
            PendingSave pending;
            OfficeCall([&] { pending = filled->saveCopyAside(outputPath); });
            return pending;
        });
    }
    ahead.filled = book.get();
    ahead.book = std::move(book);
    ahead.filling = filling;
    return ahead;
}

void FillWorkbook(CalculationWorkbook which, WorkbookAhead* ahead, Workbook& workbook,
                  TMessages& messages, JobProgress& progress, const ReportContext& context,
                  WorkbookOutcome& outcome) {
    // The job was given the workbook filled ahead: what is left is to put it in place.
    if (ahead && ahead->filled == &workbook) {
        messages = ahead->messages;
        outcome = ahead->outcome;
        ahead->waitForWriting();
        if (ahead->filling == Filling::Filled && ahead->written.isPending() &&
            ahead->written.path() == progress.outputPath()) {
            workbook.commitSave(ahead->written);
            outcome.saved = true;
            EndWorkbook(messages, progress);
            return;
        }
        SaveFilled(ahead->filling, workbook, messages, progress, context, outcome);
        return;
    }
    const Filling filling = FillCells(which, workbook, messages, progress, context, outcome);
    SaveFilled(filling, workbook, messages, progress, context, outcome);
}

} // namespace reports
