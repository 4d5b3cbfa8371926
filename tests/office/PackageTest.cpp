#include "office/Package.h"
#include "OfficeTestUtil.h"
#include "office/CustomProperties.h"
#include "office/Document.h"
#include "office/OfficeError.h"
#include "office/Workbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

/** Sets every declared uncompressed size of a zip to `size` (a bomb that lies cheaply). */
QByteArray withDeclaredSizes(QByteArray zip, quint32 size) {
    auto put32 = [&zip](qsizetype at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            zip[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    for (qsizetype at = zip.indexOf("PK\x03\x04"); at >= 0; at = zip.indexOf("PK\x03\x04", at + 4))
        put32(at + 22, size);
    for (qsizetype at = zip.indexOf("PK\x01\x02"); at >= 0; at = zip.indexOf("PK\x01\x02", at + 4))
        put32(at + 24, size);
    return zip;
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString messageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const OfficeError& e) {
        return e.message();
    }
    return QString();
}

TEST(PackageTest, ResolvesRelationshipTargets) {
    EXPECT_EQ(ResolvePartName(QStringLiteral("word/document.xml"), QStringLiteral("styles.xml")),
              QStringLiteral("word/styles.xml"));
    EXPECT_EQ(ResolvePartName(QStringLiteral("xl/workbook.xml"),
                              QStringLiteral("/xl/worksheets/sheet1.xml")),
              QStringLiteral("xl/worksheets/sheet1.xml"));
    EXPECT_EQ(ResolvePartName(QStringLiteral("xl/worksheets/sheet1.xml"),
                              QStringLiteral("../media/a.png")),
              QStringLiteral("xl/media/a.png"));
    EXPECT_EQ(OoxmlPackage::relsName(QStringLiteral("word/document.xml")),
              QStringLiteral("word/_rels/document.xml.rels"));
}

TEST(PackageTest, RefusesWhatIsNotAPackage) {
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("a.dotx"));
    WriteBytes(text, "hello");
    EXPECT_TRUE(messageOf([&] { WordDocument::open(text); }).contains(QStringLiteral("zip")));
    EXPECT_TRUE(messageOf([&] {
                    WordDocument::open(dir.filePath(QStringLiteral("none.dotx")));
                }).contains(QStringLiteral("не існує")));

    OoxmlPackage empty;
    empty.setPartData(QStringLiteral("readme.txt"), "x");
    const QString noTypes = dir.filePath(QStringLiteral("b.docx"));
    empty.save(noTypes);
    EXPECT_TRUE(messageOf([&] {
                    WordDocument::open(noTypes);
                }).contains(QStringLiteral("[Content_Types].xml")));

    // A workbook is not a document, and a document is not a workbook.
    const QString book =
        PackTemplate(QStringLiteral("book"), dir.filePath(QStringLiteral("c.xltx")));
    EXPECT_TRUE(messageOf([&] { WordDocument::open(book); }).contains(QStringLiteral("Word")));
    const QString doc =
        PackTemplate(QStringLiteral("report"), dir.filePath(QStringLiteral("d.dotx")));
    EXPECT_TRUE(messageOf([&] { Workbook::open(doc); }).contains(QStringLiteral("Excel")));
}

TEST(PackageTest, MalformedXmlAndMissingPartsAreErrors) {
    QTemporaryDir dir;
    OoxmlPackage package;
    package.load(PackTemplate(QStringLiteral("report"), dir.filePath(QStringLiteral("r.dotx"))));
    QByteArray xml = package.partData(QStringLiteral("word/document.xml"));
    package.setPartData(QStringLiteral("word/document.xml"), xml.left(xml.size() / 2));
    EXPECT_TRUE(messageOf([&] {
                    WordDocument::openFromMemory(package.saveToMemory());
                }).contains(QStringLiteral("word/document.xml")));
    package.removePart(QStringLiteral("word/document.xml"));
    EXPECT_FALSE(
        messageOf([&] { WordDocument::openFromMemory(package.saveToMemory()); }).isEmpty());

    OoxmlPackage book;
    book.load(PackTemplate(QStringLiteral("book"), dir.filePath(QStringLiteral("b.xltx"))));
    book.setPartData(QStringLiteral("xl/worksheets/sheet1.xml"),
                     "<worksheet><sheetData><row r=\"5\"/><row r=\"2\"/></sheetData></worksheet>");
    auto wb = Workbook::openFromMemory(book.saveToMemory());
    EXPECT_TRUE(messageOf([&] { wb->worksheet(1); }).contains(QStringLiteral("Рядки")));
}

TEST(PackageTest, ZipBombIsRefusedBeforeUnpacking) {
    QTemporaryDir dir;
    OoxmlPackage package;
    package.load(PackTemplate(QStringLiteral("report"), dir.filePath(QStringLiteral("r.dotx"))));
    const QByteArray bomb = withDeclaredSizes(package.saveToMemory(), 150u * 1024 * 1024);
    const QString message = messageOf([&] { WordDocument::openFromMemory(bomb); });
    EXPECT_TRUE(message.contains(QStringLiteral("200 МБ"))) << message.toStdString();

    // The same limit, smaller, on a real package: refused as a whole.
    PackageLimits tiny;
    tiny.maxTotalBytes = 1000;
    const QString path = dir.filePath(QStringLiteral("r2.dotx"));
    package.save(path);
    EXPECT_THROW(WordDocument::open(path, tiny), OfficeError);
}

TEST(PackageTest, PartsWrittenOneByOneAndAFailedPartKeepsTheOldFile) {
    QTemporaryDir dir;
    OoxmlPackage package;
    package.load(PackTemplate(QStringLiteral("report"), dir.filePath(QStringLiteral("r.dotx"))));
    const QString part = QStringLiteral("word/document.xml");
    int written = 0;
    package.setPartWriter(part, [&written](pugi::xml_writer& out) {
        ++written;
        const char text[] = "<w:document xmlns:w=\"urn:w\"><w:body/></w:document>";
        out.write(text, sizeof text - 1);
    });
    const QString path = dir.filePath(QStringLiteral("out.docx"));
    package.save(path);
    EXPECT_EQ(written, 1); // asked for its size and read once, never serialised twice
    EXPECT_TRUE(
        PartOf(path, part).endsWith("<w:document xmlns:w=\"urn:w\"><w:body/></w:document>"));
    EXPECT_EQ(PartOf(path, QStringLiteral("[Content_Types].xml")),
              package.partData(QStringLiteral("[Content_Types].xml")));

    // A part that fails while it is written: the save fails with its text, the file stays.
    package.setPartWriter(part,
                          [](pugi::xml_writer&) { throw OfficeError(QStringLiteral("збій")); });
    const QString message = messageOf([&] { package.save(path); });
    EXPECT_TRUE(message.contains(QStringLiteral("збій"))) << message.toStdString();
    EXPECT_TRUE(PartOf(path, part).contains("urn:w"));
    EXPECT_TRUE(
        QDir(dir.path()).entryList({QStringLiteral(".~*")}, QDir::Files | QDir::Hidden).isEmpty());
    // Replacing the part's data drops its writer.
    package.setPartData(part, "<w:document xmlns:w=\"urn:x\"><w:body/></w:document>");
    package.save(path);
    EXPECT_TRUE(PartOf(path, part).contains("urn:x"));

    // What a killed save of this file left (ours and libzip's temporary files) goes with the
    // next save of it; another file's stay.
    const QStringList killed{QStringLiteral(".~out.docx.Ab12Cd"),
                             QStringLiteral(".~out.docx.Ab12Cd.x9Y8z7")};
    const QStringList others{QStringLiteral(".~other.docx.Ab12Cd"),
                             QStringLiteral(".~out.docx.old-1")};
    for (const QString& name : killed + others)
        WriteBytes(dir.filePath(name), "PK");
    package.save(path);
    EXPECT_EQ(
        QDir(dir.path()).entryList({QStringLiteral(".~*")}, QDir::Files | QDir::Hidden, QDir::Name),
        others);
}

TEST(PackageTest, PackFolderNeedsContentTypes) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("src/word"));
    WriteBytes(dir.filePath(QStringLiteral("src/word/document.xml")), "<a/>");
    EXPECT_THROW(
        PackFolder(dir.filePath(QStringLiteral("src")), dir.filePath(QStringLiteral("x.docx"))),
        OfficeError);
    EXPECT_THROW(
        PackFolder(dir.filePath(QStringLiteral("none")), dir.filePath(QStringLiteral("x.docx"))),
        OfficeError);
}

} // namespace

TEST(PackageTest, CustomPropertiesAreAddedReplacedAndReadBack) {
    QTemporaryDir dir;
    const QString templatePath =
        PackTemplate(QStringLiteral("report"), dir.filePath(QStringLiteral("t.dotx")));
    const QString out = dir.filePath(QStringLiteral("звіт.docx"));
    {
        auto doc = WordDocument::open(templatePath);
        doc->setCustomProperty(QStringLiteral("TamberonDataStamp"), QStringLiteral("перший"));
        doc->setCustomProperty(QStringLiteral("Інша"), QStringLiteral("x"));
        doc->setCustomProperty(QStringLiteral("TamberonDataStamp"), QStringLiteral("abc123"));
        doc->saveAs(out);
    }
    QString value;
    ASSERT_TRUE(office::ReadCustomProperty(out, QStringLiteral("TamberonDataStamp"), value));
    EXPECT_EQ(value, QStringLiteral("abc123"));
    ASSERT_TRUE(office::ReadCustomProperty(out, QStringLiteral("Інша"), value));
    EXPECT_EQ(value, QStringLiteral("x"));
    ASSERT_TRUE(office::ReadCustomProperty(out, QStringLiteral("немає"), value));
    EXPECT_TRUE(value.isEmpty());
    // Declared as Word and Excel look for it: one part, its type, one root relationship.
    const QByteArray part = PartOf(out, QStringLiteral("docProps/custom.xml"));
    EXPECT_EQ(part.count("<property "), 2);
    EXPECT_TRUE(part.contains("pid=\"2\"") && part.contains("pid=\"3\""));
    EXPECT_TRUE(PartOf(out, QStringLiteral("[Content_Types].xml"))
                    .contains("/docProps/custom.xml\" ContentType=\"application/"
                              "vnd.openxmlformats-officedocument.custom-properties+xml\""));
    EXPECT_EQ(PartOf(out, QStringLiteral("_rels/.rels")).count("relationships/custom-properties"),
              1);
    // A file that is no package says why.
    WriteBytes(dir.filePath(QStringLiteral("ні.docx")), QByteArray("не zip"));
    QString error;
    EXPECT_FALSE(office::ReadCustomProperty(dir.filePath(QStringLiteral("ні.docx")),
                                            QStringLiteral("TamberonDataStamp"), value, &error));
    EXPECT_FALSE(error.isEmpty());
}

// A package written aside is a whole hidden file that only its commit puts in place: dropped,
// it goes and the old file stays; a commit that cannot rename fails with the save's text.
TEST(PackageTest, ASaveWrittenAsideIsPutInPlaceOnlyByItsCommit) {
    QTemporaryDir dir;
    OoxmlPackage package;
    package.load(PackTemplate(QStringLiteral("report"), dir.filePath(QStringLiteral("r.dotx"))));
    const QString path = dir.filePath(QStringLiteral("out.docx"));
    const auto hidden = [&dir] {
        return QDir(dir.path()).entryList({QStringLiteral(".~*")}, QDir::Files | QDir::Hidden);
    };
    WriteBytes(path, "old");
    {
        PendingSave dropped = package.saveAside(path);
        EXPECT_TRUE(dropped.isPending());
        EXPECT_EQ(hidden().size(), 1);
        PendingSave moved = std::move(dropped);
        EXPECT_FALSE(dropped.isPending());
        EXPECT_EQ(ReadBytes(path), QByteArray("old"));
    }
    EXPECT_TRUE(hidden().isEmpty());
    EXPECT_EQ(ReadBytes(path), QByteArray("old"));

    PendingSave pending = package.saveAside(path);
    pending.commit();
    EXPECT_FALSE(pending.isPending());
    EXPECT_EQ(PartOf(path, QStringLiteral("[Content_Types].xml")),
              package.partData(QStringLiteral("[Content_Types].xml")));
    EXPECT_TRUE(hidden().isEmpty());

    // A folder where the file should go: the commit fails and leaves nothing hidden.
    const QString blocked = dir.filePath(QStringLiteral("blocked.docx"));
    ASSERT_TRUE(QDir().mkpath(blocked));
    PendingSave refused = package.saveAside(blocked);
    const QString message = messageOf([&] { refused.commit(); });
    EXPECT_TRUE(message.contains(QStringLiteral("не збережено"))) << message.toStdString();
    EXPECT_TRUE(hidden().isEmpty());
    EXPECT_TRUE(QFileInfo(blocked).isDir());
}
