#include "map/TabJournal.h"

#include "common/FileUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrl>

#include <cstdio>
#include <utility>
#include <vector>

namespace TabJournal {

namespace {

const QByteArray kHeader = "tamberon table replace 1";

std::function<void(int)>& StepHook() {
    static std::function<void(int)> hook;
    return hook;
}

void Step(int step) {
    if (StepHook())
        StepHook()(step);
}

void SetError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The existing companion files of a table, each under its name as found on disk.
QStringList CompanionFiles(const QString& path) {
    const QFileInfo info(path);
    const QDir dir = info.dir();
    const QString base = info.completeBaseName();
    QStringList out;
    for (const char* ext : {"tab", "dat", "map", "id", "ind", "wkt"}) {
        for (const QString& e : {QString::fromLatin1(ext), QString::fromLatin1(ext).toUpper()}) {
            const QString file = dir.filePath(base + u'.' + e);
            if (QFileInfo::exists(file))
                out.append(file);
        }
    }
    return out;
}

// A rename that replaces an existing target, as the system's rename does.
bool MoveReplacing(const QString& from, const QString& to) {
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

/** What a journal says: the moves of both sets, file names within the table's folder. */
struct Plan {
    QString table;                                  ///< the table's file name
    std::vector<std::pair<QString, QString>> aside; ///< old file -> its set-aside name
    std::vector<std::pair<QString, QString>> place; ///< new file -> its final name
};

QByteArray Encoded(const QString& name) {
    return QUrl::toPercentEncoding(name);
}

QString Decoded(const QByteArray& text) {
    return QUrl::fromPercentEncoding(text);
}

QByteArray JournalText(const Plan& plan) {
    QByteArray text = kHeader + '\n';
    text += "table\t" + Encoded(plan.table) + '\n';
    for (const auto& [from, to] : plan.aside)
        text += "aside\t" + Encoded(from) + '\t' + Encoded(to) + '\n';
    for (const auto& [from, to] : plan.place)
        text += "place\t" + Encoded(from) + '\t' + Encoded(to) + '\n';
    text += "end\n";
    return text;
}

// False for a journal cut short while it was written: then no file was moved yet.
bool ParseJournal(const QByteArray& text, Plan& plan) {
    const QList<QByteArray> lines = text.split('\n');
    if (lines.size() < 3 || lines.front() != kHeader)
        return false;
    bool ended = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> words = lines[i].split('\t');
        if (words.front() == "end") {
            ended = true;
            break;
        }
        if (words.front() == "table" && words.size() == 2)
            plan.table = Decoded(words[1]);
        else if (words.front() == "aside" && words.size() == 3)
            plan.aside.emplace_back(Decoded(words[1]), Decoded(words[2]));
        else if (words.front() == "place" && words.size() == 3)
            plan.place.emplace_back(Decoded(words[1]), Decoded(words[2]));
        else
            return false;
    }
    auto plain = [](const QString& name) {
        return !name.isEmpty() && !name.contains(u'/') && !name.contains(u'\\') &&
               name != QLatin1String("..");
    };
    bool sound = ended && !plan.table.isEmpty() && plain(plan.table) && !plan.place.empty();
    for (const auto& [from, to] : plan.aside)
        sound = sound && plain(from) && plain(to);
    for (const auto& [from, to] : plan.place)
        sound = sound && plain(from) && plain(to);
    return sound;
}

bool WriteJournal(const QString& path, const Plan& plan) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray text = JournalText(plan);
    const bool written = file.write(text) == text.size() && file.flush();
    file.close();
    return written && file.error() == QFileDevice::NoError && SyncFile(path) &&
           SyncFolder(QFileInfo(path).absolutePath());
}

// Files of the hidden sets beside a table (what: "new" or "old"), found by their names:
// ".~<base>.<what>-<8 hex digits>.<ext>".
QStringList SetFilesOf(const QDir& dir, const QString& base, const QString& what) {
    const QRegularExpression pattern(QStringLiteral("^\\.~(.+)\\.") + what +
                                     QStringLiteral("-[0-9a-f]{8}\\.\\w+$"));
    QStringList out;
    for (const QString& name :
         dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        const QRegularExpressionMatch m = pattern.match(name);
        if (m.hasMatch() && (base.isNull() || m.captured(1) == base))
            out << dir.filePath(name);
    }
    return out;
}

// The temporary files of the new table, written before the journal; a journal cut short
// names none, so they are found by their names.
QStringList TempFilesOf(const QDir& dir, const QString& base) {
    return SetFilesOf(dir, base, QStringLiteral("new"));
}

// The table a hidden set's file belongs to.
QString TableOfSetFile(const QDir& dir, const QString& file) {
    static const QRegularExpression base(QStringLiteral("^\\.~(.+)\\.(new|old)-"));
    return dir.filePath(base.match(QFileInfo(file).fileName()).captured(1) +
                        QStringLiteral(".tab"));
}

// Rolls back: every set-aside file goes back to its name, the new files are removed. Only
// chosen while some old file was not yet set aside, so no new file was put in place.
bool RollBack(const QDir& dir, const Plan& plan, QString& failed) {
    for (const auto& [original, aside] : plan.aside) {
        const QString from = dir.filePath(aside);
        if (QFileInfo::exists(from) && !MoveReplacing(from, dir.filePath(original)))
            failed = from;
    }
    for (const auto& [temp, final] : plan.place) {
        const QString file = dir.filePath(temp);
        if (QFileInfo::exists(file) && !QFile::remove(file) && failed.isEmpty())
            failed = file;
    }
    return failed.isEmpty();
}

// Rolls forward: the new files not yet in place are moved there, then the old ones removed.
bool RollForward(const QDir& dir, const Plan& plan, QString& failed) {
    for (const auto& [temp, final] : plan.place) {
        const QString from = dir.filePath(temp);
        if (QFileInfo::exists(from) && !MoveReplacing(from, dir.filePath(final)))
            failed = from;
    }
    if (!failed.isEmpty())
        return false;
    SyncFolder(dir.path());
    for (const auto& [original, aside] : plan.aside) {
        const QString file = dir.filePath(aside);
        if (QFileInfo::exists(file) && !QFile::remove(file) && failed.isEmpty())
            failed = file;
    }
    return failed.isEmpty();
}

QString NotRecoveredText(const QString& table, const QString& file) {
    return QStringLiteral("Запис таблиці \"%1\" було перервано, і її не вдалося відновити: "
                          "файл \"%2\" не вдається перейменувати чи видалити.")
        .arg(Shown(table), Shown(file));
}

} // namespace

QString JournalPath(const QString& path) {
    const QFileInfo info(path);
    return info.dir().filePath(QStringLiteral(".~") + info.completeBaseName() +
                               QStringLiteral(".journal"));
}

QString AsideName(const QString& path, const QString& what) {
    const QFileInfo info(path);
    return info.dir().filePath(
        QStringLiteral(".~%1.%2-%3")
            .arg(info.completeBaseName(), what)
            .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0')));
}

void SetStepHook(std::function<void(int step)> hook) {
    StepHook() = std::move(hook);
}

bool Recover(const QString& path, QString* error) {
    const QString journal = JournalPath(path);
    if (!QFileInfo::exists(journal))
        return true;
    const QDir dir = QFileInfo(path).dir();
    QFile file(journal);
    if (!file.open(QIODevice::ReadOnly)) {
        SetError(error, NotRecoveredText(path, journal));
        return false;
    }
    Plan plan;
    const bool whole = ParseJournal(file.readAll(), plan);
    file.close();
    QString failed;
    if (!whole) {
        // Cut short while it was written: nothing was moved; only the new files go.
        for (const QString& temp : TempFilesOf(dir, QFileInfo(path).completeBaseName()))
            if (!QFile::remove(temp) && failed.isEmpty())
                failed = temp;
    } else {
        bool allPlaced = true;
        for (const auto& [temp, final] : plan.place)
            allPlaced = allPlaced && !QFileInfo::exists(dir.filePath(temp)) &&
                        QFileInfo::exists(dir.filePath(final));
        bool allAside = true;
        for (const auto& entry : plan.aside)
            allAside = allAside && QFileInfo::exists(dir.filePath(entry.second));
        // Once every old file is set aside the new table, written whole and checked before
        // the journal, is put in place; before that the old one comes back.
        if (allPlaced || allAside)
            RollForward(dir, plan, failed);
        else
            RollBack(dir, plan, failed);
    }
    if (!failed.isEmpty()) {
        SetError(error, NotRecoveredText(path, failed));
        return false;
    }
    SyncFolder(dir.path());
    if (!QFile::remove(journal)) {
        SetError(error, NotRecoveredText(path, journal));
        return false;
    }
    return true;
}

bool RecoverFolder(const QString& folder, QString* error) {
    const QDir dir(folder);
    QStringList problems;
    const QStringList journals =
        dir.entryList({QStringLiteral(".~*.journal")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : journals) {
        // The table's own name is in the journal; its base name is the journal's.
        const QString base = name.chopped(8).mid(2);
        QString table = dir.filePath(base + QStringLiteral(".tab"));
        QFile file(dir.filePath(name));
        Plan plan;
        if (file.open(QIODevice::ReadOnly) && ParseJournal(file.readAll(), plan) &&
            QFileInfo(plan.table).completeBaseName() == base)
            table = dir.filePath(plan.table);
        file.close();
        QString problem;
        if (!Recover(table, &problem))
            problems << problem;
    }
    // Writings cut short before their journal (new files without one) and old files whose
    // removal failed after a finished replace (the journal gone, the table whole).
    for (const QString& left :
         TempFilesOf(dir, QString()) + SetFilesOf(dir, QString(), QStringLiteral("old"))) {
        if (!QFileInfo::exists(JournalPath(TableOfSetFile(dir, left))) && !QFile::remove(left))
            problems
                << QStringLiteral("Тимчасовий файл \"%1\" не вдається видалити.").arg(Shown(left));
    }
    // Coordinate-system files of an earlier writing, cut short under a temporary name.
    static const QRegularExpression crsTemp(QStringLiteral("^.+\\.wkt\\.[A-Za-z0-9]{6}$"));
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (crsTemp.match(name).hasMatch() && !QFile::remove(dir.filePath(name)))
            problems << QStringLiteral("Тимчасовий файл \"%1\" не вдається видалити.")
                            .arg(Shown(dir.filePath(name)));
    if (!problems.isEmpty()) {
        SetError(error, problems.join(u'\r'));
        return false;
    }
    return true;
}

bool Replace(const QString& temp, const QString& path, QString* error) {
    if (!Recover(path, error))
        return false;
    const QFileInfo target(path);
    const QDir dir = target.dir();
    const QString base = target.completeBaseName();
    const bool upper = target.suffix() == target.suffix().toUpper();
    const QString aside = QFileInfo(AsideName(path, QStringLiteral("old"))).fileName();

    Plan plan;
    plan.table = target.fileName();
    for (const QString& file : CompanionFiles(path)) {
        const QString name = QFileInfo(file).fileName();
        plan.aside.emplace_back(name, aside + u'.' + QFileInfo(file).suffix());
    }
    for (const QString& file : CompanionFiles(temp)) {
        const QString ext = QFileInfo(file).suffix().toLower();
        const QString to =
            ext == u"tab" ? target.fileName() : base + u'.' + (upper ? ext.toUpper() : ext);
        plan.place.emplace_back(QFileInfo(file).fileName(), to);
    }
    auto fail = [&](const QString& file) {
        SetError(error, QStringLiteral("Не вдалося замінити файл \"%1\".").arg(Shown(file)));
        return false;
    };
    if (plan.place.empty())
        return fail(temp);
    // The new files reach the disk before any old one is moved, then the journal.
    for (const auto& entry : plan.place)
        if (!SyncFile(dir.filePath(entry.first)))
            return fail(dir.filePath(entry.first));
    const QString journal = JournalPath(path);
    if (!WriteJournal(journal, plan)) {
        QFile::remove(journal);
        return fail(journal);
    }
    int step = 0;
    Step(++step);

    // Undoes the moves made so far in this run: the new files back under their temporary
    // names, then the old files back in place; the journal stays when even that fails.
    std::vector<std::pair<QString, QString>> moved; // from, to
    auto undo = [&](const QString& file) {
        bool undone = true;
        for (auto it = moved.rbegin(); it != moved.rend(); ++it)
            undone = MoveReplacing(it->second, it->first) && undone;
        if (undone) {
            SyncFolder(dir.path());
            QFile::remove(journal);
        }
        return fail(file);
    };
    for (const auto& [original, asideName] : plan.aside) {
        const QString from = dir.filePath(original), to = dir.filePath(asideName);
        if (!MoveReplacing(from, to))
            return undo(from);
        moved.emplace_back(from, to);
        Step(++step);
    }
    for (const auto& [tempName, final] : plan.place) {
        const QString from = dir.filePath(tempName), to = dir.filePath(final);
        if (!MoveReplacing(from, to))
            return undo(to);
        moved.emplace_back(from, to);
        Step(++step);
    }
    SyncFolder(dir.path());
    for (const auto& entry : plan.aside)
        QFile::remove(dir.filePath(entry.second));
    Step(++step);
    QFile::remove(journal);
    Step(++step);
    return true;
}

} // namespace TabJournal
