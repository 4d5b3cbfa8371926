#include "office/XmlText.h"

#include "office/XmlWalk.h"

#include <cstring>

namespace {

void appendEscaped(QByteArray& out, const char* text, qsizetype length, bool attribute) {
    qsizetype plainStart = 0;
    for (qsizetype i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const char* entity = nullptr;
        switch (c) {
        case '&':
            entity = "&amp;";
            break;
        case '<':
            entity = "&lt;";
            break;
        case '>':
            entity = "&gt;";
            break;
        case '"':
            entity = attribute ? "&quot;" : nullptr;
            break;
        default:
            break;
        }
        const bool control = c < 0x20 && (attribute || (c != '\t' && c != '\n' && c != '\r'));
        if (!entity && !control)
            continue;
        out.append(text + plainStart, i - plainStart);
        plainStart = i + 1;
        if (entity) {
            out.append(entity);
        } else {
            out.append("&#");
            out.append(QByteArray::number(c));
            out.append(';');
        }
    }
    out.append(text + plainStart, length - plainStart);
}

} // namespace

void AppendXmlText(QByteArray& out, const char* text, qsizetype length) {
    appendEscaped(out, text, length, false);
}

void AppendXmlAttributes(QByteArray& out, pugi::xml_node node) {
    for (pugi::xml_attribute a : node.attributes()) {
        out.append(' ');
        out.append(a.name());
        out.append("=\"");
        const char* value = a.value();
        appendEscaped(out, value, static_cast<qsizetype>(std::strlen(value)), true);
        out.append('"');
    }
}

void AppendXmlNode(QByteArray& out, pugi::xml_node node) {
    AppendingXmlWriter writer(out);
    node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
}

QString SheetItemText(pugi::xml_node item) {
    QString text;
    WalkXml(item, [&text](pugi::xml_node n) {
        if (IsNamed(n, "t")) {
            text += QString::fromUtf8(n.child_value());
            return false;
        }
        return !IsNamed(n, "rPh");
    });
    return text;
}
