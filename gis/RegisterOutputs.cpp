// The register of plots as a workbook and as a GeoPackage layer.
#include "gis/RegisterOutputs.h"

#include "common/LastError.h"
#include "common/TextUtils.h"
#include "map/GeoPackage.h"
#include "map/Geometry.h"
#include "office/OfficeCall.h"
#include "office/Workbook.h"
#include "valuation/Formulas.h"

#include <ogr_geometry.h>

namespace {

const char* const SheetType =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";

/** A blank workbook with the register's two sheets, named. */
std::unique_ptr<Workbook> twoSheetBook() {
    std::unique_ptr<Workbook> blank = Workbook::createBlank();
    OoxmlPackage& p = blank->package();
    const QString second = QStringLiteral("xl/worksheets/sheet2.xml");
    p.setPartData(second, p.partData(QStringLiteral("xl/worksheets/sheet1.xml")));
    p.setContentTypeOverride(second, QStringLiteral("application/vnd.openxmlformats-"
                                                    "officedocument.spreadsheetml.worksheet+xml"));
    const QString id =
        p.addRelationship(QStringLiteral("xl/workbook.xml"), QString::fromLatin1(SheetType),
                          QStringLiteral("worksheets/sheet2.xml"));
    pugi::xml_node sheets =
        p.xml(QStringLiteral("xl/workbook.xml")).document_element().child("sheets");
    sheets.child("sheet").attribute("name").set_value(RegisterSheetName().toUtf8().constData());
    pugi::xml_node sheet = sheets.append_child("sheet");
    sheet.append_attribute("name").set_value(NotValuedSheetName().toUtf8().constData());
    sheet.append_attribute("sheetId").set_value(2);
    sheet.append_attribute("r:id").set_value(id.toUtf8().constData());
    return Workbook::openFromMemory(p.saveToMemory());
}

/** The distinct texts, in their first order. */
QString joined(const QStringList& texts, const QString& separator) {
    QStringList distinct;
    for (const QString& t : texts)
        if (!t.isEmpty() && !distinct.contains(t))
            distinct << t;
    return distinct.join(separator);
}

QString km3Text(const PlaceFigures& part) {
    if (part.factors.empty())
        return part.km3;
    QStringList factors;
    for (const PlaceFactor& f : part.factors)
        factors << f.layer + u' ' + f.coefficient;
    return QStringLiteral("%1 (%2)").arg(part.km3, factors.join(QStringLiteral(", ")));
}

/** The texts of a plot's parts, one field of each. */
QStringList partsOf(const ValuedPlot& v, QString PlaceFigures::*field) {
    QStringList out;
    for (const PlaceFigures& p : v.valuation.parts)
        out << p.*field;
    return out;
}

QString hectaresText(double ha) {
    return ha > 0 ? valuation::Fixed(ha, 4) : QString();
}

enum Column {
    Number = 1,
    Cadastral,
    Address,
    PurposeCode,
    PurposeTitle,
    Category,
    Kf,
    StatedArea,
    DrawnArea,
    Districts,
    Zones,
    Km2,
    Km3,
    PerSqM,
    Value,
    Indexed,
    TaxRate,
    Tax,
    Notes,
    ColumnCount = Notes
};

void writeHeader(Worksheet& sheet, int toYear, bool taxed) {
    const QStringList captions = {
        QStringLiteral("№"),
        QStringLiteral("Кадастровий номер"),
        QStringLiteral("Адреса"),
        QStringLiteral("Код цільового призначення"),
        QStringLiteral("Цільове призначення"),
        QStringLiteral("Категорія функціонального використання"),
        QStringLiteral("Кф"),
        QStringLiteral("Площа зазначена, га"),
        QStringLiteral("Площа за межею, га"),
        QStringLiteral("Район(и)"),
        QStringLiteral("Зона(и)"),
        QStringLiteral("Км2"),
        QStringLiteral("Км3 (локальні фактори)"),
        QStringLiteral("Вартість 1 м², грн"),
        QStringLiteral("Нормативна грошова оцінка, грн"),
        toYear > 0 ? QStringLiteral("Оцінка з індексацією на %1 рік, грн").arg(toYear)
                   : QStringLiteral("Оцінка з індексацією, грн"),
        QStringLiteral("Ставка земельного податку, %"),
        QStringLiteral("Земельний податок за рік, грн"),
        QStringLiteral("Примітки")};
    const double widths[] = {6,  24, 30, 10, 30, 24, 6,  12, 12, 10,
                             10, 12, 26, 12, 16, 16, 10, 14, 40};
    for (int c = 0; c < captions.size(); ++c) {
        sheet.setCellString(1, c + 1, captions[c]);
        sheet.setCellBold(1, c + 1, true);
        sheet.setColumnWidth(c + 1, widths[c]);
    }
    if (!taxed) { // no rates given: the tax columns are hidden
        sheet.setColumnWidth(TaxRate, 0);
        sheet.setColumnWidth(Tax, 0);
    }
}

void writePlot(Worksheet& sheet, int row, int number, const RegisterPlot& p, const ValuedPlot& v,
               const PurposeName& purposeName) {
    sheet.setCellValue(row, Number, QString::number(number));
    sheet.setCellString(row, Cadastral, p.cadastral.isEmpty() ? p.source : p.cadastral);
    sheet.setCellString(row, Address, p.address);
    sheet.setCellString(row, PurposeCode, p.purpose);
    if (purposeName && !p.purpose.isEmpty())
        sheet.setCellString(row, PurposeTitle, purposeName(p.purpose));
    sheet.setCellString(row, Category,
                        QStringLiteral("%1 - %2").arg(v.valuation.use, v.valuation.useName));
    sheet.setCellValue(row, Kf, v.valuation.kf);
    sheet.setCellValue(row, StatedArea, hectaresText(p.statedHa));
    sheet.setCellValue(row, DrawnArea, v.drawnHa);
    sheet.setCellString(row, Districts,
                        joined(partsOf(v, &PlaceFigures::district), QStringLiteral(", ")));
    sheet.setCellString(row, Zones, joined(partsOf(v, &PlaceFigures::zone), QStringLiteral(", ")));
    const QString km2 = joined(partsOf(v, &PlaceFigures::km2), QStringLiteral("; "));
    sheet.setCellValue(row, Km2, km2);
    QStringList km3;
    for (const PlaceFigures& part : v.valuation.parts)
        km3 << km3Text(part);
    sheet.setCellValue(row, Km3, joined(km3, QStringLiteral("; ")));
    sheet.setCellValue(row, PerSqM, PlotValuePerSqM(v));
    sheet.setCellValue(row, Value, v.valuation.value);
    sheet.setCellValue(row, Indexed, v.valuation.indexedValue);
    sheet.setCellValue(row, TaxRate, v.taxRate);
    sheet.setCellValue(row, Tax, v.tax);
    QStringList notes;
    if (v.valuation.parts.size() > 1) {
        QStringList parts;
        for (const PlaceFigures& part : v.valuation.parts)
            parts << QStringLiteral("район %1: %2 га × %3 грн = %4 грн")
                         .arg(part.district, part.areaHa, part.valuePerSqM, part.value);
        notes << QStringLiteral("Частини: ") + parts.join(QStringLiteral("; ")) + u'.';
    }
    notes << v.notes;
    sheet.setCellString(row, Notes, notes.join(u' '));
}

void writeNotValued(Worksheet& sheet, const std::vector<RegisterPlot>& plots,
                    const std::vector<ValuedPlot>& valued) {
    const QStringList captions = {QStringLiteral("№"), QStringLiteral("Кадастровий номер"),
                                  QStringLiteral("Джерело"), QStringLiteral("Причина")};
    const double widths[] = {6, 24, 40, 80};
    for (int c = 0; c < captions.size(); ++c) {
        sheet.setCellString(1, c + 1, captions[c]);
        sheet.setCellBold(1, c + 1, true);
        sheet.setColumnWidth(c + 1, widths[c]);
    }
    int row = 1;
    for (size_t i = 0; i < plots.size(); ++i) {
        if (valued[i].valued)
            continue;
        ++row;
        sheet.setCellValue(row, 1, QString::number(row - 1));
        sheet.setCellString(row, 2, plots[i].cadastral);
        sheet.setCellString(row, 3, plots[i].source);
        sheet.setCellString(row, 4, valued[i].reason);
    }
}

FieldDef column(const QString& name, FieldKind kind) {
    return FieldDef{name, kind, kind == FieldKind::Char ? 254 : 0, 0, false};
}

} // namespace

QString RegisterSheetName() {
    return QStringLiteral("Реєстр ділянок");
}

QString NotValuedSheetName() {
    return QStringLiteral("Не оцінено");
}

bool WriteRegisterBook(const QString& path, const std::vector<RegisterPlot>& plots,
                       const std::vector<ValuedPlot>& valued, const PurposeName& purposeName,
                       QString* error) {
    if (plots.size() != valued.size())
        return FailWith(error, QStringLiteral("Реєстр не оцінено."));
    QString why;
    if (!OfficeCall(
            [&] {
                std::unique_ptr<Workbook> book = twoSheetBook();
                Worksheet& sheet = book->worksheet(1);
                int toYear = 0;
                for (const ValuedPlot& v : valued)
                    if (v.valued && !v.valuation.indexedValue.isEmpty())
                        toYear = v.valuation.toYear;
                const RegisterTotals t = TotalsOf(plots, valued);
                writeHeader(sheet, toYear, !t.tax.isEmpty());
                int row = 1;
                for (size_t i = 0; i < plots.size(); ++i)
                    if (valued[i].valued) {
                        ++row;
                        writePlot(sheet, row, row - 1, plots[i], valued[i], purposeName);
                    }
                ++row;
                sheet.setCellString(row, Cadastral,
                                    QStringLiteral("Разом: %1 ділянок (не оцінено: %2)")
                                        .arg(t.valued)
                                        .arg(t.notValued));
                double stated = 0, drawn = 0;
                for (size_t i = 0; i < plots.size(); ++i)
                    if (valued[i].valued) {
                        stated += plots[i].statedHa;
                        drawn += NumberOr0(valued[i].drawnHa);
                    }
                sheet.setCellValue(row, StatedArea, valuation::Fixed(stated, 4));
                sheet.setCellValue(row, DrawnArea, valuation::Fixed(drawn, 4));
                sheet.setCellValue(row, Value, t.value);
                sheet.setCellValue(row, Indexed, t.indexedValue);
                sheet.setCellValue(row, Tax, t.tax);
                for (int c = 1; c <= ColumnCount; ++c)
                    sheet.setCellBold(row, c, true);
                writeNotValued(book->worksheet(2), plots, valued);
                book->saveCopyAs(path);
            },
            &why))
        return FailWith(error, QStringLiteral("Реєстр не записано: %1").arg(why));
    return true;
}

bool WriteRegisterPackage(const QString& path, const std::vector<RegisterPlot>& plots,
                          const std::vector<ValuedPlot>& valued, const QString& crsWkt,
                          QString* error) {
    PackageLayer layer{QStringLiteral("plots"),
                       {column(QStringLiteral("cadastral"), FieldKind::Char),
                        column(QStringLiteral("purpose"), FieldKind::Char),
                        column(QStringLiteral("use"), FieldKind::Char),
                        column(QStringLiteral("address"), FieldKind::Char),
                        column(QStringLiteral("stated_ha"), FieldKind::Float),
                        column(QStringLiteral("drawn_ha"), FieldKind::Float),
                        column(QStringLiteral("area_ha"), FieldKind::Float),
                        column(QStringLiteral("districts"), FieldKind::Char),
                        column(QStringLiteral("zones"), FieldKind::Char),
                        column(QStringLiteral("value_m2"), FieldKind::Float),
                        column(QStringLiteral("value"), FieldKind::Float),
                        column(QStringLiteral("indexed"), FieldKind::Float),
                        column(QStringLiteral("tax"), FieldKind::Float),
                        column(QStringLiteral("reason"), FieldKind::Char)},
                       {},
                       crsWkt};
    auto names = std::make_shared<QStringList>();
    for (const FieldDef& f : layer.fields)
        *names << f.name;
    for (size_t i = 0; i < plots.size() && i < valued.size(); ++i) {
        const RegisterPlot& p = plots[i];
        const ValuedPlot& v = valued[i];
        if (!p.geometry)
            continue;
        Feature f;
        f.setFields(names);
        f.setGeometry(
            std::make_shared<const Geometry>(std::unique_ptr<OGRGeometry>(p.geometry->clone())));
        const QStringList values = {
            p.cadastral,
            p.purpose,
            v.valuation.use,
            p.address,
            hectaresText(p.statedHa),
            v.drawnHa,
            v.valued ? v.areaHa : QString(),
            joined(partsOf(v, &PlaceFigures::district), QStringLiteral(", ")),
            joined(partsOf(v, &PlaceFigures::zone), QStringLiteral(", ")),
            PlotValuePerSqM(v),
            v.valued ? v.valuation.value : QString(),
            v.valuation.indexedValue,
            v.tax,
            v.reason};
        for (qsizetype k = 0; k < values.size(); ++k)
            f.setValueAt(static_cast<int>(k), values[k]);
        layer.features.push_back(std::move(f));
    }
    return GeoPackage::write(path, {layer}, error);
}
