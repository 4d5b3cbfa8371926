#include "catalogue/core/CatalogueOpen.h"

#include "catalogue/core/CataloguePaths.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "common/LastError.h"
#include "common/Messages.h"
#include "db/Backup.h"
#include "db/Databases.h"
#include "db/QueryFunctions.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace catalogue {

namespace {

/** The catalogues copied in this run (a copy once per start). */
QSet<QString>& CopiedThisRun() {
    static QSet<QString> copied;
    return copied;
}

/** "" when the whole database reads back sound, else the reason. */
QString SoundnessProblem(Connection& connection) {
    Query q(&connection);
    if (!RunQuery(q, QStringLiteral("PRAGMA quick_check"), true))
        return connection.isOpen() ? q.error() : connection.errorText();
    if (q.eof() || q.text(0) != QLatin1String("ok"))
        return q.text(0).simplified();
    q.close();
    if (!TableExists(connection, QStringLiteral("projects")))
        return QStringLiteral("у базі немає таблиці \"projects\".");
    return QString();
}

/** The newest automatic copy that opens and reads back sound; "" when there is none. */
QString LatestGoodCopy() {
    const QStringList copies = backup::RollingCopies(backup::CatalogueCopiesFolder());
    for (auto it = copies.crbegin(); it != copies.crend(); ++it) {
        Connection c;
        if (c.open(*it) && SoundnessProblem(c).isEmpty())
            return *it;
    }
    return QString();
}

/** Where a damaged catalogue is kept when a copy takes its place. */
QString DamagedKeepPath() {
    const QString path =
        JoinPath(GlobalVar().Settings.AppDir, QStringLiteral("baza пошкоджена.sqlite"));
    return QFileInfo::exists(path) ? UniqueFileName(path, QStringLiteral(" ")) : path;
}

/** Puts the copy in place of the catalogue, keeping the damaged file; "" or the reason. */
QString PutCopyInPlace(const QString& copy, const QString& keepDamagedAs) {
    const QString path = CataloguePath();
    Db().main.close();
    const bool hadFile = QFileInfo::exists(path);
    if (hadFile && !QFile::rename(path, keepDamagedAs))
        return QStringLiteral("не вдається перейменувати \"%1\".")
            .arg(QDir::toNativeSeparators(path));
    if (!QFile::copy(copy, path)) {
        if (hadFile)
            QFile::rename(keepDamagedAs, path);
        return QStringLiteral("не вдається скопіювати \"%1\".").arg(QDir::toNativeSeparators(copy));
    }
    QFile(path).setPermissions(QFile(path).permissions() | QFile::WriteOwner | QFile::ReadOwner);
    return QString();
}

/** The run's copy and the one-time change of the paths, after a sound opening. */
void AfterOpened() {
    const QString path = CataloguePath();
    if (!CopiedThisRun().contains(path) && !backup::CatalogueCopiesFolder().isEmpty()) {
        backup::MakeAutomaticCopy(Db().main, backup::CatalogueCopiesFolder());
        CopiedThisRun().insert(path);
    }
    // A catalogue that cannot be changed keeps its full paths, which still resolve.
    ConvertCataloguePaths(Db().main);
}

} // namespace

QString CataloguePath() {
    return JoinPath(GlobalVar().Settings.AppDir, CatalogueFileName());
}

bool OfferCatalogueCopy(const QString& reason) {
    const QString path = CataloguePath();
    QString text = QStringLiteral("Каталог проектів \"") + QDir::toNativeSeparators(path) +
                   QStringLiteral("\" не вдається прочитати.\rПомилка: ") + reason.trimmed();
    const QString copy = LatestGoodCopy();
    if (copy.isEmpty()) {
        ShowError(text);
        return false;
    }
    const QString keep = DamagedKeepPath();
    text += QStringLiteral("\r\rВідновити каталог з автоматичної копії від ") +
            QFileInfo(copy).lastModified().toString(QStringLiteral("dd.MM.yyyy HH:mm")) +
            QStringLiteral("?");
    if (QFileInfo::exists(path))
        text += QStringLiteral(" Пошкоджений файл буде збережено як \"") + FileNameOf(keep) +
                QStringLiteral("\".");
    if (AskConfirm(text, Answer::Yes | Answer::No) != Answer::Yes)
        return false;
    if (const QString problem = PutCopyInPlace(copy, keep); !problem.isEmpty()) {
        ShowError(QStringLiteral("Відновлення каталогу проектів.\rПомилка: ") + problem);
        return false;
    }
    return true;
}

bool OpenCatalogue() {
    Connection& main = Db().main;
    if (main.isOpen()) {
        // Opened elsewhere first: the run's copy and the change of the paths still happen.
        AfterOpened();
        return true;
    }
    const QString path = CataloguePath();
    for (int attempt = 0; attempt < 2; ++attempt) {
        QString problem;
        if (!main.open(path)) {
            problem = main.errorText();
            // A file that was never read (a path too long, no access) is not damaged: no copy
            // takes its place.
            if (main.openFailure() == OpenFailure::PathTooLong ||
                main.openFailure() == OpenFailure::Other) {
                ShowError(QStringLiteral("Каталог проектів \"") + QDir::toNativeSeparators(path) +
                          QStringLiteral("\" не вдається відкрити.\rПомилка: ") + problem);
                return false;
            }
        } else {
            problem = SoundnessProblem(main);
        }
        if (problem.isEmpty()) {
            AfterOpened();
            return true;
        }
        main.close();
        if (attempt > 0 || !OfferCatalogueCopy(problem)) {
            if (attempt > 0)
                ShowError(QStringLiteral("Каталог проектів \"") + QDir::toNativeSeparators(path) +
                          QStringLiteral("\" не вдається прочитати.\rПомилка: ") + problem);
            return false;
        }
    }
    return false;
}

} // namespace catalogue
