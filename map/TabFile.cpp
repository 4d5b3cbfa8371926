#include "map/TabFile.h"

#include "common/EngineMessages.h"
#include "common/LastError.h"
#include "map/GdalScope.h"
#include "map/Geometry.h"
#include "map/TabJournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <optional>

namespace {

// Tables opened for reading go through GDAL's block cache: the MapInfo driver seeks before each
// small read, a system call apiece without it.
void enableReadCache() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (!CPLGetConfigOption("VSI_CACHE", nullptr))
            CPLSetConfigOption("VSI_CACHE", "TRUE");
    });
}

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}

GDALDatasetUniquePtr openTable(const QString& path, bool update, QString* error,
                               const GdalScope& scope) {
    if (!QFileInfo(path).isFile()) {
        FailWith(error,
                 QStringLiteral("Файл \"%1\" не існує.").arg(QDir::toNativeSeparators(path)));
        return nullptr;
    }
    enableReadCache();
    static const char* const drivers[] = {"MapInfo File", nullptr};
    const unsigned flags = GDAL_OF_VECTOR | (update ? GDAL_OF_UPDATE : GDAL_OF_READONLY);
    GDALDatasetUniquePtr ds(GDALDataset::Open(nativePath(path).constData(), flags, drivers));
    if (!ds || ds->GetLayerCount() < 1 || !ds->GetLayer(0)) {
        FailWith(error, scope.message(QStringLiteral("Не вдалося відкрити таблицю \"%1\".")
                                          .arg(QDir::toNativeSeparators(path))));
        return nullptr;
    }
    return ds;
}

Feature featureFromOgr(OGRFeature& f, const std::shared_ptr<const QStringList>& names) {
    Feature out;
    out.setFid(f.GetFID());
    out.setFields(names);
    for (int i = 0; i < f.GetFieldCount(); ++i)
        if (f.IsFieldSetAndNotNull(i))
            out.setValueAt(i, QString::fromUtf8(f.GetFieldAsString(i)).trimmed());
    out.setGeometry(
        std::make_shared<const Geometry>(std::unique_ptr<OGRGeometry>(f.StealGeometry())));
    const QString style = QString::fromUtf8(f.GetStyleString());
    if (style.contains(QStringLiteral("LABEL("))) {
        QString text;
        TextStyle ts;
        double height = 0;
        ParseTextStyle(style, text, ts, height);
        out.setText(text, ts, height);
    } else if (out.isRegion()) {
        RegionStyle rs;
        if (ParseRegionStyle(style, rs))
            out.setRegionStyle(rs);
    } else {
        out.setOtherStyle(style);
    }
    return out;
}

// Positions of a feature's field names among the table's fields, worked out once per list
// of names (the objects of one layer share theirs).
class FieldMatcher {
public:
    explicit FieldMatcher(const OGRFeatureDefn* defn) : m_defn(defn) {}
    const std::vector<int>& positions(const QStringList& names) {
        if (&names == m_names && static_cast<size_t>(names.size()) == m_positions.size())
            return m_positions;
        m_names = &names;
        m_positions.clear();
        for (const QString& name : names)
            m_positions.push_back(m_defn->GetFieldIndex(name.toUtf8().constData()));
        return m_positions;
    }

private:
    const OGRFeatureDefn* m_defn;
    const QStringList* m_names = nullptr;
    std::vector<int> m_positions;
};

// Fills an OGR feature of the table from ours: values by field name, shape, style.
void fillOgr(OGRFeature& target, const Feature& source, FieldMatcher& matcher) {
    OGRFeatureDefn* defn = target.GetDefnRef();
    const std::vector<int>& positions = matcher.positions(source.fieldNames());
    for (size_t i = 0; i < positions.size() && i < static_cast<size_t>(source.values().size());
         ++i) {
        const int index = positions[i];
        if (index < 0)
            continue;
        const QString& v = source.values()[static_cast<qsizetype>(i)];
        if (v.isEmpty() && defn->GetFieldDefn(index)->GetType() != OFTString)
            target.SetFieldNull(index);
        else
            target.SetField(index, v.toUtf8().constData());
    }
    if (source.geometry() && source.geometry()->ogr())
        target.SetGeometry(source.geometry()->ogr());
    QString style;
    if (source.kind() == FeatureKind::Text)
        style = TextStyleText(source.text(), source.textStyle(), source.textHeight());
    else if (source.isRegion() && source.hasRegionStyle())
        style = RegionStyleText(source.regionStyle());
    else
        style = source.otherStyle();
    if (!style.isEmpty())
        target.SetStyleString(style.toUtf8().constData());
}

void fillOgr(OGRFeature& target, const Feature& source) {
    FieldMatcher matcher(target.GetDefnRef());
    fillOgr(target, source, matcher);
}

// What a whole table is written from.
struct TableFormat {
    std::vector<FieldDef> fields;
    OGRSpatialReference srs; ///< empty: the program's numeric system
    MapRect bounds;          ///< the coordinate range the file can hold
    QString description;     ///< the header's "Description" (none when empty)
    /** Whether every object's area and vertex count is read back and compared. */
    bool verifyShapes = false;
};

double areaOf(const OGRGeometry* g) {
    if (!g)
        return 0;
    if (const auto* surface = dynamic_cast<const OGRSurface*>(g))
        return surface->get_Area();
    if (const auto* collection = dynamic_cast<const OGRGeometryCollection*>(g))
        return collection->get_Area();
    return 0;
}

/** Vertices and rings of a shape (a ring's closing vertex counted once). */
std::pair<int, int> verticesOf(const OGRGeometry* g) {
    if (!g)
        return {0, 0};
    switch (wkbFlatten(g->getGeometryType())) {
    case wkbPolygon: {
        int vertices = 0, rings = 0;
        for (const OGRLinearRing* ring : *g->toPolygon()) {
            vertices += std::max(0, ring->getNumPoints() - 1);
            ++rings;
        }
        return {vertices, rings};
    }
    case wkbMultiPolygon:
    case wkbGeometryCollection: {
        std::pair<int, int> sum{0, 0};
        for (const OGRGeometry* part : *g->toGeometryCollection()) {
            const auto [v, r] = verticesOf(part);
            sum.first += v;
            sum.second += r;
        }
        return sum;
    }
    case wkbLineString:
        return {g->toLineString()->getNumPoints(), 0};
    default:
        return {1, 0};
    }
}

/**
 * Compares what the written table holds with what was to be written, object by object: the
 * area within a millionth (and a square millimetre), the vertices within one per ring (a
 * ring's closing or repeated vertex). "" when all survived, else the first that did not.
 */
QString changedShape(OGRLayer& written, const FeatureList& features) {
    written.ResetReading();
    size_t i = 0;
    while (OGRFeatureUniquePtr f{written.GetNextFeature()}) {
        if (i >= features.size())
            break;
        const OGRGeometry* want = features[i].geometry() ? features[i].geometry()->ogr() : nullptr;
        const OGRGeometry* got = f->GetGeometryRef();
        const double a = areaOf(want), b = areaOf(got);
        const auto [va, ra] = verticesOf(want);
        const auto [vb, rb] = verticesOf(got);
        ++i;
        if (std::abs(a - b) > std::max(1e-6 * std::abs(a), 1e-6))
            return QStringLiteral("об'єкт %1: площа %2 стала %3")
                .arg(i)
                .arg(a, 0, 'f', 3)
                .arg(b, 0, 'f', 3);
        if (std::abs(va - vb) > std::max(ra, rb))
            return QStringLiteral("об'єкт %1: вершин %2 стало %3").arg(i).arg(va).arg(vb);
    }
    return QString();
}

QString unitName(int units) {
    switch (units) {
    case 1:
        return QStringLiteral("km");
    case 5:
        return QStringLiteral("mm");
    case 6:
        return QStringLiteral("cm");
    default:
        return QStringLiteral("m");
    }
}

OGRSpatialReference numericSrs(const CoordSys& coordSys) {
    const MapRect& b = coordSys.bounds;
    const QString miCoordSys =
        QStringLiteral("CoordSys NonEarth Units \"%1\" Bounds (%2, %3) (%4, %5)")
            .arg(unitName(coordSys.units))
            .arg(b.xMin, 0, 'f', 0)
            .arg(b.yMin, 0, 'f', 0)
            .arg(b.xMax, 0, 'f', 0)
            .arg(b.yMax, 0, 'f', 0);
    OGRSpatialReference srs;
    srs.importFromMICoordSys(miCoordSys.toUtf8().constData());
    return srs;
}

// The coordinate range stored in the header block of the table's ".map" file: the file
// keeps coordinates as integers of ±1e9 scaled and displaced into this range.
std::optional<MapRect> storedBounds(const QString& tabPath) {
    const QFileInfo info(tabPath);
    QFile file;
    for (const QString& ext : {QStringLiteral("map"), QStringLiteral("MAP")}) {
        file.setFileName(info.dir().filePath(info.completeBaseName() + u'.' + ext));
        if (file.exists())
            break;
    }
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray header = file.read(0x190);
    if (header.size() < 0x190)
        return std::nullopt;
    auto int32At = [&header](int at) {
        quint32 v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<quint8>(header[at + i]);
        return static_cast<qint32>(v);
    };
    auto doubleAt = [&header](int at) {
        quint64 bits = 0;
        for (int i = 7; i >= 0; --i)
            bits = (bits << 8) | static_cast<quint8>(header[at + i]);
        double d = 0;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    };
    if (int32At(0x100) != 42424242)
        return std::nullopt;
    const int quadrant = static_cast<quint8>(header[0x161]);
    const double xScale = doubleAt(0x170);
    const double yScale = doubleAt(0x178);
    const double xDispl = doubleAt(0x180);
    const double yDispl = doubleAt(0x188);
    if (!(xScale > 0) || !(yScale > 0) || !std::isfinite(xDispl) || !std::isfinite(yDispl))
        return std::nullopt;
    const bool flipX = quadrant == 0 || quadrant == 2 || quadrant == 3;
    const bool flipY = quadrant == 0 || quadrant == 3 || quadrant == 4;
    auto toX = [&](double n) { return flipX ? -(n + xDispl) / xScale : (n - xDispl) / xScale; };
    auto toY = [&](double n) { return flipY ? -(n + yDispl) / yScale : (n - yDispl) / yScale; };
    const double x1 = toX(-1e9), x2 = toX(1e9), y1 = toY(-1e9), y2 = toY(1e9);
    return MapRect{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

// The coordinate system, range and description of an existing table.
bool readFormat(const QString& path, TableFormat& format, const GdalScope& scope, QString* error) {
    GDALDatasetUniquePtr ds = openTable(path, false, error, scope);
    if (!ds)
        return false;
    OGRLayer* layer = ds->GetLayer(0);
    if (const OGRSpatialReference* srs = layer->GetSpatialRef())
        format.srs = *srs;
    else
        format.srs = numericSrs(CoordSys{});
    format.bounds = storedBounds(path).value_or(CoordSys{}.bounds);
    format.description = QString::fromUtf8(layer->GetMetadataItem("DESCRIPTION"));
    return true;
}

// Writes a new table at the path in one opening: fields, then every feature (their fids are
// set), and checks that it reads back whole. Nothing is left at the path on failure.
bool writeWhole(const QString& path, const TableFormat& format, FeatureList& features,
                const GdalScope& scope, QString* error) {
    const QString shown = QDir::toNativeSeparators(path);
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("MapInfo File");
    if (!driver) {
        FailWith(error, QStringLiteral("Драйвер таблиць MapInfo недоступний."));
        return false;
    }
    GDALDatasetUniquePtr ds(
        driver->Create(nativePath(path).constData(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!ds) {
        FailWith(error,
                 scope.message(QStringLiteral("Не вдалося створити таблицю \"%1\".").arg(shown)));
        return false;
    }
    const MapRect& b = format.bounds;
    const QByteArray bounds = QStringLiteral("BOUNDS=%1,%2,%3,%4")
                                  .arg(b.xMin, 0, 'f', 6)
                                  .arg(b.yMin, 0, 'f', 6)
                                  .arg(b.xMax, 0, 'f', 6)
                                  .arg(b.yMax, 0, 'f', 6)
                                  .toUtf8();
    const QByteArray desc = (QStringLiteral("DESCRIPTION=") + format.description).toUtf8();
    CPLStringList options;
    options.AddString(bounds.constData());
    options.AddString("ENCODING=CP1251");
    if (!format.description.isEmpty())
        options.AddString(desc.constData());
    const QByteArray layerName = QFileInfo(path).completeBaseName().toUtf8();
    OGRSpatialReference srs = format.srs; // the driver takes a mutable one
    OGRLayer* layer = ds->CreateLayer(layerName.constData(), srs.IsEmpty() ? nullptr : &srs,
                                      wkbUnknown, options.List());
    bool ok = layer != nullptr;
    for (const FieldDef& f : format.fields) {
        if (!ok)
            break;
        const OGRFieldType type = f.type == FieldKind::Integer ? OFTInteger
                                  : f.type == FieldKind::Float ? OFTReal
                                                               : OFTString;
        OGRFieldDefn fd(f.name.toUtf8().constData(), type);
        if (f.type == FieldKind::Char)
            fd.SetWidth(f.width > 0 ? f.width : 254);
        else if (f.type == FieldKind::Float)
            fd.SetWidth(f.width);
        if (f.type == FieldKind::Float)
            fd.SetPrecision(f.precision);
        ok = layer->CreateField(&fd) == OGRERR_NONE;
    }
    std::vector<qint64> fids;
    if (ok) {
        fids.reserve(features.size());
        FieldMatcher matcher(layer->GetLayerDefn());
        for (const Feature& feature : features) {
            OGRFeatureUniquePtr f(OGRFeature::CreateFeature(layer->GetLayerDefn()));
            fillOgr(*f, feature, matcher);
            if (layer->CreateFeature(f.get()) != OGRERR_NONE) {
                ok = false;
                break;
            }
            fids.push_back(f->GetFID());
        }
    }
    if (ok) {
        ds.reset();
        ok = CPLGetLastErrorType() < CE_Failure && QFileInfo::exists(path);
    }
    if (ok) {
        // Read the count back: a table that does not open whole is never put in place.
        QString ignored;
        GDALDatasetUniquePtr back = openTable(path, false, &ignored, scope);
        ok = back &&
             back->GetLayer(0)->GetFeatureCount(TRUE) == static_cast<GIntBig>(features.size());
        // Every object as it was written: the table's grid may coarsen shapes silently.
        if (ok && format.verifyShapes) {
            if (const QString changed = changedShape(*back->GetLayer(0), features);
                !changed.isEmpty()) {
                back.reset();
                ds.reset();
                TabFile::removeFiles(path);
                FailWith(error, QStringLiteral("Таблицю \"%1\" не записано: після запису %2.")
                                    .arg(shown, changed));
                return false;
            }
        }
    }
    if (!ok) {
        FailWith(error,
                 scope.message(QStringLiteral("Не вдалося записати таблицю \"%1\".").arg(shown)));
        ds.reset();
        TabFile::removeFiles(path);
        return false;
    }
    for (size_t i = 0; i < features.size(); ++i)
        features[i].setFid(fids[i]);
    return true;
}

// The coordinate range of a new table: around the objects with a margin of their own size on
// every side (at least 10 km, or 0.1° for degrees), so the table's grid of whole numbers stays
// fine (a range of ±10,000 km has a step of 5 mm) and later objects nearby still fit.
MapRect BoundsAround(const MapRect& used, bool geographic) {
    if (used.isNull())
        return geographic ? MapRect{-180, -90, 180, 90} : CoordSys{}.bounds;
    const double cx = (used.xMin + used.xMax) / 2, cy = (used.yMin + used.yMax) / 2;
    const double size = std::max(used.xMax - used.xMin, used.yMax - used.yMin);
    const double half = size * 1.5 + (geographic ? 0.1 : 10000.0);
    MapRect bounds{cx - half, cy - half, cx + half, cy + half};
    if (geographic)
        bounds = {std::max(bounds.xMin, -180.0), std::max(bounds.yMin, -90.0),
                  std::min(bounds.xMax, 180.0), std::min(bounds.yMax, 90.0)};
    return bounds;
}

// The file beside a table that keeps its coordinate system exactly (as WKT).
QString crsSidecar(const QString& tabPath) {
    const QFileInfo info(tabPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".wkt"));
}

// Writes a small file whole: false when any byte did not reach it.
bool writeSmallFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool written = file.write(text) == text.size() && file.flush();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

// Writes the table beside the path under a temporary name, then puts it in place under a
// journal, so that the path holds one whole table at every instant that counts. The exact
// coordinate system (`exactCrs`; the one kept beside the old table when null, none when
// empty) is one of the new table's files, so it is replaced in the same journaled step.
bool writeAtomically(const QString& path, const TableFormat& format, FeatureList& features,
                     const GdalScope& scope, QString* error, const QString* exactCrs = nullptr) {
    if (!TabJournal::Recover(path, error))
        return false;
    QByteArray crsText;
    if (exactCrs) {
        crsText = exactCrs->toUtf8();
    } else if (QFile kept(crsSidecar(path)); kept.exists()) {
        if (!kept.open(QIODevice::ReadOnly)) {
            FailWith(error, QStringLiteral("Не вдалося прочитати систему координат \"%1\".")
                                .arg(QDir::toNativeSeparators(kept.fileName())));
            return false;
        }
        crsText = kept.readAll();
    }
    const QString temp =
        TabJournal::AsideName(path, QStringLiteral("new")) + QStringLiteral(".tab");
    if (!writeWhole(temp, format, features, scope, error))
        return false;
    if (!crsText.isEmpty() && !writeSmallFile(crsSidecar(temp), crsText)) {
        TabFile::removeFiles(temp);
        FailWith(error, QStringLiteral("Не вдалося записати систему координат \"%1\".")
                            .arg(QDir::toNativeSeparators(crsSidecar(path))));
        return false;
    }
    if (!TabJournal::Replace(temp, path, error)) {
        // A journal left behind still needs the new files to finish the replace.
        if (!QFileInfo::exists(TabJournal::JournalPath(path)))
            TabFile::removeFiles(temp);
        return false;
    }
    return true;
}

// The projection and its ellipsoid without the datum's shift: what a table keeps of a system.
QString projectionKey(const OGRSpatialReference& srs) {
    char* out = nullptr;
    srs.exportToProj4(&out);
    QStringList parts = QString::fromUtf8(out ? out : "").split(u' ', Qt::SkipEmptyParts);
    CPLFree(out);
    parts.removeIf([](const QString& p) { return p.startsWith(QLatin1String("+towgs84=")); });
    parts.replaceInStrings(QStringLiteral("+datum=WGS84"), QStringLiteral("+ellps=WGS84"));
    return parts.join(u' ');
}

// Finishes an interrupted replace before the table is read or changed in place.
bool recovered(const QString& path, QString* error) {
    return !QFileInfo::exists(TabJournal::JournalPath(path)) || TabJournal::Recover(path, error);
}

} // namespace

FieldKind FieldKindOfOgr(int ogrFieldType) {
    switch (ogrFieldType) {
    case OFTInteger:
    case OFTInteger64:
        return FieldKind::Integer;
    case OFTReal:
        return FieldKind::Float;
    default:
        return FieldKind::Char;
    }
}

namespace TabFile {

bool read(const QString& path, TableContent& content, QString* error) {
    if (!recovered(path, error))
        return false;
    GdalScope scope(GdalDrivers::MapInfo);
    GDALDatasetUniquePtr ds = openTable(path, false, error, scope);
    if (!ds)
        return false;
    OGRLayer* layer = ds->GetLayer(0);
    OGRFeatureDefn* defn = layer->GetLayerDefn();
    TableContent result;
    auto names = std::make_shared<QStringList>();
    for (int i = 0; i < defn->GetFieldCount(); ++i) {
        const OGRFieldDefn* fd = defn->GetFieldDefn(i);
        FieldDef def;
        def.name = QString::fromUtf8(fd->GetNameRef());
        def.type = FieldKindOfOgr(fd->GetType());
        def.width = fd->GetWidth();
        def.precision = fd->GetPrecision();
        result.fields.push_back(def);
        names->append(def.name);
    }
    std::shared_ptr<const QStringList> shared = names;
    layer->ResetReading();
    const GIntBig expected = layer->GetFeatureCount(FALSE);
    if (expected > 0)
        result.features.reserve(static_cast<size_t>(expected));
    while (OGRFeatureUniquePtr f{layer->GetNextFeature()})
        result.features.push_back(featureFromOgr(*f, shared));
    if (CPLGetLastErrorType() >= CE_Failure) {
        FailWith(error, scope.message(QStringLiteral("Помилка читання таблиці \"%1\".")
                                          .arg(QDir::toNativeSeparators(path))));
        return false;
    }
    OGREnvelope env;
    if (layer->GetExtent(&env, FALSE) == OGRERR_NONE)
        result.bounds = {env.MinX, env.MinY, env.MaxX, env.MaxY};
    else
        result.bounds = FeaturesBounds(result.features);
    content = std::move(result);
    return true;
}

bool create(const QString& path, const std::vector<FieldDef>& fields, const CoordSys& coordSys,
            bool overwrite, const QString& description, QString* error) {
    if (!recovered(path, error))
        return false;
    GdalScope scope(GdalDrivers::MapInfo);
    if (QFileInfo::exists(path) && !overwrite) {
        FailWith(error,
                 QStringLiteral("Файл \"%1\" вже існує.").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    TableFormat format;
    format.fields = fields;
    format.srs = numericSrs(coordSys);
    format.bounds = coordSys.bounds;
    format.description = description;
    FeatureList none;
    const QString numeric; // the program's own system: no exact one kept beside
    return writeAtomically(path, format, none, scope, error, &numeric);
}

bool replaceAll(const QString& path, const std::vector<FieldDef>& fields, FeatureList& features,
                QString* error) {
    if (!recovered(path, error))
        return false;
    GdalScope scope(GdalDrivers::MapInfo);
    TableFormat format;
    if (!readFormat(path, format, scope, error))
        return false;
    format.fields = fields;
    return writeAtomically(path, format, features, scope, error);
}

bool append(const QString& path, Feature& feature, QString* error) {
    FeatureList one{feature};
    if (!appendAll(path, one, error))
        return false;
    feature.setFid(one.front().fid());
    return true;
}

bool appendAll(const QString& path, FeatureList& features, QString* error) {
    if (!recovered(path, error))
        return false;
    GdalScope scope(GdalDrivers::MapInfo);
    GDALDatasetUniquePtr ds = openTable(path, true, error, scope);
    if (!ds)
        return false;
    OGRLayer* layer = ds->GetLayer(0);
    std::vector<qint64> fids;
    fids.reserve(features.size());
    for (const Feature& feature : features) {
        OGRFeatureUniquePtr f(OGRFeature::CreateFeature(layer->GetLayerDefn()));
        fillOgr(*f, feature);
        if (layer->CreateFeature(f.get()) != OGRERR_NONE) {
            FailWith(error, scope.message(QStringLiteral("Не вдалося додати об'єкт до таблиці.")));
            return false;
        }
        fids.push_back(f->GetFID());
    }
    ds.reset();
    if (CPLGetLastErrorType() >= CE_Failure) {
        FailWith(error, scope.message(QStringLiteral("Не вдалося зберегти таблицю.")));
        return false;
    }
    for (size_t i = 0; i < features.size(); ++i)
        features[i].setFid(fids[i]);
    return true;
}

bool rewrite(const QString& path, const Feature& feature, QString* error) {
    GdalScope scope(GdalDrivers::MapInfo);
    if (feature.fid() < 0) {
        FailWith(error, QStringLiteral("Об'єкт не належить таблиці."));
        return false;
    }
    if (!recovered(path, error))
        return false;
    GDALDatasetUniquePtr ds = openTable(path, true, error, scope);
    if (!ds)
        return false;
    OGRLayer* layer = ds->GetLayer(0);
    OGRFeatureUniquePtr f(layer->GetFeature(feature.fid()));
    if (!f) {
        FailWith(error, QStringLiteral("Об'єкт № %1 не знайдено в таблиці.").arg(feature.fid()));
        return false;
    }
    fillOgr(*f, feature);
    if (layer->SetFeature(f.get()) != OGRERR_NONE) {
        FailWith(error, scope.message(QStringLiteral("Не вдалося оновити об'єкт.")));
        return false;
    }
    ds.reset();
    if (CPLGetLastErrorType() >= CE_Failure) {
        FailWith(error, scope.message(QStringLiteral("Не вдалося зберегти таблицю.")));
        return false;
    }
    return true;
}

bool remove(const QString& path, qint64 fid, QString* error) {
    if (!recovered(path, error))
        return false;
    GdalScope scope(GdalDrivers::MapInfo);
    GDALDatasetUniquePtr ds = openTable(path, true, error, scope);
    if (!ds)
        return false;
    if (ds->GetLayer(0)->DeleteFeature(fid) != OGRERR_NONE) {
        FailWith(error, scope.message(QStringLiteral("Не вдалося видалити об'єкт № %1.").arg(fid)));
        return false;
    }
    ds.reset();
    return true;
}

bool write(const QString& path, const TableSpec& shape, FeatureList& features, bool overwrite,
           QString* error) {
    GdalScope scope(GdalDrivers::MapInfo);
    if (QFileInfo::exists(path) && !overwrite) {
        FailWith(error,
                 QStringLiteral("Файл \"%1\" вже існує.").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    TableFormat format;
    format.fields = shape.fields;
    bool geographic = false;
    if (shape.srsWkt.isEmpty()) {
        format.srs = numericSrs(CoordSys{});
    } else if (format.srs.importFromWkt(shape.srsWkt.toUtf8().constData()) != OGRERR_NONE) {
        FailWith(error, QStringLiteral("Невідома система координат."));
        return false;
    } else {
        geographic = format.srs.IsGeographic();
        // A table keeps an ellipsoid only with a datum it knows or an explicit shift to
        // WGS 84; give it the register's shift when the system has none.
        double shift[7];
        const bool wgs84Ellipsoid = std::abs(format.srs.GetSemiMajor() - 6378137.0) < 1e-3 &&
                                    std::abs(format.srs.GetInvFlattening() - 298.257223563) < 1e-6;
        if (!format.srs.IsLocal() && !wgs84Ellipsoid &&
            format.srs.GetTOWGS84(shift) != OGRERR_NONE) {
            format.srs.AddGuessedTOWGS84();
            // Without a known shift the table would keep the WGS 84 ellipsoid instead.
            if (format.srs.GetTOWGS84(shift) != OGRERR_NONE)
                format.srs.SetTOWGS84(0, 0, 0, 0, 0, 0, 0);
        }
    }
    // A coordinate that is no number has no place on any grid.
    for (size_t i = 0; i < features.size(); ++i) {
        const OGRGeometry* g = features[i].geometry() ? features[i].geometry()->ogr() : nullptr;
        if (!g || g->IsEmpty())
            continue;
        if (!HasFiniteCoordinates(*g)) {
            FailWith(error, QStringLiteral("Таблицю \"%1\" не записано: координати об'єкта %2 не "
                                           "є скінченними числами.")
                                .arg(QDir::toNativeSeparators(path))
                                .arg(i + 1));
            return false;
        }
    }
    format.bounds = shape.bounds;
    if (format.bounds.isNull())
        format.bounds = BoundsAround(FeaturesBounds(features), geographic);
    format.verifyShapes = true;
    // The table keeps the system only as closely as its own codes can; the exact one is
    // kept beside it, put in place with the table's files.
    return writeAtomically(path, format, features, scope, error, &shape.srsWkt);
}

bool coordinateSystem(const QString& path, QString* wkt, QString* error) {
    if (!recovered(path, error))
        return false;
    GdalScope scope(GdalDrivers::MapInfo);
    GDALDatasetUniquePtr ds = openTable(path, false, error, scope);
    if (!ds)
        return false;
    QString text;
    const OGRSpatialReference* srs = ds->GetLayer(0)->GetSpatialRef();
    if (srs && !srs->IsEmpty() && !srs->IsLocal()) {
        char* out = nullptr;
        if (srs->exportToWkt(&out) == OGRERR_NONE && out)
            text = QString::fromUtf8(out);
        CPLFree(out);
        // The exact system written beside, while it still describes this table's projection.
        QFile file(crsSidecar(path));
        OGRSpatialReference exact;
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray kept = file.readAll();
            if (exact.importFromWkt(kept.constData()) == OGRERR_NONE &&
                projectionKey(exact) == projectionKey(*srs))
                text = QString::fromUtf8(kept);
        }
    }
    if (wkt)
        *wkt = text;
    return true;
}

bool recover(const QString& path, QString* error) {
    return TabJournal::Recover(path, error);
}

bool recoverFolder(const QString& folder, QString* error) {
    return TabJournal::RecoverFolder(folder, error);
}

bool removeFiles(const QString& path) {
    const QFileInfo info(path);
    const QDir dir = info.dir();
    const QString base = info.completeBaseName();
    bool ok = true;
    for (const char* ext : {"tab", "dat", "map", "id", "ind", "wkt"}) {
        for (const QString& e : {QString::fromLatin1(ext), QString::fromLatin1(ext).toUpper()}) {
            const QString file = dir.filePath(base + u'.' + e);
            if (QFileInfo::exists(file) && !QFile::remove(file))
                ok = false;
        }
    }
    return ok;
}

} // namespace TabFile
