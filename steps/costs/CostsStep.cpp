#include "steps/costs/CostsStep.h"

#include "valuation/Formulas.h"
#include "valuation/Typed.h"

#include <QHash>

#include "common/TextUtils.h"
#include "valuation/Names.h"

#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "steps/common/StepStore.h"
#include "valuation/IndexationLines.h"
#include "valuation/Indicators.h"
#include "valuation/Recompute.h"

namespace {

/** Catalogue prices without a year of their own are as at the first of January of 2005. */
constexpr int CatalogueYear = 2005;

/** The year of a catalogue row's prices; 2005 for an empty or unreadable one. */
int PriceYear(const QString& text) {
    const std::optional<long long> year = ParseInteger(text);
    return year && *year >= 1900 && *year <= 2200 ? static_cast<int>(*year) : CatalogueYear;
}

/** The columns "Назва" to "Всього" of a visible row copied into the item's row. */
void CopyToFull(CostsSheet& sheet, int visibleRow, int fullRow) {
    if (fullRow < 0)
        return;
    for (int col = ColCostName; col <= ColCostTotal; ++col)
        sheet.full.set(fullRow, col, sheet.visible.at(visibleRow, col));
}

void RecalcRow(CostsSheet& sheet, int r, bool edited, int col, double k) {
    StringGrid& v = sheet.visible;
    const int fullRow = CostItemRow(sheet, v.at(r, ColCostNumber));
    std::optional<double> restored;
    const auto computeFromInitial = [&](double initial) {
        restored = valuation::RestoredCost(initial, k);
        v.set(r, ColCostRestored, FormatFixed(*restored, 4));
    };
    if (edited) {
        if (col == ColCostInitial) {
            const QString initialText = v.at(r, ColCostInitial);
            if (const std::optional<double> initial = ParseNumber(initialText)) {
                if (fullRow >= 0 && initialText != sheet.full.at(fullRow, ColCostInitial))
                    v.set(r, ColCostRestored, QString());
                if (v.at(r, ColCostRestored).isEmpty())
                    computeFromInitial(*initial);
            }
        } else {
            restored = ParseNumber(v.at(r, ColCostRestored));
        }
    } else if (!v.at(r, ColCostRestored).isEmpty()) {
        restored = ParseNumber(v.at(r, ColCostRestored));
    } else if (const std::optional<double> initial = ParseNumber(v.at(r, ColCostInitial))) {
        computeFromInitial(*initial);
    }
    // Without a quantity or a cost the item has no total (and counts 0), never an old one.
    v.set(r, ColCostTotal,
          restored ? valuation::CostItemTotal(v.at(r, ColCostQuantity), FormatFixed(*restored, 4))
                   : QString());
    CopyToFull(sheet, r, fullRow);
}

} // namespace

StringGrid MakeCostGrid() {
    StringGrid grid(8, 2, 1, 0);
    grid.setRowTexts(0, {QStringLiteral("п/п"), QStringLiteral("Категорія"),
                         QStringLiteral("Назва"), QStringLiteral("Одиниці виміру"),
                         QStringLiteral("Первісна вартість"), QStringLiteral("Відновна вартість"),
                         QStringLiteral("Кількість"), QStringLiteral("Всього")});
    return grid;
}

StringGrid MakePriceGrid() {
    StringGrid grid(6, 1, 1, 0);
    grid.setRowTexts(0, {QStringLiteral("Назва"), QStringLiteral("Од. виміру"),
                         QStringLiteral("Первісна, тис. грн"), QStringLiteral("Відновна, тис. грн"),
                         QStringLiteral("Рік цін"), QStringLiteral("Розділ")});
    return grid;
}

QStringList CostCoefficientLines(const TDinArryOfKoef& table, int year) {
    return IndexationLines(table, year, KindInflation);
}

QString DefaultCoefficientLine(int year) {
    return IndexationLine(1.0, year);
}

double CatalogueFactor(const TDinArryOfKoef& table, int year, int pricesYear) {
    return RoundTo(IndexationFactor(table, pricesYear, year, KindInflation), 3);
}

void LoadPriceList(Connection& catalogue, const TDinArryOfKoef& table, int year,
                   StringGrid& prices) {
    prices.setRowCount(prices.fixedRows());
    Query q(&catalogue);
    if (!RunQuery(q, QStringLiteral("SELECT * FROM збірник_цін ORDER BY id"), true, true))
        return;
    // An older catalogue has neither sections nor years: its field index is -1, its text "".
    const int category = q.fieldIndex(QStringLiteral("категорія"));
    const int name = q.fieldIndex(QStringLiteral("назва"));
    const int unit = q.fieldIndex(QStringLiteral("од_виміру"));
    const int price = q.fieldIndex(QStringLiteral("вартість"));
    const int pricesYear = q.fieldIndex(QStringLiteral("рік"));
    prices.setRowCount(prices.fixedRows() + q.recordCount());
    QHash<int, double> factors;
    int row = prices.fixedRows();
    for (q.first(); !q.eof(); q.next(), ++row) {
        const QString initial = q.text(price);
        const QString yearText = pricesYear >= 0 ? q.text(pricesYear) : QString();
        const int from = PriceYear(yearText);
        if (!factors.contains(from))
            factors.insert(from, CatalogueFactor(table, year, from));
        // A catalogue item without a price (a typical item shipped by name) shows none.
        const QString restored = initial.trimmed().isEmpty()
                                     ? QString()
                                     : FormatFixed(NumberOr0(initial) * factors.value(from), 4);
        prices.setRowTexts(row, {q.text(name), q.text(unit), initial, restored,
                                 yearText.trimmed().isEmpty() ? QString::number(from) : yearText,
                                 category >= 0 ? q.text(category) : QString()});
    }
}

StringGrid PricesOfSection(const StringGrid& prices, const QString& section) {
    StringGrid shown = MakePriceGrid();
    for (int row = prices.fixedRows(); row < prices.rowCount(); ++row) {
        const QString category = prices.at(row, ColPriceCategory);
        if (!section.isEmpty() && !category.isEmpty() && category != section)
            continue;
        const int to = shown.rowCount();
        shown.setRowCount(to + 1);
        shown.setRowTexts(to, prices.rowTexts(row));
    }
    return shown;
}

QString PriceListCaption(const StringGrid& prices) {
    QStringList years;
    for (int row = prices.fixedRows(); row < prices.rowCount(); ++row)
        if (const QString year = prices.at(row, ColPriceYear); !years.contains(year))
            years << year;
    if (years.size() > 1)
        return QStringLiteral("Укрупнені показники витрат (ціни року, вказаного в рядку):");
    return QStringLiteral("Укрупнені показники витрат, станом на 01.01.%1:")
        .arg(years.isEmpty() ? QString::number(CatalogueYear) : years.first());
}

bool LoadCosts(Connection& project, int year, CostsSheet& sheet, QString* error) {
    Query q(&project);
    if (!RunQuery(q, QStringLiteral("SELECT * FROM витрати ORDER BY id"), true))
        return FailReading(error, QStringLiteral("витрати"));
    static const char* const columns[] = {"категорія",  "назва",     "од_виміру", "первісна",
                                          "відновлена", "кількість", "всього"};
    int index[7];
    for (int i = 0; i < 7; ++i)
        index[i] = q.fieldIndex(QString::fromUtf8(columns[i]));
    ClearGrid(sheet.full, q.recordCount());
    int row = sheet.full.fixedRows();
    for (q.first(); !q.eof(); q.next(), ++row) {
        QStringList cells{QString::number(row)};
        for (int i : index)
            cells << q.text(i);
        sheet.full.setRowTexts(row, cells);
    }
    sheet.lastNumber = q.recordCount();
    sheet.visible = MakeCostGrid();
    sheet.section.clear();

    Indicators indicators;
    if (!indicators.read(project, error))
        return false;
    sheet.area = indicators.value(names::ind::AssessedArea());
    sheet.coefficient = indicators.value(names::ind::CostCoefficient());
    if (sheet.coefficient.isEmpty())
        sheet.coefficient = DefaultCoefficientLine(year);
    sheet.total.clear();
    sheet.perSquareMetre.clear();
    sheet.storedPerSquareMetre = indicators.value(names::ind::DevelopmentCost());

    // Every item as the current coefficient gives it: restored costs computed from the
    // initial ones (not those the valuer typed) and the totals.
    valuation::TypedValues typed;
    if (!typed.read(project, error))
        return false;
    const double k = IndexationLineFactor(sheet.coefficient);
    sheet.changes.clear();
    for (int r = sheet.full.fixedRows(); r < sheet.full.rowCount(); ++r) {
        const QString key = QString::number(r);
        const QString restored = sheet.full.at(r, ColCostRestored);
        const valuation::CostItemNow now = valuation::RecomputeCostItem(
            sheet.full.at(r, ColCostInitial), restored, sheet.full.at(r, ColCostQuantity),
            typed.isTyped(QStringLiteral("витрати"), key, QStringLiteral("відновлена"), restored),
            k);
        const QString& computed = now.restored;
        const QString& total = now.total;
        if (computed != restored || total != sheet.full.at(r, ColCostTotal))
            sheet.changes << QStringLiteral("\"") + sheet.full.at(r, ColCostName) +
                                 QStringLiteral("\": всього ") + sheet.full.at(r, ColCostTotal) +
                                 QStringLiteral(" → ") + total;
        sheet.full.set(r, ColCostRestored, computed);
        sheet.full.set(r, ColCostTotal, total);
    }
    return true;
}

bool StoreCosts(Connection& project, const CostsSheet& sheet, QString* error) {
    return StoreInTransaction(
        &project,
        [&](QString* failed) {
            if (!WriteIndicator(project, names::ind::DevelopmentCost(), sheet.perSquareMetre,
                                failed) ||
                !WriteIndicator(project, names::ind::CostCoefficient(), sheet.coefficient, failed))
                return false;
            const StringGrid& full = sheet.full;
            // A restored cost other than initial x k was typed by the valuer: an input.
            const double k = IndexationLineFactor(sheet.coefficient);
            QHash<QString, valuation::TypedMark> typed;
            int ordinal = 0;
            for (int row = full.fixedRows(); row < full.rowCount(); ++row) {
                if (full.at(row, ColCostNumber).isEmpty())
                    continue;
                ++ordinal;
                const std::optional<double> initial = ParseNumber(full.at(row, ColCostInitial));
                const QString restored = full.at(row, ColCostRestored);
                if (!initial)
                    continue;
                // With the computed value it replaced, so the check sees when that changes.
                const QString computed = FormatFixed(valuation::RestoredCost(*initial, k), 4);
                if (restored != computed)
                    typed.insert(
                        valuation::MarkKey(QString::number(ordinal), QStringLiteral("відновлена")),
                        valuation::TypedMark{
                            {},
                            {},
                            {},
                            restored,
                            computed,
                            valuation::RestoredCostInputs(full.at(row, ColCostInitial), k)});
            }
            if (!valuation::StoreTypedMarks(project, QStringLiteral("витрати"), typed, QString(),
                                            failed))
                return false;
            return ReplaceGridRows(project, QStringLiteral("витрати"), QString(),
                                   {QStringLiteral("категорія"), QStringLiteral("назва"),
                                    QStringLiteral("од_виміру"), QStringLiteral("первісна"),
                                    QStringLiteral("відновлена"), QStringLiteral("кількість"),
                                    QStringLiteral("всього")},
                                   full,
                                   [&full](int row) {
                                       // A removed item (no number) is not stored.
                                       if (full.at(row, ColCostNumber).isEmpty())
                                           return SqlRow();
                                       return SqlRowOf(full.rowTexts(row).mid(ColCostCategory, 7));
                                   }) ||
                   FailUpdating(failed);
        },
        error);
}

int CostItemRow(const CostsSheet& sheet, const QString& number) {
    const std::optional<long long> n = ParseInteger(number);
    if (!n || *n < sheet.full.fixedRows() || *n >= sheet.full.rowCount())
        return -1;
    return static_cast<int>(*n);
}

int SelectCostSection(CostsSheet& sheet, const QString& section) {
    StringGrid& v = sheet.visible;
    ClearGrid(v, 1);
    sheet.section = section;
    int shown = 0;
    const StringGrid& full = sheet.full;
    for (int row = full.fixedRows(); row < full.rowCount(); ++row) {
        if (full.at(row, ColCostNumber).isEmpty() || full.at(row, ColCostCategory) != section)
            continue;
        const int to = v.fixedRows() + shown++;
        if (to >= v.rowCount())
            v.setRowCount(to + 1);
        v.setRowTexts(to, full.rowTexts(row));
    }
    if (shown > 0)
        v.setCurrentRow(v.fixedRows());
    return shown;
}

void RecalcCosts(CostsSheet& sheet, int col, int row) {
    sheet.total.clear();
    sheet.perSquareMetre.clear();
    const double k = IndexationLineFactor(sheet.coefficient);
    StringGrid& v = sheet.visible;
    // An edit handles every shown item by the edit's rule, as the edited row is current.
    const bool edited = row >= 0 && row == v.currentRow();
    for (int r = v.fixedRows(); r < v.rowCount(); ++r)
        if (!v.at(r, ColCostNumber).isEmpty())
            RecalcRow(sheet, r, edited, col, k);

    double total = 0;
    for (int r = sheet.full.fixedRows(); r < sheet.full.rowCount(); ++r)
        if (const std::optional<double> value = ParseNumber(sheet.full.at(r, ColCostTotal)))
            total += *value;
    sheet.total = FormatFixed(total, 4);
    sheet.perSquareMetre = valuation::DevelopmentCost(total, sheet.area);
}

void ChangeCostCoefficient(CostsSheet& sheet, const QString& line) {
    const double oldK = IndexationLineFactor(sheet.coefficient);
    const double newK = IndexationLineFactor(line);
    sheet.coefficient = line;
    // Restored costs computed from the initial ones follow the year; typed ones stay.
    for (int r = sheet.full.fixedRows(); r < sheet.full.rowCount(); ++r) {
        if (sheet.full.at(r, ColCostNumber).isEmpty())
            continue;
        const std::optional<double> initial = ParseNumber(sheet.full.at(r, ColCostInitial));
        const QString restored = sheet.full.at(r, ColCostRestored);
        if (!initial || (!restored.isEmpty() &&
                         restored != FormatFixed(valuation::RestoredCost(*initial, oldK), 4)))
            continue;
        const QString computed = FormatFixed(valuation::RestoredCost(*initial, newK), 4);
        sheet.full.set(r, ColCostRestored, computed);
        sheet.full.set(r, ColCostTotal,
                       valuation::CostItemTotal(sheet.full.at(r, ColCostQuantity), computed));
    }
    // The items shown follow their rows of the full list.
    for (int r = sheet.visible.fixedRows(); r < sheet.visible.rowCount(); ++r) {
        const int fullRow = CostItemRow(sheet, sheet.visible.at(r, ColCostNumber));
        if (fullRow < 0)
            continue;
        for (int col = ColCostRestored; col <= ColCostTotal; ++col)
            sheet.visible.set(r, col, sheet.full.at(fullRow, col));
    }
    RecalcCosts(sheet, -1, -1);
}

bool CostCellEdited(CostsSheet& sheet, int row, int col) {
    if (sheet.visible.at(row, ColCostNumber).isEmpty()) {
        sheet.visible.set(row, col, QString());
        return false;
    }
    RecalcCosts(sheet, col, row);
    return true;
}

bool CanAddCostRow(const CostsSheet& sheet) {
    return !sheet.section.isEmpty();
}

bool CanRemoveCostRow(const CostsSheet& sheet, int row, int col) {
    const StringGrid& v = sheet.visible;
    return !sheet.section.isEmpty() && row >= v.fixedRows() && row < v.rowCount() &&
           col > ColCostCategory && !v.at(v.fixedRows(), ColCostNumber).isEmpty();
}

bool CanPutCatalogPrice(const CostsSheet& sheet, bool priceSelected) {
    const StringGrid& v = sheet.visible;
    return !sheet.section.isEmpty() && priceSelected && v.currentRow() >= v.fixedRows() &&
           !v.at(v.fixedRows(), ColCostNumber).isEmpty();
}

int AddCostRow(CostsSheet& sheet) {
    if (!CanAddCostRow(sheet))
        return -1;
    StringGrid& v = sheet.visible;
    StringGrid& full = sheet.full;
    int visibleRow = v.fixedRows();
    if (!v.at(visibleRow, ColCostNumber).isEmpty()) {
        visibleRow = v.rowCount();
        v.setRowCount(visibleRow + 1);
    }
    // The item's number is its row in the full list: the first row while the list has no
    // item yet, a new last row otherwise (also after the only item was removed).
    int fullRow = full.fixedRows();
    if (sheet.lastNumber > 0 || !full.at(fullRow, ColCostNumber).isEmpty() ||
        full.rowCount() - full.fixedRows() != 1) {
        fullRow = full.rowCount();
        full.setRowCount(fullRow + 1);
    }
    sheet.lastNumber = fullRow;
    const QString number = QString::number(fullRow);
    v.clearRow(visibleRow);
    v.set(visibleRow, ColCostNumber, number);
    v.set(visibleRow, ColCostCategory, sheet.section);
    full.clearRow(fullRow);
    full.set(fullRow, ColCostNumber, number);
    full.set(fullRow, ColCostCategory, sheet.section);
    v.setCurrent(visibleRow, ColCostName);
    RecalcCosts(sheet, -1, -1);
    return visibleRow;
}

bool RemoveCostRow(CostsSheet& sheet) {
    StringGrid& v = sheet.visible;
    const int row = v.currentRow();
    if (row < v.fixedRows() || GridIsEmpty(v) || v.at(row, ColCostNumber).isEmpty())
        return false;
    const int fullRow = CostItemRow(sheet, v.at(row, ColCostNumber));
    DeleteGridRow(v, row);
    if (fullRow >= 0) {
        sheet.full.set(fullRow, ColCostNumber, QString());
        sheet.full.set(fullRow, ColCostTotal, QString());
    }
    RecalcCosts(sheet, -1, -1);
    return true;
}

bool RecalcRestoredCost(CostsSheet& sheet) {
    StringGrid& v = sheet.visible;
    const int row = v.currentRow();
    if (row < v.fixedRows() || GridIsEmpty(v) || v.at(row, ColCostNumber).isEmpty())
        return false;
    v.set(row, ColCostRestored, QString());
    RecalcCosts(sheet, ColCostInitial, row);
    return true;
}

bool PutCatalogPrice(CostsSheet& sheet, const CatalogPrice& price) {
    StringGrid& v = sheet.visible;
    const int row = v.currentRow();
    if (!CanPutCatalogPrice(sheet, true) || GridIsEmpty(v) || v.at(row, ColCostNumber).isEmpty())
        return false;
    bool changed = false;
    // An item not named yet takes the catalogue's name and unit.
    if (v.at(row, ColCostName).trimmed().isEmpty() && !price.name.isEmpty()) {
        v.set(row, ColCostName, price.name);
        v.set(row, ColCostUnit, price.unit);
        changed = true;
    }
    if (!price.restored.isEmpty()) {
        v.set(row, ColCostInitial, QString());
        v.set(row, ColCostRestored, price.restored);
        changed = true;
    }
    if (!changed)
        return false;
    CopyToFull(sheet, row, CostItemRow(sheet, v.at(row, ColCostNumber)));
    RecalcCosts(sheet, -1, -1);
    return true;
}

void ClearAllCosts(CostsSheet& sheet) {
    ClearGrid(sheet.full, 1);
    ClearGrid(sheet.visible, 1);
    sheet.lastNumber = 0;
    RecalcCosts(sheet, -1, -1);
}

bool HasCostItems(const CostsSheet& sheet) {
    const StringGrid& full = sheet.full;
    for (int row = full.fixedRows(); row < full.rowCount(); ++row)
        for (int col = 0; col < full.colCount(); ++col)
            if (!full.at(row, col).trimmed().isEmpty())
                return true;
    return false;
}

StepCheck CheckCosts(const CostsSheet& sheet) {
    const StringGrid& full = sheet.full;
    for (int row = full.fixedRows(); row < full.rowCount(); ++row) {
        if (full.at(row, ColCostNumber).isEmpty())
            continue;
        for (int col : {ColCostInitial, ColCostRestored, ColCostQuantity, ColCostTotal}) {
            const std::optional<double> value = ParseNumber(full.at(row, col));
            if (value && *value < 0)
                return CellIssue(QStringLiteral("GridVytratyUser"), row, col,
                                 QStringLiteral("Вартість, кількість і сума витрат не можуть "
                                                "бути від'ємними."));
        }
    }
    return std::nullopt;
}

QString CostsHint(const CostsSheet& sheet, const StringGrid& prices) {
    const std::optional<double> area = ParseNumber(sheet.area);
    if (!area || *area <= 0)
        return QStringLiteral("Спершу вкажіть оціночну територію в кроці \"Визначення площ\": "
                              "без неї витрати на 1 кв. м не обчислюються.");
    bool items = false;
    for (int row = sheet.full.fixedRows(); row < sheet.full.rowCount() && !items; ++row)
        items = !sheet.full.at(row, ColCostNumber).isEmpty();
    if (items)
        return QString();
    bool priced = false;
    for (int row = prices.fixedRows(); row < prices.rowCount() && !priced; ++row)
        priced = !prices.at(row, ColPriceRestored).isEmpty();
    QString hint = QStringLiteral("Оберіть розділ ліворуч і додайте витрати: Insert або "
                                  "\"Додати строку\" в контекстному меню таблиці.");
    if (!priced)
        hint += QStringLiteral(" Ціни у збірнику можна імпортувати в \"Довідники\" → "
                               "\"збірник_цін\".");
    return hint;
}
