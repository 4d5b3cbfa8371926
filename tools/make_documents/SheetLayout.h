#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <vector>

/**
 * A workbook of one worksheet laid out from a plain-text description, one directive a line:
 *
 *   % a comment
 *   sheet NAME                      the worksheet's name
 *   title TEXT                      row 1, across all columns
 *   name COLUMN                     the fill writes the settlement's name into row 1 of the
 *                                   column; the title shows it after its text
 *   subtitle TEXT                   the next title row, across all columns
 *   titlespan N                     the title rows span only the first N columns
 *   heading FROM TO                 the heading rows; the row after them numbers the columns
 *   group FROM TO TEXT              a heading over columns FROM..TO in the first heading row
 *   cols FROM TO WIDTH FORMAT       width and format of columns given no heading of their own
 *   col N WIDTH FORMAT TEXT         column N: width in characters, format of its data cells
 *                                   (text, code, money "0.00", area "0.0000"), its heading
 *   factors FROM COUNT WIDTH FORMAT COUNT local-factor columns headed by the catalogue's
 *                                   short names in factor order ("Фактор N" past its end)
 *   rotate FROM TO                  headings of these columns run upwards
 *   totals ROW LABELCOLUMN FROM TO TEXT   a totals row: the label and zeros in FROM..TO
 *   fit PAGES                       print this many pages wide (0: natural size)
 *
 * Columns not named get "Графа N" and the text format.
 */
class SheetLayout {
public:
    /** Parses the description; false with a message naming the line on a malformed one. */
    bool parse(const QString& text, const QStringList& factorNames, QString* error);

    /** The workbook package as a template (".xltx") or as a workbook (".xlsx"). */
    QByteArray package(bool asTemplate, const QString& title) const;

    int lastColumn() const { return m_columns.empty() ? 0 : m_columns.rbegin()->first; }
    int numberingRow() const { return m_headingTo + 1; }

private:
    struct Column {
        double width = 8;
        QString format = QStringLiteral("text");
        QString heading;
        bool rotated = false;
        bool inGroup = false;
    };
    struct Group {
        int from = 0;
        int to = 0;
        QString text;
    };
    /** The worksheet part; its strings go to the shared strings part. */
    QString worksheet(QByteArray* sharedStrings) const;

    QString m_sheet = QStringLiteral("Лист1");
    QString m_title;
    int m_nameColumn = 0;
    QStringList m_subtitles;
    int m_headingFrom = 3;
    int m_headingTo = 5;
    std::map<int, Column> m_columns;
    std::vector<Group> m_groups;
    int m_totalsRow = 0;
    int m_totalsLabelColumn = 0;
    int m_totalsFrom = 0;
    int m_totalsTo = 0;
    QString m_totalsText;
    int m_fitPages = 1;
    int m_titleSpan = 0;
};
