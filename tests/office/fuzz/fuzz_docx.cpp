// Feeds arbitrary bytes to the document reader and the document operations.
#include "office/Document.h"
#include "office/OfficeError.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray zip(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        // A zip is read as a package; anything else becomes the body part of a blank document,
        // so that the XML handling is reached without the zip layer in the way.
        std::unique_ptr<WordDocument> doc;
        if (zip.startsWith("PK")) {
            doc = WordDocument::openFromMemory(zip);
        } else {
            auto blank = WordDocument::createBlank();
            blank->package().setPartData(blank->mainPart(), zip);
            doc = WordDocument::openFromMemory(blank->package().saveToMemory());
        }
        // Text over one bookmark may remove others: the index must follow.
        for (const QString& name : doc->bookmarkNames()) {
            if (!doc->hasBookmark(name))
                continue;
            doc->bookmarkText(name);
            doc->setBookmarkText(name, QStringLiteral("Тамберон\rx"));
        }
        const int tables = std::min(doc->tableCount(), 8);
        for (int i = 1; i <= tables; ++i) {
            WordTable t = doc->table(i);
            if (t.rowCount() == 0 || t.rowCount() > 200)
                continue;
            t.columnCount();
            try {
                t.cellText(1, 1);
                t.setCellText(1, 1, QStringLiteral("a\rb"));
                t.setCellBold(1, 1, true);
                doc->selectCell(t, 1, 1);
                doc->insertRowsBelow(2);
                doc->selectTable(t);
                doc->copy();
                doc->paste();
            } catch (const OfficeError&) {
            }
        }
        for (const QString& name : doc->bookmarkNames()) {
            if (doc->hasBookmark(name))
                doc->setBookmarkText(name, QStringLiteral("y"));
        }
        doc->package().saveToMemory();
    } catch (const OfficeError&) {
    }
    return 0;
}
