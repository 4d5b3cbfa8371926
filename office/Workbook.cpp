#include "office/Workbook.h"

#include "common/TextUtils.h"
#include "office/OfficeError.h"
#include "office/XlsReader.h"
#include "office/XmlWalk.h"

#include <QFile>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

const char* const kWorkbookType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
const double kDefaultWidth = 8.43;

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

/** Concatenated text of a shared string or inline string item, without phonetic runs. */
QString itemText(pugi::xml_node item) {
    QString text;
    WalkXml(item, [&text](pugi::xml_node n) {
        if (IsNamed(n, "t")) {
            text += fromUtf8(n.child_value());
            return false;
        }
        return !IsNamed(n, "rPh");
    });
    return text;
}

bool fontIsBold(pugi::xml_node font) {
    pugi::xml_node b = font.child("b");
    if (!b)
        return false;
    const char* v = b.attribute("val").value();
    return !(std::strcmp(v, "0") == 0 || std::strcmp(v, "false") == 0);
}

pugi::xml_node nthChild(pugi::xml_node parent, const char* name, int index) {
    int i = 0;
    for (pugi::xml_node n = parent.child(name); n; n = n.next_sibling(name)) {
        if (i++ == index)
            return n;
    }
    return pugi::xml_node();
}

/** Sets an attribute in its place, adding it at the end when it is missing. */
void setAttribute(pugi::xml_node node, const char* name, int value) {
    pugi::xml_attribute a = node.attribute(name);
    if (!a)
        a = node.append_attribute(name);
    a.set_value(value);
}

int childCount(pugi::xml_node parent, const char* name) {
    int count = 0;
    for (pugi::xml_node n = parent.child(name); n; n = n.next_sibling(name))
        ++count;
    return count;
}

const char* const kMinimalStyles =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
    "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
    "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
    "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
    "borderId=\"0\"/></cellStyleXfs>"
    "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" "
    "xfId=\"0\"/></cellXfs>"
    "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
    "</styleSheet>";

/** Writes "AB12" into buffer (at least 16 characters). */
void writeReference(char* buffer, int row, int column) {
    char letters[4];
    int n = 0;
    for (int c = column; c > 0 && n < 3; c = (c - 1) / 26)
        letters[n++] = static_cast<char>('A' + (c - 1) % 26);
    int at = 0;
    while (n > 0)
        buffer[at++] = letters[--n];
    std::snprintf(buffer + at, 16 - static_cast<size_t>(at), "%d", row);
}

} // namespace

QString CellReference(int row, int column) {
    QString letters;
    for (int c = column; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row);
}

std::optional<std::pair<int, int>> ParseCellReference(const QString& reference) {
    qsizetype i = 0;
    long long column = 0;
    while (i < reference.size() && reference[i] >= u'A' && reference[i] <= u'Z' &&
           column <= 16384) {
        column = column * 26 + (reference[i].unicode() - u'A' + 1);
        ++i;
    }
    if (i == 0 || i == reference.size() || column > 16384)
        return std::nullopt;
    bool ok = false;
    const int row = reference.mid(i).toInt(&ok);
    if (!ok || row < 1 || row > 1048576 || !reference[i].isDigit())
        return std::nullopt;
    return std::make_pair(row, static_cast<int>(column));
}

// ---------------------------------------------------------------- Workbook

Workbook::~Workbook() = default;

std::unique_ptr<Workbook> Workbook::open(const QString& path, const PackageLimits& limits) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw OfficeError(
            QStringLiteral("Файл \"%1\" неможливо відкрити: %2.").arg(path, file.errorString()));
    const QByteArray magic = file.read(8);
    file.close();
    std::unique_ptr<Workbook> book(new Workbook);
    if (magic.startsWith(QByteArray::fromHex("d0cf11e0a1b11ae1"))) {
        book->m_static = std::make_unique<SheetCells>(ReadXlsFirstSheet(path));
        return book;
    }
    book->m_package.load(path, limits);
    book->attach();
    return book;
}

std::unique_ptr<Workbook> Workbook::openFromMemory(const QByteArray& zip) {
    std::unique_ptr<Workbook> book(new Workbook);
    book->m_package.loadFromMemory(zip);
    book->attach();
    return book;
}

std::unique_ptr<Workbook> Workbook::createBlank() {
    std::unique_ptr<Workbook> book(new Workbook);
    OoxmlPackage& p = book->m_package;
    const QString ml =
        QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.");
    p.createSkeleton(
        QStringLiteral("xl/workbook.xml"),
        {{QStringLiteral("xl/workbook.xml"), ml + QStringLiteral("sheet.main+xml")},
         {QStringLiteral("xl/worksheets/sheet1.xml"), ml + QStringLiteral("worksheet+xml")},
         {QStringLiteral("xl/styles.xml"), ml + QStringLiteral("styles+xml")}});
    p.setPartData(
        QStringLiteral("xl/workbook.xml"),
        QByteArrayLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
            "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
            "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
            "<sheets><sheet name=\"Лист1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"));
    p.setPartData(
        QStringLiteral("xl/_rels/workbook.xml.rels"),
        QByteArrayLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" "
            "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
            "worksheet\" Target=\"worksheets/sheet1.xml\"/>"
            "<Relationship Id=\"rId2\" "
            "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
            "Target=\"styles.xml\"/>"
            "</Relationships>"));
    p.setPartData(
        QStringLiteral("xl/worksheets/sheet1.xml"),
        QByteArrayLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
            "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
            "<sheetData/></worksheet>"));
    p.setPartData(QStringLiteral("xl/styles.xml"), QByteArray(kMinimalStyles));
    book->attach();
    return book;
}

void Workbook::attach() {
    m_mainPart = m_package.rootTarget(QStringLiteral("/officeDocument"));
    if (m_mainPart.isEmpty() || !m_package.hasPart(m_mainPart))
        throw OfficeError(QStringLiteral("У пакеті немає основної частини книги."));
    const QString type = m_package.contentType(m_mainPart);
    if (!type.contains(QLatin1String("spreadsheetml")))
        throw OfficeError(QStringLiteral("Пакет не є книгою Excel (тип \"%1\").").arg(type));
    pugi::xml_node root = m_package.xml(m_mainPart).document_element();
    if (!IsNamed(root, "workbook"))
        throw OfficeError(QStringLiteral("Частина \"%1\" не є книгою.").arg(m_mainPart));
    for (pugi::xml_node s = root.child("sheets").child("sheet"); s; s = s.next_sibling("sheet")) {
        const QString part = m_package.relTarget(m_mainPart, fromUtf8(s.attribute("r:id").value()));
        m_sheetParts.push_back(part);
    }
    m_stylesPart = m_package.relTargetByType(m_mainPart, QStringLiteral("/styles"));
}

int Workbook::worksheetCount() {
    return m_static ? 1 : static_cast<int>(m_sheetParts.size());
}

Worksheet& Workbook::worksheet(int index) {
    auto it = m_sheets.find(index);
    if (it != m_sheets.end())
        return *it->second;
    if (index < 1 || index > worksheetCount())
        throw OfficeError(QStringLiteral("Аркуша %1 у книзі немає.").arg(index));
    std::unique_ptr<Worksheet> sheet(new Worksheet(this));
    if (m_static) {
        sheet->m_static = m_static.get();
    } else {
        const QString& part = m_sheetParts[static_cast<size_t>(index - 1)];
        if (part.isEmpty() || !m_package.hasPart(part))
            throw OfficeError(QStringLiteral("Частини аркуша %1 у книзі немає.").arg(index));
        sheet->attach(m_package.xml(part).document_element());
    }
    return *(m_sheets[index] = std::move(sheet));
}

void Workbook::loadSharedStrings() {
    if (m_sstLoaded)
        return;
    m_sstLoaded = true;
    m_sstPart = m_package.relTargetByType(m_mainPart, QStringLiteral("/sharedStrings"));
    if (m_sstPart.isEmpty() || !m_package.hasPart(m_sstPart)) {
        m_sstPart.clear();
        return;
    }
    m_sst = m_package.xml(m_sstPart).document_element();
    for (pugi::xml_node si = m_sst.child("si"); si; si = si.next_sibling("si")) {
        const int index = static_cast<int>(m_sstItems.size());
        m_sstItems.push_back(si);
        // Only plain items are reused; rich-text items keep their own runs.
        if (si.first_child() == si.last_child() && IsNamed(si.first_child(), "t"))
            m_sstIndex.insert(fromUtf8(si.first_child().child_value()), index);
    }
}

QString Workbook::sharedStringText(int index) {
    loadSharedStrings();
    if (index < 0 || index >= static_cast<int>(m_sstItems.size()))
        return QString();
    return itemText(m_sstItems[static_cast<size_t>(index)]);
}

int Workbook::sharedString(const QString& text) {
    loadSharedStrings();
    if (!m_sst)
        return -1;
    auto it = m_sstIndex.constFind(text);
    if (it != m_sstIndex.constEnd())
        return it.value();
    pugi::xml_node t = m_sst.append_child("si").append_child("t");
    t.append_attribute("xml:space").set_value("preserve");
    t.text().set(text.toUtf8().constData());
    const int index = static_cast<int>(m_sstItems.size());
    m_sstItems.push_back(t.parent());
    m_sstIndex.insert(text, index);
    return index;
}

pugi::xml_node Workbook::styleSheet() {
    if (m_stylesPart.isEmpty() || !m_package.hasPart(m_stylesPart)) {
        m_stylesPart = QStringLiteral("xl/styles.xml");
        m_package.setPartData(m_stylesPart, QByteArray(kMinimalStyles));
        m_package.setContentTypeOverride(
            m_stylesPart,
            QStringLiteral(
                "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"));
        const QString rels = OoxmlPackage::relsName(m_mainPart);
        if (!m_package.hasPart(rels))
            m_package.setPartData(
                rels,
                QByteArrayLiteral(
                    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                    "<Relationships "
                    "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"/>"));
        pugi::xml_node rel = m_package.xml(rels).document_element().append_child("Relationship");
        rel.append_attribute("Id").set_value("rIdTamberonStyles");
        rel.append_attribute("Type").set_value(
            "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles");
        rel.append_attribute("Target").set_value("styles.xml");
    }
    pugi::xml_node root = m_package.xml(m_stylesPart).document_element();
    if (!IsNamed(root, "styleSheet"))
        throw OfficeError(QStringLiteral("Частина стилів книги пошкоджена."));
    return root;
}

bool Workbook::styleBold(int xf) {
    pugi::xml_node sheet = styleSheet();
    pugi::xml_node xfNode = nthChild(sheet.child("cellXfs"), "xf", xf);
    if (!xfNode)
        xfNode = nthChild(sheet.child("cellXfs"), "xf", 0);
    return fontIsBold(nthChild(sheet.child("fonts"), "font", xfNode.attribute("fontId").as_int(0)));
}

int Workbook::boldStyle(int xf, bool bold) {
    auto cached = m_boldCache.find({xf, bold});
    if (cached != m_boldCache.end())
        return cached->second;
    pugi::xml_node sheet = styleSheet();
    pugi::xml_node cellXfs = sheet.child("cellXfs");
    pugi::xml_node fonts = sheet.child("fonts");
    if (!cellXfs || !fonts)
        throw OfficeError(
            QStringLiteral("Частина стилів книги не має шрифтів або форматів клітинок."));
    pugi::xml_node xfNode = nthChild(cellXfs, "xf", xf);
    if (!xfNode)
        xfNode = nthChild(cellXfs, "xf", 0);
    if (!xfNode)
        throw OfficeError(QStringLiteral("Частина стилів книги не має форматів клітинок."));
    const int fontId = xfNode.attribute("fontId").as_int(0);
    pugi::xml_node font = nthChild(fonts, "font", fontId);
    if (fontIsBold(font) == bold)
        return m_boldCache[{xf, bold}] = xf;
    // One bold (or plain) copy per font, however many formats use it.
    auto fontCached = m_fontCache.find({fontId, bold});
    int newFontId = 0;
    if (fontCached != m_fontCache.end()) {
        newFontId = fontCached->second;
    } else {
        pugi::xml_node newFont = font ? fonts.append_copy(font) : fonts.append_child("font");
        newFont.remove_child("b");
        if (bold)
            newFont.prepend_child("b");
        const int fontCount = childCount(fonts, "font");
        setAttribute(fonts, "count", fontCount);
        newFontId = m_fontCache[{fontId, bold}] = fontCount - 1;
    }
    pugi::xml_node newXf = cellXfs.append_copy(xfNode);
    setAttribute(newXf, "fontId", newFontId);
    setAttribute(newXf, "applyFont", 1);
    const int xfCount = childCount(cellXfs, "xf");
    setAttribute(cellXfs, "count", xfCount);
    return m_boldCache[{xf, bold}] = xfCount - 1;
}

void Workbook::prepareForSave() {
    m_package.setContentTypeOverride(m_mainPart, QString::fromLatin1(kWorkbookType));
    if (!m_changed)
        return;
    for (auto& [index, sheet] : m_sheets)
        sheet->updateDimension();
    if (m_sst) {
        m_sst.remove_attribute("count");
        m_sst.remove_attribute("uniqueCount");
        m_sst.append_attribute("uniqueCount").set_value(static_cast<unsigned>(m_sstItems.size()));
    }
    // Formulas of the template read the new values: recalculate on opening, and drop the
    // calculation chain, which may name cells whose formulas were replaced.
    pugi::xml_node root = m_package.xml(m_mainPart).document_element();
    pugi::xml_node calcPr = root.child("calcPr");
    if (!calcPr) {
        pugi::xml_node after;
        for (const char* name :
             {"sheets", "functionGroups", "externalReferences", "definedNames"}) {
            if (root.child(name))
                after = root.child(name);
        }
        calcPr = after ? root.insert_child_after("calcPr", after) : root.append_child("calcPr");
    }
    calcPr.remove_attribute("fullCalcOnLoad");
    calcPr.append_attribute("fullCalcOnLoad").set_value("1");
    const QString chain = m_package.relTargetByType(m_mainPart, QStringLiteral("/calcChain"));
    if (!chain.isEmpty()) {
        m_package.removeRelsTo(m_mainPart, chain);
        m_package.removeContentTypeOverride(chain);
        m_package.removePart(chain);
    }
}

void Workbook::saveCopyAs(const QString& path) {
    if (m_static)
        throw OfficeError(
            QStringLiteral("Книгу \".xls\" відкрито лише для читання; її не збережено."));
    prepareForSave();
    m_package.save(path);
    m_savedPath = path;
}

// ---------------------------------------------------------------- Worksheet

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
        if (number <= lastRow || number > 1048576)
            throw OfficeError(QStringLiteral("Рядки аркуша пошкоджено (рядок %1).").arg(number));
        lastRow = number;
        Row& row = m_rows[number];
        row.node = r;
        int lastColumn = 0;
        for (pugi::xml_node c = r.child("c"); c; c = c.next_sibling("c")) {
            int column = lastColumn + 1;
            if (c.attribute("r")) {
                const auto ref = ParseCellReference(fromUtf8(c.attribute("r").value()));
                if (!ref || ref->first != number)
                    throw OfficeError(QStringLiteral("Клітинку \"%1\" аркуша пошкоджено.")
                                          .arg(fromUtf8(c.attribute("r").value())));
                column = ref->second;
            }
            if (column <= lastColumn)
                throw OfficeError(
                    QStringLiteral("Клітинки рядка %1 аркуша не впорядковано.").arg(number));
            lastColumn = column;
            row.cells.emplace_back(column, c);
        }
    }
}

void Worksheet::checkWritable() const {
    if (m_static)
        throw OfficeError(QStringLiteral("Книгу \".xls\" відкрито лише для читання."));
}

pugi::xml_node Worksheet::findCell(int row, int column) const {
    auto r = m_rows.find(row);
    if (r == m_rows.end())
        return pugi::xml_node();
    const auto& cells = r->second.cells;
    auto c = std::lower_bound(cells.begin(), cells.end(), column,
                              [](const auto& cell, int col) { return cell.first < col; });
    return c == cells.end() || c->first != column ? pugi::xml_node() : c->second;
}

pugi::xml_node Worksheet::ensureCell(int row, int column) {
    checkWritable();
    if (row < 1 || row > 1048576 || column < 1 || column > 16384)
        throw OfficeError(
            QStringLiteral("Клітинки (%1, %2) на аркуші не буває.").arg(row).arg(column));
    m_book->m_changed = true;
    auto rit = m_rows.find(row);
    if (rit == m_rows.end()) {
        auto next = m_rows.upper_bound(row);
        pugi::xml_node node = next == m_rows.end()
                                  ? m_sheetData.append_child("row")
                                  : m_sheetData.insert_child_before("row", next->second.node);
        node.append_attribute("r").set_value(row);
        rit = m_rows.emplace(row, Row{node, {}}).first;
    }
    Row& r = rit->second;
    auto next = r.cells.end();
    if (!r.cells.empty() && r.cells.back().first >= column) {
        next = std::lower_bound(r.cells.begin(), r.cells.end(), column,
                                [](const auto& cell, int col) { return cell.first < col; });
        if (next->first == column)
            return next->second;
    }
    pugi::xml_node cell = next == r.cells.end() ? r.node.append_child("c")
                                                : r.node.insert_child_before("c", next->second);
    char reference[16];
    writeReference(reference, row, column);
    cell.append_attribute("r").set_value(reference);
    // A new cell takes the style its row or column gives it.
    const char* style = nullptr;
    if (r.node.attribute("customFormat").as_bool() && r.node.attribute("s"))
        style = r.node.attribute("s").value();
    else if (pugi::xml_node col = columnNode(column); col && col.attribute("style"))
        style = col.attribute("style").value();
    if (style && std::strcmp(style, "0") != 0)
        cell.append_attribute("s").set_value(style);
    r.cells.insert(next, {column, cell});
    return cell;
}

void Worksheet::clearValue(pugi::xml_node cell) {
    cell.remove_attribute("t");
    cell.remove_children();
}

QString Worksheet::valueOf(pugi::xml_node c) const {
    const char* type = c.attribute("t").value();
    if (std::strcmp(type, "inlineStr") == 0)
        return itemText(c.child("is"));
    const QString v = fromUtf8(c.child("v").child_value());
    if (std::strcmp(type, "s") == 0) {
        bool ok = false;
        const int index = v.toInt(&ok);
        return ok ? m_book->sharedStringText(index) : QString();
    }
    if (std::strcmp(type, "b") == 0)
        return v == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (std::strcmp(type, "str") == 0 || std::strcmp(type, "e") == 0 || v.isEmpty())
        return v;
    bool ok = false;
    const double number = v.toDouble(&ok);
    return ok && std::isfinite(number) ? ShortestNumberText(number) : v;
}

QString Worksheet::cellText(int row, int column) const {
    if (m_static)
        return m_static->text(row, column);
    pugi::xml_node c = findCell(row, column);
    return c ? valueOf(c) : QString();
}

SheetCells Worksheet::values() const {
    if (m_static)
        return *m_static;
    SheetCells cells;
    for (const auto& [row, r] : m_rows) {
        for (const auto& [column, c] : r.cells)
            cells.set(row, column, valueOf(c));
    }
    return cells;
}

void Worksheet::setCellValue(int row, int column, const QString& text) {
    if (!isPlainNumber(text)) {
        setCellString(row, column, text);
        return;
    }
    pugi::xml_node c = ensureCell(row, column);
    clearValue(c);
    c.append_child("v").text().set(text.toLatin1().constData());
}

void Worksheet::setCellString(int row, int column, const QString& value) {
    pugi::xml_node c = ensureCell(row, column);
    clearValue(c);
    // Control characters cannot be stored in the XML of a workbook; tabs and line ends can.
    QString text = value;
    text.removeIf(
        [](QChar ch) { return ch.unicode() < 0x20 && ch != u'\t' && ch != u'\n' && ch != u'\r'; });
    if (text.isEmpty())
        return;
    const int index = m_book->sharedString(text);
    if (index >= 0) {
        c.append_attribute("t").set_value("s");
        c.append_child("v").text().set(index);
    } else {
        c.append_attribute("t").set_value("inlineStr");
        pugi::xml_node t = c.append_child("is").append_child("t");
        t.append_attribute("xml:space").set_value("preserve");
        t.text().set(text.toUtf8().constData());
    }
}

void Worksheet::setCellBold(int row, int column, bool bold) {
    pugi::xml_node c = ensureCell(row, column);
    const int style = m_book->boldStyle(c.attribute("s").as_int(0), bold);
    c.remove_attribute("s");
    if (style != 0)
        c.append_attribute("s").set_value(style);
}

bool Worksheet::cellBold(int row, int column) const {
    if (m_static)
        return false;
    pugi::xml_node c = findCell(row, column);
    return m_book->styleBold(c ? c.attribute("s").as_int(0) : 0);
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
    if (column < 1 || column > 16384 || !std::isfinite(width) || width < 0 || width > 255)
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
    int minColumn = 16384, maxColumn = 1;
    for (const auto& [row, r] : m_rows) {
        if (!r.cells.empty()) {
            minColumn = std::min(minColumn, r.cells.begin()->first);
            maxColumn = std::max(maxColumn, r.cells.rbegin()->first);
        }
    }
    if (minColumn > maxColumn)
        return;
    const QString ref = CellReference(m_rows.begin()->first, minColumn) + u':' +
                        CellReference(m_rows.rbegin()->first, maxColumn);
    dimension.attribute("ref").set_value(ref.toLatin1().constData());
}
