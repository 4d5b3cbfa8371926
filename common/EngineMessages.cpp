#include "common/EngineMessages.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>
#include <vector>

namespace {

/** Messages with a name in them: the pattern must match the whole part. */
struct Pattern {
    QRegularExpression re;
    QString ukrainian; ///< \1, \2 stand for the captured names
};

const std::vector<Pattern>& Patterns() {
    static const std::vector<Pattern> patterns = [] {
        const std::vector<std::pair<const char*, const char*>> list = {
            // SQLite
            {R"(no such table: (.+))", "немає таблиці \\1"},
            {R"(no such column: (.+))", "немає стовпця \\1"},
            {R"(no such function: (.+))", "немає функції \\1"},
            {R"(table (\S+) has no column named (.+))", "у таблиці \\1 немає стовпця \\2"},
            {R"(table (\S+) already exists)", "таблиця \\1 уже є"},
            {R"(duplicate column name: (.+))", "стовпець \\1 уже є"},
            {R"re(near "(.*)": syntax error)re", "помилка запиту біля \"\\1\""},
            {R"(UNIQUE constraint failed: (.+))", "значення \\1 має бути єдиним у таблиці"},
            {R"(NOT NULL constraint failed: (.+))", "значення \\1 не може бути порожнім"},
            {R"(CHECK constraint failed: (.+))", "не виконано умову перевірки \\1"},
            {R"(CHECK constraint failed in (.+))", "не виконано умову перевірки в таблиці \\1"},
            {R"(NULL value in (.+))", "порожнє значення в \\1"},
            {R"(row (\d+) missing from index (.+))", "рядка \\1 немає в індексі \\2"},
            {R"(non-unique entry in index (.+))", "повторне значення в індексі \\1"},
            {R"(wrong # of entries in index (.+))", "неправильна кількість записів в індексі \\1"},
            {R"(table (\S+) has (\d+) columns but (\d+) values were supplied)",
             "таблиця \\1 має стовпців: \\2, а значень подано: \\3"},
            // GDAL
            {R"(`?(.+?)'? not recognized as (?:a|being in a) supported file format\.?)",
             "формат файлу \\1 не розпізнано"},
            {R"(Unable to open (.+?)\.shx or .+\.SHX\..*)",
             "немає файлу \\1.shx (покажчика форм), без нього шейп-файл не читається"},
            {R"(Unable to open (.+?)\.?)", "не вдалося відкрити \\1"},
            {R"(Failed writing (\d+) bytes? at offset (\d+)\.?)",
             "не вдалося записати \\1 байтів (зміщення \\2)"},
            {R"(Failed to read (\S+) data\.?)", "не вдалося прочитати дані \\1"},
            {R"((?:Cannot|Could not|Failed to) (?:read|open) (?:file )?(.+?)\.?)",
             "не вдалося прочитати \\1"},
        };
        std::vector<Pattern> result;
        for (const auto& [english, ukrainian] : list)
            result.push_back({QRegularExpression(QStringLiteral("^") + QString::fromUtf8(english) +
                                                     QStringLiteral("$"),
                                                 QRegularExpression::CaseInsensitiveOption),
                              QString::fromUtf8(ukrainian)});
        return result;
    }();
    return patterns;
}

/** Whole messages, compared ignoring case and a final point. */
const QHash<QString, QString>& Messages() {
    static const QHash<QString, QString> messages = [] {
        const std::vector<std::pair<const char*, const char*>> list = {
            // SQLite
            {"database is locked", "базу даних заблоковано іншою програмою"},
            {"database table is locked", "таблицю бази даних заблоковано"},
            {"attempt to write a readonly database", "база даних доступна лише для читання"},
            {"unable to open database file", "не вдалося відкрити файл бази даних"},
            {"file is not a database", "файл не є базою даних"},
            {"file is encrypted or is not a database", "файл не є базою даних"},
            {"database disk image is malformed", "файл бази даних пошкоджено"},
            {"disk I/O error", "помилка читання або запису диска"},
            {"database or disk is full", "диск заповнено"},
            {"out of memory", "бракує пам'яті"},
            {"interrupted", "перервано"},
            {"SQL logic error", "помилка в запиті"},
            {"incomplete input", "незавершений запит"},
            {"constraint failed", "порушено обмеження таблиці"},
            {"UNIQUE constraint failed", "значення має бути єдиним у таблиці"},
            {"NOT NULL constraint failed", "значення не може бути порожнім"},
            {"CHECK constraint failed", "не виконано умову перевірки"},
            {"FOREIGN KEY constraint failed", "порушено зв'язок між таблицями"},
            {"cannot start a transaction within a transaction", "транзакцію вже розпочато"},
            {"cannot commit - no transaction is active", "немає розпочатої транзакції"},
            {"cannot rollback - no transaction is active", "немає розпочатої транзакції"},
            {"authorization denied", "доступ заборонено"},
            {"unknown error", "невідома помилка"},
            {"not an error", "без помилки"},
            // libzip
            {"No error", "без помилки"},
            {"Multi-disk zip archives not supported", "багатотомні zip-архіви не підтримуються"},
            {"Renaming temporary file failed", "не вдалося перейменувати тимчасовий файл"},
            {"Closing zip archive failed", "не вдалося закрити zip-архів"},
            {"Seek error", "помилка переходу у файлі"},
            {"Read error", "помилка читання"},
            {"Write error", "помилка запису"},
            {"CRC error", "помилка контрольної суми"},
            {"Containing zip archive was closed", "zip-архів уже закрито"},
            {"No such file", "немає такого файлу"},
            {"File already exists", "файл уже є"},
            {"Can't open file", "не вдалося відкрити файл"},
            {"Failure to create temporary file", "не вдалося створити тимчасовий файл"},
            {"Zlib error", "помилка стиснення"},
            {"Malloc failure", "бракує пам'яті"},
            {"Entry has been changed", "запис архіву змінено"},
            {"Compression method not supported", "спосіб стиснення не підтримується"},
            {"Premature end of file", "файл обірвано"},
            {"Invalid argument", "неправильний аргумент"},
            {"Not a zip archive", "файл не є zip-архівом"},
            {"Internal error", "внутрішня помилка"},
            {"Zip archive inconsistent", "zip-архів пошкоджено"},
            {"Can't remove file", "не вдалося вилучити файл"},
            {"Entry has been deleted", "запис архіву вилучено"},
            {"Encryption method not supported", "спосіб шифрування не підтримується"},
            {"Read-only archive", "архів лише для читання"},
            {"No password provided", "не вказано пароль"},
            {"Wrong password provided", "неправильний пароль"},
            {"Operation not supported", "дія не підтримується"},
            {"Resource still in use", "ресурс ще використовується"},
            {"Tell error", "помилка визначення місця у файлі"},
            {"Compressed data invalid", "стиснені дані пошкоджено"},
            {"Operation cancelled", "дію скасовано"},
            // pugixml
            {"File was not found", "файл не знайдено"},
            {"Error reading from file/stream", "помилка читання файлу"},
            {"Could not allocate memory", "бракує пам'яті"},
            {"Internal error occurred", "внутрішня помилка"},
            {"Could not determine tag type", "не вдалося визначити тип тегу"},
            {"Error parsing document declaration/processing instruction",
             "помилка в оголошенні документа"},
            {"Error parsing comment", "помилка в коментарі"},
            {"Error parsing CDATA section", "помилка в розділі CDATA"},
            {"Error parsing document type declaration", "помилка в оголошенні типу документа"},
            {"Error parsing start element tag", "помилка в початковому тегу"},
            {"Error parsing element attribute", "помилка в атрибуті елемента"},
            {"Error parsing end element tag", "помилка в кінцевому тегу"},
            {"Start-end tags mismatch", "початковий і кінцевий теги не відповідають"},
            {"No document element found", "у документі немає кореневого елемента"},
            // the system (strerror) and Qt's file errors
            {"No such file or directory", "немає такого файлу або папки"},
            {"Permission denied", "доступ заборонено"},
            {"No space left on device", "на диску немає місця"},
            {"File too large", "файл більший, ніж дозволено записати"},
            {"Read-only file system", "файлова система лише для читання"},
            {"Is a directory", "це папка"},
            {"Not a directory", "це не папка"},
            {"File exists", "файл уже є"},
            {"Too many open files", "забагато відкритих файлів"},
            {"Input/output error", "помилка введення-виведення"},
            {"Device or resource busy", "пристрій або ресурс зайнято"},
            {"Operation not permitted", "дію не дозволено"},
            {"Disk quota exceeded", "перевищено квоту диска"},
            {"File name too long", "задовга назва файлу"},
            {"Directory not empty", "папка не порожня"},
            {"Text file busy", "файл зайнято"},
            {"Unknown error", "невідома помилка"},
        };
        QHash<QString, QString> result;
        for (const auto& [english, ukrainian] : list)
            result.insert(QString::fromUtf8(english).toLower(), QString::fromUtf8(ukrainian));
        return result;
    }();
    return messages;
}

QString TranslatePart(const QString& part) {
    const QString text = part.trimmed();
    if (text.isEmpty())
        return part;
    QString key = text.toLower();
    if (key.endsWith(u'.'))
        key.chop(1);
    if (const auto it = Messages().constFind(key); it != Messages().cend())
        return *it;
    for (const Pattern& p : Patterns()) {
        const QRegularExpressionMatch m = p.re.match(text);
        if (!m.hasMatch())
            continue;
        QString result = p.ukrainian;
        for (int i = m.lastCapturedIndex(); i >= 1; --i)
            result.replace(QStringLiteral("\\") + QString::number(i), m.captured(i));
        return result;
    }
    // "Can't open file: Permission denied": each part on its own.
    const qsizetype colon = text.indexOf(QStringLiteral(": "));
    if (colon > 0)
        return TranslatePart(text.left(colon)) + QStringLiteral(": ") +
               TranslatePart(text.mid(colon + 2));
    return part;
}

} // namespace

QString UkrainianEngineMessage(const QString& message) {
    // Line by line: the program appends its own lines ("\rЗапит: ...") to some messages.
    static const QRegularExpression breaks(QStringLiteral("(\r\n|\r|\n)"));
    QString result;
    qsizetype from = 0;
    QRegularExpressionMatchIterator it = breaks.globalMatch(message);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        result += TranslatePart(message.mid(from, m.capturedStart() - from)) + m.captured();
        from = m.capturedEnd();
    }
    return result + TranslatePart(message.mid(from));
}

QString ShortEngineDetail(const QString& message) {
    QString text = message;
    // The statement an engine quotes is never for the valuer's eyes: the message it failed
    // with is what counts ("sqlite3_exec(CREATE TABLE ...) failed: disk I/O error").
    static const QRegularExpression call(
        QStringLiteral("^.*?\\b(?:sqlite3_\\w+|SQL|sqlite)\\b.*?\\bfailed(?: with)?:\\s*"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    text.remove(call);
    static const QRegularExpression statement(
        QStringLiteral("\\b(?:SELECT|INSERT|CREATE|UPDATE|DELETE|PRAGMA|ALTER|DROP|WITH)\\s.*$"),
        QRegularExpression::DotMatchesEverythingOption);
    text.remove(statement);
    text = text.section(u'\n', 0, 0).section(u'\r', 0, 0).simplified();
    while (text.endsWith(u':') || text.endsWith(u'(') || text.endsWith(u','))
        text.chop(1);
    text = UkrainianEngineMessage(text.trimmed());
    // What stays in English is left out: our own sentence names the file and the work.
    static const QRegularExpression cyrillic(QStringLiteral("\\p{Cyrillic}"));
    if (!text.contains(cyrillic))
        return QString();
    if (text.size() > 200)
        text = text.left(199) + QChar(0x2026);
    return text;
}
