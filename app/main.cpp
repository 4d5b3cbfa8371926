// The program's entry: everything happens in the start-up sequence.
#include "app/ChainCommand.h"
#include "app/CommandLine.h"
#include "app/LayersCommand.h"
#include "app/ReportCommand.h"
#include "app/Startup.h"
#include "app/ValueCommand.h"

#include <QApplication>

int main(int argc, char** argv) {
    // "tamberon report|check|recalc FOLDER", "tamberon layers ...", "tamberon value ...",
    // --help, --version and a wrong option need no window, display or start-up check.
    if (IsReportCommand(argc, argv))
        return ReportCommandMain(argc, argv);
    if (IsChainCommand(argc, argv))
        return ChainCommandMain(argc, argv);
    if (IsLayersCommand(argc, argv))
        return LayersCommandMain(argc, argv);
    if (IsValueCommand(argc, argv))
        return ValueCommandMain(argc, argv);
    if (const int status = AnswerOnConsole(argc, argv); status >= 0)
        return status;
    QApplication app(argc, argv);
    return RunTamberon(app);
}
