// The program's entry: everything happens in the start-up sequence.
#include "app/ReportCommand.h"
#include "app/Startup.h"

#include <QApplication>

int main(int argc, char** argv) {
    // "tamberon report FOLDER" runs without any window, display or start-up check.
    if (IsReportCommand(argc, argv))
        return ReportCommandMain(argc, argv);
    QApplication app(argc, argv);
    return RunTamberon(app);
}
