#pragma once

#include "db/Database.h"

#include <QObject>
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
 * Asks the user for the values of a record (the fields after "id"). The values come back in
 * field order, memo lines joined by carriage returns; nothing when cancelled.
 */
class RefsInput {
public:
    virtual ~RefsInput() = default;
    virtual std::optional<QStringList>
    ask(const QString& title, const std::vector<FieldInfo>& fields, const QStringList& values) = 0;
};

/**
 * The reference-books window without its widgets: the chosen table, its rows in QueryValues,
 * sort, search, and the statements that add, copy, edit and delete rows. Failures are shown
 * through the messages seam with the window's captions and leave the rows as they were.
 */
class RefsBook {
public:
    RefsBook();

    /** Chooses a table of a group: both queries move to its database, the sort is cleared. */
    bool selectTable(RefsGroup group, const QString& table);
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
    bool ReloadTable(const QString& id = QString());

    /** Sorts by a column (None returns to id order) and reloads. */
    bool setSort(const QString& field, RefsSort sort);
    QString sortField() const { return m_sortField; }
    RefsSort sort() const { return m_sortField.isEmpty() ? RefsSort::None : m_sort; }

    /** The fields a user fills: every field after "id". */
    std::vector<FieldInfo> valueFields() const;

    bool ACT_ADDExecute(RefsInput& input);
    bool ACT_ADDCOPYExecute();
    bool ACT_EDITExecute(RefsInput& input);
    bool ACT_DELETEExecute();

    /**
     * Finds the next row (from the current one, or after it when continuing) in which any
     * field contains the text, ignoring case. Not found: back to where it was and a balloon
     * "Пошук" at `control`.
     */
    bool BSearchClick(const QString& text, QObject* control = nullptr);
    /** The search text changed: from the second character a search runs from the first row. */
    void ESearchTextChange(const QString& text, QObject* control = nullptr);
    bool SearchContinues = false;

    Query& QueryValues() { return m_values; }
    const Query& QueryValues() const { return m_values; }
    QString lastSql() const { return m_lastSql; }

    /** Builds the statements; exposed for tests. */
    QString insertSql(long long id, const QStringList& values) const;
    QString updateSql(const QString& id, const QStringList& values) const;

private:
    bool needRecord() const;
    bool afterChange(const QString& id, const QString& failCaption);
    QString currentId() const;

    Connection* m_connection = nullptr;
    Query m_values;
    Query m_use;
    QString m_table;
    QString m_sortField;
    RefsSort m_sort = RefsSort::None;
    QString m_lastSql;
};
