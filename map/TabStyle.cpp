#include "map/TabStyle.h"

#include <algorithm>

namespace {

QString hexColour(int value) {
    return QStringLiteral("#%1").arg(ColorFromValue(value).rgb() & 0xFFFFFF, 6, 16, QChar(u'0'));
}

bool parseHexColour(const QString& hex, int& value) {
    bool ok = false;
    const uint rgb = hex.left(6).toUInt(&ok, 16);
    if (!ok)
        return false;
    value = ColorValue(QColor::fromRgb(rgb));
    return true;
}

QString section(const QString& text, const QString& tool) {
    const qsizetype at = text.indexOf(tool + u'(');
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

// The value of "key:value" among the comma-separated parameters of a style tool.
QString param(const QString& tool, const QString& key) {
    qsizetype i = 0;
    const qsizetype n = tool.size();
    while (i < n) {
        // Parameter name up to ':'.
        const qsizetype colon = tool.indexOf(u':', i);
        if (colon < 0)
            return {};
        const bool match = QStringView(tool).mid(i, colon - i).trimmed() == key;
        qsizetype j = colon + 1;
        QString value;
        if (j < n && tool[j] == u'"') {
            for (++j; j < n && tool[j] != u'"'; ++j) {
                if (tool[j] == u'\\' && j + 1 < n)
                    ++j;
                value.append(tool[j]);
            }
            ++j; // closing quote
            while (j < n && tool[j] != u',')
                ++j;
        } else {
            const qsizetype comma = tool.indexOf(u',', j);
            const qsizetype end = comma < 0 ? n : comma;
            value = tool.mid(j, end - j).trimmed();
            j = end;
        }
        if (match)
            return value;
        i = j + 1;
    }
    return {};
}

// The number N of "mapinfo-<prefix>-N" in an id list; -1 when absent.
int mapinfoId(const QString& ids, const QString& prefix) {
    const QString tag = QStringLiteral("mapinfo-") + prefix + u'-';
    const qsizetype at = ids.indexOf(tag);
    if (at < 0)
        return -1;
    qsizetype end = at + tag.size();
    while (end < ids.size() && ids[end].isDigit())
        ++end;
    bool ok = false;
    const int id = ids.mid(at + tag.size(), end - at - tag.size()).toInt(&ok);
    return ok ? id : -1;
}

// A number with an optional unit suffix ("2.5g", "1px").
double leadingNumber(const QString& text) {
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
    const QString brush = section(text, QStringLiteral("BRUSH"));
    const QString pen = section(text, QStringLiteral("PEN"));
    if (brush.isEmpty() && pen.isEmpty())
        return false;
    RegionStyle s;
    if (!brush.isEmpty()) {
        const QString fc = param(brush, QStringLiteral("fc"));
        if (fc.startsWith(u'#'))
            parseHexColour(fc.mid(1), s.regionColor);
        const int id = mapinfoId(param(brush, QStringLiteral("id")), QStringLiteral("brush"));
        s.regionPattern = id > 0 ? id : 2;
        // A brush with a "null" OGR id and no fill colour draws nothing.
        if (id < 0 && param(brush, QStringLiteral("id")).contains(QStringLiteral("ogr-brush-1")))
            s.regionPattern = 1;
        s.regionTransparent = param(brush, QStringLiteral("bc")).isEmpty();
    }
    if (!pen.isEmpty()) {
        const QString c = param(pen, QStringLiteral("c"));
        if (c.startsWith(u'#'))
            parseHexColour(c.mid(1), s.regionBorderColor);
        const int id = mapinfoId(param(pen, QStringLiteral("id")), QStringLiteral("pen"));
        s.regionBorderStyle = id > 0 ? id : 2;
        const double w = leadingNumber(param(pen, QStringLiteral("w")));
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
    const QString label = section(styleText, QStringLiteral("LABEL"));
    if (label.isEmpty())
        return false;
    text = param(label, QStringLiteral("t"));
    TextStyle s;
    const QString family = param(label, QStringLiteral("f"));
    if (!family.isEmpty())
        s.family = family;
    const QString c = param(label, QStringLiteral("c"));
    if (c.startsWith(u'#'))
        parseHexColour(c.mid(1), s.color);
    s.bold = param(label, QStringLiteral("bo")) == u"1";
    s.italic = param(label, QStringLiteral("it")) == u"1";
    height = leadingNumber(param(label, QStringLiteral("s")));
    style = s;
    return true;
}
