#include "steps/agricultural/SoilCodes.h"

#include <QSet>

QString SoilItemCode(const QString& item) {
    const qsizetype at = item.indexOf(QStringLiteral(" - "));
    return at < 0 ? item : item.left(at);
}

QString SoilCatalogueItem(const QString& code, const QString& name) {
    return code + QStringLiteral(" - ") + name;
}

QStringList SoilSlopeItems() {
    QStringList items{QString()};
    for (int i = 1; i <= 9; ++i)
        items << u'.' + QString::number(i);
    return items;
}

QStringList SoilTextureItems() {
    return {QString(),
            QStringLiteral("а  - піщаний"),
            QStringLiteral("б  - глинисто-піщаний"),
            QStringLiteral("в  - супіщаний"),
            QStringLiteral("г  - легкосуглинковий"),
            QStringLiteral("д  - середньосуглинковий"),
            QStringLiteral("е  - важкосуглинковий"),
            QStringLiteral("л -  легкоглинистий"),
            QStringLiteral("э  - середньо- та важкоглинистий"),
            QStringLiteral("и  - слабкощебенюваті"),
            QStringLiteral("ж  - середньощебенюваті"),
            QStringLiteral("з  - сильнощебенюваті"),
            QStringLiteral("к  - кам’янисті")};
}

QString SoilTextureLetter(const QString& textureItem) {
    return textureItem.section(u'-', 0, 0).trimmed();
}

QString ComposeSoilCode(const QString& group, const QString& slope, const QString& textureItem) {
    return group.trimmed() + slope.trimmed() + SoilTextureLetter(textureItem);
}

SoilCodeParts SplitCatalogueSoil(const QString& item) {
    const QString code = item.section(u'-', 0, 0).trimmed();
    const qsizetype dot = code.indexOf(u'.');
    if (dot < 0)
        return {code, QString()};
    return {code.left(dot), code.mid(dot)};
}

int FindSoilCode(const QStringList& codes, const QString& code) {
    for (qsizetype i = 0; i < codes.size(); ++i)
        if (codes[i].compare(code, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

SoilCodeChoices SoilCodeChoicesOf(const QStringList& catalogue, const QStringList& working) {
    SoilCodeChoices choices;
    QSet<QString> seen;
    auto add = [&](const QString& item, const QString& code) {
        if (code.isEmpty() || seen.contains(code.toLower()))
            return;
        seen.insert(code.toLower());
        choices.items << item;
        choices.codes << code;
    };
    for (const QString& item : catalogue)
        add(item, SoilItemCode(item).trimmed());
    for (const QString& code : working)
        add(code, code.trimmed());
    return choices;
}
