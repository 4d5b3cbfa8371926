// The program's entry: everything happens in the start-up sequence.
#include "app/Startup.h"
#include "commands/CommandLine.h"
#include "common/ProcessMemory.h"
#include "db/Backup.h"

#include <QApplication>

int main(int argc, char** argv) {
    ReturnLargeBlocksWhenFreed();
    // "tamberon report|check|recalc FOLDER", "tamberon layers|value ...", --help, --version and
    // a wrong option need no window, display or start-up check.
    if (const int status = RunConsoleCommand(argc, argv); status >= 0)
        return status;
    QApplication app(argc, argv);
    // The copies a start and the stores make are checked and rotated beside the window.
    backup::SetRotationInBackground(true);
    const int status = RunTamberon(app);
    backup::WaitForRotations();
    return status;
}
