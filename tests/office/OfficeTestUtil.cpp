#include "OfficeTestUtil.h"

#include "office/Package.h"

#include <QFile>

QString OfficeTestDir() {
    return QStringLiteral(OFFICE_TEST_DIR);
}

QString PackTemplate(const QString& name, const QString& target) {
    PackFolder(OfficeTestDir() + QStringLiteral("/templates/") + name, target);
    return target;
}

QByteArray PartOf(const QString& packagePath, const QString& part) {
    OoxmlPackage package;
    package.load(packagePath);
    return package.partData(part);
}

bool HasPart(const QString& packagePath, const QString& part) {
    OoxmlPackage package;
    package.load(packagePath);
    return package.hasPart(part);
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}
