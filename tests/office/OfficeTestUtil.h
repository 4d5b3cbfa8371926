#pragma once

#include <QString>
#include <QTemporaryDir>

/** Folder of this test's sources (templates, statements). */
QString OfficeTestDir();
/** Zips tests/office/templates/<name> into `target` and returns target. */
QString PackTemplate(const QString& name, const QString& target);
/** The text of one part of a saved package. */
QByteArray PartOf(const QString& packagePath, const QString& part);
/** Whether a package holds a part. */
bool HasPart(const QString& packagePath, const QString& part);
/** Writes raw bytes to a file. */
void WriteBytes(const QString& path, const QByteArray& bytes);
