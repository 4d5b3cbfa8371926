#include "db/SqlDialect.h"

#include <QRegularExpression>

namespace sqldialect {

FieldInfo DeclaredField(const QString& name, const QString& declaredType) {
    FieldInfo field;
    field.name = name;
    const QString type = declaredType.trimmed().toLower();
    static const QRegularExpression sizeRe(QStringLiteral("\\(\\s*(\\d+)"));
    const QRegularExpressionMatch size = sizeRe.match(type);
    if (size.hasMatch())
        field.size = size.captured(1).toInt();
    const QString base = type.section(u'(', 0, 0).trimmed();
    if (base.contains(QStringLiteral("autoincrement")) ||
        (base.startsWith(QStringLiteral("integer")) && base.contains(QStringLiteral("primary"))))
        field.type = FieldType::AutoInc;
    else if (base.startsWith(QStringLiteral("nvarchar")) ||
             base.startsWith(QStringLiteral("nchar")))
        field.type = FieldType::WideString;
    else if (base.startsWith(QStringLiteral("varchar")) ||
             base.startsWith(QStringLiteral("char")) ||
             base.startsWith(QStringLiteral("character")) ||
             (base == QStringLiteral("text") && field.size > 0))
        field.type = FieldType::String;
    else if (base == QStringLiteral("text") || base == QStringLiteral("ntext") ||
             base == QStringLiteral("memo") || base == QStringLiteral("longtext"))
        field.type = FieldType::Memo;
    else if (base.startsWith(QStringLiteral("int")) || base == QStringLiteral("smallint") ||
             base == QStringLiteral("bigint") || base == QStringLiteral("long"))
        field.type = FieldType::Integer;
    else if (base == QStringLiteral("float") || base == QStringLiteral("real") ||
             base == QStringLiteral("double"))
        field.type = FieldType::Float;
    else if (base == QStringLiteral("date"))
        field.type = FieldType::Date;
    else if (base == QStringLiteral("time"))
        field.type = FieldType::Time;
    else if (base == QStringLiteral("datetime"))
        field.type = FieldType::DateTime;
    return field;
}

QString RewriteAutoIncrement(const QString& sql) {
    static const QRegularExpression createRe(QStringLiteral("^\\s*CREATE\\s+TABLE\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (!createRe.match(sql).hasMatch())
        return sql;
    static const QRegularExpression autoRe(
        QStringLiteral("([\\p{L}\\p{N}_\"\\[\\]]+)\\s+AUTOINCREMENT\\b"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    QString result;
    qsizetype from = 0;
    auto it = autoRe.globalMatch(sql);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const QString column = m.captured(1);
        result += sql.mid(from, m.capturedStart() - from);
        if (column.compare(QStringLiteral("KEY"), Qt::CaseInsensitive) == 0)
            result += m.captured(0);
        else
            result += column + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");
        from = m.capturedEnd();
    }
    result += sql.mid(from);
    return result;
}

std::optional<AlterColumn> ParseAlterColumn(const QString& sql) {
    static const QRegularExpression re(
        QStringLiteral("^\\s*ALTER\\s+TABLE\\s+([\\p{L}\\p{N}_]+)\\s+ALTER\\s+COLUMN\\s+"
                       "([\\p{L}\\p{N}_]+)\\s+(.+?)\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption |
            QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = re.match(sql);
    if (!m.hasMatch())
        return std::nullopt;
    return AlterColumn{m.captured(1), m.captured(2), m.captured(3)};
}

Affinity ColumnAffinity(const QString& declaredType) {
    const QString type = declaredType.toUpper();
    if (type.contains(QStringLiteral("INT")))
        return Affinity::Integer;
    if (type.contains(QStringLiteral("CHAR")) || type.contains(QStringLiteral("CLOB")) ||
        type.contains(QStringLiteral("TEXT")))
        return Affinity::Text;
    if (type.contains(QStringLiteral("BLOB")) || type.trimmed().isEmpty())
        return Affinity::Blob;
    if (type.contains(QStringLiteral("REAL")) || type.contains(QStringLiteral("FLOA")) ||
        type.contains(QStringLiteral("DOUB")))
        return Affinity::Real;
    return Affinity::Numeric;
}

bool IsTextColumnType(const QString& type) {
    static const QRegularExpression re(
        QStringLiteral("^\\s*(TEXT|NTEXT|LONGTEXT|MEDIUMTEXT|TINYTEXT|CLOB|N?VARCHAR2?|N?CHAR|"
                       "CHARACTER|CHARACTER\\s+VARYING|VARYING\\s+CHARACTER|"
                       "NATIONAL\\s+CHARACTER(\\s+VARYING)?|NATIVE\\s+CHARACTER)"
                       "(\\s*\\(\\s*[1-9][0-9]{0,8}\\s*\\))?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    return re.match(type).hasMatch() && ColumnAffinity(type) == Affinity::Text;
}

namespace {

/** Splits the column list of a CREATE TABLE at its top-level commas. */
QStringList SplitTopLevel(const QString& body) {
    QStringList parts;
    int depth = 0;
    QChar quote;
    QString current;
    for (QChar c : body) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"' || c == u'`') {
            quote = c;
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            --depth;
        } else if (c == u',' && depth == 0) {
            parts << current;
            current.clear();
            continue;
        }
        current += c;
    }
    parts << current;
    return parts;
}

QString Unquote(QString name) {
    if (name.size() >= 2 && ((name.startsWith(u'"') && name.endsWith(u'"')) ||
                             (name.startsWith(u'[') && name.endsWith(u']')) ||
                             (name.startsWith(u'`') && name.endsWith(u'`'))))
        name = name.mid(1, name.size() - 2);
    return name;
}

} // namespace

std::optional<QString> ReplaceColumnType(const QString& createSql, const QString& column,
                                         const QString& type) {
    const qsizetype open = createSql.indexOf(u'(');
    const qsizetype close = createSql.lastIndexOf(u')');
    if (open < 0 || close < open)
        return std::nullopt;
    QStringList defs = SplitTopLevel(createSql.mid(open + 1, close - open - 1));
    static const QRegularExpression constraintRe(
        QStringLiteral("\\b(DEFAULT|NOT|NULL|PRIMARY|UNIQUE|CHECK|REFERENCES|COLLATE|"
                       "CONSTRAINT|GENERATED|AS)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    for (QString& def : defs) {
        const QString trimmed = def.trimmed();
        const qsizetype space = trimmed.indexOf(QRegularExpression(QStringLiteral("\\s")));
        const QString name = Unquote(space < 0 ? trimmed : trimmed.left(space));
        if (name.compare(column, Qt::CaseInsensitive) != 0)
            continue;
        const QString rest = space < 0 ? QString() : trimmed.mid(space);
        const QRegularExpressionMatch constraint = constraintRe.match(rest);
        const QString constraints =
            constraint.hasMatch() ? rest.mid(constraint.capturedStart()) : QString();
        def = u' ' + trimmed.left(space < 0 ? trimmed.size() : space) + u' ' + type +
              (constraints.isEmpty() ? QString() : u' ' + constraints);
        return createSql.left(open + 1) + defs.join(u',') + createSql.mid(close);
    }
    return std::nullopt;
}

namespace {

/** Decodes one UTF-8 code point and advances; invalid bytes stand for themselves. */
char32_t NextCodePoint(const unsigned char*& p, const unsigned char* end) {
    const unsigned char c = *p++;
    if (c < 0x80)
        return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    char32_t cp = extra == 3 ? c & 0x07 : extra == 2 ? c & 0x0F : c & 0x1F;
    if (extra == 0)
        return c;
    while (extra-- > 0 && p < end && (*p & 0xC0) == 0x80)
        cp = (cp << 6) | (*p++ & 0x3F);
    return cp;
}

char32_t Fold(char32_t c) {
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    return QChar::toCaseFolded(static_cast<char32_t>(c));
}

} // namespace

bool LikeMatchUtf8(const char* pattern, int patternLength, const char* text, int textLength,
                   char32_t escape) {
    const auto* p = reinterpret_cast<const unsigned char*>(pattern);
    const auto* pEnd = p + patternLength;
    const auto* t = reinterpret_cast<const unsigned char*>(text);
    const auto* tEnd = t + textLength;
    // Iterative matcher with one backtracking point at the last "%".
    const unsigned char* starP = nullptr;
    const unsigned char* starT = nullptr;
    const char32_t esc = escape ? Fold(escape) : 0;
    while (t < tEnd) {
        const unsigned char* tHere = t;
        if (p < pEnd) {
            char32_t pc = NextCodePoint(p, pEnd);
            if (pc == U'%' && !(esc && esc == U'%')) {
                starP = p;
                starT = tHere;
                continue;
            }
            bool literal = false;
            if (esc && Fold(pc) == esc && p < pEnd) {
                pc = NextCodePoint(p, pEnd);
                literal = true;
            }
            const char32_t tc = NextCodePoint(t, tEnd);
            if ((!literal && pc == U'_') || Fold(pc) == Fold(tc))
                continue;
        }
        if (!starP)
            return false;
        p = starP;
        t = starT;
        NextCodePoint(t, tEnd);
        starT = t;
    }
    while (p < pEnd && *p == '%')
        ++p;
    return p == pEnd;
}

bool LikeMatch(const QString& pattern, const QString& text, QChar escape) {
    const QByteArray p = pattern.toUtf8();
    const QByteArray t = text.toUtf8();
    return LikeMatchUtf8(p.constData(), static_cast<int>(p.size()), t.constData(),
                         static_cast<int>(t.size()), escape.unicode());
}

} // namespace sqldialect
