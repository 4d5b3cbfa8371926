#include "catalogue/core/ProgramFolder.h"

#include "catalogue/core/CatalogueUpgrade.h"
#include "common/EngineMessages.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "common/LastError.h"
#include "db/Backup.h"
#include "db/Database.h"
#include "db/Databases.h"
#include "valuation/Schema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QTextStream>

namespace catalogue {

namespace {

QString ProjectsFolderName() {
    return QStringLiteral("Проекти");
}

QString SettingsFileName() {
    return QStringLiteral("settings.dat");
}

/** The template database every new settlement starts from; the valuer edits its defaults. */
QString SettlementTemplateDatabase() {
    return QStringLiteral("Шаблон/наспункт/") + DataFileName();
}

/** What the program cannot work without; a folder lacking one of them is made whole again. */
QStringList EssentialFiles() {
    return {CatalogueFileName(), SettingsFileName(), SettlementTemplateDatabase(),
            QStringLiteral("Шаблон/проект/") + DataFileName()};
}

/** What the program folder remembers of the shipped data last put in it. */
struct ShippedRecord {
    bool exists = false;
    /** Names the shipped data: the version and each file's size and time. */
    QString stamp;
    /** Each file as it was shipped, by its path in the folder. */
    QHash<QString, QString> files;
    /** The catalogue's reference tables as they were shipped. */
    TableHashes tables;
};

ShippedRecord ReadRecord(const QString& path) {
    ShippedRecord record;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return record;
    record.exists = true;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList parts = in.readLine().split(u'\t');
        if (parts.size() == 2 && parts[0] == QLatin1String("stamp"))
            record.stamp = parts[1];
        else if (parts.size() == 3 && parts[0] == QLatin1String("file"))
            record.files.insert(parts[2], parts[1]);
        else if (parts.size() == 3 && parts[0] == QLatin1String("table"))
            record.tables.insert(parts[2], parts[1]);
    }
    return record;
}

bool WriteRecord(const QString& path, const ShippedRecord& record, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return FailWith(error, QStringLiteral("Не вдається записати \"%1\": %2")
                                   .arg(QDir::toNativeSeparators(path),
                                        UkrainianEngineMessage(file.errorString())));
    QTextStream out(&file);
    out << "# Дані програми, покладені в цю папку: за ними програма оновлює її. Не змінюйте.\n";
    out << "stamp\t" << record.stamp << '\n';
    QStringList files = record.files.keys();
    files.sort();
    for (const QString& f : files)
        out << "file\t" << record.files.value(f) << '\t' << f << '\n';
    QStringList tables = record.tables.keys();
    tables.sort();
    for (const QString& t : tables)
        out << "table\t" << record.tables.value(t) << '\t' << t << '\n';
    out.flush();
    if (!file.commit())
        return FailWith(error, QStringLiteral("Не вдається записати \"%1\": %2")
                                   .arg(QDir::toNativeSeparators(path),
                                        UkrainianEngineMessage(file.errorString())));
    return true;
}

/** The shipped files by their path inside the shipped folder, the projects left out. */
QStringList ShippedFiles(const QString& shipped) {
    QStringList files;
    const QDir root(shipped);
    QDirIterator it(shipped, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString relative = root.relativeFilePath(it.next());
        if (!relative.startsWith(ProjectsFolderName() + u'/'))
            files << relative;
    }
    files.sort();
    return files;
}

/** Changes whenever the shipped data may have: a version, a file, a size or a time. */
QString ShippedStamp(const QString& shipped, const QStringList& files) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(GlobalVar().AppVersion.toUtf8());
    for (const QString& f : files) {
        const QFileInfo info(JoinPath(shipped, f));
        hash.addData(QStringLiteral("\n%1\t%2\t%3")
                         .arg(f)
                         .arg(info.size())
                         .arg(info.lastModified().toMSecsSinceEpoch())
                         .toUtf8());
    }
    return QString::fromLatin1(hash.result().toHex());
}

QString FileHash(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(&file);
    return QString::fromLatin1(hash.result().toHex());
}

/** Copies a file whole or not at all: a run cut short never leaves half a file. */
bool CopyWhole(const QString& from, const QString& to, QString* error) {
    const auto failed = [&](const QString& reason) {
        return FailWith(
            error, QStringLiteral("Не вдається скопіювати \"%1\" у \"%2\": %3")
                       .arg(QDir::toNativeSeparators(from), QDir::toNativeSeparators(to), reason));
    };
    QDir().mkpath(FolderOf(to));
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return failed(UkrainianEngineMessage(in.errorString()));
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly))
        return failed(UkrainianEngineMessage(out.errorString()));
    QByteArray block;
    while (!(block = in.read(1 << 20)).isEmpty())
        if (out.write(block) != block.size())
            return failed(UkrainianEngineMessage(out.errorString()));
    if (in.error() != QFileDevice::NoError)
        return failed(UkrainianEngineMessage(in.errorString()));
    if (!out.commit())
        return failed(UkrainianEngineMessage(out.errorString()));
    return true;
}

/** Copies a folder's files into another, each one only when missing there. */
bool CopyMissingTree(const QString& from, const QString& to, QString* error) {
    const QDir root(from);
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = JoinPath(to, root.relativeFilePath(source));
        if (!QFileInfo::exists(target) && !CopyWhole(source, target, error))
            return false;
    }
    return true;
}

bool FolderIsEmpty(const QString& folder) {
    return QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

/** How one preparation of the folder went, told to the valuer at its end. */
struct Preparation {
    const ProgramPlace& place;
    const ShippedRecord& before;
    ShippedRecord now;
    QStringList told;
    int replaced = 0;
};

/** A shipped file other than the catalogue and the settings. */
bool PrepareFile(Preparation& p, const QString& file, QString* error) {
    const QString source = JoinPath(p.place.shipped, file);
    const QString target = JoinPath(p.place.folder, file);
    const QString shipped = FileHash(source);
    // What is remembered is what was shipped: the valuer's own version of a file stays the
    // valuer's at every later upgrade.
    p.now.files.insert(file, shipped);
    if (!QFileInfo::exists(target))
        return CopyWhole(source, target, error);
    const QString own = FileHash(target);
    const QString shippedBefore = p.before.files.value(file);
    if (own == shipped || shippedBefore == shipped)
        return true;
    if (!shippedBefore.isEmpty() && own == shippedBefore) {
        ++p.replaced;
        return CopyWhole(source, target, error);
    }
    p.told << QStringLiteral("Файл \"%1\" ви змінювали, тому його залишено; нова версія - \"%2\".")
                  .arg(QDir::toNativeSeparators(file), QDir::toNativeSeparators(source));
    if (file == SettlementTemplateDatabase()) {
        Connection templ;
        QString reason;
        if (!templ.open(target) || !valuation::UpgradeSettlementDatabase(templ, &reason))
            p.told << QStringLiteral("Шаблон населеного пункту \"%1\" не вдалося оновити: %2")
                          .arg(QDir::toNativeSeparators(target),
                               templ.isOpen() ? reason : templ.errorText());
    }
    return true;
}

/** The catalogue: copied when missing, else upgraded in place after an automatic copy. */
bool PrepareCatalogue(Preparation& p, QString* error) {
    const QString source = JoinPath(p.place.shipped, CatalogueFileName());
    const QString target = JoinPath(p.place.folder, CatalogueFileName());
    Connection catalogue;
    if (!QFileInfo::exists(target)) {
        if (!CopyWhole(source, target, error))
            return false;
        if (!catalogue.open(target))
            return FailWith(error,
                            QStringLiteral("Каталог проектів \"%1\" не відкривається: %2")
                                .arg(QDir::toNativeSeparators(target), catalogue.errorText()));
        p.now.tables = ReferenceTableHashes(catalogue);
        return true;
    }
    if (!catalogue.open(target))
        return FailWith(error, QStringLiteral("Каталог проектів \"%1\" не відкривається: %2")
                                   .arg(QDir::toNativeSeparators(target), catalogue.errorText()));
    if (!backup::CatalogueCopiesFolder().isEmpty())
        backup::MakeAutomaticCopy(catalogue, backup::CatalogueCopiesFolder(),
                                  QStringLiteral("Оновлення довідників"));
    CatalogueUpgrade upgrade{p.before.tables, {}};
    if (!UpgradeCatalogue(catalogue, source, upgrade, error))
        return false;
    p.now.tables = upgrade.shipped;
    p.told << upgrade.notes;
    p.replaced += static_cast<int>(upgrade.notes.size());
    return true;
}

bool HasEssentials(const QString& folder) {
    for (const QString& f : EssentialFiles())
        if (!QFileInfo::exists(JoinPath(folder, f)))
            return false;
    return true;
}

} // namespace

QString ShippedRecordName() {
    return QStringLiteral(".shipped");
}

bool PrepareProgramFolder(const ProgramPlace& place, QStringList* notes, QString* error) {
    if (place.shipped.isEmpty())
        return true;
    const QString& folder = place.folder;
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isWritable())
        return FailWith(error, QStringLiteral("Не вдається створити папку програми \"%1\" або "
                                              "писати в неї.")
                                   .arg(QDir::toNativeSeparators(folder)));
    // Two starts at once: the second waits until the first has made the folder.
    QLockFile lock(JoinPath(folder, ShippedRecordName() + QStringLiteral(".lock")));
    if (!lock.tryLock(120000))
        return FailWith(error, QStringLiteral("Папку програми \"%1\" готує інший запуск програми; "
                                              "спробуйте ще раз.")
                                   .arg(QDir::toNativeSeparators(folder)));
    const QString recordPath = JoinPath(folder, ShippedRecordName());
    const ShippedRecord before = ReadRecord(recordPath);
    const QStringList files = ShippedFiles(place.shipped);
    const QString stamp = ShippedStamp(place.shipped, files);
    QDir().mkpath(JoinPath(folder, QStringLiteral("Temp")));
    if (before.exists && before.stamp == stamp && HasEssentials(folder))
        return true;

    Preparation p{place, before, {}, {}, 0};
    p.now.stamp = stamp;
    for (const QString& file : files) {
        if (file == CatalogueFileName())
            continue;
        if (file == SettingsFileName()) {
            // The valuer's settings are never overwritten.
            const QString target = JoinPath(folder, file);
            if (!QFileInfo::exists(target) &&
                !CopyWhole(JoinPath(place.shipped, file), target, error))
                return false;
            continue;
        }
        if (!PrepareFile(p, file, error))
            return false;
    }
    if (files.contains(CatalogueFileName()) && !PrepareCatalogue(p, error))
        return false;
    // The demonstration project comes once, into a folder that has no projects yet.
    const QString projects = JoinPath(folder, ProjectsFolderName());
    const QString shippedProjects = JoinPath(place.shipped, ProjectsFolderName());
    if (!before.exists && QFileInfo(shippedProjects).isDir() && FolderIsEmpty(projects) &&
        !CopyMissingTree(shippedProjects, projects, error))
        return false;
    QDir().mkpath(projects);
    if (!WriteRecord(recordPath, p.now, error))
        return false;
    if (!notes)
        return true;
    if (!before.exists)
        *notes << QStringLiteral("Ваші проекти, каталог і шаблони зберігаються в папці \"%1\".")
                      .arg(QDir::toNativeSeparators(folder));
    else if (p.replaced > 0 || !p.told.isEmpty())
        *notes
            << QStringLiteral("Дані програми оновлено до версії %1.").arg(GlobalVar().AppVersion);
    *notes << p.told;
    return true;
}

} // namespace catalogue
