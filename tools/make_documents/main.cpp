// Writes the documents the program ships from their text sources: the report templates, the
// help documents, and the files every new settlement folder starts with.
//
//   make_documents DATA_DIR APP_DIR
//
// DATA_DIR/documents/*.txt are word-processing markup (WordMarkup.h), DATA_DIR/books/*.txt
// workbook layouts (SheetLayout.h), DATA_DIR/settlement the settlement template's map files.

#include "map/TabFile.h"
#include "tools/make_documents/SheetLayout.h"
#include "tools/make_documents/WordMarkup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cstdio>
#include <gdal.h>

namespace {

[[noreturn]] void Fail(const QString& what) {
    std::fprintf(stderr, "make_documents: %s\n", what.toLocal8Bit().constData());
    std::exit(1);
}

QString ReadText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Fail(QStringLiteral("неможливо прочитати %1").arg(path));
    return QString::fromUtf8(file.readAll());
}

void WriteFile(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        Fail(QStringLiteral("неможливо записати %1").arg(path));
}

/** Short names of the catalogue's local factors in factor order. */
QStringList FactorNames(const QString& csv) {
    QStringList names;
    QStringList lines = ReadText(csv).split(u'\n', Qt::SkipEmptyParts);
    if (lines.isEmpty())
        return names;
    const QStringList header = lines.takeFirst().trimmed().split(u';');
    const qsizetype column = header.indexOf(QStringLiteral("назва_коротко"));
    if (column < 0)
        Fail(QStringLiteral("%1: немає стовпця назва_коротко").arg(csv));
    for (const QString& line : lines)
        names << line.trimmed().split(u';').value(column).trimmed();
    return names;
}

void Document(const QString& source, const QString& target, bool asTemplate) {
    WordMarkup markup;
    QString error;
    if (!markup.parse(ReadText(source), &error))
        Fail(source + QStringLiteral(": ") + error);
    WriteFile(target, markup.package(asTemplate, QFileInfo(target).completeBaseName()));
}

void Book(const QString& source, const QString& target, bool asTemplate,
          const QStringList& factors) {
    SheetLayout layout;
    QString error;
    if (!layout.parse(ReadText(source), factors, &error))
        Fail(source + QStringLiteral(": ") + error);
    WriteFile(target, layout.package(asTemplate, QFileInfo(target).completeBaseName()));
}

/** Empty map tables: one line a table, "name field:width ...". */
void MapTables(const QString& source, const QString& folder) {
    for (const QString& raw : ReadText(source).split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u'%'))
            continue;
        const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
        std::vector<FieldDef> fields;
        for (qsizetype i = 1; i < words.size(); ++i) {
            const QStringList f = words[i].split(u':');
            FieldDef def;
            def.name = f[0];
            def.width = f.value(1, QStringLiteral("50")).toInt();
            fields.push_back(def);
        }
        QString error;
        if (!TabFile::create(QDir(folder).filePath(words[0] + QStringLiteral(".tab")), fields,
                             CoordSys{}, true, QString(), &error))
            Fail(source + QStringLiteral(": ") + error);
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fputs("usage: make_documents DATA_DIR APP_DIR\n", stderr);
        return 2;
    }
    GDALAllRegister();
    const QDir data(args[1]);
    const QDir appDir(args[2]);
    const QString templates = appDir.filePath(QStringLiteral("Шаблон"));
    const QString settlement = QDir(templates).filePath(QStringLiteral("наспункт"));
    auto source = [&data](const QString& relative) { return data.filePath(relative); };
    const QStringList factors = FactorNames(source(QStringLiteral("reference/локальні.csv")));

    Document(source(QStringLiteral("documents/Технічний звіт.txt")),
             QDir(templates).filePath(QStringLiteral("Технічний звіт.dotx")), true);
    Document(source(QStringLiteral("documents/Витяг.txt")),
             QDir(templates).filePath(QStringLiteral("Витяг.dotx")), true);
    Document(source(QStringLiteral("documents/руководство.txt")),
             appDir.filePath(QStringLiteral("руководство.docx")), false);
    Document(source(QStringLiteral("documents/описание.txt")),
             appDir.filePath(QStringLiteral("описание.docx")), false);
    for (const QString& name : {QStringLiteral("Розрахунок грошової оцінки"),
                                QStringLiteral("Розрахунок грошової оцінки з кварталами")})
        Book(source(QStringLiteral("books/") + name + QStringLiteral(".txt")),
             QDir(templates).filePath(name + QStringLiteral(".xltx")), true, factors);
    Book(source(QStringLiteral("books/Склад земель.txt")),
         QDir(settlement).filePath(QStringLiteral("Склад земель.xlsx")), false, factors);
    MapTables(source(QStringLiteral("settlement/шари.txt")), settlement);
    WriteFile(QDir(settlement).filePath(QStringLiteral("карта.gwp")),
              ReadText(source(QStringLiteral("settlement/карта.gwp"))).toUtf8());
    return 0;
}
