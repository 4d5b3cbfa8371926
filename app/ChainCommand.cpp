#include "app/ChainCommand.h"

#include "app/CommandLine.h"
#include "app/ReportCommand.h"
#include "common/GlobalVar.h"
#include "db/Backup.h"
#include "db/Database.h"
#include "office/reports/ReportRun.h"
#include "valuation/Check.h"

#include <QTextStream>

namespace {

using reports::OneLine;

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
        "              tamberon check --typed ПАПКА\n"
        "\n"
        "Перевіряє розрахунок населеного пункту, чия папка ПАПКА (у ній \"data.sqlite\"):\n"
        "кожен похідний результат (В, Цнм, Іі, Км2 і вартість 1 м2 зон, склад і кількість зон,\n"
        "локальні фактори і Кф відомості кварталів, вартість 1 га ґрунтів, оцінка ділянок)\n"
        "обчислюється заново із збережених вихідних даних і порівнюється із збереженим.\n"
        "Значення, введені оцінювачем замість обчислених (наприклад, Цнм), є вихідними даними:\n"
        "кожне з них друкується з обчисленим значенням поруч (рядок \"примітка: ...\"), а те,\n"
        "чиє обчислене значення відтоді змінилося, є розбіжністю. Звіт і розрахунки, складені\n"
        "до зміни даних (за позначкою стану даних у документі), теж названо. Нічого не змінює.\n"
        "З --typed друкуються лише введені оцінювачем значення з обчисленими поруч.\n"
        "\n"
        "На стандартний вивід друкується по рядку на кожну розбіжність: назва кроку, як у\n"
        "списку кроків, що саме застаріло (показник або таблиця і рядок), збережене і\n"
        "перераховане значення; а також збережені значення, яких модель не може врахувати\n"
        "(коефіцієнт, що не є числом).\n"
        "\n"
        "Код завершення: 0 - усе узгоджено; 1 - є застарілі результати або документи;\n"
        "2 - неправильний\n"
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
        "оцінювачем замість обчислених, не змінюються; ті з них, чиє обчислене значення\n"
        "змінилося, друкуються на стандартний вивід помилок (код 1). Після нього\n"
        "tamberon check ПАПКА завершується з кодом 0.\n"
        "\n"
        "На стандартний вивід друкується по рядку на кожне змінене значення:\n"
        "крок, що саме, старе → нове значення.\n"
        "\n"
        "Код завершення: 0 - усе узгоджено (змінено або нічого було змінювати); 1 - запис не\n"
        "вдався (база не змінилась) або лишилось те, чого перерахунок не виправляє (його\n"
        "рядки на стандартному виводі помилок); 2 - неправильний виклик, немає папки або бази\n"
        "населеного пункту, база пошкоджена або не читається.\n");
}

int RunCheckCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    if (AnswerCommandHelp(arguments, CheckCommandHelp(), out))
        return 0;
    QStringList folders = arguments;
    const bool typedOnly = folders.removeAll(QStringLiteral("--typed")) > 0;
    Connection data;
    valuation::CheckResult result;
    QString folder;
    if (const int status = Open(QStringLiteral("check"), folders, data, result, err, &folder))
        return status;
    if (typedOnly) {
        // Every value the valuer typed over a computed one, with that value beside it.
        for (const valuation::TypedValue& t : result.typed)
            out << OneLine(valuation::TypedLine(t)) << Qt::endl;
        return result.typedChanged() ? 1 : 0;
    }
    for (const QString& line : valuation::CheckLines(result))
        out << OneLine(line) << Qt::endl;
    QStringList documents;
    QString error;
    if (!reports::DocumentsOlderThanData(data, folder, documents, &error)) {
        err << OneLine(error) << Qt::endl;
        return 2;
    }
    for (const QString& line : documents)
        out << OneLine(line) << Qt::endl;
    for (const QString& line : valuation::NoteLines(result))
        out << OneLine(line) << Qt::endl;
    return result.agrees() && documents.isEmpty() ? 0 : 1;
}

int RunRecalcCommand(const QStringList& arguments, const QString& appDir, QTextStream& out,
                     QTextStream& err) {
    if (AnswerCommandHelp(arguments, RecalcCommandHelp(), out))
        return 0;
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
    // Typed values are the valuer's: listed, never touched.
    for (const valuation::TypedValue& t : result.typed)
        if (t.changed)
            err << OneLine(valuation::TypedLine(t)) << Qt::endl;
    return result.agrees() ? 0 : 1;
}
