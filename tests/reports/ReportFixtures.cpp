#include "ReportFixtures.h"

#include "common/FileUtils.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "db/Transaction.h"
#include "office/Document.h"
#include "office/Workbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace fixtures {

namespace {

QByteArray Escaped(const QString& text) {
    return text.toHtmlEscaped().toUtf8();
}

QByteArray Cell(const QString& text, int span = 1, bool bold = false) {
    QByteArray c =
        "<w:tc><w:tcPr><w:tcW w:w=\"" + QByteArray::number(900 * span) + "\" w:type=\"dxa\"/>";
    if (span > 1)
        c += "<w:gridSpan w:val=\"" + QByteArray::number(span) + "\"/>";
    c += "</w:tcPr><w:p>";
    if (!text.isEmpty()) {
        c += "<w:r>";
        if (bold)
            c += "<w:rPr><w:b/></w:rPr>";
        c += "<w:t xml:space=\"preserve\">" + Escaped(text) + "</w:t></w:r>";
    }
    return c + "</w:p></w:tc>";
}

QByteArray Row(const QStringList& cells, bool bold = false) {
    QByteArray r = "<w:tr>";
    for (const QString& c : cells)
        r += Cell(c, 1, bold);
    return r + "</w:tr>";
}

/** A table: the title over all columns, header rows, one empty data row, fixed rows below. */
struct Shape {
    QString title;
    int columns;
    int headerRows;
    bool dataRow;
    QStringList fixedRows;
};

QByteArray Table(const Shape& s) {
    QByteArray t = "<w:tbl><w:tblPr><w:tblW w:w=\"0\" w:type=\"auto\"/><w:tblBorders>"
                   "<w:insideH w:val=\"single\" w:sz=\"4\"/><w:insideV w:val=\"single\" "
                   "w:sz=\"4\"/></w:tblBorders></w:tblPr><w:tblGrid>";
    for (int c = 0; c < s.columns; ++c)
        t += "<w:gridCol w:w=\"900\"/>";
    t += "</w:tblGrid><w:tr>" + Cell(s.title, s.columns, true) + "</w:tr>";
    for (int h = 0; h < s.headerRows; ++h) {
        QStringList cells;
        for (int c = 1; c <= s.columns; ++c)
            cells << QStringLiteral("г%1.%2").arg(h + 1).arg(c);
        t += Row(cells, true);
    }
    if (s.dataRow)
        t += Row(QStringList(s.columns, QString()));
    for (const QString& fixed : s.fixedRows) {
        QStringList cells(s.columns, QString());
        cells[0] = fixed;
        t += Row(cells);
    }
    return t + "</w:tbl><w:p/>";
}

QStringList Numbered(const QString& prefix, int count) {
    QStringList rows;
    for (int i = 1; i <= count; ++i)
        rows << prefix + QString::number(i);
    return rows;
}

} // namespace

bool RunStatements(Connection& connection, const QString& script, QString* error);

void MakeReportTemplate(const QString& path) {
    const std::vector<Shape> shapes{
        {QStringLiteral("Загальні дані про населений пункт NP"), 2, 1, true, {}},
        {QStringLiteral("Витрати на освоєння та облаштування земель"),
         5,
         2,
         true,
         {QStringLiteral("Разом"), QStringLiteral("Витрати на 1 м²")}},
        {QStringLiteral("Структура земель населеного пункту NP"), 2, 1, false,
         Numbered(QStringLiteral("рядок "), 20)},
        {QStringLiteral("Опис та склад районів NP"), 3, 1, true, {}},
        {QStringLiteral("Анкета експертної оцінки населеного пункту"), 25, 1, true, {}},
        {QStringLiteral("Розрахунок комплексного Іі"),
         4,
         1,
         true,
         {QStringLiteral("Середньозважений бал")}},
        {QStringLiteral("Результати пофакторної оцінки NP"), 6, 1, true, {}},
        {QStringLiteral("Визначення зонального коефіцієнта Км2"), 5, 1, true, {}},
        {QStringLiteral("Локальні фактори та значення коефіцієнту Км3"), 2, 1, true, {}},
        {QStringLiteral("Грошова оцінка земель різного функціонального призначення"),
         10,
         3,
         true,
         {}},
        {QStringLiteral("Опис меж економіко-планувальних зон"), 3, 1, true, {}},
        {QStringLiteral("Таблиця без відомої назви"), 2, 1, true, {}},
        {QStringLiteral("Бали бонітетів агровиробничих груп ґрунтів"),
         5,
         2,
         true,
         {QStringLiteral("Середній бал")}},
        {QStringLiteral("Нормативна грошова оцінка сільськогосподарських угідь"),
         5,
         2,
         true,
         {QStringLiteral("Разом")}},
        {QStringLiteral("Грошова оцінка окремих земельних ділянок"), 8, 1, false,
         Numbered(QStringLiteral("ділянка "), 8)},
    };
    QByteArray body = "<w:p><w:r><w:t xml:space=\"preserve\">Технічний звіт: </w:t></w:r>"
                      "<w:bookmarkStart w:id=\"0\" w:name=\"NP\"/><w:r><w:t>назва</w:t></w:r>"
                      "<w:bookmarkEnd w:id=\"0\"/></w:p>";
    // The title page's requisites and the results the text states, each a bookmark.
    int id = 10;
    for (const char* name : {"CLIENT", "CONTRACTOR", "STATUS", "CHECKED", "YEAR", "COSTS", "KM1",
                             "AVERAGE", "RESULTS"}) {
        const QByteArray n = QByteArray::number(id++);
        body += "<w:p><w:r><w:t xml:space=\"preserve\">" + QByteArray(name) +
                ": </w:t></w:r><w:bookmarkStart w:id=\"" + n + "\" w:name=\"" + name +
                "\"/><w:r><w:t>____</w:t></w:r><w:bookmarkEnd w:id=\"" + n + "\"/></w:p>";
    }
    for (const Shape& s : shapes)
        body += Table(s);
    // The list of the map appendices and the place of their pages.
    body += "<w:p><w:bookmarkStart w:id=\"1\" w:name=\"MAPLIST\"/><w:r><w:t>карти</w:t></w:r>"
            "<w:bookmarkEnd w:id=\"1\"/></w:p>"
            "<w:p><w:bookmarkStart w:id=\"2\" w:name=\"MAPS\"/><w:bookmarkEnd w:id=\"2\"/></w:p>";
    const QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><w:document "
        "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>" +
        body + "<w:sectPr/></w:body></w:document>";
    auto document = WordDocument::createBlank();
    document->package().setPartData(document->mainPart(), xml);
    document->package().save(path);
}

void MakeWorkbookTemplate(const QString& path, bool quarters) {
    auto book = Workbook::createBlank();
    Worksheet& sheet = book->worksheet(1);
    const int columns = quarters ? 40 : 41;
    sheet.setCellValue(1, 1,
                       quarters ? QStringLiteral("Розрахунок грошової оцінки з кварталами")
                                : QStringLiteral("Розрахунок грошової оцінки"));
    for (int c = 1; c <= columns; ++c) {
        sheet.setColumnWidth(c, 9);
        sheet.setCellValue(5, c, QStringLiteral("к%1").arg(c));
    }
    for (int c = 1; c < (quarters ? 9 : 8); ++c)
        sheet.setCellValue(6, c, QString::number(c));
    book->saveCopyAs(path);
}

void MakeTemplates(const QString& templateDir) {
    QDir().mkpath(templateDir);
    MakeReportTemplate(JoinPath(templateDir, QStringLiteral("Технічний звіт.dotx")));
    MakeWorkbookTemplate(JoinPath(templateDir, QStringLiteral("Розрахунок грошової оцінки.xltx")),
                         false);
    MakeWorkbookTemplate(
        JoinPath(templateDir, QStringLiteral("Розрахунок грошової оцінки з кварталами.xltx")),
        true);
}

bool RunScript(Connection& connection, const QString& script, QString* error) {
    // One transaction: a statement at a time would wait for the disk each time.
    Transaction transaction(connection);
    return RunStatements(connection, script, error) && transaction.commit();
}

bool RunStatements(Connection& connection, const QString& script, QString* error) {
    Query q(&connection);
    QString current;
    bool quote = false;
    auto run = [&]() {
        const QString statement = current.trimmed();
        current.clear();
        if (statement.isEmpty() || RunQuery(q, statement, false))
            return true;
        if (error)
            *error = LastError();
        return false;
    };
    for (const QString& line : script.split(u'\n')) {
        if (!quote && line.trimmed().startsWith(QStringLiteral("--")))
            continue;
        for (QChar c : line) {
            if (c == u'\'')
                quote = !quote;
            if (c == u';' && !quote) {
                if (!run())
                    return false;
            } else {
                current += c;
            }
        }
        current += u'\n';
    }
    return run();
}

QString FirstDifference(const QString& expected, const QString& actual) {
    if (expected == actual)
        return QString();
    const QStringList e = expected.split(u'\n'), a = actual.split(u'\n');
    for (qsizetype i = 0;; ++i) {
        const QString el = i < e.size() ? e[i] : QStringLiteral("<none>");
        const QString al = i < a.size() ? a[i] : QStringLiteral("<none>");
        if (el != al)
            return QStringLiteral("line %1\n expected: %2\n   actual: %3").arg(i + 1).arg(el, al);
    }
}

QString SourceFile(const QString& relative) {
    QFile file(QStringLiteral(TAMBERON_SOURCE_DIR "/") + relative);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

bool CreateSettlementDatabase(const QString& path, QString* error) {
    QFile::remove(path);
    QDir().mkpath(QFileInfo(path).path());
    Connection db;
    if (!db.create(path)) {
        if (error)
            *error = db.errorText();
        return false;
    }
    QString columns;
    for (int n = 1; n <= 20; ++n)
        columns += QStringLiteral(", ф_%1 nvarchar (50)").arg(n);
    QString factors;
    for (int n = 1; n <= 30; ++n)
        factors += QStringLiteral(", лок_%1 nvarchar (10)").arg(n);
    return RunScript(db, SourceFile(QStringLiteral("data/settlement.sql")), error) &&
           RunScript(db, SourceFile(QStringLiteral("data/settlement_rows.sql")), error) &&
           RunScript(db,
                     QStringLiteral("CREATE TABLE функціональне (id AUTOINCREMENT, район nvarchar "
                                    "(50)") +
                         columns +
                         QStringLiteral(");\nCREATE TABLE відомість_кварталів (id int, зона "
                                        "nvarchar (50), район nvarchar (50), квартали nvarchar "
                                        "(50), назва nvarchar (50), функ nvarchar (50)") +
                         factors + u')',
                     error);
}

bool CreateCatalogue(const QString& path, int factors, const QString& settlementFolder,
                     const QString& settlementName) {
    QFile::remove(path);
    Connection db;
    if (!db.create(path) || !RunScript(db, SourceFile(QStringLiteral("data/catalogue.sql"))))
        return false;
    QString script;
    for (int n = 1; n <= factors; ++n)
        script += QStringLiteral("INSERT INTO локальні (назва_фактору, назва_коротко, мин, макс) "
                                 "VALUES ('Фактор %1', 'Ф %1', '0.90', '1.10');\n")
                      .arg(n);
    if (!settlementFolder.isEmpty())
        script += QStringLiteral("INSERT INTO projects (uid, part_uid, named, pathname) VALUES "
                                 "('1', '', 'Проект', '%1');\n"
                                 "INSERT INTO projects (uid, part_uid, named, pathname) VALUES "
                                 "('2', '1', '%2', '%3');\n")
                      .arg(QuoteSql(QFileInfo(settlementFolder).path()), QuoteSql(settlementName),
                           QuoteSql(settlementFolder));
    return RunScript(db, script);
}

bool CreateSettlement(const QString& appDir, const QString& folder, const QString& script,
                      QString* error) {
    MakeTemplates(JoinPath(appDir, QStringLiteral("Шаблон")));
    const QString database = JoinPath(folder, QStringLiteral("data.sqlite"));
    if (!CreateSettlementDatabase(database, error))
        return false;
    Connection db;
    return db.open(database) && RunScript(db, script, error) &&
           CreateCatalogue(JoinPath(appDir, QStringLiteral("baza.sqlite")), 30, folder,
                           QStringLiteral("с. Тестове"));
}

QString DumpReport(const QString& docxPath) {
    auto document = WordDocument::open(docxPath);
    QString dump = QStringLiteral("NP: ") + document->bookmarkText(QStringLiteral("NP")) + u'\n';
    // The paragraphs outside the tables, as the report's text reads: the requisites, the
    // results and the list of the map appendices.
    const pugi::xml_node body =
        document->package().xml(document->mainPart()).document_element().child("w:body");
    for (pugi::xml_node p = body.child("w:p"); p; p = p.next_sibling("w:p")) {
        QString text;
        for (const pugi::xpath_node& t : p.select_nodes(".//w:t"))
            text += QString::fromUtf8(t.node().child_value());
        if (p.select_node(".//w:drawing"))
            text += QStringLiteral("[малюнок]");
        if (!text.isEmpty())
            dump += QStringLiteral("¶ ") + text + u'\n';
    }
    for (int i = 1; i <= document->tableCount(); ++i) {
        const WordTable t = document->table(i);
        dump += QStringLiteral("## ") + t.cellText(1, 1) +
                QStringLiteral(" [%1]").arg(t.columnCount()) + u'\n';
        for (int r = 2; r <= t.rowCount(); ++r) {
            QStringList cells;
            for (int c = 1; c <= t.columnCount(); ++c) {
                QString text;
                try {
                    text = t.cellText(r, c);
                    if (!text.isEmpty() && t.cellBold(r, c) && r > 1)
                        text += u'*';
                } catch (...) {
                    break;
                }
                cells << text;
            }
            while (!cells.isEmpty() && cells.last().isEmpty())
                cells.removeLast();
            dump += QString::number(r) + QStringLiteral(": ") + cells.join(QStringLiteral(" | ")) +
                    u'\n';
        }
    }
    return dump;
}

QString DumpWorkbook(const QString& xlsxPath) {
    auto book = Workbook::open(xlsxPath);
    Worksheet& sheet = book->worksheet(1);
    auto letter = [](int column) {
        QString ref = CellReference(1, column);
        ref.chop(1);
        return ref;
    };
    QStringList hidden;
    for (int c = 1; c <= 45; ++c) {
        if (sheet.columnWidth(c) == 0)
            hidden << letter(c);
    }
    QString dump = QStringLiteral("hidden: ") + hidden.join(u' ') + u'\n';
    const SheetCells cells = sheet.values();
    for (int r = 1; r <= cells.rowCount(); ++r) {
        QStringList values;
        for (int c = 1; c <= cells.columnCount(); ++c) {
            const QString text = cells.text(r, c);
            if (!text.isEmpty())
                values << letter(c) + (sheet.cellBold(r, c) ? QStringLiteral("*") : QString()) +
                              QStringLiteral("=") + text;
        }
        if (!values.isEmpty() && r != 5)
            dump += QString::number(r) + QStringLiteral(": ") + values.join(QStringLiteral(" | ")) +
                    u'\n';
    }
    return dump;
}

} // namespace fixtures
