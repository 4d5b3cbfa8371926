#include "app/CommandLine.h"

#include "common/GlobalVar.h"

#include <QTextStream>
#include <cstdio>

namespace {

/** Qt's own options that take a value in the next argument (unless given with "="). */
const QStringList& QtOptionsWithValue() {
    static const QStringList options = {QStringLiteral("platform"),
                                        QStringLiteral("platformpluginpath"),
                                        QStringLiteral("platformtheme"),
                                        QStringLiteral("plugin"),
                                        QStringLiteral("qmljsdebugger"),
                                        QStringLiteral("style"),
                                        QStringLiteral("stylesheet"),
                                        QStringLiteral("session"),
                                        QStringLiteral("qwindowgeometry"),
                                        QStringLiteral("qwindowicon"),
                                        QStringLiteral("qwindowtitle"),
                                        QStringLiteral("display"),
                                        QStringLiteral("geometry"),
                                        QStringLiteral("title"),
                                        QStringLiteral("name"),
                                        QStringLiteral("visual"),
                                        QStringLiteral("ncols"),
                                        QStringLiteral("cmap")};
    return options;
}

/** Qt's own options without a value. */
const QStringList& QtFlags() {
    static const QStringList flags = {QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                                      QStringLiteral("nograb"),  QStringLiteral("dograb"),
                                      QStringLiteral("sync"),    QStringLiteral("testability")};
    return flags;
}

} // namespace

Command ParseCommandLine(const QStringList& arguments) {
    if (!arguments.isEmpty() && (arguments.first() == QLatin1String("report") ||
                                 arguments.first() == QLatin1String("check") ||
                                 arguments.first() == QLatin1String("recalc")))
        return {CommandKind::Report, {}};
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h") ||
            arg == QLatin1String("-?"))
            return {CommandKind::Help, {}};
        if (arg == QLatin1String("--version") || arg == QLatin1String("-v"))
            return {CommandKind::Version, {}};
        if (arg.size() < 2 || !arg.startsWith(u'-'))
            continue; // not an option: passed on to the program
        // Qt reads "-style x", "--style x" and "-style=x" alike.
        QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
        const qsizetype equals = name.indexOf(u'=');
        const bool inlineValue = equals >= 0;
        if (inlineValue)
            name.truncate(equals);
        if (QtOptionsWithValue().contains(name)) {
            if (!inlineValue)
                ++i;
            continue;
        }
        if (QtFlags().contains(name) && !inlineValue)
            continue;
        return {CommandKind::Unknown, arg};
    }
    return {CommandKind::Run, {}};
}

QString ProgramUsage() {
    return QStringLiteral(
               "Використання:\n"
               "  tamberon                 запускає програму \"%1\"\n"
               "  tamberon report ПАПКА    заповнює технічний звіт і розрахунки населеного пункту\n"
               "                           у ПАПЦІ без жодного вікна (tamberon report --help)\n"
               "  tamberon check ПАПКА     перевіряє, чи узгоджені збережені результати кроків\n"
               "                           (tamberon check --help)\n"
               "  tamberon recalc ПАПКА    перераховує застарілі результати кроків\n"
               "                           (tamberon recalc --help)\n"
               "  tamberon layers ПАПКА    шари населеного пункту; їх імпорт з інших ГІС і "
               "експорт\n"
               "                           у GeoPackage (tamberon layers --help)\n"
               "  tamberon --help          ця довідка\n"
               "  tamberon --version       версія програми\n"
               "\n"
               "Код завершення: 0 - гаразд; 2 - невідомий параметр.\n")
        .arg(GlobalVar().AppTitle);
}

QString VersionLine() {
    return QStringLiteral("tamberon ") + GlobalVar().AppVersion + QStringLiteral(" (") +
           GlobalVar().AppTitle + u')';
}

int AnswerOnConsole(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const Command command = ParseCommandLine(arguments);
    switch (command.kind) {
    case CommandKind::Help: {
        QTextStream out(stdout);
        out << ProgramUsage();
        return 0;
    }
    case CommandKind::Version: {
        QTextStream out(stdout);
        out << VersionLine() << Qt::endl;
        return 0;
    }
    case CommandKind::Unknown: {
        QTextStream err(stderr);
        err << QStringLiteral("tamberon: невідомий параметр \"") << command.option
            << QStringLiteral("\" (довідка: tamberon --help)") << Qt::endl;
        return 2;
    }
    default:
        return -1;
    }
}
