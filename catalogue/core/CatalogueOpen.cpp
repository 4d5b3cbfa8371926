#include "catalogue/core/CatalogueOpen.h"

#include "catalogue/core/CataloguePaths.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "common/LastError.h"
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
QString PutCopyInPlace(Connection& catalogue, const QString& copy, const QString& keepDamagedAs) {
    const QString path = CataloguePath();
    catalogue.close();
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
    // The copy's record of itself is no part of the catalogue.
    Connection restored;
    if (restored.open(path))
        backup::ForgetCopyRecord(restored);
    return QString();
}

/** The run's copy and the one-time change of the paths, after a sound opening. */
void AfterOpened(Connection& catalogue) {
    const QString path = CataloguePath();
    if (!CopiedThisRun().contains(path) && !backup::CatalogueCopiesFolder().isEmpty()) {
        backup::MakeAutomaticCopy(catalogue, backup::CatalogueCopiesFolder());
        CopiedThisRun().insert(path);
    }
    // A catalogue that cannot be changed keeps its full paths, which still resolve.
    ConvertCataloguePaths(catalogue);
}

} // namespace

QString CataloguePath() {
    return JoinPath(GlobalVar().Settings.AppDir, CatalogueFileName());
}

QString UnreadableCatalogueText(const QString& path, const QString& reason) {
    return QStringLiteral("Каталог проектів \"") + QDir::toNativeSeparators(path) +
           QStringLiteral("\" не вдається прочитати.\rПомилка: ") + reason;
}

bool OfferCatalogueCopy(const CatalogueContext& context, const QString& reason, QString* error) {
    const QString path = CataloguePath();
    RestoreOffer offer{UnreadableCatalogueText(path, reason.trimmed()), {}, {}};
    const QString copy = LatestGoodCopy();
    if (copy.isEmpty())
        return FailWith(error, offer.problem);
    const QString keep = DamagedKeepPath();
    offer.copyTime = QFileInfo(copy).lastModified();
    if (QFileInfo::exists(path))
        offer.keepName = FileNameOf(keep);
    if (!context.ask.restoreCatalogue(offer))
        return false;
    if (const QString problem = PutCopyInPlace(context.db.main, copy, keep); !problem.isEmpty())
        return FailWith(error,
                        QStringLiteral("Відновлення каталогу проектів.\rПомилка: ") + problem);
    return true;
}

bool OpenCatalogue(const CatalogueContext& context, QString* error) {
    Connection& main = context.db.main;
    if (main.isOpen()) {
        // Opened elsewhere first: the run's copy and the change of the paths still happen.
        AfterOpened(main);
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
                main.openFailure() == OpenFailure::Other)
                return FailWith(
                    error, QStringLiteral("Каталог проектів \"") + QDir::toNativeSeparators(path) +
                               QStringLiteral("\" не вдається відкрити.\rПомилка: ") + problem);
        } else {
            problem = SoundnessProblem(main);
        }
        if (problem.isEmpty()) {
            AfterOpened(main);
            return true;
        }
        main.close();
        if (attempt > 0)
            return FailWith(error, UnreadableCatalogueText(path, problem));
        if (!OfferCatalogueCopy(context, problem, error))
            return false;
    }
    return false;
}

} // namespace catalogue
