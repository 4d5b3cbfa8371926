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

bool LikeMatch(const QString& pattern, const QString& text, QChar escape) {
    const QList<uint> p = pattern.toCaseFolded().toUcs4();
    const QList<uint> t = text.toCaseFolded().toUcs4();
    const uint esc = escape.isNull() ? 0 : QString(escape).toCaseFolded().toUcs4().value(0);
    // Iterative matcher with one backtracking point for the last "%".
    qsizetype pi = 0, ti = 0, starP = -1, starT = 0;
    while (ti < t.size()) {
        if (pi < p.size() && esc && p[pi] == esc && pi + 1 < p.size()) {
            if (p[pi + 1] == t[ti]) {
                pi += 2;
                ++ti;
                continue;
            }
        } else if (pi < p.size() && p[pi] == u'%') {
            starP = pi++;
            starT = ti;
            continue;
        } else if (pi < p.size() && (p[pi] == u'_' || p[pi] == t[ti])) {
            ++pi;
            ++ti;
            continue;
        }
        if (starP < 0)
            return false;
        pi = starP + 1;
        ti = ++starT;
    }
    while (pi < p.size() && p[pi] == u'%')
        ++pi;
    return pi == p.size();
}

} // namespace sqldialect
