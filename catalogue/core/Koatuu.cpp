#include "catalogue/core/Koatuu.h"

#include "common/TextUtils.h"

#include <algorithm>

namespace koatuu {

int KoatuuRank(const QString& code, const QString& title) {
    const QString upper = title.toUpper();
    if (code.mid(5, 5) == QStringLiteral("00000"))
        return 5;
    if (code.mid(6, 4) == QStringLiteral("0000"))
        return 6;
    for (const char* heading : {"МІСТА, ", "МІСТА ", "СЕЛИЩА ", "СІЛЬРАДИ "})
        if (upper.startsWith(QString::fromUtf8(heading)))
            return 6;
    const qsizetype council = upper.indexOf(QStringLiteral(" С.Р."));
    if (upper.startsWith(QStringLiteral("СМТ ")) || upper.startsWith(QStringLiteral("СМТ. ")) ||
        (council >= 0 && council == upper.size() - 5) || upper.startsWith(QStringLiteral("М. ")))
        return 8;
    if (upper.startsWith(QStringLiteral("С. ")) || upper.startsWith(QStringLiteral("С-ЩЕ ")))
        return 10;
    const qsizetype district = upper.indexOf(QStringLiteral(" Р-Н"));
    if (district >= 0 && district == upper.size() - 4)
        return 9;
    if (code.mid(7, 3) == QStringLiteral("000"))
        return 7;
    return 5;
}

QString ChildPattern(const QString& code, int depth) {
    if (depth == 0)
        return code.left(2) + QStringLiteral("_0000000");
    if (depth == 1)
        return code.left(3) + QStringLiteral("__00000");
    return code.left(5) + QStringLiteral("_____");
}

SearchPrefix PrefixFor(const QString& nodeText, int depth, bool leaf) {
    const QString code = FieldOf(nodeText, QStringLiteral(" - "), QString(), 1);
    const QString detail =
        QStringLiteral("Деталізуйте свій вибір до рівня міста/ради/населеного пункту.");
    if (nodeText.contains(QStringLiteral("м.Київ")) ||
        nodeText.contains(QStringLiteral("м.Севастополь")))
        return {code.left(2), {}};
    if (depth <= 1)
        return {{}, detail};
    if (leaf)
        return {code, {}};
    const QString lower = nodeText.toLower();
    if (lower.contains(QStringLiteral("м. ")))
        return {nodeText.contains(QStringLiteral("00000")) ? code.left(5) : code.left(8), {}};
    for (const char* marker : {"смт ", "с-ще ", "с. ", " с.р."})
        if (lower.contains(QString::fromUtf8(marker)))
            return {code.left(8), {}};
    return {{}, detail};
}

QString SettlementsSql(const QString& prefix) {
    return QStringLiteral("select title,code from коатуу where (code like '") + prefix +
           QStringLiteral("%')  and (title like 'с.%' or title like 'м.%' or title like 'с-ще%' or "
                          "title like 'смт%')  order by title");
}

QString ProjectNameFor(const QString& nodeText) {
    QString name = FieldOf(nodeText, QStringLiteral(" - "), QString(), 2);
    return name.replace(QStringLiteral("с.р."), QStringLiteral("сільська рада"));
}

std::vector<NestedRow> NestByRank(const QString& code, const QString& title,
                                  const std::vector<std::pair<QString, QString>>& rows) {
    std::vector<NestedRow> nested;
    nested.reserve(rows.size());
    int cursor = -1; // -1 is the expanded node
    auto rankOf = [&](int index) {
        return index < 0 ? KoatuuRank(code, title)
                         : KoatuuRank(nested[index].code, nested[index].title);
    };
    for (const auto& [rowCode, rowTitle] : rows) {
        const int rank = KoatuuRank(rowCode, rowTitle);
        bool pastTop = false;
        while (rank <= rankOf(cursor)) {
            if (cursor < 0) {
                pastTop = true;
                break;
            }
            cursor = nested[cursor].parent;
        }
        nested.push_back({rowCode, rowTitle, pastTop ? -1 : cursor});
        cursor = static_cast<int>(nested.size()) - 1;
    }
    return nested;
}

int MoveItems(QStringList& from, QStringList& to, std::vector<int> selected) {
    if (selected.empty())
        return from.isEmpty() ? -1 : 0;
    std::sort(selected.begin(), selected.end());
    const int first = selected.front();
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        if (*it >= 0 && *it < from.size())
            to << from.takeAt(*it);
    }
    if (from.isEmpty())
        return -1;
    return std::min<int>(first, static_cast<int>(from.size()) - 1);
}

int FindIgnoringCase(const QStringList& items, const QString& text, int skip) {
    for (int i = 0; i < items.size(); ++i)
        if (i != skip && items[i].compare(text, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace koatuu
