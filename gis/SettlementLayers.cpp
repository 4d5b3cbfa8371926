#include "gis/SettlementLayers.h"

#include "common/FileUtils.h"
#include "map/GeoPackage.h"
#include "map/MapGlobal.h"
#include "map/TabFile.h"
#include "office/Package.h"
#include "valuation/Names.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

// The tables of the folder, ordered by kind, then factor, then name.
QStringList orderedTables(const QString& folder) {
    QStringList files =
        QDir(folder).entryList({QStringLiteral("*.tab"), QStringLiteral("*.TAB")}, QDir::Files);
    files.removeDuplicates();
    auto rank = [](const QString& file) {
        const std::optional<LayerTarget> t = LayerTargetOf(LayerNameOf(file));
        return t ? std::make_pair(static_cast<int>(t->kind), t->factor) : std::make_pair(100, 0);
    };
    std::stable_sort(files.begin(), files.end(), [&](const QString& a, const QString& b) {
        const auto ra = rank(a), rb = rank(b);
        return ra != rb ? ra < rb : LayerNameOf(a) < LayerNameOf(b);
    });
    // Hidden leftovers of an interrupted writing are no layers.
    files.erase(std::remove_if(files.begin(), files.end(),
                               [](const QString& f) { return f.startsWith(u'.'); }),
                files.end());
    return files;
}

} // namespace

std::vector<SettlementLayer> ListSettlementLayers(const QString& folder) {
    std::vector<SettlementLayer> out;
    for (const QString& file : orderedTables(folder)) {
        SettlementLayer layer;
        layer.path = JoinPath(folder, file);
        layer.name = LayerNameOf(file);
        layer.target = LayerTargetOf(layer.name);
        SourceSummary summary;
        if (VectorSource::summarize(layer.path, QString(), 0, summary, &layer.error)) {
            layer.features = summary.featureCount;
            for (const SourceField& f : summary.fields)
                layer.fields << f.name;
            TabFile::coordinateSystem(layer.path, &layer.crsWkt, nullptr);
        }
        out.push_back(std::move(layer));
    }
    return out;
}

QString SettlementCrs(const QString& folder, QString* layerName) {
    for (const QString& file : orderedTables(folder)) {
        QString wkt;
        if (TabFile::coordinateSystem(JoinPath(folder, file), &wkt, nullptr) && !wkt.isEmpty()) {
            if (layerName)
                *layerName = LayerNameOf(file);
            return wkt;
        }
    }
    return QString();
}

QStringList SettlementMapPaths(const QString& folder) {
    QStringList paths;
    for (const QString& name :
         {names::layer::Boundary(), names::layer::Zones(), names::layer::Districts()})
        paths << JoinPath(folder, name + QStringLiteral(".tab"));
    return paths;
}

QString SettlementLayerPath(const QString& folder, const QString& layerName) {
    for (const QString& file : orderedTables(folder))
        if (LayerNameOf(file) == layerName.toLower())
            return JoinPath(folder, file);
    return JoinPath(folder, layerName + QStringLiteral(".tab"));
}

bool RecoverSettlementFolder(const QString& folder, QString* error) {
    QString problem;
    const bool tables = TabFile::recoverFolder(folder, &problem);
    const bool exports = GeoPackage::removeLeftovers(folder) && RemoveDocumentLeftovers(folder);
    if (!exports)
        problem +=
            QString(problem.isEmpty() ? QString() : QStringLiteral("\r")) +
            QStringLiteral("Тимчасові файли експорту чи звіту в папці \"%1\" не вдається видалити.")
                .arg(QDir::toNativeSeparators(folder));
    if (error && !problem.isEmpty())
        *error = problem;
    return tables && exports;
}
