// Feeds arbitrary bytes to our compound-file and formula-result scanner, then to freexl.
#include "office/OfficeError.h"
#include "office/XlsReader.h"

#include <QTemporaryFile>
#include <cstdint>

// freexl 1.0.6 keeps a buffer of every workbook it opened; that leak is the library's.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfreexl.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        ReadXlsFormulaResults(bytes);
    } catch (const OfficeError&) {
        return 0;
    }
    // Only what our scanner accepts reaches freexl, as in the program.
    QTemporaryFile file;
    if (!file.open())
        return 0;
    file.write(bytes);
    file.close();
    try {
        ReadXlsFirstSheet(file.fileName());
    } catch (const OfficeError&) {
    }
    return 0;
}
