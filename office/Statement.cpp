#include "office/Statement.h"

#include "office/Workbook.h"

SheetCells ReadStatement(const QString& path) {
    std::unique_ptr<Workbook> book = Workbook::open(path);
    return book->worksheet(1).values();
}
