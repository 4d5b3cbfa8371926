#include "office/XlsReader.h"

#include "common/EngineMessages.h"
#include "common/TextUtils.h"
#include "office/OfficeError.h"

#include <QFile>
#include <cmath>
#include <cstring>
#include <freexl.h>
#include <vector>

namespace {

quint16 u16(const QByteArray& b, qsizetype at) {
    if (at < 0 || at + 2 > b.size())
        throw OfficeError(QStringLiteral("Файл .xls пошкоджено (вихід за межі даних)."));
    return quint16(quint8(b[at])) | quint16(quint8(b[at + 1]) << 8);
}

quint32 u32(const QByteArray& b, qsizetype at) {
    return quint32(u16(b, at)) | (quint32(u16(b, at + 2)) << 16);
}

const quint32 kEndOfChain = 0xFFFFFFFEu;
const quint32 kFreeSector = 0xFFFFFFFFu;

/** A compound file (the container of ".xls"): its allocation tables and streams. */
class CompoundFile {
public:
    explicit CompoundFile(const QByteArray& data) : m_data(data) {
        if (data.size() < 512 || !data.startsWith(QByteArray::fromHex("d0cf11e0a1b11ae1")))
            throw OfficeError(QStringLiteral("Файл не є книгою Excel 97-2003 (.xls)."));
        const int shift = u16(data, 0x1E);
        const int miniShift = u16(data, 0x20);
        if ((shift != 9 && shift != 12) || miniShift != 6)
            throw OfficeError(QStringLiteral("Файл .xls пошкоджено (розмір сектора)."));
        m_sectorSize = 1 << shift;
        m_sectorCount = static_cast<quint32>((data.size() - m_sectorSize) / m_sectorSize);
        m_miniCutoff = u32(data, 0x38);
        readFat();
        readDirectory();
    }

    /** The stream of the first entry with one of the names; empty when none exists. */
    QByteArray stream(const QStringList& names) const {
        for (const Entry& e : m_entries) {
            if (e.type == 2 && names.contains(e.name, Qt::CaseInsensitive))
                return e.size < m_miniCutoff ? readMini(e.start, e.size)
                                             : readChain(e.start, e.size);
        }
        return QByteArray();
    }

private:
    struct Entry {
        QString name;
        int type = 0;
        quint32 start = 0;
        quint64 size = 0;
    };

    QByteArray sector(quint32 index) const {
        if (index >= m_sectorCount)
            throw OfficeError(
                QStringLiteral("Файл .xls пошкоджено (сектор %1 поза файлом).").arg(index));
        return m_data.mid(static_cast<qsizetype>(index + 1) * m_sectorSize, m_sectorSize);
    }

    void readFat() {
        std::vector<quint32> fatSectors;
        for (int i = 0; i < 109; ++i) {
            const quint32 s = u32(m_data, 0x4C + i * 4);
            if (s != kFreeSector && s != kEndOfChain)
                fatSectors.push_back(s);
        }
        quint32 difat = u32(m_data, 0x44);
        for (quint32 guard = 0; difat != kEndOfChain && difat != kFreeSector; ++guard) {
            if (guard > m_sectorCount)
                throw OfficeError(QStringLiteral("Файл .xls пошкоджено (цикл у таблиці DIFAT)."));
            const QByteArray block = sector(difat);
            const int perSector = m_sectorSize / 4 - 1;
            for (int i = 0; i < perSector; ++i) {
                const quint32 s = u32(block, i * 4);
                if (s != kFreeSector && s != kEndOfChain)
                    fatSectors.push_back(s);
            }
            difat = u32(block, perSector * 4);
        }
        for (quint32 s : fatSectors) {
            const QByteArray block = sector(s);
            for (int i = 0; i < m_sectorSize / 4; ++i)
                m_fat.push_back(u32(block, i * 4));
        }
    }

    QByteArray readChain(quint32 start, quint64 size) const {
        QByteArray out;
        quint32 s = start;
        for (quint32 guard = 0; s != kEndOfChain; ++guard) {
            if (guard > m_sectorCount || s >= m_fat.size())
                throw OfficeError(QStringLiteral("Файл .xls пошкоджено (ланцюжок секторів)."));
            out += sector(s);
            if (static_cast<quint64>(out.size()) >= size)
                break;
            s = m_fat[s];
        }
        if (static_cast<quint64>(out.size()) < size && size != ~0ULL)
            throw OfficeError(
                QStringLiteral("Файл .xls пошкоджено (потік коротший за свій розмір)."));
        return size == ~0ULL ? out : out.left(static_cast<qsizetype>(size));
    }

    QByteArray readMini(quint32 start, quint64 size) const {
        QByteArray out;
        quint32 s = start;
        for (quint32 guard = 0; s != kEndOfChain && static_cast<quint64>(out.size()) < size;
             ++guard) {
            if (guard > m_miniFat.size() || s >= m_miniFat.size() ||
                static_cast<qsizetype>(s + 1) * 64 > m_miniStream.size())
                throw OfficeError(QStringLiteral("Файл .xls пошкоджено (малий потік)."));
            out += m_miniStream.mid(static_cast<qsizetype>(s) * 64, 64);
            s = m_miniFat[s];
        }
        if (static_cast<quint64>(out.size()) < size)
            throw OfficeError(
                QStringLiteral("Файл .xls пошкоджено (малий потік коротший за розмір)."));
        return out.left(static_cast<qsizetype>(size));
    }

    void readDirectory() {
        const QByteArray dir = readChain(u32(m_data, 0x30), ~0ULL);
        for (qsizetype at = 0; at + 128 <= dir.size(); at += 128) {
            Entry e;
            const int nameBytes = std::min<int>(u16(dir, at + 0x40), 64);
            for (int i = 0; i + 1 < nameBytes; i += 2) {
                const QChar c(u16(dir, at + i));
                if (c.isNull())
                    break;
                e.name += c;
            }
            e.type = quint8(dir[at + 0x42]);
            e.start = u32(dir, at + 0x74);
            e.size = u32(dir, at + 0x78);
            if (m_sectorSize == 4096)
                e.size |= quint64(u32(dir, at + 0x7C)) << 32;
            if (e.size > static_cast<quint64>(m_data.size()) * 2)
                e.size = 0;
            m_entries.push_back(e);
        }
        if (m_entries.empty() || m_entries.front().type != 5)
            throw OfficeError(QStringLiteral("Файл .xls пошкоджено (немає кореневого запису)."));
        const Entry& root = m_entries.front();
        m_miniStream = root.size > 0 ? readChain(root.start, root.size) : QByteArray();
        const quint32 miniFatStart = u32(m_data, 0x3C);
        if (miniFatStart != kEndOfChain && miniFatStart != kFreeSector) {
            const QByteArray miniFat = readChain(miniFatStart, ~0ULL);
            for (qsizetype i = 0; i + 4 <= miniFat.size(); i += 4)
                m_miniFat.push_back(u32(miniFat, i));
        }
    }

    const QByteArray& m_data;
    int m_sectorSize = 512;
    quint32 m_sectorCount = 0;
    quint32 m_miniCutoff = 4096;
    std::vector<quint32> m_fat;
    std::vector<quint32> m_miniFat;
    QByteArray m_miniStream;
    std::vector<Entry> m_entries;
};

/** The string of a STRING record (BIFF8: 16-bit length, flags, 8- or 16-bit characters). */
QString stringRecord(const QByteArray& rec, bool biff8) {
    const int count = u16(rec, 0);
    if (!biff8)
        return QString::fromLatin1(rec.mid(2, count));
    if (rec.size() < 3)
        return QString();
    const bool wide = quint8(rec[2]) & 1;
    QString text;
    for (int i = 0; i < count; ++i) {
        const qsizetype at = 3 + (wide ? i * 2 : i);
        if (at + (wide ? 2 : 1) > rec.size())
            break;
        text += wide ? QChar(u16(rec, at)) : QChar(quint8(rec[at]));
    }
    return text;
}

} // namespace

namespace {

/** Reads across a record and its CONTINUE records, as the shared string table needs. */
class ContinuedReader {
public:
    explicit ContinuedReader(std::vector<QByteArray> segments) : m_segments(std::move(segments)) {}

    bool atEnd() {
        settle();
        return m_segment >= m_segments.size();
    }
    quint8 byte() {
        settle();
        if (m_segment >= m_segments.size())
            throw OfficeError(QStringLiteral("Файл .xls пошкоджено (таблиця рядків обірвана)."));
        return quint8(m_segments[m_segment][m_at++]);
    }
    quint16 word() { return quint16(byte() | (quint16(byte()) << 8)); }
    quint32 dword() { return quint32(word()) | (quint32(word()) << 16); }
    void skip(quint64 count) {
        while (count > 0) {
            settle();
            if (m_segment >= m_segments.size())
                throw OfficeError(
                    QStringLiteral("Файл .xls пошкоджено (таблиця рядків обірвана)."));
            const quint64 here = quint64(m_segments[m_segment].size() - m_at);
            const quint64 step = std::min(here, count);
            m_at += static_cast<qsizetype>(step);
            count -= step;
        }
    }
    /** Characters of a string; a CONTINUE inside them starts with a new width flag. */
    QString chars(int count, bool wide) {
        QString text;
        text.reserve(count);
        for (int i = 0; i < count; ++i) {
            if (m_at >= m_segments[m_segment].size()) {
                settle();
                wide = byte() & 1;
            }
            text += wide ? QChar(word()) : QChar(byte());
        }
        return text;
    }

private:
    void settle() {
        while (m_segment < m_segments.size() && m_at >= m_segments[m_segment].size()) {
            ++m_segment;
            m_at = 0;
        }
    }
    std::vector<QByteArray> m_segments;
    size_t m_segment = 0;
    qsizetype m_at = 0;
};

std::vector<QString> readSharedStrings(std::vector<QByteArray> segments) {
    ContinuedReader in(std::move(segments));
    std::vector<QString> strings;
    in.dword();
    const quint32 unique = in.dword();
    for (quint32 i = 0; i < unique && !in.atEnd(); ++i) {
        const int count = in.word();
        const quint8 flags = in.byte();
        const int runs = (flags & 0x08) ? in.word() : 0;
        const quint32 extra = (flags & 0x04) ? in.dword() : 0;
        strings.push_back(in.chars(count, flags & 1));
        in.skip(quint64(runs) * 4 + extra);
    }
    return strings;
}

double rkValue(quint32 rk) {
    double value = 0;
    if (rk & 2) {
        value = static_cast<double>(static_cast<qint32>(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 1) ? value / 100 : value;
}

void setNumber(SheetCells& cells, int row, int column, double value) {
    if (std::isfinite(value))
        cells.set(row, column, ShortestNumberText(value));
}

/** The BIFF version of a workbook stream: 8 for Excel 97-2003, 5 and lower for older ones. */
int biffVersion(const QByteArray& book) {
    if (book.size() < 8 || (u16(book, 0) & 0x00FF) != 0x09)
        throw OfficeError(QStringLiteral("Файл .xls пошкоджено (немає початку книги)."));
    return u16(book, 4) == 0x0600 ? 8 : 5;
}

/**
 * Scans the records of the first worksheet. With `allCells`, every value (BIFF8 only);
 * otherwise only the results kept for formula cells.
 */
SheetCells scanFirstSheet(const QByteArray& book, bool allCells) {
    const bool biff8 = biffVersion(book) == 8;
    SheetCells cells;
    qsizetype sheetAt = -1;
    std::vector<QString> sst;
    for (qsizetype at = 0; at + 4 <= book.size();) {
        const quint16 type = u16(book, at);
        const quint16 length = u16(book, at + 2);
        const qsizetype data = at + 4;
        if (data + length > book.size())
            throw OfficeError(QStringLiteral("Файл .xls пошкоджено (запис за межами потоку)."));
        if (type == 0x002F)
            throw OfficeError(QStringLiteral("Книгу захищено паролем; її неможливо прочитати."));
        if (type == 0x0085 && length >= 6 && sheetAt < 0 && quint8(book[data + 5]) == 0)
            sheetAt = u32(book, data);
        if (type == 0x00FC && allCells) {
            std::vector<QByteArray> segments{book.mid(data, length)};
            qsizetype next = data + length;
            while (next + 4 <= book.size() && u16(book, next) == 0x003C) {
                const quint16 more = u16(book, next + 2);
                segments.push_back(book.mid(next + 4, more));
                next += 4 + more;
            }
            sst = readSharedStrings(std::move(segments));
        }
        at = data + length;
        if (type == 0x000A)
            break;
    }
    if (sheetAt < 0 || sheetAt >= book.size())
        throw OfficeError(QStringLiteral("Помилка пошуку аркуша."));
    bool pendingString = false;
    int pendingRow = 0, pendingColumn = 0;
    for (qsizetype at = sheetAt; at + 4 <= book.size();) {
        const quint16 type = u16(book, at);
        const quint16 length = u16(book, at + 2);
        const QByteArray rec = book.mid(at + 4, length);
        const bool first = at == sheetAt;
        at += 4 + length;
        if (type == 0x000A || (!first && (type & 0x00FF) == 0x09 && (type >> 8) <= 8))
            break; // the sheet's end, or the start of the next one
        if (type == 0x0207 && pendingString) {
            cells.set(pendingRow, pendingColumn, stringRecord(rec, biff8));
            pendingString = false;
            continue;
        }
        pendingString = false;
        if (rec.size() < 6)
            continue;
        const int row = u16(rec, 0) + 1;
        const int column = u16(rec, 2) + 1;
        switch (type) {
        case 0x0006: { // FORMULA: its result
            if (rec.size() < 14)
                break;
            if (quint8(rec[12]) == 0xFF && quint8(rec[13]) == 0xFF) {
                if (quint8(rec[6]) == 0) {
                    pendingString = true;
                    pendingRow = row;
                    pendingColumn = column;
                } else if (quint8(rec[6]) == 1) {
                    cells.set(row, column,
                              quint8(rec[8]) ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
                }
                break;
            }
            double value = 0;
            std::memcpy(&value, rec.constData() + 6, sizeof value);
            setNumber(cells, row, column, value);
            break;
        }
        default:
            break;
        }
        if (!allCells)
            continue;
        switch (type) {
        case 0x0203: // NUMBER
            if (rec.size() >= 14) {
                double value = 0;
                std::memcpy(&value, rec.constData() + 6, sizeof value);
                setNumber(cells, row, column, value);
            }
            break;
        case 0x027E: // RK
            if (rec.size() >= 10)
                setNumber(cells, row, column, rkValue(u32(rec, 6)));
            break;
        case 0x00BD: // MULRK: several RK values in one row
            for (qsizetype i = 4, c = column; i + 6 <= rec.size() - 2; i += 6, ++c)
                setNumber(cells, row, static_cast<int>(c), rkValue(u32(rec, i + 2)));
            break;
        case 0x00FD: // LABELSST
            if (rec.size() >= 10) {
                const quint32 index = u32(rec, 6);
                if (index < sst.size())
                    cells.set(row, column, sst[index]);
            }
            break;
        case 0x0204: // LABEL
            cells.set(row, column, stringRecord(rec.mid(6), biff8));
            break;
        case 0x0205: // BOOLERR: booleans only
            if (rec.size() >= 8 && quint8(rec[7]) == 0)
                cells.set(row, column,
                          quint8(rec[6]) ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
            break;
        default:
            break;
        }
    }
    return cells;
}

QByteArray workbookStream(const QByteArray& file) {
    const CompoundFile cf(file);
    QByteArray book = cf.stream({QStringLiteral("Workbook"), QStringLiteral("Book")});
    if (book.isEmpty())
        throw OfficeError(QStringLiteral("У файлі .xls немає потоку книги."));
    return book;
}

} // namespace

SheetCells ReadXlsFormulaResults(const QByteArray& file) {
    return scanFirstSheet(workbookStream(file), false);
}

SheetCells ReadXlsCells(const QByteArray& file) {
    const QByteArray book = workbookStream(file);
    if (biffVersion(book) != 8)
        throw OfficeError(QStringLiteral("Книгу збережено у форматі, старішому за Excel 97."));
    return scanFirstSheet(book, true);
}

namespace {

struct FreexlHandle {
    const void* handle = nullptr;
    ~FreexlHandle() {
        if (handle)
            freexl_close(handle);
    }
};

} // namespace

namespace {

QByteArray readXlsBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw OfficeError(QStringLiteral("Файл \"%1\" неможливо відкрити: %2.")
                              .arg(path, UkrainianEngineMessage(file.errorString())));
    if (file.size() > 200LL * 1024 * 1024)
        throw OfficeError(QStringLiteral("Файл \"%1\" завеликий для відомості.").arg(path));
    return file.readAll();
}

} // namespace

SheetCells ReadXlsFirstSheet(const QString& path) {
    // Excel 97-2003 books are read by our own scanner (fuzzed; freexl 1.0.6 overflows its
    // buffers on some damaged files). Older books go to freexl once our scanner has found
    // the container and the sheet sound.
    const QByteArray book = workbookStream(readXlsBytes(path));
    if (biffVersion(book) == 8)
        return scanFirstSheet(book, true);
    return ReadXlsWithFreexl(path);
}

SheetCells ReadXlsWithFreexl(const QString& path) {
    const SheetCells formulas = scanFirstSheet(workbookStream(readXlsBytes(path)), false);

    FreexlHandle xls;
    const int opened = freexl_open(QFile::encodeName(path).constData(), &xls.handle);
    if (opened != FREEXL_OK)
        throw OfficeError(QStringLiteral("Файл \"%1\" не є книгою Excel 97-2003 (код freexl %2).")
                              .arg(path)
                              .arg(opened));
    unsigned int count = 0;
    if (freexl_get_info(xls.handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK || count == 0)
        throw OfficeError(QStringLiteral("У книзі \"%1\" немає аркушів.").arg(path));
    unsigned int password = 0;
    if (freexl_get_info(xls.handle, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK &&
        password == FREEXL_BIFF_OBFUSCATED)
        throw OfficeError(QStringLiteral("Книгу \"%1\" захищено паролем.").arg(path));
    if (freexl_select_active_worksheet(xls.handle, 0) != FREEXL_OK)
        throw OfficeError(QStringLiteral("Помилка пошуку аркуша."));
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_worksheet_dimensions(xls.handle, &rows, &columns) != FREEXL_OK)
        throw OfficeError(QStringLiteral("Розміри аркуша книги \"%1\" не прочитано.").arg(path));
    SheetCells cells;
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue value;
            if (freexl_get_cell_value(xls.handle, r, c, &value) != FREEXL_OK)
                continue;
            const int row = static_cast<int>(r) + 1;
            const int column = c + 1;
            switch (value.type) {
            case FREEXL_CELL_INT:
                cells.set(row, column, QString::number(value.value.int_value));
                break;
            case FREEXL_CELL_DOUBLE:
                cells.set(row, column,
                          std::isfinite(value.value.double_value)
                              ? ShortestNumberText(value.value.double_value)
                              : QString());
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                cells.set(row, column, QString::fromUtf8(value.value.text_value));
                break;
            default:
                if (QString f = formulas.text(row, column); !f.isEmpty())
                    cells.set(row, column, f);
                break;
            }
        }
    }
    return cells;
}
