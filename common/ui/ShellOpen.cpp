#include "common/ui/ShellOpen.h"

#include "common/Messages.h"
#include "common/Shell.h"

namespace {

const QString Caption = QStringLiteral("Запуск");

} // namespace

int ShellOpen(const QString& path) {
    QString error;
    const int code = ShellOpenQuiet(path, &error);
    ShowError(Caption, error);
    return code;
}

void ShowShellErrors(const QStringList& errors) {
    for (const QString& error : errors)
        ShowError(Caption, error);
}
