#pragma once

#include "db/Database.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

/** The two groups of reference tables; the group decides the database. */
enum class RefsGroup {
    General, ///< "Загальні": the catalogue database
    Defaults ///< "За замовчуванням": the settlement template database
};

/** A group's caption and its tables, in the order they are listed. */
struct RefsGroupInfo {
    RefsGroup group;
    QString caption;
    QStringList tables;
};
const std::vector<RefsGroupInfo>& RefsGroups();

/** The price catalogue of the costs step, which can also be imported from a price list. */
QString PriceCatalogueTable();

/** Sort order of the reference grid. */
enum class RefsSort { None = 0, Ascending = 1, Descending = 2 };

/**
 * What a command of the book has for the user: an error under its caption, a warning, or the
 * search's "not found" (a balloon at the search field). The window shows them in order.
 */
struct RefsMessage {
    enum class Kind { Error, Warning, NotFound };
    Kind kind = Kind::Error;
    QString caption;
    QString text;
};
using RefsMessages = std::vector<RefsMessage>;

/** Texts of the book. */
namespace RefsTexts {
QString confirmDelete(); ///< "Видалити поточний запис?"
QString noRecord();      ///< "Запис не виділений."
} // namespace RefsTexts

/**
 * Asks the user: the values of a record (the fields after "id"), which come back in field
 * order, memo lines joined by carriage returns, nothing when cancelled; and whether the
 * current record is deleted (RefsTexts::confirmDelete()).
 */
class RefsInput {
public:
    virtual ~RefsInput() = default;
    virtual std::optional<QStringList>
    ask(const QString& title, const std::vector<FieldInfo>& fields, const QStringList& values) = 0;
    virtual bool confirmDelete() = 0;
};

/**
 * The reference-books window without its widgets: the chosen table, its rows in QueryValues,
 * sort, search, and the statements that add, copy, edit and delete rows. Failures leave the
 * rows as they were and are added to `messages` (when given) with the window's captions, for
 * the window to show.
 */
class RefsBook {
public:
    RefsBook();

    /** Chooses a table of a group: both queries move to its database, the sort is cleared. */
    bool selectTable(RefsGroup group, const QString& table, RefsMessages* messages);
    /** Forgets the table (a group node was chosen). */
    void clearTable();
    QString table() const { return m_table; }
    /** The database of the chosen table (null before one is chosen). */
    Connection* connection() const { return m_connection; }
    bool hasTable() const { return !m_table.isEmpty(); }

    /**
     * Reads the table again in the current order and returns to the row with that id (or
     * the current row's id when empty; "-1" or an unknown id leaves the first row current).
     */
    bool ReloadTable(RefsMessages* messages, const QString& id = QString());

    /** Sorts by a column (None returns to id order) and reloads. */
    bool setSort(const QString& field, RefsSort sort, RefsMessages* messages);
    QString sortField() const { return m_sortField; }
    RefsSort sort() const { return m_sortField.isEmpty() ? RefsSort::None : m_sort; }

    /** The fields a user fills: every field after "id". */
    std::vector<FieldInfo> valueFields() const;

    bool ACT_ADDExecute(RefsInput& input, RefsMessages* messages);
    bool ACT_ADDCOPYExecute(RefsMessages* messages);
    bool ACT_EDITExecute(RefsInput& input, RefsMessages* messages);
    bool ACT_DELETEExecute(RefsInput& input, RefsMessages* messages);

    /**
     * Finds the next row (from the current one, or after it when continuing) in which any
     * field contains the text, ignoring case. Not found: back to where it was and a NotFound
     * message "Пошук".
     */
    bool BSearchClick(const QString& text, RefsMessages* messages);
    /** The search text changed: from the second character a search runs from the first row. */
    void ESearchTextChange(const QString& text, RefsMessages* messages);
    bool SearchContinues = false;

    Query& QueryValues() { return m_values; }
    const Query& QueryValues() const { return m_values; }
    QString lastSql() const { return m_lastSql; }

    /** Builds the statements; exposed for tests. */
    QString insertSql(long long id, const QStringList& values) const;
    QString updateSql(const QString& id, const QStringList& values) const;

private:
    bool needRecord(RefsMessages* messages) const;
    bool afterChange(const QString& id, const QString& failCaption, RefsMessages* messages);
    QString currentId() const;

    Connection* m_connection = nullptr;
    Query m_values;
    Query m_use;
    QString m_table;
    QString m_sortField;
    RefsSort m_sort = RefsSort::None;
    QString m_lastSql;
};
