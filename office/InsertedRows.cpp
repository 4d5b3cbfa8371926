#include "office/InsertedRows.h"

#include "office/XmlText.h"
#include "office/XmlWalk.h"

#include <cstring>

namespace {

/** Stands for a cell's text while the XML around it is printed: private-use characters. */
const char* const kMarker = "\xEE\x80\x80\xEE\x80\x81";

/** A text the document writes as one run of plain text: no paragraph, tab or break marks. */
bool isPlain(const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x20)
            return false;
    }
    return !text.isEmpty();
}

void flushBig(QByteArray& out, pugi::xml_writer& sink) {
    if (out.size() > (1 << 16)) {
        sink.write(out.constData(), static_cast<size_t>(out.size()));
        out.resize(0); // keeps the buffer for what follows
    }
}

} // namespace

QByteArray XmlStartTag(pugi::xml_node element) {
    pugi::xml_document scratch;
    pugi::xml_node copy = scratch.append_child(element.name());
    for (pugi::xml_attribute a : element.attributes())
        copy.append_copy(a);
    QByteArray tag;
    AppendXmlNode(tag, copy); // "<name .../>"
    tag.chop(2);
    return tag + '>';
}

InsertedRows::InsertedRows(const std::vector<pugi::xml_node>& patterns, pugi::xml_node after,
                           int afterRow, int count, ApplyCell apply, quint64 source)
    : m_after(after), m_afterRow(afterRow), m_count(count), m_apply(std::move(apply)),
      m_source(source) {
    for (pugi::xml_node pattern : patterns) {
        Pattern cut;
        cut.row = m_patternRows.append_copy(pattern);
        cut.firstCell = m_cycleCells;
        cutPattern(cut);
        m_cycleCells += cut.cellXml.size();
        m_patterns.push_back(std::move(cut));
    }
}

void InsertedRows::cutPattern(Pattern& p) const {
    if (p.row.first_child()) {
        p.start = XmlStartTag(p.row);
        p.end = "</" + QByteArray(p.row.name()) + '>';
    } else {
        AppendXmlNode(p.start, p.row);
    }
    p.between.emplace_back();
    for (pugi::xml_node child = p.row.first_child(); child; child = child.next_sibling()) {
        if (!IsNamed(child, "w:tc")) {
            AppendXmlNode(p.between.back(), child);
            continue;
        }
        QByteArray xml;
        AppendXmlNode(xml, child);
        p.cellXml.push_back(xml);
        p.cells.push_back(child);
        // The cell with a marker for its text, cut at the marker.
        pugi::xml_document scratch;
        pugi::xml_node tc = scratch.append_copy(child);
        Cell marked;
        marked.text = QString::fromUtf8(kMarker);
        marked.hasText = true;
        m_apply(tc, marked);
        QByteArray withMarker;
        AppendXmlNode(withMarker, tc);
        const qsizetype at = withMarker.indexOf(kMarker);
        const bool once = at >= 0 && withMarker.indexOf(kMarker, at + 1) < 0;
        p.beforeText.push_back(once ? withMarker.left(at) : QByteArray());
        p.afterText.push_back(once ? withMarker.mid(at + qsizetype(std::strlen(kMarker)))
                                   : QByteArray());
        // And with an empty text written into it.
        pugi::xml_document emptied;
        tc = emptied.append_copy(child);
        m_apply(tc, Cell{QString(), true});
        p.emptiedXml.emplace_back();
        AppendXmlNode(p.emptiedXml.back(), tc);
        p.between.emplace_back();
    }
}

void InsertedRows::extend(int more) {
    m_count += more;
    if (!m_cells.empty())
        m_cells.resize(cellIndex(lastRow() + 1, 1));
}

size_t InsertedRows::cellIndex(int row, int column) const {
    const size_t k = static_cast<size_t>(row - firstRow());
    return k / m_patterns.size() * m_cycleCells + m_patterns[k % m_patterns.size()].firstCell +
           static_cast<size_t>(column - 1);
}

InsertedRows::Cell& InsertedRows::at(int row, int column) {
    if (m_cells.empty())
        m_cells.resize(cellIndex(lastRow() + 1, 1));
    return m_cells[cellIndex(row, column)];
}

void InsertedRows::setText(int row, int column, const QString& text) {
    Cell& c = at(row, column);
    c.text = text;
    c.hasText = true;
    c.boldFirst = c.hasBold;
}

void InsertedRows::setBold(int row, int column, bool bold) {
    Cell& c = at(row, column);
    c.hasBold = true;
    c.bold = bold;
    c.boldFirst = false;
}

const InsertedRows::Cell* InsertedRows::cell(int row, int column) const {
    if (m_cells.empty())
        return nullptr;
    const Cell& c = m_cells[cellIndex(row, column)];
    return c.hasText || c.hasBold ? &c : nullptr;
}

void InsertedRows::writeCell(QByteArray& out, const Pattern& p, size_t column,
                             const Cell* cell) const {
    if (!cell || (!cell->hasBold && !cell->hasText)) {
        out.append(p.cellXml[column]);
        return;
    }
    if (!cell->hasBold && cell->text.isEmpty()) {
        out.append(p.emptiedXml[column]);
        return;
    }
    if (!cell->hasBold && !p.beforeText[column].isEmpty() && isPlain(cell->text)) {
        const QByteArray text = cell->text.toUtf8();
        out.append(p.beforeText[column]);
        AppendXmlText(out, text.constData(), text.size());
        out.append(p.afterText[column]);
        return;
    }
    // Anything else is written by the document's own code into a copy of the pattern cell.
    pugi::xml_document scratch;
    pugi::xml_node tc = scratch.append_copy(p.cells[column]);
    m_apply(tc, *cell);
    AppendXmlNode(out, tc);
}

void InsertedRows::write(QByteArray& out, pugi::xml_writer& sink) const {
    for (int row = firstRow(); row <= lastRow(); ++row) {
        const Pattern& p = patternOf(row);
        out.append(p.start);
        const size_t columns = p.cellXml.size();
        for (size_t column = 0; column < columns; ++column) {
            out.append(p.between[column]);
            writeCell(out, p, column, cell(row, static_cast<int>(column) + 1));
        }
        out.append(p.between.back());
        out.append(p.end);
        flushBig(out, sink);
    }
}
