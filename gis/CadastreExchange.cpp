// The cadastre's XML exchange files: parcels with their boundaries assembled from the file's
// points and lines. Only the elements named here are read; owners, their documents and tax
// numbers are never touched.
#include "gis/PlotGeometry.h"
#include "gis/PlotRegister.h"

#include "common/LastError.h"
#include "common/TextUtils.h"
#include "map/CoordinateSystems.h"
#include "map/GdalScope.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <cpl_conv.h>
#include <cpl_string.h>
#include <ogr_geometry.h>
#include <ogr_spatialref.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace {

constexpr const char* RootName = "UkrainianCadastralExchangeFile";

QString text(pugi::xml_node node) {
    return QString::fromUtf8(node.child_value()).trimmed();
}

QString childText(pugi::xml_node node, const char* name) {
    return text(node.child(name));
}

std::optional<double> numberOf(QString t) {
    t = t.trimmed();
    t.replace(u',', u'.');
    return ParseNumber(t);
}

/** The file's bytes as UTF-8: a file declared in windows-1251 is recoded. */
bool readUtf8(const QString& path, QByteArray& bytes, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FailWith(
            error,
            QStringLiteral("Файл \"%1\" неможливо відкрити.").arg(QDir::toNativeSeparators(path)));
    // Exchange files of a whole settlement run to tens of megabytes; far more is no such file.
    constexpr qint64 MaxBytes = 512LL * 1024 * 1024;
    if (file.size() > MaxBytes)
        return FailWith(error, QStringLiteral("Файл \"%1\" завеликий для обмінного файлу "
                                              "кадастру (%2 МБ).")
                                   .arg(QDir::toNativeSeparators(path))
                                   .arg(file.size() / (1024 * 1024)));
    bytes = file.readAll();
    const qsizetype end = bytes.indexOf("?>");
    const QByteArray declaration = end > 0 && end < 400 ? bytes.left(end).toLower() : QByteArray();
    if (declaration.contains("1251")) {
        GdalScope scope;
        char* recoded = CPLRecode(bytes.constData(), "CP1251", CPL_ENC_UTF8);
        bytes = QByteArray(recoded);
        CPLFree(recoded);
    }
    return true;
}

/** A point of the file in the plane: x the easting (the file's Y), y the northing. */
struct PlanePoint {
    double x = 0;
    double y = 0;
};

/**
 * The 3-degree zones of UCS-2000 with the zone number before the easting: EPSG keeps them as
 * deprecated systems whose replacements drop that number, so they are asked for as they are.
 */
QString deprecatedSystem(int epsg) {
    GdalScope scope;
    CPLSetThreadLocalConfigOption("OSR_USE_NON_DEPRECATED", "NO");
    OGRSpatialReference srs;
    const bool ok = srs.importFromEPSG(epsg) == OGRERR_NONE;
    CPLSetThreadLocalConfigOption("OSR_USE_NON_DEPRECATED", nullptr);
    char* wkt = nullptr;
    if (!ok || srs.exportToWkt(&wkt) != OGRERR_NONE)
        return QString();
    const QString out = QString::fromUtf8(wkt);
    CPLFree(wkt);
    return out;
}

/** The file's coordinate system as a text GDAL reads, or "" with its name when unknown. */
QString systemOf(pugi::xml_node metric, double easting, QString& name) {
    const pugi::xml_node system = metric.child("CoordinateSystem").first_child();
    const QString kind = QString::fromUtf8(system.name());
    const int zone = static_cast<int>(std::floor(easting / 1e6));
    name = kind;
    if (kind == QLatin1String("SC42") && zone >= 4 && zone <= 9)
        return QStringLiteral("EPSG:%1").arg(28400 + zone);
    if (kind == QLatin1String("SC42_3") && zone >= 7 && zone <= 13)
        return QStringLiteral("EPSG:%1").arg(2516 + zone);
    if (kind == QLatin1String("USC2000") && zone >= 4 && zone <= 6)
        return QStringLiteral("EPSG:%1").arg(5558 + zone);
    if (kind == QLatin1String("USC2000") && zone >= 7 && zone <= 13)
        return deprecatedSystem(5570 + zone - 7);
    if (kind == QLatin1String("WGS84"))
        return QStringLiteral("EPSG:4326");
    if (kind == QLatin1String("SC63"))
        name = QStringLiteral("SC63, зона %1").arg(QString::fromUtf8(system.first_child().name()));
    else if (kind == QLatin1String("Local"))
        name = QStringLiteral("місцева %1").arg(text(system));
    else if (kind.isEmpty())
        name = QStringLiteral("не вказана");
    return QString();
}

/** The file's geometry: points by their numbers, lines as lists of point numbers. */
struct Metric {
    QHash<QString, PlanePoint> points;
    QHash<QString, QStringList> lines;
};

void readMetric(pugi::xml_node metric, double scale, Metric& m) {
    for (pugi::xml_node p : metric.child("PointInfo").children("Point")) {
        const std::optional<double> x = numberOf(childText(p, "X"));
        const std::optional<double> y = numberOf(childText(p, "Y"));
        if (x && y) // geodetic order: X north, Y east
            m.points.insert(childText(p, "UIDP"), {*y * scale, *x * scale});
    }
    for (pugi::xml_node pl : metric.child("Polyline").children("PL")) {
        QStringList uidps;
        for (pugi::xml_node p : pl.child("Points").children("P"))
            uidps << text(p);
        m.lines.insert(childText(pl, "ULID"), uidps);
    }
}

/** The points of one boundary line (the part FP..TP of its polyline when given). */
bool linePoints(const Metric& m, pugi::xml_node line, QStringList& out, QString* reason) {
    const QString id = childText(line, "ULID");
    const auto found = m.lines.constFind(id);
    if (found == m.lines.constEnd() || found->size() < 2)
        return FailWith(reason, QStringLiteral("лінії %1 межі немає у файлі").arg(id));
    out = *found;
    const QString from = childText(line, "FP");
    const QString to = childText(line, "TP");
    if (!from.isEmpty() && !to.isEmpty()) {
        const qsizetype a = out.indexOf(from);
        const qsizetype b = out.indexOf(to);
        if (a < 0 || b < 0 || a == b)
            return FailWith(reason,
                            QStringLiteral("точок %1-%2 немає на лінії %3").arg(from, to, id));
        out = out.mid(std::min(a, b), std::abs(b - a) + 1);
        if (a > b)
            std::reverse(out.begin(), out.end());
    }
    return true;
}

/**
 * A ring from the lines of a boundary, chained end to start whatever their order and
 * direction; false with the reason when a line or point is missing or it does not close.
 */
bool assembleRing(const Metric& m, pugi::xml_node boundary, OGRLinearRing& ring, QString* reason) {
    std::vector<QStringList> lines;
    for (pugi::xml_node line : boundary.child("Lines").children("Line")) {
        QStringList points;
        if (!linePoints(m, line, points, reason))
            return false;
        lines.push_back(points);
    }
    if (lines.empty())
        return FailWith(reason, QStringLiteral("межа не має ліній"));
    QStringList chain = lines[0];
    std::vector<bool> used(lines.size(), false);
    used[0] = true;
    for (size_t joined = 1; joined < lines.size(); ++joined) {
        bool found = false;
        for (size_t i = 0; i < lines.size() && !found; ++i) {
            if (used[i])
                continue;
            QStringList next = lines[i];
            if (next.last() == chain.last())
                std::reverse(next.begin(), next.end());
            if (next.first() != chain.last())
                continue;
            chain.append(next.mid(1));
            used[i] = found = true;
        }
        if (!found)
            return FailWith(reason, QStringLiteral("лінії межі не з'єднуються в контур (розрив "
                                                   "біля точки %1)")
                                        .arg(chain.last()));
    }
    if (chain.first() != chain.last() || chain.size() < 4)
        return FailWith(reason, QStringLiteral("межа не замкнена"));
    for (const QString& id : chain) {
        const auto p = m.points.constFind(id);
        if (p == m.points.constEnd())
            return FailWith(reason, QStringLiteral("точки %1 немає у файлі").arg(id));
        ring.addPoint(p->x, p->y);
    }
    return true;
}

/** Pads a numeric part of the cadastral number to its width ("1" → "001"). */
QString padded(const QString& part, int width) {
    static const QRegularExpression digits(QStringLiteral("^\\d+$"));
    return digits.match(part).hasMatch() ? part.rightJustified(width, u'0') : part;
}

QString addressOf(pugi::xml_node location) {
    QStringList parts;
    const QString settlement = childText(location, "Settlement");
    if (!settlement.isEmpty())
        parts << settlement;
    QStringList street;
    for (pugi::xml_node n : location.child("ParcelAddress").children())
        if (const QString t = text(n); !t.isEmpty())
            street << t;
    if (!street.isEmpty())
        parts << street.join(u' ');
    return parts.join(QStringLiteral(", "));
}

/** A parcel read: its numbers and texts, its region or the reason it has none. */
RegisterPlot readParcel(pugi::xml_node parcel, const Metric& m, const QString& zone,
                        const QString& quarter, const QString& file) {
    RegisterPlot p;
    const pugi::xml_node metric = parcel.child("ParcelMetricInfo");
    const QString id = childText(metric, "ParcelID");
    if (!zone.isEmpty() && !quarter.isEmpty() && !id.isEmpty())
        p.cadastral = zone + u':' + padded(quarter, 3) + u':' + padded(id, 4);
    p.source = QStringLiteral("%1, ділянка %2").arg(file, p.cadastral.isEmpty() ? id : p.cadastral);
    p.purpose = childText(parcel.child("CategoryPurposeInfo"), "Purpose");
    p.address = addressOf(parcel.child("ParcelLocationInfo"));
    const pugi::xml_node area = metric.child("Area");
    if (const std::optional<double> size = numberOf(childText(area, "Size")); size && *size > 0) {
        const QString unit = childText(area, "MeasurementUnit").toLower();
        const bool squareMetres =
            unit.contains(QStringLiteral("м")) && !unit.contains(QStringLiteral("га"));
        p.statedHa = squareMetres ? *size / 10000 : *size;
    }
    QString why;
    OGRPolygon polygon;
    auto* outer = new OGRLinearRing;
    if (!assembleRing(m, metric.child("Externals").child("Boundary"), *outer, &why)) {
        delete outer;
        p.reason = QStringLiteral("Зовнішню межу не складено: %1.").arg(why);
        return p;
    }
    polygon.addRingDirectly(outer);
    int hole = 0;
    for (pugi::xml_node inner : metric.child("Internals").children("Boundary")) {
        ++hole;
        auto* ring = new OGRLinearRing;
        if (!assembleRing(m, inner, *ring, &why)) {
            delete ring;
            p.reason = QStringLiteral("Внутрішню межу %1 не складено: %2.").arg(hole).arg(why);
            return p;
        }
        polygon.addRingDirectly(ring);
    }
    std::unique_ptr<OGRGeometry> region = PlotRegion(polygon, p.notes, &p.reason);
    if (region)
        p.geometry = std::move(region);
    return p;
}

} // namespace

bool IsExchangeFile(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(4096);
    return head.trimmed().startsWith('<') && head.contains(RootName);
}

bool ReadExchangePlots(const QString& path, const PlotSystems& systems,
                       std::vector<RegisterPlot>& plots, QString* error) {
    QByteArray bytes;
    if (!readUtf8(path, bytes, error))
        return false;
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed =
        doc.load_buffer(bytes.constData(), static_cast<size_t>(bytes.size()), pugi::parse_default,
                        pugi::encoding_utf8);
    const QString shown = QDir::toNativeSeparators(path);
    if (!parsed)
        return FailWith(error, QStringLiteral("Файл \"%1\" не є правильним XML: %2 (байт %3).")
                                   .arg(shown, QString::fromUtf8(parsed.description()))
                                   .arg(parsed.offset));
    const pugi::xml_node root = doc.document_element();
    if (std::strcmp(root.name(), RootName) != 0)
        return FailWith(error,
                        QStringLiteral("Файл \"%1\" не є обмінним файлом кадастру.").arg(shown));
    const pugi::xml_node info = root.child("InfoPart");
    const pugi::xml_node metricInfo = info.child("MetricInfo");
    const QString unit = childText(metricInfo, "MeasurementUnit");
    Metric metric;
    readMetric(metricInfo, unit == QLatin1String("Km") ? 1000 : 1, metric);

    const double easting = metric.points.isEmpty() ? 0 : metric.points.begin()->x;
    QString systemName;
    const QString systemText = systemOf(metricInfo, easting, systemName);
    QString fromWkt;
    QString reason;
    if (!systemText.isEmpty() && !Crs::parse(systemText, &fromWkt, &reason))
        fromWkt.clear();
    QString moveReason;
    QString moveNote;
    PlotMover mover;
    if (fromWkt.isEmpty() && systems.askedWkt.isEmpty() && !systems.settlementWkt.isEmpty())
        moveReason = QStringLiteral("Систему координат файлу (%1) програма не знає: вкажіть "
                                    "її (--crs).")
                         .arg(systemName);
    else if (!mover.prepare(fromWkt, systems, &moveReason, &moveNote) && moveReason.isEmpty())
        moveReason = QStringLiteral("Координати не вдалося перерахувати.");

    const QString file = QFileInfo(path).fileName();
    const size_t before = plots.size();
    for (pugi::xml_node zone : info.children("CadastralZoneInfo")) {
        const QString zoneNumber = childText(zone, "CadastralZoneNumber");
        for (pugi::xml_node quarter :
             zone.child("CadastralQuarters").children("CadastralQuarterInfo")) {
            const QString quarterNumber = childText(quarter, "CadastralQuarterNumber");
            for (pugi::xml_node parcel : quarter.child("Parcels").children("ParcelInfo")) {
                RegisterPlot p = readParcel(parcel, metric, zoneNumber, quarterNumber, file);
                if (p.geometry && !moveReason.isEmpty()) {
                    p.geometry.reset();
                    p.reason = moveReason;
                } else if (p.geometry) {
                    std::unique_ptr<OGRGeometry> moved(p.geometry->clone());
                    if (!mover.apply(*moved)) {
                        p.geometry.reset();
                        p.reason = QStringLiteral("Координати ділянки не вдалося перерахувати.");
                    } else {
                        p.geometry = std::move(moved);
                        if (!moveNote.isEmpty())
                            p.notes << moveNote;
                    }
                }
                plots.push_back(std::move(p));
            }
        }
    }
    if (plots.size() == before)
        return FailWith(error, QStringLiteral("У файлі \"%1\" немає жодної ділянки.").arg(shown));
    return true;
}
