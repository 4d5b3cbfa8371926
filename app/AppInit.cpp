#include "app/AppInit.h"

#include "common/FileUtils.h"
#include "common/Messages.h"
#include "common/Shell.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

/**
 * What names the program folder whatever path leads to it: on Unix its device and inode (a
 * link or a bind mount to the folder gives the same), else its path with links resolved.
 */
QString FolderIdentity(const QString& programPath) {
    const QString folder = QFileInfo(programPath).absolutePath();
#ifdef Q_OS_UNIX
    struct stat info {};
    if (::stat(QFile::encodeName(folder).constData(), &info) == 0)
        return QStringLiteral("device %1 inode %2")
            .arg(static_cast<qulonglong>(info.st_dev))
            .arg(static_cast<qulonglong>(info.st_ino));
#endif
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    QString path = canonical.isEmpty() ? QDir::cleanPath(folder) : canonical;
    path.replace(u'\\', u'/');
    return path;
}

} // namespace

SingleInstance::SingleInstance(const QString& programPath) {
    // The program folder's identity names the instance, so copies in other folders run side
    // by side and a second start through another path to the same folder does not.
    m_key = QStringLiteral("tamberon-") +
            QString::fromLatin1(QCryptographicHash::hash(FolderIdentity(programPath).toUtf8(),
                                                         QCryptographicHash::Sha1)
                                    .toHex()
                                    .left(16));
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire(bool hasArguments) {
    m_lock =
        std::make_unique<QLockFile>(JoinPath(QDir::tempPath(), m_key + QStringLiteral(".lock")));
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        QLocalSocket socket;
        socket.connectToServer(m_key);
        if (socket.waitForConnected(500)) {
            socket.write(hasArguments ? "1" : "0");
            socket.waitForBytesWritten(500);
        }
        return false;
    }
    // The running copy listens; a notice from a second start changes nothing here.
    m_server = std::make_unique<QLocalServer>();
    QLocalServer::removeServer(m_key);
    m_server->listen(m_key);
    QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(), [this] {
        while (QLocalSocket* client = m_server->nextPendingConnection())
            QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
    });
    return true;
}

bool CheckPrinters(const QStringList& printers, const QString& errorText) {
    if (!printers.isEmpty() && errorText.isEmpty())
        return true;
    ShowError(
        QStringLiteral("Перевірка пристроїв"),
        QStringLiteral("Принтер не знайдено. Подальша робота програми неможлива.\r\rПеревірка: ") +
            errorText);
    return false;
}

QString FindUpdate(const QString& settingsFile) {
    const QString serverPath =
        IniRead(settingsFile, QStringLiteral("UPDATE"), QStringLiteral("ServerPath"));
    if (!FolderExistsQuiet(serverPath))
        return QString();
    const long long current = IniRead(settingsFile, QStringLiteral("UPDATE"),
                                      QStringLiteral("Version"), QStringLiteral("0"))
                                  .remove(u'.')
                                  .toLongLong();
    for (const QString& name : ListFiles(serverPath, QStringLiteral("*.nfo"), false)) {
        bool ok = false;
        const long long version = FileNameNoExt(name, true).remove(u'.').toLongLong(&ok);
        if (ok && version > current)
            return name;
    }
    return QString();
}

bool OfferUpdate(const QString& settingsFile, const QString& appDir) {
    if (FindUpdate(settingsFile).isEmpty())
        return false;
    if (AskConfirm(QStringLiteral("Доступні оновлення програми. Встановити їх зараз?"),
                   Answer::Yes | Answer::Cancel) == Answer::Yes) {
        for (const char* updater : {"orvelupdate.exe", "orvelupd.exe"}) {
            const QString path = JoinPath(appDir, QString::fromLatin1(updater));
            if (FileExistsQuiet(path))
                RunProgram(path, QString(), false, false);
        }
    }
    return true;
}
