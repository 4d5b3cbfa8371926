#include "tools/make_documents/Xml.h"

#include "office/Package.h"

QString XmlEscape(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QStringLiteral("&amp;");
            break;
        case u'<':
            out += QStringLiteral("&lt;");
            break;
        case u'>':
            out += QStringLiteral("&gt;");
            break;
        case u'"':
            out += QStringLiteral("&quot;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QByteArray Relationships(const std::vector<Relationship>& relationships) {
    QString x = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                               "<Relationships xmlns=\"http://schemas.openxmlformats.org/"
                               "package/2006/relationships\">");
    for (const Relationship& r : relationships) {
        const QString base = r.type == QStringLiteral("core-properties")
                                 ? QStringLiteral("http://schemas.openxmlformats.org/package/"
                                                  "2006/relationships/metadata/")
                                 : QStringLiteral("http://schemas.openxmlformats.org/"
                                                  "officeDocument/2006/relationships/");
        x += QStringLiteral("<Relationship Id=\"%1\" Type=\"%2%3\" Target=\"%4\"/>")
                 .arg(r.id, base, r.type, XmlEscape(r.target));
    }
    x += QStringLiteral("</Relationships>\n");
    return x.toUtf8();
}

QByteArray CoreProperties(const QString& title) {
    return (QStringLiteral(
                "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/"
                "metadata/core-properties\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
                "xmlns:dcterms=\"http://purl.org/dc/terms/\" "
                "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
                "<dc:title>%1</dc:title><dc:creator>Грошова оцінка земель населених "
                "пунктів</dc:creator><dc:language>uk-UA</dc:language></cp:coreProperties>\n")
                .arg(XmlEscape(title)))
        .toUtf8();
}

QByteArray ZipPackage(const PackageParts& parts) {
    OoxmlPackage package;
    package.createSkeleton(parts.mainPart, parts.types);
    package.setPartData(
        QStringLiteral("_rels/.rels"),
        Relationships({{QStringLiteral("rId1"), QStringLiteral("officeDocument"), parts.mainPart},
                       {QStringLiteral("rId2"), QStringLiteral("core-properties"),
                        QStringLiteral("docProps/core.xml")}}));
    for (const auto& [name, data] : parts.data)
        package.setPartData(name, data);
    return package.saveToMemory();
}
