// Labelled "libreoffice" in CTest; skipped where LibreOffice is not installed.
#include "common/FileUtils.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(LibreOfficeShipped, TemplatesHelpAndStatementConvertToPdf) {
    if (Soffice().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    QTemporaryDir dir;
    // LibreOffice converts templates under a document's extension.
    const std::pair<const char*, const char*> files[] = {
        {"Шаблон/Технічний звіт.dotx", "report.docx"},
        {"Шаблон/Розрахунок грошової оцінки.xltx", "district.xlsx"},
        {"Шаблон/Розрахунок грошової оцінки з кварталами.xltx", "quarter.xlsx"},
        {"Шаблон/наспункт/Склад земель.xlsx", "statement.xlsx"},
        {"руководство.docx", "manual.docx"},
        {"описание.docx", "description.docx"}};
    for (const auto& [shipped, copy] : files) {
        const QString source = JoinPath(BuiltAppDir(), QString::fromUtf8(shipped));
        if (!QFileInfo::exists(source))
            GTEST_SKIP() << "not built: " << shipped;
        const QString target = dir.filePath(QString::fromLatin1(copy));
        ASSERT_TRUE(QFile::copy(source, target));
        EXPECT_EQ(ConvertToPdf(target, dir.path()), QString()) << shipped;
        const QFileInfo pdf(dir.filePath(QFileInfo(target).completeBaseName() + ".pdf"));
        EXPECT_GT(pdf.size(), 2000) << shipped;
    }
}

} // namespace
