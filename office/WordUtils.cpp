#include "office/WordUtils.h"

#include "common/ui/Wait.h"
#include "db/QueryFunctions.h"

namespace {

/** The program's LastError is cleared when a job starts and takes the job's exception text. */
template <class Run> void withLastError(const Run& run) {
    SetLastError(QString());
    run();
    if (!OfficeLastError().isEmpty())
        SetLastError(OfficeLastError());
}

} // namespace

void RunWordJob(const WordFillProc& fill, const QString& outputPath) {
    TFormWait& wait = FormWait();
    wait.StartJob(TFormWait::WordMode, true, QString());
    wait.setOutputPath(outputPath);
    wait.setJob([fill, &wait](TMessages& messages) {
        withLastError([&] { ExecuteWordJob(fill, messages, wait, true); });
    });
    wait.runModal();
}

void RunExcelJob(const QString& openFile, const ExcelFillProc& fill, const QString& outputPath) {
    OfficeJobParams().OpenFileName = openFile;
    TFormWait& wait = FormWait();
    wait.StartJob(TFormWait::ExcelMode, true, QString());
    wait.setOutputPath(outputPath);
    wait.setJob(
        [fill, &wait](TMessages& messages) { ExecuteExcelJob(fill, messages, wait, true); });
    wait.runModal();
}
