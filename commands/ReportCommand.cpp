#include "commands/ReportCommand.h"

#include "commands/CommandLine.h"
#include "commands/SettlementFolder.h"

#include "catalogue/core/CataloguePaths.h"
#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "db/Backup.h"
#include "db/Database.h"
#include "db/Databases.h"
#include "db/QueryFunctions.h"
#include "gis/SettlementLayers.h"
#include "reports/ReportData.h"
#include "reports/ReportRun.h"
#include "steps/common/StepLayers.h"
#include "valuation/Check.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>

QString ReportCommandHelp() {
    return QStringLiteral(
        "Використання: tamberon report ПАПКА\n"
        "              tamberon report --anyway ПАПКА\n"
        "\n"
        "Заповнює технічний звіт і обидва розрахунки грошової оцінки населеного пункту,\n"
        "чия папка ПАПКА (у ній \"data.sqlite\" поруч із картами), так само, як пункт\n"
        "\"Заповнити звіт\", але без жодного вікна і без запитань: наявні файли замінюються.\n"
        "Шаблони і каталог беруться з папки програми. Назва населеного пункту береться з\n"
        "каталогу проектів, інакше з показника \"Назва\", інакше це назва папки.\n"
        "\n"
        "Створюються у ПАПЦІ і вносяться до матеріалів:\n"
        "  Технічний звіт.docx\n"
        "  Розрахунок грошової оцінки.xlsx\n"
        "  Розрахунок грошової оцінки з кварталами.xlsx\n"
        "\n"
        "Спершу розрахунок перевіряється, як tamberon check: коли збережені результати не\n"
        "узгоджено з вихідними даними, звіт не заповнюється, а на стандартний вивід\n"
        "друкуються розбіжності (код 1). З --anyway звіт заповнюється попри них, а на його\n"
        "титульній сторінці позначено \"розрахунок не перевірено\". Кожен документ несе\n"
        "позначку стану даних, з яких його складено (tamberon check називає застарілі).\n"
        "Розрахунок, який не створено через брак даних, видаляється разом із записом у\n"
        "матеріалах, щоб не лишався файл попереднього звіту.\n"
        "\n"
        "На стандартний вивід друкується повний шлях кожного збереженого файлу (по рядку на\n"
        "файл), на стандартний вивід помилок - причина для кожного незбереженого.\n"
        "\n"
        "Код завершення: 0 - збережено всі три файли; 1 - збережено не всі або розрахунок\n"
        "не узгоджено (без --anyway);\n"
        "2 - неправильний виклик, немає папки, немає бази населеного пункту, вона не\n"
        "відкривається або пошкоджена (одне повідомлення на стандартному виводі помилок).\n");
}

int RunReportCommand(const QStringList& arguments, const QString& appDir, QTextStream& out,
                     QTextStream& err) {
    if (AnswerCommandHelp(arguments, ReportCommandHelp(), out))
        return 0;
    QStringList folders = arguments;
    const bool anyway = folders.removeAll(QStringLiteral("--anyway")) > 0;
    if (folders.size() != 1 || folders[0].isEmpty()) {
        err << QStringLiteral("Вкажіть одну папку населеного пункту: tamberon report ПАПКА "
                              "(докладніше: tamberon report --help).")
            << Qt::endl;
        return 2;
    }
    if (RefuseOption(folders[0], QStringLiteral("report"), err))
        return 2;
    Connection data;
    QString folder;
    if (const int status = OpenSettlementFolder(folders[0], data, folder, err); status != 0)
        return status;
    // Documents are made from a settlement the check finds in agreement, unless asked.
    valuation::CheckResult check;
    QString checkError;
    if (!valuation::CheckSettlement(data, check, &checkError) ||
        !CheckStepLayers(data, folder, check, &checkError)) {
        err << reports::OneLine(checkError) << Qt::endl;
        return 2;
    }
    const bool agrees = check.agrees();
    if (!agrees && !anyway) {
        err << QStringLiteral("Розрахунок не узгоджено з вихідними даними, звіт не заповнено. "
                              "Перерахуйте: tamberon recalc ПАПКА, або заповніть звіт попри "
                              "це: tamberon report --anyway ПАПКА.")
            << Qt::endl;
        for (const QString& line : valuation::CheckLines(check))
            out << reports::OneLine(line) << Qt::endl;
        return 1;
    }
    // What the check read is not needed by the documents, which read their own.
    check = valuation::CheckResult{};
    data.releaseCache();
    Connection catalogue;
    const QString cataloguePath = JoinPath(appDir, CatalogueFileName());
    const bool haveCatalogue = QFileInfo(cataloguePath).isFile() && catalogue.open(cataloguePath);

    // The catalogue's relative paths are taken against this program folder's projects root.
    InitGlobalVar(appDir);
    reports::ReportContext context{
        &data, haveCatalogue ? &catalogue : nullptr,
        SettlementName(haveCatalogue ? &catalogue : nullptr, data, folder), folder};
    context.unchecked = !agrees;
    reports::HeadlessJobRunner jobs;
    const backup::StoreLabel label(QStringLiteral("Заповнити звіт"));
    backup::BeforeSettlementStore(data);
    // The run goes on without its copy, but says so.
    if (QString problem = backup::TakeUntoldProblem(); !problem.isEmpty())
        err << problem.replace(u'\r', u' ') << Qt::endl;
    const reports::ReportRunResult result =
        reports::RunReports(context, folder, GlobalVar().Settings.TemplateDir, jobs, nullptr);
    for (const QString& path : result.saved)
        out << path << Qt::endl;
    for (const auto& [path, reason] : result.notSaved)
        err << QStringLiteral("Не збережено \"") << path << QStringLiteral("\": ") << reason
            << Qt::endl;
    for (const QString& failure : result.failures)
        err << failure << Qt::endl;
    for (const QString& note : result.notes)
        err << QStringLiteral("Увага: ") << note << Qt::endl;
    for (const QString& removed : result.removed)
        err << QStringLiteral("Видалено файл попереднього звіту \"") << removed
            << QStringLiteral("\", бо його не створено знову") << Qt::endl;
    if (context.unchecked)
        err << QStringLiteral("Увага: розрахунок не узгоджено з вихідними даними; на титульній "
                              "сторінці звіту позначено \"розрахунок не перевірено\".")
            << Qt::endl;
    return result.allSaved() ? 0 : 1;
}
