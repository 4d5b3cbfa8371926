#include "map/VectorSource.h"

#include "map/GdalScope.h"
#include "map/GeometryRepair.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <map>

namespace {

void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

/** The ".dbf" of a shapefile given by its ".shp" or ".dbf"; "" for other files. */
QString dbfOf(const QString& path) {
    const QFileInfo info(path);
    const QString suffix = info.suffix().toLower();
    if (suffix != QLatin1String("shp") && suffix != QLatin1String("dbf"))
        return QString();
    for (const char* ext : {"dbf", "DBF"}) {
        const QString dbf =
            info.dir().filePath(info.completeBaseName() + u'.' + QLatin1String(ext));
        if (QFileInfo(dbf).isFile())
            return dbf;
    }
    return QString();
}

/** Whether the shapefile says its encoding: a ".cpg" beside it or a language mark in its ".dbf". */
bool encodingIsMarked(const QString& dbf) {
    const QFileInfo info(dbf);
    for (const char* ext : {"cpg", "CPG"})
        if (QFileInfo::exists(
                info.dir().filePath(info.completeBaseName() + u'.' + QLatin1String(ext))))
            return true;
    QFile file(dbf);
    if (!file.open(QIODevice::ReadOnly))
        return true; // GDAL reports what it cannot read
    const QByteArray header = file.read(32);
    return header.size() < 32 || header[29] != 0;
}

bool isUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString decoded = decoder.decode(bytes);
    return !decoder.hasError();
}

/**
 * The encoding of an unmarked shapefile's texts, read from the bytes its ".dbf" stores in
 * its text columns: "UTF-8" when every text is UTF-8, else "CP1251" when it reads them all;
 * "" when neither does.
 */
QByteArray guessEncoding(const QString& dbfPath) {
    QFile dbf(dbfPath);
    if (!dbf.open(QIODevice::ReadOnly))
        return "UTF-8"; // not read here: GDAL's own opening says why
    const QByteArray header = dbf.read(32);
    if (header.size() < 32)
        return "UTF-8";
    auto number = [](const QByteArray& bytes, int at, int size) {
        quint32 v = 0;
        for (int i = size - 1; i >= 0; --i)
            v = (v << 8) | static_cast<quint8>(bytes[at + i]);
        return v;
    };
    const quint32 records = number(header, 4, 4);
    const quint32 headerSize = number(header, 8, 2);
    const quint32 recordSize = number(header, 10, 2);
    // The text columns: their offsets within a record (after its deletion mark) and widths.
    std::vector<std::pair<int, int>> texts;
    int offset = 1;
    for (;;) {
        const QByteArray field = dbf.read(32);
        if (field.size() < 32 || field[0] == '\x0D')
            break;
        const int width = static_cast<quint8>(field[16]);
        if (field[11] == 'C')
            texts.emplace_back(offset, width);
        offset += width;
    }
    if (texts.empty() || recordSize == 0 || !dbf.seek(headerSize))
        return "UTF-8";
    bool utf8 = true, cp1251 = true;
    for (quint32 r = 0; r < records && (utf8 || cp1251); ++r) {
        const QByteArray record = dbf.read(recordSize);
        if (record.size() < static_cast<qsizetype>(recordSize))
            break;
        for (const auto& [at, width] : texts) {
            if (at + width > record.size())
                continue;
            const QByteArray bytes = record.mid(at, width).trimmed();
            utf8 = utf8 && isUtf8(bytes);
            // The one byte CP1251 leaves undefined.
            cp1251 = cp1251 && !bytes.contains('\x98');
        }
    }
    return utf8 ? QByteArray("UTF-8") : cp1251 ? QByteArray("CP1251") : QByteArray();
}

GDALDatasetUniquePtr openSource(const QString& path, const GdalScope& scope, QString* error,
                                QString* guessed = nullptr) {
    if (!QFileInfo(path).isFile()) {
        setError(error, QFileInfo::exists(path)
                            ? QStringLiteral("\"%1\" - не звичайний файл (папка, канал чи "
                                             "пристрій).")
                                  .arg(shown(path))
                            : QStringLiteral("Файлу \"%1\" немає.").arg(shown(path)));
        return nullptr;
    }
    // A shapefile that does not say its encoding: found from its texts, never guessed wrong
    // silently (GDAL would take them for Latin-1).
    QByteArray encoding;
    if (const QString dbf = dbfOf(path); !dbf.isEmpty() && !encodingIsMarked(dbf)) {
        encoding = guessEncoding(dbf);
        if (encoding.isEmpty()) {
            setError(error, QStringLiteral("Кодування текстів файлу \"%1\" не вдалося визначити "
                                           "(ні UTF-8, ні CP1251): покладіть поруч файл .cpg з "
                                           "назвою кодування.")
                                .arg(shown(path)));
            return nullptr;
        }
        if (guessed)
            *guessed = QString::fromLatin1(encoding);
    }
    const QByteArray option = "ENCODING=" + encoding;
    const char* const options[] = {option.constData(), nullptr};
    GDALDatasetUniquePtr ds(GDALDataset::Open(QFile::encodeName(path).constData(),
                                              GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr,
                                              encoding.isEmpty() ? nullptr : options));
    if (!ds) {
        setError(error, scope.message(QStringLiteral("Файл \"%1\" не є векторною картою, яку "
                                                     "можна прочитати.")
                                          .arg(shown(path))));
        return nullptr;
    }
    if (ds->GetLayerCount() < 1) {
        setError(error, QStringLiteral("У файлі \"%1\" немає жодного шару.").arg(shown(path)));
        return nullptr;
    }
    return ds;
}

QStringList namesOf(GDALDataset& ds) {
    QStringList names;
    for (int i = 0; i < ds.GetLayerCount(); ++i)
        names << QString::fromUtf8(ds.GetLayer(i)->GetName());
    return names;
}

// The named layer, or the only one for "".
OGRLayer* findLayer(GDALDataset& ds, const QString& name, const QString& path, QString* error) {
    if (name.isEmpty()) {
        if (ds.GetLayerCount() == 1)
            return ds.GetLayer(0);
        setError(error, QStringLiteral("У файлі \"%1\" кілька шарів (%2): оберіть один.")
                            .arg(shown(path), namesOf(ds).join(QStringLiteral(", "))));
        return nullptr;
    }
    OGRLayer* layer = ds.GetLayerByName(name.toUtf8().constData());
    if (!layer)
        setError(error, QStringLiteral("У файлі \"%1\" немає шару \"%2\" (є: %3).")
                            .arg(shown(path), name, namesOf(ds).join(QStringLiteral(", "))));
    return layer;
}

void describeLayer(OGRLayer& layer, SourceSummary& summary) {
    summary.layer = QString::fromUtf8(layer.GetName());
    summary.fields.clear();
    OGRFeatureDefn* defn = layer.GetLayerDefn();
    for (int i = 0; i < defn->GetFieldCount(); ++i) {
        const OGRFieldDefn* fd = defn->GetFieldDefn(i);
        summary.fields.push_back(
            {QString::fromUtf8(fd->GetNameRef()), FieldKindOfOgr(fd->GetType())});
    }
    summary.crsWkt.clear();
    // A plane of no earth system (MapInfo's NonEarth, CAD) and GeoPackage's "undefined"
    // systems name none.
    const OGRSpatialReference* srs = layer.GetSpatialRef();
    const bool undefined =
        srs && srs->GetName() && QByteArray(srs->GetName()).startsWith("Undefined ");
    if (srs && !srs->IsEmpty() && !srs->IsLocal() && !undefined) {
        char* out = nullptr;
        const char* const options[] = {"FORMAT=WKT2_2019", nullptr};
        if (srs->exportToWkt(&out, options) == OGRERR_NONE && out)
            summary.crsWkt = QString::fromUtf8(out);
        CPLFree(out);
    }
}

QStringList valuesOf(OGRFeature& f) {
    QStringList values;
    values.reserve(f.GetFieldCount());
    for (int i = 0; i < f.GetFieldCount(); ++i)
        values << (f.IsFieldSetAndNotNull(i) ? QString::fromUtf8(f.GetFieldAsString(i)).trimmed()
                                             : QString());
    return values;
}

// The words for a shape's kind.
QString shapeWord(OGRwkbGeometryType type) {
    switch (OGR_GT_Flatten(type)) {
    case wkbPolygon:
    case wkbMultiPolygon:
    case wkbCurvePolygon:
    case wkbMultiSurface:
        return QStringLiteral("полігони");
    case wkbLineString:
    case wkbMultiLineString:
    case wkbCircularString:
    case wkbCompoundCurve:
    case wkbMultiCurve:
        return QStringLiteral("лінії");
    case wkbPoint:
    case wkbMultiPoint:
        return QStringLiteral("точки");
    case wkbNone:
        return QStringLiteral("без форми");
    default:
        return QStringLiteral("інші");
    }
}

// Opens the layer ("" for the only one), describes it into `summary` and hands every object
// to `visit` in the file's order, counting them.
bool walk(const QString& path, const QString& name, SourceSummary& summary, QString* error,
          const std::function<void(OGRFeature&)>& visit) {
    GdalScope scope;
    QString guessed;
    GDALDatasetUniquePtr ds = openSource(path, scope, error, &guessed);
    if (!ds)
        return false;
    OGRLayer* layer = findLayer(*ds, name, path, error);
    if (!layer)
        return false;
    describeLayer(*layer, summary);
    summary.guessedEncoding = guessed;
    layer->ResetReading();
    scope.reset();
    while (OGRFeatureUniquePtr f{layer->GetNextFeature()}) {
        ++summary.featureCount;
        visit(*f);
    }
    if (scope.failed()) {
        setError(error, scope.message(QStringLiteral("Помилка читання \"%1\".").arg(shown(path))));
        return false;
    }
    return true;
}

} // namespace

namespace VectorSource {

bool layerNames(const QString& path, QStringList& names, QString* error) {
    GdalScope scope;
    GDALDatasetUniquePtr ds = openSource(path, scope, error);
    if (!ds)
        return false;
    names = namesOf(*ds);
    return true;
}

bool summarize(const QString& path, const QString& name, int rows, SourceSummary& summary,
               QString* error) {
    SourceSummary out;
    // The shapes are counted by kind over the whole layer: a declared type says little for
    // formats that mix them (DXF, MapInfo, GeoJSON).
    std::map<QString, qint64> kinds;
    bool anyRegion = false;
    const bool read = walk(path, name, out, error, [&](OGRFeature& f) {
        const OGRGeometry* g = f.GetGeometryRef();
        const QString word =
            g && !g->IsEmpty() ? shapeWord(g->getGeometryType()) : shapeWord(wkbNone);
        ++kinds[word];
        // Closed lines (drawn in CAD) count as regions too.
        if (!anyRegion && g)
            anyRegion = word == QStringLiteral("полігони") || ShapeToRegion(*g) != nullptr;
        if (g && !g->IsEmpty()) {
            OGREnvelope env;
            g->getEnvelope(&env);
            out.extent = out.extent.united({env.MinX, env.MinY, env.MaxX, env.MaxY});
        }
        if (static_cast<int>(out.firstRows.size()) < rows)
            out.firstRows.push_back(valuesOf(f));
    });
    if (!read)
        return false;
    QStringList words;
    if (kinds.size() == 1)
        words << kinds.begin()->first;
    else
        for (const auto& [word, count] : kinds)
            words << QStringLiteral("%1: %2").arg(word).arg(count);
    out.geometryType = words.isEmpty() ? shapeWord(wkbNone) : words.join(QStringLiteral(", "));
    out.noRegions = !anyRegion;
    summary = std::move(out);
    return true;
}

bool read(const QString& path, const QString& name, SourceSummary& summary,
          const SourceVisitor& visit, QString* error) {
    return walk(path, name, summary, error, [&visit](OGRFeature& f) {
        visit(std::unique_ptr<OGRGeometry>(f.StealGeometry()), valuesOf(f));
    });
}

} // namespace VectorSource
