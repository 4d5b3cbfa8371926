#include "reports/ui/WordUtils.h"

#include "common/ui/ShellOpen.h"
#include "common/ui/Wait.h"

namespace {

void OpenResult(const QString& path) {
    ShellOpen(path);
}

} // namespace

void RunWordJob(const WordFillProc& fill, const QString& outputPath) {
    TFormWait& wait = FormWait();
    wait.StartJob(TFormWait::WordMode, true, QString());
    wait.setOutputPath(outputPath);
    wait.setJob(
        [fill, &wait](TMessages& messages) { ExecuteWordJob(fill, messages, wait, OpenResult); });
    wait.runModal();
}

void RunExcelJob(const QString& openFile, const ExcelFillProc& fill, const QString& outputPath) {
    OfficeJobParams().OpenFileName = openFile;
    TFormWait& wait = FormWait();
    wait.StartJob(TFormWait::ExcelMode, true, QString());
    wait.setOutputPath(outputPath);
    wait.setJob(
        [fill, &wait](TMessages& messages) { ExecuteExcelJob(fill, messages, wait, OpenResult); });
    wait.runModal();
}
