#include "commands/LayersCommand.h"

#include "commands/CommandLine.h"
#include "commands/SettlementFolder.h"

#include "common/FileUtils.h"
#include "common/GlobalVar.h"
#include "db/Database.h"
#include "gis/LayerImport.h"
#include "gis/SettlementExport.h"
#include "gis/SettlementLayers.h"
#include "gis/SettlementTiling.h"
#include "map/CoordinateSystems.h"
#include "map/VectorSource.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

constexpr int Done = 0;
constexpr int NotWritten = 1;
constexpr int WrongCall = 2;

/** The folder as given, or "" after saying in one line that it is missing. */
QString existingFolder(const QString& given, QTextStream& err) {
    const QString folder = ExcludeTrailingBackslashes(QDir::cleanPath(QDir(given).absolutePath()));
    if (!QFileInfo(folder).isDir()) {
        err << QStringLiteral("Папки \"") << QDir::toNativeSeparators(folder)
            << QStringLiteral("\" немає.") << Qt::endl;
        return QString();
    }
    // Layers whose writing was cut short come back whole before they are listed or written.
    if (QString problem; !RecoverSettlementFolder(folder, &problem)) {
        err << problem.replace(u'\r', u' ') << Qt::endl;
        return QString();
    }
    return folder;
}

QString crsCaption(const QString& wkt) {
    return wkt.isEmpty() ? QStringLiteral("без системи координат (числова, метри)")
                         : Crs::describe(wkt);
}

int listLayers(const QString& folder, QTextStream& out, QTextStream& err) {
    const std::vector<SettlementLayer> layers = ListSettlementLayers(folder);
    if (layers.empty()) {
        err << QStringLiteral("У папці \"") << QDir::toNativeSeparators(folder)
            << QStringLiteral("\" немає шарів (.tab).") << Qt::endl;
        return Done;
    }
    out << QStringLiteral("Шар\tВид\tОб'єктів\tПоля\tСистема координат") << Qt::endl;
    for (const SettlementLayer& layer : layers) {
        out << layer.name << u'\t'
            << (layer.target ? LayerTargetCaption(*layer.target) : QStringLiteral("інший"))
            << u'\t';
        if (layer.error.isEmpty())
            out << layer.features << u'\t' << layer.fields.join(QStringLiteral(", ")) << u'\t'
                << crsCaption(layer.crsWkt);
        else
            out << QStringLiteral("не читається: ") << layer.error;
        out << Qt::endl;
    }
    return Done;
}

/** Lines of one kind, each on its own line with a caption. */
void printLines(QTextStream& stream, const QString& caption, const QStringList& lines) {
    for (const QString& line : lines)
        stream << caption << line << Qt::endl;
}

int importLayer(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (args.size() < 3) {
        err << QStringLiteral("Потрібні ПАПКА, ВИД і ФАЙЛ: tamberon layers import ПАПКА ВИД "
                              "ФАЙЛ (докладніше: tamberon layers --help).")
            << Qt::endl;
        return WrongCall;
    }
    for (int i = 0; i < 3; ++i)
        if (RefuseOption(args[i], QStringLiteral("layers"), err))
            return WrongCall;
    ImportRequest request;
    request.folder = existingFolder(args[0], err);
    if (request.folder.isEmpty())
        return WrongCall;
    QString reason;
    if (!ParseLayerTarget(args[1], request.target, &reason)) {
        err << reason << Qt::endl;
        return WrongCall;
    }
    request.source = QFileInfo(args[2]).absoluteFilePath();
    bool replace = false;
    bool allowOverlaps = false;
    for (int i = 3; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--replace")) {
            replace = true;
        } else if (a == QLatin1String("--allow-overlaps")) {
            allowOverlaps = true;
        } else if (a == QLatin1String("--layer") && hasValue) {
            request.layer = args[++i];
        } else if (a == QLatin1String("--crs") && hasValue) {
            request.crs = args[++i];
        } else if (a == QLatin1String("--field") && hasValue && args[i + 1].contains(u'=')) {
            const QString pair = args[++i];
            const qsizetype eq = pair.indexOf(u'=');
            request.mapping[pair.left(eq).trimmed()] = pair.mid(eq + 1).trimmed();
        } else {
            err << QStringLiteral("Незрозумілий параметр \"") << a
                << QStringLiteral("\" (докладніше: tamberon layers --help).") << Qt::endl;
            return WrongCall;
        }
    }
    if (!QFileInfo(request.source).isFile()) {
        err << NotAFileLine(request.source) << Qt::endl;
        return WrongCall;
    }
    if (request.layer.isEmpty()) {
        QStringList names;
        if (VectorSource::layerNames(request.source, names, &reason) && names.size() > 1) {
            err << QStringLiteral("У файлі кілька шарів (") << names.join(QStringLiteral(", "))
                << QStringLiteral("): вкажіть один параметром --layer НАЗВА.") << Qt::endl;
            return WrongCall;
        }
    }
    ImportResult result;
    if (!PrepareImport(request, result, &reason)) {
        err << reason << Qt::endl;
        return WrongCall;
    }
    printLines(out, QString(), result.notes);
    printLines(err, QStringLiteral("Увага: "), result.warnings);
    if (!result.ok()) {
        printLines(err, QStringLiteral("Відмова: "), result.refusals);
        err << QStringLiteral("Шар не записано.") << Qt::endl;
        return NotWritten;
    }
    if (result.exists && !replace) {
        err << QStringLiteral("Шар «") << LayerFileBase(request.target)
            << QStringLiteral("» уже є; щоб замінити його (старі файли буде скопійовано), "
                              "додайте --replace. Шар не записано.")
            << Qt::endl;
        return NotWritten;
    }
    // Districts, zones and functional regions that overlap, leave gaps or pass the boundary
    // give wrong areas to every step that overlays them.
    SettlementTiling tiling;
    CheckImportTiling(request.folder, request.target, result.features, tiling);
    printLines(err, QStringLiteral("Примітка: "), tiling.notes);
    if (!tiling.clean()) {
        printLines(err, allowOverlaps ? QStringLiteral("Увага: ") : QStringLiteral("Відмова: "),
                   tiling.lines());
        if (!allowOverlaps) {
            err << QStringLiteral("Шар не записано; щоб записати його попри це, додайте "
                                  "--allow-overlaps.")
                << Qt::endl;
            return NotWritten;
        }
    }
    QString copied;
    if (!WriteImport(result, replace, LayerCopiesFolder(request.folder), &copied, &reason)) {
        err << reason << Qt::endl << QStringLiteral("Шар не записано.") << Qt::endl;
        return NotWritten;
    }
    if (!copied.isEmpty())
        out << QStringLiteral("Копія старого шару: ") << QDir::toNativeSeparators(copied)
            << Qt::endl;
    out << QStringLiteral("Записано: ") << QDir::toNativeSeparators(result.path) << Qt::endl;
    return Done;
}

int exportLayers(const QStringList& args, QTextStream& out, QTextStream& err) {
    QStringList given;
    bool force = false;
    for (const QString& a : args) {
        if (a == QLatin1String("--force"))
            force = true;
        else if (RefuseOption(a, QStringLiteral("layers"), err))
            return WrongCall;
        else
            given << a;
    }
    if (given.size() != 2 || given[0].isEmpty() || given[1].isEmpty()) {
        err << QStringLiteral("Потрібні ПАПКА і ФАЙЛ.gpkg: tamberon layers export ПАПКА ФАЙЛ.gpkg "
                              "(докладніше: tamberon layers --help).")
            << Qt::endl;
        return WrongCall;
    }
    QString folder;
    Connection data;
    if (const int status = OpenSettlementFolder(given[0], data, folder, err); status != 0)
        return status;
    const QString path = QFileInfo(given[1]).absoluteFilePath();
    if (!QFileInfo(path).absoluteDir().exists()) {
        err << QStringLiteral("Папки \"")
            << QDir::toNativeSeparators(QFileInfo(path).absolutePath())
            << QStringLiteral("\" немає.") << Qt::endl;
        return WrongCall;
    }
    {
        QString refusal;
        const ExportTargetProblem problem = CheckExportTarget(folder, path, force, &refusal);
        if (problem != ExportTargetProblem::None) {
            err << refusal << Qt::endl;
            return problem == ExportTargetProblem::Protected ? WrongCall : NotWritten;
        }
    }
    ExportResult result;
    QString reason;
    if (!ExportSettlement(folder, data, path, result, &reason)) {
        err << reason << Qt::endl << QStringLiteral("Файл не записано.") << Qt::endl;
        return NotWritten;
    }
    printLines(err, QStringLiteral("Увага: "), result.warnings);
    out << QStringLiteral("Шари: ") << result.layers.join(QStringLiteral(", ")) << Qt::endl;
    out << QStringLiteral("Записано: ") << QDir::toNativeSeparators(path) << Qt::endl;
    return Done;
}

} // namespace

QString LayersCommandHelp() {
    return QStringLiteral(
        "Використання:\n"
        "  tamberon layers ПАПКА\n"
        "      шари населеного пункту в ПАПЦІ: вид, кількість об'єктів, поля, система координат\n"
        "  tamberon layers import ПАПКА ВИД ФАЙЛ [--layer НАЗВА] [--field ПОЛЕ=ПОЛЕ_ДЖЕРЕЛА]...\n"
        "                         [--crs СИСТЕМА] [--replace] [--allow-overlaps]\n"
        "      робить шар населеного пункту з векторного файлу будь-якого формату, який читає\n"
        "      GDAL (Shapefile, GeoPackage, GeoJSON, KML, DXF, MapInfo TAB і MIF...)\n"
        "  tamberon layers export ПАПКА ФАЙЛ.gpkg [--force]\n"
        "      записує всі шари і оцінку районів та зон в один GeoPackage\n"
        "\n"
        "ВИД: межі, райони, зони, функціональне, грунти або лок з номером фактора (лок07).\n"
        "Поля, які читають кроки: межі - Nazva; райони - Raion, Zona, Km3_sr; зони - Zona,\n"
        "Cena_1m2, Km2; функціональне - Code; грунти - Code, Bonitet; лок - Km3. Поля джерела\n"
        "добираються за назвою і типом; --field Raion=NOMER вказує поле явно, --field Zona=\n"
        "не бере його зовсім.\n"
        "--layer: шар джерела, у якому їх кілька. --crs: система координат населеного\n"
        "пункту (EPSG:6384...), коли його шари ще не мають її; інакше координати\n"
        "перераховуються в систему наявних шарів. --replace: замінити наявний шар (старі\n"
        "файли спершу копіюються до автоматичних копій).\n"
        "Райони і зони мають вкривати межі населеного пункту без перекриттів і розривів,\n"
        "функціональні зони - не перекриватися, і всі вони - лежати в межах (шматки, менші\n"
        "за 0,01 % меншої площі або 1 м², не враховуються). Шар, що це порушує, не\n"
        "записується: кожне перекриття, розрив чи вихід за межі друкується з площею і\n"
        "точкою; --allow-overlaps: записати його попри це.\n"
        "\n"
        "Експорт: усі шари .tab у їхній системі координат, а також шар \"оцінка\" (райони з\n"
        "Raion, Zona, Km2, Cena_1m2 - вартість 1 м² зони, Km3_sr, Plosha_ga - площа, га) і\n"
        "шар \"оцінка зон\" (Zona, Km2, Cena_1m2) з даних кроків оцінки. Файл пишеться під\n"
        "тимчасовою назвою і стає на місце цілим. Файл, якого не записав експорт, замінюється\n"
        "лише з --force; базу і шари населеного пункту - ніколи.\n"
        "\n"
        "Код завершення: 0 - шар або файл записано (перелік надруковано); 1 - шар відхилено\n"
        "або не записано (причини на стандартному виводі помилок, по рядку на кожну);\n"
        "2 - неправильний виклик, немає папки або файлу.\n");
}

int RunLayersCommand(const QStringList& arguments, const QString& appDir, QTextStream& out,
                     QTextStream& err) {
    if (AnswerCommandHelp(arguments, LayersCommandHelp(), out))
        return Done;
    InitGlobalVar(appDir); // the automatic copies go to the program folder's copies
    const QString verb = arguments.value(0);
    if (verb == QLatin1String("import"))
        return importLayer(arguments.mid(1), out, err);
    if (verb == QLatin1String("export"))
        return exportLayers(arguments.mid(1), out, err);
    if (arguments.size() == 1 && RefuseOption(arguments[0], QStringLiteral("layers"), err))
        return WrongCall;
    if (arguments.size() == 1 && !arguments[0].isEmpty()) {
        const QString folder = existingFolder(arguments[0], err);
        return folder.isEmpty() ? WrongCall : listLayers(folder, out, err);
    }
    err << QStringLiteral("Незрозумілий виклик (докладніше: tamberon layers --help).") << Qt::endl;
    return WrongCall;
}
