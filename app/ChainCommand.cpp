#include "app/ChainCommand.h"

#include "app/ReportCommand.h"
#include "common/GlobalVar.h"
#include "db/Backup.h"
#include "db/Database.h"
#include "office/reports/ReportRun.h"
#include "valuation/Check.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstring>

namespace {

using reports::OneLine;

bool IsHelp(const QStringList& arguments) {
    return arguments.size() == 1 &&
           (arguments[0] == QLatin1String("--help") || arguments[0] == QLatin1String("-h"));
}

/** The settlement of the one argument, checked; 0 or the exit status of a failure. */
int Open(const QString& command, const QStringList& arguments, Connection& data,
         valuation::CheckResult& result, QTextStream& err, QString* folder = nullptr) {
    if (arguments.size() != 1 || arguments[0].isEmpty()) {
        err << QStringLiteral("Вкажіть одну папку населеного пункту: tamberon ") << command
            << QStringLiteral(" ПАПКА (докладніше: tamberon ") << command
            << QStringLiteral(" --help).") << Qt::endl;
        return 2;
    }
    QString path;
    if (const int status = OpenSettlementFolder(arguments[0], data, path, err); status != 0)
        return status;
    if (folder)
        *folder = path;
    QString error;
    if (!valuation::CheckSettlement(data, result, &error)) {
        err << OneLine(error) << Qt::endl;
        return 2;
    }
    return 0;
}

} // namespace

QString CheckCommandHelp() {
    return QStringLiteral(
        "Використання: tamberon check ПАПКА\n"
        "\n"
        "Перевіряє розрахунок населеного пункту, чия папка ПАПКА (у ній \"data.sqlite\"):\n"
        "кожен похідний результат (В, Цнм, Іі, Км2 і вартість 1 м2 зон, склад і кількість зон,\n"
        "локальні фактори і Кф відомості кварталів, вартість 1 га ґрунтів, оцінка ділянок)\n"
        "обчислюється заново із збережених вихідних даних і порівнюється із збереженим.\n"
        "Значення, введені оцінювачем замість обчислених (наприклад, Цнм), є вихідними даними.\n"
        "Нічого не змінює.\n"
        "\n"
        "На стандартний вивід друкується по рядку на кожну розбіжність: назва кроку, як у\n"
        "списку кроків, що саме застаріло (показник або таблиця і рядок), збережене і\n"
        "перераховане значення; а також збережені значення, яких модель не може врахувати\n"
        "(коефіцієнт, що не є числом).\n"
        "\n"
        "Код завершення: 0 - усе узгоджено; 1 - є застарілі результати; 2 - неправильний\n"
        "виклик, немає папки або бази населеного пункту, база пошкоджена або не читається.\n"
        "Виправити застарілі результати: tamberon recalc ПАПКА.\n");
}

QString RecalcCommandHelp() {
    return QStringLiteral(
        "Використання: tamberon recalc ПАПКА\n"
        "\n"
        "Перераховує розрахунок населеного пункту, чия папка ПАПКА (у ній \"data.sqlite\"):\n"
        "спершу робить автоматичну копію бази (папка \"Temp/Копії\" програми), потім в одній\n"
        "транзакції, у порядку залежностей (В, Цнм, Іі і Км2, зони, відомість кварталів,\n"
        "ґрунти, ділянки), записує кожен застарілий похідний результат. Значення, введені\n"
        "оцінювачем замість обчислених, не змінюються. Після нього tamberon check ПАПКА\n"
        "завершується з кодом 0.\n"
        "\n"
        "На стандартний вивід друкується по рядку на кожне змінене значення:\n"
        "крок, що саме, старе → нове значення.\n"
        "\n"
        "Код завершення: 0 - усе узгоджено (змінено або нічого було змінювати); 1 - запис не\n"
        "вдався (база не змінилась) або лишилось те, чого перерахунок не виправляє (його\n"
        "рядки на стандартному виводі помилок); 2 - неправильний виклик, немає папки або бази\n"
        "населеного пункту, база пошкоджена або не читається.\n");
}

bool IsChainCommand(int argc, char** argv) {
    return argc > 1 && (std::strcmp(argv[1], "check") == 0 || std::strcmp(argv[1], "recalc") == 0);
}

int ChainCommandMain(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList all = QCoreApplication::arguments();
    const QStringList arguments = all.mid(2);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (all.value(1) == QLatin1String("check"))
        return RunCheckCommand(arguments, out, err);
    return RunRecalcCommand(arguments, QCoreApplication::applicationDirPath(), out, err);
}

int RunCheckCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    if (IsHelp(arguments)) {
        out << CheckCommandHelp();
        return 0;
    }
    Connection data;
    valuation::CheckResult result;
    if (const int status = Open(QStringLiteral("check"), arguments, data, result, err))
        return status;
    for (const QString& line : valuation::CheckLines(result))
        out << OneLine(line) << Qt::endl;
    return result.agrees() ? 0 : 1;
}

int RunRecalcCommand(const QStringList& arguments, const QString& appDir, QTextStream& out,
                     QTextStream& err) {
    if (IsHelp(arguments)) {
        out << RecalcCommandHelp();
        return 0;
    }
    Connection data;
    valuation::CheckResult result;
    if (const int status = Open(QStringLiteral("recalc"), arguments, data, result, err))
        return status;
    if (!result.stale.empty()) {
        InitGlobalVar(appDir);
        backup::BeforeSettlementStore(data);
        QString error;
        if (!valuation::WriteRecalculated(data, result, &error)) {
            err << OneLine(error) << Qt::endl;
            return 1;
        }
        for (const valuation::StaleValue& v : result.stale)
            out << OneLine(valuation::RecalcLine(v)) << Qt::endl;
        // A change of an earlier value may make a later one stale only through values the
        // check already recomputed in order; one more check confirms it.
        valuation::CheckResult after;
        if (!valuation::CheckSettlement(data, after, &error)) {
            err << OneLine(error) << Qt::endl;
            return 1;
        }
        result = after;
    }
    for (const valuation::Problem& p : result.problems)
        err << OneLine(valuation::ProblemLine(p)) << Qt::endl;
    for (const valuation::StaleValue& v : result.stale)
        err << OneLine(valuation::StaleLine(v)) << Qt::endl;
    return result.agrees() ? 0 : 1;
}
