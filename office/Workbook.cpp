#include "office/Workbook.h"

#include "common/EngineMessages.h"
#include "office/OfficeError.h"
#include "office/XlsReader.h"
#include "office/XmlText.h"
#include "office/XmlWalk.h"

#include <QFile>
#include <cstring>

namespace {

const char* const kWorkbookType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";

QString fromUtf8(const char* text) {
    return QString::fromUtf8(text);
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

} // namespace

// ---------------------------------------------------------------- Workbook

Workbook::~Workbook() = default;

std::unique_ptr<Workbook> Workbook::open(const QString& path, const PackageLimits& limits) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw OfficeError(QStringLiteral("Файл \"%1\" неможливо відкрити: %2.")
                              .arg(path, UkrainianEngineMessage(file.errorString())));
    const QByteArray magic = file.read(8);
    file.close();
    std::unique_ptr<Workbook> book(new Workbook);
    if (magic.startsWith(QByteArray::fromHex("d0cf11e0a1b11ae1"))) {
        book->m_static = std::make_unique<SheetCells>(ReadXlsFirstSheet(path));
        return book;
    }
    // Neither a compound file nor a zip: whatever its name says, it is no workbook.
    if (!magic.startsWith("PK"))
        throw OfficeError(
            QStringLiteral("Файл \"%1\" не є ні книгою Excel (.xlsx), ні книгою Excel 97-2003 "
                           "(.xls).")
                .arg(path));
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
        Worksheet* written = sheet.get();
        m_package.setPartWriter(part, [written](pugi::xml_writer& out) { written->write(out); });
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
    return SheetItemText(m_sstItems[static_cast<size_t>(index)]);
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
    PendingSave pending = saveCopyAside(path);
    commitSave(pending);
}

PendingSave Workbook::saveCopyAside(const QString& path) {
    if (m_static)
        throw OfficeError(
            QStringLiteral("Книгу \".xls\" відкрито лише для читання; її не збережено."));
    prepareForSave();
    return m_package.saveAside(path);
}

void Workbook::commitSave(PendingSave& pending) {
    pending.commit();
    m_savedPath = pending.path();
}
