#pragma once

#include <QString>
#include <QtGlobal>
#include <cstdio>

namespace bench {

/**
 * Keeps a benchmark's output to its figures: Qt's own notes and warnings (an offscreen
 * window's size hints, a missing runtime folder) are dropped; critical and fatal ones stay.
 */
inline void QuietQt() {
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            fprintf(stderr, "%s\n", qPrintable(text));
    });
}

} // namespace bench
