// The two report tables laid out in blocks or by kind: the expert questionnaire (factors down,
// districts across, in blocks of the table's width) and the two soil tables.
#include "reports/ReportSections.h"

#include "common/TextUtils.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <vector>

namespace reports::detail {

void FillQuestionnaire(SectionWriter& w, WordTable& t) {
    // The answers in a compact form: 41 factors of a thousand districts are 41,000 rows. A row
    // per factor; a factor whose records come back later gets a row of its own, so the rows
    // are counted as runs too. The longest run says how many districts a block must hold.
    // District numbers and scores are a few hundred distinct texts: an answer names them by
    // their place in `texts`, 12 bytes for each of the 41,000.
    struct Answer {
        int run = 0;
        int district = 0;
        int score = 0;
    };
    std::vector<Answer> answers;
    std::vector<QString> runNames;
    QSet<QString> distinct;
    ShortTextCache cache;
    std::vector<QString> texts;
    QHash<QString, int> textIndex;
    const auto indexOf = [&](const QString& text) {
        const auto found = textIndex.constFind(text);
        if (found != textIndex.cend())
            return *found;
        texts.push_back(text);
        return *textIndex.insert(text, static_cast<int>(texts.size()) - 1);
    };
    int district = -1, factor = -1, score = -1;
    int longest = 0;
    int current = 0;
    QByteArray previous;
    const auto take = [&](const Utf8Row& r) {
        if (answers.empty()) {
            district = r.columnIndex("район");
            factor = r.columnIndex("фактор");
            score = r.columnIndex("оцінка");
        }
        const QByteArrayView name = r.at(factor);
        if (runNames.empty() || name != previous) {
            runNames.push_back(cache.value(r, factor));
            distinct.insert(runNames.back());
            previous = name.toByteArray();
            current = 0;
        }
        longest = std::max(longest, ++current);
        answers.push_back({static_cast<int>(runNames.size()) - 1, indexOf(cache.value(r, district)),
                           indexOf(cache.value(r, score))});
    };
    if (!w.readRows(QStringLiteral("SELECT * FROM анкета ORDER BY id"), QStringLiteral("анкета"),
                    take) ||
        answers.empty())
        return;
    const int runs = static_cast<int>(runNames.size());
    const int factorRows = std::max(static_cast<int>(distinct.size()), runs);
    w.insertRows(t, 3, factorRows - 1);

    int columns = t.columnCount();
    const int height = t.rowCount();
    for (int c = 3; c <= columns; ++c)
        t.setCellText(2, c, QString());
    // One more block of the table for every whole 23 districts; more when the questionnaire
    // holds more districts than that.
    int pastes = static_cast<int>(std::max(0LL, w.districtCount / 23));
    const int perBlock = columns - 2;
    if (perBlock > 0)
        pastes = std::max(pastes, (longest + perBlock - 1) / perBlock - 1);
    // In one block with fewer districts than columns, the district columns left over are not
    // printed: their width goes to the districts' columns.
    if (pastes == 0 && longest > 0 && longest < perBlock) {
        std::vector<int> widths = t.gridWidths();
        if (static_cast<int>(widths.size()) == columns) {
            int freed = 0;
            for (int c = 3 + longest; c <= columns; ++c)
                freed += widths[static_cast<size_t>(c - 1)];
            widths.resize(static_cast<size_t>(2 + longest));
            // At most 2.5 cm a column: a few districts need no more.
            for (int c = 3; c <= 2 + longest; ++c) {
                int& width = widths[static_cast<size_t>(c - 1)];
                width = std::max(width, std::min(width + freed / longest, 1418));
            }
            t.removeColumns(3 + longest, columns);
            t.setGridWidths(widths);
            columns = 2 + longest;
        }
    }
    w.document.selectTable(t);
    w.document.copy();
    for (int i = 0; i < pastes; ++i)
        w.document.paste();

    w.beginRows(static_cast<int>(answers.size()));
    int k = 0, block = 0, row = 2, column = 2;
    int written = 0; // the factor row whose number and name are written
    int run = -1;
    std::vector<QString> headers; // the district numbers written, by block and column
    for (const Answer& answer : answers) {
        if (answer.run != run) {
            run = answer.run;
            ++k;
            block = 0;
            column = 2;
            ++row;
        }
        if (++column > columns) {
            block += height;
            column = 3;
        }
        if (written != row + block) {
            written = row + block;
            t.setCellText(written, 1, QString::number(k));
            t.setCellText(written, 2, runNames[static_cast<size_t>(run)]);
        }
        // Each factor repeats the district numbers: a header cell is written once.
        const size_t header = static_cast<size_t>(block / height * (columns + 1) + column);
        if (header >= headers.size())
            headers.resize(header + 1);
        const QString& number = texts[static_cast<size_t>(answer.district)];
        if (headers[header].isNull() || headers[header] != number) {
            t.setCellText(block + 2, column, number);
            headers[header] = number.isNull() ? QStringLiteral("") : number;
        }
        t.setCellText(row + block, column, texts[static_cast<size_t>(answer.score)]);
        if (w.rowDone())
            break;
    }
}

namespace {

/** The column of a kind of land: 2 for "1" (arable) to 5 for "4"; the last match wins. */
int SoilColumn(const QString& type) {
    int column = 0;
    for (int kind = 1; kind <= 4; ++kind) {
        if (type.contains(QString::number(kind)))
            column = kind + 1;
    }
    return column;
}

/**
 * A soil table: a row per soil code, a column per kind of land; `scores` chooses the bonitet
 * scores (with the base farm's average scores in the last row) or the values of 1 ha.
 */
void FillSoil(SectionWriter& w, WordTable& t, bool scores) {
    if (!w.select(QStringLiteral("SELECT * FROM угіддя ORDER BY шифр,id"),
                  QStringLiteral("угіддя")) ||
        w.query.recordCount() == 0)
        return;
    Query& q = w.query;
    const int type = q.fieldIndex(QStringLiteral("тип"));
    const int code = q.fieldIndex(QStringLiteral("шифр"));
    const int score = q.fieldIndex(QStringLiteral("бал_бонітету"));
    const int value = q.fieldIndex(QStringLiteral("вартість"));
    // The rows the soil codes take: one per run of a code among the records written.
    auto soilRow = [&](int& column) {
        if (q.text(score).isEmpty())
            return false;
        const QString kind = q.text(type);
        column = SoilColumn(kind);
        return column > 0 && !kind.contains(u'*');
    };
    int codes = 0;
    QString previous;
    for (q.first(); !q.eof(); q.next()) {
        int column = 0;
        if (!soilRow(column))
            continue;
        if (codes == 0 || q.text(code) != previous)
            ++codes;
        previous = q.text(code);
    }
    w.insertRows(t, 4, codes - 1);
    const int lastRow = t.rowCount();
    w.beginRows(q.recordCount());
    int row = 3;
    bool first = true;
    for (q.first(); !q.eof(); q.next()) {
        int column = 0;
        if (soilRow(column)) {
            if (first || q.text(code) != previous) {
                ++row;
                t.setCellText(row, 1, q.text(code));
            }
            first = false;
            previous = q.text(code);
            t.setCellText(row, column, q.text(scores ? score : value));
        } else if (column > 0 && scores && !q.text(score).isEmpty()) {
            // The base farm's average score of the kind ("1*" to "4*").
            t.setCellText(lastRow, column, q.text(score));
        }
        if (w.rowDone())
            break;
    }
}

} // namespace

void FillSoilScores(SectionWriter& w, WordTable& t) {
    FillSoil(w, t, true);
}

void FillSoilValues(SectionWriter& w, WordTable& t) {
    FillSoil(w, t, false);
}

} // namespace reports::detail
