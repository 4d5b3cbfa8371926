#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

/**
 * A word-processing document written from a plain-text markup, one block a line:
 *
 *   % a comment                        @title TEXT     a title-page line (large, centred)
 *   # / ## / ### HEADING               @center TEXT    @right TEXT     @caption TEXT
 *   - a bullet item                    @toc            the table of contents
 *   1. a numbered item (number kept)   @pagebreak      @space (an empty line)
 *   any other line: a paragraph        @page portrait|landscape   starts a new section
 *
 *   @table 2 6:l 2.5:r [small|tiny]    a table: column widths in cm, data-cell alignment
 *   |# a title row                     rows follow the table line: "|#" title rows,
 *   |! heading | heading               "|!" heading rows (bold, shaded, repeated on every
 *   | data | data                      page), "|" data rows; "<" joins a cell to its left
 *                                      neighbour, "^" to the cell above; a title row spans
 *                                      the table, other short rows get empty cells.
 *
 * Inline: **bold**, //italic//, [[NAME|text]] a bookmark NAME around the text.
 */
class WordMarkup {
public:
    /** Parses the markup; false with a message naming the line on a malformed one. */
    bool parse(const QString& text, QString* error);

    /** The package as a template (".dotx") or as a document (".docx"). */
    QByteArray package(bool asTemplate, const QString& title) const;

    /** Names of the bookmarks the markup defines, in order. */
    const QStringList& bookmarks() const { return m_bookmarks; }

private:
    struct Section {
        bool landscape = false;
    };
    QString inlineRuns(const QString& text, const QString& runProps = QString());
    QString paragraph(const QString& style, const QString& text, const QString& extraPPr = {},
                      const QString& runProps = {});
    QString heading(int level, const QString& text);
    bool table(const QStringList& lines, int& at, QString* error);
    QString sectionProperties(const Section& s) const;
    QString tableOfContents() const;

    QString m_body;
    Section m_section;
    QStringList m_bookmarks;
    struct TocEntry {
        int level;
        QString text;
        QString anchor;
    };
    std::vector<TocEntry> m_toc;
    qsizetype m_tocAt = -1; ///< where in the body the contents go
    int m_nextBookmarkId = 0;
};
