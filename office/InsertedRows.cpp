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
        out.clear();
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

InsertedRows::InsertedRows(pugi::xml_node pattern, pugi::xml_node after, int afterRow, int count,
                           ApplyCell apply)
    : m_after(after), m_afterRow(afterRow), m_count(count), m_apply(std::move(apply)) {
    pugi::xml_node row = m_pattern.append_copy(pattern);
    if (row.first_child()) {
        m_rowStart = XmlStartTag(row);
        m_rowEnd = "</" + QByteArray(row.name()) + '>';
    } else {
        AppendXmlNode(m_rowStart, row);
    }
    m_between.emplace_back();
    for (pugi::xml_node child = row.first_child(); child; child = child.next_sibling()) {
        if (!IsNamed(child, "w:tc")) {
            AppendXmlNode(m_between.back(), child);
            continue;
        }
        QByteArray xml;
        AppendXmlNode(xml, child);
        m_cellXml.push_back(xml);
        m_patternCells.push_back(child);
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
        m_beforeText.push_back(once ? withMarker.left(at) : QByteArray());
        m_afterText.push_back(once ? withMarker.mid(at + qsizetype(std::strlen(kMarker)))
                                   : QByteArray());
        m_between.emplace_back();
    }
}

InsertedRows::Cell& InsertedRows::at(int row, int column) {
    if (m_cells.empty())
        m_cells.resize(static_cast<size_t>(m_count) * m_cellXml.size());
    return m_cells[static_cast<size_t>(row - firstRow()) * m_cellXml.size() +
                   static_cast<size_t>(column - 1)];
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
    const Cell& c = m_cells[static_cast<size_t>(row - firstRow()) * m_cellXml.size() +
                            static_cast<size_t>(column - 1)];
    return c.hasText || c.hasBold ? &c : nullptr;
}

void InsertedRows::writeCell(QByteArray& out, size_t column, const Cell* cell) const {
    if (!cell || (!cell->hasBold && cell->text.isEmpty())) {
        out.append(m_cellXml[column]);
        return;
    }
    if (!cell->hasBold && !m_beforeText[column].isEmpty() && isPlain(cell->text)) {
        const QByteArray text = cell->text.toUtf8();
        out.append(m_beforeText[column]);
        AppendXmlText(out, text.constData(), text.size());
        out.append(m_afterText[column]);
        return;
    }
    // Anything else is written by the document's own code into a copy of the pattern cell.
    pugi::xml_document scratch;
    pugi::xml_node tc = scratch.append_copy(m_patternCells[column]);
    m_apply(tc, *cell);
    AppendXmlNode(out, tc);
}

void InsertedRows::write(QByteArray& out, pugi::xml_writer& sink) const {
    const int columns = columnCount();
    for (int row = firstRow(); row <= lastRow(); ++row) {
        out.append(m_rowStart);
        for (int column = 1; column <= columns; ++column) {
            out.append(m_between[static_cast<size_t>(column - 1)]);
            writeCell(out, static_cast<size_t>(column - 1), cell(row, column));
        }
        out.append(m_between.back());
        out.append(m_rowEnd);
        flushBig(out, sink);
    }
}
