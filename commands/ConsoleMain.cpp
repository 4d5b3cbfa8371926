// The commands of "tamberon" that need no window, as a program linked without Qt Widgets.
#include "commands/CommandLine.h"
#include "common/ProcessMemory.h"

#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv) {
    ReturnLargeBlocksWhenFreed();
    if (const int status = RunConsoleCommand(argc, argv); status >= 0)
        return status;
    QTextStream(stderr) << QStringLiteral("tamberon_console виконує лише команди без вікон "
                                          "(tamberon --help); програму запускає tamberon.")
                        << Qt::endl;
    return 2;
}
