#include "map/GdalScope.h"
#include "common/EngineMessages.h"

#include <cpl_error.h>
#include <gdal_priv.h>

#include <mutex>

void RegisterGdalDrivers() {
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

GdalScope::GdalScope() {
    RegisterGdalDrivers();
    CPLPushErrorHandler(CPLQuietErrorHandler);
    CPLErrorReset();
}

GdalScope::~GdalScope() {
    CPLPopErrorHandler();
}

bool GdalScope::failed() const {
    return CPLGetLastErrorType() >= CE_Failure;
}

void GdalScope::reset() {
    CPLErrorReset();
}

QString GdalScope::message(const QString& sentence) const {
    const QString text = UkrainianEngineMessage(QString::fromUtf8(CPLGetLastErrorMsg()).trimmed());
    return text.isEmpty() ? sentence : sentence + QStringLiteral(" ") + text;
}
