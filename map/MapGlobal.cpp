#include "map/MapGlobal.h"

#include "common/FileUtils.h"
#include "common/LastError.h"
#include "common/Shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// Two paths name the same file when their cleaned absolute forms are equal.
QString comparablePath(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

QString LayerNameOf(const QString& path) {
    return QFileInfo(path).completeBaseName().toLower();
}

int LocalLayerFactor(const QString& layerName) {
    const QString digits = layerName.mid(3, 2);
    if (digits.isEmpty())
        return 0;
    for (const QChar c : digits)
        if (c < u'0' || c > u'9')
            return 0;
    return digits.toInt();
}

void SetNumericCoordSys(MapDocument& map) {
    map.setNumericCoordSys(0, 7, {-10000000, -10000000, 10000000, 10000000});
}

Layer* AddLayer(MapDocument& map, const QString& path, bool visible) {
    const QString wanted = comparablePath(path);
    for (int i = 0; i < map.layerCount(); ++i)
        if (comparablePath(map.layerAt(i)->filespec()) == wanted)
            return map.layerAt(i);
    LayerInfo info;
    info.type = 0;
    info.fileSpec = path;
    info.name = LayerNameOf(path);
    info.datasetName = info.name;
    info.visible = visible;
    QString error;
    Layer* layer = map.addLayer(info, 1, &error);
    if (!layer)
        SetLastError(error);
    return layer;
}

Layer* CreateLayer(MapDocument& map, const QString& folder, const QString& name) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        // Never write a table next to the program or at the root for a missing folder.
        SetLastError(
            QStringLiteral("Папка \"%1\" не існує.").arg(QDir::toNativeSeparators(folder)));
        return nullptr;
    }
    const QString path = JoinPath(folder, name + QStringLiteral(".tab"));
    if (!QFileInfo::exists(path)) {
        FieldDef field;
        field.name = QStringLiteral("info");
        field.width = 50;
        LayerInfo info;
        info.type = 7;
        info.fileSpec = path;
        info.name = name;
        info.datasetName = name;
        info.fields = {field};
        info.coordSys = map.numericCoordSys();
        info.overwriteFile = true;
        QString error;
        Layer* created = map.addLayer(info, 1, &error);
        if (!created) {
            SetLastError(error);
            return nullptr;
        }
        map.removeLayer(created);
        StripTabDescription(path);
    }
    return AddLayer(map, path, false);
}

Layer* GetLayer(const MapDocument& map, const QString& name) {
    for (int i = 0; i < map.layerCount(); ++i)
        if (map.layerAt(i)->name().compare(name, Qt::CaseInsensitive) == 0)
            return map.layerAt(i);
    return nullptr;
}

std::optional<FeatureList> GetLayerFeatures(const MapDocument& map, const QString& name) {
    const Layer* layer = GetLayer(map, name);
    if (!layer)
        return std::nullopt;
    return layer->allFeatures();
}

std::optional<Dataset> GetLayerDataset(const MapDocument& map, const QString& name) {
    Layer* layer = GetLayer(map, name);
    if (!layer)
        return std::nullopt;
    return Dataset(layer);
}

QStringList LayerNames(const MapDocument& map) {
    QStringList names;
    for (int i = 0; i < map.layerCount(); ++i)
        names.append(map.layerAt(i)->name());
    return names;
}

QStringList EditLayersExternally(const QString& folder, const QStringList& names) {
    QStringList errors;
    const auto open = [&errors](const QString& path) {
        QString error;
        ShellOpenQuiet(path, &error);
        if (!error.isEmpty())
            errors << error;
    };
    for (const QString& name : names) {
        if (name == QStringLiteral("лок")) {
            for (const QString& file : ListFiles(folder, QStringLiteral("лок*.tab"), true))
                open(file);
        } else {
            open(JoinPath(folder, name + QStringLiteral(".tab")));
        }
    }
    return errors;
}

QString FeatureValue(const Dataset* dataset, const Feature& feature, const QString& field) {
    QString value;
    if (!dataset || field.isEmpty() || !dataset->value(feature, field, &value))
        return {};
    return value;
}

double FeatureArea(const Feature& feature, MapDocument& map, int areaUnit) {
    const int saved = map.areaUnit();
    double area = 0;
    if (map.setAreaUnit(areaUnit) && feature.isRegion() && feature.pointCount(0) >= 4)
        area = feature.areaSquareMetres() / SquareMetresPerUnit(map.areaUnit());
    map.setAreaUnit(saved);
    return area;
}

void ZoomToRectangle(MapDocument& map, const MapRect& rect) {
    if (rect.isNull())
        return;
    if (rect.width() == 0 && rect.height() == 0) {
        map.setCentre(rect.centre());
        return;
    }
    const double dx = rect.width() / 10;
    const double dy = rect.height() / 10;
    map.setBounds({rect.xMin - dx, rect.yMin - dy, rect.xMax + dx, rect.yMax + dy});
}

void ZoomToLayer(MapDocument& map, const Layer& layer) {
    MapRect rect;
    // Every layer here is a vector table, so only the object count decides.
    if (layer.featureCount() >= 2000)
        rect = layer.bounds();
    else
        rect = FeaturesBounds(layer.allFeatures());
    ZoomToRectangle(map, rect);
}

MapRect AllLayersBounds(const MapDocument& map) {
    MapRect r = MapRect::null();
    for (int i = 0; i < map.layerCount(); ++i)
        r = r.united(map.layerAt(i)->bounds());
    return r;
}

bool StripTabDescription(const QString& path) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = in.readAll();
    in.close();
    // The header is CP1251 text; work on bytes so nothing else in it changes.
    QList<QByteArray> lines = data.split('\n');
    bool found = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].startsWith("  Description")) {
            lines.removeAt(i);
            found = true;
            break;
        }
    }
    if (!found)
        return true;
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(lines.join('\n'));
    return out.commit();
}

bool WriteEditorWorkspace(const MapDocument& map, const QString& path) {
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    bool ok = true;
    for (int i = map.layerCount() - 1; i >= 0; --i) {
        const QByteArray line =
            (QStringLiteral("/LAYER File=") + map.layerAt(i)->filespec() + u'\n').toUtf8();
        ok = out.write(line) == line.size() && ok;
    }
    return ok;
}

std::vector<AttributeLine> SelectionAttributes(const MapDocument& map) {
    std::vector<AttributeLine> lines;
    for (int i = 0; i < map.layerCount(); ++i) {
        Layer* layer = map.layerAt(i);
        // A hidden layer keeps its selection but shows nothing of it.
        if (layer->selectionCount() == 0 || !layer->visible())
            continue;
        const std::optional<Dataset> dataset = Dataset(layer);
        const std::optional<Feature> feature = layer->firstSelected();
        if (!feature) {
            lines.push_back({QStringLiteral("Помилка"),
                             QStringLiteral("Немає даних шару \"%1\".").arg(layer->name()),
                             layer->name()});
            break;
        }
        for (const QString& field : dataset->fieldNames()) {
            QString value;
            dataset->value(*feature, field, &value);
            lines.push_back({field, value, layer->name()});
        }
    }
    return lines;
}
