#pragma once

#include <QString>
#include <QStringList>
#include <vector>

/**
 * A fingerprint of what a layer gives a calculation: the geometry of every object (its WKB as
 * read through OGR) and the values of the named fields, nothing else (not the file's time, not
 * other fields, not the styles). The objects' order does not count: a table written again with
 * the same objects in another order gives the same fingerprint, as every overlay sums per object
 * whatever the order. 16 hexadecimal digits.
 */
bool LayerFingerprint(const QString& path, const QStringList& fields, QString& fingerprint,
                      QString* error = nullptr);

/** One layer to fingerprint, and what came of it. */
struct FingerprintJob {
    QString path;
    QStringList fields;
    /** Empty when the layer is missing or unreadable (then `error` says why). */
    QString fingerprint;
    QString error;
};

/** Fingerprints every job, several layers at a time (on up to two threads). */
void FingerprintLayers(std::vector<FingerprintJob>& jobs);

/** Whether the table is there, can be read and holds at least one object. */
bool LayerHoldsObjects(const QString& path);
