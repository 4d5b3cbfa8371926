#include "catalogue/refs/PriceImport.h"

#include "common/EngineMessages.h"
#include "common/FileUtils.h"
#include "common/LastError.h"
#include "common/TextUtils.h"
#include "db/BulkStore.h"
#include "db/Database.h"
#include "db/QueryFunctions.h"
#include "db/Transaction.h"
#include "office/OfficeCall.h"
#include "office/Statement.h"
#include "valuation/CostSections.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

/** The text of a file: UTF-8 when it reads as such, else Windows-1251. */
QString DecodeText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text;
    QStringDecoder cp1251("windows-1251");
    if (cp1251.isValid())
        return cp1251.decode(bytes);
    return QString::fromLatin1(bytes);
}

/** The separator a text file's first non-empty line suggests: ";", tab or ",". */
QChar GuessSeparator(const QStringList& lines) {
    for (const QString& line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        QChar best = u';';
        qsizetype most = 0;
        for (QChar c : {u';', u'\t', u','}) {
            const qsizetype n = SplitCsvLine(line, c).size();
            if (n > most) {
                most = n;
                best = c;
            }
        }
        return best;
    }
    return u';';
}

bool ReadTextTable(const QString& path, PriceTable& table, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Файл \"%1\" неможливо відкрити: %2.")
                         .arg(QDir::toNativeSeparators(path),
                              UkrainianEngineMessage(file.errorString()));
        return false;
    }
    QStringList lines = DecodeText(file.readAll()).split(u'\n');
    const QChar separator = GuessSeparator(lines);
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        table.rows.push_back(SplitCsvLine(line, separator));
    }
    while (!table.rows.empty() && table.rows.back().join(QString()).trimmed().isEmpty())
        table.rows.pop_back();
    return true;
}

/** The heading words of each kind of column, in lower case. */
bool HeadingOf(const QString& text, std::initializer_list<const char*> words) {
    const QString lower = text.simplified().toLower();
    for (const char* word : words)
        if (lower.contains(QString::fromUtf8(word)))
            return true;
    return false;
}

/** "1 234,50" → "1234.50"; "" when nothing but blanks. */
QString CleanNumber(const QString& text) {
    QString clean;
    for (QChar c : text) {
        if (c.isSpace() || c == QChar(0x00A0) || c == QChar(0x202F))
            continue;
        clean += c == u',' ? QChar(u'.') : c;
    }
    return clean;
}

} // namespace

int PriceTable::columnCount() const {
    qsizetype widest = 0;
    for (const QStringList& row : rows)
        widest = std::max(widest, row.size());
    return static_cast<int>(widest);
}

QString PriceTable::at(int row, int col) const {
    if (row < 0 || row >= static_cast<int>(rows.size()) || col < 0)
        return QString();
    return rows[static_cast<size_t>(row)].value(col);
}

bool ReadPriceTable(const QString& path, PriceTable& table, QString* error) {
    table = PriceTable();
    const QString ext = FileExtLower(path);
    if (ext == QStringLiteral(".csv") || ext == QStringLiteral(".txt"))
        return ReadTextTable(path, table, error);
    if (ext != QStringLiteral(".xlsx") && ext != QStringLiteral(".xls")) {
        if (error)
            *error = QStringLiteral("Файл \"%1\" не є робочою книгою (.xlsx, .xls) чи текстом "
                                    "з роздільниками (.csv).")
                         .arg(QDir::toNativeSeparators(path));
        return false;
    }
    QString why;
    if (!OfficeCall(
            [&] {
                const SheetCells cells = ReadStatement(path);
                table.rows.resize(static_cast<size_t>(cells.rowCount()));
                for (int row = 1; row <= cells.rowCount(); ++row) {
                    QStringList& cellsOfRow = table.rows[static_cast<size_t>(row - 1)];
                    for (int col = 1; col <= cells.columnCount(); ++col)
                        cellsOfRow << cells.text(row, col);
                    while (!cellsOfRow.isEmpty() && cellsOfRow.last().isEmpty())
                        cellsOfRow.removeLast();
                }
            },
            &why))
        return FailWith(error, QStringLiteral("Файл \"%1\" неможливо прочитати: %2")
                                   .arg(QDir::toNativeSeparators(path), why));
    return true;
}

PriceMapping GuessPriceMapping(const PriceTable& table) {
    // The heading is one of the first rows: the first that names a name and a price column.
    const int looked = std::min<int>(20, static_cast<int>(table.rows.size()));
    for (int row = 0; row < looked; ++row) {
        PriceMapping m;
        for (int col = 0; col < table.columnCount(); ++col) {
            const QString text = table.at(row, col);
            if (m.category < 0 && HeadingOf(text, {"розділ", "категорі", "група"}))
                m.category = col;
            else if (m.unit < 0 && HeadingOf(text, {"од.", "од ", "одиниц", "вимір"}))
                m.unit = col;
            else if (m.price < 0 && HeadingOf(text, {"ціна", "вартість", "варт."}))
                m.price = col;
            else if (m.name < 0 && HeadingOf(text, {"назва", "найменування", "показник"}))
                m.name = col;
        }
        if (m.name >= 0 && m.price >= 0) {
            m.firstRow = row + 1;
            return m;
        }
    }
    PriceMapping m;
    m.name = 0;
    m.unit = 1;
    m.price = 2;
    return m;
}

PriceImport BuildPriceRows(const PriceTable& table, const PriceMapping& mapping) {
    PriceImport result;
    QString heading;
    const auto skip = [&result](int row, const QString& reason) {
        result.skipped.push_back(SkippedPriceRow{row + 1, reason});
    };
    for (int row = std::max(0, mapping.firstRow); row < static_cast<int>(table.rows.size());
         ++row) {
        if (table.rows[static_cast<size_t>(row)].join(QString()).trimmed().isEmpty())
            continue;
        const QString name = table.at(row, mapping.name).simplified();
        const QString unit = table.at(row, mapping.unit).simplified();
        const QString priceText = table.at(row, mapping.price).trimmed();
        if (name.isEmpty()) {
            skip(row, QStringLiteral("немає назви"));
            continue;
        }
        if (priceText.isEmpty()) {
            if (mapping.category < 0 && unit.isEmpty()) {
                heading = name;
                skip(row, QStringLiteral("заголовок розділу \"%1\"").arg(name));
            } else {
                skip(row, QStringLiteral("немає ціни"));
            }
            continue;
        }
        const QString clean = CleanNumber(priceText);
        const std::optional<double> price = ParseNumber(clean);
        if (!price) {
            skip(row, QStringLiteral("ціна \"%1\" не є числом").arg(priceText));
            continue;
        }
        if (*price < 0) {
            skip(row, QStringLiteral("ціна %1 менша за 0").arg(clean));
            continue;
        }
        QString category =
            mapping.category >= 0 ? table.at(row, mapping.category).simplified() : heading;
        if (const QString section = CostSectionOf(category); !section.isEmpty())
            category = section;
        result.rows.push_back(PriceRow{category, name, unit, ShortestNumberText(*price), row + 1});
    }
    return result;
}

bool IsPriceYear(const QString& text) {
    const std::optional<long long> year = ParseInteger(text);
    return year && *year >= 1990 && *year <= 2100;
}

bool StorePriceRows(Connection& catalogue, const std::vector<PriceRow>& rows, const QString& year,
                    bool replace, QString* error) {
    const auto fail = [error] {
        if (error)
            *error = LastError();
        return false;
    };
    Transaction transaction(catalogue);
    if (!transaction.ok())
        return fail();
    Query q(&catalogue);
    for (const char* column : {"категорія", "рік"}) {
        const QString name = QString::fromUtf8(column);
        if (FieldExists(q, QStringLiteral("SELECT * FROM збірник_цін WHERE id=0"), name))
            continue;
        if (!RunQuery(q,
                      QStringLiteral("ALTER TABLE збірник_цін ADD COLUMN ") +
                          ColumnDef(catalogue, name, FieldType::WideString, false,
                                    name == QStringLiteral("рік") ? 10 : 255),
                      false))
            return fail();
    }
    if (replace && !DeleteRows(catalogue, QStringLiteral("збірник_цін")))
        return fail();
    BulkInsert insert(catalogue, QStringLiteral("збірник_цін"),
                      {QStringLiteral("категорія"), QStringLiteral("назва"),
                       QStringLiteral("од_виміру"), QStringLiteral("вартість"),
                       QStringLiteral("рік")});
    if (!insert.ok())
        return fail();
    for (const PriceRow& row : rows)
        if (!insert.insert({row.category, row.name, row.unit, row.price, year.trimmed()}))
            return fail();
    if (!transaction.commit())
        return fail();
    return true;
}

QString PriceImportReport(const PriceImport& import, int shownSkipped) {
    QString text = QStringLiteral("Занесено рядків: %1. Пропущено: %2.")
                       .arg(import.rows.size())
                       .arg(import.skipped.size());
    int shown = 0;
    for (const SkippedPriceRow& s : import.skipped) {
        if (shown++ == shownSkipped) {
            text += QStringLiteral("\r… і ще %1.").arg(import.skipped.size() - shownSkipped);
            break;
        }
        text += QStringLiteral("\rРядок %1: %2.").arg(s.sourceRow).arg(s.reason);
    }
    return text;
}
