#include "map/TabStyle.h"

#include <algorithm>

namespace {

QString hexColour(int value) {
    return QStringLiteral("#%1").arg(ColorFromValue(value).rgb() & 0xFFFFFF, 6, 16, QChar(u'0'));
}

bool parseHexColour(QStringView hex, int& value) {
    bool ok = false;
    const uint rgb = hex.left(6).toUInt(&ok, 16);
    if (!ok)
        return false;
    value = ColorValue(QColor::fromRgb(rgb));
    return true;
}

// The parameters of a style tool ("BRUSH", "PEN", "LABEL") in `text`; empty without it.
QStringView section(QStringView text, QStringView tool) {
    qsizetype at = text.indexOf(tool);
    while (at >= 0 && (at + tool.size() >= text.size() || text[at + tool.size()] != u'('))
        at = text.indexOf(tool, at + 1);
    if (at < 0)
        return {};
    // Skip quoted strings so a ")" inside a text does not end the tool.
    bool quoted = false;
    for (qsizetype i = at + tool.size() + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && quoted) {
            ++i;
            continue;
        }
        if (c == u'"')
            quoted = !quoted;
        else if (c == u')' && !quoted)
            return text.mid(at + tool.size() + 1, i - at - tool.size() - 1);
    }
    return {};
}

/** A parameter's text in a style tool: between its quotes, escapes kept, or trimmed. */
struct RawParam {
    QStringView text;
    bool quoted = false;
};

// The value of "key:value" among the comma-separated parameters of a style tool, as it stands
// in the tool: a layer has tens of thousands of styles to read, so nothing is copied.
RawParam rawParam(QStringView tool, QStringView key) {
    qsizetype i = 0;
    const qsizetype n = tool.size();
    while (i < n) {
        // Parameter name up to ':'.
        const qsizetype colon = tool.indexOf(u':', i);
        if (colon < 0)
            return {};
        const bool match = tool.mid(i, colon - i).trimmed() == key;
        qsizetype j = colon + 1;
        if (j < n && tool[j] == u'"') {
            const qsizetype start = ++j;
            for (; j < n && tool[j] != u'"'; ++j) {
                if (tool[j] == u'\\' && j + 1 < n)
                    ++j;
            }
            if (match)
                return {tool.mid(start, std::min(j, n) - start), true};
            ++j; // closing quote
            while (j < n && tool[j] != u',')
                ++j;
        } else {
            const qsizetype comma = tool.indexOf(u',', j);
            const qsizetype end = comma < 0 ? n : comma;
            if (match)
                return {tool.mid(j, end - j).trimmed(), false};
            j = end;
        }
        i = j + 1;
    }
    return {};
}

// The value of "key:value" in a style tool, escapes of a quoted value resolved.
QString param(QStringView tool, QStringView key) {
    const RawParam raw = rawParam(tool, key);
    if (!raw.quoted || !raw.text.contains(u'\\'))
        return raw.text.toString();
    QString value;
    for (qsizetype k = 0; k < raw.text.size(); ++k) {
        if (raw.text[k] == u'\\' && k + 1 < raw.text.size())
            ++k;
        value.append(raw.text[k]);
    }
    return value;
}

// The number N of "mapinfo-<prefix>-N" in an id list; -1 when absent.
int mapinfoId(QStringView ids, QStringView prefix) {
    for (qsizetype at = ids.indexOf(u"mapinfo-"); at >= 0; at = ids.indexOf(u"mapinfo-", at + 1)) {
        QStringView rest = ids.mid(at + 8);
        if (!rest.startsWith(prefix) || rest.size() <= prefix.size() || rest[prefix.size()] != u'-')
            continue;
        rest = rest.mid(prefix.size() + 1);
        qsizetype end = 0;
        while (end < rest.size() && rest[end].isDigit())
            ++end;
        bool ok = false;
        const int id = rest.left(end).toInt(&ok);
        return ok ? id : -1;
    }
    return -1;
}

// A number with an optional unit suffix ("2.5g", "1px").
double leadingNumber(QStringView text) {
    qsizetype end = 0;
    while (end < text.size() && (text[end].isDigit() || text[end] == u'.' || text[end] == u'-'))
        ++end;
    return text.left(end).toDouble();
}

} // namespace

QString RegionStyleText(const RegionStyle& style) {
    const int brush = style.regionPattern < 1 ? 2 : style.regionPattern;
    QString text = QStringLiteral("BRUSH(fc:%1").arg(hexColour(style.regionColor));
    if (!style.regionTransparent && brush > 2)
        text += QStringLiteral(",bc:#ffffff");
    text += QStringLiteral(",id:\"mapinfo-brush-%1\")").arg(brush);
    const int pen = style.regionBorderStyle < 1 ? 2 : style.regionBorderStyle;
    text += QStringLiteral(";PEN(w:%1px,c:%2,id:\"mapinfo-pen-%3\")")
                .arg(std::max(1, style.regionBorderWidth))
                .arg(hexColour(style.regionBorderColor))
                .arg(pen);
    return text;
}

bool ParseRegionStyle(const QString& text, RegionStyle& style) {
    const QStringView brush = section(text, u"BRUSH");
    const QStringView pen = section(text, u"PEN");
    if (brush.isEmpty() && pen.isEmpty())
        return false;
    RegionStyle s;
    if (!brush.isEmpty()) {
        const QStringView fc = rawParam(brush, u"fc").text;
        if (fc.startsWith(u'#'))
            parseHexColour(fc.mid(1), s.regionColor);
        const QStringView ids = rawParam(brush, u"id").text;
        const int id = mapinfoId(ids, u"brush");
        s.regionPattern = id > 0 ? id : 2;
        // A brush with a "null" OGR id and no fill colour draws nothing.
        if (id < 0 && ids.contains(u"ogr-brush-1"))
            s.regionPattern = 1;
        s.regionTransparent = rawParam(brush, u"bc").text.isEmpty();
    }
    if (!pen.isEmpty()) {
        const QStringView c = rawParam(pen, u"c").text;
        if (c.startsWith(u'#'))
            parseHexColour(c.mid(1), s.regionBorderColor);
        const int id = mapinfoId(rawParam(pen, u"id").text, u"pen");
        s.regionBorderStyle = id > 0 ? id : 2;
        const double w = leadingNumber(rawParam(pen, u"w").text);
        s.regionBorderWidth = std::max(1, static_cast<int>(w + 0.5));
    }
    style = s;
    return true;
}

QString TextStyleText(const QString& text, const TextStyle& style, double height) {
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\\\"));
    escaped.replace(u'"', QStringLiteral("\\\""));
    QString out = QStringLiteral("LABEL(t:\"%1\",s:%2g,c:%3,f:\"%4\"")
                      .arg(escaped)
                      .arg(height, 0, 'f', 6)
                      .arg(hexColour(style.color))
                      .arg(style.family);
    if (style.bold)
        out += QStringLiteral(",bo:1");
    if (style.italic)
        out += QStringLiteral(",it:1");
    return out + u')';
}

bool ParseTextStyle(const QString& styleText, QString& text, TextStyle& style, double& height) {
    const QStringView label = section(styleText, u"LABEL");
    if (label.isEmpty())
        return false;
    text = param(label, u"t");
    TextStyle s;
    const QString family = param(label, u"f");
    if (!family.isEmpty())
        s.family = family;
    const QString c = param(label, u"c");
    if (c.startsWith(u'#'))
        parseHexColour(c.mid(1), s.color);
    s.bold = param(label, u"bo") == u"1";
    s.italic = param(label, u"it") == u"1";
    height = leadingNumber(param(label, u"s"));
    style = s;
    return true;
}
