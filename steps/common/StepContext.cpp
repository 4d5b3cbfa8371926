#include "steps/common/StepContext.h"

#include <QDir>

QString StepContext::file(const QString& name) const {
    return QDir(folder).filePath(name);
}
