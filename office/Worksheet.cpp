#include "office/Worksheet.h"

#include "common/TextUtils.h"
#include "office/OfficeError.h"
#include "office/Workbook.h"
#include "office/XmlText.h"
#include "office/XmlWalk.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const double kDefaultWidth = 8.43;
const int kMaxRow = 1048576;
const int kMaxColumn = 16384;

/** A style index as a cell keeps it; a spreadsheet has at most 64,000 cell styles. */
quint16 CellStyle(int style) {
    if (style < 0 || style > 0xFFFF)
        throw OfficeError(QStringLiteral("Стиль клітинки аркуша пошкоджено (%1).").arg(style));
    return static_cast<quint16>(style);
}

QString fromUtf8(const char* text) {
    return QString::fromUtf8(text);
}

/** A number a spreadsheet would take from typed text, kept exact: no leading zeros, at
 * most 15 digits, no exponent. Codes such as "007" stay texts. */
bool isPlainNumber(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && text[i] == u'-')
        ++i;
    const qsizetype intStart = i;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128)
        ++i;
    const qsizetype intDigits = i - intStart;
    if (intDigits == 0 || (intDigits > 1 && text[intStart] == u'0'))
        return false;
    qsizetype fracDigits = 0;
    if (i < n && text[i] == u'.') {
        ++i;
        const qsizetype fracStart = i;
        while (i < n && text[i].isDigit() && text[i].unicode() < 128)
            ++i;
        fracDigits = i - fracStart;
        if (fracDigits == 0)
            return false;
    }
    return i == n && intDigits + fracDigits <= 15;
}

/** Writes the decimal digits of a number (with "-" when below 0); returns their count. */
int writeDecimal(char* buffer, int value) {
    char digits[12];
    int n = 0;
    // In unsigned arithmetic, so that the smallest int has its digits too.
    unsigned v = value < 0 ? 0U - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v > 0);
    int at = 0;
    if (value < 0)
        buffer[at++] = '-';
    while (n > 0)
        buffer[at++] = digits[--n];
    return at;
}

/** Writes "AB12" into buffer (at least 16 characters); returns its length. */
int writeReference(char* buffer, int row, int column) {
    char letters[4];
    int n = 0;
    for (int c = column; c > 0 && n < 3; c = (c - 1) / 26)
        letters[n++] = static_cast<char>('A' + (c - 1) % 26);
    int at = 0;
    while (n > 0)
        buffer[at++] = letters[--n];
    return at + writeDecimal(buffer + at, row);
}

/** The attributes a cell of the tree may have for its value to be replaced in compact form. */
bool onlyReferenceStyleAndType(pugi::xml_node cell) {
    for (pugi::xml_attribute a : cell.attributes()) {
        const char* name = a.name();
        if (std::strcmp(name, "r") != 0 && std::strcmp(name, "s") != 0 &&
            std::strcmp(name, "t") != 0)
            return false;
    }
    return true;
}

void clearTreeValue(pugi::xml_node cell) {
    cell.remove_attribute("t");
    cell.remove_children();
}

/**
 * Whether a number's text is already the shortest exact text of its value, as
 * ShortestNumberText writes it: no sign but "-" (and not "-0"), no leading or trailing zeros,
 * no exponent, at most 15 digits (so no other text of as few digits has the same value).
 */
bool isShortestNumberText(const char* text) {
    const char* p = text;
    if (*p == '-')
        ++p;
    const char* digits = p;
    if (*p == '0') {
        ++p;
    } else {
        while (*p >= '0' && *p <= '9')
            ++p;
    }
    const qsizetype intDigits = p - digits;
    if (intDigits == 0 || (*text == '-' && intDigits == 1 && *digits == '0' && *p == 0))
        return false;
    qsizetype fracDigits = 0;
    if (*p == '.') {
        const char* fraction = ++p;
        while (*p >= '0' && *p <= '9')
            ++p;
        fracDigits = p - fraction;
        if (fracDigits == 0 || p[-1] == '0')
            return false;
    }
    return *p == 0 && intDigits + fracDigits <= 15;
}

/** A number's text as ShortestNumberText writes its value; the text itself when it is not a
 * finite number. */
QString numberText(const char* text) {
    if (isShortestNumberText(text))
        return QString::fromLatin1(text);
    const QString v = QString::fromUtf8(text);
    bool ok = false;
    const double number = v.toDouble(&ok);
    return ok && std::isfinite(number) ? ShortestNumberText(number) : v;
}

/**
 * Row and column of an "A1"-style reference: capital letters, then the row's digits. False
 * for a malformed reference or one outside the sheet.
 */
bool parseReference(const char* text, int& row, int& column) {
    const char* p = text;
    long long c = 0;
    while (*p >= 'A' && *p <= 'Z' && c <= kMaxColumn)
        c = c * 26 + (*p++ - 'A' + 1);
    if (p == text || c > kMaxColumn || !(*p >= '0' && *p <= '9'))
        return false;
    long long r = 0;
    while (*p >= '0' && *p <= '9' && r <= kMaxRow)
        r = r * 10 + (*p++ - '0');
    if (*p != 0 || r < 1 || r > kMaxRow)
        return false;
    row = static_cast<int>(r);
    column = static_cast<int>(c);
    return true;
}

/** Drops the control characters a workbook's XML cannot hold; tabs and line ends stay. */
QString storableText(const QString& value) {
    QString text = value;
    text.removeIf(
        [](QChar ch) { return ch.unicode() < 0x20 && ch != u'\t' && ch != u'\n' && ch != u'\r'; });
    return text;
}

} // namespace

QString CellReference(int row, int column) {
    QString letters;
    for (int c = column; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row);
}

std::optional<std::pair<int, int>> ParseCellReference(const QString& reference) {
    int row = 0, column = 0;
    if (!parseReference(reference.toUtf8().constData(), row, column))
        return std::nullopt;
    return std::make_pair(row, column);
}

void Worksheet::attach(pugi::xml_node root) {
    if (!IsNamed(root, "worksheet"))
        throw OfficeError(QStringLiteral("Частина аркуша не є аркушем."));
    m_root = root;
    m_sheetData = root.child("sheetData");
    if (!m_sheetData)
        throw OfficeError(QStringLiteral("Аркуш не має даних клітинок (sheetData)."));
    int lastRow = 0;
    for (pugi::xml_node r = m_sheetData.child("row"); r; r = r.next_sibling("row")) {
        const int number = r.attribute("r") ? r.attribute("r").as_int(0) : lastRow + 1;
        if (number <= lastRow || number > kMaxRow)
            throw OfficeError(QStringLiteral("Рядки аркуша пошкоджено (рядок %1).").arg(number));
        lastRow = number;
        // Rows and cells carry their numbers: cells written later may leave gaps before them.
        if (!r.attribute("r"))
            r.prepend_attribute("r").set_value(number);
        Row& row = m_rows[number];
        row.node = r;
        int lastColumn = 0;
        for (pugi::xml_node c = r.child("c"); c; c = c.next_sibling("c")) {
            int column = lastColumn + 1;
            if (const char* reference = c.attribute("r").value(); *reference) {
                int referenceRow = 0;
                if (!parseReference(reference, referenceRow, column) || referenceRow != number)
                    throw OfficeError(QStringLiteral("Клітинку \"%1\" аркуша пошкоджено.")
                                          .arg(fromUtf8(reference)));
            } else {
                c.prepend_attribute("r").set_value(
                    CellReference(number, column).toLatin1().constData());
            }
            if (column <= lastColumn)
                throw OfficeError(
                    QStringLiteral("Клітинки рядка %1 аркуша не впорядковано.").arg(number));
            lastColumn = column;
            Cell cell;
            cell.column = static_cast<quint16>(column);
            cell.kind = Kind::Tree;
            cell.setIndex(static_cast<qint32>(m_treeCells.size()));
            m_treeCells.push_back(c);
            row.cells.push_back(cell);
        }
    }
}

void Worksheet::checkWritable() const {
    if (m_static)
        throw OfficeError(QStringLiteral("Книгу \".xls\" відкрито лише для читання."));
}

pugi::xml_node Worksheet::treeNode(const Cell& cell) const {
    return cell.kind == Kind::Tree ? m_treeCells[static_cast<size_t>(cell.index())]
                                   : pugi::xml_node();
}

const Worksheet::Cell* Worksheet::findCell(int row, int column) const {
    auto r = m_rows.find(row);
    if (r == m_rows.end())
        return nullptr;
    const auto& cells = r->second.cells;
    auto c = std::lower_bound(cells.begin(), cells.end(), column,
                              [](const Cell& cell, int col) { return cell.column < col; });
    return c == cells.end() || c->column != column ? nullptr : &*c;
}

int Worksheet::columnStyle(int column) const {
    if (m_columnStyles.empty()) {
        m_columnStyles.assign(kMaxColumn + 1, 0);
        for (pugi::xml_node col = m_root.child("cols").child("col"); col;
             col = col.next_sibling("col")) {
            const int style = col.attribute("style").as_int(0);
            const int first = std::max(1, col.attribute("min").as_int());
            const int last = std::min(kMaxColumn, col.attribute("max").as_int());
            for (int c = first; c <= last; ++c) {
                if (m_columnStyles[static_cast<size_t>(c)] == 0)
                    m_columnStyles[static_cast<size_t>(c)] = style;
            }
        }
    }
    return column >= 1 && column <= kMaxColumn ? m_columnStyles[static_cast<size_t>(column)] : 0;
}

Worksheet::Row& Worksheet::ensureRow(int row) {
    auto rit = m_rows.find(row);
    if (rit == m_rows.end()) {
        auto next = m_rows.upper_bound(row);
        pugi::xml_node node = next == m_rows.end()
                                  ? m_sheetData.append_child("row")
                                  : m_sheetData.insert_child_before("row", next->second.node);
        node.append_attribute("r").set_value(row);
        rit = m_rows.emplace(row, Row{node, {}}).first;
    }
    return rit->second;
}

void Worksheet::setRowHeight(int row, double points) {
    checkWritable();
    if (row < 1 || row > kMaxRow || points <= 0 || points > 409)
        throw OfficeError(
            QStringLiteral("Висоти %1 рядка %2 на аркуші не буває.").arg(points).arg(row));
    m_book->m_changed = true;
    pugi::xml_node node = ensureRow(row).node;
    for (const char* name : {"ht", "customHeight"}) {
        if (!node.attribute(name))
            node.append_attribute(name);
    }
    node.attribute("ht").set_value(points);
    node.attribute("customHeight").set_value("1");
}

Worksheet::Cell& Worksheet::ensureCell(int row, int column, bool forValue) {
    checkWritable();
    if (row < 1 || row > kMaxRow || column < 1 || column > kMaxColumn)
        throw OfficeError(
            QStringLiteral("Клітинки (%1, %2) на аркуші не буває.").arg(row).arg(column));
    m_book->m_changed = true;
    Row& r = ensureRow(row);
    // A new row is made as wide as the widest so far: rows of a table are alike.
    if (r.cells.empty() && r.cells.capacity() == 0)
        r.cells.reserve(std::min<size_t>(m_widestRow, 256));
    auto next = r.cells.end();
    if (!r.cells.empty() && r.cells.back().column >= column) {
        next = std::lower_bound(r.cells.begin(), r.cells.end(), column,
                                [](const Cell& cell, int col) { return cell.column < col; });
        if (next->column == column) {
            Cell& cell = *next;
            pugi::xml_node tree = treeNode(cell);
            if (forValue && tree && onlyReferenceStyleAndType(tree)) {
                cell.style = CellStyle(tree.attribute("s").as_int(0));
                cell.kind = Kind::Empty;
                m_treeCells[static_cast<size_t>(cell.index())] = pugi::xml_node();
                cell.setIndex(0);
                r.node.remove_child(tree);
            }
            return cell;
        }
    }
    Cell cell;
    cell.column = static_cast<quint16>(column);
    // A new cell takes the style its row or column gives it.
    if (r.node.attribute("customFormat").as_bool() && r.node.attribute("s"))
        cell.style = CellStyle(r.node.attribute("s").as_int(0));
    else
        cell.style = CellStyle(columnStyle(column));
    Cell& added = *r.cells.insert(next, cell);
    m_widestRow = std::max(m_widestRow, r.cells.size());
    return added;
}

QString Worksheet::treeValueOf(pugi::xml_node c) const {
    const char* type = c.attribute("t").value();
    if (std::strcmp(type, "inlineStr") == 0)
        return SheetItemText(c.child("is"));
    const char* raw = c.child("v").child_value();
    if (*type == 0 || std::strcmp(type, "n") == 0)
        return numberText(raw);
    const QString v = fromUtf8(raw);
    if (std::strcmp(type, "s") == 0) {
        bool ok = false;
        const int index = v.toInt(&ok);
        return ok ? m_book->sharedStringText(index) : QString();
    }
    if (std::strcmp(type, "b") == 0)
        return v == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (std::strcmp(type, "str") == 0 || std::strcmp(type, "e") == 0 || v.isEmpty())
        return v;
    return numberText(raw);
}

QString Worksheet::valueOf(const Cell& cell) const {
    switch (cell.kind) {
    case Kind::Tree:
        return treeValueOf(treeNode(cell));
    case Kind::Empty:
        return QString();
    case Kind::Number: {
        char text[Cell::kShortNumber + 1] = {};
        std::memcpy(text, cell.bytes, cell.length);
        return numberText(text);
    }
    case Kind::LongNumber:
        return numberText(m_texts[static_cast<size_t>(cell.index())].constData());
    case Kind::Shared:
        return m_book->sharedStringText(cell.index());
    case Kind::Inline:
        return QString::fromUtf8(m_texts[static_cast<size_t>(cell.index())]);
    }
    return QString();
}

QString Worksheet::cellText(int row, int column) const {
    if (m_static)
        return m_static->text(row, column);
    const Cell* c = findCell(row, column);
    return c ? valueOf(*c) : QString();
}

SheetCells Worksheet::values() const {
    if (m_static)
        return *m_static;
    SheetCells cells;
    qsizetype count = 0;
    for (const auto& [row, r] : m_rows)
        count += static_cast<qsizetype>(r.cells.size());
    cells.reserve(count, count * 8);
    for (const auto& [row, r] : m_rows) {
        for (const Cell& c : r.cells)
            cells.set(row, c.column, valueOf(c));
    }
    return cells;
}

void Worksheet::setCellValue(int row, int column, const QString& text) {
    if (!isPlainNumber(text)) {
        setCellString(row, column, text);
        return;
    }
    Cell& c = ensureCell(row, column, true);
    if (pugi::xml_node tree = treeNode(c)) {
        clearTreeValue(tree);
        tree.append_child("v").text().set(text.toLatin1().constData());
        return;
    }
    if (text.size() <= Cell::kShortNumber) {
        c.kind = Kind::Number;
        c.length = static_cast<quint8>(text.size());
        for (qsizetype i = 0; i < text.size(); ++i)
            c.bytes[i] = static_cast<char>(text[i].unicode());
    } else {
        keepText(c, Kind::LongNumber, text.toLatin1());
    }
}

void Worksheet::setCellString(int row, int column, const QString& value) {
    Cell& c = ensureCell(row, column, true);
    const QString text = storableText(value);
    const int index = text.isEmpty() ? -1 : m_book->sharedString(text);
    if (pugi::xml_node tree = treeNode(c)) {
        clearTreeValue(tree);
        if (text.isEmpty())
            return;
        if (index >= 0) {
            tree.append_attribute("t").set_value("s");
            tree.append_child("v").text().set(index);
        } else {
            tree.append_attribute("t").set_value("inlineStr");
            pugi::xml_node t = tree.append_child("is").append_child("t");
            t.append_attribute("xml:space").set_value("preserve");
            t.text().set(text.toUtf8().constData());
        }
        return;
    }
    if (text.isEmpty()) {
        c.kind = Kind::Empty;
    } else if (index >= 0) {
        c.kind = Kind::Shared;
        c.setIndex(index);
    } else {
        keepText(c, Kind::Inline, text.toUtf8());
    }
}

void Worksheet::keepText(Cell& c, Kind kind, const QByteArray& text) {
    // A cell that kept a text already keeps its place for the new one.
    if (c.kind == Kind::Inline || c.kind == Kind::LongNumber) {
        m_texts[static_cast<size_t>(c.index())] = text;
    } else {
        c.setIndex(static_cast<qint32>(m_texts.size()));
        m_texts.push_back(text);
    }
    c.kind = kind;
}

void Worksheet::setCellBold(int row, int column, bool bold) {
    Cell& c = ensureCell(row, column, false);
    if (pugi::xml_node tree = treeNode(c)) {
        const int style = m_book->boldStyle(tree.attribute("s").as_int(0), bold);
        tree.remove_attribute("s");
        if (style != 0)
            tree.append_attribute("s").set_value(style);
        return;
    }
    c.style = CellStyle(m_book->boldStyle(c.style, bold));
}

bool Worksheet::cellBold(int row, int column) const {
    if (m_static)
        return false;
    const Cell* c = findCell(row, column);
    int style = 0;
    if (c)
        style = c->kind == Kind::Tree ? treeNode(*c).attribute("s").as_int(0) : c->style;
    return m_book->styleBold(style);
}

pugi::xml_node Worksheet::columnNode(int column) const {
    for (pugi::xml_node col = m_root.child("cols").child("col"); col;
         col = col.next_sibling("col")) {
        if (col.attribute("min").as_int() <= column && column <= col.attribute("max").as_int())
            return col;
    }
    return pugi::xml_node();
}

double Worksheet::columnWidth(int column) const {
    if (m_static)
        return kDefaultWidth;
    if (pugi::xml_node col = columnNode(column)) {
        if (col.attribute("hidden").as_bool())
            return 0;
        if (col.attribute("width"))
            return col.attribute("width").as_double();
    }
    pugi::xml_node format = m_root.child("sheetFormatPr");
    if (format.attribute("defaultColWidth"))
        return format.attribute("defaultColWidth").as_double();
    return kDefaultWidth;
}

pugi::xml_node Worksheet::splitColumn(int column) {
    m_columnStyles.clear();
    pugi::xml_node cols = m_root.child("cols");
    if (!cols)
        cols = m_root.insert_child_before("cols", m_sheetData);
    pugi::xml_node col = columnNode(column);
    if (!col) {
        pugi::xml_node next;
        for (pugi::xml_node c = cols.child("col"); c && !next; c = c.next_sibling("col")) {
            if (c.attribute("min").as_int() > column)
                next = c;
        }
        col = next ? cols.insert_child_before("col", next) : cols.append_child("col");
        col.append_attribute("min").set_value(column);
        col.append_attribute("max").set_value(column);
        col.append_attribute("width").set_value(columnWidth(column));
        return col;
    }
    const int first = col.attribute("min").as_int();
    const int last = col.attribute("max").as_int();
    if (first < column) {
        pugi::xml_node before = cols.insert_copy_before(col, col);
        before.attribute("max").set_value(column - 1);
    }
    if (column < last) {
        pugi::xml_node after = cols.insert_copy_after(col, col);
        after.attribute("min").set_value(column + 1);
    }
    col.attribute("min").set_value(column);
    col.attribute("max").set_value(column);
    return col;
}

void Worksheet::setColumnWidth(int column, double width) {
    checkWritable();
    if (column < 1 || column > kMaxColumn || !std::isfinite(width) || width < 0 || width > 255)
        throw OfficeError(
            QStringLiteral("Ширину %1 стовпця %2 задати неможливо.").arg(width).arg(column));
    m_book->m_changed = true;
    pugi::xml_node col = splitColumn(column);
    col.remove_attribute("hidden");
    if (width == 0) {
        col.append_attribute("hidden").set_value("1");
        return;
    }
    col.remove_attribute("width");
    col.remove_attribute("customWidth");
    col.append_attribute("width").set_value(width);
    col.append_attribute("customWidth").set_value("1");
}

void Worksheet::updateDimension() {
    pugi::xml_node dimension = m_root.child("dimension");
    if (!dimension || m_rows.empty())
        return;
    int minColumn = kMaxColumn, maxColumn = 1;
    for (const auto& [row, r] : m_rows) {
        if (!r.cells.empty()) {
            minColumn = std::min<int>(minColumn, r.cells.front().column);
            maxColumn = std::max<int>(maxColumn, r.cells.back().column);
        }
    }
    if (minColumn > maxColumn)
        return;
    const QString ref = CellReference(m_rows.begin()->first, minColumn) + u':' +
                        CellReference(m_rows.rbegin()->first, maxColumn);
    dimension.attribute("ref").set_value(ref.toLatin1().constData());
}

// ---------------------------------------------------------------- writing

void Worksheet::appendCell(QByteArray& out, int row, const Cell& cell) const {
    if (cell.kind == Kind::Tree) {
        AppendXmlNode(out, treeNode(cell));
        return;
    }
    // The cell is put together here and added at once: most sheets are hundreds of thousands
    // of such short cells, none longer than 66 characters.
    char buffer[96];
    char* at = buffer;
    const auto put = [&at](const char* text, size_t size) {
        std::memcpy(at, text, size);
        at += size;
    };
    put("<c r=\"", 6);
    at += writeReference(at, row, cell.column);
    *at++ = '"';
    if (cell.style != 0) {
        put(" s=\"", 4);
        at += writeDecimal(at, cell.style);
        *at++ = '"';
    }
    switch (cell.kind) {
    case Kind::Tree:
    case Kind::Empty:
        put("/>", 2);
        break;
    case Kind::Number:
        put("><v>", 4);
        put(cell.bytes, cell.length);
        put("</v></c>", 8);
        break;
    case Kind::LongNumber: {
        const QByteArray& text = m_texts[static_cast<size_t>(cell.index())];
        put("><v>", 4);
        put(text.constData(), static_cast<size_t>(text.size()));
        put("</v></c>", 8);
        break;
    }
    case Kind::Shared:
        put(" t=\"s\"><v>", 10);
        at += writeDecimal(at, cell.index());
        put("</v></c>", 8);
        break;
    case Kind::Inline: {
        out.append(buffer, at - buffer);
        const QByteArray& text = m_texts[static_cast<size_t>(cell.index())];
        out.append(" t=\"inlineStr\"><is><t xml:space=\"preserve\">");
        AppendXmlText(out, text.constData(), text.size());
        out.append("</t></is></c>");
        return;
    }
    }
    out.append(buffer, at - buffer);
}

void Worksheet::appendRow(QByteArray& out, const Row& row) const {
    out.append("<row");
    AppendXmlAttributes(out, row.node);
    // Whatever else a row holds (its extension list) follows its cells.
    std::vector<pugi::xml_node> others;
    for (pugi::xml_node n = row.node.first_child(); n; n = n.next_sibling()) {
        if (!IsNamed(n, "c"))
            others.push_back(n);
    }
    if (row.cells.empty() && others.empty()) {
        out.append("/>");
        return;
    }
    out.append('>');
    const int number = row.node.attribute("r").as_int();
    for (const Cell& cell : row.cells)
        appendCell(out, number, cell);
    for (pugi::xml_node n : others)
        AppendXmlNode(out, n);
    out.append("</row>");
}

void Worksheet::write(pugi::xml_writer& writer) const {
    QByteArray out;
    out.reserve(1 << 17);
    auto flush = [&writer, &out](qsizetype above) {
        if (out.size() > above) {
            writer.write(out.constData(), static_cast<size_t>(out.size()));
            out.resize(0); // keeps the buffer for what follows
        }
    };
    out.append('<');
    out.append(m_root.name());
    AppendXmlAttributes(out, m_root);
    out.append('>');
    for (pugi::xml_node child = m_root.first_child(); child; child = child.next_sibling()) {
        if (child != m_sheetData) {
            AppendXmlNode(out, child);
            continue;
        }
        out.append("<sheetData");
        AppendXmlAttributes(out, m_sheetData);
        out.append('>');
        for (const auto& [number, row] : m_rows) {
            appendRow(out, row);
            flush(1 << 16);
        }
        out.append("</sheetData>");
    }
    out.append("</");
    out.append(m_root.name());
    out.append('>');
    flush(0);
}
