#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <utility>
#include <vector>

/** Text escaped for XML content and attribute values. */
QString XmlEscape(const QString& text);

/** One relationship: id, type (the last word of the published type URI) and target. */
struct Relationship {
    QString id;
    QString type;
    QString target;
};

/** A relationships part. */
QByteArray Relationships(const std::vector<Relationship>& relationships);

/** The package's core properties with a title. */
QByteArray CoreProperties(const QString& title);

/** The parts of a package to write. */
struct PackageParts {
    QString mainPart;
    /** Content types of the parts that need one (part name, type). */
    QList<std::pair<QString, QString>> types;
    /** Part name and data, in package order. */
    std::vector<std::pair<QString, QByteArray>> data;
};

/** The zip of the package, through the office engine's package writer. */
QByteArray ZipPackage(const PackageParts& parts);
