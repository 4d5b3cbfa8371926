#include "tools/make_documents/SheetLayout.h"

#include "tools/make_documents/Xml.h"

#include <QHash>
#include <algorithm>

namespace {

// Cell formats of styles.xml below, by position in cellXfs.
enum Style {
    Plain = 0,
    TitleStyle = 1,
    SubtitleStyle = 2,
    HeadingStyle = 3,
    HeadingUp = 4,
    Numbering = 5,
    DataText = 6,
    DataCode = 7,
    DataMoney = 8,
    DataArea = 9,
    HiddenValue = 10,
    TotalsLabel = 11,
    TotalsArea = 12,
    TotalsCode = 13,
};

const char* const kStyles = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<numFmts count="3"><numFmt numFmtId="164" formatCode="0.00"/><numFmt numFmtId="165" formatCode="0.0000"/><numFmt numFmtId="166" formatCode=";;;"/></numFmts>
<fonts count="6">
<font><sz val="10"/><name val="Arial"/><family val="2"/><charset val="204"/></font>
<font><b/><sz val="12"/><name val="Arial"/><family val="2"/><charset val="204"/></font>
<font><i/><sz val="10"/><name val="Arial"/><family val="2"/><charset val="204"/></font>
<font><b/><sz val="8"/><name val="Arial"/><family val="2"/><charset val="204"/></font>
<font><i/><sz val="8"/><name val="Arial"/><family val="2"/><charset val="204"/></font>
<font><b/><sz val="10"/><name val="Arial"/><family val="2"/><charset val="204"/></font>
</fonts>
<fills count="3"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill><fill><patternFill patternType="solid"><fgColor rgb="FFEDEDED"/><bgColor indexed="64"/></patternFill></fill></fills>
<borders count="2"><border><left/><right/><top/><bottom/><diagonal/></border>
<border><left style="thin"><color auto="1"/></left><right style="thin"><color auto="1"/></right><top style="thin"><color auto="1"/></top><bottom style="thin"><color auto="1"/></bottom><diagonal/></border></borders>
<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>
<cellXfs count="14">
<xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>
<xf numFmtId="0" fontId="1" fillId="0" borderId="0" xfId="0" applyFont="1" applyAlignment="1"><alignment horizontal="center" vertical="center"/></xf>
<xf numFmtId="0" fontId="2" fillId="0" borderId="0" xfId="0" applyFont="1" applyAlignment="1"><alignment horizontal="center" vertical="center" wrapText="1"/></xf>
<xf numFmtId="0" fontId="3" fillId="2" borderId="1" xfId="0" applyFont="1" applyFill="1" applyBorder="1" applyAlignment="1"><alignment horizontal="center" vertical="center" wrapText="1"/></xf>
<xf numFmtId="0" fontId="3" fillId="2" borderId="1" xfId="0" applyFont="1" applyFill="1" applyBorder="1" applyAlignment="1"><alignment horizontal="center" vertical="center" textRotation="90" wrapText="1"/></xf>
<xf numFmtId="0" fontId="4" fillId="0" borderId="1" xfId="0" applyFont="1" applyBorder="1" applyAlignment="1"><alignment horizontal="center" vertical="center"/></xf>
<xf numFmtId="49" fontId="0" fillId="0" borderId="1" xfId="0" applyNumberFormat="1" applyBorder="1" applyAlignment="1"><alignment horizontal="left" vertical="center" wrapText="1"/></xf>
<xf numFmtId="0" fontId="0" fillId="0" borderId="1" xfId="0" applyBorder="1" applyAlignment="1"><alignment horizontal="center" vertical="center"/></xf>
<xf numFmtId="164" fontId="0" fillId="0" borderId="1" xfId="0" applyNumberFormat="1" applyBorder="1" applyAlignment="1"><alignment horizontal="right" vertical="center"/></xf>
<xf numFmtId="165" fontId="0" fillId="0" borderId="1" xfId="0" applyNumberFormat="1" applyBorder="1" applyAlignment="1"><alignment horizontal="right" vertical="center"/></xf>
<xf numFmtId="166" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>
<xf numFmtId="49" fontId="5" fillId="0" borderId="1" xfId="0" applyNumberFormat="1" applyFont="1" applyBorder="1" applyAlignment="1"><alignment horizontal="left" vertical="center"/></xf>
<xf numFmtId="165" fontId="5" fillId="0" borderId="1" xfId="0" applyNumberFormat="1" applyFont="1" applyBorder="1" applyAlignment="1"><alignment horizontal="right" vertical="center"/></xf>
<xf numFmtId="0" fontId="5" fillId="0" borderId="1" xfId="0" applyFont="1" applyBorder="1" applyAlignment="1"><alignment horizontal="center" vertical="center"/></xf>
</cellXfs>
<cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles>
</styleSheet>
)";

int DataStyle(const QString& format) {
    if (format == QStringLiteral("code"))
        return DataCode;
    if (format == QStringLiteral("money"))
        return DataMoney;
    if (format == QStringLiteral("area"))
        return DataArea;
    return DataText;
}

QString ColumnLetters(int column) {
    QString letters;
    for (int c = column; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters;
}

QString Ref(int row, int column) {
    return ColumnLetters(column) + QString::number(row);
}

/** Cells of a sheet being written, kept by row and column until the XML is made. */
class SheetCells {
public:
    void text(int row, int column, const QString& value, int style) {
        m_rows[row][column] = {QStringLiteral("s"), QString::number(shared(value)), style, {}};
    }
    void number(int row, int column, const QString& value, int style) {
        m_rows[row][column] = {QString(), value, style, {}};
    }
    void formula(int row, int column, const QString& formula, const QString& cached, int style) {
        m_rows[row][column] = {QStringLiteral("str"), cached, style, formula};
    }
    /** An empty cell with a style, unless the cell already has content. */
    void styled(int row, int column, int style) {
        m_rows[row].try_emplace(column, Entry{QString(), QString(), style, {}});
    }
    QString xml(const std::map<int, double>& heights) const {
        QString x = QStringLiteral("<sheetData>");
        for (const auto& [row, cells] : m_rows) {
            x += QStringLiteral("<row r=\"%1\"").arg(row);
            if (const auto h = heights.find(row); h != heights.end())
                x += QStringLiteral(" ht=\"%1\" customHeight=\"1\"").arg(h->second);
            x += u'>';
            for (const auto& [column, e] : cells) {
                x += QStringLiteral("<c r=\"%1\" s=\"%2\"").arg(Ref(row, column)).arg(e.style);
                if (!e.type.isEmpty())
                    x += QStringLiteral(" t=\"%1\"").arg(e.type);
                x += u'>';
                if (!e.formula.isEmpty())
                    x += QStringLiteral("<f>") + XmlEscape(e.formula) + QStringLiteral("</f>");
                if (!e.value.isEmpty())
                    x += QStringLiteral("<v>") + XmlEscape(e.value) + QStringLiteral("</v>");
                x += QStringLiteral("</c>");
            }
            x += QStringLiteral("</row>");
        }
        return x + QStringLiteral("</sheetData>");
    }
    QByteArray sharedStrings() const {
        QString x =
            QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<sst "
                           "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                           "count=\"%1\" uniqueCount=\"%1\">")
                .arg(m_strings.size());
        for (const QString& s : m_strings)
            x += QStringLiteral("<si><t xml:space=\"preserve\">") + XmlEscape(s) +
                 QStringLiteral("</t></si>");
        return (x + QStringLiteral("</sst>\n")).toUtf8();
    }

private:
    struct Entry {
        QString type;
        QString value;
        int style = 0;
        QString formula;
    };
    int shared(const QString& s) {
        const auto it = m_index.constFind(s);
        if (it != m_index.constEnd())
            return it.value();
        m_strings << s;
        return m_index[s] = static_cast<int>(m_strings.size()) - 1;
    }
    std::map<int, std::map<int, Entry>> m_rows;
    QStringList m_strings;
    QHash<QString, int> m_index;
};

} // namespace

bool SheetLayout::parse(const QString& text, const QStringList& factorNames, QString* error) {
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'%'))
            continue;
        const QStringList w = line.split(u' ', Qt::SkipEmptyParts);
        auto fail = [&](const QString& what) {
            if (error)
                *error = QStringLiteral("рядок %1: %2").arg(i + 1).arg(what);
            return false;
        };
        auto rest = [&](int from) { return w.mid(from).join(u' '); };
        auto integer = [&](int at, int& value) {
            bool ok = false;
            value = w.value(at).toInt(&ok);
            return ok;
        };
        const QString& d = w[0];
        int a = 0, b = 0, c = 0, e = 0;
        if (d == QStringLiteral("sheet")) {
            m_sheet = rest(1);
        } else if (d == QStringLiteral("title")) {
            m_title = rest(1);
        } else if (d == QStringLiteral("subtitle")) {
            m_subtitles << rest(1);
        } else if (d == QStringLiteral("name")) {
            if (!integer(1, m_nameColumn))
                return fail(QStringLiteral("name: номер стовпця"));
        } else if (d == QStringLiteral("heading")) {
            if (!integer(1, m_headingFrom) || !integer(2, m_headingTo) ||
                m_headingTo < m_headingFrom)
                return fail(QStringLiteral("heading: рядки від і до"));
        } else if (d == QStringLiteral("titlespan")) {
            if (!integer(1, m_titleSpan))
                return fail(QStringLiteral("titlespan: кількість стовпців"));
        } else if (d == QStringLiteral("fit")) {
            if (!integer(1, m_fitPages))
                return fail(QStringLiteral("fit: кількість сторінок"));
        } else if (d == QStringLiteral("group")) {
            if (!integer(1, a) || !integer(2, b) || b < a)
                return fail(QStringLiteral("group: стовпці від і до"));
            m_groups.push_back({a, b, rest(3)});
            for (int k = a; k <= b; ++k)
                m_columns[k].inGroup = true;
        } else if (d == QStringLiteral("col")) {
            bool ok = false;
            const double width = w.value(2).toDouble(&ok);
            if (!integer(1, a) || a < 1 || !ok || w.size() < 4)
                return fail(QStringLiteral("col: номер, ширина, формат, заголовок"));
            Column& col = m_columns[a];
            col.width = width;
            col.format = w[3];
            col.heading = rest(4);
        } else if (d == QStringLiteral("cols")) {
            bool ok = false;
            const double width = w.value(3).toDouble(&ok);
            if (!integer(1, a) || !integer(2, b) || b < a || !ok || w.size() < 5)
                return fail(QStringLiteral("cols: стовпці від і до, ширина, формат"));
            for (int k = a; k <= b; ++k) {
                m_columns[k].width = width;
                m_columns[k].format = w[4];
            }
        } else if (d == QStringLiteral("factors")) {
            bool ok = false;
            const double width = w.value(3).toDouble(&ok);
            if (!integer(1, a) || !integer(2, b) || !ok || w.size() < 5)
                return fail(QStringLiteral("factors: перший стовпець, кількість, ширина, формат"));
            for (int k = 0; k < b; ++k) {
                Column& col = m_columns[a + k];
                col.width = width;
                col.format = w[4];
                col.heading = k < factorNames.size() ? factorNames[k]
                                                     : QStringLiteral("Фактор %1").arg(k + 1);
            }
        } else if (d == QStringLiteral("rotate")) {
            if (!integer(1, a) || !integer(2, b))
                return fail(QStringLiteral("rotate: стовпці від і до"));
            for (int k = a; k <= b; ++k)
                m_columns[k].rotated = true;
        } else if (d == QStringLiteral("totals")) {
            if (!integer(1, a) || !integer(2, b) || !integer(3, c) || !integer(4, e))
                return fail(QStringLiteral("totals: рядок, стовпець підпису, стовпці від і до"));
            m_totalsRow = a;
            m_totalsLabelColumn = b;
            m_totalsFrom = c;
            m_totalsTo = e;
            m_totalsText = rest(5);
        } else {
            return fail(QStringLiteral("невідома вказівка \"%1\"").arg(d));
        }
    }
    // Columns up to the last one named get a heading of their number.
    for (int k = 1; k <= lastColumn(); ++k)
        if (m_columns[k].heading.isEmpty())
            m_columns[k].heading = QStringLiteral("Графа %1").arg(k);
    if (m_columns.empty()) {
        if (error)
            *error = QStringLiteral("немає жодного стовпця");
        return false;
    }
    return true;
}

QString SheetLayout::worksheet(QByteArray* sharedStrings) const {
    const int last = lastColumn();
    SheetCells cells;
    std::vector<QString> merges;
    std::map<int, double> heights;
    auto merge = [&](int r1, int c1, int r2, int c2, int style) {
        for (int r = r1; r <= r2; ++r)
            for (int c = c1; c <= c2; ++c)
                cells.styled(r, c, style);
        if (r1 != r2 || c1 != c2)
            merges.push_back(Ref(r1, c1) + u':' + Ref(r2, c2));
    };

    // Title rows across the sheet; the title names the settlement from its hidden cell.
    if (m_nameColumn > 0) {
        cells.formula(1, 1, QStringLiteral("\"%1 \"&%2").arg(m_title, Ref(1, m_nameColumn)),
                      m_title + u' ', TitleStyle);
        cells.styled(1, m_nameColumn, HiddenValue);
    } else {
        cells.text(1, 1, m_title, TitleStyle);
    }
    const int span = m_titleSpan > 0 ? std::min(m_titleSpan, last) : last;
    merge(1, 1, 1, span, TitleStyle);
    // Title rows carry no borders, also past the title's span.
    for (int row = 1; row <= 1 + static_cast<int>(m_subtitles.size()); ++row)
        for (int c = span + 1; c <= last; ++c)
            cells.styled(row, c, Plain);
    heights[1] = 20;
    for (qsizetype s = 0; s < m_subtitles.size(); ++s) {
        const int row = 2 + static_cast<int>(s);
        cells.text(row, 1, m_subtitles[s], SubtitleStyle);
        merge(row, 1, row, span, SubtitleStyle);
        heights[row] = 27;
    }

    // Headings: group titles in the first heading row, each column's own below.
    for (const Group& g : m_groups) {
        cells.text(m_headingFrom, g.from, g.text, HeadingStyle);
        merge(m_headingFrom, g.from, m_headingFrom, g.to, HeadingStyle);
    }
    bool anyRotated = false;
    for (int c = 1; c <= last; ++c) {
        const Column& col = m_columns.at(c);
        const int top =
            col.inGroup && m_headingTo > m_headingFrom ? m_headingFrom + 1 : m_headingFrom;
        const int style = col.rotated ? HeadingUp : HeadingStyle;
        anyRotated |= col.rotated;
        cells.text(top, c, col.heading, style);
        merge(top, c, m_headingTo, c, style);
    }
    const int rows = m_headingTo - m_headingFrom + 1;
    const double headingHeight = anyRotated ? 170 : 60;
    for (int r = m_headingFrom; r <= m_headingTo; ++r)
        heights[r] = std::max(15.0, headingHeight / rows);
    const int numbering = numberingRow();
    for (int c = 1; c <= last; ++c)
        cells.number(numbering, c, QString::number(c), Numbering);

    if (m_totalsRow > 0) {
        cells.text(m_totalsRow, m_totalsLabelColumn, m_totalsText, TotalsLabel);
        for (int c = 1; c <= last; ++c) {
            if (c >= m_totalsFrom && c <= m_totalsTo)
                cells.number(m_totalsRow, c, QStringLiteral("0"), TotalsArea);
            else
                cells.styled(m_totalsRow, c,
                             m_columns.at(c).format == QStringLiteral("text") ? TotalsLabel
                                                                              : TotalsCode);
        }
    }

    QString cols = QStringLiteral("<cols>");
    for (int c = 1; c <= last; ++c) {
        const Column& col = m_columns.at(c);
        cols += QStringLiteral("<col min=\"%1\" max=\"%1\" width=\"%2\" style=\"%3\" "
                               "customWidth=\"1\"/>")
                    .arg(c)
                    .arg(col.width)
                    .arg(DataStyle(col.format));
    }
    cols += QStringLiteral("</cols>");

    QString x = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">");
    x += m_fitPages > 0 ? QStringLiteral("<sheetPr><pageSetUpPr fitToPage=\"1\"/></sheetPr>")
                        : QString();
    x += QStringLiteral("<dimension ref=\"A1:%1\"/>").arg(Ref(numbering, last));
    x += QStringLiteral("<sheetViews><sheetView workbookViewId=\"0\" zoomScale=\"90\">"
                        "<pane ySplit=\"%1\" topLeftCell=\"A%2\" activePane=\"bottomLeft\" "
                        "state=\"frozen\"/><selection pane=\"bottomLeft\" activeCell=\"A%2\" "
                        "sqref=\"A%2\"/></sheetView></sheetViews>")
             .arg(numbering)
             .arg(numbering + 1);
    x += QStringLiteral("<sheetFormatPr defaultRowHeight=\"12.75\"/>") + cols + cells.xml(heights);
    if (!merges.empty()) {
        x += QStringLiteral("<mergeCells count=\"%1\">").arg(merges.size());
        for (const QString& m : merges)
            x += QStringLiteral("<mergeCell ref=\"%1\"/>").arg(m);
        x += QStringLiteral("</mergeCells>");
    }
    x += QStringLiteral("<printOptions horizontalCentered=\"1\"/>"
                        "<pageMargins left=\"0.4\" right=\"0.4\" top=\"0.5\" bottom=\"0.5\" "
                        "header=\"0.3\" footer=\"0.3\"/>");
    x += QStringLiteral("<pageSetup paperSize=\"9\" orientation=\"landscape\"%1/>")
             .arg(m_fitPages > 0
                      ? QStringLiteral(" fitToWidth=\"%1\" fitToHeight=\"0\"").arg(m_fitPages)
                      : QString());
    x += QStringLiteral("<headerFooter><oddFooter>&amp;CСторінка &amp;P з &amp;N</oddFooter>"
                        "</headerFooter></worksheet>\n");
    *sharedStrings = cells.sharedStrings();
    return x;
}

QByteArray SheetLayout::package(bool asTemplate, const QString& title) const {
    QByteArray strings;
    const QString sheet = worksheet(&strings);
    const QString sml =
        QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.");
    const QString workbook =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
            "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
            "<bookViews><workbookView/></bookViews><sheets><sheet name=\"%1\" sheetId=\"1\" "
            "r:id=\"rIdSheet\"/></sheets><definedNames><definedName "
            "name=\"_xlnm.Print_Titles\" localSheetId=\"0\">'%1'!$1:$%2</definedName>"
            "</definedNames><calcPr calcId=\"191029\" fullCalcOnLoad=\"1\"/></workbook>\n")
            .arg(XmlEscape(m_sheet))
            .arg(numberingRow());
    PackageParts parts;
    parts.mainPart = QStringLiteral("xl/workbook.xml");
    parts.types = {
        {QStringLiteral("xl/workbook.xml"), sml + (asTemplate ? QStringLiteral("template.main+xml")
                                                              : QStringLiteral("sheet.main+xml"))},
        {QStringLiteral("xl/worksheets/sheet1.xml"), sml + QStringLiteral("worksheet+xml")},
        {QStringLiteral("xl/styles.xml"), sml + QStringLiteral("styles+xml")},
        {QStringLiteral("xl/sharedStrings.xml"), sml + QStringLiteral("sharedStrings+xml")},
        {QStringLiteral("docProps/core.xml"),
         QStringLiteral("application/vnd.openxmlformats-package.core-properties+xml")}};
    parts.data = {{QStringLiteral("xl/workbook.xml"), workbook.toUtf8()},
                  {QStringLiteral("xl/_rels/workbook.xml.rels"),
                   Relationships({{QStringLiteral("rIdSheet"), QStringLiteral("worksheet"),
                                   QStringLiteral("worksheets/sheet1.xml")},
                                  {QStringLiteral("rIdStyles"), QStringLiteral("styles"),
                                   QStringLiteral("styles.xml")},
                                  {QStringLiteral("rIdStrings"), QStringLiteral("sharedStrings"),
                                   QStringLiteral("sharedStrings.xml")}})},
                  {QStringLiteral("xl/worksheets/sheet1.xml"), sheet.toUtf8()},
                  {QStringLiteral("xl/styles.xml"), QByteArray(kStyles)},
                  {QStringLiteral("xl/sharedStrings.xml"), strings},
                  {QStringLiteral("docProps/core.xml"), CoreProperties(title)}};
    return ZipPackage(parts);
}
