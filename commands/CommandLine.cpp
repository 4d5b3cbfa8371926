#include "commands/CommandLine.h"

#include "commands/ChainCommand.h"
#include "commands/LayersCommand.h"
#include "commands/PlotsCommand.h"
#include "commands/ProgramData.h"
#include "commands/ReportCommand.h"
#include "commands/ValueCommand.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "db/Databases.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

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

/** The words of the commands without windows, in the order the usage lists them. */
const QStringList& CommandWords() {
    static const QStringList words = {QStringLiteral("report"), QStringLiteral("check"),
                                      QStringLiteral("recalc"), QStringLiteral("layers"),
                                      QStringLiteral("value")};
    return words;
}

/** Letters to change, add or remove to turn one word into the other. */
qsizetype EditDistance(const QString& a, const QString& b) {
    std::vector<qsizetype> row(static_cast<size_t>(b.size()) + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[static_cast<size_t>(j)] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        qsizetype diagonal = row[0];
        row[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype above = row[static_cast<size_t>(j)];
            row[static_cast<size_t>(j)] =
                std::min({above + 1, row[static_cast<size_t>(j - 1)] + 1,
                          diagonal + (a[i - 1].toLower() == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row.back();
}

/** The command a mistyped word most likely meant, or "". */
QString NearestCommand(const QString& word) {
    QString best;
    qsizetype distance = 3;
    for (const QString& command : CommandWords()) {
        const qsizetype d = EditDistance(word, command);
        if (d < distance) {
            distance = d;
            best = command;
        }
    }
    return best;
}

/** A settlement's or project's folder: the one kind of word the program itself is given. */
bool IsDataFolder(const QString& word) {
    return !word.isEmpty() && QFileInfo(word).isDir() &&
           QFileInfo(JoinPath(word, DataFileName())).isFile();
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
    case CommandKind::UnknownWord: {
        QTextStream err(stderr);
        const QString nearest = NearestCommand(command.option);
        err << QStringLiteral("tamberon: невідома команда \"") << command.option
            << (nearest.isEmpty() ? QStringLiteral("\"")
                                  : QStringLiteral("\" (можливо, ") + nearest + u')')
            << QStringLiteral("; ") << UsageLine() << Qt::endl;
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
        if (!IsOption(arg)) {
            // A word: the program takes only a settlement's or project's folder.
            if (IsDataFolder(arg))
                continue;
            return {CommandKind::UnknownWord, arg};
        }
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
               "Код завершення: 0 - гаразд; 2 - невідомий параметр чи команда.\n")
        .arg(GlobalVar().AppTitle);
}

QString VersionLine() {
    return QStringLiteral("tamberon ") + GlobalVar().AppVersion + QStringLiteral(" (") +
           GlobalVar().AppTitle + u')';
}

QString UsageLine() {
    return QStringLiteral("використання: tamberon [КОМАНДА ПАПКА ...], КОМАНДА - ") +
           CommandWords().join(QStringLiteral(", ")) +
           QStringLiteral(" (довідка: tamberon --help)");
}

QString NotAFileLine(const QString& path) {
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (info.isSymLink() && !info.exists())
        return QStringLiteral("Посилання \"%1\" веде до файлу, якого немає (або по колу).")
            .arg(shown);
    if (info.exists() && !info.isFile())
        return QStringLiteral("\"%1\" - не звичайний файл (папка, канал чи пристрій).").arg(shown);
    return QStringLiteral("Файлу \"%1\" немає.").arg(shown);
}

QString UnreadableArgument(const QByteArray& raw) {
    const QString name = QFile::decodeName(raw);
    if (QFile::encodeName(name) == raw)
        return QString();
    return QStringLiteral("Назву \"%1\" не вдається прочитати: вона записана не в кодуванні "
                          "системи (UTF-8), тож програма не знайде такого файлу чи папки. "
                          "Перейменуйте його.")
        .arg(QDir::toNativeSeparators(name));
}

bool IsOption(const QString& argument) {
    return argument.size() > 1 && argument.startsWith(u'-');
}

bool RefuseOption(const QString& argument, const QString& command, QTextStream& err) {
    if (!IsOption(argument))
        return false;
    err << QStringLiteral("Незрозумілий параметр \"") << argument
        << QStringLiteral("\" (докладніше: tamberon ") << command << QStringLiteral(" --help).")
        << Qt::endl;
    return true;
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
    for (int i = 2; i < argc; ++i)
        if (const QString problem = UnreadableArgument(QByteArray(argv[i])); !problem.isEmpty()) {
            err << problem << Qt::endl;
            return 2;
        }
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
