// Paragraphs and pictures a fill procedure adds to a document; tables and columns it removes;
// the table or cell selected for the clipboard and for inserted rows.
#include "office/Document.h"

#include "office/OfficeError.h"
#include "office/XmlWalk.h"

#include <algorithm>
#include <cstdlib>

namespace {

const char* const kImageRelationship =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/image";
const char* const kWordprocessingDrawing =
    "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing";
const char* const kDrawingMain = "http://schemas.openxmlformats.org/drawingml/2006/main";
const char* const kPicture = "http://schemas.openxmlformats.org/drawingml/2006/picture";

/** English metric units per millimetre. */
constexpr double kEmuPerMm = 36000.0;

/** Declares a namespace prefix on the document's root unless it is declared there. */
void declareOnRoot(pugi::xml_node root, const char* prefix, const char* uri) {
    const QByteArray attribute = QByteArray("xmlns:") + prefix;
    if (!root.attribute(attribute.constData()))
        root.append_attribute(attribute.constData()).set_value(uri);
}

void appendText(pugi::xml_node run, const QString& text) {
    const QStringList pieces = text.split(u'\t');
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            run.append_child("w:tab");
        if (pieces[i].isEmpty())
            continue;
        pugi::xml_node t = run.append_child("w:t");
        t.append_attribute("xml:space").set_value("preserve");
        t.text().set(pieces[i].toUtf8().constData());
    }
}

void appendPicture(pugi::xml_node run, const WordParagraph& p, int id) {
    const QByteArray cx = QByteArray::number(qRound64(p.pictureMm.width() * kEmuPerMm));
    const QByteArray cy = QByteArray::number(qRound64(p.pictureMm.height() * kEmuPerMm));
    const QByteArray number = QByteArray::number(id);
    const QByteArray name = "Picture " + number;
    const QByteArray description = p.text.toUtf8();
    pugi::xml_node inline_ = run.append_child("w:drawing").append_child("wp:inline");
    for (const char* side : {"distT", "distB", "distL", "distR"})
        inline_.append_attribute(side).set_value("0");
    pugi::xml_node extent = inline_.append_child("wp:extent");
    extent.append_attribute("cx").set_value(cx.constData());
    extent.append_attribute("cy").set_value(cy.constData());
    pugi::xml_node effect = inline_.append_child("wp:effectExtent");
    for (const char* side : {"l", "t", "r", "b"})
        effect.append_attribute(side).set_value("0");
    pugi::xml_node docPr = inline_.append_child("wp:docPr");
    docPr.append_attribute("id").set_value(number.constData());
    docPr.append_attribute("name").set_value(name.constData());
    docPr.append_attribute("descr").set_value(description.constData());
    inline_.append_child("wp:cNvGraphicFramePr")
        .append_child("a:graphicFrameLocks")
        .append_attribute("noChangeAspect")
        .set_value("1");
    pugi::xml_node data = inline_.append_child("a:graphic").append_child("a:graphicData");
    data.append_attribute("uri").set_value(kPicture);
    pugi::xml_node pic = data.append_child("pic:pic");
    pugi::xml_node nv = pic.append_child("pic:nvPicPr");
    pugi::xml_node cNvPr = nv.append_child("pic:cNvPr");
    cNvPr.append_attribute("id").set_value(number.constData());
    cNvPr.append_attribute("name").set_value(name.constData());
    cNvPr.append_attribute("descr").set_value(description.constData());
    nv.append_child("pic:cNvPicPr");
    pugi::xml_node fill = pic.append_child("pic:blipFill");
    fill.append_child("a:blip").append_attribute("r:embed").set_value(
        p.pictureId.toUtf8().constData());
    fill.append_child("a:stretch").append_child("a:fillRect");
    pugi::xml_node spPr = pic.append_child("pic:spPr");
    pugi::xml_node xfrm = spPr.append_child("a:xfrm");
    pugi::xml_node off = xfrm.append_child("a:off");
    off.append_attribute("x").set_value("0");
    off.append_attribute("y").set_value("0");
    pugi::xml_node ext = xfrm.append_child("a:ext");
    ext.append_attribute("cx").set_value(cx.constData());
    ext.append_attribute("cy").set_value(cy.constData());
    pugi::xml_node geometry = spPr.append_child("a:prstGeom");
    geometry.append_attribute("prst").set_value("rect");
    geometry.append_child("a:avLst");
}

/** The children of w:pPr in the order the schema gives them. */
const char* const kParagraphPropertyOrder[] = {"w:pStyle",
                                               "w:keepNext",
                                               "w:keepLines",
                                               "w:pageBreakBefore",
                                               "w:framePr",
                                               "w:widowControl",
                                               "w:numPr",
                                               "w:suppressLineNumbers",
                                               "w:pBdr",
                                               "w:shd",
                                               "w:tabs",
                                               "w:suppressAutoHyphens",
                                               "w:kinsoku",
                                               "w:wordWrap",
                                               "w:overflowPunct",
                                               "w:topLinePunct",
                                               "w:autoSpaceDE",
                                               "w:autoSpaceDN",
                                               "w:bidi",
                                               "w:adjustRightInd",
                                               "w:snapToGrid",
                                               "w:spacing",
                                               "w:ind",
                                               "w:contextualSpacing",
                                               "w:mirrorIndents",
                                               "w:suppressOverlap",
                                               "w:jc",
                                               "w:textDirection",
                                               "w:textAlignment",
                                               "w:textboxTightWrap",
                                               "w:outlineLvl",
                                               "w:divId",
                                               "w:cnfStyle",
                                               "w:rPr",
                                               "w:sectPr",
                                               "w:pPrChange"};

int PropertyRank(pugi::xml_node n) {
    int rank = 0;
    for (const char* name : kParagraphPropertyOrder) {
        if (IsNamed(n, name))
            return rank;
        ++rank;
    }
    return rank;
}

/** The paragraph property `name`, emptied, or added in its place in the schema's order. */
pugi::xml_node ParagraphProperty(pugi::xml_node pPr, const char* name) {
    if (pugi::xml_node existing = pPr.child(name)) {
        pPr.remove_child(existing);
    }
    pugi::xml_document probe;
    const int rank = PropertyRank(probe.append_child(name));
    for (pugi::xml_node c = pPr.first_child(); c; c = c.next_sibling()) {
        if (PropertyRank(c) > rank)
            return pPr.insert_child_before(name, c);
    }
    return pPr.append_child(name);
}

/** The highest id of a drawing object in the subtree. */
int highestDrawingId(pugi::xml_node root) {
    int highest = 0;
    WalkXml(root, [&highest](pugi::xml_node n) {
        if (IsNamed(n, "wp:docPr"))
            highest = std::max(highest, std::atoi(n.attribute("id").value()));
        return true;
    });
    return highest;
}

} // namespace

QString WordDocument::addPicture(const QByteArray& png) {
    QString part;
    do {
        part = QStringLiteral("word/media/image%1.png").arg(++m_pictureCount);
    } while (m_package.hasPart(part));
    m_package.setPartData(part, png);
    m_package.setContentTypeDefault(QStringLiteral("png"), QStringLiteral("image/png"));
    const QString folder = m_mainPart.left(m_mainPart.lastIndexOf(u'/') + 1);
    const QString target = part.startsWith(folder) ? part.mid(folder.size()) : u'/' + part;
    return m_package.addRelationship(m_mainPart, QString::fromLatin1(kImageRelationship), target);
}

void WordDocument::replaceBookmarkParagraph(const QString& name,
                                            const std::vector<WordParagraph>& paragraphs) {
    pugi::xml_node paragraph = requireBookmarkStart(name);
    while (paragraph && !IsNamed(paragraph, "w:p"))
        paragraph = paragraph.parent();
    if (!paragraph)
        throw OfficeError(QStringLiteral("Закладка \"%1\" не стоїть в абзаці.").arg(name));
    pugi::xml_node oldPPr = paragraph.child("w:pPr");
    bool pictures = false;
    for (const WordParagraph& p : paragraphs)
        pictures = pictures || !p.pictureId.isEmpty();
    if (pictures) {
        pugi::xml_node root = m_package.xml(m_mainPart).document_element();
        declareOnRoot(root, "r",
                      "http://schemas.openxmlformats.org/officeDocument/2006/relationships");
        declareOnRoot(root, "wp", kWordprocessingDrawing);
        declareOnRoot(root, "a", kDrawingMain);
        declareOnRoot(root, "pic", kPicture);
        if (m_nextDrawingId == 0)
            m_nextDrawingId = highestDrawingId(root) + 1;
    }
    pugi::xml_node parent = paragraph.parent();
    for (const WordParagraph& p : paragraphs) {
        pugi::xml_node added = parent.insert_child_before("w:p", paragraph);
        pugi::xml_node pPr;
        if (p.style.isEmpty() && oldPPr) {
            pPr = added.append_copy(oldPPr);
            // A section ends only once: the replaced paragraph keeps its own end below.
            pPr.remove_child("w:sectPr");
        } else {
            pPr = added.append_child("w:pPr");
            if (!p.style.isEmpty())
                pPr.append_child("w:pStyle")
                    .append_attribute("w:val")
                    .set_value(p.style.toUtf8().constData());
        }
        if (p.pageBreakBefore)
            ParagraphProperty(pPr, "w:pageBreakBefore");
        if (!p.pictureId.isEmpty()) {
            // Single spacing: a picture as high as the page must not grow by the spacing.
            pugi::xml_node spacing = ParagraphProperty(pPr, "w:spacing");
            for (const char* a : {"w:before", "w:after"})
                spacing.append_attribute(a).set_value("0");
            spacing.append_attribute("w:line").set_value("240");
            spacing.append_attribute("w:lineRule").set_value("auto");
            ParagraphProperty(pPr, "w:ind").append_attribute("w:firstLine").set_value("0");
        }
        if (!p.pictureId.isEmpty() || p.alignRight) {
            ParagraphProperty(pPr, "w:jc")
                .append_attribute("w:val")
                .set_value(p.alignRight ? "right" : "center");
        }
        pugi::xml_node run = added.append_child("w:r");
        if (p.bold)
            run.append_child("w:rPr").append_child("w:b");
        if (p.pictureId.isEmpty())
            appendText(run, p.text);
        else
            appendPicture(run, p, m_nextDrawingId++);
    }
    forgetBookmarksIn(paragraph);
    // A paragraph that ends a section stays, emptied, so the section keeps its end.
    if (oldPPr && oldPPr.child("w:sectPr")) {
        for (pugi::xml_node c = paragraph.first_child(); c;) {
            pugi::xml_node next = c.next_sibling();
            if (!IsNamed(c, "w:pPr"))
                paragraph.remove_child(c);
            c = next;
        }
    } else {
        parent.remove_child(paragraph);
    }
}

namespace {

int GridSpan(pugi::xml_node tc) {
    const int span = std::atoi(tc.child("w:tcPr").child("w:gridSpan").attribute("w:val").value());
    return std::max(1, span);
}

/** Whether a paragraph has no text, no picture and no field: a spacer. */
bool IsEmptyParagraph(pugi::xml_node p) {
    bool empty = true;
    WalkXml(p, [&empty](pugi::xml_node n) {
        if (IsNamed(n, "w:t") || IsNamed(n, "w:drawing") || IsNamed(n, "w:fldChar") ||
            IsNamed(n, "w:sectPr") || IsNamed(n, "w:bookmarkStart"))
            empty = false;
        return empty;
    });
    return empty;
}

} // namespace

void WordDocument::removeTable(const WordTable& table, bool withCaption) {
    pugi::xml_node node = table.node();
    pugi::xml_node parent = node.parent();
    if (!node || !parent)
        throw OfficeError(QStringLiteral("Таблиці для вилучення немає в документі."));
    pugi::xml_node before = node.previous_sibling();
    pugi::xml_node after = node.next_sibling();
    if (withCaption && IsNamed(before, "w:p") && !before.child("w:pPr").child("w:sectPr")) {
        forgetBookmarksIn(before);
        parent.remove_child(before);
    }
    if (IsNamed(after, "w:p") && IsEmptyParagraph(after))
        parent.remove_child(after);
    forgetBookmarksIn(node);
    if (m_selection && m_selection->node() == node)
        m_selection.reset();
    parent.remove_child(node);
    m_tablesIndexed = false;
}

std::vector<int> WordTable::gridWidths() const {
    std::vector<int> widths;
    for (pugi::xml_node c = m_node.child("w:tblGrid").child("w:gridCol"); c;
         c = c.next_sibling("w:gridCol"))
        widths.push_back(std::atoi(c.attribute("w:w").value()));
    return widths;
}

void WordTable::setGridWidths(const std::vector<int>& twips) {
    size_t i = 0;
    for (pugi::xml_node c = m_node.child("w:tblGrid").child("w:gridCol"); c && i < twips.size();
         c = c.next_sibling("w:gridCol"), ++i)
        c.attribute("w:w").set_value(twips[i]);
    materialize(); // rows held outside the tree take the widths too
    indexRows();
    for (pugi::xml_node tr : *m_rows) {
        size_t at = 0;
        for (pugi::xml_node tc = tr.child("w:tc"); tc; tc = tc.next_sibling("w:tc")) {
            const size_t span = static_cast<size_t>(GridSpan(tc));
            int width = 0;
            for (size_t k = at; k < at + span && k < twips.size(); ++k)
                width += twips[k];
            at += span;
            pugi::xml_node tcW = tc.child("w:tcPr").child("w:tcW");
            if (tcW && width > 0) {
                tcW.attribute("w:w").set_value(width);
                tcW.attribute("w:type").set_value("dxa");
            }
        }
    }
    pugi::xml_node tblW = m_node.child("w:tblPr").child("w:tblW");
    if (tblW && QByteArray(tblW.attribute("w:type").value()) == "dxa") {
        int total = 0;
        for (int w : twips)
            total += w;
        tblW.attribute("w:w").set_value(total);
    }
}

void WordTable::removeColumns(int first, int last) {
    if (first < 1 || last < first)
        return;
    materialize(); // rows held outside the tree lose the columns too
    indexRows();
    for (pugi::xml_node tr : *m_rows) {
        int at = 1;
        for (pugi::xml_node tc = tr.child("w:tc"); tc;) {
            pugi::xml_node next = tc.next_sibling("w:tc");
            const int span = GridSpan(tc);
            const int overlap =
                std::max(0, std::min(last, at + span - 1) - std::max(first, at) + 1);
            if (overlap == span) {
                removeFromCell(tr, tc, m_document);
            } else if (overlap > 0) {
                pugi::xml_node gridSpan = tc.child("w:tcPr").child("w:gridSpan");
                if (span - overlap > 1)
                    gridSpan.attribute("w:val").set_value(span - overlap);
                else
                    tc.child("w:tcPr").remove_child(gridSpan);
            }
            at += span;
            tc = next;
        }
    }
    int column = 1;
    for (pugi::xml_node c = m_node.child("w:tblGrid").child("w:gridCol"); c; ++column) {
        pugi::xml_node next = c.next_sibling("w:gridCol");
        if (column >= first && column <= last)
            c.parent().remove_child(c);
        c = next;
    }
    setGridWidths(gridWidths());
}

// ---------------------------------------------------------------- selection and columns

void WordDocument::selectCell(const WordTable& table, int row, int column) {
    table.cellNode(row, column); // throws for a cell that does not exist
    m_selection = table;
    m_selectedRow = row;
    m_tableSelected = false;
}

void WordDocument::selectTable(const WordTable& table) {
    m_selection = table;
    m_selectedRow = 0;
    m_tableSelected = true;
}

void WordDocument::insertRowsBelow(int count) {
    if (!m_selection || m_tableSelected)
        throw OfficeError(QStringLiteral("Для вставки рядків не виділено клітинку таблиці."));
    m_selection->insertRowsBelow(m_selectedRow, count);
}

int WordTable::columnCount() const {
    int grid = 0;
    for (pugi::xml_node c = m_node.child("w:tblGrid").child("w:gridCol"); c;
         c = c.next_sibling("w:gridCol"))
        ++grid;
    if (grid > 0)
        return grid;
    indexRows();
    int widest = 0;
    for (pugi::xml_node tr : *m_rows) {
        int cells = 0;
        for (pugi::xml_node tc = tr.child("w:tc"); tc; tc = tc.next_sibling("w:tc"))
            ++cells;
        widest = std::max(widest, cells);
    }
    return widest;
}

void WordTable::appendRowsOf(pugi::xml_node rows, quint64 source) {
    indexRows();
    std::vector<pugi::xml_node> patterns;
    for (pugi::xml_node tr = rows.child("w:tr"); tr; tr = tr.next_sibling("w:tr"))
        patterns.push_back(tr);
    if (patterns.empty())
        return;
    const int count = static_cast<int>(patterns.size());
    const int height = static_cast<int>(m_rows->size());
    // Rows pasted again after the same rows go on with their run outside the tree.
    if (m_document && source != 0) {
        const auto it = m_document->m_inserted.find(m_node);
        if (it != m_document->m_inserted.end() && it->second->source() == source &&
            it->second->lastRow() == height) {
            it->second->extend(count);
            m_rows->insert(m_rows->end(), static_cast<size_t>(count), pugi::xml_node());
            return;
        }
    }
    materialize();
    if (m_document && source != 0 && !m_rows->empty()) {
        m_document->m_inserted[m_node] = std::make_unique<InsertedRows>(
            patterns, m_rows->back(), height, count, &WordTable::applyInserted, source);
        m_rows->insert(m_rows->end(), static_cast<size_t>(count), pugi::xml_node());
        return;
    }
    pugi::xml_node last = m_rows->empty() ? pugi::xml_node() : m_rows->back();
    for (pugi::xml_node tr : patterns) {
        last = last ? m_node.insert_copy_after(tr, last) : m_node.append_copy(tr);
        m_rows->push_back(last);
    }
}
