#include "widgets/DisplayText.h"

QString DisplayLines(const QString& text) {
    if (!text.contains(u'\r'))
        return text;
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(u'\r', u'\n');
    return result;
}
