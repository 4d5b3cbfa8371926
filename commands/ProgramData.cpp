#include "commands/ProgramData.h"

#include "catalogue/core/ProgramFolder.h"
#include "common/GlobalVar.h"

#include <QCoreApplication>
#include <QTextStream>

ProgramPlace RunningProgramPlace() {
    return LocateProgram(QCoreApplication::applicationDirPath());
}

QString CommandProgramFolder(const QStringList& arguments, QTextStream& err) {
    const ProgramPlace place = RunningProgramPlace();
    const bool onlyHelp = arguments.size() == 1 && (arguments[0] == QLatin1String("--help") ||
                                                    arguments[0] == QLatin1String("-h"));
    if (place.shipped.isEmpty() || onlyHelp)
        return place.folder;
    // The automatic copy of the catalogue before an upgrade goes to the folder's copies.
    InitGlobalVar(place.folder);
    QStringList notes;
    QString error;
    if (!catalogue::PrepareProgramFolder(place, &notes, &error)) {
        err << error.replace(u'\r', u' ') << Qt::endl;
        return QString();
    }
    for (const QString& note : notes)
        err << QStringLiteral("tamberon: ") << note << Qt::endl;
    return place.folder;
}
