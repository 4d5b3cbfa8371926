#pragma once

#include <QString>

/**
 * The GDAL drivers a piece of work needs: every driver (a layer of any format), only the
 * MapInfo one (the settlement's own tables), or none (geometries, coordinate systems). All of
 * them take about 8 MB more of the program's memory, which a report has no use for.
 */
enum class GdalDrivers { All, MapInfo, None };

/** Registers those of GDAL's drivers once for the whole program. */
void RegisterGdalDrivers(GdalDrivers drivers = GdalDrivers::All);

/**
 * Keeps GDAL quiet while it works and collects the last error it raised; the drivers it needs
 * are registered on the first use. One scope around one piece of work.
 */
class GdalScope {
public:
    explicit GdalScope(GdalDrivers drivers = GdalDrivers::All);
    ~GdalScope();
    GdalScope(const GdalScope&) = delete;
    GdalScope& operator=(const GdalScope&) = delete;

    /** Whether GDAL raised a failure since the scope began (or since reset()). */
    bool failed() const;
    void reset();
    /** The sentence followed by GDAL's last message, when it has one. */
    QString message(const QString& sentence) const;
};
