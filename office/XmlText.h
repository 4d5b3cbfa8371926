#pragma once

#include <QByteArray>
#include <QString>
#include <pugixml.hpp>

/** Helpers for writing XML text by hand, escaped as pugixml escapes it. */

/** Appends text escaped for element content: &, <, > and control characters. */
void AppendXmlText(QByteArray& out, const char* text, qsizetype length);
/** Appends ` name="value"` for every attribute of node, values escaped. */
void AppendXmlAttributes(QByteArray& out, pugi::xml_node node);
/** Appends a node and its subtree as pugixml prints it, without indentation. */
void AppendXmlNode(QByteArray& out, pugi::xml_node node);

/** A pugixml writer that appends to a byte array. */
struct AppendingXmlWriter final : pugi::xml_writer {
    explicit AppendingXmlWriter(QByteArray& target) : out(target) {}
    void write(const void* data, size_t size) override {
        out.append(static_cast<const char*>(data), static_cast<qsizetype>(size));
    }
    QByteArray& out;
};

/** The text of a shared or inline string item of a workbook, without phonetic runs. */
QString SheetItemText(pugi::xml_node item);
