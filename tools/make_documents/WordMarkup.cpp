#include "tools/make_documents/WordMarkup.h"

#include "tools/make_documents/Xml.h"

#include <QRegularExpression>

namespace {

constexpr int kTwipsPerCm = 567;
// A4 in twips, and the margins: 3 cm on the binding side, 1.5 cm opposite, 2 cm top and
// bottom.
constexpr int kPageShort = 11906;
constexpr int kPageLong = 16838;
constexpr int kMarginInner = 1701;
constexpr int kMarginOuter = 850;
constexpr int kMarginTop = 1134;
constexpr int kMarginBottom = 1134;

const char* const kStyles = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<w:styles xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">
<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii="Times New Roman" w:hAnsi="Times New Roman" w:eastAsia="Times New Roman" w:cs="Times New Roman"/><w:sz w:val="24"/><w:szCs w:val="24"/><w:lang w:val="uk-UA" w:eastAsia="uk-UA" w:bidi="ar-SA"/></w:rPr></w:rPrDefault>
<w:pPrDefault><w:pPr><w:spacing w:after="0" w:line="276" w:lineRule="auto"/></w:pPr></w:pPrDefault></w:docDefaults>
<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/><w:qFormat/><w:pPr><w:spacing w:after="60"/><w:ind w:firstLine="709"/><w:jc w:val="both"/></w:pPr></w:style>
<w:style w:type="paragraph" w:styleId="Title"><w:name w:val="Title"/><w:basedOn w:val="Normal"/><w:qFormat/><w:pPr><w:spacing w:before="120" w:after="120"/><w:ind w:firstLine="0"/><w:jc w:val="center"/></w:pPr><w:rPr><w:b/><w:sz w:val="32"/><w:szCs w:val="32"/></w:rPr></w:style>
<w:style w:type="paragraph" w:styleId="Centered"><w:name w:val="Centered"/><w:basedOn w:val="Normal"/><w:qFormat/><w:pPr><w:ind w:firstLine="0"/><w:jc w:val="center"/></w:pPr></w:style>
<w:style w:type="paragraph" w:styleId="RightAligned"><w:name w:val="Right Aligned"/><w:basedOn w:val="Normal"/><w:pPr><w:ind w:firstLine="0"/><w:jc w:val="right"/></w:pPr></w:style>
<w:style w:type="paragraph" w:styleId="Heading1"><w:name w:val="heading 1"/><w:basedOn w:val="Normal"/><w:next w:val="Normal"/><w:qFormat/><w:pPr><w:keepNext/><w:keepLines/><w:spacing w:before="360" w:after="180"/><w:ind w:firstLine="0"/><w:jc w:val="center"/><w:outlineLvl w:val="0"/></w:pPr><w:rPr><w:b/><w:caps/><w:sz w:val="28"/><w:szCs w:val="28"/></w:rPr></w:style>
<w:style w:type="paragraph" w:styleId="Heading2"><w:name w:val="heading 2"/><w:basedOn w:val="Normal"/><w:next w:val="Normal"/><w:qFormat/><w:pPr><w:keepNext/><w:keepLines/><w:spacing w:before="240" w:after="120"/><w:ind w:firstLine="709"/><w:jc w:val="left"/><w:outlineLvl w:val="1"/></w:pPr><w:rPr><w:b/><w:sz w:val="26"/><w:szCs w:val="26"/></w:rPr></w:style>
<w:style w:type="paragraph" w:styleId="Heading3"><w:name w:val="heading 3"/><w:basedOn w:val="Normal"/><w:next w:val="Normal"/><w:qFormat/><w:pPr><w:keepNext/><w:spacing w:before="180" w:after="60"/><w:ind w:firstLine="709"/><w:jc w:val="left"/><w:outlineLvl w:val="2"/></w:pPr><w:rPr><w:b/><w:i/></w:rPr></w:style>
<w:style w:type="paragraph" w:styleId="Caption"><w:name w:val="caption"/><w:basedOn w:val="Normal"/><w:qFormat/><w:pPr><w:keepNext/><w:spacing w:before="180" w:after="60"/><w:ind w:firstLine="0"/><w:jc w:val="right"/></w:pPr><w:rPr><w:i/><w:sz w:val="22"/><w:szCs w:val="22"/></w:rPr></w:style>
<w:style w:type="paragraph" w:styleId="TableText"><w:name w:val="Table Text"/><w:basedOn w:val="Normal"/><w:qFormat/><w:pPr><w:spacing w:after="0" w:line="240" w:lineRule="auto"/><w:ind w:firstLine="0"/><w:jc w:val="left"/></w:pPr><w:rPr><w:sz w:val="20"/><w:szCs w:val="20"/></w:rPr></w:style>
<w:style w:type="paragraph" w:styleId="ListBullet"><w:name w:val="List Bullet"/><w:basedOn w:val="Normal"/><w:pPr><w:tabs><w:tab w:val="left" w:pos="1077"/></w:tabs><w:ind w:left="1077" w:hanging="368"/></w:pPr></w:style>
<w:style w:type="paragraph" w:styleId="ListNumber"><w:name w:val="List Number"/><w:basedOn w:val="Normal"/><w:pPr><w:tabs><w:tab w:val="left" w:pos="1134"/></w:tabs><w:ind w:left="1134" w:hanging="425"/></w:pPr></w:style>
<w:style w:type="paragraph" w:styleId="TOCHeading"><w:name w:val="TOC Heading"/><w:basedOn w:val="Heading1"/><w:next w:val="Normal"/><w:pPr><w:outlineLvl w:val="9"/></w:pPr></w:style>
<w:style w:type="paragraph" w:styleId="TOC1"><w:name w:val="toc 1"/><w:basedOn w:val="Normal"/><w:next w:val="Normal"/><w:pPr><w:tabs><w:tab w:val="right" w:leader="dot" w:pos="9345"/></w:tabs><w:spacing w:before="60" w:after="0"/><w:ind w:firstLine="0"/><w:jc w:val="left"/></w:pPr></w:style>
<w:style w:type="paragraph" w:styleId="TOC2"><w:name w:val="toc 2"/><w:basedOn w:val="Normal"/><w:next w:val="Normal"/><w:pPr><w:tabs><w:tab w:val="right" w:leader="dot" w:pos="9345"/></w:tabs><w:spacing w:after="0"/><w:ind w:left="284" w:firstLine="0"/><w:jc w:val="left"/></w:pPr></w:style>
<w:style w:type="paragraph" w:styleId="TOC3"><w:name w:val="toc 3"/><w:basedOn w:val="Normal"/><w:next w:val="Normal"/><w:pPr><w:tabs><w:tab w:val="right" w:leader="dot" w:pos="9345"/></w:tabs><w:spacing w:after="0"/><w:ind w:left="567" w:firstLine="0"/><w:jc w:val="left"/></w:pPr></w:style>
<w:style w:type="paragraph" w:styleId="Footer"><w:name w:val="footer"/><w:basedOn w:val="Normal"/><w:pPr><w:ind w:firstLine="0"/><w:jc w:val="center"/></w:pPr><w:rPr><w:sz w:val="20"/></w:rPr></w:style>
<w:style w:type="character" w:default="1" w:styleId="DefaultParagraphFont"><w:name w:val="Default Paragraph Font"/><w:uiPriority w:val="1"/><w:semiHidden/></w:style>
<w:style w:type="character" w:styleId="Hyperlink"><w:name w:val="Hyperlink"/><w:basedOn w:val="DefaultParagraphFont"/></w:style>
<w:style w:type="table" w:default="1" w:styleId="TableNormal"><w:name w:val="Normal Table"/><w:semiHidden/><w:tblPr><w:tblInd w:w="0" w:type="dxa"/><w:tblCellMar><w:top w:w="0" w:type="dxa"/><w:left w:w="57" w:type="dxa"/><w:bottom w:w="0" w:type="dxa"/><w:right w:w="57" w:type="dxa"/></w:tblCellMar></w:tblPr></w:style>
</w:styles>
)";

const char* const kSettings = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<w:settings xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:updateFields w:val="true"/><w:defaultTabStop w:val="709"/><w:characterSpacingControl w:val="doNotCompress"/><w:compat><w:compatSetting w:name="compatibilityMode" w:uri="http://schemas.microsoft.com/office/word" w:val="15"/></w:compat></w:settings>
)";

const char* const kFooter = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<w:ftr xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:p><w:pPr><w:pStyle w:val="Footer"/></w:pPr><w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText xml:space="preserve"> PAGE </w:instrText></w:r><w:r><w:fldChar w:fldCharType="separate"/></w:r><w:r><w:t>1</w:t></w:r><w:r><w:fldChar w:fldCharType="end"/></w:r></w:p></w:ftr>
)";

const char* const kNamespaces =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";

QString Run(const QString& text, const QString& props) {
    QString out = QStringLiteral("<w:r>");
    if (!props.isEmpty())
        out += QStringLiteral("<w:rPr>") + props + QStringLiteral("</w:rPr>");
    // Tabs inside the text become tab elements.
    const QStringList pieces = text.split(u'\t');
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            out += QStringLiteral("<w:tab/>");
        if (!pieces[i].isEmpty())
            out += QStringLiteral("<w:t xml:space=\"preserve\">") + XmlEscape(pieces[i]) +
                   QStringLiteral("</w:t>");
    }
    return out + QStringLiteral("</w:r>");
}

struct Column {
    int width = 0; ///< twips
    QString align = QStringLiteral("left");
};

struct Cell {
    QString text;
    int span = 1;
    bool mergedAbove = false; ///< continues a vertical merge
    bool startsMerge = false; ///< the cell below continues it
};

} // namespace

QString WordMarkup::inlineRuns(const QString& text, const QString& runProps) {
    // Bookmarks first, then bold and italic toggles.
    static const QRegularExpression token(
        QStringLiteral(R"(\[\[([A-Za-z_][A-Za-z0-9_]*)\|([^\]]*)\]\]|\*\*|//)"));
    QString out;
    bool bold = false, italic = false;
    qsizetype at = 0;
    auto props = [&]() {
        return runProps + (bold ? QStringLiteral("<w:b/>") : QString()) +
               (italic ? QStringLiteral("<w:i/>") : QString());
    };
    auto plain = [&](const QString& piece) {
        if (!piece.isEmpty())
            out += Run(piece, props());
    };
    for (auto it = token.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        plain(text.mid(at, m.capturedStart() - at));
        at = m.capturedEnd();
        if (m.captured(0) == QStringLiteral("**")) {
            bold = !bold;
        } else if (m.captured(0) == QStringLiteral("//")) {
            italic = !italic;
        } else {
            const QString id = QString::number(m_nextBookmarkId++);
            m_bookmarks << m.captured(1);
            out += QStringLiteral("<w:bookmarkStart w:id=\"%1\" w:name=\"%2\"/>")
                       .arg(id, XmlEscape(m.captured(1)));
            plain(m.captured(2));
            out += QStringLiteral("<w:bookmarkEnd w:id=\"%1\"/>").arg(id);
        }
    }
    plain(text.mid(at));
    return out;
}

QString WordMarkup::paragraph(const QString& style, const QString& text, const QString& extraPPr,
                              const QString& runProps) {
    QString p = QStringLiteral("<w:p><w:pPr>");
    if (!style.isEmpty())
        p += QStringLiteral("<w:pStyle w:val=\"%1\"/>").arg(style);
    p += extraPPr;
    if (!runProps.isEmpty())
        p += QStringLiteral("<w:rPr>") + runProps + QStringLiteral("</w:rPr>");
    p += QStringLiteral("</w:pPr>") + inlineRuns(text, runProps) + QStringLiteral("</w:p>");
    return p;
}

QString WordMarkup::heading(int level, const QString& text) {
    const QString anchor = QStringLiteral("_Toc%1").arg(m_toc.size() + 1, 6, 10, QChar(u'0'));
    m_toc.push_back({level, text, anchor});
    const QString id = QString::number(m_nextBookmarkId++);
    return QStringLiteral("<w:p><w:pPr><w:pStyle w:val=\"Heading%1\"/></w:pPr>"
                          "<w:bookmarkStart w:id=\"%2\" w:name=\"%3\"/>")
               .arg(level)
               .arg(id, anchor) +
           inlineRuns(text) + QStringLiteral("<w:bookmarkEnd w:id=\"%1\"/></w:p>").arg(id);
}

QString WordMarkup::sectionProperties(const Section& s) const {
    const int w = s.landscape ? kPageLong : kPageShort;
    const int h = s.landscape ? kPageShort : kPageLong;
    return QStringLiteral("<w:sectPr><w:footerReference w:type=\"default\" r:id=\"rIdFooter\"/>"
                          "<w:pgSz w:w=\"%1\" w:h=\"%2\"%3/>"
                          "<w:pgMar w:top=\"%4\" w:right=\"%5\" w:bottom=\"%6\" w:left=\"%7\" "
                          "w:header=\"567\" w:footer=\"567\" w:gutter=\"0\"/></w:sectPr>")
        .arg(w)
        .arg(h)
        .arg(s.landscape ? QStringLiteral(" w:orient=\"landscape\"") : QString())
        .arg(kMarginTop)
        .arg(kMarginOuter)
        .arg(kMarginBottom)
        .arg(kMarginInner);
}

bool WordMarkup::table(const QStringList& lines, int& at, QString* error) {
    const int tableLine = at;
    auto fail = [&](const QString& what) {
        if (error)
            *error = QStringLiteral("рядок %1: %2").arg(tableLine + 1).arg(what);
        return false;
    };
    QStringList words = lines[at].mid(6).simplified().split(u' ', Qt::SkipEmptyParts);
    QString size;
    std::vector<Column> columns;
    for (const QString& word : words) {
        if (word == QStringLiteral("small")) {
            size = QStringLiteral("<w:sz w:val=\"18\"/><w:szCs w:val=\"18\"/>");
            continue;
        }
        if (word == QStringLiteral("tiny")) {
            size = QStringLiteral("<w:sz w:val=\"14\"/><w:szCs w:val=\"14\"/>");
            continue;
        }
        Column c;
        const QStringList parts = word.split(u':');
        bool ok = false;
        const double cm = parts[0].toDouble(&ok);
        if (!ok || cm <= 0)
            return fail(QStringLiteral("ширина стовпця \"%1\"").arg(word));
        c.width = static_cast<int>(cm * kTwipsPerCm + 0.5);
        if (parts.size() > 1)
            c.align = parts[1] == QStringLiteral("r")   ? QStringLiteral("right")
                      : parts[1] == QStringLiteral("c") ? QStringLiteral("center")
                                                        : QStringLiteral("left");
        columns.push_back(c);
    }
    if (columns.empty())
        return fail(QStringLiteral("таблиця без стовпців"));
    const int n = static_cast<int>(columns.size());

    // Rows: kind and cells by grid position.
    struct Row {
        QChar kind; // '#', '!' or ' '
        std::vector<Cell> cells;
    };
    std::vector<Row> rows;
    for (++at; at < lines.size() && lines[at].startsWith(u'|'); ++at) {
        QString line = lines[at].trimmed();
        Row row;
        row.kind = u' ';
        if (line.size() > 1 && (line[1] == u'#' || line[1] == u'!')) {
            row.kind = line[1];
            line = u'|' + line.mid(2);
        }
        if (line.endsWith(u'|') && line.size() > 1)
            line.chop(1);
        const QStringList texts = line.mid(1).split(u'|');
        for (const QString& raw : texts) {
            const QString t = raw.trimmed();
            if (t == QStringLiteral("<") && !row.cells.empty()) {
                ++row.cells.back().span;
                continue;
            }
            Cell c;
            c.mergedAbove = t == QStringLiteral("^");
            c.text = c.mergedAbove ? QString() : t;
            row.cells.push_back(c);
        }
        int used = 0;
        for (const Cell& c : row.cells)
            used += c.span;
        if (used > n) {
            if (error)
                *error = QStringLiteral("рядок %1: більше клітинок, ніж стовпців").arg(at + 1);
            return false;
        }
        // A title row spans the table; other rows are completed with empty cells.
        if (row.kind == u'#')
            row.cells.back().span += n - used;
        else
            for (; used < n; ++used)
                row.cells.push_back(Cell{});
        rows.push_back(row);
    }
    --at; // the caller moves past the last row

    // Mark the cells whose neighbour below continues them.
    for (size_t r = 1; r < rows.size(); ++r) {
        int col = 0;
        for (const Cell& c : rows[r].cells) {
            if (c.mergedAbove) {
                int upCol = 0;
                for (Cell& up : rows[r - 1].cells) {
                    if (upCol == col) {
                        if (!up.mergedAbove)
                            up.startsMerge = true;
                        break;
                    }
                    upCol += up.span;
                }
            }
            col += c.span;
        }
    }

    int total = 0;
    for (const Column& c : columns)
        total += c.width;
    QString x =
        QStringLiteral(
            "<w:tbl><w:tblPr><w:tblW w:w=\"%1\" w:type=\"dxa\"/><w:jc w:val=\"center\"/>"
            "<w:tblBorders><w:top w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"000000\"/>"
            "<w:left w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"000000\"/>"
            "<w:bottom w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"000000\"/>"
            "<w:right w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"000000\"/>"
            "<w:insideH w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"000000\"/>"
            "<w:insideV w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"000000\"/>"
            "</w:tblBorders><w:tblLayout w:type=\"fixed\"/>"
            "<w:tblCellMar><w:top w:w=\"23\" w:type=\"dxa\"/><w:left w:w=\"57\" "
            "w:type=\"dxa\"/><w:bottom w:w=\"23\" w:type=\"dxa\"/><w:right "
            "w:w=\"57\" w:type=\"dxa\"/></w:tblCellMar>"
            "<w:tblLook w:val=\"04A0\" w:firstRow=\"1\" w:lastRow=\"0\" w:firstColumn=\"1\" "
            "w:lastColumn=\"0\" w:noHBand=\"0\" w:noVBand=\"1\"/></w:tblPr><w:tblGrid>")
            .arg(total);
    for (const Column& c : columns)
        x += QStringLiteral("<w:gridCol w:w=\"%1\"/>").arg(c.width);
    x += QStringLiteral("</w:tblGrid>");
    for (const Row& row : rows) {
        const bool heading = row.kind != u' ';
        x += QStringLiteral("<w:tr><w:trPr><w:cantSplit/>%1</w:trPr>")
                 .arg(heading ? QStringLiteral("<w:tblHeader/>") : QString());
        int col = 0;
        for (const Cell& c : row.cells) {
            int width = 0;
            for (int k = col; k < col + c.span; ++k)
                width += columns[static_cast<size_t>(k)].width;
            QString tcPr = QStringLiteral("<w:tcW w:w=\"%1\" w:type=\"dxa\"/>").arg(width);
            if (c.span > 1)
                tcPr += QStringLiteral("<w:gridSpan w:val=\"%1\"/>").arg(c.span);
            if (c.mergedAbove)
                tcPr += QStringLiteral("<w:vMerge/>");
            else if (c.startsMerge)
                tcPr += QStringLiteral("<w:vMerge w:val=\"restart\"/>");
            if (row.kind == u'!')
                tcPr +=
                    QStringLiteral("<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"EDEDED\"/>");
            tcPr += QStringLiteral("<w:vAlign w:val=\"center\"/>");
            const QString align = row.kind == u'!'   ? QStringLiteral("center")
                                  : row.kind == u'#' ? QStringLiteral("left")
                                                     : columns[static_cast<size_t>(col)].align;
            const QString props = size + (heading ? QStringLiteral("<w:b/>") : QString());
            x += QStringLiteral("<w:tc><w:tcPr>") + tcPr + QStringLiteral("</w:tcPr>") +
                 paragraph(QStringLiteral("TableText"), c.text,
                           (heading ? QStringLiteral("<w:keepNext/>") : QString()) +
                               QStringLiteral("<w:jc w:val=\"%1\"/>").arg(align),
                           props) +
                 QStringLiteral("</w:tc>");
            col += c.span;
        }
        x += QStringLiteral("</w:tr>");
    }
    x += QStringLiteral("</w:tbl>");
    m_body += x;
    // A table is followed by a short empty paragraph, so two tables never join.
    m_body += QStringLiteral("<w:p><w:pPr><w:pStyle w:val=\"TableText\"/></w:pPr></w:p>");
    return true;
}

bool WordMarkup::parse(const QString& text, QString* error) {
    m_body.clear();
    m_toc.clear();
    m_bookmarks.clear();
    m_tocAt = -1;
    m_section = {};
    bool first = true;
    const QStringList lines = text.split(u'\n');
    static const QRegularExpression numbered(QStringLiteral(R"(^(\d+(\.\d+)*[.)])\s+(.*)$)"));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'%'))
            continue;
        auto command = [&trimmed](const char* name) {
            const QString c = QString::fromLatin1(name);
            return trimmed == c || trimmed.startsWith(c + u' ');
        };
        auto argument = [&trimmed]() {
            const qsizetype space = trimmed.indexOf(u' ');
            return space < 0 ? QString() : trimmed.mid(space + 1).trimmed();
        };
        if (command("@page")) {
            const bool landscape = argument() == QStringLiteral("landscape");
            if (!first)
                m_body += QStringLiteral("<w:p><w:pPr><w:pStyle w:val=\"TableText\"/>") +
                          sectionProperties(m_section) + QStringLiteral("</w:pPr></w:p>");
            m_section.landscape = landscape;
        } else if (command("@pagebreak")) {
            m_body += QStringLiteral("<w:p><w:pPr><w:pStyle w:val=\"TableText\"/></w:pPr>"
                                     "<w:r><w:br w:type=\"page\"/></w:r></w:p>");
        } else if (command("@toc")) {
            m_tocAt = m_body.size();
        } else if (command("@title")) {
            m_body += paragraph(QStringLiteral("Title"), argument());
        } else if (command("@center")) {
            m_body += paragraph(QStringLiteral("Centered"), argument());
        } else if (command("@right")) {
            m_body += paragraph(QStringLiteral("RightAligned"), argument());
        } else if (command("@caption")) {
            m_body += paragraph(QStringLiteral("Caption"), argument());
        } else if (command("@space")) {
            m_body += paragraph(QStringLiteral("Centered"), QString());
        } else if (command("@table")) {
            if (!table(lines, i, error))
                return false;
        } else if (trimmed.startsWith(u'@')) {
            if (error)
                *error =
                    QStringLiteral("рядок %1: невідома команда \"%2\"").arg(i + 1).arg(trimmed);
            return false;
        } else if (trimmed.startsWith(QStringLiteral("### "))) {
            m_body += heading(3, trimmed.mid(4));
        } else if (trimmed.startsWith(QStringLiteral("## "))) {
            m_body += heading(2, trimmed.mid(3));
        } else if (trimmed.startsWith(QStringLiteral("# "))) {
            m_body += heading(1, trimmed.mid(2));
        } else if (trimmed.startsWith(QStringLiteral("- "))) {
            m_body += paragraph(QStringLiteral("ListBullet"),
                                u'\x2013' + QStringLiteral("\t") + trimmed.mid(2));
        } else if (const auto m = numbered.match(trimmed); m.hasMatch()) {
            m_body += paragraph(QStringLiteral("ListNumber"),
                                m.captured(1) + QStringLiteral("\t") + m.captured(3));
        } else if (trimmed.startsWith(u'|')) {
            if (error)
                *error = QStringLiteral("рядок %1: рядок таблиці без \"@table\"").arg(i + 1);
            return false;
        } else {
            m_body += paragraph(QString(), trimmed);
        }
        first = false;
    }
    return true;
}

QString WordMarkup::tableOfContents() const {
    // The field carries the headings without page numbers, which only the word processor
    // knows: it fills them in when it updates the fields on opening.
    QString x = QStringLiteral("<w:p><w:pPr><w:pStyle w:val=\"TOCHeading\"/></w:pPr>"
                               "<w:r><w:t>ЗМІСТ</w:t></w:r></w:p>");
    for (size_t i = 0; i < m_toc.size(); ++i) {
        const TocEntry& e = m_toc[i];
        x += QStringLiteral("<w:p><w:pPr><w:pStyle w:val=\"TOC%1\"/></w:pPr>").arg(e.level);
        if (i == 0)
            x += QStringLiteral("<w:r><w:fldChar w:fldCharType=\"begin\" w:dirty=\"true\"/></w:r>"
                                "<w:r><w:instrText xml:space=\"preserve\"> TOC \\o \"1-3\" \\h "
                                "\\z \\u </w:instrText></w:r>"
                                "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>");
        QString plainText = e.text;
        plainText.remove(QStringLiteral("**")).remove(QStringLiteral("//"));
        x += QStringLiteral("<w:hyperlink w:anchor=\"%1\" w:history=\"1\">").arg(e.anchor) +
             Run(plainText, QString()) + QStringLiteral("</w:hyperlink>");
        if (i + 1 == m_toc.size())
            x += QStringLiteral("<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>");
        x += QStringLiteral("</w:p>");
    }
    return x;
}

QByteArray WordMarkup::package(bool asTemplate, const QString& title) const {
    QString body = m_body;
    if (m_tocAt >= 0)
        body.insert(m_tocAt, tableOfContents());
    const QString document = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" "
                                            "standalone=\"yes\"?>\n<w:document ") +
                             QString::fromLatin1(kNamespaces) + QStringLiteral("><w:body>") + body +
                             sectionProperties(m_section) +
                             QStringLiteral("</w:body></w:document>\n");
    const QString wml =
        QStringLiteral("application/vnd.openxmlformats-officedocument.wordprocessingml.");
    const QString main = wml + (asTemplate ? QStringLiteral("template.main+xml")
                                           : QStringLiteral("document.main+xml"));
    PackageParts parts;
    parts.mainPart = QStringLiteral("word/document.xml");
    parts.types = {{QStringLiteral("word/document.xml"), main},
                   {QStringLiteral("word/styles.xml"), wml + QStringLiteral("styles+xml")},
                   {QStringLiteral("word/settings.xml"), wml + QStringLiteral("settings+xml")},
                   {QStringLiteral("word/footer1.xml"), wml + QStringLiteral("footer+xml")},
                   {QStringLiteral("docProps/core.xml"),
                    QStringLiteral("application/vnd.openxmlformats-package.core-properties+xml")}};
    parts.data = {{QStringLiteral("word/document.xml"), document.toUtf8()},
                  {QStringLiteral("word/styles.xml"), QByteArray(kStyles)},
                  {QStringLiteral("word/settings.xml"), QByteArray(kSettings)},
                  {QStringLiteral("word/footer1.xml"), QByteArray(kFooter)},
                  {QStringLiteral("word/_rels/document.xml.rels"),
                   Relationships({{QStringLiteral("rIdStyles"), QStringLiteral("styles"),
                                   QStringLiteral("styles.xml")},
                                  {QStringLiteral("rIdSettings"), QStringLiteral("settings"),
                                   QStringLiteral("settings.xml")},
                                  {QStringLiteral("rIdFooter"), QStringLiteral("footer"),
                                   QStringLiteral("footer1.xml")}})},
                  {QStringLiteral("docProps/core.xml"), CoreProperties(title)}};
    return ZipPackage(parts);
}
