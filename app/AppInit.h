#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QLockFile;
class QLocalServer;

/**
 * One running copy of the program per program folder: a lock keyed by the folder's identity
 * (the same through a link or a bind mount); a second start tells the first one and ends.
 */
class SingleInstance {
public:
    explicit SingleInstance(const QString& programPath);
    ~SingleInstance();
    /** True when this is the only copy; otherwise the running one has been told. */
    bool acquire(bool hasArguments);
    QString key() const { return m_key; }

private:
    QString m_key;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
};

/**
 * The printer check: with no printer (or an error reading the list) shows the message and
 * returns false, so the program ends.
 */
bool CheckPrinters(const QStringList& printers, const QString& errorText);

/**
 * The update offered from the "UPDATE" section of settings.dat: the first ".nfo" file of the
 * update folder whose number (dots removed) is greater than the current version. Names that
 * are not numbers are skipped. Empty when there is none.
 */
QString FindUpdate(const QString& settingsFile);
/** Asks about an update and starts the updaters; true when the program must end. */
bool OfferUpdate(const QString& settingsFile, const QString& appDir);
