#pragma once

#include "office/InsertedRows.h"
#include "office/Package.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class WordDocument;

/** A table of a document; rows and columns count from 1. Copies share the table. */
class WordTable {
public:
    int rowCount() const;
    /** Columns of the table's grid. */
    int columnCount() const;
    /** The text of cell (row, column): its paragraphs joined by "\r". */
    QString cellText(int row, int column) const;
    /** Sets a cell's text; every line ("\r", "\n" or "\r\n") becomes a paragraph. */
    void setCellText(int row, int column, const QString& text);
    /** Makes the text of a cell bold (or not). */
    void setCellBold(int row, int column, bool bold);
    bool cellBold(int row, int column) const;
    /**
     * Inserts `count` empty copies of row `row` below it, keeping its look. Until something
     * else than their cells' text and bold is asked of them, they are kept outside the XML
     * tree (InsertedRows) and written with the document.
     */
    void insertRowsBelow(int row, int count);
    /** Appends copies of the rows (w:tr elements) under `rows` below the table. */
    void appendRowsOf(pugi::xml_node rows);
    /** The table's element, with every row in it. */
    pugi::xml_node node() const;

private:
    friend class WordDocument;
    WordTable(pugi::xml_node node, const WordDocument* document)
        : m_node(node), m_document(document) {}
    pugi::xml_node cellNode(int row, int column) const;
    [[noreturn]] void throwNoCell(int row, int column) const;
    void indexRows() const;
    /** The table's inserted rows when `row` is one of them (a missing column throws). */
    InsertedRows* insertedRow(int row, int column) const;
    /** Puts the table's inserted rows into the XML tree. */
    void materialize() const;
    /** Writes a cell's text or bold in the tree; `document` hears of bookmarks removed. */
    static void writeCellText(pugi::xml_node tc, const QString& text, const WordDocument* document);
    static void writeCellBold(pugi::xml_node tc, bool bold);
    static void applyInserted(pugi::xml_node tc, const InsertedRows::Cell& cell);
    /** Removes a node of a cell, telling the document (if any) about the bookmarks it held. */
    static void removeFromCell(pugi::xml_node parent, pugi::xml_node node,
                               const WordDocument* document);

    pugi::xml_node m_node;
    const WordDocument* m_document = nullptr;
    mutable std::shared_ptr<std::vector<pugi::xml_node>> m_rows;
};

/**
 * A word-processing document opened from a ".dotx" template or a ".docx" file: bookmarks,
 * tables, cells, bold, copies of rows and of whole tables, save as ".docx".
 * Operations on what does not exist throw OfficeError.
 *
 * Bookmarks and tables are indexed once, on first use, and the document's own operations
 * keep the indexes right (copied rows and tables never carry bookmarks; text written over a
 * bookmark removes it). Changing the main part's XML through package() leaves them stale.
 */
class WordDocument {
public:
    /** Opens a template or document; throws OfficeError for anything unreadable. */
    static std::unique_ptr<WordDocument> open(const QString& path,
                                              const PackageLimits& limits = {});
    /** Reads a package from memory (the fuzz harness). */
    static std::unique_ptr<WordDocument> openFromMemory(const QByteArray& zip);
    /** An empty document, as a word processor makes without a template. */
    static std::unique_ptr<WordDocument> createBlank();

    bool hasBookmark(const QString& name) const;
    /** Bookmark names in document order. */
    QStringList bookmarkNames() const;
    /** The text between a bookmark's start and end ("" for a bookmark without an end). */
    QString bookmarkText(const QString& name) const;
    /**
     * Replaces the text of a bookmark's range, keeping the runs around it and their look.
     * Bookmarks lying wholly inside the replaced paragraphs go with them. A bookmark without
     * an end gets one after the new text.
     */
    void setBookmarkText(const QString& name, const QString& text);

    /** Tables of the body in document order (tables inside cells are not counted). */
    int tableCount() const;
    /** Table `index` (from 1). */
    WordTable table(int index) const;

    /** Selects a cell, as the word processor's selection does before InsertRowsBelow. */
    void selectCell(const WordTable& table, int row, int column);
    /** Selects a whole table. */
    void selectTable(const WordTable& table);
    /** Inserts empty copies of the selected row below it. */
    void insertRowsBelow(int count);
    /** Copies the selected table. */
    void copy();
    /** Pastes the copied rows below the selected table, so that it grows by one block. */
    void paste();

    /** Writes the document as ".docx" (document content type), atomically. */
    void saveAs(const QString& path);
    /** The last path saved to, or "". */
    const QString& savedPath() const { return m_savedPath; }

    /** The package, with every inserted row of the tables in the main part's tree. */
    OoxmlPackage& package();
    /** The main part's name ("word/document.xml"). */
    const QString& mainPart() const { return m_mainPart; }

private:
    WordDocument() = default;
    void attach();
    pugi::xml_node body() const;
    void indexTables() const;
    /** The start of bookmark `name`, or null; throws with the user's text when asked. */
    pugi::xml_node bookmarkStart(const QString& name) const;
    pugi::xml_node requireBookmarkStart(const QString& name) const;
    /** Drops the bookmark index when a subtree about to be removed holds an indexed start. */
    void forgetBookmarksIn(pugi::xml_node subtree) const;
    /** Puts the inserted rows of every table into the tree. */
    void materializeAll() const;
    /** Writes the main part: the tree, with the inserted rows where they belong. */
    void writeMain(pugi::xml_writer& out);

    OoxmlPackage m_package;
    QString m_mainPart;
    pugi::xml_node m_body;
    mutable bool m_tablesIndexed = false;
    mutable std::vector<pugi::xml_node> m_tables;
    mutable std::vector<std::shared_ptr<std::vector<pugi::xml_node>>> m_tableRows;
    /** Bookmark starts by UTF-8 name; the first in document order wins, as a scan finds. */
    mutable QHash<QByteArray, pugi::xml_node> m_bookmarks;
    mutable bool m_bookmarksIndexed = false;
    QString m_savedPath;

    std::optional<WordTable> m_selection;
    int m_selectedRow = 0;
    bool m_tableSelected = false;
    std::unique_ptr<pugi::xml_document> m_clipboard;
    /** Rows inserted and only written since, by table (at most one run of rows each). */
    mutable std::map<pugi::xml_node, std::unique_ptr<InsertedRows>> m_inserted;

    friend class WordTable;
};
