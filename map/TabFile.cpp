#include "map/TabFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <mutex>

namespace {

void registerDrivers() {
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

// Keeps GDAL quiet while it works and collects the last error it raised.
class ErrorScope {
public:
    ErrorScope() {
        registerDrivers();
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~ErrorScope() { CPLPopErrorHandler(); }
    ErrorScope(const ErrorScope&) = delete;
    ErrorScope& operator=(const ErrorScope&) = delete;

    QString message(const QString& fallback) const {
        const QString text = QString::fromUtf8(CPLGetLastErrorMsg()).trimmed();
        return text.isEmpty() ? fallback : fallback + QStringLiteral(" ") + text;
    }
};

void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}

GDALDatasetUniquePtr openTable(const QString& path, bool update, QString* error,
                               const ErrorScope& scope) {
    if (!QFileInfo(path).isFile()) {
        setError(error,
                 QStringLiteral("Файл \"%1\" не існує.").arg(QDir::toNativeSeparators(path)));
        return nullptr;
    }
    static const char* const drivers[] = {"MapInfo File", nullptr};
    const unsigned flags = GDAL_OF_VECTOR | (update ? GDAL_OF_UPDATE : GDAL_OF_READONLY);
    GDALDatasetUniquePtr ds(GDALDataset::Open(nativePath(path).constData(), flags, drivers));
    if (!ds || ds->GetLayerCount() < 1 || !ds->GetLayer(0)) {
        setError(error, scope.message(QStringLiteral("Не вдалося відкрити таблицю \"%1\".")
                                          .arg(QDir::toNativeSeparators(path))));
        return nullptr;
    }
    return ds;
}

FieldKind kindOf(OGRFieldType type) {
    switch (type) {
    case OFTInteger:
    case OFTInteger64:
        return FieldKind::Integer;
    case OFTReal:
        return FieldKind::Float;
    default:
        return FieldKind::Char;
    }
}

QString hexColour(int value) {
    return QStringLiteral("#%1").arg(ColorFromValue(value).rgb() & 0xFFFFFF, 6, 16, QChar(u'0'));
}

bool parseHexColour(const QString& hex, int& value) {
    bool ok = false;
    const uint rgb = hex.left(6).toUInt(&ok, 16);
    if (!ok)
        return false;
    value = ColorValue(QColor::fromRgb(rgb));
    return true;
}

QString section(const QString& text, const QString& tool) {
    const qsizetype at = text.indexOf(tool + u'(');
    if (at < 0)
        return {};
    // Skip quoted strings so a ")" inside a text does not end the tool.
    bool quoted = false;
    for (qsizetype i = at + tool.size() + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && quoted) {
            ++i;
            continue;
        }
        if (c == u'"')
            quoted = !quoted;
        else if (c == u')' && !quoted)
            return text.mid(at + tool.size() + 1, i - at - tool.size() - 1);
    }
    return {};
}

// The value of "key:value" among the comma-separated parameters of a style tool.
QString param(const QString& tool, const QString& key) {
    qsizetype i = 0;
    const qsizetype n = tool.size();
    while (i < n) {
        // Parameter name up to ':'.
        const qsizetype colon = tool.indexOf(u':', i);
        if (colon < 0)
            return {};
        const bool match = QStringView(tool).mid(i, colon - i).trimmed() == key;
        qsizetype j = colon + 1;
        QString value;
        if (j < n && tool[j] == u'"') {
            for (++j; j < n && tool[j] != u'"'; ++j) {
                if (tool[j] == u'\\' && j + 1 < n)
                    ++j;
                value.append(tool[j]);
            }
            ++j; // closing quote
            while (j < n && tool[j] != u',')
                ++j;
        } else {
            const qsizetype comma = tool.indexOf(u',', j);
            const qsizetype end = comma < 0 ? n : comma;
            value = tool.mid(j, end - j).trimmed();
            j = end;
        }
        if (match)
            return value;
        i = j + 1;
    }
    return {};
}

// The number N of "mapinfo-<prefix>-N" in an id list; -1 when absent.
int mapinfoId(const QString& ids, const QString& prefix) {
    const QString tag = QStringLiteral("mapinfo-") + prefix + u'-';
    const qsizetype at = ids.indexOf(tag);
    if (at < 0)
        return -1;
    qsizetype end = at + tag.size();
    while (end < ids.size() && ids[end].isDigit())
        ++end;
    bool ok = false;
    const int id = ids.mid(at + tag.size(), end - at - tag.size()).toInt(&ok);
    return ok ? id : -1;
}

// A number with an optional unit suffix ("2.5g", "1px").
double leadingNumber(const QString& text) {
    qsizetype end = 0;
    while (end < text.size() && (text[end].isDigit() || text[end] == u'.' || text[end] == u'-'))
        ++end;
    return text.left(end).toDouble();
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

// Fills an OGR feature of the table from ours: values by field name, shape, style.
void fillOgr(OGRFeature& target, const Feature& source) {
    OGRFeatureDefn* defn = target.GetDefnRef();
    const QStringList& names = source.fieldNames();
    for (qsizetype i = 0; i < names.size() && i < source.values().size(); ++i) {
        const int index = defn->GetFieldIndex(names[i].toUtf8().constData());
        if (index < 0)
            continue;
        const QString& v = source.values()[i];
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

} // namespace

namespace TabFile {

bool read(const QString& path, TableContent& content, QString* error) {
    ErrorScope scope;
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
        def.type = kindOf(fd->GetType());
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
        setError(error, scope.message(QStringLiteral("Помилка читання таблиці \"%1\".")
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
    ErrorScope scope;
    if (QFileInfo::exists(path)) {
        if (!overwrite) {
            setError(error,
                     QStringLiteral("Файл \"%1\" вже існує.").arg(QDir::toNativeSeparators(path)));
            return false;
        }
        if (!removeFiles(path)) {
            setError(error, QStringLiteral("Не вдалося замінити файл \"%1\".")
                                .arg(QDir::toNativeSeparators(path)));
            return false;
        }
    }
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("MapInfo File");
    if (!driver) {
        setError(error, QStringLiteral("Драйвер таблиць MapInfo недоступний."));
        return false;
    }
    GDALDatasetUniquePtr ds(
        driver->Create(nativePath(path).constData(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!ds) {
        setError(error, scope.message(QStringLiteral("Не вдалося створити таблицю \"%1\".")
                                          .arg(QDir::toNativeSeparators(path))));
        return false;
    }
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
    const QByteArray bounds = QStringLiteral("BOUNDS=%1,%2,%3,%4")
                                  .arg(b.xMin, 0, 'f', 0)
                                  .arg(b.yMin, 0, 'f', 0)
                                  .arg(b.xMax, 0, 'f', 0)
                                  .arg(b.yMax, 0, 'f', 0)
                                  .toUtf8();
    const QByteArray desc = (QStringLiteral("DESCRIPTION=") + description).toUtf8();
    CPLStringList options;
    options.AddString(bounds.constData());
    options.AddString("ENCODING=CP1251");
    if (!description.isEmpty())
        options.AddString(desc.constData());
    const QByteArray layerName = QFileInfo(path).completeBaseName().toUtf8();
    OGRLayer* layer = ds->CreateLayer(layerName.constData(), srs.IsEmpty() ? nullptr : &srs,
                                      wkbUnknown, options.List());
    bool ok = layer != nullptr;
    for (const FieldDef& f : fields) {
        if (!ok)
            break;
        const OGRFieldType type = f.type == FieldKind::Integer ? OFTInteger
                                  : f.type == FieldKind::Float ? OFTReal
                                                               : OFTString;
        OGRFieldDefn fd(f.name.toUtf8().constData(), type);
        if (f.type != FieldKind::Integer)
            fd.SetWidth(f.width);
        if (f.type == FieldKind::Float)
            fd.SetPrecision(f.precision);
        ok = layer->CreateField(&fd) == OGRERR_NONE;
    }
    if (ok) {
        ds.reset();
        ok = CPLGetLastErrorType() < CE_Failure && QFileInfo::exists(path);
    }
    if (!ok) {
        setError(error, scope.message(QStringLiteral("Не вдалося створити таблицю \"%1\".")
                                          .arg(QDir::toNativeSeparators(path))));
        ds.reset();
        removeFiles(path);
        return false;
    }
    return true;
}

bool append(const QString& path, Feature& feature, QString* error) {
    FeatureList one{feature};
    if (!appendAll(path, one, error))
        return false;
    feature.setFid(one.front().fid());
    return true;
}

bool appendAll(const QString& path, FeatureList& features, QString* error) {
    ErrorScope scope;
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
            setError(error, scope.message(QStringLiteral("Не вдалося додати об'єкт до таблиці.")));
            return false;
        }
        fids.push_back(f->GetFID());
    }
    ds.reset();
    if (CPLGetLastErrorType() >= CE_Failure) {
        setError(error, scope.message(QStringLiteral("Не вдалося зберегти таблицю.")));
        return false;
    }
    for (size_t i = 0; i < features.size(); ++i)
        features[i].setFid(fids[i]);
    return true;
}

bool rewrite(const QString& path, const Feature& feature, QString* error) {
    ErrorScope scope;
    if (feature.fid() < 0) {
        setError(error, QStringLiteral("Об'єкт не належить таблиці."));
        return false;
    }
    GDALDatasetUniquePtr ds = openTable(path, true, error, scope);
    if (!ds)
        return false;
    OGRLayer* layer = ds->GetLayer(0);
    OGRFeatureUniquePtr f(layer->GetFeature(feature.fid()));
    if (!f) {
        setError(error, QStringLiteral("Об'єкт № %1 не знайдено в таблиці.").arg(feature.fid()));
        return false;
    }
    fillOgr(*f, feature);
    if (layer->SetFeature(f.get()) != OGRERR_NONE) {
        setError(error, scope.message(QStringLiteral("Не вдалося оновити об'єкт.")));
        return false;
    }
    ds.reset();
    if (CPLGetLastErrorType() >= CE_Failure) {
        setError(error, scope.message(QStringLiteral("Не вдалося зберегти таблицю.")));
        return false;
    }
    return true;
}

bool remove(const QString& path, qint64 fid, QString* error) {
    ErrorScope scope;
    GDALDatasetUniquePtr ds = openTable(path, true, error, scope);
    if (!ds)
        return false;
    if (ds->GetLayer(0)->DeleteFeature(fid) != OGRERR_NONE) {
        setError(error, scope.message(QStringLiteral("Не вдалося видалити об'єкт № %1.").arg(fid)));
        return false;
    }
    ds.reset();
    return true;
}

bool removeFiles(const QString& path) {
    const QFileInfo info(path);
    const QDir dir = info.dir();
    const QString base = info.completeBaseName();
    bool ok = true;
    for (const char* ext : {"tab", "dat", "map", "id", "ind"}) {
        for (const QString& e : {QString::fromLatin1(ext), QString::fromLatin1(ext).toUpper()}) {
            const QString file = dir.filePath(base + u'.' + e);
            if (QFileInfo::exists(file) && !QFile::remove(file))
                ok = false;
        }
    }
    return ok;
}

} // namespace TabFile

QString RegionStyleText(const RegionStyle& style) {
    const int brush = style.regionPattern < 1 ? 2 : style.regionPattern;
    QString text = QStringLiteral("BRUSH(fc:%1").arg(hexColour(style.regionColor));
    if (!style.regionTransparent && brush > 2)
        text += QStringLiteral(",bc:#ffffff");
    text += QStringLiteral(",id:\"mapinfo-brush-%1\")").arg(brush);
    const int pen = style.regionBorderStyle < 1 ? 2 : style.regionBorderStyle;
    text += QStringLiteral(";PEN(w:%1px,c:%2,id:\"mapinfo-pen-%3\")")
                .arg(std::max(1, style.regionBorderWidth))
                .arg(hexColour(style.regionBorderColor))
                .arg(pen);
    return text;
}

bool ParseRegionStyle(const QString& text, RegionStyle& style) {
    const QString brush = section(text, QStringLiteral("BRUSH"));
    const QString pen = section(text, QStringLiteral("PEN"));
    if (brush.isEmpty() && pen.isEmpty())
        return false;
    RegionStyle s;
    if (!brush.isEmpty()) {
        const QString fc = param(brush, QStringLiteral("fc"));
        if (fc.startsWith(u'#'))
            parseHexColour(fc.mid(1), s.regionColor);
        const int id = mapinfoId(param(brush, QStringLiteral("id")), QStringLiteral("brush"));
        s.regionPattern = id > 0 ? id : 2;
        // A brush with a "null" OGR id and no fill colour draws nothing.
        if (id < 0 && param(brush, QStringLiteral("id")).contains(QStringLiteral("ogr-brush-1")))
            s.regionPattern = 1;
        s.regionTransparent = param(brush, QStringLiteral("bc")).isEmpty();
    }
    if (!pen.isEmpty()) {
        const QString c = param(pen, QStringLiteral("c"));
        if (c.startsWith(u'#'))
            parseHexColour(c.mid(1), s.regionBorderColor);
        const int id = mapinfoId(param(pen, QStringLiteral("id")), QStringLiteral("pen"));
        s.regionBorderStyle = id > 0 ? id : 2;
        const double w = leadingNumber(param(pen, QStringLiteral("w")));
        s.regionBorderWidth = std::max(1, static_cast<int>(w + 0.5));
    }
    style = s;
    return true;
}

QString TextStyleText(const QString& text, const TextStyle& style, double height) {
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\\\"));
    escaped.replace(u'"', QStringLiteral("\\\""));
    QString out = QStringLiteral("LABEL(t:\"%1\",s:%2g,c:%3,f:\"%4\"")
                      .arg(escaped)
                      .arg(height, 0, 'f', 6)
                      .arg(hexColour(style.color))
                      .arg(style.family);
    if (style.bold)
        out += QStringLiteral(",bo:1");
    if (style.italic)
        out += QStringLiteral(",it:1");
    return out + u')';
}

bool ParseTextStyle(const QString& styleText, QString& text, TextStyle& style, double& height) {
    const QString label = section(styleText, QStringLiteral("LABEL"));
    if (label.isEmpty())
        return false;
    text = param(label, QStringLiteral("t"));
    TextStyle s;
    const QString family = param(label, QStringLiteral("f"));
    if (!family.isEmpty())
        s.family = family;
    const QString c = param(label, QStringLiteral("c"));
    if (c.startsWith(u'#'))
        parseHexColour(c.mid(1), s.color);
    s.bold = param(label, QStringLiteral("bo")) == u"1";
    s.italic = param(label, QStringLiteral("it")) == u"1";
    height = leadingNumber(param(label, QStringLiteral("s")));
    style = s;
    return true;
}
