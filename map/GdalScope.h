#pragma once

#include <QString>

/** Registers GDAL's drivers once for the whole program. */
void RegisterGdalDrivers();

/**
 * Keeps GDAL quiet while it works and collects the last error it raised; the drivers are
 * registered on the first use. One scope around one piece of work.
 */
class GdalScope {
public:
    GdalScope();
    ~GdalScope();
    GdalScope(const GdalScope&) = delete;
    GdalScope& operator=(const GdalScope&) = delete;

    /** Whether GDAL raised a failure since the scope began (or since reset()). */
    bool failed() const;
    void reset();
    /** The sentence followed by GDAL's last message, when it has one. */
    QString message(const QString& sentence) const;
};
