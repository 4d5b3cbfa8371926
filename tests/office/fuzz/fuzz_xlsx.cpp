// Feeds arbitrary bytes to the workbook reader and the cell operations.
#include "office/OfficeError.h"
#include "office/Workbook.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray zip(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        // A zip is read as a package; anything else becomes the first sheet of a blank book.
        std::unique_ptr<Workbook> book;
        if (zip.startsWith("PK")) {
            book = Workbook::openFromMemory(zip);
        } else {
            auto blank = Workbook::createBlank();
            blank->package().setPartData(QStringLiteral("xl/worksheets/sheet1.xml"), zip);
            book = Workbook::openFromMemory(blank->package().saveToMemory());
        }
        Worksheet& sheet = book->worksheet(1);
        sheet.values();
        sheet.setCellValue(1, 1, QStringLiteral("x & <y>"));
        sheet.setCellValue(3, 2, QStringLiteral("12.50"));
        sheet.setCellValue(3, 3, QStringLiteral("текст"));
        sheet.setCellBold(3, 3, true);
        sheet.cellBold(1, 1);
        sheet.columnWidth(9);
        sheet.setColumnWidth(9, 0);
        sheet.setColumnWidth(10, 12);
        const QByteArray saved = book->package().saveToMemory();
        // What was read and written reads back: the sheet writes well-formed XML.
        try {
            Workbook::openFromMemory(saved)->worksheet(1).values();
        } catch (const OfficeError& e) {
            std::fprintf(stderr, "a saved workbook does not read back: %s\n", e.what());
            std::abort();
        }
    } catch (const OfficeError&) {
    }
    return 0;
}
