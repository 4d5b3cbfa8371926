#include "commands/PlotsCommand.h"

#include "commands/CommandLine.h"
#include "commands/SettlementFolder.h"
#include "commands/ValueCommand.h"
#include "common/FileUtils.h"
#include "common/TextUtils.h"
#include "db/Database.h"
#include "db/Databases.h"
#include "gis/LandTax.h"
#include "gis/PlaceLayers.h"
#include "gis/PlaceValue.h"
#include "gis/PlotExtract.h"
#include "gis/RegisterOutputs.h"
#include "gis/RegisterTable.h"
#include "gis/RegisterValuation.h"
#include "map/CoordinateSystems.h"
#include "valuation/PurposeBook.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTextStream>

namespace {

constexpr int AllValued = 0;
constexpr int SomeNotValued = 1;
constexpr int WrongCall = 2;

/** What the command line asks. */
struct PlotsRequest {
    QString folder;
    QStringList sources;
    QString layer;
    PlotFields fields;
    QString crsWkt;
    QString registerPath;
    QString packagePath;
    QString extractsFolder;
    TaxRates rates;
    bool json = false;
    PlaceOptions options;
};

QString absolute(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

/** "" when the output path may be written, else the one-line reason. */
QString checkOutput(const QString& path, const QString& suffix, const QString& option) {
    const QFileInfo info(path);
    if (info.suffix().compare(suffix, Qt::CaseInsensitive) != 0)
        return QStringLiteral("Файл %1 має бути .%2: \"%3\".")
            .arg(option, suffix, QDir::toNativeSeparators(path));
    if (!info.absoluteDir().exists())
        return QStringLiteral("Папки \"%1\" немає.")
            .arg(QDir::toNativeSeparators(info.absolutePath()));
    if (info.isDir())
        return QStringLiteral("\"%1\" - це папка.").arg(QDir::toNativeSeparators(path));
    return QString();
}

/** "" when the arguments make a request, else the one-line reason. */
QString parse(const QStringList& args, PlotsRequest& r) {
    if (args.isEmpty() || args[0].startsWith(QLatin1String("--")))
        return QStringLiteral(
            "Вкажіть папку населеного пункту і джерела ділянок: tamberon plots ПАПКА ФАЙЛ...");
    r.folder = args[0];
    QString crsText;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--json")) {
            r.json = true;
        } else if (a == QLatin1String("--use") && hasValue) {
            r.options.use = args[++i].trimmed();
            if (QString unknown; !IsLandUseCode(r.options.use, &unknown))
                return unknown;
        } else if (a == QLatin1String("--year") && hasValue) {
            if (!ParseCommandYear(args[++i], r.options.year))
                return QStringLiteral("Рік \"%1\" не є роком (--year 2026).").arg(args[i]);
        } else if (a == QLatin1String("--from") && hasValue) {
            if (!ParseCommandYear(args[++i], r.options.fromYear))
                return QStringLiteral("Рік \"%1\" не є роком (--from 2021).").arg(args[i]);
        } else if (a == QLatin1String("--register") && hasValue) {
            r.registerPath = absolute(args[++i]);
        } else if (a == QLatin1String("--gpkg") && hasValue) {
            r.packagePath = absolute(args[++i]);
        } else if (a == QLatin1String("--extracts") && hasValue) {
            r.extractsFolder = absolute(args[++i]);
        } else if (a == QLatin1String("--crs") && hasValue) {
            crsText = args[++i];
            QString reason;
            if (!Crs::parse(crsText, &r.crsWkt, &reason))
                return QStringLiteral("Систему координат \"%1\" не розпізнано: %2")
                    .arg(crsText, reason);
        } else if (a == QLatin1String("--tax") && hasValue) {
            if (QString reason; !ReadTaxRates(absolute(args[++i]), r.rates, &reason))
                return reason;
        } else if (a == QLatin1String("--layer") && hasValue) {
            r.layer = args[++i];
        } else if (a == QLatin1String("--field") && hasValue) {
            if (QString reason; !ParsePlotField(args[++i], r.fields, &reason))
                return reason;
        } else if (!a.startsWith(QLatin1String("--"))) {
            if (!QFileInfo::exists(a))
                return QStringLiteral("Джерела \"%1\" немає.").arg(QDir::toNativeSeparators(a));
            r.sources << absolute(a);
        } else {
            return QStringLiteral(
                       "Незрозумілий параметр \"%1\" (докладніше: tamberon plots --help).")
                .arg(a);
        }
    }
    if (r.sources.isEmpty())
        return QStringLiteral("Вкажіть хоча б одне джерело ділянок: векторний файл, обмінний "
                              "файл кадастру (.xml) або папку з ними.");
    if (!r.extractsFolder.isEmpty() && QFileInfo(r.extractsFolder).isFile())
        return QStringLiteral("--extracts має бути папкою, а не файлом: \"%1\".")
            .arg(QDir::toNativeSeparators(r.extractsFolder));
    const std::pair<const QString*, QString> outputs[] = {{&r.registerPath, QStringLiteral("xlsx")},
                                                          {&r.packagePath, QStringLiteral("gpkg")}};
    for (const auto& [path, suffix] : outputs) {
        if (path->isEmpty())
            continue;
        const QString option = suffix == QLatin1String("xlsx") ? QStringLiteral("--register")
                                                               : QStringLiteral("--gpkg");
        if (const QString wrong = checkOutput(*path, suffix, option); !wrong.isEmpty())
            return wrong;
        // An output never takes the place of what the run reads.
        for (const QString& source : r.sources)
            if (*path == source)
                return QStringLiteral("Файл %1 \"%2\" - це джерело ділянок: оберіть інше ім'я.")
                    .arg(option, QDir::toNativeSeparators(*path));
    }
    return QString();
}

/** "" when the output does not replace a file of the settlement, else the reason. */
QString guardSettlement(const QString& path, const QString& folder) {
    if (path.isEmpty() || !QFileInfo::exists(path))
        return QString();
    const QString settlement = QDir::cleanPath(QFileInfo(folder).canonicalFilePath());
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.startsWith(settlement + u'/'))
        return QStringLiteral("Файл \"%1\" уже є в папці населеного пункту: щоб не замінити його "
                              "файлів, оберіть інше ім'я.")
            .arg(QDir::toNativeSeparators(path));
    return QString();
}

} // namespace

QString PlotsCommandHelp() {
    return QStringLiteral(
        "Використання:\n"
        "  tamberon plots ПАПКА ДЖЕРЕЛО... [--use КОД] [--year РІК] [--from РІК]\n"
        "                 [--register ФАЙЛ.xlsx] [--gpkg ФАЙЛ.gpkg] [--extracts ПАПКА]\n"
        "                 [--crs СИСТЕМА]\n"
        "                 [--tax ФАЙЛ] [--layer НАЗВА] [--field НАЗВА=ПОЛЕ] [--json]\n"
        "\n"
        "Нормативна грошова оцінка кожної ділянки з джерел: векторних файлів будь-якого\n"
        "формату (Shapefile, GeoPackage, GeoJSON, MapInfo...), обмінних файлів кадастру\n"
        "(XML) або папок з ними. Кожну ділянку розрізано районами і ділянками локальних\n"
        "факторів, кожну частину оцінено як вартість зони × Кф × Км3; де ділянка має\n"
        "зазначену площу, частини приведено до неї (кожна до 0.0001 га). Ділянку, чия\n"
        "площа за межею відрізняється від зазначеної більш як на 1 %, позначено.\n"
        "Ділянку, яку неможливо прочитати чи оцінити, наведено з причиною одним рядком.\n"
        "Категорію функціонального використання (Кф) кожної ділянки взято з довідника\n"
        "\"призначення\" каталогу за кодом її призначення; ділянку, чий код не має\n"
        "там категорії, не оцінено (причину наведено).\n"
        "--use: код функціонального використання для всіх ділянок (К, Ж, П, Г, Т, І, Р,\n"
        "О...) замість довідника.\n"
        "--from: рік оцінки, у цінах якого збережено вартості; --year: рік, до якого\n"
        "індексувати (типово поточний). Без --from індексації немає.\n"
        "--register: книга реєстру (ділянка в рядку, підсумки, аркуш \"Не оцінено\").\n"
        "--gpkg: шар \"plots\" ділянок з їх вартостями в GeoPackage.\n"
        "--extracts: папка, куди записати витяг кожної оціненої ділянки (.docx і PDF,\n"
        "файл названо її кадастровим номером).\n"
        "Земельний податок рахується за ставками довідника \"ставки_податку\" каталогу\n"
        "(% нормативної оцінки) з індексованої оцінки (без --from - з оцінки).\n"
        "--tax: ставки з файлу рядками \"КОД;СТАВКА\" (код цільового призначення, розділу\n"
        "або категорії) замість довідника.\n"
        "--crs: система координат джерел, які її не називають або називають невідому\n"
        "(EPSG:6384, WKT або PROJ).\n"
        "--layer: шар векторних файлів з кількома шарами.\n"
        "--field: поле файлу для cadastral (кадастровий номер), purpose (код цільового\n"
        "призначення), area (площа, га) або address (адреса); типово поля вгадуються.\n"
        "--json: усе одним об'єктом JSON.\n"
        "Файли папки населеного пункту не замінюються.\n"
        "\n"
        "Код завершення: 0 - оцінено всі ділянки; 1 - деякі не оцінено (причини в\n"
        "переліку); 2 - неправильний виклик, немає папки, бази або джерела, результат\n"
        "неможливо записати.\n");
}

int RunPlotsCommand(const QStringList& arguments, const QString& appDir, QTextStream& out,
                    QTextStream& err) {
    if (AnswerCommandHelp(arguments, PlotsCommandHelp(), out))
        return AllValued;
    PlotsRequest request;
    if (const QString wrong = parse(arguments, request); !wrong.isEmpty()) {
        err << wrong << Qt::endl;
        return WrongCall;
    }
    PlaceCommandInputs in;
    if (const int status = OpenPlaceInputs(request.folder, appDir, in, err); status != 0)
        return status;
    const QString& folder = in.folder;
    for (const QString& path : {request.registerPath, request.packagePath})
        if (const QString wrong = guardSettlement(path, folder); !wrong.isEmpty()) {
            err << wrong << Qt::endl;
            return WrongCall;
        }
    // Refused before anything is written, not after the register.
    if (!request.extractsFolder.isEmpty() &&
        QDir::cleanPath(request.extractsFolder) == QDir::cleanPath(folder)) {
        err << QStringLiteral("Витяги не пишуться до папки населеного пункту: оберіть іншу "
                              "папку (--extracts).")
            << Qt::endl;
        return WrongCall;
    }
    Connection& catalogue = in.catalogue;
    const bool haveCatalogue = in.haveCatalogue;
    const PlaceLayers& layers = in.layers;
    const PlaceSources& sources = in.sources;
    QString reason;
    // The catalogue's book of purposes gives each plot its category; its rates of land tax
    // serve unless a file of rates is given.
    PurposeBook purposes;
    if (haveCatalogue && !LoadPurposeBook(catalogue, purposes, &reason)) {
        err << reason << Qt::endl;
        return WrongCall;
    }
    if (haveCatalogue && request.rates.isEmpty() &&
        !LoadTaxRates(catalogue, request.rates, &reason)) {
        err << reason << Qt::endl;
        return WrongCall;
    }
    const PurposeUse useOf = [&purposes](const QString& purpose, QString* why) {
        QString use;
        return UseForPurpose(purposes, purpose, &use, why) ? use : QString();
    };
    const PurposeName nameOf = [&purposes](const QString& code) {
        const Purpose* found = purposes.find(code);
        return found ? found->name : QString();
    };
    std::vector<RegisterPlot> plots;
    ReadPlotSources(request.sources, request.layer, request.fields,
                    {layers.crsWkt(), request.crsWkt}, plots);
    std::vector<ValuedPlot> valued;
    ValueRegister(layers, sources, plots, haveCatalogue ? useOf : PurposeUse(), request.options,
                  valued);
    ApplyLandTax(request.rates, plots, valued);

    if (!request.registerPath.isEmpty() &&
        !WriteRegisterBook(request.registerPath, plots, valued, nameOf, &reason)) {
        err << reason << Qt::endl;
        return WrongCall;
    }
    if (!request.packagePath.isEmpty() &&
        !WriteRegisterPackage(request.packagePath, plots, valued, layers.crsWkt(), &reason)) {
        err << reason << Qt::endl;
        return WrongCall;
    }
    if (!request.extractsFolder.isEmpty()) {
        ExtractRequisites requisites;
        requisites.settlement =
            SettlementName(haveCatalogue ? &catalogue : nullptr, in.data, folder);
        if (request.options.fromYear > 0)
            requisites.valuationYear = QString::number(request.options.fromYear);
        requisites.date = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
        std::vector<ExtractPlot> extracts;
        for (size_t i = 0; i < plots.size(); ++i) {
            if (valued[i].valued)
                extracts.push_back(ExtractPlotOf(plots[i], valued[i], nameOf));
        }
        const ExtractLayers maps{&layers, ReadZoneLayer(folder)};
        ExtractsResult written;
        if (!WriteExtracts(
                JoinPath(JoinPath(appDir, QStringLiteral("Шаблон")), QStringLiteral("Витяг.dotx")),
                requisites, maps, extracts, request.extractsFolder, {}, written, &reason,
                &sources.settlement)) {
            err << reason << Qt::endl;
            return WrongCall;
        }
        for (const QString& failure : written.failures)
            err << failure << Qt::endl;
        if (!request.json)
            out << QStringLiteral("Витягів записано: %1 (%2).")
                       .arg(written.written)
                       .arg(QDir::toNativeSeparators(request.extractsFolder))
                << Qt::endl;
        if (!written.failures.isEmpty())
            return SomeNotValued;
    }
    if (request.json)
        out << QString::fromUtf8(QJsonDocument(RegisterJson(plots, valued)).toJson());
    else
        for (const QString& line : RegisterLines(plots, valued))
            out << line << Qt::endl;
    const RegisterTotals totals = TotalsOf(plots, valued);
    return totals.notValued == 0 && totals.valued > 0 ? AllValued : SomeNotValued;
}
