#include "map/GdalScope.h"
#include "common/EngineMessages.h"

#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <mutex>

void RegisterGdalDrivers(GdalDrivers drivers) {
    // Registering every driver later skips the one registered already.
    static std::once_flag all;
    static std::once_flag mapInfo;
    if (drivers == GdalDrivers::All)
        std::call_once(all, [] { GDALAllRegister(); });
    else if (drivers == GdalDrivers::MapInfo)
        std::call_once(mapInfo, [] { RegisterOGRTAB(); });
}

namespace {

/** The first failure GDAL raised in the innermost scope: later ones are often its echoes
 * (a full disk, then "no such table: gpkg_geometry_columns"). */
thread_local QByteArray t_firstFailure;

void KeepFirstFailure(CPLErr type, CPLErrorNum, const char* message) {
    if (type >= CE_Failure && t_firstFailure.isEmpty() && message)
        t_firstFailure = message;
}

} // namespace

GdalScope::GdalScope(GdalDrivers drivers) {
    RegisterGdalDrivers(drivers);
    CPLPushErrorHandler(KeepFirstFailure);
    CPLErrorReset();
    t_firstFailure.clear();
}

GdalScope::~GdalScope() {
    CPLPopErrorHandler();
}

bool GdalScope::failed() const {
    return CPLGetLastErrorType() >= CE_Failure;
}

void GdalScope::reset() {
    CPLErrorReset();
    t_firstFailure.clear();
}

QString GdalScope::message(const QString& sentence) const {
    const QString text = ShortEngineDetail(QString::fromUtf8(
        t_firstFailure.isEmpty() ? QByteArray(CPLGetLastErrorMsg()) : t_firstFailure));
    return text.isEmpty() ? sentence : sentence + QStringLiteral(" ") + text;
}
