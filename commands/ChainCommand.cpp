#include "commands/ChainCommand.h"

#include "commands/CommandLine.h"
#include "commands/MapRecalc.h"
#include "commands/SettlementFolder.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "db/Backup.h"
#include "db/Database.h"
#include "db/Databases.h"
#include "gis/SettlementTiling.h"
#include "reports/ReportRun.h"
#include "steps/common/StepLayers.h"
#include "valuation/Check.h"
#include "valuation/InputSoundness.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

using reports::OneLine;

/** The line of an input the chain cannot take. */
QString InputLine(const QString& finding) {
    return QStringLiteral("Вихідні дані: ") + finding;
}

/**
 * The settlement of the one argument, checked; 0 or the exit status of a failure. A
 * settlement without one of the chain's tables is refused, never computed from defaults;
 * numbers it cannot take are in `unsound`.
 */
int Open(const QString& command, const QStringList& arguments, Connection& data,
         valuation::CheckResult& result, QStringList& unsound, QTextStream& err,
         QString* folder = nullptr) {
    if (arguments.size() != 1 || arguments[0].isEmpty()) {
        err << QStringLiteral("Вкажіть одну папку населеного пункту: tamberon ") << command
            << QStringLiteral(" ПАПКА (докладніше: tamberon ") << command
            << QStringLiteral(" --help).") << Qt::endl;
        return 2;
    }
    if (RefuseOption(arguments[0], command, err))
        return 2;
    QString path;
    if (const int status = OpenSettlementFolder(arguments[0], data, path, err); status != 0)
        return status;
    if (folder)
        *folder = path;
    if (const QStringList missing = valuation::MissingChainTables(data); !missing.isEmpty()) {
        err << QStringLiteral("У базі населеного пункту \"") << QDir::toNativeSeparators(path)
            << QStringLiteral("\" бракує таблиць: ") << missing.join(QStringLiteral(", "))
            << QStringLiteral("; розрахунок не перевірено і не змінено.") << Qt::endl;
        return 2;
    }
    QString error;
    if (!valuation::FindUnsoundNumbers(data, unsound, &error)) {
        err << OneLine(error) << Qt::endl;
        return 2;
    }
    if (!valuation::CheckSettlement(data, result, &error) ||
        !CheckStepLayers(data, path, result, &error)) {
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
        "кожен похідний результат (підсумки складу земель, В, Цнм, Іі, Км2 і вартість 1 м2\n"
        "зон, склад і кількість зон, локальні фактори і Кф відомості кварталів, вартість 1 га\n"
        "ґрунтів, оцінка ділянок) обчислюється заново із збережених вихідних даних і\n"
        "порівнюється із збереженим.\n"
        "Значення, введені оцінювачем замість обчислених (наприклад, Цнм), є вихідними даними:\n"
        "кожне з них друкується з обчисленим значенням поруч (рядок \"примітка: ...\"), а те,\n"
        "чиє обчислене значення відтоді змінилося, є розбіжністю. Значення, взяті з шарів мапи\n"
        "(площі районів, функціональне використання, локальні фактори, шар зон), звіряються з\n"
        "відбитками шарів, запам'ятаними тоді: змінений відтоді шар є розбіжністю кроку;\n"
        "значення, взяте до того, як відбитки запам'ятовувались, позначено раз приміткою\n"
        "\"не перевірено з мапою\". Звіт і розрахунки, складені до зміни даних або шарів, які\n"
        "показують їхні мапи (за позначками стану в документі), теж названо, як і кожне\n"
        "перекриття, розрив чи вихід за межі населеного пункту в шарах районів, зон і\n"
        "функціонального використання (з площею і точкою). Нічого не змінює.\n"
        "З --typed друкуються лише введені оцінювачем значення з обчисленими поруч.\n"
        "\n"
        "На стандартний вивід друкується по рядку на кожну розбіжність: назва кроку, як у\n"
        "списку кроків, що саме застаріло (показник або таблиця і рядок), збережене і\n"
        "перераховане значення; а також збережені значення, яких модель не може врахувати\n"
        "(коефіцієнт, що не є числом), і кожне число вихідних даних, якого жоден розрахунок\n"
        "не бере (нескінченне або більше за 10^13): \"Вихідні дані: ...\".\n"
        "\n"
        "Код завершення: 0 - усе узгоджено; 1 - є застарілі результати або документи чи\n"
        "негодящі вихідні дані; 2 - неправильний виклик, немає папки або бази населеного\n"
        "пункту, база пошкоджена, не читається або в ній бракує таблиць кроків (їх названо).\n"
        "Виправити застарілі результати: tamberon recalc ПАПКА.\n");
}

QString RecalcCommandHelp() {
    return QStringLiteral(
        "Використання: tamberon recalc ПАПКА\n"
        "\n"
        "Перераховує розрахунок населеного пункту, чия папка ПАПКА (у ній \"data.sqlite\"):\n"
        "спершу робить автоматичну копію бази (папка \"Temp/Копії\" програми), потім в одній\n"
        "транзакції, у порядку залежностей (підсумки складу земель, В, Цнм, Іі і Км2, зони,\n"
        "відомість кварталів, ґрунти, ділянки), записує кожен застарілий похідний результат;\n"
        "площі районів, функціонального використання і локальні фактори районів, взяті з\n"
        "шару, що відтоді змінився, спершу беруться з нього знову (локальні фактори - ті, що\n"
        "є в довіднику програми; Км3 районів записується і в шар \"райони\"). Шар зон,\n"
        "побудований з районів, які відтоді змінились, після запису будується заново, як це\n"
        "робить крок зонування. Шар, що є, але не читається, зупиняє перерахунок до запису.\n"
        "Значення, введені оцінювачем замість обчислених, не змінюються; ті з них, чиє\n"
        "обчислене значення або значення з мапи змінилося, друкуються на стандартний вивід\n"
        "помилок (код 1). Коли нічого не лишилось, tamberon check ПАПКА після нього\n"
        "завершується з кодом 0.\n"
        "\n"
        "На стандартний вивід друкується по рядку на кожне змінене значення:\n"
        "крок, що саме, старе → нове значення.\n"
        "\n"
        "Число вихідних даних, якого жоден розрахунок не бере (нескінченне або більше за\n"
        "10^13), зупиняє перерахунок до запису: нічого не змінюється. Автоматична копія, що\n"
        "не вдалася, не зупиняє його, але про неї сказано на стандартному виводі помилок.\n"
        "\n"
        "Код завершення: 0 - усе узгоджено (змінено або нічого було змінювати); 1 - запис не\n"
        "вдався (база не змінилась), негодящі вихідні дані або лишилось те, чого перерахунок\n"
        "не виправляє (його рядки на стандартному виводі помилок); 2 - неправильний виклик,\n"
        "немає папки або бази населеного пункту, база пошкоджена, не читається або в ній\n"
        "бракує таблиць кроків (їх названо).\n");
}

int RunCheckCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    if (AnswerCommandHelp(arguments, CheckCommandHelp(), out))
        return 0;
    QStringList folders = arguments;
    const bool typedOnly = folders.removeAll(QStringLiteral("--typed")) > 0;
    Connection data;
    valuation::CheckResult result;
    QString folder;
    QStringList unsound;
    if (const int status =
            Open(QStringLiteral("check"), folders, data, result, unsound, err, &folder))
        return status;
    if (typedOnly) {
        // Every value the valuer typed over a computed one, with that value beside it.
        for (const valuation::TypedValue& t : result.typed)
            out << OneLine(valuation::TypedLine(t)) << Qt::endl;
        return result.typedChanged() ? 1 : 0;
    }
    for (const QString& line : unsound)
        out << OneLine(InputLine(line)) << Qt::endl;
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
    // The layers the overlays read must tile, or the areas taken from them are wrong.
    SettlementTiling tiling;
    CheckSettlementTiling(folder, tiling);
    for (const QString& line : tiling.lines())
        out << OneLine(line) << Qt::endl;
    for (const QString& line : valuation::NoteLines(result))
        out << OneLine(line) << Qt::endl;
    for (const QString& line : tiling.notes)
        out << QStringLiteral("примітка: ") << OneLine(line) << Qt::endl;
    return result.agrees() && unsound.isEmpty() && documents.isEmpty() && tiling.clean() ? 0 : 1;
}

int RunRecalcCommand(const QStringList& arguments, const QString& appDir, QTextStream& out,
                     QTextStream& err) {
    if (AnswerCommandHelp(arguments, RecalcCommandHelp(), out))
        return 0;
    Connection data;
    valuation::CheckResult result;
    QStringList unsound;
    QString folder;
    if (const int status =
            Open(QStringLiteral("recalc"), arguments, data, result, unsound, err, &folder))
        return status;
    // A result computed from a number no valuation takes would be stored as if sound.
    if (!unsound.isEmpty()) {
        for (const QString& line : unsound)
            err << OneLine(InputLine(line)) << Qt::endl;
        err << QStringLiteral("Нічого не змінено: виправте вихідні дані.") << Qt::endl;
        return 1;
    }
    MapRecalcOutcome map;
    if (!result.stale.empty() || !result.mapChanges.empty()) {
        InitGlobalVar(appDir);
        const backup::StoreLabel label(QStringLiteral("Перерахунок"));
        backup::BeforeSettlementStore(data);
        // The recalculation goes on without its copy, but says so.
        if (QString problem = backup::TakeUntoldProblem(); !problem.isEmpty())
            err << OneLine(problem) << Qt::endl;
        // The catalogue of local factors decides which factor layers count.
        Connection catalogue;
        const QString cataloguePath = JoinPath(appDir, CatalogueFileName());
        MapRecalcSources sources;
        if (QFileInfo(cataloguePath).isFile() && catalogue.open(cataloguePath))
            sources.catalogue = &catalogue;
        // The values taken from changed layers first, then what follows from them: one
        // transaction, so a failure leaves the database as it was.
        QString error;
        if (!RecalcSettlement(data, folder, sources, result, map, &error)) {
            err << OneLine(error) << Qt::endl;
            return 1;
        }
        for (const QString& line : map.changed)
            out << OneLine(line) << Qt::endl;
        for (const valuation::StaleValue& v : result.stale)
            out << OneLine(valuation::RecalcLine(v)) << Qt::endl;
        // A change of an earlier value may make a later one stale only through values the
        // check already recomputed in order; one more check confirms it.
        valuation::CheckResult after;
        if (!valuation::CheckSettlement(data, after, &error) ||
            !CheckStepLayers(data, folder, after, &error)) {
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
    // Values from the map the valuer typed over, and what only the steps take again.
    for (const QString& line : map.typed + map.left)
        err << OneLine(line) << Qt::endl;
    for (const valuation::Problem& p : result.mapChanges)
        if (!map.left.contains(valuation::MapLine(p)))
            err << OneLine(valuation::MapLine(p)) << Qt::endl;
    return result.agrees() && map.typed.isEmpty() && map.left.isEmpty() ? 0 : 1;
}
