#include "office/CustomProperties.h"

#include "office/OfficeError.h"
#include "office/Package.h"

#include <algorithm>

namespace office {

namespace {

const char* const kPart = "docProps/custom.xml";
const char* const kRelType =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/custom-properties";
const char* const kContentType =
    "application/vnd.openxmlformats-officedocument.custom-properties+xml";
// The format id every custom property carries.
const char* const kFmtId = "{D5CDD505-2E9C-101B-9397-08002B2CF9AE}";

} // namespace

void SetCustomProperty(OoxmlPackage& package, const QString& name, const QString& value) {
    const QString part = QString::fromLatin1(kPart);
    if (!package.hasPart(part)) {
        package.createXml(
            part, QByteArrayLiteral(
                      "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                      "custom-properties\" xmlns:vt=\"http://schemas.openxmlformats.org/"
                      "officeDocument/2006/docPropsVTypes\"/>"));
        package.addRelationship(QString(), QString::fromLatin1(kRelType), part);
        package.setContentTypeOverride(part, QString::fromLatin1(kContentType));
    }
    pugi::xml_node root = package.xml(part).document_element();
    const QByteArray key = name.toUtf8();
    int pid = 1; // ids start at 2
    pugi::xml_node property;
    for (pugi::xml_node p : root.children("property")) {
        pid = std::max(pid, p.attribute("pid").as_int());
        if (key == p.attribute("name").value())
            property = p;
    }
    if (!property) {
        property = root.append_child("property");
        property.append_attribute("fmtid").set_value(kFmtId);
        property.append_attribute("pid").set_value(pid + 1);
        property.append_attribute("name").set_value(key.constData());
    }
    property.remove_children();
    property.append_child("vt:lpwstr").text().set(value.toUtf8().constData());
}

QString CustomProperty(OoxmlPackage& package, const QString& name) {
    const QString part = QString::fromLatin1(kPart);
    if (!package.hasPart(part))
        return QString();
    const QByteArray key = name.toUtf8();
    for (pugi::xml_node p : package.xml(part).document_element().children("property"))
        if (key == p.attribute("name").value())
            return QString::fromUtf8(p.first_child().text().get());
    return QString();
}

bool ReadCustomProperty(const QString& path, const QString& name, QString& value, QString* error) {
    value.clear();
    try {
        OoxmlPackage package;
        package.load(path);
        value = CustomProperty(package, name);
        return true;
    } catch (const OfficeError& e) {
        if (error)
            *error = e.message();
        return false;
    }
}

} // namespace office
