#include "valuation/StepMarks.h"

#include "db/Database.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace valuation {

namespace {

QString CacheFile(const QString& cacheFolder, const QString& databasePath) {
    const QByteArray id = QCryptographicHash::hash(
        QFileInfo(databasePath).absoluteFilePath().toUtf8(), QCryptographicHash::Md5);
    return QDir(cacheFolder).filePath(QString::fromLatin1(id.toHex()) + QStringLiteral(".txt"));
}

} // namespace

StepMarks MarksOf(const CheckResult& result) {
    StepMarks marks;
    for (const Step step : Steps())
        if (result.isStale(step))
            marks.reasons.insert(static_cast<int>(step), result.reasons(step));
    return marks;
}

QString DatabaseStateKey(const QString& path) {
    QStringList parts;
    for (const QString& file :
         {path, path + QStringLiteral("-journal"), path + QStringLiteral("-wal")}) {
        const QFileInfo info(file);
        parts << (info.exists() ? QString::number(info.size()) + u'@' +
                                      QString::number(info.lastModified().toMSecsSinceEpoch())
                                : QStringLiteral("-"));
    }
    return parts.join(u'|');
}

void RememberStepMarks(Connection& project, const QString& cacheFolder, const StepMarks& marks,
                       const QString& moreStateKey) {
    if (cacheFolder.isEmpty() || !QDir().mkpath(cacheFolder))
        return;
    QSaveFile file(CacheFile(cacheFolder, project.path()));
    if (!file.open(QIODevice::WriteOnly))
        return;
    QTextStream out(&file);
    out << DatabaseStateKey(project.path()) << u'#' << moreStateKey << '\n';
    for (auto it = marks.reasons.cbegin(); it != marks.reasons.cend(); ++it)
        for (const QString& reason : it.value())
            out << it.key() << '\t' << QString(reason).replace(u'\n', u' ') << '\n';
    out.flush();
    file.commit();
}

bool StepMarksOf(Connection& project, const QString& cacheFolder, StepMarks& marks, bool* checked,
                 QString* error, const CheckMore& more) {
    marks = StepMarks{};
    if (checked)
        *checked = false;
    if (!cacheFolder.isEmpty()) {
        QFile file(CacheFile(cacheFolder, project.path()));
        if (file.open(QIODevice::ReadOnly)) {
            QTextStream in(&file);
            if (in.readLine() == DatabaseStateKey(project.path()) + u'#' + more.stateKey) {
                while (!in.atEnd()) {
                    const QString line = in.readLine();
                    const qsizetype tab = line.indexOf(u'\t');
                    if (tab > 0)
                        marks.reasons[line.left(tab).toInt()] << line.mid(tab + 1);
                }
                return true;
            }
        }
    }
    CheckResult result;
    if (!CheckSettlement(project, result, error) || (more.check && !more.check(result, error)))
        return false;
    if (checked)
        *checked = true;
    marks = MarksOf(result);
    RememberStepMarks(project, cacheFolder, marks, more.stateKey);
    return true;
}

} // namespace valuation
