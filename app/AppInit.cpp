#include "app/AppInit.h"

#include "common/FileUtils.h"
#include "common/Messages.h"
#include "common/Shell.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

SingleInstance::SingleInstance(const QString& programPath) {
    // The program's full path with forward slashes names the instance, so copies in other
    // folders run side by side.
    QString path = programPath;
    path.replace(u'\\', u'/');
    m_key = QStringLiteral("tamberon-") +
            QString::fromLatin1(
                QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
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
