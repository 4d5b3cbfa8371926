#include "map/CoordinateSystems.h"

#include "map/GdalScope.h"

#include <ogr_geometry.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// The system of a WKT text, x east and y north whatever its authority says.
bool load(const QString& wkt, OGRSpatialReference& srs) {
    if (wkt.isEmpty() || srs.importFromWkt(wkt.toUtf8().constData()) != OGRERR_NONE)
        return false;
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return true;
}

} // namespace

namespace Crs {

bool parse(const QString& text, QString* wkt, QString* error) {
    GdalScope scope(GdalDrivers::None);
    OGRSpatialReference srs;
    const QByteArray input = text.trimmed().toUtf8();
    if (input.isEmpty() || srs.SetFromUserInput(input.constData()) != OGRERR_NONE ||
        srs.IsEmpty()) {
        if (error)
            *error = QStringLiteral("Систему координат \"%1\" не розпізнано (приклад: EPSG:6384).")
                         .arg(text.trimmed());
        return false;
    }
    char* out = nullptr;
    const char* const options[] = {"FORMAT=WKT2_2019", nullptr};
    const bool ok = srs.exportToWkt(&out, options) == OGRERR_NONE && out;
    if (ok && wkt)
        *wkt = QString::fromUtf8(out);
    CPLFree(out);
    if (!ok && error)
        *error = QStringLiteral("Систему координат \"%1\" не вдалося прочитати.").arg(text);
    return ok;
}

QString describe(const QString& wkt) {
    GdalScope scope(GdalDrivers::None);
    OGRSpatialReference srs;
    if (!load(wkt, srs))
        return QString();
    QString name = QString::fromUtf8(srs.GetName() ? srs.GetName() : "");
    if (name.isEmpty() || name == QLatin1String("unknown") || name == QLatin1String("unnamed")) {
        std::unique_ptr<OGRSpatialReference> match(srs.FindBestMatch(70));
        if (match && match->GetName())
            name = QString::fromUtf8(match->GetName());
        else
            name = srs.IsGeographic() ? QStringLiteral("географічна") : QStringLiteral("без назви");
    }
    const QString id = code(wkt);
    return id.isEmpty() ? name : name + QStringLiteral(" (") + id + u')';
}

QString code(const QString& wkt) {
    GdalScope scope(GdalDrivers::None);
    OGRSpatialReference srs;
    if (!load(wkt, srs))
        return QString();
    srs.AutoIdentifyEPSG();
    const char* authority = srs.GetAuthorityName(nullptr);
    const char* number = srs.GetAuthorityCode(nullptr);
    if (authority && number)
        return QString::fromUtf8(authority) + u':' + QString::fromUtf8(number);
    // A system read from a MapInfo table has lost its name: find it in the EPSG register.
    std::unique_ptr<OGRSpatialReference> match(srs.FindBestMatch(70));
    if (match && match->GetAuthorityName(nullptr) && match->GetAuthorityCode(nullptr))
        return QString::fromUtf8(match->GetAuthorityName(nullptr)) + u':' +
               QString::fromUtf8(match->GetAuthorityCode(nullptr));
    return QString();
}

bool isGeographic(const QString& wkt) {
    OGRSpatialReference srs;
    return load(wkt, srs) && srs.IsGeographic();
}

bool isMetricProjected(const QString& wkt) {
    OGRSpatialReference srs;
    return load(wkt, srs) && srs.IsProjected() && std::abs(srs.GetLinearUnits() - 1.0) < 1e-9;
}

bool same(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty())
        return a.isEmpty() && b.isEmpty();
    GdalScope scope(GdalDrivers::None);
    OGRSpatialReference sa, sb;
    if (!load(a, sa) || !load(b, sb))
        return false;
    const char* const options[] = {"IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES",
                                   "CRITERION=EQUIVALENT_EXCEPT_AXIS_ORDER_GEOGCRS", nullptr};
    if (sa.IsSame(&sb, options))
        return true;
    // The same system described otherwise (a MapInfo table keeps it with an explicit shift
    // to WGS 84 and no name): the same if moving points from one to the other moves none.
    if (sa.IsGeographic() != sb.IsGeographic())
        return false;
    std::unique_ptr<OGRCoordinateTransformation> ct(OGRCreateCoordinateTransformation(&sa, &sb));
    if (!ct)
        return false;
    double x0 = 30, y0 = 50, reach = 1; // degrees
    if (!sa.IsGeographic()) {
        x0 = sa.GetProjParm(SRS_PP_FALSE_EASTING, 0);
        y0 = sa.GetProjParm(SRS_PP_FALSE_NORTHING, 0) + 5500000;
        reach = 100000;
    }
    double xs[] = {x0, x0 - reach, x0 + reach, x0};
    double ys[] = {y0, y0, y0, y0 - reach};
    double xt[4], yt[4];
    std::copy(std::begin(xs), std::end(xs), xt);
    std::copy(std::begin(ys), std::end(ys), yt);
    int ok[4] = {};
    if (!ct->Transform(4, xt, yt, nullptr, ok))
        return false;
    const double tolerance = sa.IsGeographic() ? 1e-8 : 1e-3;
    for (int i = 0; i < 4; ++i)
        if (!ok[i] || std::abs(xt[i] - xs[i]) > tolerance || std::abs(yt[i] - ys[i]) > tolerance)
            return false;
    return true;
}

} // namespace Crs

std::unique_ptr<CrsTransform> CrsTransform::make(const QString& fromWkt, const QString& toWkt,
                                                 QString* error) {
    GdalScope scope(GdalDrivers::None);
    OGRSpatialReference from, to;
    std::unique_ptr<CrsTransform> out(new CrsTransform);
    if (load(fromWkt, from) && load(toWkt, to))
        out->m_transform = OGRCreateCoordinateTransformation(&from, &to);
    if (!out->m_transform) {
        if (error)
            *error = scope.message(QStringLiteral("Неможливо перерахувати координати з \"%1\" у "
                                                  "\"%2\".")
                                       .arg(Crs::describe(fromWkt), Crs::describe(toWkt)));
        return nullptr;
    }
    return out;
}

CrsTransform::~CrsTransform() {
    OGRCoordinateTransformation::DestroyCT(m_transform);
}

bool CrsTransform::apply(OGRGeometry& geometry) const {
    return geometry.transform(m_transform) == OGRERR_NONE;
}
