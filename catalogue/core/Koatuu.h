#pragma once

#include <QString>
#include <QStringList>
#include <vector>

/** The classifier rules of the new-project wizard, without windows. */
namespace koatuu {

/** The placeholder child of a node whose children are not loaded yet. */
inline QString Placeholder() {
    return QStringLiteral("завантаження...");
}

/** How deep an entry nests below a district: 5 district ... 10 village. */
int KoatuuRank(const QString& code, const QString& title);

/** The LIKE pattern of a node's children by its depth (always ten characters). */
QString ChildPattern(const QString& code, int depth);

/** The prefix the settlements are searched by, or a warning when the node cannot be used. */
struct SearchPrefix {
    QString prefix;
    QString warning;
};
/**
 * For a node text "code - title" at a depth; `leaf` is true for a node whose children are
 * loaded and which has none.
 */
SearchPrefix PrefixFor(const QString& nodeText, int depth, bool leaf);

/** The statement that finds the settlements under a prefix. */
QString SettlementsSql(const QString& prefix);

/** The project name offered for a node: its title with "с.р." spelled out. */
QString ProjectNameFor(const QString& nodeText);

/** One entry nested under a parent (index into the loaded rows, or -1 for the expanded node). */
struct NestedRow {
    QString code;
    QString title;
    int parent = -1;
};
/**
 * Nests the rows found under an expanded node (of the given code and title) by rank; an
 * entry whose cursor climbs past the top goes under the expanded node.
 */
std::vector<NestedRow> NestByRank(const QString& code, const QString& title,
                                  const std::vector<std::pair<QString, QString>>& rows);

/**
 * Moves the selected items (indices into `from`) to the end of `to`, taken from the last
 * index down; returns the index to select in `from` afterwards (-1 when it is empty).
 */
int MoveItems(QStringList& from, QStringList& to, std::vector<int> selected);

/** Whether a list holds the text, ignoring letter case (optionally skipping one index). */
int FindIgnoringCase(const QStringList& items, const QString& text, int skip = -1);

} // namespace koatuu
