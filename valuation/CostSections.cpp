#include "valuation/CostSections.h"

namespace {

/** The text compared: lower case, blanks collapsed, one kind of apostrophe. */
QString Key(const QString& text) {
    QString key = text.simplified().toLower();
    key.replace(u'\'', u'’');
    key.replace(u'`', u'’');
    key.replace(QChar(0x02BC), u'’');
    return key;
}

} // namespace

const QStringList& CostSections() {
    static const QStringList sections = {
        QStringLiteral("Інженерна підготовка і захист території"),
        QStringLiteral("Водопостачання"),
        QStringLiteral("Каналізація"),
        QStringLiteral("Теплопостачання"),
        QStringLiteral("Газопостачання"),
        QStringLiteral("Електропостачання"),
        QStringLiteral("Зовнішнє освітлення"),
        QStringLiteral("Дощова каналізація"),
        QStringLiteral("Телефонний зв’язок та провідне радіомовлення"),
        QStringLiteral("Телекомунікації"),
        QStringLiteral("Санітарна очистка"),
        QStringLiteral("Озеленення"),
        QStringLiteral("Кладовища"),
        QStringLiteral("Міський транспорт"),
        QStringLiteral("Вулично-дорожня мережа"),
    };
    return sections;
}

QString CostSectionOf(const QString& text) {
    const QString key = Key(text);
    if (key.isEmpty())
        return QString();
    for (const QString& section : CostSections())
        if (Key(section) == key)
            return section;
    return QString();
}
