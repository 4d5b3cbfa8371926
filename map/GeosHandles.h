#pragma once

#include <geos_c.h>

#include <memory>

// Owned GEOS handles: a context for one run, and geometries and prepared geometries freed in
// the context that made them.

class GeosContext {
public:
    GeosContext() : m_handle(GEOS_init_r()) {}
    ~GeosContext() { GEOS_finish_r(m_handle); }
    GeosContext(const GeosContext&) = delete;
    GeosContext& operator=(const GeosContext&) = delete;
    GEOSContextHandle_t handle() const { return m_handle; }

private:
    GEOSContextHandle_t m_handle;
};

struct GeosGeometryDeleter {
    GEOSContextHandle_t context;
    void operator()(GEOSGeometry* g) const { GEOSGeom_destroy_r(context, g); }
};
using GeosGeometry = std::unique_ptr<GEOSGeometry, GeosGeometryDeleter>;

struct GeosPreparedDeleter {
    GEOSContextHandle_t context;
    void operator()(const GEOSPreparedGeometry* p) const { GEOSPreparedGeom_destroy_r(context, p); }
};
using GeosPrepared = std::unique_ptr<const GEOSPreparedGeometry, GeosPreparedDeleter>;

struct GeosParamsDeleter {
    GEOSContextHandle_t context;
    void operator()(GEOSMakeValidParams* p) const { GEOSMakeValidParams_destroy_r(context, p); }
};
using GeosMakeValidParams = std::unique_ptr<GEOSMakeValidParams, GeosParamsDeleter>;
