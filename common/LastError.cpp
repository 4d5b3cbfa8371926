#include "common/LastError.h"

namespace {
QString g_lastError;
} // namespace

QString LastError() {
    return g_lastError;
}
void SetLastError(const QString& text) {
    g_lastError = text;
}
void ClearLastError() {
    g_lastError.clear();
}

bool FailWith(QString* error, const QString& text) {
    if (error)
        *error = text;
    return false;
}
