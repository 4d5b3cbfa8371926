#include "common/ui/UserColors.h"

#include "common/GlobalVar.h"

#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QTextStream>

// One line per custom colour: "ColorA=RRGGBB" ... "ColorP=RRGGBB".

void LoadUserColors(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.size() < 8 || !line.startsWith(QLatin1String("Color")) || line[6] != u'=')
            continue;
        const int index = line[5].unicode() - 'A';
        bool ok = false;
        const uint rgb = line.mid(7).toUInt(&ok, 16);
        if (ok && index >= 0 && index < QColorDialog::customCount())
            QColorDialog::setCustomColor(index, QColor::fromRgb(rgb));
    }
}

void SaveUserColors(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return;
    QTextStream out(&file);
    for (int i = 0; i < QColorDialog::customCount(); ++i) {
        const QColor c = QColorDialog::customColor(i);
        out << "Color" << QChar(u'A' + i) << '='
            << QStringLiteral("%1").arg(c.rgb() & 0xFFFFFF, 6, 16, QLatin1Char('0')).toUpper()
            << '\n';
    }
}

QString UserColorsPath() {
    return QDir(GlobalVar().Settings.AppDir).filePath(QStringLiteral("usercolors.dat"));
}
