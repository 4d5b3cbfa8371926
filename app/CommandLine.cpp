#include "app/CommandLine.h"

#include "app/ChainCommand.h"
#include "app/LayersCommand.h"
#include "app/PlotsCommand.h"
#include "app/ProgramData.h"
#include "app/ReportCommand.h"
#include "app/ValueCommand.h"
#include "common/GlobalVar.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHash>
#include <QTextStream>
#include <cstdio>
#include <memory>

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

int CheckCommand(const QStringList& arguments, const QString&, QTextStream& out, QTextStream& err) {
    return RunCheckCommand(arguments, out, err);
}

/**
 * Answers --help, --version and an unknown option without a display or a printer; the exit
 * status, or -1 when the program is to start.
 */
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

} // namespace

Command ParseCommandLine(const QStringList& arguments) {
    if (!arguments.isEmpty() && FindConsoleCommand(arguments.first()))
        return {CommandKind::Console, {}};
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
               "  tamberon value ПАПКА     вартість 1 м² у точці або ділянки населеного пункту\n"
               "                           (tamberon value --help)\n"
               "  tamberon plots ПАПКА     реєстр ділянок з векторних і обмінних файлів кадастру\n"
               "                           з їх оцінкою (tamberon plots --help)\n"
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

ConsoleCommand FindConsoleCommand(const QString& word) {
    static const QHash<QString, ConsoleCommand> commands = {
        {QStringLiteral("report"), RunReportCommand}, {QStringLiteral("check"), CheckCommand},
        {QStringLiteral("recalc"), RunRecalcCommand}, {QStringLiteral("layers"), RunLayersCommand},
        {QStringLiteral("value"), RunValueCommand},   {QStringLiteral("plots"), RunPlotsCommand}};
    return commands.value(word, nullptr);
}

namespace {

QtMessageHandler g_previousHandler = nullptr;

/** Keeps Qt's notes and warnings (the offscreen platform's) off a command's error output,
 * which says only what the command could not do. */
void QuietQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtCriticalMsg && type != QtFatalMsg)
        return;
    if (g_previousHandler)
        g_previousHandler(type, context, text);
    else
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

} // namespace

int RunConsoleCommand(int argc, char** argv) {
    const QString word = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const ConsoleCommand command = FindConsoleCommand(word);
    if (!command)
        return AnswerOnConsole(argc, argv);
    // The report draws its maps with fonts: a GUI application on the offscreen platform.
    std::unique_ptr<QCoreApplication> app;
    if (word == QLatin1String("report")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        g_previousHandler = qInstallMessageHandler(QuietQtMessages);
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList arguments = QCoreApplication::arguments().mid(2);
    const QString appDir = CommandProgramFolder(arguments, err);
    return appDir.isEmpty() ? 2 : command(arguments, appDir, out, err);
}

bool AnswerCommandHelp(const QStringList& arguments, const QString& help, QTextStream& out) {
    if (arguments.size() != 1 ||
        (arguments[0] != QLatin1String("--help") && arguments[0] != QLatin1String("-h")))
        return false;
    out << help;
    out.flush();
    return true;
}
