#include "common/ui/QtWaitCursor.h"

#include "common/WaitCursor.h"

#include <QCursor>
#include <QGuiApplication>

void InstallQtWaitCursor() {
    SetWaitCursorHandler([](bool wait) {
        if (wait)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        else
            QGuiApplication::restoreOverrideCursor();
    });
}
