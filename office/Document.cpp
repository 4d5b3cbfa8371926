#include "office/Document.h"

#include "office/CustomProperties.h"
#include "office/OfficeError.h"
#include "office/XmlText.h"
#include "office/XmlWalk.h"

#include <QStringList>
#include <cstring>
#include <set>

namespace {

const char* const kDocumentType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";

QString fromUtf8(const char* text) {
    return QString::fromUtf8(text);
}

/** The text of a paragraph: its runs' text, tabs as "\t", line breaks as "\v". */
void appendParagraphText(pugi::xml_node paragraph, QString& out) {
    WalkXml(paragraph, [&out](pugi::xml_node n) {
        if (IsNamed(n, "w:t")) {
            out += fromUtf8(n.child_value());
            return false;
        }
        if (IsNamed(n, "w:tab") && IsNamed(n.parent(), "w:r"))
            out += u'\t';
        else if ((IsNamed(n, "w:br") || IsNamed(n, "w:cr")) && IsNamed(n.parent(), "w:r"))
            out += u'\v';
        // Text boxes, drawings and deleted text are not part of the paragraph's text.
        return !(IsNamed(n, "w:drawing") || IsNamed(n, "w:pict") || IsNamed(n, "w:delText") ||
                 IsNamed(n, "mc:AlternateContent") || IsNamed(n, "w:pPr") || IsNamed(n, "w:rPr"));
    });
}

/** Appends the content of one line as run children: text, tabs and line breaks. */
void fillRun(pugi::xml_node run, const QString& line) {
    bool plain = true;
    for (QChar c : line) {
        if (c.unicode() < 0x20) {
            plain = false;
            break;
        }
    }
    if (plain) {
        if (line.isEmpty())
            return;
        pugi::xml_node t = run.append_child("w:t");
        t.append_attribute("xml:space").set_value("preserve");
        t.text().set(line.toUtf8().constData());
        return;
    }
    QString chunk;
    auto flush = [&run, &chunk]() {
        if (chunk.isEmpty())
            return;
        pugi::xml_node t = run.append_child("w:t");
        t.append_attribute("xml:space").set_value("preserve");
        t.text().set(chunk.toUtf8().constData());
        chunk.clear();
    };
    for (QChar c : line) {
        if (c == u'\t') {
            flush();
            run.append_child("w:tab");
        } else if (c == u'\v') {
            flush();
            run.append_child("w:br");
        } else if (c.unicode() >= 0x20 || c == u'\n') {
            chunk += c;
        }
    }
    flush();
}

QStringList splitParagraphs(const QString& text) {
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    normal.replace(u'\n', u'\r');
    // A trailing end-of-cell mark, as read from a cell, is not a paragraph of its own.
    if (normal.endsWith(QStringLiteral("\r\a")))
        normal.chop(2);
    normal.remove(u'\a');
    return normal.split(u'\r');
}

/** The first run of a subtree that is not inside a nested table. */
pugi::xml_node firstRun(pugi::xml_node root) {
    pugi::xml_node found;
    WalkXml(root, [&found](pugi::xml_node n) {
        if (found)
            return false;
        if (IsNamed(n, "w:r")) {
            found = n;
            return false;
        }
        return !IsNamed(n, "w:tbl");
    });
    return found;
}

/** Names that come before w:b inside w:rPr. */
bool beforeBold(pugi::xml_node n) {
    return IsNamed(n, "w:ins") || IsNamed(n, "w:del") || IsNamed(n, "w:moveFrom") ||
           IsNamed(n, "w:moveTo") || IsNamed(n, "w:rStyle") || IsNamed(n, "w:rFonts");
}

void setBoldIn(pugi::xml_node rPr, bool bold) {
    pugi::xml_node b = rPr.child("w:b");
    if (!b) {
        pugi::xml_node after;
        for (pugi::xml_node c : rPr.children()) {
            if (!beforeBold(c))
                break;
            after = c;
        }
        b = after ? rPr.insert_child_after("w:b", after) : rPr.prepend_child("w:b");
    }
    b.remove_attribute("w:val");
    if (!bold)
        b.append_attribute("w:val").set_value("0");
}

pugi::xml_node runProperties(pugi::xml_node run) {
    pugi::xml_node rPr = run.child("w:rPr");
    return rPr ? rPr : run.prepend_child("w:rPr");
}

pugi::xml_node paragraphProperties(pugi::xml_node p) {
    pugi::xml_node pPr = p.child("w:pPr");
    return pPr ? pPr : p.prepend_child("w:pPr");
}

/** The run properties of a paragraph's mark, created in their place inside w:pPr. */
pugi::xml_node markProperties(pugi::xml_node p) {
    pugi::xml_node pPr = paragraphProperties(p);
    pugi::xml_node rPr = pPr.child("w:rPr");
    if (rPr)
        return rPr;
    for (const char* later : {"w:sectPr", "w:pPrChange"}) {
        if (pugi::xml_node n = pPr.child(later))
            return pPr.insert_child_before("w:rPr", n);
    }
    return pPr.append_child("w:rPr");
}

bool isBold(pugi::xml_node rPr) {
    pugi::xml_node b = rPr.child("w:b");
    if (!b)
        return false;
    const QString v = fromUtf8(b.attribute("w:val").value());
    return v.isEmpty() || v == QLatin1String("1") || v == QLatin1String("true") ||
           v == QLatin1String("on");
}

/** Removes what must stay unique in a document from a copied subtree. */
void dropUniqueMarks(pugi::xml_node root) {
    std::vector<pugi::xml_node> doomed;
    WalkXml(root, [&doomed](pugi::xml_node n) {
        if (IsNamed(n, "w:bookmarkStart") || IsNamed(n, "w:bookmarkEnd")) {
            doomed.push_back(n);
            return false;
        }
        n.remove_attribute("w14:paraId");
        n.remove_attribute("w14:textId");
        return true;
    });
    root.remove_attribute("w14:paraId");
    root.remove_attribute("w14:textId");
    for (pugi::xml_node n : doomed)
        n.parent().remove_child(n);
}

/**
 * Empties the cells of a copied row, keeping each cell's first paragraph and run look. The
 * row is in the document: what it keeps is copied within it, sharing the original's text.
 */
void clearRowText(pugi::xml_node row) {
    for (pugi::xml_node tc = row.child("w:tc"); tc; tc = tc.next_sibling("w:tc")) {
        pugi::xml_node keepP = tc.child("w:p");
        pugi::xml_node rPr;
        if (keepP) {
            // An empty cell has no run: its paragraph mark carries the look (a table's size).
            if (pugi::xml_node run = firstRun(keepP))
                rPr = run.child("w:rPr");
            else
                rPr = keepP.child("w:pPr").child("w:rPr");
        }
        pugi::xml_node p = tc.append_child("w:p");
        if (keepP && keepP.child("w:pPr"))
            p.append_copy(keepP.child("w:pPr"));
        pugi::xml_node r = p.append_child("w:r");
        if (rPr)
            r.append_copy(rPr);
        for (pugi::xml_node c = tc.first_child(); c != p;) {
            pugi::xml_node next = c.next_sibling();
            if (!IsNamed(c, "w:tcPr"))
                tc.remove_child(c);
            c = next;
        }
    }
}

/** Whether a cell's text has more than one paragraph or an end-of-cell mark. */
bool hasParagraphMarks(const QString& text) {
    for (QChar c : text) {
        if (c == u'\r' || c == u'\n' || c == u'\a')
            return true;
    }
    return false;
}

QString minimalDocumentXml() {
    return QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
        "<w:body><w:p/><w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/>"
        "<w:pgMar w:top=\"1134\" w:right=\"850\" w:bottom=\"1134\" w:left=\"1701\" "
        "w:header=\"708\" "
        "w:footer=\"708\" w:gutter=\"0\"/></w:sectPr></w:body></w:document>");
}

} // namespace

// ---------------------------------------------------------------- WordDocument

std::unique_ptr<WordDocument> WordDocument::open(const QString& path, const PackageLimits& limits) {
    std::unique_ptr<WordDocument> doc(new WordDocument);
    doc->m_package.load(path, limits);
    doc->attach();
    return doc;
}

std::unique_ptr<WordDocument> WordDocument::openFromMemory(const QByteArray& zip) {
    std::unique_ptr<WordDocument> doc(new WordDocument);
    doc->m_package.loadFromMemory(zip);
    doc->attach();
    return doc;
}

std::unique_ptr<WordDocument> WordDocument::createBlank() {
    std::unique_ptr<WordDocument> doc(new WordDocument);
    OoxmlPackage& p = doc->m_package;
    p.createSkeleton(
        QStringLiteral("word/document.xml"),
        {{QStringLiteral("word/document.xml"),
          QStringLiteral("application/"
                         "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml")}});
    p.setPartData(QStringLiteral("word/document.xml"), minimalDocumentXml().toUtf8());
    doc->attach();
    return doc;
}

void WordDocument::attach() {
    m_mainPart = m_package.rootTarget(QStringLiteral("/officeDocument"));
    if (m_mainPart.isEmpty() || !m_package.hasPart(m_mainPart))
        throw OfficeError(QStringLiteral("У пакеті немає основної частини документа."));
    const QString type = m_package.contentType(m_mainPart);
    if (!type.contains(QLatin1String("wordprocessingml")))
        throw OfficeError(QStringLiteral("Пакет не є документом Word (тип \"%1\").").arg(type));
    pugi::xml_node root = m_package.xml(m_mainPart).document_element();
    if (!IsNamed(root, "w:document") || !root.child("w:body"))
        throw OfficeError(
            QStringLiteral("Частина \"%1\" не містить тіла документа.").arg(m_mainPart));
    m_body = root.child("w:body");
    m_package.setPartWriter(m_mainPart, [this](pugi::xml_writer& out) { writeMain(out); });
}

void WordDocument::setCustomProperty(const QString& name, const QString& value) {
    office::SetCustomProperty(m_package, name, value);
}

OoxmlPackage& WordDocument::package() {
    materializeAll();
    return m_package;
}

void WordDocument::materializeAll() const {
    if (m_inserted.empty())
        return;
    // Through the tables as table() gives them: their rows are indexed once, shared by all.
    indexTables();
    for (size_t i = 0; i < m_tables.size() && !m_inserted.empty(); ++i) {
        if (m_inserted.count(m_tables[i]))
            table(static_cast<int>(i) + 1).materialize();
    }
}

void WordDocument::writeMain(pugi::xml_writer& sink) {
    const pugi::xml_document& doc = m_package.xml(m_mainPart);
    if (m_inserted.empty()) {
        doc.save(sink, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
        return;
    }
    // The elements that hold inserted rows are written tag by tag, the rest as pugixml prints.
    std::set<pugi::xml_node> holders;
    for (const auto& [table, rows] : m_inserted) {
        for (pugi::xml_node n = table; n; n = n.parent())
            holders.insert(n);
    }
    QByteArray out;
    out.reserve(1 << 17);
    auto write = [&](auto& self, pugi::xml_node node) -> void {
        if (!holders.count(node)) {
            AppendXmlNode(out, node);
        } else {
            out.append(XmlStartTag(node));
            const auto inserted = m_inserted.find(node);
            for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
                self(self, child);
                if (inserted != m_inserted.end() && child == inserted->second->after())
                    inserted->second->write(out, sink);
            }
            out.append("</");
            out.append(node.name());
            out.append('>');
        }
        if (out.size() > (1 << 16)) {
            sink.write(out.constData(), static_cast<size_t>(out.size()));
            out.resize(0); // keeps the buffer for what follows
        }
    };
    for (pugi::xml_node top = doc.first_child(); top; top = top.next_sibling())
        write(write, top);
    sink.write(out.constData(), static_cast<size_t>(out.size()));
}

pugi::xml_node WordDocument::body() const {
    return m_body;
}

namespace {

pugi::xml_node findBookmarkEnd(pugi::xml_node start) {
    const char* id = start.attribute("w:id").value();
    for (pugi::xml_node n = NextSkippingChildren(start); n; n = NextInOrder(n)) {
        if (IsNamed(n, "w:bookmarkEnd") && std::strcmp(n.attribute("w:id").value(), id) == 0)
            return n;
    }
    return pugi::xml_node();
}

/** Calls visit for every bookmark start under root (and root itself), not inside runs. */
template <class Visit> void forEachBookmarkStart(pugi::xml_node root, Visit visit) {
    if (IsNamed(root, "w:bookmarkStart")) {
        visit(root);
        return;
    }
    WalkXml(root, [&visit](pugi::xml_node n) {
        if (IsNamed(n, "w:bookmarkStart")) {
            visit(n);
            return false;
        }
        return !IsNamed(n, "w:r");
    });
}

} // namespace

pugi::xml_node WordDocument::bookmarkStart(const QString& name) const {
    if (!m_bookmarksIndexed) {
        m_bookmarks.clear();
        forEachBookmarkStart(body(), [this](pugi::xml_node n) {
            const QByteArray key(n.attribute("w:name").value());
            if (!m_bookmarks.contains(key))
                m_bookmarks.insert(key, n);
        });
        m_bookmarksIndexed = true;
    }
    return m_bookmarks.value(name.toUtf8());
}

pugi::xml_node WordDocument::requireBookmarkStart(const QString& name) const {
    pugi::xml_node start = bookmarkStart(name);
    if (!start)
        throw OfficeError(QStringLiteral("Закладку \"%1\" не знайдено.").arg(name));
    return start;
}

void WordDocument::forgetBookmarksIn(pugi::xml_node subtree) const {
    if (!m_bookmarksIndexed)
        return;
    bool indexed = false;
    forEachBookmarkStart(subtree, [this, &indexed](pugi::xml_node n) {
        indexed = indexed || m_bookmarks.value(QByteArray(n.attribute("w:name").value())) == n;
    });
    // A removed start may hide a later one of the same name: index again when next asked.
    if (indexed) {
        m_bookmarks.clear();
        m_bookmarksIndexed = false;
    }
}

bool WordDocument::hasBookmark(const QString& name) const {
    return bool(bookmarkStart(name));
}

QStringList WordDocument::bookmarkNames() const {
    QStringList names;
    forEachBookmarkStart(body(), [&names](pugi::xml_node n) {
        names.append(fromUtf8(n.attribute("w:name").value()));
    });
    return names;
}

QString WordDocument::bookmarkText(const QString& name) const {
    materializeAll(); // the range may take in a table
    pugi::xml_node start = requireBookmarkStart(name);
    pugi::xml_node end = findBookmarkEnd(start);
    QString text;
    if (!end)
        return text;
    // Every paragraph the range enters starts a line, unless the range began between them.
    bool firstParagraph = true;
    for (pugi::xml_node a = start.parent(); a && firstParagraph; a = a.parent())
        firstParagraph = !IsNamed(a, "w:p");
    for (pugi::xml_node n = NextSkippingChildren(start); n && n != end;) {
        if (IsNamed(n, "w:r")) {
            pugi::xml_document scratch;
            scratch.append_copy(n);
            appendParagraphText(scratch, text);
            n = NextSkippingChildren(n);
            continue;
        }
        if (IsNamed(n, "w:p")) {
            if (!firstParagraph)
                text += u'\r';
            firstParagraph = false;
        }
        n = NextInOrder(n);
    }
    return text;
}

void WordDocument::setBookmarkText(const QString& name, const QString& text) {
    materializeAll(); // the range may take in a table
    pugi::xml_node start = requireBookmarkStart(name);
    pugi::xml_node end = findBookmarkEnd(start);
    // The runs inside the range, and the paragraphs that lie wholly inside it.
    std::vector<pugi::xml_node> runs;
    std::vector<pugi::xml_node> paragraphs;
    pugi::xml_node startParagraph = start.parent();
    while (startParagraph && !IsNamed(startParagraph, "w:p"))
        startParagraph = startParagraph.parent();
    // Without an end the range is empty: nothing after the start is the bookmark's.
    for (pugi::xml_node n = end ? NextSkippingChildren(start) : pugi::xml_node(); n && n != end;) {
        if (IsNamed(n, "w:r")) {
            runs.push_back(n);
            n = NextSkippingChildren(n);
            continue;
        }
        if (IsNamed(n, "w:p") && end && !n.find_node([&end](pugi::xml_node x) { return x == end; }))
            paragraphs.push_back(n);
        n = NextInOrder(n);
    }
    // The look of the new text: the first run of the range, else the run before the start.
    pugi::xml_node look = runs.empty() ? pugi::xml_node() : runs.front();
    if (!look) {
        for (pugi::xml_node s = start.previous_sibling(); s && !look; s = s.previous_sibling()) {
            if (IsNamed(s, "w:r"))
                look = s;
        }
    }
    if (!look) {
        for (pugi::xml_node s = start.next_sibling(); s && !look; s = s.next_sibling()) {
            if (IsNamed(s, "w:r"))
                look = s;
        }
    }
    pugi::xml_node newRun;
    if (IsNamed(start.parent(), "w:p") || IsNamed(start.parent(), "w:hyperlink") ||
        IsNamed(start.parent(), "w:smartTag") || IsNamed(start.parent(), "w:ins")) {
        newRun = start.parent().insert_child_after("w:r", start);
    } else {
        // A bookmark that starts between paragraphs: the text goes at the next paragraph's start.
        pugi::xml_node p = NextSkippingChildren(start);
        while (p && !IsNamed(p, "w:p"))
            p = NextInOrder(p);
        if (!p)
            throw OfficeError(QStringLiteral("Закладка \"%1\" не має місця для тексту.").arg(name));
        pugi::xml_node pPr = p.child("w:pPr");
        newRun = pPr ? p.insert_child_after("w:r", pPr) : p.prepend_child("w:r");
    }
    if (look && look.child("w:rPr"))
        newRun.append_copy(look.child("w:rPr"));
    QString oneParagraph = text;
    oneParagraph.replace(QStringLiteral("\r\n"), QStringLiteral("\v"));
    oneParagraph.replace(u'\r', u'\v');
    oneParagraph.replace(u'\n', u'\v');
    fillRun(newRun, oneParagraph);
    for (pugi::xml_node r : runs)
        r.parent().remove_child(r);
    for (pugi::xml_node p : paragraphs) {
        if (p != startParagraph && p.parent()) {
            forgetBookmarksIn(p);
            p.parent().remove_child(p);
        }
    }
    if (!end) {
        pugi::xml_node closing = newRun.parent().insert_child_after("w:bookmarkEnd", newRun);
        closing.append_attribute("w:id").set_value(start.attribute("w:id").value());
        return;
    }
    // Keep the bookmark around the new text when its end was in a later paragraph.
    if (end.parent() != newRun.parent()) {
        pugi::xml_node moved = newRun.parent().insert_copy_after(end, newRun);
        if (moved)
            end.parent().remove_child(end);
    }
}

void WordDocument::indexTables() const {
    if (m_tablesIndexed)
        return;
    m_tables.clear();
    m_tableRows.clear();
    WalkXml(body(), [this](pugi::xml_node n) {
        if (IsNamed(n, "w:tbl")) {
            m_tables.push_back(n);
            return false;
        }
        return !IsNamed(n, "w:p");
    });
    m_tableRows.resize(m_tables.size());
    m_tablesIndexed = true;
}

int WordDocument::tableCount() const {
    indexTables();
    return static_cast<int>(m_tables.size());
}

WordTable WordDocument::table(int index) const {
    indexTables();
    if (index < 1 || index > static_cast<int>(m_tables.size()))
        throw OfficeError(QStringLiteral("Таблиці %1 у документі немає (таблиць: %2).")
                              .arg(index)
                              .arg(m_tables.size()));
    WordTable t(m_tables[static_cast<size_t>(index - 1)], this);
    auto& rows = m_tableRows[static_cast<size_t>(index - 1)];
    if (!rows) {
        rows = std::make_shared<std::vector<pugi::xml_node>>();
        for (pugi::xml_node tr = t.m_node.child("w:tr"); tr; tr = tr.next_sibling("w:tr"))
            rows->push_back(tr);
    }
    t.m_rows = rows;
    return t;
}

void WordDocument::copy() {
    if (!m_selection || !m_tableSelected)
        throw OfficeError(QStringLiteral("Для копіювання не виділено таблицю."));
    m_clipboard = std::make_unique<pugi::xml_document>();
    ++m_clipboardSource;
    pugi::xml_node rows = m_clipboard->append_child("rows");
    for (pugi::xml_node tr = m_selection->node().child("w:tr"); tr; tr = tr.next_sibling("w:tr"))
        rows.append_copy(tr);
    dropUniqueMarks(rows);
}

void WordDocument::paste() {
    if (!m_clipboard)
        throw OfficeError(QStringLiteral("Немає скопійованої таблиці."));
    if (!m_selection || !m_tableSelected)
        throw OfficeError(QStringLiteral("Для вставки не виділено таблицю."));
    m_selection->appendRowsOf(m_clipboard->document_element(), m_clipboardSource);
}

void WordDocument::saveAs(const QString& path) {
    // A document made from a template is saved as a document, not as a template.
    m_package.setContentTypeOverride(m_mainPart, QString::fromLatin1(kDocumentType));
    m_package.save(path);
    m_savedPath = path;
}

// ---------------------------------------------------------------- WordTable

void WordTable::indexRows() const {
    if (m_rows)
        return;
    m_rows = std::make_shared<std::vector<pugi::xml_node>>();
    for (pugi::xml_node tr = m_node.child("w:tr"); tr; tr = tr.next_sibling("w:tr"))
        m_rows->push_back(tr);
}

int WordTable::rowCount() const {
    indexRows();
    return static_cast<int>(m_rows->size());
}

pugi::xml_node WordTable::node() const {
    materialize();
    return m_node;
}

void WordTable::throwNoCell(int row, int column) const {
    throw OfficeError(QStringLiteral("Клітинки (%1, %2) у таблиці немає (рядків: %3).")
                          .arg(row)
                          .arg(column)
                          .arg(m_rows->size()));
}

pugi::xml_node WordTable::cellNode(int row, int column) const {
    indexRows();
    if (row >= 1 && row <= static_cast<int>(m_rows->size()) && column >= 1) {
        if (!(*m_rows)[static_cast<size_t>(row - 1)])
            materialize();
        int c = 0;
        for (pugi::xml_node tc = (*m_rows)[static_cast<size_t>(row - 1)].child("w:tc"); tc;
             tc = tc.next_sibling("w:tc")) {
            if (++c == column)
                return tc;
        }
    }
    throwNoCell(row, column);
}

InsertedRows* WordTable::insertedRow(int row, int column) const {
    indexRows();
    if (row < 1 || row > static_cast<int>(m_rows->size()) ||
        (*m_rows)[static_cast<size_t>(row - 1)] || !m_document)
        return nullptr;
    const auto it = m_document->m_inserted.find(m_node);
    if (it == m_document->m_inserted.end())
        return nullptr;
    if (column < 1 || column > it->second->columnCount(row))
        throwNoCell(row, column);
    return it->second.get();
}

void WordTable::materialize() const {
    if (!m_document)
        return;
    const auto it = m_document->m_inserted.find(m_node);
    if (it == m_document->m_inserted.end())
        return;
    const std::unique_ptr<InsertedRows> rows = std::move(it->second);
    m_document->m_inserted.erase(it);
    indexRows();
    // As the tree takes inserted rows: copies of their patterns, in order.
    pugi::xml_node table = m_node;
    pugi::xml_node at = rows->after();
    for (int row = rows->firstRow(); row <= rows->lastRow(); ++row) {
        at = table.insert_copy_after(rows->pattern(row), at);
        (*m_rows)[static_cast<size_t>(row - 1)] = at;
    }
    // Then what was written into their cells.
    for (int row = rows->firstRow(); row <= rows->lastRow(); ++row) {
        int column = 0;
        for (pugi::xml_node tc = (*m_rows)[static_cast<size_t>(row - 1)].child("w:tc"); tc;
             tc = tc.next_sibling("w:tc")) {
            if (const InsertedRows::Cell* cell = rows->cell(row, ++column))
                applyInserted(tc, *cell);
        }
    }
}

void WordTable::applyInserted(pugi::xml_node tc, const InsertedRows::Cell& cell) {
    if (cell.hasBold && cell.boldFirst)
        writeCellBold(tc, cell.bold);
    if (cell.hasText)
        writeCellText(tc, cell.text, nullptr);
    if (cell.hasBold && !cell.boldFirst)
        writeCellBold(tc, cell.bold);
}

QString WordTable::cellText(int row, int column) const {
    pugi::xml_node tc = cellNode(row, column);
    QString text;
    bool first = true;
    for (pugi::xml_node p = tc.child("w:p"); p; p = p.next_sibling("w:p")) {
        if (!first)
            text += u'\r';
        first = false;
        appendParagraphText(p, text);
    }
    return text;
}

void WordTable::removeFromCell(pugi::xml_node parent, pugi::xml_node node,
                               const WordDocument* document) {
    if (document)
        document->forgetBookmarksIn(node);
    parent.remove_child(node);
}

void WordTable::setCellText(int row, int column, const QString& text) {
    if (InsertedRows* rows = insertedRow(row, column)) {
        rows->setText(row, column, text);
        return;
    }
    writeCellText(cellNode(row, column), text, m_document);
}

void WordTable::writeCellText(pugi::xml_node tc, const QString& text,
                              const WordDocument* document) {
    // The first paragraph stays as the pattern of every line: its properties and the look
    // of its first run (or of its mark when it has no run).
    pugi::xml_node firstP = tc.child("w:p");
    for (pugi::xml_node c = tc.first_child(); c;) {
        pugi::xml_node next = c.next_sibling();
        if (c != firstP && !IsNamed(c, "w:tcPr"))
            removeFromCell(tc, c, document);
        c = next;
    }
    if (!firstP)
        firstP = tc.append_child("w:p");
    pugi::xml_node run = firstRun(firstP);
    if (!run || run.parent() != firstP) {
        pugi::xml_node look = run ? run.child("w:rPr") : firstP.child("w:pPr").child("w:rPr");
        run = firstP.append_child("w:r");
        if (look)
            run.append_copy(look);
    }
    for (pugi::xml_node c = firstP.first_child(); c;) {
        pugi::xml_node next = c.next_sibling();
        if (c != run && !IsNamed(c, "w:pPr"))
            removeFromCell(firstP, c, document);
        c = next;
    }
    for (pugi::xml_node c = run.first_child(); c;) {
        pugi::xml_node next = c.next_sibling();
        if (!IsNamed(c, "w:rPr"))
            run.remove_child(c);
        c = next;
    }
    if (!hasParagraphMarks(text)) {
        fillRun(run, text);
        return;
    }
    const QStringList lines = splitParagraphs(text);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        pugi::xml_node p = tc.append_copy(firstP);
        p.remove_attribute("w14:paraId");
        p.remove_attribute("w14:textId");
        fillRun(p.child("w:r"), lines[i]);
    }
    fillRun(run, lines.front());
}

void WordTable::setCellBold(int row, int column, bool bold) {
    if (InsertedRows* rows = insertedRow(row, column)) {
        rows->setBold(row, column, bold);
        return;
    }
    writeCellBold(cellNode(row, column), bold);
}

void WordTable::writeCellBold(pugi::xml_node tc, bool bold) {
    for (pugi::xml_node p = tc.child("w:p"); p; p = p.next_sibling("w:p")) {
        setBoldIn(markProperties(p), bold);
        WalkXml(p, [bold](pugi::xml_node n) {
            if (IsNamed(n, "w:r")) {
                setBoldIn(runProperties(n), bold);
                return false;
            }
            return !IsNamed(n, "w:pPr");
        });
    }
}

bool WordTable::cellBold(int row, int column) const {
    pugi::xml_node tc = cellNode(row, column);
    pugi::xml_node run = firstRun(tc);
    return run && isBold(run.child("w:rPr"));
}

void WordTable::insertRowsBelow(int row, int count) {
    indexRows();
    materialize(); // a table keeps one run of inserted rows outside the tree
    cellNode(row, 1);
    if (count <= 0)
        return;
    pugi::xml_node source = (*m_rows)[static_cast<size_t>(row - 1)];
    pugi::xml_document scratch;
    pugi::xml_node pattern = scratch.append_copy(source);
    dropUniqueMarks(pattern);
    clearRowText(pattern);
    m_document->m_inserted[m_node] = std::make_unique<InsertedRows>(
        std::vector<pugi::xml_node>{pattern}, source, row, count, &WordTable::applyInserted);
    m_rows->insert(m_rows->begin() + row, static_cast<size_t>(count), pugi::xml_node());
}
