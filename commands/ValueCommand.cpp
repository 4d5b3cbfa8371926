#include "commands/ValueCommand.h"

#include "commands/CommandLine.h"
#include "commands/SettlementFolder.h"

#include "common/FileUtils.h"
#include "common/TextUtils.h"
#include "db/Database.h"
#include "db/Databases.h"
#include "gis/PlaceValue.h"
#include "gis/PlotSource.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTextStream>

#include <ogr_geometry.h>

namespace {

constexpr int Valued = 0;
constexpr int NotValued = 1;
constexpr int WrongCall = 2;

/** What the command line asks. */
struct ValueRequest {
    QString folder;
    bool hasPoint = false;
    QPointF point;
    QString plotFile;
    QString plotLayer;
    bool json = false;
    PlaceOptions options;
};

/** "" when the arguments make a request, else the one-line reason. */
QString parse(const QStringList& args, ValueRequest& r) {
    if (args.isEmpty() || IsOption(args[0]))
        return QStringLiteral("Вкажіть папку населеного пункту: tamberon value ПАПКА --at X,Y.");
    r.folder = args[0];
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--json")) {
            r.json = true;
        } else if (a == QLatin1String("--at") && hasValue) {
            const QStringList xy = args[++i].split(u',');
            const std::optional<double> x = xy.size() == 2 ? ParseNumber(xy[0]) : std::nullopt;
            const std::optional<double> y = xy.size() == 2 ? ParseNumber(xy[1]) : std::nullopt;
            if (!x || !y)
                return QStringLiteral(
                    "Точку задають двома числами через кому: --at 7012.5,9501.2.");
            r.hasPoint = true;
            r.point = {*x, *y};
        } else if (a == QLatin1String("--plot") && hasValue) {
            r.plotFile = QFileInfo(args[++i]).absoluteFilePath();
        } else if (a == QLatin1String("--layer") && hasValue) {
            r.plotLayer = args[++i];
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
        } else {
            return QStringLiteral(
                       "Незрозумілий параметр \"%1\" (докладніше: tamberon value --help).")
                .arg(a);
        }
    }
    if (r.hasPoint == !r.plotFile.isEmpty())
        return QStringLiteral(
            "Вкажіть одне з двох: точку (--at X,Y) або файл ділянки (--plot ФАЙЛ).");
    return QString();
}

} // namespace

QString ValueCommandHelp() {
    return QStringLiteral(
        "Використання:\n"
        "  tamberon value ПАПКА --at X,Y [--use КОД] [--year РІК] [--from РІК] [--json]\n"
        "  tamberon value ПАПКА --plot ФАЙЛ [--layer НАЗВА] [--use КОД] [--year РІК]\n"
        "                 [--from РІК] [--json]\n"
        "\n"
        "Вартість 1 м² у точці населеного пункту (X, Y - координати в системі його шарів):\n"
        "район і зона в точці, Км2 і вартість 1 м² зони, кожен локальний фактор, чия ділянка\n"
        "вкриває точку, з коефіцієнтом і їх добуток Км3, Кф використання і вартість\n"
        "1 м² = вартість зони × Кф × Км3. --plot: ділянка з векторного файлу будь-якого\n"
        "формату; де вона перетинає райони чи ділянки факторів, кожну частину оцінено\n"
        "окремо, а вартості додано.\n"
        "--use: код функціонального використання (К, Ж, П, Г, Т, І, Р, О...; типово Ж).\n"
        "--from: рік оцінки, у цінах якого збережено вартості; --year: рік, до якого\n"
        "індексувати за коефіцієнтами каталогу (типово поточний). Без --from індексації\n"
        "немає. --json: те саме одним об'єктом JSON.\n"
        "\n"
        "Код завершення: 0 - оцінено; 1 - місце поза межами населеного пункту, поза\n"
        "районами або зона району ще без вартості (причина одним рядком); 2 - неправильний\n"
        "виклик, немає папки, бази або файлу.\n");
}

bool ParseCommandYear(const QString& text, int& year) {
    const std::optional<long long> y = ParseInteger(text);
    if (!y || *y < 1900 || *y > 2200)
        return false;
    year = static_cast<int>(*y);
    return true;
}

int OpenPlaceInputs(const QString& argument, const QString& appDir, PlaceCommandInputs& in,
                    QTextStream& err) {
    if (const int status = OpenSettlementFolder(argument, in.data, in.folder, err); status != 0)
        return status;
    const QString cataloguePath = JoinPath(appDir, CatalogueFileName());
    in.haveCatalogue = QFileInfo(cataloguePath).isFile() && in.catalogue.open(cataloguePath);
    QString reason;
    if (!in.layers.load(in.folder, &reason) ||
        !ReadPlaceSources(in.data, in.haveCatalogue ? &in.catalogue : nullptr, in.sources,
                          &reason)) {
        err << reason << Qt::endl;
        return WrongCall;
    }
    return 0;
}

int RunValueCommand(const QStringList& arguments, const QString& appDir, QTextStream& out,
                    QTextStream& err) {
    if (AnswerCommandHelp(arguments, ValueCommandHelp(), out))
        return Valued;
    ValueRequest request;
    if (const QString wrong = parse(arguments, request); !wrong.isEmpty()) {
        err << wrong << Qt::endl;
        return WrongCall;
    }
    PlaceCommandInputs in;
    if (const int status = OpenPlaceInputs(request.folder, appDir, in, err); status != 0)
        return status;
    const PlaceLayers& layers = in.layers;
    const PlaceSources& sources = in.sources;
    QString reason;
    PlaceValuation valuation;
    bool valued = false;
    if (request.hasPoint) {
        valued = ValuePoint(layers, sources, request.point, request.options, valuation, &reason);
    } else {
        if (!QFileInfo(request.plotFile).isFile()) {
            err << NotAFileLine(request.plotFile) << Qt::endl;
            return WrongCall;
        }
        std::unique_ptr<OGRGeometry> plot;
        QStringList notes;
        if (!ReadPlot(request.plotFile, request.plotLayer, layers.crsWkt(), plot, notes, &reason)) {
            err << reason << Qt::endl;
            return WrongCall;
        }
        OGRPoint centre;
        plot->Centroid(&centre);
        valued = ValuePlot(sources, layers.split(*plot), {centre.getX(), centre.getY()},
                           request.options, valuation, &reason);
        valuation.notes = notes + valuation.notes;
    }
    if (!valued) {
        err << reason << Qt::endl;
        return NotValued;
    }
    if (request.json)
        out << QString::fromUtf8(QJsonDocument(PlaceValuationJson(valuation)).toJson());
    else
        for (const QString& line : PlaceValuationLines(valuation))
            out << line << Qt::endl;
    return Valued;
}
