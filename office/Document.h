#pragma once

#include "office/InsertedRows.h"
#include "office/Package.h"

#include <QByteArray>
#include <QHash>
#include <QSizeF>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class WordDocument;

/** A paragraph a fill procedure adds to a document. */
struct WordParagraph {
    /** The paragraph style's id ("ListBullet"); "" keeps the look of the replaced paragraph. */
    QString style;
    /** The text; "\t" is a tab. */
    QString text;
    bool bold = false;
    /** Starts a new page. */
    bool pageBreakBefore = false;
    /** Right-aligned (a caption such as "Додаток А"). */
    bool alignRight = false;
    /**
     * A picture of addPicture() shown alone in the paragraph, centred on single line spacing;
     * the text is then its description for readers that show no pictures.
     */
    QString pictureId;
    /** The picture's size on the page, in millimetres. */
    QSizeF pictureMm;
};

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
    /** The widths of the table's grid columns, in twips. */
    std::vector<int> gridWidths() const;
    /** Sets the grid columns' widths (twips); cells and the table's width follow. */
    void setGridWidths(const std::vector<int>& twips);
    /**
     * Removes the grid columns `first`..`last` (from 1): the cells in them go, a cell spanning
     * into them narrows. Widths of the other columns stay.
     */
    void removeColumns(int first, int last);
    /**
     * Appends copies of the rows (w:tr elements) under `rows` below the table. Rows with a
     * `source` (not 0) are kept outside the XML tree, as inserted rows are; appended again
     * from the same source, they go on with the same run.
     */
    void appendRowsOf(pugi::xml_node rows, quint64 source = 0);
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

    /**
     * Adds a PNG picture as a part of the document (word/media/imageN.png) related to the
     * main part; returns the relationship id a WordParagraph shows it by.
     */
    QString addPicture(const QByteArray& png);
    /**
     * Replaces the paragraph that holds the bookmark by the paragraphs, in order; with none
     * the paragraph goes. Throws when there is no such bookmark.
     */
    void replaceBookmarkParagraph(const QString& name,
                                  const std::vector<WordParagraph>& paragraphs);

    /**
     * Removes a table from the document, with the paragraph just before it when
     * `withCaption` (its caption) and the empty paragraph just after it. Later tables move
     * up by one.
     */
    void removeTable(const WordTable& table, bool withCaption);

    /** Writes the document as ".docx" (document content type), atomically. */
    void saveAs(const QString& path);
    /** The last path saved to, or "". */
    const QString& savedPath() const { return m_savedPath; }

    /** The package, with every inserted row of the tables in the main part's tree. */
    OoxmlPackage& package();
    /**
     * Sets a custom document property (office::SetCustomProperty) without touching the main
     * part, so the rows inserted into its tables stay as they are until the save.
     */
    void setCustomProperty(const QString& name, const QString& value);
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
    /** The next id of a drawing object (unique in the document); 0 until first counted. */
    int m_nextDrawingId = 0;
    int m_pictureCount = 0;

    std::optional<WordTable> m_selection;
    int m_selectedRow = 0;
    bool m_tableSelected = false;
    std::unique_ptr<pugi::xml_document> m_clipboard;
    /** Tells one copy from the next, so pastes of the same copy make one run of rows. */
    quint64 m_clipboardSource = 0;
    /** Rows inserted and only written since, by table (at most one run of rows each). */
    mutable std::map<pugi::xml_node, std::unique_ptr<InsertedRows>> m_inserted;

    friend class WordTable;
};
